#include "graphics/drawing/IGraphicsVector.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "graphics/drawing/BlendComposite.h"
#include "graphics/drawing/GlViewContext.h"
#include "graphics/drawing/ImageDecoder.h"
#include "renderer/ImageFlags.h"

namespace fx::igraphics {

namespace gl = fx::vg::gl;
using fx::vg::Transform;

namespace {
constexpr float kPi = std::numbers::pi_v<float>;

bool Finite(std::initializer_list<float> values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

std::string Extension(const char* name) {
  const char* dot = std::strrchr(name, '.');
  return dot ? std::string(dot + 1) : std::string();
}

// The renderer's alignment bits and the point text is placed at.
int TextAlignFor(const ITextStyle& style, const IBounds& rect, float& x, float& y) {
  int align = 0;
  switch (style.hAlign) {
    case ITextStyle::kLeft: align |= fx::vg::AlignLeft, x = rect.left; break;
    case ITextStyle::kRight: align |= fx::vg::AlignRight, x = rect.right; break;
    default: align |= fx::vg::AlignCenter, x = rect.MW(); break;
  }
  switch (style.vAlign) {
    case ITextStyle::kTop: align |= fx::vg::AlignTop, y = rect.top; break;
    case ITextStyle::kBottom: align |= fx::vg::AlignBottom, y = rect.bottom; break;
    default: align |= fx::vg::AlignMiddle, y = rect.MH(); break;
  }
  return align;
}
}  // namespace

// ---- Bitmap

IGraphicsVector::Bitmap::Bitmap(IGraphicsVector& owner, std::unique_ptr<fx::vg::FrameBufferImage> frameBuffer,
                                std::int32_t resolution, float imageDrawScale)
    : APIBitmap(frameBuffer->image(), frameBuffer->width(), frameBuffer->height(), resolution, imageDrawScale),
      owner_(owner),
      frameBuffer_(std::move(frameBuffer)) {}

IGraphicsVector::Bitmap::~Bitmap() { ReleaseImage(); }

IGraphicsVector::Bitmap::Bitmap(IGraphicsVector& owner, std::string key, std::int32_t pixelWidth, std::int32_t pixelHeight,
                                DecodedImageCache::Pixels pixels, std::function<DecodedImageCache::Pixels()> reload,
                                std::int32_t resolution)
    : APIBitmap(0, pixelWidth, pixelHeight, resolution, 1.0f),
      owner_(owner),
      pixels_(std::move(pixels)),
      key_(std::move(key)),
      reload_(std::move(reload)) {
  EnsureImage();
}

int IGraphicsVector::Bitmap::EnsureImage() {
  fx::vg::Renderer* r = owner_.GetRenderer();
  if (imageHandle || !r || frameBuffer_) return imageHandle;
  SharedTextures* group = key_.empty() ? nullptr : owner_.GetSharedTextures();
  SharedTextures::Texture texture;
  if (group && group->Use(key_, texture)) {
    const SparseImage* sparse = texture.sparse.get();
    imageHandle = r->createImageFromTexture(texture.name, sparse ? sparse->width : texture.width,
                                            sparse ? sparse->height : texture.height, texture.flags);
    if (imageHandle) {
      sharedIn_ = group;
      sparse_ = texture.sparse;
      pixels_.reset();
      return imageHandle;
    }
    // This context cannot draw it (a smaller size limit): its own upload.
    if (const std::uint32_t last = group->Release(key_)) {
      r->gl().DeleteTextures(1, &last);
      owner_.GetDecodedImageCache().NoteUploadGone(key_);
    }
    group = nullptr;
  }
  if (!pixels_ && reload_) pixels_ = reload_();
  if (!pixels_) return 0;
  const int flags = pixels_->premultiplied ? fx::vg::ImagePremultiplied : 0;
  const SparseImage* sparse = pixels_->sparse.get();
  imageHandle = r->createImageRGBA(sparse ? sparse->width : width, sparse ? sparse->height : height, flags,
                                   pixels_->pixels);
  if (!imageHandle) return 0;
  sparse_ = pixels_->sparse;
  if (group) {
    texture = {r->textureName(imageHandle), width, height, flags, sparse_};
    if (group->Add(key_, texture)) {
      r->disownImage(imageHandle);
      sharedIn_ = group;
      // The group's texture is the picture now: nobody keeps the pixels.
      owner_.GetDecodedImageCache().NoteUploaded(key_);
      pixels_.reset();
    }
  }
  return imageHandle;
}

int IGraphicsVector::Bitmap::EnsureWholeImage() {
  fx::vg::Renderer* r = owner_.GetRenderer();
  if (wholeImage_ || !r || !decodeWhole_) return wholeImage_;
  const DecodedImage image = decodeWhole_();
  if (image.width != width || image.height != height) return 0;
  wholeImage_ = r->createImageRGBA(width, height, image.premultiplied ? fx::vg::ImagePremultiplied : 0, image.pixels);
  return wholeImage_;
}

void IGraphicsVector::Bitmap::ReleaseImage() {
  fx::vg::Renderer* r = owner_.GetRenderer();
  if (wholeImage_ && r) r->deleteImage(wholeImage_);
  wholeImage_ = 0;
  if (frameBuffer_) {
    frameBuffer_.reset();  // deletes its image with it
  } else if (imageHandle && !shared) {
    // A group's texture is only forgotten here: its last user deletes it.
    if (r) r->deleteImage(imageHandle);
    if (sharedIn_) {
      if (const std::uint32_t last = sharedIn_->Release(key_)) {
        if (r) r->gl().DeleteTextures(1, &last);
        owner_.GetDecodedImageCache().NoteUploadGone(key_);
      }
    }
  }
  sharedIn_ = nullptr;
  sparse_.reset();
  imageHandle = 0;
}

// ---- construction

IGraphicsVector::IGraphicsVector(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height,
                                 std::int32_t fps, float scale)
    : IGraphics(delegate, width, height, fps, scale) {}

IGraphicsVector::~IGraphicsVector() {
  StopPrefetch();
  ReleaseGlResources();
}

bool IGraphicsVector::IsSupportedBitmapName(const char* name) {
  if (!name) return false;
  std::string lower;
  for (std::size_t i = 0; i < 32 && name[i]; ++i)
    lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(name[i]))));
  return lower.find("png") != std::string::npos || lower.find("jpg") != std::string::npos ||
         lower.find("jpeg") != std::string::npos;
}

