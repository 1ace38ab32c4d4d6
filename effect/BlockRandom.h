#pragma once
// The per-block random value U: a freshly seeded MT19937's first output,
// scaled to [0, 1] in single precision. Seeds come from the operating system
// unless a provider is installed (tests and tools install one so that any
// block's output can be reproduced).

#include <cstdint>

namespace ombrisk {

using BlockSeedProvider = std::uint32_t (*)(void* context);

// Installs a process-wide seed provider; nullptr returns to the operating
// system's source. Install before processing starts, or set nullptr first
// when switching between two providers.
void SetBlockSeedProvider(BlockSeedProvider provider, void* context);

// One 32-bit seed: the provider's, else the operating system's, else (when
// the system cannot deliver) the next value of a deterministic SplitMix64
// sequence. Never blocks.
std::uint32_t NextBlockSeed();

// The first output of std::mt19937 seeded with `seed`, computed from the 398
// state words it depends on rather than the whole twisted state.
std::uint32_t Mt19937FirstOutput(std::uint32_t seed);

// U for a block: float(r) / 2^32 in single precision, widened to double.
double BlockUniform(std::uint32_t seed);

}  // namespace ombrisk
