// The control family: values and their clamping, the sibling walk, host
// values, defaults, points to values, frames, angles, switches, labels,
// value prompts and values outside the list.

#include <gtest/gtest.h>

#include <cmath>

#include "graphics/controls/IBKnobRotaterControl.h"
#include "graphics/controls/IBSwitchControl.h"
#include "graphics/controls/IBitmapControl.h"
#include "graphics/controls/ISwitchControlBase.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/controls/ITextEntryControl.h"
#include "tests/graphics/FakeEditorDelegate.h"
#include "tests/graphics/FakeResourceStore.h"
#include "tests/graphics/RecordingGraphics.h"

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

}  // namespace