std::int32_t IGraphicsVector::PagePixelWidth() const {
  return static_cast<std::int32_t>(static_cast<std::int32_t>(Width() * GetDrawScale()) * GetScreenScale());
}

std::int32_t IGraphicsVector::PagePixelHeight() const {
  return static_cast<std::int32_t>(static_cast<std::int32_t>(Height() * GetDrawScale()) * GetScreenScale());
}

// ---- view lifecycle

void IGraphicsVector::OnViewInitialized(void* platformContext) {
  const auto* view = static_cast<const GlViewContext*>(platformContext);
  if (!view || !view->loader || renderer_) return;
  renderer_ = fx::vg::Renderer::create(view->loader, view->loaderUser,
                                       view->textures ? &view->textures->Programs() : nullptr);
  if (!renderer_) return;
  sharedTextures_ = view->textures;
  CreateRendererFonts();
  UploadCachedBitmaps();
  DrawResize();
}

void IGraphicsVector::UploadCachedBitmaps() {
  // Strips held by controls point at these records, so the records stay and
  // only their images come back, from the pixels they kept.
  std::lock_guard guard(bitmapCache_.Lock());
  bitmapCache_.ForEach([](APIBitmap& bitmap) {
    if (auto* b = dynamic_cast<Bitmap*>(&bitmap); b && !b->GetFrameBuffer()) b->EnsureImage();
  });
}

void IGraphicsVector::OnViewDestroyed() { ReleaseGlResources(); }

void IGraphicsVector::ReleaseGlResources() {
  if (!renderer_) return;
  if (inFrame_) renderer_->cancelFrame();
  inFrame_ = false;
  layers_.clear();
  mainFrameBuffer_.reset();
  {
    std::lock_guard guard(bitmapCache_.Lock());
    bitmapCache_.ForEach([](APIBitmap& bitmap) {
      if (auto* b = dynamic_cast<Bitmap*>(&bitmap)) b->ReleaseImage();
    });
  }
  sharedTextures_ = nullptr;
  renderer_.reset();
}

void IGraphicsVector::DrawResize() {
  if (!renderer_) return;
  mainFrameBuffer_.reset();  // the old one goes first
  const std::int32_t w = PagePixelWidth(), h = PagePixelHeight();
  if (w <= 0 || h <= 0) return;
  // Only ever copied to the window texel for pixel, where filtering changes
  // nothing; unfiltered sampling is the cheaper on a software rasteriser.
  mainFrameBuffer_ = fx::vg::FrameBufferImage::create(*renderer_, w, h,
                                                      fx::vg::ImageFlipY | fx::vg::ImagePremultiplied |
                                                          fx::vg::ImageNearest);
}

// ---- frames

void IGraphicsVector::StartRendererFrame(std::int32_t pixelWidth, std::int32_t pixelHeight, std::uint32_t framebuffer) {
  const fx::vg::GlApi& g = renderer_->gl();
  g.BindFramebuffer(gl::kFramebuffer, framebuffer);
  g.Viewport(0, 0, pixelWidth, pixelHeight);
  const float ss = GetScreenScale();
  renderer_->beginFrame(pixelWidth / ss, pixelHeight / ss, ss);
}

