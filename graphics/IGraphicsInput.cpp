// IGraphics: input dispatch (pointer, wheel, keys, captures, gestures).

#include <cmath>

#include "core/Trace.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/ICornerResizerControl.h"
#include "graphics/controls/IControl.h"
#include "graphics/controls/ITextEntryControl.h"

namespace fx::igraphics {
namespace {

void BeginGestures(fx::IGEditorDelegate& delegate, const IControl& control) {
  for (std::int32_t j = 0; j < control.NValues(); ++j)
    if (control.GetParamIdx(j) >= 0) delegate.BeginParamGestureFromEditor(control.GetParamIdx(j));
}

void EndGestures(fx::IGEditorDelegate& delegate, const IControl& control) {
  for (std::int32_t j = 0; j < control.NValues(); ++j)
    if (control.GetParamIdx(j) >= 0) delegate.EndParamGestureFromEditor(control.GetParamIdx(j));
}

// A key's text, terminated even when the record's bytes are all used.
struct KeyText {
  explicit KeyText(const fx::IKeyPress& key) {
    for (std::size_t i = 0; i + 1 < sizeof c; ++i) c[i] = key.utf8[i];
  }
  char c[sizeof(fx::IKeyPress::utf8)] = {};
};

}  // namespace

IControl* IGraphics::FindControlAt(float x, float y, bool capture, bool hover, std::int32_t pointerId) {
  if (const auto it = captures_.find(pointerId); it != captures_.end()) return it->second;
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
      if (entry.second == found && entry.first != pointerId) capturedElsewhere = true;
    if (exclusiveCapture_ && capturedElsewhere && !found->GetWantsMultiTouch())
      found = nullptr;
    else
      captures_[pointerId] = found;
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
    BeginGestures(delegate_, *control);
    control->OnMousePress(p.x, p.y, p.ms);
  }
}

void IGraphics::DispatchMouseUp(const std::vector<IMouseInfo>& pointers) {
  if (!captures_.empty()) {
    for (const IMouseInfo& p : pointers) {
      const auto it = captures_.find(p.pointerId);
      if (it == captures_.end()) continue;
      IControl* control = it->second;
      captures_.erase(it);
      control->OnMouseRelease(p.x, p.y, p.ms);
      EndGestures(delegate_, *control);
    }
  }
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
    IControl* control = it->second;
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
  IControl* control = FindControlAt(pointer.x, pointer.y, true, false, pointer.pointerId);
  if (!control) return;
  if (control->GetDoubleClickAsSingleClick()) {
    DispatchMouseDown({pointer});
    return;
  }
  control->OnMouseDoubleClick(pointer.x, pointer.y, pointer.ms);
  ReleaseCaptures();
  HideCursor(false);
}

void IGraphics::DispatchMouseWheel(const IMouseInfo& pointer, std::int32_t delta) {
  IControl* control = FindControlAt(pointer.x, pointer.y, false, false, pointer.pointerId);
  if (!control) return;
  const std::int32_t notches = delta / 120;
  // A partial notch turns nothing, so nothing is sent to the host either.
  if (notches == 0) return;
  control->OnMouseWheelTurn(pointer.x, pointer.y, pointer.ms, static_cast<float>(notches));
}

void IGraphics::ReleaseCaptures() { captures_.clear(); }

bool IGraphics::IsCaptured(const IControl* control) const {
  if (!control) return false;
  for (const auto& entry : captures_)
    if (entry.second == control) return true;
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
