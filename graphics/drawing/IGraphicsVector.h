#pragma once
// The drawing backend: the graphics context's drawing operations (bitmaps,
// paths, fills, strokes, text, clipping, transforms, layers) turned into
// calls of the vector renderer on OpenGL 2.
//
// The page is drawn into an off-screen main frame buffer that keeps it
// between frames, so that a frame redraws only its dirty areas; the end of
// every frame presents the whole buffer to the window's frame buffer as one
// image. The renderer exists between OnViewInitialized (the platform hands
// in a GlViewContext with its context current) and OnViewDestroyed; without
// it every drawing operation does nothing, and loading still works (images
// are uploaded when a renderer is there to draw them).
//
// Renderer images belong to one renderer context, so each context has its
// own bitmap cache under its own lock. The decoded pixels of artwork and
// font file data are shared by the whole process (DecodedImageCache,
// FontDataCache), each context being one of their users. Where the
// platform's context is one of a GL share group (GlViewContext::textures),
// artwork is uploaded once for the group and drawn by every context of it
// from that texture; the decoded pixels are then dropped (from the record
// and the process-wide cache), and a record that needs them again (a later
// renderer with the group's texture gone) decodes them again. Layout units map to the renderer's canvas
// through the draw scale; the canvas maps to pixels through the screen
// scale. Editor thread, with the view's GL context current.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "graphics/IGraphics.h"
#include "graphics/ResourceCaches.h"
#include "graphics/drawing/DecodedImageCache.h"
#include "graphics/drawing/FontDataCache.h"
#include "graphics/drawing/SharedTextures.h"
#include "renderer/FrameBufferImage.h"
#include "renderer/Renderer.h"

namespace fx::igraphics {

class IGraphicsVector : public IGraphics {
 public:
  // A renderer image: decoded artwork, or a layer with its own frame buffer.
  class Bitmap : public APIBitmap {
   public:
    // Decoded artwork under key (the decoded-image cache's), uploaded when a
    // renderer exists; the record keeps the pixels for a later renderer
    // unless they went into a share group's texture. Drawn from the share
    // group's texture where there is one, else uploaded from the pixels (or
    // what `reload` gives when they are not at hand) and offered to the group.
    Bitmap(IGraphicsVector& owner, std::string key, std::int32_t pixelWidth, std::int32_t pixelHeight,
           DecodedImageCache::Pixels pixels, std::function<DecodedImageCache::Pixels()> reload,
           std::int32_t resolution);
    // A layer: the frame buffer's image.
    Bitmap(IGraphicsVector& owner, std::unique_ptr<fx::vg::FrameBufferImage> frameBuffer, std::int32_t resolution,
           float imageDrawScale);
    ~Bitmap() override;

    // The renderer image, uploading the pixels first; 0 when there is none.
    int EnsureImage();
    const DecodedImageCache::Pixels& GetPixels() const { return pixels_; }
    fx::vg::FrameBufferImage* GetFrameBuffer() const { return frameBuffer_.get(); }
    IGraphicsVector& GetOwner() const { return owner_; }
    // Deletes the renderer image (the renderer is about to go); the record
    // stays, drawing nothing until EnsureImage uploads its pixels again. A
    // share group's texture is only let go (deleted by its last user).
    void ReleaseImage();
    // The share group whose texture this record draws; null when none.
    const SharedTextures* SharedIn() const { return sharedIn_; }
    // Where the image's texture is it packed (null: the whole image), once
    // EnsureImage has made or found one.
    const SparseImage* Sparse() const { return sparse_.get(); }
    // A packed image's whole pixels, for a blend that changes what lies
    // under the image's transparent texels: decoded by `decode` on first use
    // and uploaded for this record alone. 0 when there are none.
    void SetWholeSource(std::function<DecodedImage()> decode) { decodeWhole_ = std::move(decode); }
    int EnsureWholeImage();
    bool shared = false;  // the image is not deleted with the record

   private:
    IGraphicsVector& owner_;
    DecodedImageCache::Pixels pixels_;
    std::unique_ptr<fx::vg::FrameBufferImage> frameBuffer_;
    std::string key_;
    std::function<DecodedImageCache::Pixels()> reload_;
    SharedTextures* sharedIn_ = nullptr;
    std::shared_ptr<const SparseImage> sparse_;
    std::function<DecodedImage()> decodeWhole_;
    int wholeImage_ = 0;
  };

