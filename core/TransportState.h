#pragma once
// The host transport of the current block. -1.0 marks a value the host did
// not supply.

#include <cstdint>

namespace fx {

struct TransportState {
  double tempo = 120.0;
  double samplePosition = -1.0;
  double ppqPosition = -1.0;
  double lastBarPosition = -1.0;
  double cycleStart = -1.0;
  double cycleEnd = -1.0;
  std::int32_t numerator = 4;
  std::int32_t denominator = 4;
  bool isPlaying = false;
  bool isLooping = false;
};

}  // namespace fx
