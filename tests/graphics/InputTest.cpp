// Input dispatch on the editor's page: which control a pointer finds, the
// knob stack under a drag, gestures, hover, wheel, double clicks, keys and
// the corner resizer.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "core/Trace.h"
#include "graphics/controls/IBKnobControl.h"
#include "tests/core/TraceCapture.h"
#include "tests/graphics/TestPage.h"

namespace {

using namespace fx::igraphics;
using testing_support::EditorPage;
using testing_support::RecordingGraphics;

constexpr int kLamp = 2, kBias = 3, kSlide = 4, kFlip = 5, kInputShadow = 6, kInputBody = 10, kInputHighlight = 14;

IMouseInfo Left(float x, float y, float dx = 0, float dy = 0, bool shift = false) {
  IMouseInfo p;
  p.x = x, p.y = y, p.dx = dx, p.dy = dy;
  p.ms.L = true;
  p.ms.S = shift;
  return p;
}

IMouseInfo Right(float x, float y) {
  IMouseInfo p;
  p.x = x, p.y = y;
  p.ms.R = true;
  return p;
}

// A middle (or side) button: neither of the page's buttons, not a touch.
IMouseInfo Middle(float x, float y) {
  IMouseInfo p;
  p.x = x, p.y = y;
  return p;
}

// Every gesture the host heard ends, and none ends before it began.
::testing::AssertionResult Balanced(const std::vector<std::string>& events) {
  std::map<int, int> open;
  for (const std::string& e : events) {
    int param = -1;
    if (std::sscanf(e.c_str(), "Begin(%d)", &param) == 1) {
      ++open[param];
    } else if (std::sscanf(e.c_str(), "End(%d)", &param) == 1) {
      if (--open[param] < 0) return ::testing::AssertionFailure() << "End(" << param << ") without a begin";
    } else if (std::sscanf(e.c_str(), "Set(%d,", &param) == 1 && open[param] == 0) {
      return ::testing::AssertionFailure() << e << " outside a gesture";
    }
  }
  for (const auto& [param, depth] : open)
    if (depth != 0) return ::testing::AssertionFailure() << "parameter " << param << " left open " << depth;
  return ::testing::AssertionSuccess();
}

class Input : public ::testing::Test {
 protected:
  // What the delegate does with a host value: every control on the parameter.
  void PushHost(int param, double value) {
    for (int c = 0; c < G().NControls(); ++c)
      for (int j = 0; j < G().NControlValues(c); ++j)
        if (G().GetControlParamIdx(c, j) == param) G().ApplyHostValue(c, value, j);
  }
  IControl* At(int i) { return page.graphics->GetControl(i); }
  RecordingGraphics& G() { return *page.graphics; }
  EditorPage page;
};

TEST_F(Input, ThePageHasEighteenControlsInTheEditorsOrder) {
  ASSERT_EQ(G().NControls(), 18);
  EXPECT_EQ(At(0)->GetBounds(), (IBounds{0, 0, 1630, 1012}));
  EXPECT_EQ(At(kLamp)->GetBounds(), (IBounds{824, 0, 1630, 935}));
  EXPECT_EQ(At(kBias)->GetBounds(), (IBounds{558, 630, 616, 688}));
  EXPECT_EQ(At(kSlide)->GetBounds(), (IBounds{516, 752, 770, 906}));
  EXPECT_EQ(At(kInputShadow)->GetBounds(), (IBounds{137, 286, 389, 533}));
  EXPECT_EQ(At(kInputHighlight)->GetBounds(), (IBounds{126, 192, 394, 486}));
  // The label shrank to its text, centred in (1480, 980, 1630, 1010).
  const IBounds label = At(1)->GetBounds();
  EXPECT_FLOAT_EQ(label.MW(), 1555.0f);
  EXPECT_FLOAT_EQ(label.H(), 20.0f);
  EXPECT_FLOAT_EQ(label.W(), 0.5f * 20.0f * 18.0f);
  EditorPage::Layout(G());
  EXPECT_EQ(G().NControls(), 18) << "a second layout adds nothing";
}

TEST_F(Input, AKnobStackMovesTogetherAndTheHostHearsOneGesture) {
  std::vector<IBounds> areas;
  G().CollectDirtyAreas(areas);  // the first frame paints everything
  areas.clear();
  page.delegate.events.clear();
  G().ClearLog();
  G().DispatchMouseDown({Left(260, 339)});
  ASSERT_TRUE(G().IsCaptured(At(kInputHighlight))) << "the highlight lies on top of shadow and body";
  EXPECT_TRUE(G().CursorHidden());
  // 100 units up in ten steps, the last ones far outside the knob.
  for (int i = 0; i < 10; ++i) G().DispatchMouseDrag({Left(i < 5 ? 260.0f : 1500.0f, 339.0f - 10.0f * i, 0, -10)});
  const double expected = 100.0 / 294.0 / 4.0;  // the highlight is 294 units high
  EXPECT_NEAR(At(kInputHighlight)->GetValue(), expected, 1e-12);
  EXPECT_EQ(At(kInputShadow)->GetValue(), At(kInputHighlight)->GetValue());
  EXPECT_EQ(At(kInputBody)->GetValue(), At(kInputHighlight)->GetValue());
  EXPECT_EQ(At(18 - 3)->GetValue(), 0.0) << "the other knobs stay";
  G().DispatchMouseUp({Left(260, 239)});
  EXPECT_FALSE(G().CursorHidden());
  EXPECT_EQ(G().NCaptures(), 0);
  const auto& events = page.delegate.events;
  ASSERT_EQ(events.size(), 12u);
  EXPECT_EQ(events.front(), "Begin(0)");
  EXPECT_EQ(events.back(), "End(0)");
  EXPECT_EQ(page.delegate.Filter("Set(0,").size(), 10u);
  EXPECT_EQ(page.delegate.Filter("Set(").size(), 10u) << "shadow and body never send";
  EXPECT_NEAR(page.delegate.GetParam(0)->GetValue(), expected, 1e-9);
  // The next frame repaints the three layers of the knob.
  ASSERT_TRUE(G().CollectDirtyAreas(areas));
  EXPECT_EQ(areas.size(), 3u);
}

TEST_F(Input, AHundredUnitsOverTwoHundredFiftyAtGearingFourGainsATenth) {
  auto* knob = static_cast<IKnobControlBase*>(
      G().AddControl(std::make_unique<IBKnobControl>(IBounds{10, 0, 60, 250}, IBitmapStrip{}, 6)));
  ASSERT_EQ(knob->GetBounds().H(), 0.0f) << "an empty strip gives a zero-size knob...";
  knob->SetTargetAndDrawBounds(IBounds{10, 0, 60, 250});  // ...so give it the area by hand
  G().DispatchMouseDown({Left(20, 200)});
  ASSERT_TRUE(G().IsCaptured(knob));
  for (int i = 0; i < 4; ++i) G().DispatchMouseDrag({Left(20, 200.0f - 25.0f * i, 0, -25)});
  EXPECT_NEAR(knob->GetValue(), 0.1, 1e-12);
  for (int i = 0; i < 4; ++i) G().DispatchMouseDrag({Left(20, 100.0f - 25.0f * i, 0, -25, true)});
  EXPECT_NEAR(knob->GetValue(), 0.11, 1e-12) << "shift gears ten times finer";
  G().DispatchMouseDrag({Left(20, 0, 0, 0)});
  EXPECT_EQ(page.delegate.Filter("Set(6,").size(), 8u) << "a drag without movement sends nothing";
  for (int i = 0; i < 40; ++i) G().DispatchMouseDrag({Left(20, 0, 0, 1000)});
  EXPECT_EQ(knob->GetValue(), 0.0) << "clamped at the bottom";
  G().DispatchMouseUp({Left(20, 0)});
}

TEST_F(Input, AHostValueLeavesEveryLayerOfTheHeldKnobAlone) {
  G().DispatchMouseDown({Left(260, 339)});
  PushHost(0, 0.9);
  EXPECT_EQ(At(kInputHighlight)->GetValue(), 0.0);
  EXPECT_EQ(At(kInputBody)->GetValue(), 0.0) << "the body under the hand must not turn";
  EXPECT_EQ(At(kInputShadow)->GetValue(), 0.0);
  PushHost(2, 0.7);
  EXPECT_EQ(At(kInputBody + 1)->GetValue(), 0.7) << "knobs the user does not hold follow the host";
  G().DispatchMouseUp({Left(260, 339)});
  PushHost(0, 0.4);
  EXPECT_EQ(At(kInputHighlight)->GetValue(), 0.4);
  EXPECT_EQ(At(kInputBody)->GetValue(), 0.4);
}

TEST_F(Input, FindControlAtFollowsItsRules) {
  // Rule 4: the resizer in its corner, even where the lamp lies.
  EXPECT_EQ(G().FindControlAt(1620, 1000, false, false), G().GetCornerResizer());
  // The label ignores the mouse: the background gets the press, never a hover.
  EXPECT_EQ(G().FindControlAt(1555, 995, false, false), At(0));
  EXPECT_EQ(G().FindControlAt(1555, 995, false, true), nullptr);
  EXPECT_EQ(G().GetHoverIdx(), -1);
  EXPECT_EQ(G().FindControlAt(587, 659, false, true), At(kBias));
  EXPECT_EQ(G().GetHoverIdx(), kBias);
  // Hidden and disabled controls let the pointer through.
  At(kBias)->SetHidden(true);
  EXPECT_EQ(G().FindControlAt(587, 659, false, false), At(0));
  At(kBias)->SetHidden(false);
  At(kBias)->SetDisabledState(true);
  EXPECT_EQ(G().FindControlAt(587, 659, false, false), At(0));
  EXPECT_EQ(At(kBias)->GetBlend().weight, 0.25f);
  At(kBias)->SetMouseEventsWhenDisabled(true);
  EXPECT_EQ(G().FindControlAt(587, 659, false, false), At(kBias));
  EXPECT_EQ(G().FindControlAt(587, 659, false, true), nullptr) << "hover needs its own flag";
  // Tracking off: no hover below the resizer rule.
  G().SetMouseOverEnabled(false);
  EXPECT_EQ(G().FindControlAt(300, 300, false, true), nullptr);
  // Positions that are not numbers find nothing.
  EXPECT_EQ(G().FindControlAt(std::nanf(""), 10, true, false), nullptr);
  EXPECT_EQ(G().FindControlAt(INFINITY, -INFINITY, true, false), nullptr);
  EXPECT_EQ(G().NCaptures(), 0);
}

TEST_F(Input, ExclusiveCaptureKeepsASecondPointerOff) {
  IMouseInfo second = Left(587, 659);
  second.pointerId = 1;
  G().SetExclusiveCapture(true);
  G().DispatchMouseDown({Left(587, 659), second});
  EXPECT_EQ(G().NCaptures(), 1);
  G().DispatchMouseUp({Left(587, 659), second});
  G().SetExclusiveCapture(false);
  G().DispatchMouseDown({Left(587, 659), second});
  EXPECT_EQ(G().NCaptures(), 2);
  G().DispatchMouseUp({Left(587, 659), second});
  EXPECT_EQ(G().NCaptures(), 0);
}

TEST_F(Input, HoverEntersAndLeavesAndSkipsTheBackground) {
  IMouseMod none;
  EXPECT_FALSE(G().DispatchMouseHover(20, 20, none)) << "empty background";
  EXPECT_FALSE(At(0)->GetMouseIsOver());
  EXPECT_TRUE(G().DispatchMouseHover(587, 659, none));
  EXPECT_TRUE(At(kBias)->GetMouseIsOver());
  EXPECT_TRUE(G().DispatchMouseHover(260, 339, none));
  EXPECT_FALSE(At(kBias)->GetMouseIsOver());
  EXPECT_TRUE(At(kInputHighlight)->GetMouseIsOver());
  float x = 0, y = 0;
  G().GetMouseLocation(x, y);
  EXPECT_EQ(x, 260.0f);
  EXPECT_EQ(y, 339.0f);
  // Over the resizer the diagonal cursor shows; leaving restores the old one.
  G().ClearLog();
  G().DispatchMouseHover(1620, 1000, none);
  EXPECT_EQ(G().GetMouseCursor(), kSizeNWSECursor);
  G().DispatchMouseHover(20, 20, none);
  EXPECT_EQ(G().GetMouseCursor(), kArrowCursor);
  EXPECT_EQ(G().Calls("SetPlatformCursor"), (std::vector<std::string>{"SetPlatformCursor(5)", "SetPlatformCursor(0)"}));
}

TEST_F(Input, TheWheelTurnsWholeNotchesOnly) {
  IMouseInfo p = Left(587, 659);
  p.ms.L = false;
  G().DispatchMouseWheel(p, 60);
  G().DispatchMouseWheel(p, -119);
  EXPECT_EQ(At(kBias)->GetValue(), 0.0);
  EXPECT_TRUE(page.delegate.events.empty()) << "a partial notch sends nothing";
  G().DispatchMouseWheel(p, 240);
  EXPECT_NEAR(At(kBias)->GetValue(), 0.02, 1e-12);
  EXPECT_EQ(page.delegate.events, (std::vector<std::string>{"Begin(6)", "Set(6,0.020000)", "End(6)"}))
      << "a turn is a gesture of its own";
  p.ms.C = true;
  G().DispatchMouseWheel(p, -120);
  EXPECT_NEAR(At(kBias)->GetValue(), 0.019, 1e-12);
  G().DispatchMouseWheel(p, -120000);
  EXPECT_EQ(At(kBias)->GetValue(), 0.0);
  EXPECT_EQ(page.delegate.Filter("Begin(").size(), 3u);
  EXPECT_TRUE(Balanced(page.delegate.events));
  // Turned while the knob is held, the wheel's change joins the open gesture.
  page.delegate.events.clear();
  G().DispatchMouseDown({Left(260, 339)});
  G().DispatchMouseWheel(Left(260, 339), 120);
  G().DispatchMouseUp({Left(260, 339)});
  EXPECT_EQ(page.delegate.events, (std::vector<std::string>{"Begin(0)", "Set(0,0.010000)", "End(0)"}));
}

TEST_F(Input, RightClicksOnKnobsAndTheLabelDoNothing) {
  G().ClearLog();
  G().DispatchMouseDown({Right(260, 339)});
  G().DispatchMouseUp({Right(260, 339)});
  G().DispatchMouseDown({Right(1555, 995)});
  G().DispatchMouseUp({Right(1555, 995)});
  EXPECT_EQ(At(kInputHighlight)->GetValue(), 0.0);
  EXPECT_TRUE(G().Calls("CreatePlatformPopupMenu").empty());
  EXPECT_TRUE(page.delegate.Filter("Set(").empty());
  EXPECT_EQ(G().NCaptures(), 0);
}

TEST_F(Input, QuickClicksOnASwitchFlipItTwice) {
  const IMouseInfo p = Left(1370, 430);
  G().DispatchMouseDown({p});
  G().DispatchMouseUp({p});
  EXPECT_EQ(At(kFlip)->GetValue(), 1.0);
  G().DispatchMouseDoubleClick(p);
  G().DispatchMouseUp({p});
  EXPECT_EQ(At(kFlip)->GetValue(), 0.0);
  EXPECT_EQ(At(kLamp)->GetValue(), 0.0) << "the lamp follows Bypass";
  EXPECT_EQ(page.delegate.Filter("Begin(4)").size(), 2u);
  EXPECT_EQ(page.delegate.Filter("End(4)").size(), 2u);
}

TEST_F(Input, ADoubleClickOnAKnobResetsItAndReleasesTheCapture) {
  At(kBias)->ApplyHostValue(0.7, 0);
  page.delegate.GetParam(6)->InitReal("Bias", 0.25, 0.0, 1.0, 0.001, "", fx::IParam::ShapeLinear());
  G().DispatchMouseDoubleClick(Left(587, 659));
  EXPECT_DOUBLE_EQ(At(kBias)->GetValue(), 0.25);
  EXPECT_EQ(G().NCaptures(), 0);
  EXPECT_EQ(page.delegate.events, (std::vector<std::string>{"Begin(6)", "Set(6,0.250000)", "End(6)"}))
      << "the reset is a gesture";
  G().DispatchMouseUp({Left(587, 659)});  // the button-up after the double click
  EXPECT_TRUE(Balanced(page.delegate.events));
  EXPECT_EQ(page.delegate.events.size(), 3u);
}

TEST_F(Input, AMiddleClickIsIgnoredAndTheNextLeftClickReachesTheSwitch) {
  // A middle press on a knob, its release never dispatched (as on Windows).
  G().DispatchMouseDown({Middle(260, 339)});
  EXPECT_EQ(G().NCaptures(), 0);
  EXPECT_FALSE(G().CursorHidden());
  EXPECT_TRUE(page.delegate.events.empty()) << "no gesture for a button the page does not use";
  G().DispatchMouseDoubleClick(Middle(260, 339));
  EXPECT_TRUE(page.delegate.events.empty());
  // The flip switch then gets the left click and toggles Bypass.
  G().DispatchMouseDown({Left(1370, 430)});
  G().DispatchMouseUp({Middle(1370, 430)});  // a button-up carries no button flag
  EXPECT_EQ(At(kFlip)->GetValue(), 1.0);
  EXPECT_EQ(page.delegate.GetParam(4)->GetValue(), 1.0);
  EXPECT_EQ(page.delegate.events, (std::vector<std::string>{"Begin(4)", "Set(4,1.000000)", "End(4)"}));
  EXPECT_EQ(G().NCaptures(), 0);
}

TEST_F(Input, ASecondButtonDuringADragOpensNoSecondGesture) {
  G().DispatchMouseDown({Left(260, 339)});
  G().DispatchMouseDrag({Left(260, 329, 0, -10)});
  // Another button pressed while the left is held: the left flag is still set.
  G().DispatchMouseDown({Left(260, 329)});
  EXPECT_EQ(page.delegate.Filter("Begin(").size(), 1u);
  G().DispatchMouseDrag({Left(260, 319, 0, -10)});
  G().DispatchMouseUp({Left(260, 319)});
  EXPECT_EQ(page.delegate.Filter("Set(0,").size(), 2u) << "the drag goes on";
  EXPECT_EQ(page.delegate.events.back(), "End(0)");
  EXPECT_TRUE(Balanced(page.delegate.events));
}

TEST_F(Input, ARightPressDuringALeftDragEndsTheGesture) {
  G().DispatchMouseDown({Left(260, 339)});
  G().DispatchMouseDrag({Left(260, 329, 0, -10)});
  ASSERT_TRUE(G().CursorHidden());
  IMouseInfo both = Right(260, 329);
  both.ms.L = true;
  G().DispatchMouseDown({both});
  EXPECT_EQ(G().NCaptures(), 0);
  EXPECT_FALSE(G().CursorHidden());
  EXPECT_EQ(page.delegate.events, (std::vector<std::string>{"Begin(0)", "Set(0,0.008503)", "End(0)"}));
  G().DispatchMouseUp({Right(260, 329)});
  G().DispatchMouseUp({Left(260, 329)});
  EXPECT_EQ(page.delegate.events.size(), 3u) << "the releases after it send nothing";
}

TEST_F(Input, EveryWayACaptureEndsClosesItsGesture) {
  // A host resize of the editor while a knob is held.
  G().DispatchMouseDown({Left(260, 339)});
  G().ResizeEditor(1630, 1010, 0.6f);
  EXPECT_EQ(G().NCaptures(), 0);
  EXPECT_TRUE(Balanced(page.delegate.events));
  G().DispatchMouseUp({Left(260, 339)});
  // A double click on another control while one is held.
  G().DispatchMouseDown({Left(260, 339)});
  G().DispatchMouseDoubleClick(Left(587, 659));
  EXPECT_EQ(G().NCaptures(), 0);
  EXPECT_TRUE(Balanced(page.delegate.events));
  // A press on the corner handle starts a resize; the held knob lets go.
  IMouseInfo other = Left(260, 339);
  other.pointerId = 1;
  G().DispatchMouseDown({other});
  G().DispatchMouseDown({Left(G().Width() - 2.0f, G().Height() - 2.0f)});
  ASSERT_TRUE(G().IsResizing());
  G().DispatchMouseDrag({Left(G().Width() + 40.0f, G().Height() + 40.0f, 42, 42)});
  EXPECT_EQ(G().NCaptures(), 0);
  EXPECT_TRUE(Balanced(page.delegate.events));
  G().DispatchMouseUp({Left(0, 0)});
  // The editor closing with a knob held.
  G().DispatchMouseDown({Left(260, 339)});
  ASSERT_TRUE(G().CursorHidden());
  G().ReleaseInput();
  EXPECT_EQ(G().NCaptures(), 0);
  EXPECT_FALSE(G().CursorHidden());
  EXPECT_TRUE(Balanced(page.delegate.events));
  // Clearing the page with a knob held.
  const auto begins = page.delegate.Filter("Begin(").size();
  G().DispatchMouseDown({Left(300, 300)});
  ASSERT_EQ(page.delegate.Filter("Begin(").size(), begins + 1);
  G().ClearControls();
  EXPECT_EQ(G().NCaptures(), 0);
  EXPECT_TRUE(Balanced(page.delegate.events));
}

TEST_F(Input, KeysGoToTheControlUnderTheMouseThenTheKeyFunction) {
  testing_support::TraceCapture traces;
  std::vector<std::string> keys;
  G().SetKeyFunction([&](const fx::IKeyPress& key, bool up) {
    keys.push_back(std::string(up ? "up:" : "down:") + std::string(key.utf8, strnlen(key.utf8, sizeof key.utf8)));
    return key.vk == 'A';
  });
  fx::IKeyPress a;
  a.vk = 'A';
  a.utf8[0] = 'a';
  EXPECT_TRUE(G().OnKeyDown(20, 20, a));
  fx::IKeyPress b;
  b.vk = 'B';
  std::memcpy(b.utf8, "bbbbb", 5);  // no terminator: the trace still ends
  EXPECT_FALSE(G().OnKeyUp(260.5f, 339.25f, b));
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0], "down:a");
  EXPECT_EQ(keys[1], "up:bbbbb");
  EXPECT_EQ(traces.TextsOf("IGraphics::OnKeyDown"), (std::vector<std::string>{"x:20.00, y:20.00, key:a"}));
  EXPECT_EQ(traces.TextsOf("IGraphics::OnKeyUp"), (std::vector<std::string>{"x:260.50, y:339.25, key:bbbb"}));
  G().SetKeyFunction({});
  EXPECT_FALSE(G().OnKeyDown(20, 20, a)) << "no key function: the host gets it";
}

