#include "graphics/drawing/SparseImage.h"

#include <algorithm>
#include <cstring>

namespace fx::igraphics {
namespace {

std::uint32_t Texel(const std::uint8_t* row, std::int32_t x) {
  std::uint32_t word;
  std::memcpy(&word, row + static_cast<std::size_t>(x) * 4, 4);
  return word;
}

// Whether any texel of the row is not all zero: a reduction the compiler
// vectorises, since most rows of such an image are empty.
bool RowHasContent(const std::uint8_t* row, std::size_t width) {
  std::uint64_t any = 0;
  const std::size_t pairs = width / 2;
  for (std::size_t i = 0; i < pairs; ++i) {
    std::uint64_t two;
    std::memcpy(&two, row + i * 8, 8);
    any |= two;
  }
  if (width % 2) any |= Texel(row, static_cast<std::int32_t>(width - 1));
  return any != 0;
}

}  // namespace

std::optional<SparseImage::Packed> SparseImage::Pack(const std::uint8_t* rgba, std::int32_t width,
                                                     std::int32_t height) {
  if (!rgba || width <= 0 || height <= 0) return std::nullopt;
  const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
  if (w * h * 4 < kMinBytes) return std::nullopt;

  // Bands of rows with content; an empty run shorter than what a separate
  // part costs (its padding and the gap) stays inside the band.
  std::vector<Part> parts;
  std::int32_t lastContent = -1;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = rgba + static_cast<std::size_t>(y) * w * 4;
    if (!RowHasContent(row, w)) continue;
    std::int32_t first = 0, last = width - 1;
    while (Texel(row, first) == 0) ++first;
    while (Texel(row, last) == 0) --last;
    if (parts.empty() || y - lastContent - 1 >= 2 * kPad + kPartGap) {
      parts.push_back(Part{first, y, last + 1, y + 1, 0, 0});
    } else {
      Part& p = parts.back();
      p.left = std::min(p.left, first);
      p.right = std::max(p.right, last + 1);
      p.bottom = y + 1;
    }
    lastContent = y;
  }
  if (parts.empty()) return std::nullopt;  // nothing to keep: not worth a special case

  std::int32_t packedWidth = 0, packedHeight = 0;
  for (Part& p : parts) {
    if (packedHeight > 0) packedHeight += kPartGap;
    packedWidth = std::max(packedWidth, p.right - p.left + 2 * kPad);
    p.packedX = kPad;
    p.packedY = packedHeight + kPad;
    packedHeight += p.bottom - p.top + 2 * kPad;
  }
  // Never larger than the image a side, so that a texture the image fits
  // into takes its packing too.
  if (packedWidth > width || packedHeight > height) return std::nullopt;
  const std::size_t pw = static_cast<std::size_t>(packedWidth), ph = static_cast<std::size_t>(packedHeight);
  if (pw * ph * 4 > w * h * 3) return std::nullopt;

  Packed packed;
  packed.pixels = PixelBytes(pw * ph * 4, 0);
  if (packed.pixels.size() != pw * ph * 4) return std::nullopt;
  for (const Part& p : parts) {
    for (std::int32_t sy = p.top - kPad; sy < p.bottom + kPad; ++sy) {
      const std::int32_t oy = std::clamp(sy, 0, height - 1);
      const std::uint8_t* from = rgba + static_cast<std::size_t>(oy) * w * 4;
      std::uint8_t* to = packed.pixels.data() +
                         (static_cast<std::size_t>(p.packedY + sy - p.top) * pw +
                          static_cast<std::size_t>(p.packedX - kPad)) * 4;
      // The columns inside the image in one copy, the clamped ones beside.
      const std::int32_t begin = p.left - kPad, end = p.right + kPad;
      const std::int32_t inBegin = std::max(begin, 0), inEnd = std::min(end, width);
      for (std::int32_t sx = begin; sx < inBegin; ++sx, to += 4) std::memcpy(to, from, 4);
      std::memcpy(to, from + static_cast<std::size_t>(inBegin) * 4, static_cast<std::size_t>(inEnd - inBegin) * 4);
      to += static_cast<std::size_t>(inEnd - inBegin) * 4;
      for (std::int32_t sx = inEnd; sx < end; ++sx, to += 4) std::memcpy(to, from + (w - 1) * 4, 4);
    }
  }
  packed.layout.width = packedWidth;
  packed.layout.height = packedHeight;
  packed.layout.parts = std::move(parts);
  return packed;
}

}  // namespace fx::igraphics
