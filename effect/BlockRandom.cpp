#include "effect/BlockRandom.h"

#include <atomic>

#include "platform/OsRandom.h"

namespace ombrisk {
namespace {

std::atomic<BlockSeedProvider> gProvider{nullptr};
std::atomic<void*> gContext{nullptr};
std::atomic<std::uint64_t> gFallbackState{0x4F6D627269736B21ull};

std::uint32_t FallbackSeed() {
  std::uint64_t z = gFallbackState.fetch_add(0x9E3779B97F4A7C15ull, std::memory_order_relaxed) + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
}

}  // namespace

void SetBlockSeedProvider(BlockSeedProvider provider, void* context) {
  gContext.store(context, std::memory_order_relaxed);
  gProvider.store(provider, std::memory_order_release);
}

std::uint32_t NextBlockSeed() {
  if (BlockSeedProvider provider = gProvider.load(std::memory_order_acquire))
    return provider(gContext.load(std::memory_order_relaxed));
  std::uint32_t seed = 0;
  if (fx::platform::OsRandom32(seed)) return seed;
  return FallbackSeed();
}

std::uint32_t Mt19937FirstOutput(std::uint32_t seed) {
  // Standard initialisation, x[i] = 1812433253 * (x[i-1] ^ (x[i-1] >> 30)) + i,
  // up to x[397]: the first twist step reads x[0], x[1] and x[397] only.
  std::uint32_t x0 = seed;
  std::uint32_t prev = seed;
  std::uint32_t x1 = 0;
  for (std::uint32_t i = 1; i <= 397; ++i) {
    prev = 1812433253u * (prev ^ (prev >> 30)) + i;
    if (i == 1) x1 = prev;
  }
  const std::uint32_t x397 = prev;
  const std::uint32_t y = (x0 & 0x80000000u) | (x1 & 0x7FFFFFFFu);
  std::uint32_t z = x397 ^ (y >> 1) ^ ((y & 1u) ? 0x9908B0DFu : 0u);
  z ^= z >> 11;
  z ^= (z << 7) & 0x9D2C5680u;
  z ^= (z << 15) & 0xEFC60000u;
  z ^= z >> 18;
  return z;
}

double BlockUniform(std::uint32_t seed) {
  const std::uint32_t r = Mt19937FirstOutput(seed);
  const float f = static_cast<float>(static_cast<double>(r)) / 4294967296.0f;
  return static_cast<double>(f);
}

}  // namespace ombrisk
