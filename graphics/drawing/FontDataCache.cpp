#include "graphics/drawing/FontDataCache.h"

namespace fx::igraphics {

FontDataCache::Bytes FontDataCache::FindOrAdd(const std::string& fontId,
                                              const std::function<bool(std::vector<std::uint8_t>&)>& fetch) {
  std::lock_guard guard(lock_);
  auto it = fonts_.find(fontId);
  if (it != fonts_.end()) return it->second;
  std::vector<std::uint8_t> data;
  if (!fetch || !fetch(data) || data.empty()) return nullptr;
  auto bytes = std::make_shared<const std::vector<std::uint8_t>>(std::move(data));
  fonts_.emplace(fontId, bytes);
  return bytes;
}

bool FontDataCache::Contains(const std::string& fontId) const {
  std::lock_guard guard(lock_);
  return fonts_.count(fontId) != 0;
}

std::size_t FontDataCache::Size() const {
  std::lock_guard guard(lock_);
  return fonts_.size();
}

}  // namespace fx::igraphics
