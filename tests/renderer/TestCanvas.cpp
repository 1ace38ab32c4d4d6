#include "TestCanvas.h"

namespace fx::vg::test {

TestCanvas::TestCanvas(Renderer& renderer, int width, int height)
    : renderer_(renderer), width_(width), height_(height) {
  const GlApi& gl = renderer_.gl();
  gl.GenFramebuffers(1, &framebuffer_);
  gl.BindFramebuffer(gl::kFramebuffer, framebuffer_);
  gl.GenRenderbuffers(1, &colour_);
  gl.BindRenderbuffer(gl::kRenderbuffer, colour_);
  gl.RenderbufferStorage(gl::kRenderbuffer, gl::kRgba8, width, height);
  gl.FramebufferRenderbuffer(gl::kFramebuffer, gl::kColorAttachment0, gl::kRenderbuffer, colour_);
  gl.GenRenderbuffers(1, &stencil_);
  gl.BindRenderbuffer(gl::kRenderbuffer, stencil_);
  gl.RenderbufferStorage(gl::kRenderbuffer, gl::kDepth24Stencil8, width, height);
  gl.FramebufferRenderbuffer(gl::kFramebuffer, gl::kStencilAttachment, gl::kRenderbuffer, stencil_);
  gl.FramebufferRenderbuffer(gl::kFramebuffer, gl::kDepthAttachment, gl::kRenderbuffer, stencil_);
  complete_ = gl.CheckFramebufferStatus(gl::kFramebuffer) == gl::kFramebufferComplete;
  gl.BindRenderbuffer(gl::kRenderbuffer, 0);
  gl.BindFramebuffer(gl::kFramebuffer, 0);
}

TestCanvas::~TestCanvas() {
  const GlApi& gl = renderer_.gl();
  gl.DeleteFramebuffers(1, &framebuffer_);
  gl.DeleteRenderbuffers(1, &colour_);
  gl.DeleteRenderbuffers(1, &stencil_);
}

void TestCanvas::begin(float pixelRatio) {
  const GlApi& gl = renderer_.gl();
  gl.BindFramebuffer(gl::kFramebuffer, framebuffer_);
  gl.Viewport(0, 0, width_, height_);
  gl.ClearColor(0, 0, 0, 0);
  gl.ClearStencil(0);
  gl.StencilMask(0xff);
  gl.Clear(gl::kColorBufferBit | gl::kStencilBufferBit | gl::kDepthBufferBit);
  renderer_.beginFrame(static_cast<float>(width_) / pixelRatio, static_cast<float>(height_) / pixelRatio, pixelRatio);
}

void TestCanvas::end() {
  renderer_.endFrame();
  read();
}

void TestCanvas::read() {
  const GlApi& gl = renderer_.gl();
  gl.BindFramebuffer(gl::kFramebuffer, framebuffer_);
  pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4, 0);
  gl.PixelStorei(gl::kPackAlignment, 1);
  gl.ReadPixels(0, 0, width_, height_, gl::kRgba, gl::kUnsignedByte, pixels_.data());
}

Rgba TestCanvas::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty()) return {-1, -1, -1, -1};
  // GL rows run bottom up.
  const std::size_t row = static_cast<std::size_t>(height_ - 1 - y);
  const std::uint8_t* p = &pixels_[(row * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 4];
  return {p[0], p[1], p[2], p[3]};
}

double TestCanvas::coverage(int x0, int y0, int x1, int y1) const {
  double sum = 0.0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) sum += pixel(x, y)[3] / 255.0;
  return sum;
}

}  // namespace fx::vg::test
