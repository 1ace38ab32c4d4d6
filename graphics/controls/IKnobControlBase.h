#pragma once
// A control turned by dragging: vertically (up increases) or horizontally,
// over its drag area, slowed by the gearing (ten times more with shift or
// control held), and by the wheel in small steps. Stepped parameters move
// in whole steps while the drag keeps its unsnapped position. The arrow and
// page keys turn it while the pointer is over it.

#include "graphics/controls/IControl.h"

namespace fx::igraphics {

class IKnobControlBase : public IControl {
 public:
  enum Direction : std::int32_t { kVertical = 0, kHorizontal = 1 };
  static constexpr double kDefaultGearing = 4.0;

  IKnobControlBase(const IBounds& bounds, std::int32_t paramIdx = -1, ActionFunction action = {},
                   std::int32_t direction = kVertical, double gearing = kDefaultGearing);

  void OnMousePress(float x, float y, const IMouseMod& mod) override;
  void OnMouseRelease(float x, float y, const IMouseMod& mod) override;
  void OnMouseDragged(float x, float y, float dx, float dy, const IMouseMod& mod) override;
  void OnMouseWheelTurn(float x, float y, const IMouseMod& mod, float delta) override;
  // Up and Down turn by a hundredth, Page Up and Page Down by a tenth, a
  // tenth of that with shift or control; a stepped parameter moves by whole
  // steps: one, or a tenth of its range for the page keys. Each key is a
  // gesture.
  bool OnKeyPress(float x, float y, const fx::IKeyPress& key) override;
  bool OnKeyRelease(float x, float y, const fx::IKeyPress& key) override;
  virtual IBounds DragArea() const { return targetBounds_; }

  double GetGearing() const { return gearing_; }
  void SetGearing(double gearing) { gearing_ = gearing; }
  std::int32_t GetDirection() const { return direction_; }
  bool GetMouseIsDown() const { return mouseDown_; }
  void SetHideCursorOnDrag(bool hide) { hideCursorOnDrag_ = hide; }

 protected:
  bool hideCursorOnDrag_ = true;
  std::int32_t direction_;
  double gearing_;
  bool mouseDown_ = false;
  double dragValue_ = 0.0;
};

}  // namespace fx::igraphics
