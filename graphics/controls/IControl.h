#pragma once
// The base of every control: a rectangle of the editor that draws itself,
// reacts to the mouse and keys, and holds one or more normalised values
// (0..1), each optionally bound to a parameter. User changes go to the
// editor delegate through MarkDirty(true, ...), which also moves every other
// control bound to the same parameter; host changes arrive through
// ApplyHostValue and are ignored while the control is captured by a press.
//
// A value index outside the value list is answered safely: reads give 0 (or
// -1 for a parameter index), writes change nothing.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/IGEditorDelegate.h"
#include "core/IKeyPress.h"
#include "core/IParam.h"
#include "core/MidiMessage.h"
#include "graphics/IArgb.h"
#include "graphics/IBlendMode.h"
#include "graphics/IBounds.h"
#include "graphics/IMouseMod.h"
#include "graphics/IPopupMenu.h"
#include "graphics/ITextStyle.h"

namespace fx::igraphics {

class IGraphics;

struct IGesture {
  std::int32_t kind = 0;
  float x = 0.0f, y = 0.0f, scale = 1.0f, velocity = 0.0f, angle = 0.0f;
};

class IControl {
 public:
  using ActionFunction = std::function<void(IControl& control)>;
  using GestureFunction = std::function<void(IControl& control, const IGesture& gesture)>;

  struct Value {
    std::int32_t paramIdx = -1;
    double value = 0.0;
  };

  IControl(const IBounds& bounds, std::int32_t paramIdx = -1, ActionFunction action = {});
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // Virtual operations, in table order.
  virtual ~IControl();
  virtual void OnMousePress(float x, float y, const IMouseMod& mod);
  virtual void OnMouseRelease(float x, float y, const IMouseMod& mod);
  virtual void OnMouseDragged(float x, float y, float dx, float dy, const IMouseMod& mod);
  virtual void OnMouseDoubleClick(float x, float y, const IMouseMod& mod);
  virtual void OnMouseWheelTurn(float x, float y, const IMouseMod& mod, float delta);
  virtual bool OnKeyPress(float x, float y, const fx::IKeyPress& key);
  virtual bool OnKeyRelease(float x, float y, const fx::IKeyPress& key);
  virtual void OnMouseHover(float x, float y, const IMouseMod& mod);
  virtual void OnMouseLeave();
  virtual void OnMouseOut() {}
  virtual void OnDropped(const char* /*path*/) {}
  virtual void OnScaleChanged() {}
  virtual void OnBoundsChanged() {}
  virtual void OnSetUp() {}
  virtual void OnAdded() {}
  virtual void OnDelegateMessage(std::int32_t messageTag, std::int32_t dataSize, const void* data);
  virtual void OnMidiMessage(const fx::MidiMessage& message);
  virtual bool OnGestureEvent(const IGesture& gesture);
  virtual void FillContextMenu(IPopupMenu& menu);
  virtual void OnMenuChoice(IPopupMenu* menu, std::int32_t valueIndex);
  virtual void OnTextEntered(const char* text, std::int32_t valueIndex);
  virtual void OnContextChoice(std::int32_t itemIndex);
  virtual void Paint(IGraphics& graphics) = 0;
  virtual void PaintHighlight(IGraphics& graphics);
  virtual void BindParameter(std::int32_t paramIdx, std::int32_t valueIndex = 0);
  virtual std::int32_t ValueIndexAt(float x, float y) const;
  virtual void ApplyHostValue(double value, std::int32_t valueIndex = 0);
  virtual void ApplyUserValue(double value, std::int32_t valueIndex = 0);
  virtual void ResetToDefault(std::int32_t valueIndex = -1);
  virtual void StoreValue(double value, std::int32_t valueIndex = 0);
  virtual void SetTextStyle(const ITextStyle& style);
  virtual void MoveTo(float x, float y);
  virtual void SetExtent(float w, float h);
  virtual void SetHidden(bool hidden);
  virtual void SetDisabledState(bool disabled);
  virtual bool ContainsPoint(float x, float y) const;
  virtual void MarkDirty(bool triggerAction = true, std::int32_t valueIndex = -1);
  virtual void MarkClean() { dirty_ = false; }
  // True only after MarkDirty or while animating: the context looks at it
  // only once one of those was noted (NoteRedraw).
  virtual bool NeedsRedraw() const;
  virtual void OnRedrawChecked() {}
  virtual void ValueFromPoint(float x, float y, bool horizontal, const IBounds& area, std::int32_t valueIndex,
                              double low = 0.0, double high = 1.0);
  virtual void FinishAnimation();

