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
  bool premultiplied = false;  // colour already multiplied by alpha
};

DecodedImage DecodeImage(std::span<const std::uint8_t> bytes);

// Multiplies each colour by its alpha, rounded as the renderer rounds when
// it does it at upload ((c * a + 127) / 255), so that the texture is the
// same either way; done once, the pixels can be uploaded to any number of
// contexts as they are.
void PremultiplyAlpha(DecodedImage& image);

}  // namespace fx::igraphics
