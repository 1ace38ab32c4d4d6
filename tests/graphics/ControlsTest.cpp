// The control family: values and their clamping, the sibling walk, host
// values, defaults, points to values, frames, angles, switches, labels,
// value prompts, values outside the list, keys that turn controls and the
// value readout.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "graphics/controls/IBKnobControl.h"
#include "graphics/controls/IBKnobRotaterControl.h"
#include "graphics/controls/IBSwitchControl.h"
#include "graphics/controls/IBitmapControl.h"
#include "graphics/controls/ISwitchControlBase.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/controls/ITextEntryControl.h"
#include "graphics/controls/IValueReadoutControl.h"
#include "tests/graphics/FakeEditorDelegate.h"
#include "tests/graphics/FakeResourceStore.h"
#include "tests/graphics/RecordingGraphics.h"
#include "tests/graphics/TestPage.h"

namespace {

using namespace fx::igraphics;
using testing_support::FakeEditorDelegate;
using testing_support::FakeResourceStore;
using testing_support::RecordingGraphics;

class Plain : public IControl {
 public:
  explicit Plain(const IBounds& b, int param = -1) : IControl(b, param) {}
  void Paint(IGraphics&) override {}
};

class Controls : public ::testing::Test {
 protected:
  Controls() {
    store.Add("PNG", "two.png", "IMG 10 40");
    store.Add("PNG", "three.png", "IMG 30 10");
    store.Add("PNG", "one.png", "IMG 20 10");
    graphics.SetResourceStore(&store);
  }
  ~Controls() override { graphics.ClearControls(); }
  IControl* Add(std::unique_ptr<IControl> c) { return graphics.AddControl(std::move(c)); }

  FakeEditorDelegate delegate;
  FakeResourceStore store;
  RecordingGraphics graphics{delegate, 400, 300, 1.0f};
};

TEST_F(Controls, ChangingOneOfThreeOnAParameterMovesTheOthersAndSendsOnce) {
  IControl* a = Add(std::make_unique<Plain>(IBounds{0, 0, 10, 10}, 1));
  IControl* b = Add(std::make_unique<Plain>(IBounds{0, 0, 10, 10}, 1));
  IControl* c = Add(std::make_unique<Plain>(IBounds{0, 0, 10, 10}, 1));
  IControl* other = Add(std::make_unique<Plain>(IBounds{0, 0, 10, 10}, 2));
  int actions = 0;
  b->SetActionFunction([&](IControl&) { ++actions; });
  for (IControl* x : {a, b, c, other}) x->MarkClean();
  b->StoreValue(1.7, 0);
  b->MarkDirty(true, 0);
  EXPECT_EQ(b->GetValue(), 1.0) << "clamped to 0..1";
  EXPECT_EQ(a->GetValue(), 1.0);
  EXPECT_EQ(c->GetValue(), 1.0);
  EXPECT_EQ(other->GetValue(), 0.0);
  EXPECT_TRUE(a->IsDirty() && c->IsDirty());
  EXPECT_FALSE(other->IsDirty());
  EXPECT_EQ(delegate.events, (std::vector<std::string>{"Set(1,1.000000)"}));
  EXPECT_EQ(actions, 1);
  // Without action nothing is sent and the others stay.
  b->StoreValue(-3.0, 0);
  b->MarkDirty(false, -1);
  EXPECT_EQ(b->GetValue(), 0.0);
  EXPECT_EQ(a->GetValue(), 1.0);
  EXPECT_EQ(delegate.events.size(), 1u);
  // A NaN value reads as 0.
  b->StoreValue(std::nan(""), 0);
  b->MarkDirty(false, -1);
  EXPECT_EQ(b->GetValue(), 0.0);
}

TEST_F(Controls, ValueIndicesOutsideTheListAreIgnored) {
  IControl* c = Add(std::make_unique<Plain>(IBounds{0, 0, 10, 10}, 3));
  c->SetNValues(2);
  c->BindParameter(4, 1);
  c->StoreValue(0.5, 0);
  c->StoreValue(0.5, 7);
  c->StoreValue(0.5, -2);
  EXPECT_EQ(c->GetValue(7), 0.0);
  EXPECT_EQ(c->GetValue(-1), 0.0);
  EXPECT_EQ(c->GetParamIdx(2), -1);
  EXPECT_EQ(c->GetParam(9), nullptr);
  c->ApplyHostValue(0.9, 5);
  c->ApplyUserValue(0.9, 5);
  c->MarkDirty(true, 5);
  c->ResetToDefault(5);
  c->BindParameter(3, 5);
  c->ValueFromPoint(1, 1, true, IBounds{0, 0, 10, 10}, 5);
  EXPECT_TRUE(delegate.events.empty()) << "nothing reaches the host";
  EXPECT_EQ(c->GetValue(0), 0.5);
  EXPECT_EQ(c->GetValue(1), 0.0);
  EXPECT_EQ(c->ValueIndexAt(1, 1), -1) << "two values: no single index";
  // Every value at once with -1.
  c->ApplyHostValue(0.3, 1);
  c->MarkDirty(true, -1);
  EXPECT_EQ(delegate.events, (std::vector<std::string>{"Set(3,0.500000)", "Set(4,0.300000)"}));
}

TEST_F(Controls, HostValuesApplyUnlessCapturedOrUnchanged) {
  IControl* c = Add(std::make_unique<Plain>(IBounds{0, 0, 10, 10}, 1));
  c->MarkClean();
  c->ApplyHostValue(0.0, 0);
  EXPECT_FALSE(c->IsDirty()) << "an unchanged value redraws nothing";
  c->ApplyHostValue(0.25, 0);
  EXPECT_TRUE(c->IsDirty());
  EXPECT_EQ(c->GetValue(), 0.25);
  c->ApplyHostValue(INFINITY, 0);
  c->ApplyHostValue(std::nan(""), 0);
  EXPECT_EQ(c->GetValue(), 0.25);
  graphics.FindControlAt(5, 5, true, false);
  c->ApplyHostValue(0.75, 0);
  EXPECT_EQ(c->GetValue(), 0.25);
  EXPECT_TRUE(delegate.events.empty());
}

TEST_F(Controls, ResetToDefaultSnapsClampsAndNormalises) {
  fx::IParam* p = delegate.GetParam(2);
  p->InitReal("Tame", 7.4, 0.0, 10.0, 2.0, "", fx::IParam::ShapeLinear());
  p->SetFlags(fx::kParamStepped);
  IControl* c = Add(std::make_unique<Plain>(IBounds{0, 0, 10, 10}, 2));
  c->ResetToDefault(-1);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.8) << "7.4 snaps to 8 of 0..10";
  EXPECT_EQ(delegate.events, (std::vector<std::string>{"Set(2,0.800000)"}));
  p->InitReal("Tame", -5.0, 0.0, 10.0, 1.0, "", fx::IParam::ShapeLinear());
  c->ResetToDefault(0);
  EXPECT_EQ(c->GetValue(), 0.0);
  IControl* unbound = Add(std::make_unique<Plain>(IBounds{0, 0, 10, 10}));
  unbound->StoreValue(0.4, 0);
  unbound->ResetToDefault(-1);
  EXPECT_EQ(unbound->GetValue(), 0.4) << "no parameter, no default";
}

