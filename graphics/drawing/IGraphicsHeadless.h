#pragma once
// A drawing context without a window: an IGraphicsVector whose "window"
// frame buffer is an off-screen image of the page's pixel size, on a GL
// context the caller made current (an off-screen one: EGL natively, a hidden
// WGL window on Windows). Frames are presented into that image exactly as a
// window's frame buffer would receive them, and ReadPage reads it back.

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/drawing/GlViewContext.h"
#include "graphics/drawing/IGraphicsVector.h"

namespace fx::igraphics {

// RGBA pixels, rows top first.
struct PageImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> pixels;
  const std::uint8_t* At(std::int32_t x, std::int32_t y) const {
    return pixels.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
  }
};

class IGraphicsHeadless : public IGraphicsVector {
 public:
  using IGraphicsVector::IGraphicsVector;
  ~IGraphicsHeadless() override;

  // Creates the renderer and the target; false when either cannot be made.
  bool OpenView(const GlViewContext& gl);
  // Releases every GL object of the view (renderer, buffers, images).
  void CloseView();
  bool ViewOpen() const { return target_ != nullptr; }

  // One frame cycle: collects the dirty areas and paints them. The number
  // of areas collected; 0 for an idle frame, which does no GL work.
  std::int32_t RunFrame();
  // Paints the whole page whatever is dirty.
  void RepaintAll();

  // The presented page (the window's view), and the main frame buffer that
  // keeps the page between frames.
  PageImage ReadPage() const;
  PageImage ReadMainFrameBuffer() const;

  void BeginFrame() override;
  void DrawResize() override;

 private:
  PageImage ReadFramebuffer(std::uint32_t framebuffer, std::int32_t width, std::int32_t height) const;
  std::unique_ptr<fx::vg::FrameBufferImage> target_;
};

}  // namespace fx::igraphics
