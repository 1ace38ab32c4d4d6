#include "renderer/FrameBufferImage.h"

#include "renderer/Renderer.h"

namespace fx::vg {

std::unique_ptr<FrameBufferImage> FrameBufferImage::create(Renderer& renderer, int width, int height, int imageFlags) {
  std::unique_ptr<FrameBufferImage> fb(new FrameBufferImage(renderer));
  const GlApi& gl = renderer.gl();
  fb->image_ = renderer.createImageEmpty(width, height, imageFlags);
  if (!fb->image_) return nullptr;  // the destructor cleans up
  fb->width_ = width;
  fb->height_ = height;

  GLint previousFb = 0, previousRb = 0;
  gl.GetIntegerv(gl::kFramebufferBinding, &previousFb);
  gl.GetIntegerv(gl::kRenderbufferBinding, &previousRb);
  gl.GenFramebuffers(1, &fb->framebuffer_);
  gl.BindFramebuffer(gl::kFramebuffer, fb->framebuffer_);
  gl.FramebufferTexture2D(gl::kFramebuffer, gl::kColorAttachment0, gl::kTexture2D, renderer.textureName(fb->image_), 0);
  gl.GenRenderbuffers(1, &fb->renderbuffer_);
  gl.BindRenderbuffer(gl::kRenderbuffer, fb->renderbuffer_);
  gl.RenderbufferStorage(gl::kRenderbuffer, gl::kStencilIndex8, width, height);
  gl.FramebufferRenderbuffer(gl::kFramebuffer, gl::kStencilAttachment, gl::kRenderbuffer, fb->renderbuffer_);
  fb->stencilFormat_ = gl::kStencilIndex8;
  if (gl.CheckFramebufferStatus(gl::kFramebuffer) != gl::kFramebufferComplete) {
    // Many drivers only take stencil packed with depth.
    gl.RenderbufferStorage(gl::kRenderbuffer, gl::kDepth24Stencil8, width, height);
    gl.FramebufferRenderbuffer(gl::kFramebuffer, gl::kStencilAttachment, gl::kRenderbuffer, fb->renderbuffer_);
    gl.FramebufferRenderbuffer(gl::kFramebuffer, gl::kDepthAttachment, gl::kRenderbuffer, fb->renderbuffer_);
    fb->stencilFormat_ = gl::kDepth24Stencil8;
  }
  const bool complete = gl.CheckFramebufferStatus(gl::kFramebuffer) == gl::kFramebufferComplete;
  gl.BindFramebuffer(gl::kFramebuffer, static_cast<GLuint>(previousFb));
  gl.BindRenderbuffer(gl::kRenderbuffer, static_cast<GLuint>(previousRb));
  if (!complete) return nullptr;
  return fb;
}

FrameBufferImage::~FrameBufferImage() {
  const GlApi& gl = renderer_.gl();
  if (bound_) unbind();
  if (framebuffer_) gl.DeleteFramebuffers(1, &framebuffer_);
  if (renderbuffer_) gl.DeleteRenderbuffers(1, &renderbuffer_);
  if (image_) renderer_.deleteImage(image_);
}

void FrameBufferImage::bind() {
  const GlApi& gl = renderer_.gl();
  if (!bound_) gl.GetIntegerv(gl::kFramebufferBinding, &previousFramebuffer_);
  gl.BindFramebuffer(gl::kFramebuffer, framebuffer_);
  bound_ = true;
}

void FrameBufferImage::unbind() {
  if (!bound_) return;
  renderer_.gl().BindFramebuffer(gl::kFramebuffer, static_cast<GLuint>(previousFramebuffer_));
  bound_ = false;
}

}  // namespace fx::vg
