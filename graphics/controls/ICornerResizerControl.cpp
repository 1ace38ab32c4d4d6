#include "graphics/controls/ICornerResizerControl.h"

#include <cmath>

#include "graphics/IGraphics.h"

namespace fx::igraphics {

ICornerResizerControl::ICornerResizerControl(const IBounds& pageBounds, float handleSize, const IArgb& colour,
                                             const IArgb& mouseOverColour, const IArgb& dragColour)
    : IControl(IBounds{pageBounds.right - handleSize + 1.0f, pageBounds.bottom - handleSize + 1.0f,
                       pageBounds.right - 1.0f, pageBounds.bottom - 1.0f}),
      handleSize_(handleSize),
      initialBounds_(pageBounds),
      colour_(colour),
      mouseOverColour_(mouseOverColour),
      dragColour_(dragColour) {}

void ICornerResizerControl::Paint(IGraphics& graphics) {
  const IArgb& colour = graphics.IsResizing() ? dragColour_ : (mouseOverHandle_ ? mouseOverColour_ : colour_);
  graphics.FillTriangleShape(colour, bounds_.left, bounds_.bottom, bounds_.right, bounds_.top, bounds_.right,
                             bounds_.bottom, &blend_);
}

void ICornerResizerControl::OnMousePress(float, float, const IMouseMod&) {
  if (graphics_) graphics_->StartResizeGesture();
}

void ICornerResizerControl::OnMouseDoubleClick(float, float, const IMouseMod&) {
  if (graphics_)
    graphics_->ResizeEditor(static_cast<std::int32_t>(initialBounds_.W()), static_cast<std::int32_t>(initialBounds_.H()),
                            1.0f);
}

void ICornerResizerControl::OnScaleChanged() {
  if (!graphics_) return;
  const float scale = graphics_->GetDrawScale();
  if (!(scale > 0.0f) || !std::isfinite(handleSize_)) return;
  const float side = handleSize_ / scale;
  const float w = static_cast<float>(graphics_->Width()), h = static_cast<float>(graphics_->Height());
  bounds_ = {w - side, h - side, w, h};
  targetBounds_ = bounds_;
  OnBoundsChanged();
}

void ICornerResizerControl::OnMouseHover(float, float, const IMouseMod&) {
  if (!mouseOverHandle_ && graphics_) savedCursor_ = graphics_->SetMouseCursor(kSizeNWSECursor);
  const bool was = mouseIsOver_;
  mouseIsOver_ = true;
  mouseOverHandle_ = true;
  if (!was) MarkDirty(false, -1);
}

void ICornerResizerControl::OnMouseLeave() {
  if (mouseOverHandle_ && graphics_) graphics_->SetMouseCursor(savedCursor_);
  const bool was = mouseIsOver_;
  mouseIsOver_ = false;
  mouseOverHandle_ = false;
  if (was) MarkDirty(false, -1);
}

}  // namespace fx::igraphics
