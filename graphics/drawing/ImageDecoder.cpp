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

// Multiplies colour by alpha in n RGBA pixels, where they lie.
void Premultiply(std::uint8_t* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i, p += 4) {
    const unsigned a = p[3];
    p[0] = Premultiplied(p[0], a);
    p[1] = Premultiplied(p[1], a);
    p[2] = Premultiplied(p[2], a);
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
  // stb_image's block (an AllocateBlock one) is the image's: no second
  // buffer of the image's size, no copy.
  const bool upload = use == ImageUse::Upload || use == ImageUse::UploadWhole;
  if (upload && !opaque) Premultiply(pixels, n);
  image.pixels = PixelBytes::Adopt(pixels, n * 4);
  image.premultiplied = upload || opaque;
  if (use == ImageUse::Upload && !opaque) {
    if (auto packed = SparseImage::Pack(image.pixels.data(), w, h)) {
      image.pixels = std::move(packed->pixels);
      image.sparse = std::make_shared<const SparseImage>(std::move(packed->layout));
    }
  }
  return image;
}

}  // namespace fx::igraphics
