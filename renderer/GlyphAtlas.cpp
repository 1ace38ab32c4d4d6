#include "renderer/GlyphAtlas.h"

#include <stb_rect_pack.h>

#include <algorithm>
#include <cstring>

namespace fx::vg {

struct GlyphAtlas::Packer {
  stbrp_context context{};
  std::vector<stbrp_node> nodes;
  void reset(int w, int h) {
    nodes.assign(static_cast<std::size_t>(w), stbrp_node{});
    stbrp_init_target(&context, w, h, nodes.data(), w);
  }
  bool pack(int w, int h, int& x, int& y) {
    stbrp_rect r{};
    r.w = w;
    r.h = h;
    if (!stbrp_pack_rects(&context, &r, 1) || !r.was_packed) return false;
    x = r.x;
    y = r.y;
    return true;
  }
};

GlyphAtlas::GlyphAtlas(int width, int height, int maxSize)
    : packer_(std::make_unique<Packer>()), width_(width), height_(height), maxSize_(maxSize) {
  pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0);
  packer_->reset(width_, height_);
}

GlyphAtlas::~GlyphAtlas() = default;

const AtlasGlyph* GlyphAtlas::find(const Key& key) const {
  auto it = glyphs_.find(key);
  return it == glyphs_.end() ? nullptr : &it->second;
}

bool GlyphAtlas::grow() {
  if (width_ >= maxSize_ && height_ >= maxSize_) return false;
  const int oldW = width_, oldH = height_;
  if (width_ <= height_) width_ = std::min(width_ * 2, maxSize_);
  else height_ = std::min(height_ * 2, maxSize_);
  std::vector<std::uint8_t> bigger(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0);
  for (int row = 0; row < oldH; ++row)
    std::memcpy(&bigger[static_cast<std::size_t>(row) * static_cast<std::size_t>(width_)],
                &pixels_[static_cast<std::size_t>(row) * static_cast<std::size_t>(oldW)], static_cast<std::size_t>(oldW));
  pixels_ = std::move(bigger);
  packer_->reset(width_, height_);
  // The old contents are the first rectangle of the new packing: into the
  // empty skyline it goes to the origin, where it already is.
  int x = 0, y = 0;
  packer_->pack(oldW, oldH, x, y);
  dirty_ = true;
  return x == 0 && y == 0;
}

bool GlyphAtlas::allocate(int w, int h, int& x, int& y) {
  while (!packer_->pack(w, h, x, y))
    if (!grow()) return false;
  return true;
}

const AtlasGlyph* GlyphAtlas::insert(const Key& key, const GlyphBitmap& bitmap) {
  AtlasGlyph g;
  g.offsetX = bitmap.offsetX;
  g.offsetY = bitmap.offsetY;
  if (bitmap.width > 0 && bitmap.height > 0) {
    // One texel of padding keeps filtering from reaching the neighbours.
    int x = 0, y = 0;
    if (bitmap.width + 2 > maxSize_ || bitmap.height + 2 > maxSize_) return nullptr;
    if (!allocate(bitmap.width + 2, bitmap.height + 2, x, y)) return nullptr;
    g.x = x + 1;
    g.y = y + 1;
    g.width = bitmap.width;
    g.height = bitmap.height;
    for (int row = 0; row < bitmap.height; ++row)
      std::memcpy(&pixels_[static_cast<std::size_t>(g.y + row) * static_cast<std::size_t>(width_) +
                           static_cast<std::size_t>(g.x)],
                  &bitmap.pixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(bitmap.width)],
                  static_cast<std::size_t>(bitmap.width));
    dirty_ = true;
  }
  return &(glyphs_[key] = g);
}

void GlyphAtlas::forgetFont(int font) {
  std::erase_if(glyphs_, [font](const auto& entry) { return std::get<0>(entry.first) == font; });
}

}  // namespace fx::vg
