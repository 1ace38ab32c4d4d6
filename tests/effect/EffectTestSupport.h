#pragma once
// Deterministic seeds and parameter sets for the effect's tests.

#include <cstdint>
#include <random>

#include "core/IParam.h"
#include "effect/BlockRandom.h"
#include "effect/OmbriskParameters.h"

namespace effect_test {

// Installs a seed provider for the lifetime of the object: seeds come from a
// fixed-seed generator, and calls are counted.
class SeedSequence {
 public:
  explicit SeedSequence(std::uint32_t start = 1) : engine_(start) {
    ombrisk::SetBlockSeedProvider(&SeedSequence::Next, this);
  }
  ~SeedSequence() { ombrisk::SetBlockSeedProvider(nullptr, nullptr); }
  SeedSequence(const SeedSequence&) = delete;
  SeedSequence& operator=(const SeedSequence&) = delete;

  int calls = 0;
  std::uint32_t last = 0;

 private:
  static std::uint32_t Next(void* context) {
    auto* self = static_cast<SeedSequence*>(context);
    ++self->calls;
    self->last = static_cast<std::uint32_t>(self->engine_());
    return self->last;
  }
  std::mt19937 engine_;
};

// The seven parameters at their defaults.
struct Params {
  fx::IParam p[ombrisk::kNumParams];
  Params() {
    fx::IParam* list[ombrisk::kNumParams];
    for (int i = 0; i < ombrisk::kNumParams; ++i) list[i] = &p[i];
    ombrisk::InitOmbriskParameters(list);
  }
  void Values(double* out) const {
    for (int i = 0; i < ombrisk::kNumParams; ++i) out[i] = p[i].GetValue();
  }
};

// U exactly as the product draws it, computed through the standard engine.
inline double ModelUniform(std::uint32_t seed) {
  std::mt19937 engine(seed);
  const std::uint32_t r = static_cast<std::uint32_t>(engine());
  return static_cast<double>(static_cast<float>(static_cast<double>(r)) / 4294967296.0f);
}

}  // namespace effect_test