TEST_F(Controls, ValueFromPointMapsClampsAndRounds) {
  IControl* c = Add(std::make_unique<Plain>(IBounds{0, 0, 10, 10}, 0));
  const IBounds area{100, 100, 200, 300};
  c->ValueFromPoint(125.04f, 0, true, area, 0);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.25);
  c->ValueFromPoint(0, 150, false, area, 0);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.75);
  c->ValueFromPoint(0, 5000, false, area, 0);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.0);
  c->ValueFromPoint(150, 0, true, area, 0, 0.6, 0.9);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.6);
  c->ValueFromPoint(std::nanf(""), 0, true, area, 0);
  c->ValueFromPoint(150, 0, true, IBounds{0, 0, INFINITY, 1}, 0);
  c->ValueFromPoint(150, 0, true, IBounds{5, 5, 5, 5}, 0);  // zero width
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.0);
  EXPECT_EQ(delegate.Filter("Set(0,").size(), 5u);
}

TEST_F(Controls, StripFramesFollowTheValue) {
  EXPECT_EQ(IBitmapBase::FrameForValue(2, 0.0), 1);
  EXPECT_EQ(IBitmapBase::FrameForValue(2, 0.49), 1);
  EXPECT_EQ(IBitmapBase::FrameForValue(2, 0.5), 2);
  EXPECT_EQ(IBitmapBase::FrameForValue(2, 1.0), 2);
  EXPECT_EQ(IBitmapBase::FrameForValue(5, 0.3), 2);
  EXPECT_EQ(IBitmapBase::FrameForValue(5, 7.0), 5);
  EXPECT_EQ(IBitmapBase::FrameForValue(5, -7.0), 1);
  EXPECT_EQ(IBitmapBase::FrameForValue(5, std::nan("")), 1);
  EXPECT_EQ(IBitmapBase::FrameForValue(1, 0.9), 1);
  EXPECT_EQ(IBitmapBase::FrameForValue(0, 0.9), 1);

  auto* lamp = static_cast<IBitmapControl*>(
      Add(std::make_unique<IBitmapControl>(5.0f, 7.0f, graphics.LoadBitmapStrip("two.png", 2, false, 1), 4)));
  EXPECT_EQ(lamp->GetBounds(), (IBounds{5, 7, 15, 27}));
  auto* row = static_cast<IBitmapControl*>(
      Add(std::make_unique<IBitmapControl>(0.0f, 0.0f, graphics.LoadBitmapStrip("three.png", 3, true, 1))));
  lamp->ApplyHostValue(0.5, 0);
  row->StoreValue(1.0, 0);
  graphics.ClearLog();
  lamp->Paint(graphics);
  row->Paint(graphics);
  EXPECT_EQ(graphics.log, (std::vector<std::string>{"DrawBitmapRegion(two.png,5,7,15,27,0,20,1)",
                                                    "DrawBitmapRegion(three.png,0,0,10,10,20,0,1)"}));
  // A strip that did not load gives a zero-size control that draws nothing.
  auto* missing = static_cast<IBitmapControl*>(
      Add(std::make_unique<IBitmapControl>(3.0f, 4.0f, graphics.LoadBitmapStrip("nothere.png", 2, false, 1))));
  EXPECT_EQ(missing->GetBounds(), (IBounds{3, 4, 3, 4}));
  graphics.ClearLog();
  missing->Paint(graphics);
  EXPECT_TRUE(graphics.log.empty());
}

