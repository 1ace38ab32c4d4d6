#include "effect/OmbriskParameters.h"

#include "core/IParam.h"

namespace ombrisk {

void InitOmbriskParameters(fx::IParam* const* params) {
  const fx::IParam::ShapeLinear linear;
  // The order has no visible effect; it is the order the effect has always used.
  params[kOutputGain]->InitReal("Output Gain", 100.0, 0.0, 200.0, 0.01, "%", linear);
  params[kInputGain]->InitReal("Input Gain", 32.0, 0.0, 200.0, 0.01, "%", linear);
  params[kWet]->InitReal("Wet", 87.0, 0.0, 100.0, 0.01, "%", linear);
  params[kReact]->InitReal("React", 1.0, 0.0, 1.0, 1.0, "", linear);
  params[kTame]->InitReal("Tame", 0.5, 0.0, 1.0, 0.001, "", linear);
  params[kBias]->InitReal("Bias", 0.5, 0.0, 1.0, 0.001, "", linear);
  params[kBypass]->InitReal("Bypass", 0.0, 0.0, 1.0, 1.0, "", linear);
}

}  // namespace ombrisk