void IGraphicsVector::BeginFrame() {
  if (!renderer_ || inFrame_) return;
  const fx::vg::GlApi& g = renderer_->gl();
  const std::int32_t w = PagePixelWidth(), h = PagePixelHeight();
  if (!mainFrameBuffer_ || mainFrameBuffer_->width() != w || mainFrameBuffer_->height() != h) DrawResize();
  g.Viewport(0, 0, w, h);
  g.ClearColor(0, 0, 0, 0);
  // With a main frame buffer the window's frame buffer only receives the
  // page (rectangle fills, no stencil): its depth and stencil are never
  // used, and a partial present keeps its pixels outside the rectangles.
  // Clearing nothing there lets a software rasteriser leave the rest of
  // the window untouched.
  if (!mainFrameBuffer_)
    g.Clear(gl::kColorBufferBit | gl::kDepthBufferBit | gl::kStencilBufferBit);
  else if (!partialPresent_)
    g.Clear(gl::kColorBufferBit);
  fx::vg::GLint window = 0;
  g.GetIntegerv(gl::kFramebufferBinding, &window);
  windowFramebuffer_ = static_cast<std::uint32_t>(window);
  // Without a main frame buffer the page is drawn straight to the window.
  StartRendererFrame(w, h, mainFrameBuffer_ ? mainFrameBuffer_->framebuffer() : windowFramebuffer_);
  userTransform_ = Transform::identity();
  clipArea_ = IBounds{};
  SetRendererTransform(userTransform_);
  inFrame_ = true;
  ++framesBegun_;
}

void IGraphicsVector::EndFrame() {
  if (!renderer_ || !inFrame_) return;
  while (!layers_.empty()) EndLayer();
  renderer_->endFrame();
  inFrame_ = false;
  if (!mainFrameBuffer_) return;
  const std::int32_t w = PagePixelWidth(), h = PagePixelHeight();
  StartRendererFrame(w, h, windowFramebuffer_);
  const float ss = GetScreenScale();
  const float cw = w / ss, ch = h / ss;
  const fx::vg::Paint page = fx::vg::Paint::imagePattern(0, 0, cw, ch, 0, mainFrameBuffer_->image(), 1.0f);
  renderer_->globalCompositeOperation(fx::vg::CompositeOperation::SourceOver);
  if (partialPresent_) {
    // Each rectangle its own convex fill: whole pixels of the page, copied as they are.
    for (const PixelRect& r : presentRects_) {
      renderer_->beginPath();
      renderer_->rect(static_cast<float>(r.x) / ss, static_cast<float>(r.y) / ss, static_cast<float>(r.w) / ss,
                      static_cast<float>(r.h) / ss);
      renderer_->fillPaint(page);
      renderer_->fill();
    }
  } else {
    renderer_->beginPath();
    renderer_->rect(0, 0, cw, ch);
    renderer_->fillPaint(page);
    renderer_->fill();
  }
  renderer_->endFrame();
}

// ---- layers

bool IGraphicsVector::StartLayer(const IBounds& area) {
  if (!renderer_ || !inFrame_ || area.Empty() || !area.IsFinite()) return false;
  const float ps = GetDrawScale() * GetScreenScale();
  const auto w = static_cast<std::int32_t>(std::ceil(area.W() * ps));
  const auto h = static_cast<std::int32_t>(std::ceil(area.H() * ps));
  auto made = CreateAPIBitmap(w, h, std::max(1, static_cast<std::int32_t>(std::ceil(GetScreenScale()))), GetDrawScale());
  auto* bitmap = dynamic_cast<Bitmap*>(made.get());
  if (!bitmap) return false;
  made.release();
  renderer_->endFrame();
  layers_.push_back({std::unique_ptr<Bitmap>(bitmap), area});
  const fx::vg::GlApi& g = renderer_->gl();
  g.BindFramebuffer(gl::kFramebuffer, bitmap->GetFrameBuffer()->framebuffer());
  g.Viewport(0, 0, w, h);
  g.ClearColor(0, 0, 0, 0);
  g.Clear(gl::kColorBufferBit | gl::kStencilBufferBit);
  StartRendererFrame(w, h, bitmap->GetFrameBuffer()->framebuffer());
  clipArea_ = IBounds{};
  userTransform_ = Transform::identity();
  SetRendererTransform(userTransform_);
  return true;
}

std::unique_ptr<APIBitmap> IGraphicsVector::EndLayer() {
  if (!renderer_ || !inFrame_ || layers_.empty()) return nullptr;
  renderer_->endFrame();
  std::unique_ptr<Bitmap> done = std::move(layers_.back().bitmap);
  layers_.pop_back();
  if (!layers_.empty()) {
    const fx::vg::FrameBufferImage* fb = layers_.back().bitmap->GetFrameBuffer();
    StartRendererFrame(fb->width(), fb->height(), fb->framebuffer());
  } else {
    StartRendererFrame(PagePixelWidth(), PagePixelHeight(),
                       mainFrameBuffer_ ? mainFrameBuffer_->framebuffer() : windowFramebuffer_);
  }
  clipArea_ = IBounds{};
  userTransform_ = Transform::identity();
  SetRendererTransform(userTransform_);
  return done;
}