TEST_F(Controls, RotatersTurnFromMinus130To130) {
  EXPECT_EQ(IBKnobRotaterControl::AngleForValue(0.0), -130.0f);
  EXPECT_EQ(IBKnobRotaterControl::AngleForValue(0.5), 0.0f);
  EXPECT_EQ(IBKnobRotaterControl::AngleForValue(1.0), 130.0f);
  auto* knob = static_cast<IBKnobRotaterControl*>(
      Add(std::make_unique<IBKnobRotaterControl>(IBounds{0, 0, 40, 40}, graphics.LoadBitmapStrip("one.png", 1, false, 1), 1)));
  EXPECT_EQ(knob->GetBounds(), (IBounds{10, 15, 30, 25})) << "the frame centred in the given bounds";
  knob->ApplyHostValue(0.5, 0);
  graphics.ClearLog();
  knob->Paint(graphics);
  ASSERT_EQ(graphics.transforms.size(), 3u);
  EXPECT_EQ(graphics.transforms[1], (IMatrix{1, 0, -0.0f, 1, 20, 20})) << "unrotated at 0.5";
  EXPECT_EQ(graphics.Calls("DrawBitmapRegion"), (std::vector<std::string>{"DrawBitmapRegion(one.png,-10,-5,10,5,0,0,1)"}));
}

TEST_F(Controls, SwitchesStepThroughTheirStates) {
  auto* flip = static_cast<IBSwitchControl*>(
      Add(std::make_unique<IBSwitchControl>(IBounds{0, 0, 10, 20}, graphics.LoadBitmapStrip("two.png", 2, false, 1), 4)));
  const IMouseMod left{true};
  flip->OnMousePress(1, 1, left);
  EXPECT_EQ(flip->GetValue(), 1.0);
  flip->OnMousePress(1, 1, left);
  EXPECT_EQ(flip->GetValue(), 0.0);
  EXPECT_TRUE(flip->GetDoubleClickAsSingleClick());
  auto* three = static_cast<IBSwitchControl*>(
      Add(std::make_unique<IBSwitchControl>(IBounds{0, 0, 10, 10}, graphics.LoadBitmapStrip("three.png", 3, true, 1))));
  three->OnMousePress(1, 1, left);
  EXPECT_EQ(three->GetValue(), 0.5);
  three->OnMousePress(1, 1, left);
  EXPECT_EQ(three->GetValue(), 1.0);
  three->OnMousePress(1, 1, left);
  EXPECT_EQ(three->GetValue(), 0.0);
  auto* empty = static_cast<IBSwitchControl*>(Add(std::make_unique<IBSwitchControl>(IBounds{}, IBitmapStrip{})));
  empty->OnMousePress(1, 1, left);
  EXPECT_EQ(empty->GetValue(), 1.0) << "no frames: a step of one";

  // The plain switch counts states from its parameter's range.
  delegate.GetParam(3)->InitReal("React", 0.0, 0.0, 3.0, 1.0, "", fx::IParam::ShapeLinear());
  class Switch : public ISwitchControlBase {
   public:
    using ISwitchControlBase::ISwitchControlBase;
    void Paint(IGraphics&) override {}
  };
  auto* four = static_cast<Switch*>(Add(std::make_unique<Switch>(IBounds{0, 0, 5, 5}, 3)));
  EXPECT_EQ(four->GetNStates(), 4);
  four->OnMousePress(0, 0, left);
  EXPECT_TRUE(four->GetMouseIsDown());
  EXPECT_DOUBLE_EQ(four->GetValue(), 1.0 / 3.0);
  four->OnMouseRelease(0, 0, left);
  EXPECT_FALSE(four->GetMouseIsDown());
  EXPECT_FALSE(four->GetStateDisabled(9));
  four->SetStateDisabled(-1, true);
}

TEST_F(Controls, TextLabelsFitTheirTextAndFormatWithinTheirLimit) {
  ITextStyle style;
  style.size = 10.0f;
  auto* label = static_cast<ITextControl*>(Add(std::make_unique<ITextControl>(IBounds{0, 0, 100, 40}, "abcd", style)));
  EXPECT_EQ(label->GetBounds(), (IBounds{40, 15, 60, 25}));
  EXPECT_TRUE(label->GetIgnoreMouse());
  label->SetLabelFormatted(5, "v%d.%d.%d", 10, 20, 30);
  EXPECT_EQ(label->GetLabel(), "v10.2");
  EXPECT_EQ(label->GetBounds().W(), 25.0f);
  label->SetLabelFormatted(0, "%s", "gone");
  EXPECT_EQ(label->GetLabel(), "");
  graphics.ClearLog();
  label->Paint(graphics);
  EXPECT_TRUE(graphics.Calls("DrawString").empty()) << "an empty label fills its background only";
  label->SetLabel("xy");
  graphics.ClearLog();
  label->Paint(graphics);
  EXPECT_EQ(graphics.Calls("DrawString").size(), 1u);
  EXPECT_EQ(graphics.Calls("PathFillWith"), (std::vector<std::string>{"PathFillWith(0,0,0,0,0,0,1)"}));
}

