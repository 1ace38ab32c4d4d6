#pragma once
// The cache of font file data by font id, one for the whole process and
// shared by every drawing context in it (renderer fonts belong to one
// renderer context, the bytes they are made from do not). Each drawing
// context holds a FontDataCache::User, so the cache exists exactly while
// some context does: the first creates it, the last frees it with its data
// (see SharedByUsers). Lookups run under the cache's own lock.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "graphics/SharedByUsers.h"

namespace fx::igraphics {

class FontDataCache {
 public:
  using Bytes = std::shared_ptr<const std::vector<std::uint8_t>>;
  using Shared = SharedByUsers<FontDataCache>;
  using User = Shared::Handle;

  // The cached bytes of fontId, else `fetch` is asked for them and non-empty
  // bytes are cached. Null when there are none.
  Bytes FindOrAdd(const std::string& fontId, const std::function<bool(std::vector<std::uint8_t>&)>& fetch);
  bool Contains(const std::string& fontId) const;
  std::size_t Size() const;

 private:
  mutable std::mutex lock_;
  std::map<std::string, Bytes> fonts_;
};

}  // namespace fx::igraphics
