#include "graphics/controls/IBKnobControl.h"

#include "graphics/IGraphics.h"

namespace fx::igraphics {

IBKnobControl::IBKnobControl(const IBounds& bounds, const IBitmapStrip& strip, std::int32_t paramIdx,
                             std::int32_t direction, double gearing)
    : IKnobControlBase(CentredOnFrame(bounds, strip), paramIdx, {}, direction, gearing), IBitmapBase(strip, *this) {}

void IBKnobControl::Paint(IGraphics& graphics) { DrawFrame(graphics, GetValue()); }

}  // namespace fx::igraphics
