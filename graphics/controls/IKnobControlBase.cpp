#include "graphics/controls/IKnobControlBase.h"

#include <algorithm>
#include <cmath>

#include "graphics/IGraphics.h"

namespace fx::igraphics {

IKnobControlBase::IKnobControlBase(const IBounds& bounds, std::int32_t paramIdx, ActionFunction action,
                                   std::int32_t direction, double gearing)
    : IControl(bounds, paramIdx, std::move(action)), direction_(direction), gearing_(gearing) {}

void IKnobControlBase::OnMousePress(float x, float y, const IMouseMod& mod) {
  mouseDown_ = true;
  dragValue_ = GetValue();
  if (hideCursorOnDrag_ && graphics_) graphics_->HideCursor(true, true);
  IControl::OnMousePress(x, y, mod);
}

void IKnobControlBase::OnMouseRelease(float, float, const IMouseMod&) {
  if (hideCursorOnDrag_ && graphics_) graphics_->HideCursor(false, true);
  mouseDown_ = false;
  MarkDirty(false, -1);
}

void IKnobControlBase::OnMouseDragged(float, float, float dx, float dy, const IMouseMod& mod) {
  if (!std::isfinite(dx) || !std::isfinite(dy)) return;
  double gearing = gearing_;
  if (mod.S || mod.C) gearing *= 10.0;
  if (!(gearing > 0.0) || !std::isfinite(gearing)) return;
  const IBounds area = DragArea();
  double step;
  if (direction_ == kVertical) {
    const double extent = static_cast<double>(area.top) - static_cast<double>(area.bottom);
    if (extent == 0.0 || !std::isfinite(extent)) return;
    step = static_cast<double>(dy) / extent / gearing;
  } else {
    const double extent = static_cast<double>(area.right) - static_cast<double>(area.left);
    if (extent == 0.0 || !std::isfinite(extent)) return;
    step = static_cast<double>(dx) / extent / gearing;
  }
  dragValue_ = std::clamp(dragValue_ + step, 0.0, 1.0);
  double value = dragValue_;
  const fx::IParam* param = GetParam();
  if (param && (param->GetFlags() & fx::kParamStepped) && param->GetStep() > 0.0)
    value = NormalizedForParam(*param, param->GetShape().UnitToReal(dragValue_, *param));
  StoreValue(value, 0);
  MarkDirty(true, -1);
}

void IKnobControlBase::OnMouseWheelTurn(float, float, const IMouseMod& mod, float delta) {
  if (!std::isfinite(delta)) return;
  const double step = (mod.S || mod.C) ? 0.001 : 0.01;
  const fx::IParam* param = GetParam();
  double value;
  if (!param || !(param->GetFlags() & fx::kParamStepped) || !(param->GetStep() > 0.0)) {
    value = GetValue() + static_cast<double>(delta) * step;
  } else {
    double real = param->GetShape().UnitToReal(GetValue(), *param);
    real = std::min(std::max(SnapToStep(*param, real), param->GetMin()), param->GetMax());
    real += delta > 0.0f ? param->GetStep() : -param->GetStep();
    value = NormalizedForParam(*param, real);
  }
  StoreValue(value, 0);
  MarkDirty(true, -1);
}

bool IKnobControlBase::OnKeyPress(float, float, const fx::IKeyPress& key) {
  const KeyTurn turn = KeyTurnOf(key);
  if (turn.direction == 0) return false;
  const fx::IParam* param = GetParam();
  double value;
  if (param && (param->GetFlags() & fx::kParamStepped) && param->GetStep() > 0.0) {
    const double range = param->GetMax() - param->GetMin();
    double steps = turn.coarse ? std::max(1.0, std::round(range / param->GetStep() / 10.0)) : 1.0;
    if (turn.fine) steps = std::max(1.0, std::round(steps / 10.0));
    double real = param->GetShape().UnitToReal(GetValue(), *param);
    real = std::min(std::max(SnapToStep(*param, real), param->GetMin()), param->GetMax());
    value = NormalizedForParam(*param, real + turn.direction * steps * param->GetStep());
  } else {
    double step = turn.coarse ? 0.1 : 0.01;
    if (turn.fine) step *= 0.1;
    value = GetValue() + turn.direction * step;
  }
  ApplyValueInGesture(value, 0);
  // A drag under way goes on from the keyed value.
  dragValue_ = GetValue();
  return true;
}

bool IKnobControlBase::OnKeyRelease(float, float, const fx::IKeyPress& key) { return KeyTurnOf(key).direction != 0; }

}  // namespace fx::igraphics
