#include "graphics/drawing/ImageDecoder.h"

#include <climits>

// Static: other targets of the program may compile stb_image too.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
// Its buffers as large as the pixels are: see LargeBlock.h.
#define STBI_MALLOC(size) fx::igraphics::AllocateBlock(size)
#define STBI_REALLOC(block, size) fx::igraphics::ReallocateBlock(block, size)
#define STBI_FREE(block) fx::igraphics::FreeBlock(block)
#include <stb_image.h>

namespace fx::igraphics {
namespace {

// (c * a + 127) / 255 without a division, exact for every c and a in 0..255.
inline std::uint8_t Premultiplied(unsigned c, unsigned a) {
  const unsigned t = c * a + 128;
  return static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
}

// Copies n RGBA pixels, multiplying colour by alpha on the way: one pass
// over memory instead of a copy and a second pass.
void CopyPremultiplied(const std::uint8_t* from, std::uint8_t* to, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i, from += 4, to += 4) {
    const unsigned a = from[3];
    to[0] = Premultiplied(from[0], a);
    to[1] = Premultiplied(from[1], a);
    to[2] = Premultiplied(from[2], a);
    to[3] = static_cast<std::uint8_t>(a);
  }
}

}  // namespace

DecodedImage DecodeImage(std::span<const std::uint8_t> bytes, ImageUse use) {
  DecodedImage image;
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) return image;
  const int size = static_cast<int>(bytes.size());
  int w = 0, h = 0, channels = 0;
  if (!stbi_info_from_memory(bytes.data(), size, &w, &h, &channels) || w <= 0 || h <= 0 || w > 16384 || h > 16384)
    return image;
  stbi_uc* pixels = stbi_load_from_memory(bytes.data(), size, &w, &h, &channels, 4);
  if (!pixels) return image;
  const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  image.width = w;
  image.height = h;
  // Grey or RGB in the file: every alpha is 255, premultiplied as it is.
  const bool opaque = channels == 1 || channels == 3;
  if (use == ImageUse::Upload && !opaque) {
    image.pixels.resize(n * 4);
    CopyPremultiplied(pixels, image.pixels.data(), n);
  } else {
    image.pixels.assign(pixels, pixels + n * 4);
  }
  image.premultiplied = use == ImageUse::Upload || opaque;
  stbi_image_free(pixels);
  return image;
}

}  // namespace fx::igraphics
