#pragma once
// A knob drawn as one frame of a strip chosen by its value.

#include "graphics/controls/IBitmapBase.h"
#include "graphics/controls/IKnobControlBase.h"

namespace fx::igraphics {

class IBKnobControl : public IKnobControlBase, public IBitmapBase {
 public:
  // The bounds become the strip's frame size centred in the given ones.
  IBKnobControl(const IBounds& bounds, const IBitmapStrip& strip, std::int32_t paramIdx = -1,
                std::int32_t direction = kVertical, double gearing = kDefaultGearing);

  void Paint(IGraphics& graphics) override;
  void OnScaleChanged() override { ReloadStrip(); }
};

}  // namespace fx::igraphics
