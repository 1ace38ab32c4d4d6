#pragma once
// A knob drawn as its whole image rotated about the centre of its bounds:
// -130 degrees at 0, +130 degrees at 1.

#include "graphics/controls/IBKnobControl.h"

namespace fx::igraphics {

class IBKnobRotaterControl : public IBKnobControl {
 public:
  static constexpr double kSweepDegrees = 260.0;

  IBKnobRotaterControl(const IBounds& bounds, const IBitmapStrip& strip, std::int32_t paramIdx = -1);

  void Paint(IGraphics& graphics) override;
  static float AngleForValue(double value);
};

}  // namespace fx::igraphics
