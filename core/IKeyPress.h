#pragma once
// One key event as the host or the editor window reports it.

#include <cstdint>

namespace fx {

struct IKeyPress {
  std::int32_t vk = 0;   // Windows virtual-key numbering
  char utf8[5] = {};     // the key's character, NUL-terminated
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

}  // namespace fx