  // Values.
  std::int32_t NValues() const { return static_cast<std::int32_t>(values_.size()); }
  // 0 outside the list.
  double GetValue(std::int32_t valueIndex = 0) const;
  // -1 outside the list or when unbound.
  std::int32_t GetParamIdx(std::int32_t valueIndex = 0) const;
  // The bound parameter, or null.
  const fx::IParam* GetParam(std::int32_t valueIndex = 0) const;
  void SetNValues(std::int32_t n);

  // Geometry and state.
  const IBounds& GetBounds() const { return bounds_; }
  const IBounds& GetTargetBounds() const { return targetBounds_; }
  void SetBounds(const IBounds& bounds) { bounds_ = bounds; }
  void SetTargetBounds(const IBounds& bounds) { targetBounds_ = bounds; }
  void SetTargetAndDrawBounds(const IBounds& bounds) {
    bounds_ = bounds;
    targetBounds_ = bounds;
    mouseIsOver_ = false;
    OnBoundsChanged();
  }
  const std::string& GetGroup() const { return group_; }
  void SetGroup(const char* group) { group_ = group ? group : ""; }
  const ITextStyle& GetTextStyle() const { return style_; }
  const IBlendMode& GetBlend() const { return blend_; }
  void SetBlend(const IBlendMode& blend) { blend_ = blend; }
  std::int32_t GetTextEntryLength() const { return textEntryLength_; }
  void SetTextEntryLength(std::int32_t length) { textEntryLength_ = length; }
  bool IsDirty() const { return dirty_; }
  bool IsHidden() const { return hidden_; }
  bool IsDisabled() const { return disabled_; }
  void DisablePrompt(bool disable) { promptDisabled_ = disable; }
  bool PromptDisabled() const { return promptDisabled_; }
  bool GetDoubleClickAsSingleClick() const { return doubleClickAsSingleClick_; }
  void SetDoubleClickAsSingleClick(bool on) { doubleClickAsSingleClick_ = on; }
  bool GetMouseOverWhenDisabled() const { return mouseOverWhenDisabled_; }
  void SetMouseOverWhenDisabled(bool on) { mouseOverWhenDisabled_ = on; }
  bool GetMouseEventsWhenDisabled() const { return mouseEventsWhenDisabled_; }
  void SetMouseEventsWhenDisabled(bool on) { mouseEventsWhenDisabled_ = on; }
  bool GetIgnoreMouse() const { return ignoreMouse_; }
  void SetIgnoreMouse(bool ignore) { ignoreMouse_ = ignore; }
  bool GetWantsMidi() const { return wantsMidi_; }
  void SetWantsMidi(bool wants) { wantsMidi_ = wants; }
  bool GetWantsMultiTouch() const { return acceptsSeveralPointers_; }
  void SetWantsMultiTouch(bool wants) { acceptsSeveralPointers_ = wants; }
  bool GetShowUnitInPrompt() const { return showUnitInPrompt_; }
  void SetShowUnitInPrompt(bool show) { showUnitInPrompt_ = show; }
  bool GetMouseIsOver() const { return mouseIsOver_; }
  const std::string& GetTooltip() const { return tooltip_; }
  void SetTooltip(const char* text) { tooltip_ = text ? text : ""; }
  void SetHighlighted(bool on) { highlighted_ = on; }

