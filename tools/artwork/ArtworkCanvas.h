#pragma once
// One picture drawn with the vector renderer into a frame-buffer object and
// read back as straight (not premultiplied) RGBA rows, top row first: what
// the image files want.
#include <cstdint>
#include <memory>
#include <vector>

#include "renderer/FrameBufferImage.h"
#include "renderer/Renderer.h"

namespace fx::artwork {

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;  // straight alpha, rows top first
};

class ArtworkCanvas {
 public:
  // Null when the frame buffer cannot be made at that size.
  static std::unique_ptr<ArtworkCanvas> Create(vg::Renderer& renderer, int width, int height);

  // Clears to transparent and begins a renderer frame of width x height units.
  void Begin();
  // Ends the frame and reads the pixels back.
  Picture End();

 private:
  ArtworkCanvas(vg::Renderer& renderer, std::unique_ptr<vg::FrameBufferImage> target)
      : renderer_(renderer), target_(std::move(target)) {}
  vg::Renderer& renderer_;
  std::unique_ptr<vg::FrameBufferImage> target_;
};

// Straight alpha from premultiplied: rgb * 255 / a, rounded; rgb 0 where a is 0.
void Unpremultiply(std::vector<std::uint8_t>& rgba);

}  // namespace fx::artwork