  IGraphicsVector(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height, std::int32_t fps,
                  float scale);
  ~IGraphicsVector() override;

  // True when the lower-cased name (its first 32 characters) contains "png", "jpg" or "jpeg".
  static bool IsSupportedBitmapName(const char* name);

  const char* GetDrawingAPIStr() const override { return "Vector | GL2"; }
  bool BitmapExtSupported(const char* name) const override { return IsSupportedBitmapName(name); }
  void BeginFrame() override;
  void EndFrame() override;
  // platformContext: a GlViewContext (null does nothing).
  void OnViewInitialized(void* platformContext) override;
  void OnViewDestroyed() override;
  void DrawResize() override;
  void DrawBitmapRegion(const IBitmapStrip& strip, const IBounds& dest, std::int32_t srcX, std::int32_t srcY,
                        const IBlendMode* blend) override;
  void PathReset() override;
  void PathCloseShape() override;
  void PathAddArc(float cx, float cy, float r, float startDegrees, float endDegrees, std::int32_t winding) override;
  void PathMove(float x, float y) override;
  void PathAddLine(float x, float y) override;
  void PathAddCubic(float c1x, float c1y, float c2x, float c2y, float x2, float y2) override;
  void PathAddQuadratic(float cx, float cy, float x2, float y2) override;
  void PathWinding(std::int32_t winding) override;
  void PathFillWith(const IPattern& pattern, const IFillOptions& options, const IBlendMode* blend) override;
  void PathStrokeWith(const IPattern& pattern, float thickness, const IStrokeOptions& options,
                      const IBlendMode* blend) override;
  void PathTransform(const IMatrix& matrix) override;
  void ClipToArea(const IBounds& area) override;
  float MeasureString(const ITextStyle& style, const char* text, IBounds& rect) const override;
  void DrawString(const ITextStyle& style, const char* text, const IBounds& rect, const IBlendMode* blend) override;
  // True when the font's data is there (cached or from the platform font)
  // and, with a view, the renderer made a font of it.
  bool LoadAPIFont(const char* fontId, const PlatformFont& font) override;
  std::unique_ptr<APIBitmap> LoadAPIBitmap(const char* name, std::int32_t scale, ResourceLocation location,
                                           const std::string& locationText) override;
  // Reads the images' bytes, queues them in the process-wide cache and
  // starts a worker thread decoding them; the worker is joined by the next
  // prefetch or the destructor (it stops between images).
  void PrefetchAPIBitmaps(std::span<const ImageSource> images) override;
  // width x height pixels; scale and drawScale as for loaded bitmaps. Null without a renderer.
  std::unique_ptr<APIBitmap> CreateAPIBitmap(std::int32_t width, std::int32_t height, std::int32_t scale,
                                             float drawScale) override;
  // Renderer images belong to this context: its strips are cached here.
  BitmapCache& StripCache() override { return bitmapCache_; }
  void DrawFastDropShadow(const IBounds& inner, const IBounds& outer, float xyDrop, float roundness, float blur,
                          const IBlendMode* blend) override;
  void DrawDottedLine(const IArgb& colour, float x1, float y1, float x2, float y2, const IBlendMode* blend,
                      float thickness, float dashLength) override;
  void DrawDottedRect(const IArgb& colour, const IBounds& bounds, const IBlendMode* blend, float thickness,
                      float dashLength) override;

  // Layers: drawing between StartLayer and EndLayer goes into an image of
  // the area (layout units), which EndLayer hands back for drawing with
  // DrawBitmapRegion (strip from MakeLayerStrip). Only inside a frame; false
  // or null otherwise.
  bool StartLayer(const IBounds& area);
  std::unique_ptr<APIBitmap> EndLayer();
  static IBitmapStrip MakeLayerStrip(APIBitmap* layer);

