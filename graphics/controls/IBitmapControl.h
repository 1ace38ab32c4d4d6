#pragma once
// An image (one frame of a strip chosen by the value) at a position.

#include "graphics/controls/IBitmapBase.h"
#include "graphics/controls/IControl.h"

namespace fx::igraphics {

class IBitmapControl : public IControl, public IBitmapBase {
 public:
  IBitmapControl(float x, float y, const IBitmapStrip& strip, std::int32_t paramIdx = -1,
                 const IBlendMode& blend = {});

  void Paint(IGraphics& graphics) override;
  void OnScaleChanged() override { ReloadStrip(); }
};

}  // namespace fx::igraphics
