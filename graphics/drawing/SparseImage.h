#pragma once
// A large, mostly transparent premultiplied image (a glow over a whole
// panel, a strip whose frames are each mostly empty) kept as its content
// alone: each band of rows with content, cut to its columns, packed into a
// smaller texture. Drawn part by part, it gives the pixels the whole image
// would have given:
//   - each part keeps kPad texels around its content, the whole image's
//     values there (clamped at its edges as a texture's sampling clamps);
//     the parts lie one under another, kPartGap zero rows apart, against the
//     packed texture's left edge, whose clamping then repeats what the
//     whole image's would;
//   - a part is drawn over its content plus QuadMargin(texels per device
//     pixel) texels, where the whole image is transparent, so neither the
//     filtering nor the anti-aliased rim of the rectangle drawn sees a
//     difference, down to kMaxTexelsPerPixel texels a device pixel (a
//     quarter of the size the texels were made for at twice that). Smaller
//     still, where content touches the image's edge the outermost pixels
//     may differ by the little a fading rim leaves there; another part's
//     content stays out of reach down to kApartTexelsPerPixel.
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
  static constexpr std::int32_t kApartTexelsPerPixel = 32;
  // At t texels a pixel a part's filtering reaches its margin, a device
  // pixel's rim and a texel beyond its content, 2 * t + 2 texels; the
  // contents of neighbouring parts lie 2 * kPad + kPartGap = 2 * t + 3 apart.
  static constexpr std::int32_t kPartGap = 2 * kApartTexelsPerPixel + 3 - 2 * kPad;
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

  // The texels beyond a part's content its rectangle covers: never so many
  // that its filtering reaches another part's content.
  static float QuadMargin(float texelsPerPixel) {
    const float most = static_cast<float>(2 * kPad + kPartGap - 2) - texelsPerPixel;
    const float margin = texelsPerPixel + 1.0f;
    return margin < most ? margin : (most > 0.0f ? most : 0.0f);
  }

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