IBitmapStrip IGraphicsVector::MakeLayerStrip(APIBitmap* layer) {
  IBitmapStrip strip;
  if (!layer || layer->scale <= 0) return strip;
  strip.bitmap = layer;
  strip.width = layer->width / layer->scale;
  strip.height = layer->height / layer->scale;
  strip.nFrames = 1;
  return strip;
}

std::unique_ptr<APIBitmap> IGraphicsVector::CreateAPIBitmap(std::int32_t width, std::int32_t height,
                                                            std::int32_t scale, float drawScale) {
  if (!renderer_ || width <= 0 || height <= 0 || scale <= 0 || !(drawScale > 0.0f) || !std::isfinite(drawScale))
    return nullptr;
  auto fb = fx::vg::FrameBufferImage::create(*renderer_, width, height, fx::vg::ImageFlipY | fx::vg::ImagePremultiplied);
  if (!fb) return nullptr;
  return std::make_unique<Bitmap>(*this, std::move(fb), scale, drawScale);
}

// ---- transform and clip

void IGraphicsVector::SetRendererTransform(const Transform& m) {
  renderer_->resetTransform();
  const float ds = GetDrawScale();
  renderer_->scale(ds, ds);
  if (!layers_.empty()) renderer_->translate(-layers_.back().area.left, -layers_.back().area.top);
  renderer_->transform(m.m[0], m.m[1], m.m[2], m.m[3], m.m[4], m.m[5]);
}

void IGraphicsVector::PathTransform(const IMatrix& matrix) {
  if (!renderer_) return;
  const Transform m = Transform::of(matrix.xx, matrix.yx, matrix.xy, matrix.yy, matrix.tx, matrix.ty);
  if (!m.isFinite()) return;
  userTransform_ = m;
  SetRendererTransform(m);
}

void IGraphicsVector::ClipToArea(const IBounds& area) {
  if (!renderer_) return;
  SetRendererTransform(Transform::identity());
  if (area.AllZero() || !area.IsFinite()) {
    clipArea_ = IBounds{};
    renderer_->resetScissor();
  } else {
    clipArea_ = area;
    renderer_->scissor(area.left, area.top, std::max(0.0f, area.W()), std::max(0.0f, area.H()));
  }
  SetRendererTransform(userTransform_);
}

// ---- bitmaps

IBounds IGraphicsVector::VisiblePart(const IBounds& dest) const {
  const float* m = userTransform_.m;
  if (clipArea_.Empty() || m[1] != 0.0f || m[2] != 0.0f || !(m[0] > 0.0f) || !(m[3] > 0.0f)) return dest;
  const IBounds clip((clipArea_.left - m[4]) / m[0], (clipArea_.top - m[5]) / m[3], (clipArea_.right - m[4]) / m[0],
                     (clipArea_.bottom - m[5]) / m[3]);
  return dest.Intersect(clip);
}

