#pragma once
// The effect's seven automatable parameters: their indices and their
// initialisation.

#include <cstdint>

namespace fx {
class IParam;
}

namespace ombrisk {

enum ParamIndex : std::int32_t {
  kInputGain = 0,
  kWet = 1,
  kTame = 2,
  kReact = 3,
  kBypass = 4,
  kOutputGain = 5,
  kBias = 6,
  kNumParams = 7,
};

// Initialises the seven parameters (array indexed by ParamIndex) with their
// names, ranges, steps, defaults and labels. Entries may not be null.
void InitOmbriskParameters(fx::IParam* const* params);

}  // namespace ombrisk
