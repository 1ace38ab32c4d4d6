#pragma once
// The process-wide cache of font file data by font id, shared by every
// drawing context of the process (renderer fonts belong to one renderer
// context, the bytes they are made from do not). It lives while any drawing
// context lives: each one registers as a user on construction and leaves on
// destruction; the last to leave empties it. All under one process-wide lock.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace fx::igraphics {

class FontDataCache {
 public:
  using Bytes = std::shared_ptr<const std::vector<std::uint8_t>>;

  static void AddUser();
  static void RemoveUser();
  static std::int32_t Users();

  // Under the lock: the cached bytes of fontId, else `fetch` is asked for
  // them and non-empty bytes are cached. Null when there are none.
  static Bytes FindOrAdd(const std::string& fontId, const std::function<bool(std::vector<std::uint8_t>&)>& fetch);
  static bool Contains(const std::string& fontId);
  static std::size_t Size();
};

}  // namespace fx::igraphics