void IGraphicsVector::DrawBitmapRegion(const IBitmapStrip& strip, const IBounds& dest, std::int32_t srcX,
                                       std::int32_t srcY, const IBlendMode* blend) {
  if (!renderer_ || !inFrame_ || !dest.IsFinite() || dest.Empty()) return;
  auto* b = dynamic_cast<Bitmap*>(strip.bitmap);
  if (!b || &b->GetOwner() != this || b->scale <= 0 || !(b->drawScale > 0.0f)) return;
  const int image = b->EnsureImage();
  if (!image) return;
  const float s = static_cast<float>(b->scale), d = b->drawScale;
  fx::vg::Paint paint;
  paint.kind = fx::vg::PaintKind::Image;
  paint.transform = Transform::translation(dest.left - static_cast<float>(srcX), dest.top - static_cast<float>(srcY)) *
                    Transform::scaling(1.0f / (s * d), 1.0f / (s * d));
  paint.extent[0] = s * static_cast<float>(strip.width);
  paint.extent[1] = s * static_cast<float>(strip.height);
  paint.image = image;
  paint.inner = paint.outer = fx::vg::Color::rgba(1, 1, 1, BlendWeight(blend));
  // The scissor alone would still have the whole rectangle rasterised: a
  // dirty area under the page-sized background would cost a full page.
  // Only the visible part is filled; the paint keeps its placement.
  const IBounds shown = VisiblePart(dest);
  if (shown.Empty()) return;
  const SparseImage* sparse = b->Sparse();
  if (sparse && !KeepsDestinationUnderClear(blend)) {
    // Such a blend changes what lies under transparent texels too: the
    // parts alone would leave the rest untouched.
    if (const int whole = b->EnsureWholeImage()) {
      paint.image = whole;
      sparse = nullptr;
    }
  }
  if (!sparse) {
    FillImageRect(shown, paint, blend);
    return;
  }
  // A packed image: each part over its content and a margin the whole image
  // leaves transparent there, from where it lies in the packed texture.
  const float texelsPerPixel = s * d / std::max(DevicePixelsPerUnit(), 1e-6f);
  const float margin = SparseImage::QuadMargin(texelsPerPixel);
  paint.extent[0] = static_cast<float>(sparse->width);
  paint.extent[1] = static_cast<float>(sparse->height);
  const float originX = dest.left - static_cast<float>(srcX), originY = dest.top - static_cast<float>(srcY);
  const Transform whole = paint.transform;
  for (const SparseImage::Part& part : sparse->parts) {
    const IBounds around = shown.Intersect(IBounds(originX + (static_cast<float>(part.left) - margin) / (s * d),
                                                   originY + (static_cast<float>(part.top) - margin) / (s * d),
                                                   originX + (static_cast<float>(part.right) + margin) / (s * d),
                                                   originY + (static_cast<float>(part.bottom) + margin) / (s * d)));
    if (around.Empty()) continue;
    paint.transform = whole * Transform::translation(static_cast<float>(part.left - part.packedX),
                                                     static_cast<float>(part.top - part.packedY));
    FillImageRect(around, paint, blend);
  }
}

void IGraphicsVector::FillImageRect(const IBounds& rect, const fx::vg::Paint& paint, const IBlendMode* blend) {
  renderer_->beginPath();
  renderer_->moveTo(rect.left, rect.top);
  renderer_->lineTo(rect.left, rect.bottom);
  renderer_->lineTo(rect.right, rect.bottom);
  renderer_->lineTo(rect.right, rect.top);
  renderer_->closePath();
  renderer_->fillPaint(paint);
  ApplyBlend(*renderer_, blend);
  renderer_->fill();
  renderer_->beginPath();
}

float IGraphicsVector::DevicePixelsPerUnit() const {
  // The smaller stretch of the path transform (its least singular value),
  // times the page's scales.
  const float* m = userTransform_.m;
  const double a = m[0], b = m[1], c = m[2], e = m[3];
  const double sum = a * a + b * b + c * c + e * e, det = std::fabs(a * e - b * c);
  const double least = std::sqrt(std::max(0.0, (sum - std::sqrt(std::max(0.0, sum * sum - 4.0 * det * det))) / 2.0));
  return static_cast<float>(least * static_cast<double>(GetDrawScale()) * static_cast<double>(GetScreenScale()));
}

std::size_t IGraphicsVector::NCachedBitmaps() const {
  std::lock_guard guard(bitmapCache_.Lock());
  return bitmapCache_.Size();
}

std::string IGraphicsVector::ImageKey(ResourceLocation location, const std::string& locationText) const {
  // Where the bytes come from names the image for every context of the
  // process: the store and module it is read from, the kind of location and
  // its text (which carries the resolution variant's file name).
  char origin[64];
  std::snprintf(origin, sizeof origin, "%p|%p|%d|", static_cast<const void*>(&GetResourceStore()),
                GetModuleInstance(), static_cast<int>(location));
  return origin + locationText;
}

std::unique_ptr<APIBitmap> IGraphicsVector::LoadAPIBitmap(const char* name, std::int32_t scale,
                                                          ResourceLocation location, const std::string& locationText) {
  if (!name || location == ResourceLocation::NotFound || scale <= 0) return nullptr;
  std::string key = ImageKey(location, locationText);
  // Reads and decodes the image afresh, premultiplied for upload.
  auto decode = [this, location, locationText, ext = Extension(name)](ImageUse use) {
    std::vector<std::uint8_t> bytes;
    if (!ReadResource(location, ext.c_str(), locationText, bytes)) return DecodedImage{};
    return DecodeImage(bytes, use);
  };
  // Decodes (or finds) the pixels, once for every context that uploads
  // them; kept by the record for a later renderer whose group no longer has
  // the texture.
  auto load = [this, key, decode]() {
    return decodedImages_->FindOrDecode(key, [&] { return decode(ImageUse::Upload); });
  };
  // A packed image's whole pixels, should a blend need them: not cached.
  auto whole = [decode]() { return decode(ImageUse::UploadWhole); };
  // Already a texture of this context's share group: nothing to decode.
  SharedTextures::Texture texture;
  std::unique_ptr<Bitmap> bitmap;
  if (renderer_ && sharedTextures_ && sharedTextures_->Find(key, texture)) {
    bitmap = std::make_unique<Bitmap>(*this, std::move(key), texture.width, texture.height, nullptr,
                                      std::move(load), scale);
    if (!bitmap->imageHandle) return nullptr;
  } else {
    DecodedImageCache::Pixels pixels = load();
    if (!pixels) return nullptr;
    const std::int32_t w = pixels->width, h = pixels->height;
    bitmap = std::make_unique<Bitmap>(*this, std::move(key), w, h, std::move(pixels), std::move(load), scale);
  }
  bitmap->SetWholeSource(std::move(whole));
  return bitmap;
}

