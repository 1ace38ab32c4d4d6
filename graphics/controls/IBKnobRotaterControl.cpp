#include "graphics/controls/IBKnobRotaterControl.h"

#include "graphics/IGraphics.h"

namespace fx::igraphics {

IBKnobRotaterControl::IBKnobRotaterControl(const IBounds& bounds, const IBitmapStrip& strip, std::int32_t paramIdx)
    : IBKnobControl(bounds, strip, paramIdx, kVertical, kDefaultGearing) {}

float IBKnobRotaterControl::AngleForValue(double value) {
  return static_cast<float>(value * kSweepDegrees - kSweepDegrees / 2.0);
}

void IBKnobRotaterControl::Paint(IGraphics& graphics) {
  graphics.DrawBitmapRotated(strip_, bounds_.MW(), bounds_.MH(), AngleForValue(GetValue()), &blend_);
}

}  // namespace fx::igraphics
