#pragma once
// The process-wide caches behind the graphics context's base loading:
// decoded bitmaps and SVG documents. Several editor instances in one host
// process share them. Each live graphics context is one user: the first
// creates the caches, the last deletes them with everything in them (see
// SharedByUsers), so they never wait for static destruction. Every cache
// has its own lock. Font data has one cache, the drawing backend's.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "graphics/APIBitmap.h"
#include "graphics/SharedByUsers.h"
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
  // Caller holds the lock: function(APIBitmap&) for each bitmap, in order.
  template <class Function>
  void ForEach(Function function) {
    for (Entry& e : entries_)
      if (e.bitmap) function(*e.bitmap);
  }

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

struct ResourceCaches {
  BitmapCache bitmaps;
  SvgCache svgs;
};

// The live caches; only a user (a live graphics context) may call these.
BitmapCache& SharedBitmapCache();
SvgCache& SharedSvgCache();

// A graphics context starts or stops using the caches.
void AddCacheUser();
void RemoveCacheUser();
std::int32_t CacheUsers();
// False once the last user has gone and the caches with it.
bool CachesLive();

}  // namespace fx::igraphics
