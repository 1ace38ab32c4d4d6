#include "graphics/controls/ISwitchControlBase.h"

#include <algorithm>
#include <cmath>

namespace fx::igraphics {

ISwitchControlBase::ISwitchControlBase(const IBounds& bounds, std::int32_t paramIdx, ActionFunction action,
                                       std::int32_t nStates)
    : IControl(bounds, paramIdx, std::move(action)), nStates_(nStates < 1 ? 1 : nStates) {
  stateDisabled_.assign(static_cast<std::size_t>(nStates_), 0);
  doubleClickAsSingleClick_ = true;
}

void ISwitchControlBase::OnSetUp() {
  const fx::IParam* param = GetParam();
  if (!param) return;
  const double span = param->GetMax() - param->GetMin();
  // A range too wide for a state count keeps the constructor's count.
  if (!std::isfinite(span) || span < 0.0 || span > 1.0e6) return;
  nStates_ = static_cast<std::int32_t>(span) + 1;
  stateDisabled_.assign(static_cast<std::size_t>(nStates_), 0);
}

void ISwitchControlBase::OnMousePress(float, float, const IMouseMod&) {
  if (nStates_ == 2) {
    StoreValue(GetValue() == 0.0 ? 1.0 : 0.0, 0);
  } else if (nStates_ > 2) {
    double value = GetValue() + 1.0 / static_cast<double>(nStates_ - 1);
    if (value > 1.0) value = 0.0;
    StoreValue(value, 0);
  }
  mouseDown_ = true;
  MarkDirty(true, -1);
}

void ISwitchControlBase::OnMouseRelease(float, float, const IMouseMod&) {
  mouseDown_ = false;
  MarkDirty(false, -1);
}

bool ISwitchControlBase::GetStateDisabled(std::int32_t state) const {
  if (state < 0 || state >= static_cast<std::int32_t>(stateDisabled_.size())) return false;
  return stateDisabled_[static_cast<std::size_t>(state)] != 0;
}

void ISwitchControlBase::SetStateDisabled(std::int32_t state, bool disabled) {
  if (state < 0 || state >= static_cast<std::int32_t>(stateDisabled_.size())) return;
  stateDisabled_[static_cast<std::size_t>(state)] = disabled ? 1 : 0;
  MarkDirty(false, -1);
}

bool ISwitchControlBase::OnKeyPress(float, float, const fx::IKeyPress& key) {
  const KeyTurn turn = KeyTurnOf(key);
  if (turn.direction == 0 || nStates_ < 2) return false;
  const double step = 1.0 / static_cast<double>(nStates_ - 1);
  const double state = std::round(GetValue() / step) + turn.direction;
  ApplyValueInGesture(std::clamp(state * step, 0.0, 1.0), 0);
  return true;
}

bool ISwitchControlBase::OnKeyRelease(float, float, const fx::IKeyPress& key) {
  return nStates_ >= 2 && KeyTurnOf(key).direction != 0;
}

}  // namespace fx::igraphics
