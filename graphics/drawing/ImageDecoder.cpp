#include "graphics/drawing/ImageDecoder.h"

#include <climits>

// Static: other targets of the program may compile stb_image too.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#include <stb_image.h>

namespace fx::igraphics {

DecodedImage DecodeImage(std::span<const std::uint8_t> bytes) {
  DecodedImage image;
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) return image;
  const int size = static_cast<int>(bytes.size());
  int w = 0, h = 0, channels = 0;
  if (!stbi_info_from_memory(bytes.data(), size, &w, &h, &channels) || w <= 0 || h <= 0 || w > 16384 || h > 16384)
    return image;
  stbi_uc* pixels = stbi_load_from_memory(bytes.data(), size, &w, &h, &channels, 4);
  if (!pixels) return image;
  image.width = w;
  image.height = h;
  image.pixels.assign(pixels, pixels + static_cast<std::size_t>(w) * h * 4);
  stbi_image_free(pixels);
  return image;
}

void PremultiplyAlpha(DecodedImage& image) {
  if (image.premultiplied) return;
  for (std::size_t i = 0; i + 3 < image.pixels.size(); i += 4) {
    std::uint8_t* p = &image.pixels[i];
    const unsigned a = p[3];
    for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((p[c] * a + 127) / 255);
  }
  image.premultiplied = true;
}

}  // namespace fx::igraphics
