#pragma once
// A switch drawn as the frame of its strip for its value; each press moves
// one frame on and wraps to the first after the last.

#include "graphics/controls/IBitmapBase.h"
#include "graphics/controls/ISwitchControlBase.h"

namespace fx::igraphics {

class IBSwitchControl : public ISwitchControlBase, public IBitmapBase {
 public:
  IBSwitchControl(const IBounds& bounds, const IBitmapStrip& strip, std::int32_t paramIdx = -1);

  void Paint(IGraphics& graphics) override;
  void OnMousePress(float x, float y, const IMouseMod& mod) override;
  void OnScaleChanged() override { ReloadStrip(); }
};

}  // namespace fx::igraphics