TEST_F(Input, TheCornerResizerRescalesAndReloadsStripsWhenReleased) {
  page.delegate.SetLayoutFunction([](fx::IGraphicsContext&) {});
  G().DispatchMouseDown({Left(1600, 980)});
  EXPECT_TRUE(G().IsResizing());
  page.delegate.events.clear();
  G().DispatchMouseDrag({Left(1760, 1078, 160, 98)});
  EXPECT_NEAR(G().GetDrawScale(), 0.55f, 1e-6);
  EXPECT_EQ(page.delegate.events.back(), "Layout");
  G().DispatchMouseDrag({Left(1e9f, 1e9f, 1, 1)});
  EXPECT_EQ(G().GetDrawScale(), 1.0f) << "clamped to the maximum";
  G().DispatchMouseDrag({Left(std::nanf(""), 5, 1, 1)});
  EXPECT_EQ(G().GetDrawScale(), 1.0f);
  G().ClearLog();
  const int decodes = G().decodes;
  G().DispatchMouseUp({Left(1e9f, 1e9f)});
  EXPECT_FALSE(G().IsResizing());
  EXPECT_EQ(G().decodes, decodes) << "strips reload from the cache";
  const auto reloads = G().Calls("LoadBitmapStrip");
  ASSERT_EQ(reloads.size(), 17u) << "the background and the sixteen bitmap controls";
  EXPECT_EQ(reloads[0], "LoadBitmapStrip(Ombriskbackground.jpg,1,0,1)");
  EXPECT_EQ(reloads[1], "LoadBitmapStrip(ledOn.png,2,0,1)") << "at the screen scale, not the layout's 2";
  EXPECT_EQ(G().NControls(), 18);
  for (int i = 0; i < 18; ++i) EXPECT_TRUE(At(i)->IsDirty()) << i;
  // A double click on the handle goes back to the page size at scale 1.
  G().ResizeEditor(1630, 1010, 0.5f);
  G().DispatchMouseDoubleClick(Left(1625, 1005));
  EXPECT_EQ(G().GetDrawScale(), 1.0f);
  EXPECT_EQ(G().Width(), 1630);
}

TEST_F(Input, AControlRemovedWhileCapturedIsForgottenAndItsGestureEnds) {
  G().DispatchMouseDown({Left(587, 659)});
  IControl* bias = At(kBias);
  ASSERT_TRUE(G().IsCaptured(bias));
  G().DispatchMouseHover(587, 659, {});
  EXPECT_TRUE(G().RemoveControl(bias));
  EXPECT_FALSE(G().RemoveControl(bias));
  EXPECT_EQ(G().GetHoverControl(), nullptr);
  EXPECT_EQ(page.delegate.events, (std::vector<std::string>{"Begin(6)", "End(6)"}));
  G().DispatchMouseDrag({Left(587, 600, 0, -59)});
  G().DispatchMouseUp({Left(587, 600)});
  EXPECT_EQ(page.delegate.events.size(), 2u);
  EXPECT_EQ(G().NControls(), 17);
}

}  // namespace
