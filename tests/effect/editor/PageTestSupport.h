#pragma once
// Shared by the editor page tests: the program's GL context, the artwork
// decoded straight from resources/ (independently of the module's resource
// lookup and of the backend), and pixel comparison helpers.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "EditorPage.h"
#include "platform/OffscreenGlContext.h"

namespace ombrisk::page::test {

struct Image {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> rgba;  // straight alpha, rows top first
  bool Empty() const { return rgba.empty(); }
  const std::uint8_t* At(std::int32_t x, std::int32_t y) const {
    return rgba.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
  }
};

// An artwork file of resources/, decoded; empty when it cannot be read.
Image LoadArtwork(const std::string& fileName);

// Premultiplied RGBA as floats 0..255.
struct Colour {
  float r = 0, g = 0, b = 0, a = 0;
};
Colour Premultiplied(const std::uint8_t* straight);
// src over dst, both premultiplied.
Colour Over(const Colour& src, const Colour& dst);
// Bilinear sample of the image at (u, v) in pixel units (texel centres at
// i + 0.5), premultiplied; false unless all four texels are opaque.
bool SampleOpaque(const Image& image, float u, float v, Colour& out);

fx::platform::OffscreenGlContext* SharedGl();
fx::igraphics::GlViewContext View();

}  // namespace ombrisk::page::test
