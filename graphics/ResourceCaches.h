#pragma once
// The process-wide caches behind the graphics context's base loading: decoded
// bitmaps, SVG documents and platform fonts. Several editor instances in one
// host process share them. Each live graphics context counts as one user;
// when the last one goes, bitmaps and SVG documents are deleted. Every cache
// has its own lock; the user count changes under the bitmap lock, then the
// SVG lock, always in that order.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "graphics/APIBitmap.h"
#include "graphics/PlatformFont.h"
#include "graphics/SvgDocument.h"

namespace fx::igraphics {

// 32-bit FNV-1a of a text.
std::uint32_t Fnv1a(const char* text);
// The key text of a bitmap: name followed by "-%.1fx" of the scale.
std::string BitmapCacheKeyText(const char* name, double scale);

class BitmapCache {
 public:
  struct Entry {
    std::uint32_t hash;
    std::string name;
    double scale;
    std::unique_ptr<APIBitmap> bitmap;
  };

  std::mutex& Lock() { return mutex_; }
  // Caller holds the lock. Null when absent. Exact, case-sensitive name.
  APIBitmap* Find(const char* name, double scale) const;
  // Caller holds the lock. Keeps the bitmap; returns it.
  APIBitmap* Add(const char* name, double scale, std::unique_ptr<APIBitmap> bitmap);
  std::size_t Size() const { return entries_.size(); }  // caller holds the lock
  void Clear() { entries_.clear(); }                    // caller holds the lock

 private:
  std::mutex mutex_;
  std::vector<Entry> entries_;
};

class SvgCache {
 public:
  std::mutex& Lock() { return mutex_; }
  SvgDocument* Find(const char* name, double scale) const;
  SvgDocument* Add(const char* name, double scale, std::unique_ptr<SvgDocument> document);
  std::size_t Size() const { return entries_.size(); }
  void Clear() { entries_.clear(); }

 private:
  struct Entry {
    std::uint32_t hash;
    std::string name;
    double scale;
    std::unique_ptr<SvgDocument> document;
  };
  std::mutex mutex_;
  std::vector<Entry> entries_;
};

// Platform fonts by font id. A second font under the same id replaces the first.
class FontCache {
 public:
  void Put(const char* fontId, std::unique_ptr<PlatformFont> font);
  bool Contains(const char* fontId);
  void Clear();

 private:
  std::mutex mutex_;
  std::vector<std::pair<std::string, std::unique_ptr<PlatformFont>>> fonts_;
};

BitmapCache& SharedBitmapCache();
SvgCache& SharedSvgCache();
FontCache& SharedFontCache();

// A graphics context starts or stops using the caches.
void AddCacheUser();
void RemoveCacheUser();
std::int32_t CacheUsers();

}  // namespace fx::igraphics
