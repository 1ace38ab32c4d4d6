#include "graphics/controls/IControl.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/KeyCodes.h"
#include "graphics/IGraphics.h"

namespace fx::igraphics {
namespace {

// Values are normalised: NaN reads as 0, everything else is clamped.
double Clamp01(double v) {
  if (std::isnan(v)) return 0.0;
  return std::clamp(v, 0.0, 1.0);
}

}  // namespace

IControl::IControl(const IBounds& bounds, std::int32_t paramIdx, ActionFunction action)
    : bounds_(bounds), targetBounds_(bounds), actionFunction_(std::move(action)) {
  values_.push_back({paramIdx, 0.0});
}

IControl::~IControl() = default;

void IControl::OnMousePress(float x, float y, const IMouseMod& mod) {
  if (!mod.R) return;
  const std::int32_t valueIndex = ValueIndexAt(x, y);
  if (valueIndex < 0 || GetParamIdx(valueIndex) < 0 || promptDisabled_) return;
  const fx::IParam* param = GetParam(valueIndex);
  IBounds area = bounds_;
  if (param && param->GetDisplayTextCount() == 0) {
    const float cx = bounds_.MW(), cy = bounds_.MH();
    area = {cx - 20.0f, cy - 8.0f, cx + 20.0f, cy + 8.0f};
  }
  if (graphics_) graphics_->PromptForValue(*this, area, valueIndex);
  MarkDirty(false, -1);
}

void IControl::OnMouseRelease(float, float, const IMouseMod&) {}
void IControl::OnMouseDragged(float, float, float, float, const IMouseMod&) {}

void IControl::OnMouseDoubleClick(float x, float y, const IMouseMod&) { ResetToDefault(ValueIndexAt(x, y)); }

void IControl::OnMouseWheelTurn(float, float, const IMouseMod&, float) {}
bool IControl::OnKeyPress(float, float, const fx::IKeyPress&) { return false; }
bool IControl::OnKeyRelease(float, float, const fx::IKeyPress&) { return false; }

void IControl::OnMouseHover(float, float, const IMouseMod&) {
  const bool was = mouseIsOver_;
  mouseIsOver_ = true;
  if (!was) MarkDirty(false, -1);
}

void IControl::OnMouseLeave() {
  const bool was = mouseIsOver_;
  mouseIsOver_ = false;
  if (was) MarkDirty(false, -1);
}

void IControl::OnDelegateMessage(std::int32_t, std::int32_t, const void*) {}
void IControl::OnMidiMessage(const fx::MidiMessage&) {}

bool IControl::OnGestureEvent(const IGesture& gesture) {
  const auto it = gestures_.find(gesture.kind);
  if (it == gestures_.end() || !it->second) return false;
  lastGesture_ = gesture.kind;
  it->second(*this, gesture);
  return true;
}

void IControl::FillContextMenu(IPopupMenu&) {}

void IControl::OnMenuChoice(IPopupMenu* menu, std::int32_t valueIndex) {
  if (!menu || valueIndex < 0 || promptDisabled_) return;
  const fx::IParam* param = GetParam(valueIndex);
  if (!param) return;
  const std::int32_t chosen = menu->GetChosenItemIdx();
  if (chosen < 0) return;
  ApplyUserValue(NormalizedForParam(*param, static_cast<double>(chosen)), valueIndex);
}

void IControl::OnTextEntered(const char*, std::int32_t) {}
void IControl::OnContextChoice(std::int32_t) {}

void IControl::PaintHighlight(IGraphics& graphics) {
  if (highlighted_) graphics.FillCircleShape(highlightColour_, bounds_.right - 5.0f, bounds_.top + 5.0f, 2.0f, &blend_);
}

void IControl::BindParameter(std::int32_t paramIdx, std::int32_t valueIndex) {
  if (!ValidIndex(valueIndex)) return;
  values_[static_cast<std::size_t>(valueIndex)].paramIdx = paramIdx;
  MarkDirty(false, -1);
}

std::int32_t IControl::ValueIndexAt(float, float) const { return NValues() >= 2 ? -1 : 0; }

void IControl::ApplyHostValue(double value, std::int32_t valueIndex) {
  if (!ValidIndex(valueIndex) || !std::isfinite(value)) return;
  if (graphics_ && graphics_->IsCaptured(this)) return;  // the user holds it
  if (value == GetValue(valueIndex)) return;
  StoreValue(value, valueIndex);
  MarkDirty(false, -1);
}

void IControl::ApplyUserValue(double value, std::int32_t valueIndex) {
  if (!ValidIndex(valueIndex) || !std::isfinite(value)) return;
  if (value == GetValue(valueIndex)) return;
  StoreValue(value, valueIndex);
  MarkDirty(true, valueIndex);
}

void IControl::ResetToDefault(std::int32_t valueIndex) {
  if (NValues() == 1) valueIndex = 0;
  if (valueIndex != -1 && !ValidIndex(valueIndex)) return;
  for (std::int32_t j = 0; j < NValues(); ++j) {
    if (valueIndex != -1 && j != valueIndex) continue;
    const fx::IParam* param = GetParam(j);
    if (!param) continue;
    StoreValue(NormalizedForParam(*param, param->GetDefault()), j);
  }
  MarkDirty(true, valueIndex);
}

void IControl::StoreValue(double value, std::int32_t valueIndex) {
  if (!ValidIndex(valueIndex)) return;
  values_[static_cast<std::size_t>(valueIndex)].value = value;
}

void IControl::SetTextStyle(const ITextStyle& style) { style_ = style; }

void IControl::MoveTo(float x, float y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  mouseIsOver_ = false;
  const float nx = std::max(x, 0.0f), ny = std::max(y, 0.0f);
  const float ox = nx - bounds_.left, oy = ny - bounds_.top;
  bounds_ = {nx, ny, nx + bounds_.W(), ny + bounds_.H()};
  OnBoundsChanged();
  targetBounds_ = targetBounds_.GetTranslated(ox, oy);
}

void IControl::SetExtent(float w, float h) {
  if (!std::isfinite(w) || !std::isfinite(h)) return;
  mouseIsOver_ = false;
  w = std::max(w, 0.0f);
  h = std::max(h, 0.0f);
  bounds_.right = bounds_.left + w;
  bounds_.bottom = bounds_.top + h;
  targetBounds_.right = targetBounds_.left + w;
  targetBounds_.bottom = targetBounds_.top + h;
  OnBoundsChanged();
}

void IControl::SetHidden(bool hidden) {
  hidden_ = hidden;
  MarkDirty(false, -1);
}

void IControl::SetDisabledState(bool disabled) {
  disabled_ = disabled;
  blend_.weight = disabled ? 0.25f : 1.0f;
  MarkDirty(false, -1);
}

bool IControl::ContainsPoint(float x, float y) const {
  if (targetBounds_.AllZero()) return false;
  return targetBounds_.Contains(x, y);
}

void IControl::MarkDirty(bool triggerAction, std::int32_t valueIndex) {
  if (NValues() == 1) valueIndex = 0;
  if (valueIndex != -1 && !ValidIndex(valueIndex)) return;  // no such value: nothing changes
  for (std::int32_t j = 0; j < NValues(); ++j)
    if (valueIndex == -1 || j == valueIndex) StoreValue(Clamp01(GetValue(j)), j);
  dirty_ = true;
  NoteRedraw();
  if (!triggerAction) return;
  if (graphics_) graphics_->NoteUserValueChange(*this);
  for (std::int32_t j = 0; j < NValues(); ++j) {
    if (valueIndex != -1 && j != valueIndex) continue;
    const std::int32_t paramIdx = GetParamIdx(j);
    if (paramIdx < 0) continue;
    const double value = GetValue(j);
    if (delegate_) delegate_->SetParamFromEditor(paramIdx, value);
    if (!graphics_) continue;
    // Every other control on this parameter follows, without a second send.
    for (std::int32_t c = 0; c < graphics_->NControls(); ++c) {
      IControl* other = graphics_->GetControl(c);
      if (!other || other == this) continue;
      for (std::int32_t k = 0; k < other->NValues(); ++k) {
        if (other->GetParamIdx(k) == paramIdx) {
          other->ApplyHostValue(value, k);
          break;
        }
      }
    }
  }
  if (actionFunction_) actionFunction_(*this);
}

void IControl::NoteRedraw() {
  if (graphics_) graphics_->NoteRedrawNeeded();
}

bool IControl::NeedsRedraw() const { return animationFunction_ ? true : dirty_; }

void IControl::ValueFromPoint(float x, float y, bool horizontal, const IBounds& area, std::int32_t valueIndex,
                              double low, double high) {
  if (!std::isfinite(x) || !std::isfinite(y) || !area.IsFinite()) return;
  if (valueIndex >= NValues()) return;
  const float cx = std::clamp(x, std::min(area.left, area.right), std::max(area.left, area.right));
  const float cy = std::clamp(y, std::min(area.top, area.bottom), std::max(area.top, area.bottom));
  double value;
  if (horizontal) {
    const double w = static_cast<double>(area.right) - static_cast<double>(area.left);
    value = w != 0.0 ? (static_cast<double>(cx) - static_cast<double>(area.left)) / w : 0.0;
  } else {
    const double h = static_cast<double>(area.bottom) - static_cast<double>(area.top);
    value = h != 0.0 ? 1.0 - (static_cast<double>(cy) - static_cast<double>(area.top)) / h : 0.0;
  }
  value = std::round(value / 0.001) * 0.001;
  if (low <= high) value = std::clamp(value, low, high);
  for (std::int32_t j = 0; j < NValues(); ++j)
    if (valueIndex < 0 || j == valueIndex) StoreValue(value, j);
  MarkDirty(true, valueIndex);
}

void IControl::FinishAnimation() {
  animationFunction_ = nullptr;
  MarkDirty(false, -1);
  if (animationEndFunction_) animationEndFunction_(*this);
}

double IControl::GetValue(std::int32_t valueIndex) const {
  if (!ValidIndex(valueIndex)) return 0.0;
  return values_[static_cast<std::size_t>(valueIndex)].value;
}

std::int32_t IControl::GetParamIdx(std::int32_t valueIndex) const {
  if (!ValidIndex(valueIndex)) return -1;
  return values_[static_cast<std::size_t>(valueIndex)].paramIdx;
}

const fx::IParam* IControl::GetParam(std::int32_t valueIndex) const {
  const std::int32_t paramIdx = GetParamIdx(valueIndex);
  if (paramIdx < 0 || !delegate_) return nullptr;
  return delegate_->GetParam(paramIdx);
}

void IControl::SetNValues(std::int32_t n) {
  if (n < 1) n = 1;
  values_.resize(static_cast<std::size_t>(n), Value{});
}

void IControl::BeginAnimation(double durationMs) {
  animationStartMs_ = NowMs();
  animationDurationMs_ = std::isfinite(durationMs) && durationMs > 0.0 ? durationMs : 0.0;
}

double IControl::GetAnimationProgress() const {
  if (animationDurationMs_ <= 0.0) return 0.0;
  return (NowMs() - animationStartMs_) / animationDurationMs_;
}

IControl::KeyTurn IControl::KeyTurnOf(const fx::IKeyPress& key) {
  KeyTurn turn;
  if (key.alt) return turn;  // the host's menu shortcuts
  switch (key.vk) {
    case fx::keys::kUp: turn.direction = 1; break;
    case fx::keys::kDown: turn.direction = -1; break;
    case fx::keys::kPageUp: turn.direction = 1, turn.coarse = true; break;
    case fx::keys::kPageDown: turn.direction = -1, turn.coarse = true; break;
    default: return turn;
  }
  turn.fine = key.shift || key.ctrl;
  return turn;
}

bool IControl::ApplyValueInGesture(double value, std::int32_t valueIndex) {
  if (!ValidIndex(valueIndex) || !std::isfinite(value)) return false;
  value = Clamp01(value);
  if (value == GetValue(valueIndex)) return false;
  const std::int32_t paramIdx = GetParamIdx(valueIndex);
  const bool ownGesture = paramIdx >= 0 && delegate_ && !(graphics_ && graphics_->IsParamHeld(paramIdx));
  if (ownGesture) delegate_->BeginParamGestureFromEditor(paramIdx);
  StoreValue(value, valueIndex);
  MarkDirty(true, valueIndex);
  if (ownGesture) delegate_->EndParamGestureFromEditor(paramIdx);
  return true;
}

double IControl::SnapToStep(const fx::IParam& param, double real) {
  if ((param.GetFlags() & fx::kParamStepped) && param.GetStep() > 0.0) {
    // std::round rounds half away from zero.
    const double snapped = std::round(real / param.GetStep()) * param.GetStep();
    if (std::isfinite(snapped)) return snapped;
  }
  return real;
}

double IControl::NormalizedForParam(const fx::IParam& param, double real) {
  real = SnapToStep(param, real);
  real = std::min(std::max(real, param.GetMin()), param.GetMax());
  return Clamp01(param.GetShape().RealToUnit(real, param));
}

double IControl::NowMs() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration<double, std::milli>(now).count();
}

}  // namespace fx::igraphics
