#pragma once
// A control that steps through a fixed number of states on each press
// (two states flip between 0 and 1). Double clicks count as presses.

#include <vector>

#include "graphics/controls/IControl.h"

namespace fx::igraphics {

class ISwitchControlBase : public IControl {
 public:
  ISwitchControlBase(const IBounds& bounds, std::int32_t paramIdx = -1, ActionFunction action = {},
                     std::int32_t nStates = 2);

  void OnSetUp() override;
  void OnMousePress(float x, float y, const IMouseMod& mod) override;
  void OnMouseRelease(float x, float y, const IMouseMod& mod) override;
  // Up and Page Up go to the next state, Down and Page Down to the previous
  // one, without wrapping; each key is a gesture.
  bool OnKeyPress(float x, float y, const fx::IKeyPress& key) override;
  bool OnKeyRelease(float x, float y, const fx::IKeyPress& key) override;

  std::int32_t GetNStates() const { return nStates_; }
  bool GetStateDisabled(std::int32_t state) const;
  void SetStateDisabled(std::int32_t state, bool disabled);
  bool GetMouseIsDown() const { return mouseDown_; }

 protected:
  std::int32_t nStates_;
  std::vector<std::uint8_t> stateDisabled_;
  bool mouseDown_ = false;
};

}  // namespace fx::igraphics