TEST_F(Controls, ARightClickPromptsForTheValueOfAParameter) {
  IControl* c = Add(std::make_unique<Plain>(IBounds{100, 100, 200, 150}, 0));
  const IMouseMod right{false, true};
  c->OnMousePress(150, 125, right);
  EXPECT_TRUE(graphics.Calls("CreatePlatformTextEntry").empty()) << "prompts are off by default";
  c->DisablePrompt(false);
  c->OnMousePress(150, 125, right);
  EXPECT_EQ(graphics.Calls("CreatePlatformTextEntry"),
            (std::vector<std::string>{"CreatePlatformTextEntry(0,130,117,170,133,7,0.000)"}));
  EXPECT_EQ(graphics.GetControlBeingEdited(), c);
  graphics.FinishTextEntry("0.625");
  EXPECT_EQ(c->GetValue(), 0.625);
  EXPECT_EQ(graphics.GetControlBeingEdited(), nullptr);
  graphics.FinishTextEntry("0.1");
  EXPECT_EQ(c->GetValue(), 0.625) << "no control being edited";

  // A control that fills a context menu gets the chosen item; a gesture on
  // its parameter lasts while the menu is open.
  class Menu : public Plain {
   public:
    using Plain::Plain;
    void FillContextMenu(IPopupMenu& menu) override {
      menu.AddItem("one");
      menu.AddItem("two");
    }
    void OnContextChoice(std::int32_t item) override { chosen.push_back(item); }
    std::vector<int> chosen;
  };
  auto* m = static_cast<Menu*>(Add(std::make_unique<Menu>(IBounds{300, 0, 340, 20}, 3)));
  delegate.events.clear();
  graphics.menuChoice = 1;
  IMouseInfo click;
  click.x = 310, click.y = 5, click.ms.R = true;
  graphics.DispatchMouseDown({click});
  graphics.menuChoice = -1;
  graphics.DispatchMouseDown({click});
  EXPECT_EQ(m->chosen, (std::vector<int>{1, -1}));
  EXPECT_EQ(graphics.Calls("CreatePlatformPopupMenu").size(), 2u);
  EXPECT_EQ(delegate.events, (std::vector<std::string>{"Begin(3)", "End(3)", "Begin(3)", "End(3)"}));
  EXPECT_EQ(graphics.NCaptures(), 0);
  EXPECT_EQ(graphics.GetControlWithMenu(), nullptr);
  EXPECT_EQ(graphics.GetPromptMenu().GetItem(2), nullptr);
  EXPECT_EQ(graphics.GetPromptMenu().GetItem(-1), nullptr);
  EXPECT_STREQ(graphics.GetPromptMenu().GetItemText(99), "");
  graphics.GetPromptMenu().SetChosenItemIdx(40);
  EXPECT_EQ(graphics.GetPromptMenu().GetChosenItem(), nullptr);
}

TEST_F(Controls, MovingAndSizingKeepTheRectanglesSane) {
  IControl* c = Add(std::make_unique<Plain>(IBounds{10, 10, 30, 20}));
  c->SetTargetBounds(IBounds{5, 5, 35, 25});
  c->MoveTo(-5, 40);
  EXPECT_EQ(c->GetBounds(), (IBounds{0, 40, 20, 50}));
  EXPECT_EQ(c->GetTargetBounds(), (IBounds{-5, 35, 25, 55}));
  c->SetExtent(-4, 8);
  EXPECT_EQ(c->GetBounds(), (IBounds{0, 40, 0, 48}));
  c->MoveTo(std::nanf(""), 1);
  c->SetExtent(INFINITY, 1);
  EXPECT_EQ(c->GetBounds(), (IBounds{0, 40, 0, 48}));
  EXPECT_FALSE(c->ContainsPoint(0, 41)) << "zero width contains nothing";
  c->SetTargetBounds(IBounds{});
  EXPECT_FALSE(c->ContainsPoint(0, 0));
  c->SetTargetBounds(IBounds{0, 0, 10, 10});
  EXPECT_TRUE(c->ContainsPoint(0, 0));
  EXPECT_FALSE(c->ContainsPoint(10, 5)) << "right edge is outside";
}

TEST_F(Controls, GesturesRunTheirAttachedFunction) {
  IControl* c = Add(std::make_unique<Plain>(IBounds{0, 0, 10, 10}));
  int pinches = 0;
  c->AttachGestureFunction(2, [&](IControl&, const IGesture& g) { pinches += static_cast<int>(g.scale); });
  IGesture g;
  g.kind = 2;
  g.scale = 3;
  EXPECT_TRUE(c->OnGestureEvent(g));
  g.kind = 5;
  EXPECT_FALSE(c->OnGestureEvent(g));
  EXPECT_EQ(pinches, 3);
  EXPECT_EQ(c->GetLastGesture(), 2);
}

