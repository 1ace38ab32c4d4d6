#pragma once
// Collects a frame's draws, batching consecutive triangle draws that share
// paint uniforms, texture and blend state, and replays them through GL at
// the end of the frame from one vertex buffer. Also owns the textures,
// except those it was lent: a texture of another context of the share group
// (adopted), or one it made and handed over (disowned), is used by its id
// like any other but never deleted here.
//
// The scissor is a mask in the fragment shader (soft at its edges, any
// transform). A draw whose blending leaves the destination as it is under a
// fully transparent source also gets the GL scissor test, set to the mask's
// bounding box in whole pixels with a pixel to spare: the pixels it keeps
// the rasteriser from shading are exactly those the mask would have left
// unchanged, so a small clip costs a software rasteriser only its own
// pixels. Other blendings (copy, source-in, ...) change the destination
// where the mask is zero and are replayed unclipped.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "renderer/CompositeOperation.h"
#include "renderer/FragUniforms.h"
#include "renderer/FrameStats.h"
#include "renderer/GlApi.h"
#include "renderer/ShaderProgram.h"
#include "renderer/SharedPrograms.h"
#include "renderer/Vertex.h"

namespace fx::vg {

class GlBackend {
 public:
  // Internal texture flag: one alpha channel (the glyph atlas).
  static constexpr int kAlphaTexture = 1 << 16;
  static constexpr int kMaxImagePixels = 1 << 26;

  // programs: the share group's programs (null: every program is this backend's own).
  explicit GlBackend(const GlApi& gl, SharedPrograms* programs = nullptr);
  ~GlBackend();
  GlBackend(const GlBackend&) = delete;
  GlBackend& operator=(const GlBackend&) = delete;

  bool init();
  const std::string& error() const { return error_; }

  // Textures: ids start at 1; 0 means refused.
  int createTexture(int width, int height, int flags, const std::uint8_t* pixels);
  bool updateTexture(int id, const std::uint8_t* pixels);
  // New storage of a new size under the same id (the glyph atlas grows so).
  bool resizeTexture(int id, int width, int height, const std::uint8_t* pixels);
  bool textureSize(int id, int& width, int& height) const;
  int textureFlags(int id) const;
  // Forgets the texture; deletes its GL name only where it is ours.
  bool deleteTexture(int id);
  // A texture of the share group under a new id, never deleted here; 0 for
  // a name of 0 or a size this context cannot use.
  int adoptTexture(GLuint name, int width, int height, int flags);
  // The texture's name, no longer ours to delete (the id stays usable); 0
  // when there is no such texture or it was not ours.
  GLuint disownTexture(int id);
  GLuint textureName(int id) const;
  // The first program built (solid paint, no scissor).
  GLuint programName() const;
  GLuint bufferName() const { return buffer_; }

  void beginFrame(float viewWidth, float viewHeight);
  void addTriangles(std::span<const Vertex> verts, const FragUniforms& u, int image, const CompositeState& blend);
  void addStencilFill(std::span<const Vertex> interior, std::span<const Vertex> fringe, std::span<const Vertex> cover,
                      const FragUniforms& u, int image, const CompositeState& blend);
  void addStencilStroke(std::span<const Vertex> verts, const FragUniforms& u, int image, const CompositeState& blend);
  // `atlas` supplies the inverse size for glyph draws at replay time.
  void endFrame(int atlas);
  void cancelFrame();
  const FrameStats& stats() const { return stats_; }

 private:
  struct Texture {
    GLuint name = 0;
    int width = 0, height = 0, flags = 0;
    bool owned = true;
  };
  enum class Kind { Triangles, Fill, Stroke };
  struct Call {
    Kind kind;
    int uniform;
    int image;
    CompositeState blend;
    int first = 0, count = 0;
    int fringeFirst = 0, fringeCount = 0;
    int coverFirst = 0, coverCount = 0;
  };

  int pushUniform(const FragUniforms& u);
  int pushVertices(std::span<const Vertex> verts);
  void upload(const Texture& t, const std::uint8_t* pixels, bool create);
  ShaderProgram* program(ShaderProgram::Variant v);
  static ShaderProgram::Variant variantOf(const FragUniforms& u);
  void setBlend(const CompositeState& s);
  // unclipped: the draw's scissor is the GL box alone (an exact one).
  bool setUniform(int index, int atlas, bool unclipped = false);
  void setTexture(int image);
  void draw(int first, int count);
  // The GL scissor box for a draw (x, y from the bottom left, width,
  // height). Exact: the scissor is an unrotated rectangle on pixel edges,
  // whose soft mask is 1 on every pixel inside and 0 outside, so the box of
  // exactly those pixels is the whole clip and the shader needs none. Soft:
  // a pixel wider than the mask, which does the clipping. Unboxed: the draw
  // is replayed without a box.
  enum class Clip { Unboxed, Soft, Exact };
  Clip scissorBox(const FragUniforms& u, const CompositeState& blend, std::array<GLint, 4>& box) const;
  void setScissor(bool clip, const std::array<GLint, 4>& box);

  const GlApi& gl_;
  SharedPrograms* sharedPrograms_ = nullptr;
  std::array<std::unique_ptr<ShaderProgram>, ShaderProgram::kVariantCount> programs_;
  std::array<bool, ShaderProgram::kVariantCount> failed_{};
  std::string error_;
  GLuint buffer_ = 0;
  GLint maxTextureSize_ = 0;
  std::map<int, Texture> textures_;
  int nextTexture_ = 1;

  float viewWidth_ = 1.0f, viewHeight_ = 1.0f;
  std::vector<Vertex> vertices_;
  std::vector<FragUniforms> uniforms_;
  std::vector<Call> calls_;

  // Replay state, to skip redundant GL calls.
  FrameStats stats_;
  ShaderProgram* boundProgram_ = nullptr;
  std::array<int, ShaderProgram::kVariantCount> programUniform_{};  // uniform block last sent to each
  std::array<bool, ShaderProgram::kVariantCount> programViewSet_{};
  GLuint boundTexture_ = 0;
  bool scissorOn_ = false;
  std::array<GLint, 4> boundScissor_{};
  bool blendKnown_ = false;
  CompositeState boundBlend_;
};

}  // namespace fx::vg
