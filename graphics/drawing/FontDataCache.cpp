#include "graphics/drawing/FontDataCache.h"

#include <map>
#include <mutex>

namespace fx::igraphics {

namespace {
struct Shared {
  std::mutex lock;
  std::map<std::string, FontDataCache::Bytes> fonts;
  std::int32_t users = 0;
};

// Destroyed with the module (a plug-in module is loaded and unloaded many
// times by scanning hosts, so a never-freed cache would leak each time).
// Every drawing context adds itself as a user while it is being built, so
// this object is complete before any static holding a context is, and goes
// after it at exit.
Shared& shared() {
  static Shared s;
  return s;
}
}  // namespace

void FontDataCache::AddUser() {
  std::lock_guard guard(shared().lock);
  ++shared().users;
}

void FontDataCache::RemoveUser() {
  std::lock_guard guard(shared().lock);
  if (shared().users > 0 && --shared().users == 0) shared().fonts.clear();
}

std::int32_t FontDataCache::Users() {
  std::lock_guard guard(shared().lock);
  return shared().users;
}

FontDataCache::Bytes FontDataCache::FindOrAdd(const std::string& fontId,
                                              const std::function<bool(std::vector<std::uint8_t>&)>& fetch) {
  std::lock_guard guard(shared().lock);
  auto it = shared().fonts.find(fontId);
  if (it != shared().fonts.end()) return it->second;
  std::vector<std::uint8_t> data;
  if (!fetch || !fetch(data) || data.empty()) return nullptr;
  auto bytes = std::make_shared<const std::vector<std::uint8_t>>(std::move(data));
  shared().fonts.emplace(fontId, bytes);
  return bytes;
}

bool FontDataCache::Contains(const std::string& fontId) {
  std::lock_guard guard(shared().lock);
  return shared().fonts.count(fontId) != 0;
}

std::size_t FontDataCache::Size() {
  std::lock_guard guard(shared().lock);
  return shared().fonts.size();
}

}  // namespace fx::igraphics
