#include "graphics/drawing/IGraphicsHeadless.h"

#include <cstring>

namespace fx::igraphics {

namespace gl = fx::vg::gl;

IGraphicsHeadless::~IGraphicsHeadless() { CloseView(); }

bool IGraphicsHeadless::OpenView(const GlViewContext& view) {
  if (!GetRenderer()) OnViewInitialized(const_cast<GlViewContext*>(&view));
  if (!GetRenderer()) return false;
  DrawResize();
  return target_ != nullptr;
}

void IGraphicsHeadless::CloseView() {
  target_.reset();  // before the renderer goes
  OnViewDestroyed();
}

void IGraphicsHeadless::DrawResize() {
  IGraphicsVector::DrawResize();
  if (!GetRenderer()) return;
  target_.reset();
  const std::int32_t w = PagePixelWidth(), h = PagePixelHeight();
  if (w > 0 && h > 0) target_ = fx::vg::FrameBufferImage::create(*GetRenderer(), w, h);
}

void IGraphicsHeadless::BeginFrame() {
  // The target stands in for the window's frame buffer: bound when the frame begins.
  if (!GetRenderer()) return;
  if (!target_ || target_->width() != PagePixelWidth() || target_->height() != PagePixelHeight()) DrawResize();
  if (!target_) return;
  GetRenderer()->gl().BindFramebuffer(gl::kFramebuffer, target_->framebuffer());
  IGraphicsVector::BeginFrame();
}

std::int32_t IGraphicsHeadless::RunFrame() {
  std::vector<IBounds> areas;
  if (!CollectDirtyAreas(areas)) return 0;
  PaintAreas(areas);
  return static_cast<std::int32_t>(areas.size());
}

void IGraphicsHeadless::RepaintAll() {
  PaintAreas({IBounds(0, 0, static_cast<float>(Width()), static_cast<float>(Height()))});
}

PageImage IGraphicsHeadless::ReadFramebuffer(std::uint32_t framebuffer, std::int32_t width, std::int32_t height) const {
  PageImage image;
  fx::vg::Renderer* r = GetRenderer();
  if (!r || width <= 0 || height <= 0) return image;
  const fx::vg::GlApi& g = r->gl();
  fx::vg::GLint previous = 0;
  g.GetIntegerv(gl::kFramebufferBinding, &previous);
  g.BindFramebuffer(gl::kFramebuffer, framebuffer);
  g.PixelStorei(gl::kPackAlignment, 1);
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  g.ReadPixels(0, 0, width, height, gl::kRgba, gl::kUnsignedByte, rows.data());
  g.BindFramebuffer(gl::kFramebuffer, static_cast<fx::vg::GLuint>(previous));
  // GL rows run bottom up.
  image.width = width;
  image.height = height;
  image.pixels.resize(rows.size());
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  for (std::int32_t y = 0; y < height; ++y)
    std::memcpy(image.pixels.data() + static_cast<std::size_t>(y) * stride,
                rows.data() + static_cast<std::size_t>(height - 1 - y) * stride, stride);
  return image;
}

PageImage IGraphicsHeadless::ReadPage() const {
  if (!target_) return {};
  return ReadFramebuffer(target_->framebuffer(), target_->width(), target_->height());
}

PageImage IGraphicsHeadless::ReadMainFrameBuffer() const {
  const fx::vg::FrameBufferImage* main = GetMainFrameBuffer();
  if (!main) return {};
  return ReadFramebuffer(main->framebuffer(), main->width(), main->height());
}

}  // namespace fx::igraphics
