#include "graphics/ResourceCaches.h"

#include <cstdio>
#include <cstring>

namespace fx::igraphics {
namespace {

using Shared = SharedByUsers<ResourceCaches>;

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

BitmapCache& SharedBitmapCache() { return Shared::Current()->bitmaps; }

SvgCache& SharedSvgCache() { return Shared::Current()->svgs; }

void AddCacheUser() { Shared::Join(); }

void RemoveCacheUser() { Shared::Leave(); }

std::int32_t CacheUsers() { return Shared::Users(); }

bool CachesLive() { return Shared::Current() != nullptr; }

}  // namespace fx::igraphics
