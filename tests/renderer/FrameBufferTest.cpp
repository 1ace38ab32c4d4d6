// Frame-buffer images: drawing into one, then drawing it as an image.
#include "RendererFixture.h"
#include "renderer/FrameBufferImage.h"

namespace fx::vg::test {
namespace {

class FrameBufferTest : public RendererFixture {
 protected:
  GLint boundFramebuffer() const {
    GLint b = -1;
    renderer->gl().GetIntegerv(gl::kFramebufferBinding, &b);
    return b;
  }
};

TEST_F(FrameBufferTest, HasAStencilAttachment) {
  auto fb = FrameBufferImage::create(*renderer, 32, 16);
  ASSERT_NE(fb, nullptr);
  EXPECT_TRUE(fb->stencilFormat() == gl::kStencilIndex8 || fb->stencilFormat() == gl::kDepth24Stencil8);
  int w = 0, h = 0;
  ASSERT_TRUE(renderer->imageSize(fb->image(), w, h));
  EXPECT_EQ(w, 32);
  EXPECT_EQ(h, 16);
}

TEST_F(FrameBufferTest, CreationAndBindingRestorePreviousBindings) {
  const GlApi& gl = renderer->gl();
  gl.BindFramebuffer(gl::kFramebuffer, canvas->framebuffer());
  GLuint rb = 0;
  gl.GenRenderbuffers(1, &rb);
  gl.BindRenderbuffer(gl::kRenderbuffer, rb);
  auto fb = FrameBufferImage::create(*renderer, 8, 8);
  ASSERT_NE(fb, nullptr);
  EXPECT_EQ(boundFramebuffer(), static_cast<GLint>(canvas->framebuffer()));
  GLint boundRb = 0;
  gl.GetIntegerv(gl::kRenderbufferBinding, &boundRb);
  EXPECT_EQ(boundRb, static_cast<GLint>(rb));
  fb->bind();
  EXPECT_EQ(boundFramebuffer(), static_cast<GLint>(fb->framebuffer()));
  fb->unbind();
  EXPECT_EQ(boundFramebuffer(), static_cast<GLint>(canvas->framebuffer()));
  gl.BindRenderbuffer(gl::kRenderbuffer, 0);
  gl.DeleteRenderbuffers(1, &rb);
}

TEST_F(FrameBufferTest, RoundTripKeepsOrientationAndAlpha) {
  auto fb = FrameBufferImage::create(*renderer, 64, 64);
  ASSERT_NE(fb, nullptr);
  const GlApi& gl = renderer->gl();
  // Into the frame buffer: a concave L (needs the stencil) and a translucent square.
  fb->bind();
  gl.Viewport(0, 0, 64, 64);
  gl.ClearColor(0, 0, 0, 0);
  gl.Clear(gl::kColorBufferBit | gl::kStencilBufferBit | gl::kDepthBufferBit);
  renderer->beginFrame(64, 64, 1);
  renderer->beginPath();
  renderer->moveTo(4, 4);
  renderer->lineTo(20, 4);
  renderer->lineTo(20, 20);
  renderer->lineTo(36, 20);
  renderer->lineTo(36, 36);
  renderer->lineTo(4, 36);
  renderer->closePath();
  renderer->fillColor(Color::rgba(1, 0, 0, 1));
  renderer->fill();
  renderer->beginPath();
  renderer->rect(40, 44, 16, 12);
  renderer->fillColor(Color::rgba(0, 1, 0, 0.5f));
  renderer->fill();
  renderer->endFrame();
  fb->unbind();

  // Then onto the canvas as an image.
  canvas->begin();
  renderer->fillPaint(Paint::imagePattern(0, 0, 64, 64, 0, fb->image(), 1));
  renderer->beginPath();
  renderer->rect(0, 0, 64, 64);
  renderer->fill();
  canvas->end();
  EXPECT_TRUE(pixelNear(*canvas, 10, 10, {255, 0, 0, 255}));
  EXPECT_TRUE(pixelNear(*canvas, 30, 30, {255, 0, 0, 255}));
  EXPECT_TRUE(pixelNear(*canvas, 30, 10, {0, 0, 0, 0}));  // the notch, top right of the L
  EXPECT_TRUE(pixelNear(*canvas, 48, 50, {0, 128, 0, 128}));
  EXPECT_TRUE(pixelNear(*canvas, 48, 40, {0, 0, 0, 0}));
}

}  // namespace
}  // namespace fx::vg::test
