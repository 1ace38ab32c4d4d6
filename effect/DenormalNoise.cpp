#include "effect/DenormalNoise.h"

#include <atomic>

namespace ombrisk {
namespace {

// Shared without synchronisation by design: concurrent instances only
// disturb each other's noise sequence. Relaxed atomics keep that free of
// data races.
std::atomic<std::int32_t> gNoiseCounter{0};

// 32-bit signed product that wraps modulo 2^32.
inline std::int32_t MulWrap(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

}  // namespace

double DenormalNoise() {
  std::int32_t counter = gNoiseCounter.load(std::memory_order_relaxed);
  const double v = DenormalNoiseAt(counter);
  gNoiseCounter.store(counter, std::memory_order_relaxed);
  return v;
}

std::int32_t AdvanceNoiseCounter(std::int32_t counter, std::int64_t steps) {
  if (steps <= 0) return counter;
  // Each draw adds one; once in 1 .. 1700021 the counter wraps within it.
  std::int64_t c = counter % 1700021 + 1;
  std::int64_t rest = steps - 1;
  if (c < 1) {  // only a negative start climbs towards 1 first
    const std::int64_t toOne = 1 - c;
    if (rest < toOne) return static_cast<std::int32_t>(c + rest);
    rest -= toOne;
    c = 1;
  }
  return static_cast<std::int32_t>((c - 1 + rest) % 1700021 + 1);
}

double DenormalNoiseAt(std::int32_t& counter) {
  counter = counter % 1700021 + 1;
  std::int32_t r = MulWrap(counter, counter) % 170003;
  r = MulWrap(r, r) % 17011;
  r = MulWrap(r, r) % 1709;
  r = MulWrap(r, r) % 173;
  r = MulWrap(r, r) % 17;
  return static_cast<double>(r) * 1e-8 * 1e-8;
}

std::int32_t GetNoiseCounter() { return gNoiseCounter.load(std::memory_order_relaxed); }

void SetNoiseCounter(std::int32_t value) { gNoiseCounter.store(value, std::memory_order_relaxed); }

}  // namespace ombrisk
