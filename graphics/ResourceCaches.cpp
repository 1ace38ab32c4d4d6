#include "graphics/ResourceCaches.h"

#include <cstdio>
#include <cstring>

namespace fx::igraphics {
namespace {

std::int32_t gUsers = 0;  // changed under both cache locks

template <typename Entries>
auto* FindIn(const Entries& entries, const char* name, double scale) {
  const std::string key = BitmapCacheKeyText(name, scale);
  const std::uint32_t hash = Fnv1a(key.c_str());
  for (const auto& e : entries)
    if (e.hash == hash && e.scale == scale && e.name == name) return &e;
  return static_cast<const typename Entries::value_type*>(nullptr);
}

}  // namespace

std::uint32_t Fnv1a(const char* text) {
  std::uint32_t hash = 2166136261u;
  if (!text) return hash;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    hash ^= *p;
    hash *= 16777619u;
  }
  return hash;
}

std::string BitmapCacheKeyText(const char* name, double scale) {
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, "-%.1fx", scale);
  return std::string(name ? name : "") + suffix;
}

APIBitmap* BitmapCache::Find(const char* name, double scale) const {
  if (!name) return nullptr;
  const Entry* e = FindIn(entries_, name, scale);
  return e ? e->bitmap.get() : nullptr;
}

APIBitmap* BitmapCache::Add(const char* name, double scale, std::unique_ptr<APIBitmap> bitmap) {
  if (!name || !bitmap) return nullptr;
  APIBitmap* raw = bitmap.get();
  entries_.push_back({Fnv1a(BitmapCacheKeyText(name, scale).c_str()), name, scale, std::move(bitmap)});
  return raw;
}

SvgDocument* SvgCache::Find(const char* name, double scale) const {
  if (!name) return nullptr;
  const Entry* e = FindIn(entries_, name, scale);
  return e ? e->document.get() : nullptr;
}

SvgDocument* SvgCache::Add(const char* name, double scale, std::unique_ptr<SvgDocument> document) {
  if (!name || !document) return nullptr;
  SvgDocument* raw = document.get();
  entries_.push_back({Fnv1a(BitmapCacheKeyText(name, scale).c_str()), name, scale, std::move(document)});
  return raw;
}

void FontCache::Put(const char* fontId, std::unique_ptr<PlatformFont> font) {
  if (!fontId || !font) return;
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& entry : fonts_) {
    if (entry.first == fontId) {
      entry.second = std::move(font);
      return;
    }
  }
  fonts_.emplace_back(fontId, std::move(font));
}

bool FontCache::Contains(const char* fontId) {
  if (!fontId) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& entry : fonts_)
    if (entry.first == fontId) return true;
  return false;
}

void FontCache::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  fonts_.clear();
}

BitmapCache& SharedBitmapCache() {
  static BitmapCache cache;
  return cache;
}

SvgCache& SharedSvgCache() {
  static SvgCache cache;
  return cache;
}

FontCache& SharedFontCache() {
  static FontCache cache;
  return cache;
}

void AddCacheUser() {
  std::lock_guard<std::mutex> bitmaps(SharedBitmapCache().Lock());
  std::lock_guard<std::mutex> svgs(SharedSvgCache().Lock());
  ++gUsers;
}

void RemoveCacheUser() {
  std::lock_guard<std::mutex> bitmaps(SharedBitmapCache().Lock());
  std::lock_guard<std::mutex> svgs(SharedSvgCache().Lock());
  if (gUsers > 0) --gUsers;
  if (gUsers == 0) {
    SharedBitmapCache().Clear();
    SharedSvgCache().Clear();
  }
}

std::int32_t CacheUsers() {
  std::lock_guard<std::mutex> bitmaps(SharedBitmapCache().Lock());
  std::lock_guard<std::mutex> svgs(SharedSvgCache().Lock());
  return gUsers;
}

}  // namespace fx::igraphics
