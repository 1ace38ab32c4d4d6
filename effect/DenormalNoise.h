#pragma once
// Tiny positive values (0 .. 1.6e-15) that replace input samples below the
// subnormal guard, from a counter shared by every instance of the library.

#include <cstdint>

namespace ombrisk {

double DenormalNoise();

// The same sequence on a caller's own copy of the counter, so that a block
// can draw without touching the shared one for every sample.
double DenormalNoiseAt(std::int32_t& counter);

// The counter after `steps` draws from `counter`.
std::int32_t AdvanceNoiseCounter(std::int32_t counter, std::int64_t steps);

// For tests and tools that need a reproducible noise sequence.
std::int32_t GetNoiseCounter();
void SetNoiseCounter(std::int32_t value);

}  // namespace ombrisk