// ---------------------------------------------------------------- keys

constexpr std::int32_t kPageUp = 33, kPageDown = 34, kLeft = 37, kUp = 38, kDown = 40;

fx::IKeyPress Key(std::int32_t vk, bool shift = false, bool ctrl = false, bool alt = false) {
  fx::IKeyPress k;
  k.vk = vk;
  k.shift = shift;
  k.ctrl = ctrl;
  k.alt = alt;
  return k;
}

std::vector<std::string> Gesture(int param, double value) {
  char set[64];
  std::snprintf(set, sizeof set, "Set(%d,%.6f)", param, value);
  return {"Begin(" + std::to_string(param) + ")", set, "End(" + std::to_string(param) + ")"};
}

TEST_F(Controls, ArrowAndPageKeysTurnAKnobOneGestureAPress) {
  Add(std::make_unique<Plain>(IBounds{0, 0, 400, 300}));  // entry 0, the background, takes no keys
  IControl* knob = Add(std::make_unique<IBKnobControl>(IBounds{0, 0, 100, 100},
                                                       graphics.LoadBitmapStrip("one.png", 1, false, 1), 2));
  IControl* body = Add(std::make_unique<Plain>(IBounds{200, 0, 220, 20}, 2));
  knob->ApplyHostValue(0.5, 0);
  body->ApplyHostValue(0.5, 0);
  struct Step {
    std::int32_t vk;
    bool shift, ctrl;
    double delta;
  };
  const Step steps[] = {{kUp, false, false, 0.01},    {kDown, false, false, -0.01}, {kPageUp, false, false, 0.1},
                        {kPageDown, false, false, -0.1}, {kUp, true, false, 0.001},   {kDown, false, true, -0.001},
                        {kPageUp, true, false, 0.01}};
  double expected = 0.5;
  for (const Step& step : steps) {
    delegate.events.clear();
    EXPECT_TRUE(graphics.OnKeyDown(50, 50, Key(step.vk, step.shift, step.ctrl)));
    expected += step.delta;
    EXPECT_NEAR(knob->GetValue(), expected, 1e-12) << step.vk;
    EXPECT_EQ(body->GetValue(), knob->GetValue()) << "the other layer follows";
    EXPECT_EQ(delegate.events, Gesture(2, knob->GetValue())) << step.vk;
    EXPECT_TRUE(graphics.OnKeyUp(50, 50, Key(step.vk))) << "its release is the page's too";
  }
  // At the end of the range the key still belongs to the page, but nothing moves or is sent.
  knob->ApplyHostValue(0.95, 0);
  delegate.events.clear();
  EXPECT_TRUE(graphics.OnKeyDown(50, 50, Key(kPageUp)));
  EXPECT_EQ(knob->GetValue(), 1.0);
  EXPECT_TRUE(graphics.OnKeyDown(50, 50, Key(kUp)));
  EXPECT_EQ(delegate.events, Gesture(2, 1.0));

  // Keys the page does not use, alt combinations and keys over nothing go on to the host.
  delegate.events.clear();
  for (const fx::IKeyPress& k : {Key(kLeft), Key('A'), Key(kUp, false, false, true), Key(13)}) {
    EXPECT_FALSE(graphics.OnKeyDown(50, 50, k)) << k.vk;
    EXPECT_FALSE(graphics.OnKeyUp(50, 50, k)) << k.vk;
  }
  EXPECT_FALSE(graphics.OnKeyDown(150, 150, Key(kUp))) << "no control under the pointer";
  EXPECT_FALSE(graphics.OnKeyDown(210, 10, Key(kUp))) << "a control that is no knob";
  EXPECT_TRUE(delegate.events.empty());
  EXPECT_EQ(knob->GetValue(), 1.0);
}

TEST_F(Controls, KeysMoveSteppedParametersByWholeSteps) {
  Add(std::make_unique<Plain>(IBounds{0, 0, 400, 300}));
  fx::IParam* gain = delegate.GetParam(5);
  gain->InitReal("Output Gain", 100.0, 0.0, 200.0, 1.0, "%", fx::IParam::ShapeLinear());
  gain->SetFlags(fx::kParamStepped);
  IControl* knob = Add(std::make_unique<IBKnobControl>(IBounds{0, 0, 100, 100},
                                                       graphics.LoadBitmapStrip("one.png", 1, false, 1), 5));
  knob->ApplyHostValue(0.5, 0);
  const std::pair<fx::IKeyPress, double> keys[] = {
      {Key(kUp), 101.0}, {Key(kPageUp), 121.0}, {Key(kUp, true), 122.0}, {Key(kPageDown, true), 120.0},
      {Key(kDown, false, true), 119.0}};
  for (const auto& [key, real] : keys) {
    delegate.events.clear();
    EXPECT_TRUE(graphics.OnKeyDown(50, 50, key));
    EXPECT_DOUBLE_EQ(knob->GetValue(), real / 200.0) << real;
    EXPECT_EQ(delegate.events, Gesture(5, real / 200.0));
  }
}

