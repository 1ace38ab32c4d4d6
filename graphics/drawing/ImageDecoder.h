#pragma once
// PNG and JPEG bytes decoded to RGBA rows (top first) with stb_image.
// Anything undecodable, or larger than 16384 pixels a side, gives an empty
// image.

#include <cstdint>
#include <span>
#include <vector>

#include "graphics/drawing/LargeBlock.h"

namespace fx::igraphics {

struct DecodedImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  PixelBytes pixels;  // large ones mapped: see LargeBlock.h
  bool premultiplied = false;  // colour already multiplied by alpha
};

// Straight: the colours as stored. Upload: colours multiplied by alpha,
// rounded as the renderer rounds when it does it at upload
// ((c * a + 127) / 255), so the texture is the same either way and the
// pixels can go to any number of contexts as they are. An image without
// alpha in its file is the same both ways and comes back marked
// premultiplied.
enum class ImageUse { Straight, Upload };

DecodedImage DecodeImage(std::span<const std::uint8_t> bytes, ImageUse use = ImageUse::Straight);

}  // namespace fx::igraphics
