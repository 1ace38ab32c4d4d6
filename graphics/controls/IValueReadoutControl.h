#pragma once
// A small drawn readout that tells the user what they are turning: the
// parameter's name and its display text with unit ("Input Gain  32.00 %"),
// in a box near the control, inside the page and clear of the control.
//
// The graphics context owns at most one (IGraphics::SetValueReadout), draws
// it over everything else and never hit-tests it. Once per frame, before
// the dirty controls are collected, it calls Follow():
//   - the control held by the mouse press, else the control under the
//     pointer, is followed when it has a parameter: the readout shows it and
//     follows its value;
//   - a user change of any control (IGraphics::NoteUserValueChange: drags,
//     wheel turns, resets, keys, typed values) shows that control too, for
//     the linger time, even where no pointer rests on it;
//   - with nothing to follow, the readout stays for the linger time, then
//     hides.
// Host values reach controls through ApplyHostValue and are no user change,
// so automation never pops the readout up; a readout already shown for the
// control under the pointer shows the new value.
//
// Only its own area is repainted: its new box while it shows or changes,
// the box it leaves (returned by Follow) when it moves or hides. Hidden, it
// has empty bounds and is never dirty: a frame with nothing going on costs
// a few pointer comparisons and no drawing.
//
// Placement: the box goes above the control's stack (the control and the
// other controls on its parameter centred inside it: a knob's shadow and
// body), else below, right or left of it, slid along that side to stay a
// margin inside the page; where none fits it takes the page corner farthest
// from the stack. The text has a minimum size in pixels, so at small draw
// scales the box grows in layout units.

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

#include "graphics/controls/IControl.h"

namespace fx::igraphics {

class IValueReadoutControl : public IControl {
 public:
  using Clock = std::function<double()>;  // milliseconds, monotonic

  struct Look {
    ITextStyle name;   // the parameter's name, left in the box
    ITextStyle value;  // its display text and unit, right in the box
    IArgb fill{230, 18, 18, 20};
    IArgb frame{70, 255, 255, 255};
    float minPixelSize = 11.0f;  // text size in pixels at least
    float padding = 10.0f;       // layout units around the text, at the text's nominal size
    float gap = 8.0f;            // between the box and the control
    float margin = 8.0f;         // between the box and the page's edges
    float cornerRadius = 6.0f;
  };

  static constexpr double kDefaultLingerMs = 700.0;

  IValueReadoutControl();
  explicit IValueReadoutControl(const Look& look);

  void Paint(IGraphics& graphics) override;
  void OnBoundsChanged() override;

  // The frame's step (see above); the area it leaves behind, all zeros for
  // none.
  IBounds Follow();
  // A user change of the control's value.
  void NoteUserValueChange(const IControl& control);

  bool IsShown() const { return shown_; }
  // "Name  display text unit"; empty while hidden.
  std::string GetText() const;
  const std::string& GetNameText() const { return name_; }
  const std::string& GetValueText() const { return value_; }
  // The area of the page the followed control stack covers.
  const IBounds& GetAvoidedArea() const { return stack_; }
  std::int32_t GetParamIdxShown() const { return shownParam_; }

  void SetLingerMs(double ms) { lingerMs_ = std::isfinite(ms) && ms >= 0.0 ? ms : kDefaultLingerMs; }
  double GetLingerMs() const { return lingerMs_; }
  void SetClock(Clock clock) { clock_ = clock ? std::move(clock) : Clock(&IControl::NowMs); }
  const Look& GetLook() const { return look_; }

  // The box for w x h that avoids `avoid` inside a width x height page, as
  // described above.
  static IBounds PlaceBox(const IBounds& avoid, float w, float h, float width, float height, float gap,
                          float margin);

 private:
  struct Target {
    std::int32_t paramIdx = -1;
    double value = 0.0;
    IBounds stack;
  };

  // The control's first parameter value as a target; false without one.
  bool TargetOf(const IControl& control, Target& out) const;
  // Shows the target: texts, box size and place; marks dirty when the
  // drawn box changes. The area left behind is united into `vacated`.
  void Show(const Target& target, IBounds& vacated);
  void Hide(IBounds& vacated);
  void Layout();
  float TextScale() const;
  double Now() const { return clock_(); }

  Look look_;
  Clock clock_;
  double lingerMs_ = kDefaultLingerMs;
  bool shown_ = false;
  bool lingering_ = false;
  double hideAtMs_ = 0.0;
  bool edited_ = false;  // a user change arrived since the last frame
  Target edit_;
  std::int32_t shownParam_ = -1;
  double shownValue_ = 0.0;
  IBounds stack_;
  float laidOutScale_ = 0.0f;
  std::string name_;
  std::string value_;
  float valueWidth_ = 0.0f;  // the widest value text of the parameter, in nominal units
  float nameWidth_ = 0.0f;
  float textHeight_ = 0.0f;
};

}  // namespace fx::igraphics