TEST_F(Controls, KeysStepSwitchesWithoutWrapping) {
  Add(std::make_unique<Plain>(IBounds{0, 0, 400, 300}));
  auto* flip = Add(
      std::make_unique<IBSwitchControl>(IBounds{0, 0, 10, 20}, graphics.LoadBitmapStrip("two.png", 2, false, 1), 4));
  EXPECT_TRUE(graphics.OnKeyDown(5, 5, Key(kUp)));
  EXPECT_EQ(flip->GetValue(), 1.0);
  delegate.events.clear();
  EXPECT_TRUE(graphics.OnKeyDown(5, 5, Key(kPageUp)));
  EXPECT_EQ(flip->GetValue(), 1.0) << "no wrap to the first state";
  EXPECT_TRUE(delegate.events.empty());
  EXPECT_TRUE(graphics.OnKeyDown(5, 5, Key(kDown)));
  EXPECT_EQ(flip->GetValue(), 0.0);
  EXPECT_EQ(delegate.events, Gesture(4, 0.0));
  EXPECT_FALSE(graphics.OnKeyDown(5, 5, Key(kLeft)));
  EXPECT_TRUE(graphics.OnKeyUp(5, 5, Key(kDown)));
}

TEST_F(Controls, AKeyDuringADragChangesTheValueInsideTheDragsGesture) {
  Add(std::make_unique<Plain>(IBounds{0, 0, 400, 300}));
  IControl* knob = Add(std::make_unique<IBKnobControl>(IBounds{0, 0, 100, 100},
                                                       graphics.LoadBitmapStrip("one.png", 1, false, 1), 2));
  knob->ApplyHostValue(0.5, 0);
  IMouseInfo press;
  press.x = press.y = 50;
  press.ms.L = true;
  graphics.DispatchMouseDown({press});
  EXPECT_TRUE(graphics.OnKeyDown(50, 50, Key(kUp)));
  // The drag goes on from the keyed value.
  IMouseInfo drag = press;
  drag.dy = -4.0f;  // up by 4 units of the 10-unit-high knob at gearing 4: a tenth
  graphics.DispatchMouseDrag({drag});
  graphics.DispatchMouseUp({press});
  char set1[32], set2[32];
  std::snprintf(set1, sizeof set1, "Set(2,%.6f)", 0.51);
  std::snprintf(set2, sizeof set2, "Set(2,%.6f)", 0.61);
  EXPECT_EQ(delegate.events, (std::vector<std::string>{"Begin(2)", set1, set2, "End(2)"}));
}

// ---------------------------------------------------------------- value readout

class Readout : public ::testing::Test {
 protected:
  Readout() {
    readout = G().SetValueReadout(std::make_unique<IValueReadoutControl>());
    readout->SetClock([this] { return now; });
    Frame();  // the first frame paints everything
  }
  testing_support::RecordingGraphics& G() { return *page.graphics; }
  IControl* At(int i) { return G().GetControl(i); }
  // One frame's dirty areas.
  std::vector<IBounds> Frame() {
    std::vector<IBounds> areas;
    G().CollectDirtyAreas(areas);
    return areas;
  }
  void PushHost(int param, double value) {
    for (int c = 0; c < G().NControls(); ++c)
      if (G().GetControlParamIdx(c, 0) == param) G().ApplyHostValue(c, value, 0);
  }
  static bool HasArea(const std::vector<IBounds>& areas, const IBounds& box) {
    for (const IBounds& a : areas)
      if (a == box.GetPadded(IGraphics::kDirtyPadding)) return true;
    return false;
  }

  static constexpr int kFlip = 5, kInputShadow = 6, kInputHighlight = 14, kTameHighlight = 15;
  testing_support::EditorPage page;
  IValueReadoutControl* readout = nullptr;
  double now = 1000.0;
};

TEST_F(Readout, HoveringShowsTheParameterAndHostValuesNeverPopItUp) {
  EXPECT_TRUE(Frame().empty()) << "hidden and idle: nothing to paint";
  PushHost(0, 0.7);
  const std::vector<IBounds> automation = Frame();
  EXPECT_FALSE(readout->IsShown());
  EXPECT_EQ(readout->GetBounds(), IBounds{});
  EXPECT_FALSE(automation.empty());
  const IBounds knob = At(kInputShadow)->GetBounds().Union(At(kInputHighlight)->GetBounds());
  for (const IBounds& a : automation) EXPECT_TRUE(knob.GetPadded(1).Contains(a)) << "the knob alone is repainted";

  EXPECT_TRUE(G().DispatchMouseHover(260, 339, IMouseMod{}));
  const std::vector<IBounds> shown = Frame();
  ASSERT_TRUE(readout->IsShown());
  EXPECT_EQ(readout->GetText(), "Input Gain  0.700");
  EXPECT_TRUE(HasArea(shown, readout->GetBounds()));
  G().ClearLog();
  G().PaintAreas(shown);
  const std::vector<std::string> strings = G().Calls("DrawString");
  const auto drawn = [&](const std::string& text) {
    return std::any_of(strings.begin(), strings.end(),
                       [&](const std::string& c) { return c.rfind("DrawString(" + text + ",", 0) == 0; });
  };
  EXPECT_TRUE(drawn("Input Gain"));
  EXPECT_TRUE(drawn("0.700"));
  EXPECT_TRUE(Frame().empty()) << "shown and unchanged: nothing to paint";

  // The host moves the parameter under the pointer: the shown value follows, in place.
  const IBounds box = readout->GetBounds();
  PushHost(0, 0.25);
  const std::vector<IBounds> moved = Frame();
  EXPECT_EQ(readout->GetText(), "Input Gain  0.250");
  EXPECT_EQ(readout->GetBounds(), box);
  EXPECT_TRUE(HasArea(moved, box));
}

