#include "renderer/FontFace.h"

#include <stb_truetype.h>

#include <cstring>
#include <utility>

namespace fx::vg {

namespace {
std::uint32_t be32(std::span<const std::uint8_t> d, std::size_t at) {
  return (std::uint32_t{d[at]} << 24) | (std::uint32_t{d[at + 1]} << 16) | (std::uint32_t{d[at + 2]} << 8) | d[at + 3];
}
std::uint16_t be16(std::span<const std::uint8_t> d, std::size_t at) {
  return static_cast<std::uint16_t>((d[at] << 8) | d[at + 1]);
}

struct Table {
  std::size_t offset = 0, length = 0;
  bool present = false;
};

Table findTable(std::span<const std::uint8_t> d, const char* tag) {
  const std::size_t count = be16(d, 4);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t rec = 12 + 16 * i;
    if (std::memcmp(&d[rec], tag, 4) == 0) return {be32(d, rec + 8), be32(d, rec + 12), true};
  }
  return {};
}

bool validate(std::span<const std::uint8_t> d) {
  if (d.size() < 12) return false;
  const std::uint32_t version = be32(d, 0);
  if (version != 0x00010000u && version != 0x74727565u /* 'true' */) return false;
  const std::size_t count = be16(d, 4);
  if (count == 0 || 12 + 16 * count > d.size()) return false;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t rec = 12 + 16 * i;
    const std::uint64_t offset = be32(d, rec + 8), length = be32(d, rec + 12);
    if (offset + length > d.size()) return false;
  }
  const Table head = findTable(d, "head"), hhea = findTable(d, "hhea"), hmtx = findTable(d, "hmtx"),
              maxp = findTable(d, "maxp"), cmap = findTable(d, "cmap"), loca = findTable(d, "loca"),
              glyf = findTable(d, "glyf");
  if (!head.present || head.length < 54 || !hhea.present || hhea.length < 36 || !hmtx.present || !maxp.present ||
      maxp.length < 6 || !cmap.present || cmap.length < 4 || !loca.present || !glyf.present)
    return false;
  const std::size_t glyphs = be16(d, maxp.offset + 4);
  const std::size_t longMetrics = be16(d, hhea.offset + 34);
  if (longMetrics == 0 || longMetrics > glyphs) return false;
  if (4 * longMetrics + 2 * (glyphs - longMetrics) > hmtx.length) return false;
  const bool longLoca = be16(d, head.offset + 50) != 0;
  const std::size_t entry = longLoca ? 4 : 2;
  if ((glyphs + 1) * entry > loca.length) return false;
  for (std::size_t g = 0; g <= glyphs; ++g) {
    const std::size_t at = loca.offset + g * entry;
    const std::uint64_t off = longLoca ? be32(d, at) : std::uint64_t{be16(d, at)} * 2;
    if (off > glyf.length) return false;
  }
  // Every cmap subtable the directory names must lie inside the table.
  const std::size_t subtables = be16(d, cmap.offset + 2);
  if (4 + 8 * subtables > cmap.length) return false;
  for (std::size_t i = 0; i < subtables; ++i) {
    const std::uint64_t off = be32(d, cmap.offset + 4 + 8 * i + 4);
    if (off + 4 > cmap.length) return false;
  }
  return true;
}
}  // namespace

struct FontFace::Impl {
  std::vector<std::uint8_t> data;                      // a copy of its own,
  std::shared_ptr<const std::vector<std::uint8_t>> shared;  // or bytes it shares
  stbtt_fontinfo info{};
};

FontFace::FontFace() : impl_(std::make_unique<Impl>()) {}
FontFace::~FontFace() = default;

std::unique_ptr<FontFace> FontFace::fromMemory(std::span<const std::uint8_t> data) {
  if (data.empty() || !validate(data)) return nullptr;
  std::unique_ptr<FontFace> face(new FontFace());
  face->impl_->data.assign(data.begin(), data.end());
  return face->init(face->impl_->data.data()) ? std::move(face) : nullptr;
}

std::unique_ptr<FontFace> FontFace::fromShared(std::shared_ptr<const std::vector<std::uint8_t>> data) {
  if (!data || data->empty() || !validate(*data)) return nullptr;
  std::unique_ptr<FontFace> face(new FontFace());
  face->impl_->shared = std::move(data);
  return face->init(face->impl_->shared->data()) ? std::move(face) : nullptr;
}

bool FontFace::init(const std::uint8_t* bytes) {
  if (!stbtt_InitFont(&impl_->info, bytes, 0)) return false;
  int ascent = 0, descent = 0, gap = 0;
  stbtt_GetFontVMetrics(&impl_->info, &ascent, &descent, &gap);
  ascent_ = static_cast<float>(ascent);
  descent_ = static_cast<float>(descent);
  lineGap_ = static_cast<float>(gap);
  const float scale = stbtt_ScaleForMappingEmToPixels(&impl_->info, 1.0f);
  if (!(scale > 0.0f)) return false;
  unitsPerEm_ = 1.0f / scale;
  return true;
}

int FontFace::glyphIndex(char32_t codepoint) const {
  return stbtt_FindGlyphIndex(&impl_->info, static_cast<int>(codepoint));
}

float FontFace::advance(int glyph) const {
  int adv = 0, lsb = 0;
  stbtt_GetGlyphHMetrics(&impl_->info, glyph, &adv, &lsb);
  return static_cast<float>(adv);
}

float FontFace::kerning(int left, int right) const {
  return static_cast<float>(stbtt_GetGlyphKernAdvance(&impl_->info, left, right));
}

GlyphBitmap FontFace::rasterize(int glyph, float pixelsPerEm) const {
  GlyphBitmap b;
  const float scale = pixelsPerEm / unitsPerEm_;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  stbtt_GetGlyphBitmapBox(&impl_->info, glyph, scale, scale, &x0, &y0, &x1, &y1);
  if (x1 <= x0 || y1 <= y0 || x1 - x0 > 4096 || y1 - y0 > 4096) return b;
  b.width = x1 - x0;
  b.height = y1 - y0;
  b.offsetX = x0;
  b.offsetY = y0;
  b.pixels.assign(static_cast<std::size_t>(b.width) * static_cast<std::size_t>(b.height), 0);
  stbtt_MakeGlyphBitmap(&impl_->info, b.pixels.data(), b.width, b.height, b.width, scale, scale, glyph);
  return b;
}

}  // namespace fx::vg
