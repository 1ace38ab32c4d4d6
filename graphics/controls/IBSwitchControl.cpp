#include "graphics/controls/IBSwitchControl.h"

#include "graphics/IGraphics.h"

namespace fx::igraphics {

IBSwitchControl::IBSwitchControl(const IBounds& bounds, const IBitmapStrip& strip, std::int32_t paramIdx)
    : ISwitchControlBase(CentredOnFrame(bounds, strip), paramIdx, {}, 2), IBitmapBase(strip, *this) {}

void IBSwitchControl::Paint(IGraphics& graphics) { DrawFrame(graphics, GetValue()); }

void IBSwitchControl::OnMousePress(float, float, const IMouseMod&) {
  const std::int32_t n = strip_.nFrames;
  double value = GetValue() + (n < 2 ? 1.0 : 1.0 / static_cast<double>(n - 1));
  if (value > 1.001) value = 0.0;
  StoreValue(value, 0);
  MarkDirty(true, -1);
}

}  // namespace fx::igraphics