TEST_F(Readout, ItLingersAfterThePointerLeavesThenGoesAndOnlyItsAreaIsRepainted) {
  G().DispatchMouseHover(260, 339, IMouseMod{});
  Frame();
  const IBounds box = readout->GetBounds();
  ASSERT_TRUE(readout->IsShown());
  G().DispatchMouseLeave();
  const std::vector<IBounds> left = Frame();
  EXPECT_TRUE(readout->IsShown());
  EXPECT_FALSE(HasArea(left, box)) << "the knob repaints its hover state, the readout stays";
  now += readout->GetLingerMs() - 1.0;
  EXPECT_TRUE(Frame().empty());
  EXPECT_TRUE(readout->IsShown());
  now += 2.0;
  const std::vector<IBounds> gone = Frame();
  EXPECT_FALSE(readout->IsShown());
  EXPECT_EQ(readout->GetText(), "");
  EXPECT_EQ(gone, std::vector<IBounds>{box.GetPadded(IGraphics::kDirtyPadding)}) << "only the place it leaves";
  EXPECT_TRUE(Frame().empty());

  // Back over a knob, then straight onto another: the old place and the new one are repainted.
  G().DispatchMouseHover(260, 339, IMouseMod{});
  Frame();
  const IBounds first = readout->GetBounds();
  G().DispatchMouseHover(260, 737, IMouseMod{});
  const std::vector<IBounds> moved = Frame();
  EXPECT_EQ(readout->GetText(), "Tame  0.000");
  EXPECT_NE(readout->GetBounds(), first);
  EXPECT_TRUE(HasArea(moved, first));
  EXPECT_TRUE(HasArea(moved, readout->GetBounds()));
}

TEST_F(Readout, DragsWheelsResetsAndKeysShowItWithoutHovering) {
  G().SetMouseOverEnabled(false);
  IMouseInfo p;
  p.x = 260, p.y = 339;
  p.ms.L = true;
  G().DispatchMouseDown({p});
  Frame();
  EXPECT_TRUE(readout->IsShown()) << "held by the press";
  p.dy = -29.4f;  // a tenth of the highlight's 294 units up at gearing 4: a fortieth
  G().DispatchMouseDrag({p});
  Frame();
  EXPECT_EQ(readout->GetText(), "Input Gain  0.025");
  G().DispatchMouseUp({p});
  Frame();
  now += readout->GetLingerMs() + 1.0;
  Frame();
  EXPECT_FALSE(readout->IsShown()) << "gone after the gesture ended";

  struct Action {
    const char* what;
    std::function<void()> run;
    const char* text;
  };
  page.delegate.GetParam(2)->InitReal("Tame", 0.4, 0.0, 1.0, 0.001, "", fx::IParam::ShapeLinear());
  IMouseInfo tame;
  tame.x = 260, tame.y = 737;
  tame.ms.L = true;  // a double click is of the left button
  const Action actions[] = {
      {"wheel", [&] { G().DispatchMouseWheel(tame, 240); }, "Tame  0.020"},
      {"double click", [&] { G().DispatchMouseDoubleClick(tame); }, "Tame  0.400"},
      {"key", [&] { G().OnKeyDown(260, 737, Key(kPageUp)); }, "Tame  0.500"},
  };
  for (const Action& a : actions) {
    a.run();
    Frame();
    EXPECT_TRUE(readout->IsShown()) << a.what;
    EXPECT_EQ(readout->GetText(), a.text) << a.what;
    now += readout->GetLingerMs() - 1.0;
    Frame();
    EXPECT_TRUE(readout->IsShown()) << a.what;
    now += 2.0;
    Frame();
    EXPECT_FALSE(readout->IsShown()) << a.what;
  }
}