void IGraphicsVector::PrefetchAPIBitmaps(std::span<const ImageSource> images) {
  StopPrefetch();
  bool queued = false;
  for (const ImageSource& image : images) {
    // Read here, on the caller's thread: the worker touches nothing of this
    // context's but the process-wide cache.
    std::vector<std::uint8_t> bytes;
    if (image.name && ReadResource(image.location, Extension(image.name).c_str(), image.locationText, bytes))
      queued |= decodedImages_->Queue(ImageKey(image.location, image.locationText), std::move(bytes));
  }
  if (!queued) return;
  prefetchStop_.store(false, std::memory_order_release);
  DecodedImageCache* cache = &*decodedImages_;
  prefetch_ = std::thread([cache, this] { cache->DecodeQueued(prefetchStop_); });
}

void IGraphicsVector::StopPrefetch() {
  if (!prefetch_.joinable()) return;
  prefetchStop_.store(true, std::memory_order_release);
  prefetch_.join();
}

// ---- paths

void IGraphicsVector::PathReset() {
  if (!renderer_) return;
  renderer_->beginPath();
  NoteCurrentPoint(0, 0);
  subpathX_ = subpathY_ = 0;
  windingSet_ = false;
  subpathsMoved_ = 0;
}

void IGraphicsVector::PathCloseShape() {
  if (!renderer_) return;
  renderer_->closePath();
  NoteCurrentPoint(subpathX_, subpathY_);
}

void IGraphicsVector::PathAddArc(float cx, float cy, float r, float startDegrees, float endDegrees,
                                 std::int32_t winding) {
  if (!renderer_ || !Finite({cx, cy, r, startDegrees, endDegrees})) return;
  // 0 degrees points up, angles grow clockwise on screen.
  const float a0 = (startDegrees - 90.0f) / 180.0f * kPi;
  const float a1 = (endDegrees - 90.0f) / 180.0f * kPi;
  renderer_->arc(cx, cy, r, a0, a1,
                 winding == 0 ? fx::vg::ArcDirection::Clockwise : fx::vg::ArcDirection::CounterClockwise);
  NoteCurrentPoint(cx + r * std::cos(a1), cy + r * std::sin(a1));
}

void IGraphicsVector::PathMove(float x, float y) {
  if (!renderer_ || !Finite({x, y})) return;
  renderer_->moveTo(x, y);
  NoteCurrentPoint(x, y);
  subpathX_ = x, subpathY_ = y;
  windingSet_ = false;
  ++subpathsMoved_;
}

void IGraphicsVector::PathAddLine(float x, float y) {
  if (!renderer_ || !Finite({x, y})) return;
  renderer_->lineTo(x, y);
  NoteCurrentPoint(x, y);
}

void IGraphicsVector::PathAddCubic(float c1x, float c1y, float c2x, float c2y, float x2, float y2) {
  if (!renderer_ || !Finite({c1x, c1y, c2x, c2y, x2, y2})) return;
  renderer_->bezierTo(c1x, c1y, c2x, c2y, x2, y2);
  NoteCurrentPoint(x2, y2);
}

void IGraphicsVector::PathAddQuadratic(float cx, float cy, float x2, float y2) {
  if (!renderer_ || !Finite({cx, cy, x2, y2})) return;
  const float x0 = currentX_, y0 = currentY_;
  renderer_->bezierTo(x0 + 2.0f / 3.0f * (cx - x0), y0 + 2.0f / 3.0f * (cy - y0), x2 + 2.0f / 3.0f * (cx - x2),
                      y2 + 2.0f / 3.0f * (cy - y2), x2, y2);
  NoteCurrentPoint(x2, y2);
}

void IGraphicsVector::PathWinding(std::int32_t winding) {
  if (!renderer_) return;
  if (winding == 0) renderer_->pathWinding(fx::vg::Winding::Solid);
  if (winding == 1) renderer_->pathWinding(fx::vg::Winding::Hole);
  if (winding == 0 || winding == 1) windingSet_ = true;
}

