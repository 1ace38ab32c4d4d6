#pragma once
// A large, mostly transparent premultiplied image (a glow over a whole
// panel, a strip whose frames are each mostly empty) kept as its content
// alone: each band of rows with content, cut to its columns, packed into a
// smaller texture. Drawn part by part, it gives the pixels the whole image
// would have given:
//   - each part keeps kPad texels around its content, the whole image's
//     values there (clamped at its edges as a texture's sampling clamps),
//     and the parts lie kGap zero texels apart and from the texture's edges;
//   - a part is drawn over its content plus QuadMargin(texels per device
//     pixel) texels, where the whole image is transparent, so neither the
//     filtering nor the anti-aliased rim of the rectangle drawn sees a
//     difference, down to kMaxTexelsPerPixel texels a device pixel (a
//     quarter of the size the texels were made for at twice that); smaller
//     still, a part's outermost pixels may differ by the little that a
//     fading edge leaves there.
// Only premultiplied pixels pack (a fully transparent texel is then all
// zero bytes), and only where the packed texture is at most three quarters
// of the image and the image at least kMinBytes.

#include <cstdint>
#include <optional>
#include <vector>

#include "graphics/drawing/LargeBlock.h"

namespace fx::igraphics {

struct SparseImage {
  static constexpr std::int32_t kMaxTexelsPerPixel = 8;
  static constexpr std::int32_t kPad = kMaxTexelsPerPixel + 2;
  static constexpr std::int32_t kGap = kMaxTexelsPerPixel + 2;
  static constexpr std::size_t kMinBytes = 256 * 1024;

  struct Part {
    // The content's box in the whole image, texels, right and bottom
    // exclusive.
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    // Where the content's top left texel lies in the packed texture.
    std::int32_t packedX = 0, packedY = 0;
  };

  std::int32_t width = 0, height = 0;  // the packed texture's
  std::vector<Part> parts;

  // The texels beyond a part's content its rectangle covers.
  static float QuadMargin(float texelsPerPixel) { return texelsPerPixel + 1.0f; }

  struct Packed;
  // The packed image of premultiplied RGBA rows (top first), or nothing
  // where packing would not pay (or memory ran out).
  static std::optional<Packed> Pack(const std::uint8_t* rgba, std::int32_t width, std::int32_t height);
};

struct SparseImage::Packed {
  SparseImage layout;
  PixelBytes pixels;  // layout.width x layout.height RGBA
};

}  // namespace fx::igraphics
