#pragma once
// An immediate-mode 2D vector renderer on OpenGL 2.0. A frame is begun,
// drawn into with paths, paints, images and text, and ended; everything is
// batched and sent to GL at the end of the frame. Coordinates are canvas
// units (device pixels divided by the frame's pixel ratio), y pointing down.
//
// Failures come back as values: image id 0 and font id -1 are refusals;
// calls with non-finite arguments are ignored. Call from the thread whose GL
// context was current at creation, with that context current.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "renderer/Color.h"
#include "renderer/CompositeOperation.h"
#include "renderer/FrameStats.h"
#include "renderer/GlApi.h"
#include "renderer/ImageFlags.h"
#include "renderer/Paint.h"
#include "renderer/StrokeStyle.h"
#include "renderer/TextAlign.h"
#include "renderer/Transform.h"
#include "renderer/Winding.h"

namespace fx::vg {

class SharedPrograms;


class FontFace;
class GlBackend;
class GlyphAtlas;
class PathBuilder;
struct RendererState;
struct Vertex;
struct FragUniforms;

struct TextBounds {
  float minX = 0, minY = 0, maxX = 0, maxY = 0;
};

class Renderer {
 public:
  // Loads the GL entry points through `loader` and builds the shaders; null
  // if the context lacks OpenGL 2 (why: lastCreateError()).
  // programs: the shader programs of the context's share group, used by
  // every renderer of the group (null: this renderer's own).
  static std::unique_ptr<Renderer> create(GlProcLoader loader, void* user, SharedPrograms* programs = nullptr);
  static const std::string& lastCreateError();
  ~Renderer();
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // ---- frames
  // The caller sets the viewport to width x height times pixelRatio pixels.
  void beginFrame(float width, float height, float pixelRatio);
  void endFrame();
  void cancelFrame();
  const FrameStats& lastFrameStats() const;

  // ---- state stack
  void save();
  void restore();
  void reset();

  void globalCompositeOperation(CompositeOperation op);
  void globalCompositeBlendFunc(BlendFactor src, BlendFactor dst);
  void globalCompositeBlendFuncSeparate(BlendFactor srcRgb, BlendFactor dstRgb, BlendFactor srcAlpha,
                                        BlendFactor dstAlpha);
  void globalAlpha(float alpha);
  void fillColor(Color c);
  void fillPaint(const Paint& p);
  void strokeColor(Color c);
  void strokePaint(const Paint& p);
  void strokeWidth(float width);
  void lineCap(LineCap cap);
  void lineJoin(LineJoin join);
  void miterLimit(float limit);

  // ---- transform (each composes onto the current one: applied to points first)
  void resetTransform();
  void transform(float a, float b, float c, float d, float e, float f);
  void translate(float x, float y);
  void rotate(float radians);
  void scale(float x, float y);
  Transform currentTransform() const;

  // ---- scissor (a rectangle in the current user space)
  void scissor(float x, float y, float w, float h);
  // Intersects with the current scissor, taken as its bounding box in the current space.
  void intersectScissor(float x, float y, float w, float h);
  void resetScissor();

  // ---- paths
  void beginPath();
  void moveTo(float x, float y);
  void lineTo(float x, float y);
  void bezierTo(float c1x, float c1y, float c2x, float c2y, float x, float y);
  void quadTo(float cx, float cy, float x, float y);
  // Angles in radians, 0 along +x; clockwise as seen on screen (y down).
  void arc(float cx, float cy, float r, float a0, float a1, ArcDirection dir);
  void rect(float x, float y, float w, float h);
  void circle(float cx, float cy, float r);
  void closePath();
  void pathWinding(Winding w);
  void fill();
  void stroke();

  // ---- images (RGBA8 rows, top first; `pixels` must hold width*height*4 bytes)
  int createImageRGBA(int width, int height, int flags, std::span<const std::uint8_t> pixels);
  // An image without initial contents (render targets).
  int createImageEmpty(int width, int height, int flags);
  bool updateImage(int image, std::span<const std::uint8_t> pixels);
  bool imageSize(int image, int& width, int& height) const;
  // Forgets the image; its texture goes with it only where it is this
  // renderer's (see below).
  bool deleteImage(int image);
  // Textures of the GL share group: an image of a texture another context
  // made, which this renderer draws but never deletes or changes (updateImage
  // refuses it); and an image of this renderer's handed over to the group
  // (it stays drawable here; the name returned is then the caller's to
  // delete, 0 where the image is not this renderer's to give).
  int createImageFromTexture(GLuint texture, int width, int height, int flags);
  GLuint disownImage(int image);

  // ---- text
  // The data is copied. -1 for missing or malformed data.
  int createFontMem(std::string_view name, std::span<const std::uint8_t> data);
  // The data is shared, not copied: held while the font lives.
  int createFontShared(std::string_view name, std::shared_ptr<const std::vector<std::uint8_t>> data);
  int findFont(std::string_view name) const;
  bool deleteFont(int font);
  void fontFace(int font);
  // Size of the em in user units.
  void fontSize(float size);
  void textAlign(int align);
  // Draws UTF-8 text; returns the pen's x after the last glyph (user space).
  float text(float x, float y, std::string_view utf8);
  // Advance width; the line box (ascender to descender) in `bounds`.
  float textBounds(float x, float y, std::string_view utf8, TextBounds* bounds);
  // Ascender (above the baseline, positive), descender (below, negative) and
  // line height, in user units of the current font and size.
  bool textMetrics(float* ascender, float* descender, float* lineHeight) const;

  // ---- integration
  const GlApi& gl() const { return gl_; }
  GLuint textureName(int image) const;
  GLuint programName() const;
  GLuint bufferName() const;
  GLuint atlasTextureName() const;
  // Current size of the glyph atlas texture; false before any text was drawn.
  bool atlasSize(int& width, int& height) const;

 private:
  Renderer();
  RendererState& state();
  const RendererState& state() const;
  static bool paintIsFinite(const Paint& p);
  Transform deviceTransform() const;
  Point toDevice(float x, float y) const;
  void addArcSegment(float cx, float cy, float r, float a0, float da, bool connect);
  void prepareVertices(std::vector<Vertex>& verts, const Paint& paint, float alphaScale) const;
  bool paintUniforms(const Paint& paint, FragUniforms& u) const;
  void scissorUniforms(FragUniforms& u) const;
  float layoutText(float x, float y, std::string_view utf8, std::vector<Vertex>* out, TextBounds* bounds);

  GlApi gl_;
  std::unique_ptr<GlBackend> backend_;
  std::unique_ptr<PathBuilder> path_;
  std::unique_ptr<GlyphAtlas> atlas_;
  int atlasImage_ = 0;
  std::vector<RendererState> states_;
  struct Font {
    std::string name;
    std::unique_ptr<FontFace> face;
  };
  std::vector<Font> fonts_;
  float pixelRatio_ = 1.0f;
  bool inFrame_ = false;
};

}  // namespace fx::vg