// The renderer's gradients run between two colours: a pattern's first and
// last stops, each placed at its offset along the gradient (transparent
// without stops); stops in between are not drawn. Gradient coordinates are
// in the space of the last PathTransform, like the path: the renderer takes
// the paint through the transform current when it is set, here.
void IGraphicsVector::SetPaint(const IPattern& pattern, const IBlendMode* blend, bool forStroke) {
  fx::vg::Paint paint;
  const fx::vg::Color none = fx::vg::Color::rgba(0, 0, 0, 0);
  const fx::vg::Color first = pattern.stops.empty() ? none : RendererColour(pattern.stops.front().colour, blend);
  const fx::vg::Color last = pattern.stops.empty() ? none : RendererColour(pattern.stops.back().colour, blend);
  const auto offset = [](float o) { return std::isfinite(o) ? std::clamp(o, 0.0f, 1.0f) : 0.0f; };
  const float t0 = pattern.stops.empty() ? 0.0f : offset(pattern.stops.front().offset);
  const float t1 = pattern.stops.empty() ? 1.0f : std::max(t0, offset(pattern.stops.back().offset));
  switch (pattern.kind) {
    case IPattern::Kind::Linear: {
      const float dx = pattern.x2 - pattern.x1, dy = pattern.y2 - pattern.y1;
      paint = fx::vg::Paint::linearGradient(pattern.x1 + t0 * dx, pattern.y1 + t0 * dy, pattern.x1 + t1 * dx,
                                            pattern.y1 + t1 * dy, first, last);
      break;
    }
    case IPattern::Kind::Radial: {
      const float dr = pattern.r2 - pattern.r1;
      paint = fx::vg::Paint::radialGradient(pattern.x1, pattern.y1, pattern.r1 + t0 * dr, pattern.r1 + t1 * dr, first,
                                            last);
      break;
    }
    default:
      paint = fx::vg::Paint::solid(RendererColour(pattern.colour, blend));
      break;
  }
  if (forStroke)
    renderer_->strokePaint(paint);
  else
    renderer_->fillPaint(paint);
}

void IGraphicsVector::PathFillWith(const IPattern& pattern, const IFillOptions& options, const IBlendMode* blend) {
  if (!renderer_) return;
  // The renderer has no even-odd rule: it fills nonzero after turning each
  // subpath to its winding's orientation. Windings set with PathWinding are
  // kept (DrawSvg sets every subpath's); otherwise even-odd makes the last
  // of several subpaths a hole, which draws an outline with one inner
  // contour, whatever the inner contour's direction. A lone outline stays
  // solid: wound as a hole it would fill with its anti-aliased edge outside.
  if (options.fillRule == 1 && !windingSet_ && subpathsMoved_ > 1) renderer_->pathWinding(fx::vg::Winding::Hole);
  SetPaint(pattern, blend, false);
  ApplyBlend(*renderer_, blend);
  renderer_->fill();
  if (!options.preserve) PathReset();
}

void IGraphicsVector::PathStrokeWith(const IPattern& pattern, float thickness, const IStrokeOptions& options,
                                     const IBlendMode* blend) {
  if (!renderer_) return;
  static constexpr fx::vg::LineCap kCaps[] = {fx::vg::LineCap::Butt, fx::vg::LineCap::Round, fx::vg::LineCap::Square};
  static constexpr fx::vg::LineJoin kJoins[] = {fx::vg::LineJoin::Miter, fx::vg::LineJoin::Round,
                                                fx::vg::LineJoin::Bevel};
  if (options.cap >= 0 && options.cap <= 2) renderer_->lineCap(kCaps[options.cap]);
  if (options.join >= 0 && options.join <= 2) renderer_->lineJoin(kJoins[options.join]);
  renderer_->miterLimit(options.miterLimit);
  renderer_->strokeWidth(thickness);
  SetPaint(pattern, blend, true);
  ApplyBlend(*renderer_, blend);
  renderer_->stroke();
  if (!options.preserve) PathReset();
}

// ---- shadow and dotted lines

void IGraphicsVector::DrawFastDropShadow(const IBounds& inner, const IBounds& outer, float xyDrop, float roundness,
                                         float blur, const IBlendMode* blend) {
  if (!renderer_ || !inner.IsFinite() || !outer.IsFinite() || !Finite({xyDrop, roundness, blur})) return;
  const fx::vg::Paint shadow = fx::vg::Paint::boxGradient(
      inner.left + xyDrop, inner.top + xyDrop, inner.W(), inner.H(), roundness, blur,
      RendererColour(IArgb{128, 0, 0, 0}, blend), fx::vg::Color::rgba(0, 0, 0, 0));
  renderer_->beginPath();
  renderer_->rect(outer.left, outer.top, outer.W(), outer.H());
  renderer_->fillPaint(shadow);
  ApplyBlend(*renderer_, blend);
  renderer_->fill();
  PathReset();
}

