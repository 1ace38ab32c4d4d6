#pragma once
// One TrueType face held in memory and read through stb_truetype. The
// table directory, glyph locations and metrics are checked against the data
// size before stb_truetype sees the bytes, so truncated or garbage data is
// refused instead of being read out of bounds.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace fx::vg {

struct GlyphBitmap {
  int width = 0, height = 0;
  int offsetX = 0, offsetY = 0;  // of the top-left texel from the pen, y down
  std::vector<std::uint8_t> pixels;
};

class FontFace {
 public:
  static std::unique_ptr<FontFace> fromMemory(std::span<const std::uint8_t> data);
  // Reads `data` where it is, keeping it alive (bytes shared by several
  // renderers, held once); null data is refused.
  static std::unique_ptr<FontFace> fromShared(std::shared_ptr<const std::vector<std::uint8_t>> data);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  // Font units; ascent positive up, descent negative.
  float ascent() const { return ascent_; }
  float descent() const { return descent_; }
  float lineGap() const { return lineGap_; }
  float unitsPerEm() const { return unitsPerEm_; }

  int glyphIndex(char32_t codepoint) const;
  float advance(int glyph) const;
  float kerning(int left, int right) const;
  // Rasterised at `pixelsPerEm`; an empty bitmap for blank glyphs.
  GlyphBitmap rasterize(int glyph, float pixelsPerEm) const;

 private:
  FontFace();
  // Reads the face from `bytes` (validated, kept alive by impl_).
  bool init(const std::uint8_t* bytes);
  struct Impl;
  std::unique_ptr<Impl> impl_;
  float ascent_ = 0, descent_ = 0, lineGap_ = 0, unitsPerEm_ = 1;
};

}  // namespace fx::vg
