#pragma once
// A render target for tests: its own frame buffer (RGBA8 colour, packed
// depth-stencil) cleared to transparent black, read back after a frame.
// Pixel rows are returned top first, matching the renderer's y-down space.
#include <array>
#include <cstdint>
#include <vector>

#include "renderer/Renderer.h"

namespace fx::vg::test {

using Rgba = std::array<int, 4>;
// What begin() clears to: transparent black.
inline constexpr Rgba kClear{0, 0, 0, 0};

class TestCanvas {
 public:
  TestCanvas(Renderer& renderer, int width, int height);
  ~TestCanvas();
  TestCanvas(const TestCanvas&) = delete;
  TestCanvas& operator=(const TestCanvas&) = delete;

  bool valid() const { return complete_; }
  // Binds, clears and starts a renderer frame of width/ratio x height/ratio units.
  void begin(float pixelRatio = 1.0f);
  // Ends the frame and reads the pixels back.
  void end();
  // Reads back without ending a frame (after raw GL drawing).
  void read();

  Rgba pixel(int x, int y) const;  // premultiplied, as stored
  int alpha(int x, int y) const { return pixel(x, y)[3]; }
  // Sum of alpha / 255 over the rectangle [x0, x1) x [y0, y1): covered area.
  double coverage(int x0, int y0, int x1, int y1) const;
  double coverage() const { return coverage(0, 0, width_, height_); }
  GLuint framebuffer() const { return framebuffer_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  Renderer& renderer_;
  int width_, height_;
  GLuint framebuffer_ = 0, colour_ = 0, stencil_ = 0;
  bool complete_ = false;
  std::vector<std::uint8_t> pixels_;
};

}  // namespace fx::vg::test