void IGraphicsVector::AddDottedSegment(float x1, float y1, float x2, float y2, float dashLength) {
  const float dx = x2 - x1, dy = y2 - y1;
  const int n = static_cast<int>(std::lround(std::sqrt(dx * dx + dy * dy) / dashLength));
  renderer_->moveTo(x1, y1);
  for (int i = 1; i < n; i += 2) {
    const float a = static_cast<float>(i) / n, b = static_cast<float>(i + 1) / n;
    renderer_->lineTo(x1 + a * dx, y1 + a * dy);
    renderer_->moveTo(x1 + b * dx, y1 + b * dy);
  }
}

void IGraphicsVector::DrawDottedLine(const IArgb& colour, float x1, float y1, float x2, float y2,
                                     const IBlendMode* blend, float thickness, float dashLength) {
  if (!renderer_ || !Finite({x1, y1, x2, y2, thickness, dashLength}) || !(dashLength > 0.0f)) return;
  renderer_->beginPath();
  AddDottedSegment(x1, y1, x2, y2, dashLength);
  IStrokeOptions options;  // butt caps, miter joins, limit 10
  PathStrokeWith(IPattern::Solid(colour), thickness, options, blend);
}

void IGraphicsVector::DrawDottedRect(const IArgb& colour, const IBounds& b, const IBlendMode* blend, float thickness,
                                     float dashLength) {
  if (!renderer_ || !b.IsFinite() || !Finite({thickness, dashLength}) || !(dashLength > 0.0f)) return;
  renderer_->beginPath();
  AddDottedSegment(b.left, b.top, b.right, b.top, dashLength);
  AddDottedSegment(b.right, b.top, b.right, b.bottom, dashLength);
  AddDottedSegment(b.right, b.bottom, b.left, b.bottom, dashLength);
  AddDottedSegment(b.left, b.bottom, b.left, b.top, dashLength);
  PathStrokeWith(IPattern::Solid(colour), thickness, IStrokeOptions{}, blend);
}

// ---- text

bool IGraphicsVector::LoadAPIFont(const char* fontId, const PlatformFont& font) {
  if (!fontId || !*fontId) return false;
  FontDataCache::Bytes bytes = fontData_->FindOrAdd(fontId, [&](std::vector<std::uint8_t>& data) {
    std::string style;
    return font.GetFontData(data, style);
  });
  if (!bytes) return false;
  if (renderer_) {
    if (renderer_->findFont(fontId) < 0 && renderer_->createFontShared(fontId, bytes) < 0) return false;
  }
  auto known = std::find_if(fonts_.begin(), fonts_.end(), [&](const auto& f) { return f.first == fontId; });
  if (known == fonts_.end()) fonts_.emplace_back(fontId, bytes);
  return true;
}

void IGraphicsVector::CreateRendererFonts() {
  for (const auto& [id, bytes] : fonts_)
    if (renderer_->findFont(id) < 0) renderer_->createFontShared(id, bytes);
}

float IGraphicsVector::MeasureString(const ITextStyle& style, const char* text, IBounds& rect) const {
  if (!renderer_ || !text || !*text) return 0.0f;
  const int font = renderer_->findFont(style.fontId);
  if (font < 0 || !std::isfinite(style.size) || !rect.IsFinite()) return 0.0f;
  renderer_->fontFace(font);
  renderer_->fontSize(style.size);
  float x = 0, y = 0;
  renderer_->textAlign(TextAlignFor(style, rect, x, y));
  // Glyphs are laid out at their size in device pixels, so the text is
  // measured under the transform it is drawn with (layout units scaled by
  // the draw scale), whatever the renderer's state is outside a frame.
  renderer_->save();
  renderer_->resetTransform();
  const float ds = GetDrawScale();
  renderer_->scale(ds, ds);
  fx::vg::TextBounds b;
  const float width = renderer_->textBounds(x, y, text, &b);
  renderer_->restore();
  rect = IBounds(b.minX, b.minY, b.maxX, b.maxY);
  return width;
}

void IGraphicsVector::DrawString(const ITextStyle& style, const char* text, const IBounds& rect,
                                 const IBlendMode* blend) {
  if (!renderer_ || !inFrame_ || !text || !*text || !rect.IsFinite()) return;
  const int font = renderer_->findFont(style.fontId);
  if (font < 0 || !std::isfinite(style.size)) return;
  renderer_->fontFace(font);
  renderer_->fontSize(style.size);
  float x = 0, y = 0;
  renderer_->textAlign(TextAlignFor(style, rect, x, y));
  const bool rotated = style.angle != 0.0f && std::isfinite(style.angle);
  if (rotated) {
    renderer_->save();
    renderer_->translate(x, y);
    renderer_->rotate(style.angle * kPi / 180.0f);
    renderer_->translate(-x, -y);
  }
  renderer_->fillColor(RendererColour(style.colour, blend));
  ApplyBlend(*renderer_, blend);
  renderer_->text(x, y, text);
  if (rotated) renderer_->restore();
}

}  // namespace fx::igraphics
