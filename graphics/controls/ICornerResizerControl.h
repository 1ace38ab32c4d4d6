#pragma once
// The handle in the page's bottom-right corner that resizes or rescales the
// editor when dragged. It keeps the same size in pixels at every scale.

#include "graphics/controls/IControl.h"

namespace fx::igraphics {

class ICornerResizerControl : public IControl {
 public:
  ICornerResizerControl(const IBounds& pageBounds, float handleSize, const IArgb& colour = {10, 0, 0, 0},
                        const IArgb& mouseOverColour = {255, 0, 0, 0}, const IArgb& dragColour = {255, 0, 0, 0});

  void Paint(IGraphics& graphics) override;
  void OnMousePress(float x, float y, const IMouseMod& mod) override;
  void OnMouseDoubleClick(float x, float y, const IMouseMod& mod) override;
  void OnScaleChanged() override;
  void OnMouseHover(float x, float y, const IMouseMod& mod) override;
  void OnMouseLeave() override;

  const IBounds& GetInitialBounds() const { return initialBounds_; }
  bool GetMouseOverHandle() const { return mouseOverHandle_; }

 private:
  float handleSize_;
  bool mouseOverHandle_ = false;
  std::int32_t savedCursor_ = 0;
  IBounds initialBounds_;
  IArgb colour_;
  IArgb mouseOverColour_;
  IArgb dragColour_;
};

}  // namespace fx::igraphics
