#pragma once
#include <cstdint>

namespace fx {

struct MidiMessage {
  std::int32_t offset = 0;  // sample offset in the block
  std::uint8_t status = 0;
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;
};

}  // namespace fx