  // Wiring, done by the graphics context when the control is added.
  void SetDelegate(fx::IGEditorDelegate* delegate) { delegate_ = delegate; }
  fx::IGEditorDelegate* GetDelegate() const { return delegate_; }
  // A control joining a context starts dirty: the context hears of it.
  void SetGraphics(IGraphics* graphics) {
    graphics_ = graphics;
    NoteRedraw();
  }
  IGraphics* GetUI() const { return graphics_; }

  // Functions.
  void SetActionFunction(ActionFunction f) { actionFunction_ = std::move(f); }
  void SetAnimationEndFunction(ActionFunction f) { animationEndFunction_ = std::move(f); }
  void SetAnimation(ActionFunction f) {
    animationFunction_ = std::move(f);
    NoteRedraw();
  }
  void SetAnimation(ActionFunction f, double durationMs) {
    animationFunction_ = std::move(f);
    NoteRedraw();
    BeginAnimation(durationMs);
  }
  const ActionFunction& GetAnimationFunction() const { return animationFunction_; }
  void BeginAnimation(double durationMs);
  // Elapsed share of the running animation (0 with no duration).
  double GetAnimationProgress() const;
  void AttachGestureFunction(std::int32_t kind, GestureFunction f) { gestures_[kind] = std::move(f); }
  std::int32_t GetLastGesture() const { return lastGesture_; }

 protected:
  // What a key asks of the control under the pointer: direction +1 (Up,
  // Page Up), -1 (Down, Page Down) or 0 (any other key, or alt held); the
  // page keys turn coarsely, shift or control finely.
  struct KeyTurn {
    std::int32_t direction = 0;
    bool coarse = false;
    bool fine = false;
  };
  static KeyTurn KeyTurnOf(const fx::IKeyPress& key);
  // A user change outside a press (a key): stored, sent and passed to the
  // other controls on the parameter like a drag step, inside a gesture of
  // its own unless a press already holds one open on the parameter. False
  // when the value stays as it is.
  bool ApplyValueInGesture(double value, std::int32_t valueIndex = 0);
  // The parameter's normalised value of a real one, after step snapping
  // and range clamping; 0..1 clamped.
  static double NormalizedForParam(const fx::IParam& param, double real);
  static double SnapToStep(const fx::IParam& param, double real);
  // The monotonic clock in milliseconds.
  static double NowMs();
  bool ValidIndex(std::int32_t valueIndex) const { return valueIndex >= 0 && valueIndex < NValues(); }
  // Tells the context a redraw may be needed (IGraphics::CollectDirtyAreas
  // walks the controls only then): every way to dirty_ = true or an
  // animation goes through here.
  void NoteRedraw();

  IBounds bounds_;
  IBounds targetBounds_;
  std::string group_;
  ITextStyle style_;
  IBlendMode blend_;
  std::int32_t textEntryLength_ = 7;
  bool dirty_ = true;
  bool hidden_ = false;
  bool disabled_ = false;
  bool promptDisabled_ = true;
  bool doubleClickAsSingleClick_ = false;
  bool mouseOverWhenDisabled_ = false;
  bool mouseEventsWhenDisabled_ = false;
  bool ignoreMouse_ = false;
  bool wantsMidi_ = false;
  bool acceptsSeveralPointers_ = false;
  bool showUnitInPrompt_ = false;
  bool mouseIsOver_ = false;
  std::string tooltip_;
  IArgb highlightColour_{255, 255, 0, 0};
  bool highlighted_ = false;
  fx::IGEditorDelegate* delegate_ = nullptr;
  IGraphics* graphics_ = nullptr;
  ActionFunction actionFunction_;
  ActionFunction animationEndFunction_;
  ActionFunction animationFunction_;
  double animationStartMs_ = 0.0;
  double animationDurationMs_ = 0.0;
  std::vector<Value> values_;
  std::map<std::int32_t, GestureFunction> gestures_;
  std::int32_t lastGesture_ = -1;
};

}  // namespace fx::igraphics
