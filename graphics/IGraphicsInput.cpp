// IGraphics: input dispatch (pointer, wheel, keys, captures, gestures).

#include <cmath>

#include "core/Trace.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/ICornerResizerControl.h"
#include "graphics/controls/IControl.h"
#include "graphics/controls/ITextEntryControl.h"

namespace fx::igraphics {
namespace {

// A press the page acts on: the left or the right button, or a touch. Other
// buttons (middle, side) begin nothing, so no capture waits for a release
// that the page would never see.
bool UsesPress(const IMouseInfo& p) { return p.ms.L || p.ms.R || p.touch; }

// A key's text, terminated even when the record's bytes are all used.
struct KeyText {
  explicit KeyText(const fx::IKeyPress& key) {
    for (std::size_t i = 0; i + 1 < sizeof c; ++i) c[i] = key.utf8[i];
  }
  char c[sizeof(fx::IKeyPress::utf8)] = {};
};

}  // namespace

IControl* IGraphics::FindControlAt(float x, float y, bool capture, bool hover, std::int32_t pointerId) {
  if (const auto it = captures_.find(pointerId); it != captures_.end()) return it->second.control;
  IControl* found = nullptr;
  std::int32_t foundIdx = -1;
  if (textEntry_ && textEntry_->EditInProgress()) {
    found = textEntry_.get();
  } else if (cornerResizer_ && cornerResizer_->GetTargetBounds().Contains(x, y)) {
    found = cornerResizer_.get();
  } else if (hover && !mouseOverEnabled_) {
    return nullptr;
  } else {
    const std::int32_t last = hover ? 1 : 0;  // the background never hovers
    for (std::int32_t i = NControls() - 1; i >= last; --i) {
      IControl* c = controls_[static_cast<std::size_t>(i)].get();
      if (c->IsHidden() || c->GetIgnoreMouse()) continue;
      if (c->IsDisabled() && !(hover ? c->GetMouseOverWhenDisabled() : c->GetMouseEventsWhenDisabled())) continue;
      if (c->ContainsPoint(x, y)) {
        found = c;
        foundIdx = i;
        break;
      }
    }
  }
  // The overlays are captured like list controls: the text entry must see
  // the drags and the release of a press that selects text.
  if (capture && found) {
    bool capturedElsewhere = false;
    for (const auto& entry : captures_)
      if (entry.second.control == found && entry.first != pointerId) capturedElsewhere = true;
    if (exclusiveCapture_ && capturedElsewhere && !found->GetWantsMultiTouch())
      found = nullptr;
    else
      captures_[pointerId].control = found;
  }
  if (hover) hoverIdx_ = found ? foundIdx : -1;
  return found;
}

void IGraphics::OpenContextMenu(IControl& control, float x, float y) {
  promptMenu_.Clear();
  control.FillContextMenu(promptMenu_);
  if (promptMenu_.NItems() > 0) CreatePopupMenu(control, promptMenu_, IBounds{x, y, x, y}, -1, true);
}

void IGraphics::DispatchMouseDown(const std::vector<IMouseInfo>& pointers) {
  if (pointers.size() == 1) {
    mouseDownX_ = pointers[0].x;
    mouseDownY_ = pointers[0].y;
  }
  for (const IMouseInfo& p : pointers) {
    if (!UsesPress(p)) continue;
    // A second button pressed while this pointer holds a control: the held
    // press goes on, and only a right press may end it for a menu.
    const bool held = captures_.count(p.pointerId) != 0;
    IControl* control = FindControlAt(p.x, p.y, true, false, p.pointerId);
    if (!control) continue;
    if (p.ms.R) {
      std::int32_t valueIndex = control->ValueIndexAt(p.x, p.y);
      if (valueIndex < 0) valueIndex = 0;
      if (control->GetParamIdx(valueIndex) >= 0) {
        ReleaseCaptures();
        HideCursor(false);
        OpenContextMenu(*control, p.x, p.y);
        return;
      }
    }
    if (held) continue;
    captures_[p.pointerId].gestureParams = BeginGestures(*control);
    control->OnMousePress(p.x, p.y, p.ms);
  }
}

void IGraphics::DispatchMouseUp(const std::vector<IMouseInfo>& pointers) {
  // The release's buttons are not looked at: a button-up no longer has its
  // button down, and every captured press must end.
  for (const IMouseInfo& p : pointers) EndCapture(p.pointerId, &p);
  if (resizing_) EndResizeGesture();
  if (pointers.size() == 1 && !pointers[0].touch) DispatchMouseHover(pointers[0].x, pointers[0].y, pointers[0].ms);
}

void IGraphics::DispatchMouseDrag(const std::vector<IMouseInfo>& pointers) {
  if (resizing_ && pointers.size() == 1) {
    OnDragResize(pointers[0].x, pointers[0].y);
    return;
  }
  if (captures_.empty()) return;
  const bool typing = controlBeingEdited_ != nullptr;
  if (typing && !textEntry_) return;  // the platform's own entry has the mouse
  for (const IMouseInfo& p : pointers) {
    const auto it = captures_.find(p.pointerId);
    if (it == captures_.end()) continue;
    IControl* control = it->second.control;
    if (typing && control != textEntry_.get()) continue;
    if (p.dx == 0.0f && p.dy == 0.0f) continue;
    control->OnMouseDragged(p.x, p.y, p.dx, p.dy, p.ms);
  }
}

bool IGraphics::DispatchMouseHover(float x, float y, const IMouseMod& mod) {
  cursorX_ = x;
  cursorY_ = y;
  IControl* control = FindControlAt(x, y, false, true);
  if (control != hoverControl_) {
    IControl* old = hoverControl_;
    hoverControl_ = control;
    if (old) old->OnMouseLeave();
  }
  if (control) control->OnMouseHover(x, y, mod);
  return control != nullptr;
}

void IGraphics::DispatchMouseLeave() {
  IControl* old = hoverControl_;
  hoverControl_ = nullptr;
  hoverIdx_ = -1;
  if (old) old->OnMouseLeave();
}

void IGraphics::DispatchMouseDoubleClick(const IMouseInfo& pointer) {
  if (!UsesPress(pointer)) return;
  IControl* control = FindControlAt(pointer.x, pointer.y, false, false, pointer.pointerId);
  if (!control) return;
  if (control->GetDoubleClickAsSingleClick()) {
    DispatchMouseDown({pointer});
    return;
  }
  // A reset is a user edit: the host hears it inside a gesture.
  const std::vector<std::int32_t> gesture = BeginGestures(*control);
  control->OnMouseDoubleClick(pointer.x, pointer.y, pointer.ms);
  EndGestures(gesture);
  ReleaseCaptures();
  HideCursor(false);
}

void IGraphics::DispatchMouseWheel(const IMouseInfo& pointer, std::int32_t delta) {
  IControl* control = FindControlAt(pointer.x, pointer.y, false, false, pointer.pointerId);
  if (!control) return;
  const std::int32_t notches = delta / 120;
  // A partial notch turns nothing, so nothing is sent to the host either.
  if (notches == 0) return;
  // Each turn is a gesture of its own, unless a press already holds it.
  const std::vector<std::int32_t> gesture = BeginGestures(*control);
  control->OnMouseWheelTurn(pointer.x, pointer.y, pointer.ms, static_cast<float>(notches));
  EndGestures(gesture);
}

std::vector<std::int32_t> IGraphics::BeginGestures(const IControl& control) {
  std::vector<std::int32_t> params;
  for (std::int32_t j = 0; j < control.NValues(); ++j) {
    const std::int32_t param = control.GetParamIdx(j);
    if (param < 0 || GestureOpen(param)) continue;
    bool listed = false;
    for (std::int32_t p : params) listed = listed || p == param;
    if (!listed) params.push_back(param);
  }
  for (std::int32_t param : params) delegate_.BeginParamGestureFromEditor(param);
  return params;
}

void IGraphics::EndGestures(const std::vector<std::int32_t>& params) {
  for (std::int32_t param : params) delegate_.EndParamGestureFromEditor(param);
}

bool IGraphics::GestureOpen(std::int32_t paramIdx) const {
  for (const auto& entry : captures_)
    for (std::int32_t p : entry.second.gestureParams)
      if (p == paramIdx) return true;
  for (std::int32_t p : menuGestureParams_)
    if (p == paramIdx) return true;
  return false;
}

void IGraphics::EndCapture(std::int32_t pointerId, const IMouseInfo* release) {
  const auto it = captures_.find(pointerId);
  if (it == captures_.end()) return;
  // Taken out first: the control's release may add or remove controls.
  const Capture capture = std::move(it->second);
  captures_.erase(it);
  if (release) capture.control->OnMouseRelease(release->x, release->y, release->ms);
  EndGestures(capture.gestureParams);
}

void IGraphics::ReleaseCaptures() {
  while (!captures_.empty()) EndCapture(captures_.begin()->first, nullptr);
}

void IGraphics::ReleaseInput() {
  ReleaseCaptures();
  HideCursor(false);
}

bool IGraphics::IsCaptured(const IControl* control) const {
  if (!control) return false;
  for (const auto& entry : captures_)
    if (entry.second.control == control) return true;
  return false;
}

void IGraphics::HideCursor(bool hide, bool lock) {
  if (hide == cursorHidden_) return;
  cursorHidden_ = hide;
  HideMouseCursor(hide, lock);
}

std::int32_t IGraphics::SetMouseCursor(std::int32_t kind) {
  const std::int32_t previous = cursorKind_;
  cursorKind_ = kind;
  SetPlatformCursor(kind);
  return previous;
}

bool IGraphics::OnKeyDown(float x, float y, const fx::IKeyPress& key) {
  const KeyText text(key);
  FX_TRACE("IGraphics::OnKeyDown", "x:%0.2f, y:%0.2f, key:%s", static_cast<double>(x), static_cast<double>(y), text.c);
  IControl* control = FindControlAt(x, y, false, false);
  if (control && GetControlIdx(control) != 0 && control->OnKeyPress(x, y, key)) return true;
  return keyFunction_ ? keyFunction_(key, false) : false;
}

bool IGraphics::OnKeyUp(float x, float y, const fx::IKeyPress& key) {
  const KeyText text(key);
  FX_TRACE("IGraphics::OnKeyUp", "x:%0.2f, y:%0.2f, key:%s", static_cast<double>(x), static_cast<double>(y), text.c);
  IControl* control = FindControlAt(x, y, false, false);
  if (control && GetControlIdx(control) != 0 && control->OnKeyRelease(x, y, key)) return true;
  return keyFunction_ ? keyFunction_(key, true) : false;
}

}  // namespace fx::igraphics
