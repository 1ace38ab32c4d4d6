#pragma once
// A system-exclusive message copied into a queue entry of fixed size.

#include <cstdint>

namespace fx {

struct SysExRecord {
  static constexpr std::int32_t kMaxBytes = 512;

  std::int32_t offset = 0;  // sample offset in the block
  std::int32_t size = 0;    // bytes used in data
  std::uint8_t data[kMaxBytes] = {};
};

}  // namespace fx
