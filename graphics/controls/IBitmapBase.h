#pragma once
// Mix-in of the bitmap controls: the strip they draw and the frame chosen
// for a value. The strip is reloaded at the screen scale whenever the scale
// changes, so it always matches the monitor.

#include <cstdint>

#include "graphics/IBitmapStrip.h"
#include "graphics/IBounds.h"

namespace fx::igraphics {

class IControl;
class IGraphics;

class IBitmapBase {
 public:
  IBitmapBase(const IBitmapStrip& strip, IControl& owner) : strip_(strip), owner_(&owner) {}
  virtual ~IBitmapBase() = default;

  const IBitmapStrip& GetStrip() const { return strip_; }
  // 1-based frame for a value: trunc((N - 1) v + 0.5) + 1 clamped to
  // [1, N]; 1 with fewer than two frames or a value that is not a number.
  static std::int32_t FrameForValue(std::int32_t nFrames, double value);
  // Draws the frame for the value centred in the owner's bounds.
  void DrawFrame(IGraphics& graphics, double value) const;
  // Loads the strip again by name at the screen scale rounded up.
  void ReloadStrip();

 protected:
  IBitmapStrip strip_;
  IControl* owner_;
};

// The frame size of a strip centred in a rectangle: bitmap controls are
// placed this way.
IBounds CentredOnFrame(const IBounds& bounds, const IBitmapStrip& strip);

}  // namespace fx::igraphics
