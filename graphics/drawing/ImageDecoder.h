#pragma once
// PNG and JPEG bytes decoded to RGBA rows (top first, straight alpha) with
// stb_image. Anything undecodable, or larger than 16384 pixels a side, gives
// an empty image.

#include <cstdint>
#include <span>
#include <vector>

namespace fx::igraphics {

struct DecodedImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> pixels;
};

DecodedImage DecodeImage(std::span<const std::uint8_t> bytes);

}  // namespace fx::igraphics