TEST_F(Readout, BoxesGoBesideWhatTheyAvoidAndInsideThePage) {
  const float w = 100, h = 20;
  auto place = [&](const IBounds& avoid) { return IValueReadoutControl::PlaceBox(avoid, w, h, 1000, 500, 5, 8); };
  EXPECT_EQ(place({400, 200, 500, 300}), (IBounds{400, 175, 500, 195})) << "above, centred";
  EXPECT_EQ(place({0, 10, 60, 100}), (IBounds{8, 105, 108, 125})) << "below when above does not fit, slid inside";
  EXPECT_EQ(place({300, 0, 400, 500}), (IBounds{405, 240, 505, 260})) << "right when neither fits";
  EXPECT_EQ(place({900, 0, 1000, 500}), (IBounds{795, 240, 895, 260})) << "left as the last side";
  EXPECT_EQ(place({0, 0, 1000, 500}), (IBounds{8, 8, 108, 28})) << "nowhere beside: a corner";
  EXPECT_EQ(place({0, 0, 900, 480}), (IBounds{892, 472, 992, 492})) << "the farthest corner";
  const IBounds nan = place({NAN, 0, 1, 1});
  EXPECT_TRUE(IBounds(8, 8, 992, 492).Contains(nan));
  EXPECT_FALSE(nan.Empty());
  EXPECT_TRUE(IValueReadoutControl::PlaceBox({0, 0, 1, 1}, NAN, 10, 100, 100, 1, 1).Empty());
  EXPECT_TRUE(IValueReadoutControl::PlaceBox({0, 0, 1, 1}, 0, 10, 100, 100, 1, 1).Empty());
}

TEST_F(Readout, OnThePageEveryControlsBoxLiesInsideAndClearOfItsKnob) {
  for (float scale : {0.25f, 0.5f, 1.0f}) {
    G().ResizeEditor(1630, 1010, scale);
    Frame();
    for (int i = 2; i < G().NControls(); ++i) {
      IControl* c = At(i);
      // A point where this control is the one the pointer finds.
      bool hovered = false;
      const IBounds b = c->GetTargetBounds();
      for (float y = b.top + 1; y < b.bottom && !hovered; y += 3)
        for (float x = b.left + 1; x < b.right && !hovered; x += 3)
          if (G().FindControlAt(x, y, false, false) == c) hovered = G().DispatchMouseHover(x, y, IMouseMod{});
      if (!hovered) continue;  // the bodies lie under their highlights
      Frame();
      ASSERT_TRUE(readout->IsShown()) << i;
      const IBounds box = readout->GetBounds();
      EXPECT_TRUE(IBounds(8, 8, 1622, 1002).Contains(box)) << "control " << i << " scale " << scale;
      EXPECT_FALSE(box.Intersects(c->GetBounds())) << "control " << i << " scale " << scale;
      EXPECT_FALSE(box.Intersects(readout->GetAvoidedArea())) << "control " << i << " scale " << scale;
      EXPECT_EQ(readout->GetParamIdxShown(), c->GetParamIdx());
      // Its text keeps at least eleven pixels.
      EXPECT_GE(box.H() * scale, 11.0f) << i;
    }
  }
  // A knob's shadow and body are part of what its highlight's box avoids.
  G().DispatchMouseHover(260, 339, IMouseMod{});
  Frame();
  EXPECT_EQ(readout->GetAvoidedArea(), At(kInputShadow)->GetBounds().Union(At(kInputHighlight)->GetBounds()));
  // The flip switch avoids itself, not the lamp on the same parameter behind it.
  G().DispatchMouseHover(1372, 430, IMouseMod{});
  Frame();
  EXPECT_EQ(readout->GetAvoidedArea(), At(kFlip)->GetBounds());
}

TEST_F(Readout, UnitsFollowNumbersAndNamedValuesStandAlone) {
  fx::IParam* gain = page.delegate.GetParam(0);
  gain->InitReal("Input Gain", 32.0, 0.0, 200.0, 0.01, "%", fx::IParam::ShapeLinear());
  fx::IParam* bypass = page.delegate.GetParam(4);
  bypass->InitReal("Bypass", 0.0, 0.0, 1.0, 1.0, "", fx::IParam::ShapeLinear());
  PushHost(0, 0.16);
  G().DispatchMouseHover(260, 339, IMouseMod{});
  Frame();
  EXPECT_EQ(readout->GetText(), "Input Gain  32.00 %");
  EXPECT_EQ(readout->GetNameText(), "Input Gain");
  EXPECT_EQ(readout->GetValueText(), "32.00 %");
  gain->SetDisplayText(200.0, "Full");
  PushHost(0, 1.0);
  Frame();
  EXPECT_EQ(readout->GetText(), "Input Gain  Full");
  G().DispatchMouseHover(1372, 430, IMouseMod{});
  Frame();
  EXPECT_EQ(readout->GetText(), "Bypass  0");
}

TEST_F(Readout, RemovingOrClearingControlsLeavesNothingDangling) {
  G().DispatchMouseHover(260, 339, IMouseMod{});
  Frame();
  ASSERT_TRUE(readout->IsShown());
  EXPECT_TRUE(G().RemoveControl(At(kInputHighlight)));
  Frame();  // the pointer rests on the shadow now, or on nothing
  now += readout->GetLingerMs() + 1.0;
  Frame();
  G().ClearControls();
  EXPECT_EQ(G().GetValueReadout(), nullptr);
  std::vector<IBounds> areas;
  EXPECT_FALSE(G().CollectDirtyAreas(areas));
}

}  // namespace
