#pragma once
// Glyph bitmaps packed into one alpha texture image with stb_rect_pack.
// When full it doubles in size, keeping every glyph where it was (the old
// contents become the first rectangle of the new packing), so texel
// coordinates handed out earlier stay valid.
#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "renderer/FontFace.h"

namespace fx::vg {

struct AtlasGlyph {
  int x = 0, y = 0, width = 0, height = 0;  // texels in the atlas
  int offsetX = 0, offsetY = 0;             // of the bitmap from the pen
};

class GlyphAtlas {
 public:
  GlyphAtlas(int width, int height, int maxSize);
  ~GlyphAtlas();
  GlyphAtlas(const GlyphAtlas&) = delete;
  GlyphAtlas& operator=(const GlyphAtlas&) = delete;

  using Key = std::tuple<int, int, int>;  // font, glyph, size in quarter pixels
  const AtlasGlyph* find(const Key& key) const;
  // Copies the bitmap in; null when even the largest atlas has no room.
  const AtlasGlyph* insert(const Key& key, const GlyphBitmap& bitmap);

  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<std::uint8_t>& pixels() const { return pixels_; }
  bool dirty() const { return dirty_; }
  void markClean() { dirty_ = false; }
  // Glyphs of a deleted font are forgotten (their texels stay until reuse).
  void forgetFont(int font);

 private:
  bool allocate(int w, int h, int& x, int& y);
  bool grow();
  struct Packer;
  std::unique_ptr<Packer> packer_;
  int width_, height_, maxSize_;
  std::vector<std::uint8_t> pixels_;
  std::map<Key, AtlasGlyph> glyphs_;
  bool dirty_ = true;
};

}  // namespace fx::vg