  // Where the next frames are presented: the whole window (the default), or
  // only these rectangles (window pixels, top-left origin), the window's
  // frame buffer keeping everything else from earlier frames. A window
  // system that can present part of its buffer (copying it rather than
  // swapping) asks for this; it is pixel for pixel what a whole present gives.
  struct PixelRect {
    std::int32_t x = 0, y = 0, w = 0, h = 0;
    bool operator==(const PixelRect&) const = default;
  };
  void PresentOnly(std::vector<PixelRect> rects) {
    presentRects_ = std::move(rects);
    partialPresent_ = true;
  }
  void PresentWhole() { partialPresent_ = false; }
  // What the next frames present: the rectangles, or null for the whole window.
  const std::vector<PixelRect>* PresentedPart() const { return partialPresent_ ? &presentRects_ : nullptr; }

  // ---- for the platform, headless rendering, tests and benchmarks
  fx::vg::Renderer* GetRenderer() const { return renderer_.get(); }
  const fx::vg::FrameBufferImage* GetMainFrameBuffer() const { return mainFrameBuffer_.get(); }
  // Pixel size of the page: int(layout size x draw scale) x screen scale.
  std::int32_t PagePixelWidth() const;
  std::int32_t PagePixelHeight() const;
  std::size_t NCachedBitmaps() const;
  FontDataCache& GetFontDataCache() const { return *fontData_; }
  DecodedImageCache& GetDecodedImageCache() const { return *decodedImages_; }
  // The share group's texture store of the view's context; null without one.
  SharedTextures* GetSharedTextures() const { return sharedTextures_; }
  std::int32_t NFramesBegun() const { return framesBegun_; }

 private:
  struct Layer {
    std::unique_ptr<Bitmap> bitmap;
    IBounds area;
  };

  // The decoded-image cache's key for a location.
  std::string ImageKey(ResourceLocation location, const std::string& locationText) const;
  void StopPrefetch();
  void CreateRendererFonts();
  void UploadCachedBitmaps();
  void ReleaseGlResources();
  // The renderer transform for layout units with the current layer's origin, then `m`.
  void SetRendererTransform(const fx::vg::Transform& m);
  void StartRendererFrame(std::int32_t pixelWidth, std::int32_t pixelHeight, std::uint32_t framebuffer);
  void AddDottedSegment(float x1, float y1, float x2, float y2, float dashLength);
  void SetPaint(const IPattern& pattern, const IBlendMode* blend, bool forStroke);
  void NoteCurrentPoint(float x, float y) { currentX_ = x, currentY_ = y; }

  // First, so that this context is a user of the process-wide caches for
  // as long as any of its members may hold something of theirs.
  FontDataCache::User fontData_;
  DecodedImageCache::User decodedImages_;
  std::unique_ptr<fx::vg::Renderer> renderer_;
  SharedTextures* sharedTextures_ = nullptr;  // with the renderer
  std::unique_ptr<fx::vg::FrameBufferImage> mainFrameBuffer_;
  std::vector<Layer> layers_;
  // The fonts this context registered, by id, with the data they were made from.
  std::vector<std::pair<std::string, FontDataCache::Bytes>> fonts_;
  // The strips' images of this context (its own lock inside).
  mutable BitmapCache bitmapCache_;
  // Decodes prefetched artwork while the window opens.
  std::atomic<bool> prefetchStop_{false};
  std::thread prefetch_;
  // The part of an axis-aligned destination that can show through the clip;
  // the destination itself under rotation or without a clip.
  IBounds VisiblePart(const IBounds& dest) const;
  // Fills a rectangle (user units) with an image paint under a blend.
  void FillImageRect(const IBounds& rect, const fx::vg::Paint& paint, const IBlendMode* blend);
  // Device pixels a user unit spans at the least, under the path transform.
  float DevicePixelsPerUnit() const;

  fx::vg::Transform userTransform_;  // the last PathTransform's matrix
  IBounds clipArea_;                 // the last ClipToArea's area (layout units); empty: none
  std::uint32_t windowFramebuffer_ = 0;
  std::vector<PixelRect> presentRects_;
  bool partialPresent_ = false;
  bool inFrame_ = false;
  std::int32_t framesBegun_ = 0;
  float currentX_ = 0.0f, currentY_ = 0.0f;
  float subpathX_ = 0.0f, subpathY_ = 0.0f;
  bool windingSet_ = false;  // PathWinding was called since the last PathMove
  std::int32_t subpathsMoved_ = 0;  // PathMove calls since the last PathReset
};

}  // namespace fx::igraphics
