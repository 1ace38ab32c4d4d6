#pragma once
#include <cstdint>

namespace fx {

enum BusDirection : std::int32_t { kInput = 0, kOutput = 1 };

}  // namespace fx
