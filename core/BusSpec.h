#pragma once
#include <cstdint>

#include "core/BusDirection.h"

namespace fx {

// One bus of an I/O layout.
struct BusSpec {
  BusDirection direction = kInput;
  std::int32_t nChannels = 0;
};

}  // namespace fx
