#include "graphics/controls/IBitmapControl.h"

#include "graphics/IGraphics.h"

namespace fx::igraphics {

IBitmapControl::IBitmapControl(float x, float y, const IBitmapStrip& strip, std::int32_t paramIdx,
                               const IBlendMode& blend)
    : IControl(IBounds{x, y, x + static_cast<float>(strip.FrameWidth()), y + static_cast<float>(strip.FrameHeight())},
               paramIdx),
      IBitmapBase(strip, *this) {
  blend_ = blend;
}

void IBitmapControl::Paint(IGraphics& graphics) { DrawFrame(graphics, GetValue()); }

}  // namespace fx::igraphics
