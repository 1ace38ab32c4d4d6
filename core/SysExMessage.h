#pragma once
#include <cstdint>

namespace fx {

// Does not own its bytes.
struct SysExMessage {
  std::int32_t offset = 0;  // sample offset in the block
  std::int32_t size = 0;
  const std::uint8_t* data = nullptr;
};

}  // namespace fx
