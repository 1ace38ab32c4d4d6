#pragma once
// An off-screen render target: a renderer image as the colour attachment of
// a frame-buffer object, with a stencil render buffer for path fills.
// Creation and binding leave the caller's frame-buffer and render-buffer
// bindings as they were. The renderer must outlive the object.
#include <memory>

#include "renderer/GlApi.h"
#include "renderer/ImageFlags.h"

namespace fx::vg {

class Renderer;

class FrameBufferImage {
 public:
  // Null if the image cannot be made or no stencil format completes the
  // frame buffer; nothing created is left behind then.
  static std::unique_ptr<FrameBufferImage> create(Renderer& renderer, int width, int height,
                                                  int imageFlags = ImageFlipY | ImagePremultiplied);
  ~FrameBufferImage();
  FrameBufferImage(const FrameBufferImage&) = delete;
  FrameBufferImage& operator=(const FrameBufferImage&) = delete;

  // Binds this frame buffer, remembering what was bound; unbind() restores it.
  void bind();
  void unbind();

  int image() const { return image_; }
  int width() const { return width_; }
  int height() const { return height_; }
  GLuint framebuffer() const { return framebuffer_; }
  GLuint renderbuffer() const { return renderbuffer_; }
  GLenum stencilFormat() const { return stencilFormat_; }

 private:
  explicit FrameBufferImage(Renderer& renderer) : renderer_(renderer) {}
  Renderer& renderer_;
  int image_ = 0, width_ = 0, height_ = 0;
  GLuint framebuffer_ = 0, renderbuffer_ = 0;
  GLenum stencilFormat_ = 0;
  GLint previousFramebuffer_ = 0;
  bool bound_ = false;
};

}  // namespace fx::vg
