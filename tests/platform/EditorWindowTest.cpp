// The editor window's shared policy, run natively on both window systems'
// fakes: the Windows face on FakeWin32Api and the X11 face on FakeX11Api
// go through the same tests (buttons the page does not use, gestures that
// balance, capture, drags by the pointer's own movement with the cursor
// hidden, double clicks by timing, resizes with the GL context guarded,
// the opening sequence), and the rules the window core applies.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <map>
#include <memory>
#include <thread>

#include "FakeWin32Api.h"
#include "WindowTestDelegate.h"
#include "FakeX11Api.h"
#include "graphics/controls/IControl.h"
#include "platform/EditorWindowRules.h"
#include "platform/linux/IGraphicsLinux.h"
#include "platform/linux/X11WindowRules.h"
#include "platform/win/IGraphicsWin.h"
#include "platform/win/WinConstants.h"

namespace {

using namespace fx::igraphics;
using fx::x11::Event;
using fx::x11::test::FakeX11Api;

using Delegate = fx::test::WindowTestDelegate;

// A control bound to a parameter that hides and locks the cursor while pressed, as the knobs do.
class Probe : public IControl {
 public:
  explicit Probe(const IBounds& b, std::int32_t param = -1) : IControl(b, param) {}
  void Paint(IGraphics&) override {}
  void OnMousePress(float, float, const IMouseMod&) override {
    ++presses;
    if (GetUI()) GetUI()->HideCursor(true, true);
  }
  void OnMouseRelease(float, float, const IMouseMod&) override {
    ++releases;
    if (GetUI()) GetUI()->HideCursor(false, true);
  }
  void OnMouseDragged(float, float, float dx, float dy, const IMouseMod&) override {
    dxs.push_back(dx);
    dys.push_back(dy);
  }
  void OnMouseDoubleClick(float, float, const IMouseMod&) override { ++doubleClicks; }
  int presses = 0, releases = 0, doubleClicks = 0;
  std::vector<float> dxs, dys;
};

enum class Held { None, Left, Right };

// ---- the two faces behind one harness

struct WinFace {
  static constexpr const char* kName = "win32";
  fx::win::test::FakeWin32Api api;
  fx::win::Handle host = nullptr;
  std::unique_ptr<IGraphicsWin> g;
  std::uint32_t time = 10000;

  void Make(Delegate& d) {
    host = api.MakeHostWindow({100, 50, 1100, 750});
    api.currentContext = api.hostContext;  // the host draws with GL too
    g = std::make_unique<IGraphicsWin>(d, 1630, 1010, 60, 0.5f, api);
  }
  bool Open() { return g->OpenWindow(host) != nullptr; }
  std::intptr_t Send(std::uint32_t msg, std::uintptr_t wp, std::int32_t x, std::int32_t y) {
    api.ticks = time;
    const auto lp = static_cast<std::intptr_t>((static_cast<std::uint32_t>(y) << 16) | (x & 0xFFFF));
    return g->WindowMessage(g->GetEditorWindow(), msg, wp, lp);
  }
  static std::uintptr_t Bits(Held h) {
    return h == Held::Left ? fx::win::kMkLButton : h == Held::Right ? fx::win::kMkRButton : 0;
  }
  void Press(IGraphicsWindow::Button b, std::int32_t x, std::int32_t y, Held held = Held::None) {
    using namespace fx::win;
    const std::uint32_t msg = b == IGraphicsWindow::Button::Left    ? kWmLButtonDown
                              : b == IGraphicsWindow::Button::Right ? kWmRButtonDown
                                                                    : kWmMButtonDown;
    const std::uintptr_t own = b == IGraphicsWindow::Button::Left ? kMkLButton
                               : b == IGraphicsWindow::Button::Right ? kMkRButton : 0x10;
    Send(msg, Bits(held) | own, x, y);
  }
  void Release(IGraphicsWindow::Button b, std::int32_t x, std::int32_t y, Held held = Held::None) {
    using namespace fx::win;
    const std::uint32_t msg = b == IGraphicsWindow::Button::Left    ? kWmLButtonUp
                              : b == IGraphicsWindow::Button::Right ? kWmRButtonUp
                                                                    : kWmMButtonUp;
    Send(msg, Bits(held), x, y);
  }
  void Move(std::int32_t x, std::int32_t y, Held held) { Send(fx::win::kWmMouseMove, Bits(held), x, y); }
  void Wheel(std::int32_t x, std::int32_t y, std::int16_t delta) {
    fx::win::Rect r;
    api.GetWindowRect(g->GetEditorWindow(), r);
    api.ticks = time;
    const auto lp = static_cast<std::intptr_t>((static_cast<std::uint32_t>(y + r.top) << 16) | ((x + r.left) & 0xFFFF));
    g->WindowMessage(g->GetEditorWindow(), fx::win::kWmMouseWheel,
                     static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16, lp);
  }
  bool HostContextCurrent() const { return api.currentContext == api.hostContext; }
  bool Captured() const { return api.capture != nullptr; }
  int CursorHidden() const { return api.cursorShows < 0; }
  std::size_t Warps() const { return api.cursorMoves.size(); }
  // The switches of the GL context so far (any call that made a context current).
  std::size_t GlSwitches() const { return api.makeCurrentCalls; }
  std::pair<std::int32_t, std::int32_t> ParentSize() {
    fx::win::Rect r;
    api.GetWindowRect(host, r);
    return {r.W(), r.H()};
  }
};

struct X11Face {
  static constexpr const char* kName = "x11";
  FakeX11Api* x = nullptr;  // owned by g
  std::unique_ptr<IGraphicsLinux> g;
  std::uint32_t time = 10000;

  void Make(Delegate& d) {
    auto fake = std::make_unique<FakeX11Api>();
    x = fake.get();
    g = std::make_unique<IGraphicsLinux>(d, 1630, 1010, 60, 0.5f, std::move(fake));
  }
  bool Open() { return g->OpenWindow(reinterpret_cast<void*>(std::uintptr_t{0x200001})) != nullptr; }
  static std::uint32_t Bits(Held h) {
    return h == Held::Left ? fx::x11::kButton1Mask : h == Held::Right ? fx::x11::kButton3Mask : 0;
  }
  static std::uint32_t Number(IGraphicsWindow::Button b) {
    return b == IGraphicsWindow::Button::Left ? 1 : b == IGraphicsWindow::Button::Right ? 3 : 2;
  }
  void Push(const Event& e) {
    x->events.push_back(e);
    g->Idle();
  }
  void Press(IGraphicsWindow::Button b, std::int32_t px, std::int32_t py, Held held = Held::None) {
    Push(x->Button(Event::Type::Pressed, Number(b), px, py, Bits(held), time));
  }
  void Release(IGraphicsWindow::Button b, std::int32_t px, std::int32_t py, Held held = Held::None) {
    // The state of a release holds its own button too.
    const std::uint32_t own = b == IGraphicsWindow::Button::Left    ? fx::x11::kButton1Mask
                              : b == IGraphicsWindow::Button::Right ? fx::x11::kButton3Mask
                                                                    : (1u << 9);
    Push(x->Button(Event::Type::Released, Number(b), px, py, Bits(held) | own, time));
  }
  void Move(std::int32_t px, std::int32_t py, Held held) {
    Push(x->Button(Event::Type::Moved, 0, px, py, Bits(held), time));
  }
  void Wheel(std::int32_t px, std::int32_t py, std::int16_t delta) {
    Push(x->Button(Event::Type::Pressed, delta > 0 ? 4 : 5, px, py, 0, time));
    Push(x->Button(Event::Type::Released, delta > 0 ? 4 : 5, px, py, 0, time));
  }
  bool HostContextCurrent() const { return x->current == "host"; }
  bool Captured() const { return g->IsDragging(); }
  int CursorHidden() const { return x->cursor == "blank"; }
  std::size_t Warps() const { return x->warps.size(); }
  std::size_t GlSwitches() const {
    std::size_t n = 0;
    for (const std::string& s : x->glLog) n += (s == "ours" || s == "standin") ? 1 : 0;
    return n;
  }
  std::pair<std::int32_t, std::int32_t> ParentSize() const { return {x->parentSize.width, x->parentSize.height}; }
};

template <class Face>
class EditorWindowPolicy : public ::testing::Test {
 protected:
  void SetUp() override {
    face.Make(delegate);
    face.g->AddControl(std::make_unique<Probe>(IBounds{0, 0, 1630, 1010}));
    probe = static_cast<Probe*>(face.g->AddControl(std::make_unique<Probe>(IBounds{400, 200, 600, 400}, 0)));
    ASSERT_TRUE(face.Open());
  }
  Face face;
  Delegate delegate;
  Probe* probe = nullptr;
};

using Faces = ::testing::Types<WinFace, X11Face>;
class FaceNames {
 public:
  template <class T>
  static std::string GetName(int) {
    return T::kName;
  }
};
TYPED_TEST_SUITE(EditorWindowPolicy, Faces, FaceNames);

using B = IGraphicsWindow::Button;

// The probe covers pixels 200..300 x 100..200 at draw scale 0.5.

TYPED_TEST(EditorWindowPolicy, OpensInOneSequenceAndGivesTheHostItsContextBack) {
  EXPECT_EQ(this->delegate.layouts, 1);
  EXPECT_EQ(this->delegate.opened, 1);
  EXPECT_TRUE(this->face.HostContextCurrent());
  EXPECT_GT(this->face.GlSwitches(), 0u);
}

TYPED_TEST(EditorWindowPolicy, AMiddleClickReachesNothingAndTheNextLeftClickIsOrdinary) {
  auto& f = this->face;
  f.Press(B::Middle, 250, 150);
  EXPECT_EQ(this->probe->presses, 0);
  EXPECT_TRUE(this->delegate.gestures.empty());
  EXPECT_FALSE(f.Captured());
  EXPECT_FALSE(f.CursorHidden());
  f.Release(B::Middle, 250, 150);
  // A left click on the background goes to the background, not to the probe.
  f.time += 1000;
  f.Press(B::Left, 20, 20);
  f.Release(B::Left, 20, 20);
  EXPECT_EQ(this->probe->presses, 0);
  f.time += 1000;
  f.Press(B::Left, 250, 150);
  f.Release(B::Left, 250, 150);
  EXPECT_EQ(this->probe->presses, 1);
  EXPECT_EQ(this->probe->releases, 1);
  EXPECT_EQ(this->delegate.gestures, (std::vector<std::int32_t>{0, -1}));
  EXPECT_FALSE(f.Captured());
  EXPECT_FALSE(f.CursorHidden());
}

TYPED_TEST(EditorWindowPolicy, ARightPressDuringALeftDragEndsTheGestureAndTheCapture) {
  auto& f = this->face;
  f.Press(B::Left, 250, 150);
  f.Move(260, 150, Held::Left);
  f.Press(B::Right, 260, 150, Held::Left);
  f.Release(B::Right, 260, 150, Held::Left);
  f.Release(B::Left, 260, 150);
  EXPECT_TRUE(this->delegate.Balanced()) << ::testing::PrintToString(this->delegate.gestures);
  EXPECT_FALSE(f.Captured());
  EXPECT_FALSE(f.CursorHidden());
}

TYPED_TEST(EditorWindowPolicy, DragsFollowThePointersOwnMovementWithTheCursorHiddenUntilRelease) {
  auto& f = this->face;
  f.Press(B::Left, 250, 150);
  EXPECT_TRUE(f.Captured());
  EXPECT_TRUE(f.CursorHidden());
  // An absolute device (a tablet, xdotool) moves 2 pixels a step: every step
  // turns the control by the same amount, and the pointer is not warped back.
  for (int i = 1; i <= 5; ++i) f.Move(250, 150 - 2 * i, Held::Left);
  EXPECT_EQ(f.Warps(), 0u);
  ASSERT_EQ(this->probe->dys.size(), 5u);
  for (float dy : this->probe->dys) EXPECT_FLOAT_EQ(dy, -4.0f);  // 2 pixels at draw scale 0.5
  f.Release(B::Left, 250, 140);
  // Shown again where it was hidden.
  EXPECT_FALSE(f.CursorHidden());
  EXPECT_EQ(f.Warps(), 1u);
  EXPECT_FALSE(f.Captured());
  EXPECT_TRUE(this->delegate.Balanced());
}

TYPED_TEST(EditorWindowPolicy, DoubleClicksAreDecidedByTimingOnBothSystems) {
  auto& f = this->face;
  f.Press(B::Left, 250, 150);
  f.Release(B::Left, 250, 150);
  f.time += 200;
  f.Press(B::Left, 251, 151);
  f.Release(B::Left, 251, 151);
  EXPECT_EQ(this->probe->doubleClicks, 1);
  f.time += 1000;
  f.Press(B::Left, 250, 150);
  f.Release(B::Left, 250, 150);
  f.time += 500;  // too slow
  f.Press(B::Left, 250, 150);
  f.Release(B::Left, 250, 150);
  EXPECT_EQ(this->probe->doubleClicks, 1);
  EXPECT_FALSE(f.Captured());
  EXPECT_TRUE(this->delegate.Balanced()) << ::testing::PrintToString(this->delegate.gestures);
}

TYPED_TEST(EditorWindowPolicy, WheelTurnsAreWrappedInAGesture) {
  auto& f = this->face;
  f.Wheel(250, 150, 120);
  EXPECT_EQ(this->delegate.gestures, (std::vector<std::int32_t>{0, -1}));
}

TYPED_TEST(EditorWindowPolicy, AResizeTouchesGlOnlyWithOurContextAndGrowsAParentThatRefused) {
  auto& f = this->face;
  const auto parentBefore = f.ParentSize();
  const std::size_t switches = f.GlSwitches();
  // The corner drag's resize, started from input with the host's context current.
  f.g->ResizeEditor(1630, 1010, 0.6f);
  EXPECT_GT(f.GlSwitches(), switches);  // the page's frame buffer was remade in our context
  EXPECT_TRUE(f.HostContextCurrent());
  const auto parentAfter = f.ParentSize();
  // 1630 x 0.6 = 978 (163 more), 1010 x 0.6 = 606 (101 more).
  EXPECT_EQ(parentAfter.first - parentBefore.first, 163);
  EXPECT_EQ(parentAfter.second - parentBefore.second, 101);
}

// ---- only X11: the host's idle calls

TEST(EditorWindowX11Idle, AnIdleEditorMakesNoRequestAndNoGlSwitch) {
  Delegate delegate;
  auto fake = std::make_unique<FakeX11Api>();
  FakeX11Api* x = fake.get();
  IGraphicsLinux g(delegate, 1630, 1010, 60, 0.5f, std::move(fake));
  g.AddControl(std::make_unique<Probe>(IBounds{0, 0, 1630, 1010}));
  ASSERT_NE(g.OpenWindow(reinterpret_cast<void*>(std::uintptr_t{0x200001})), nullptr);
  // The first frames present the page.
  for (int i = 0; i < 100 && x->swaps == 0; ++i) {
    g.Idle();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_GT(x->swaps, 0);
  const int requests = x->requests;
  const std::size_t switches = x->glLog.size();
  for (int i = 0; i < 50; ++i) {
    g.Idle();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(x->requests, requests);
  EXPECT_EQ(x->glLog.size(), switches);
  // An expose repaints once.
  Event expose;
  expose.type = Event::Type::Exposed;
  x->events.push_back(expose);
  const int swaps = x->swaps;
  for (int i = 0; i < 100 && x->swaps == swaps; ++i) {
    g.Idle();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(x->swaps, swaps + 1);
  EXPECT_EQ(x->current, "host");
}

// Idle calls, a millisecond apart, until `done` holds (or 200 have gone by):
// the frame clock lets a frame through once its interval has passed.
template <class Done>
void IdleUntil(IGraphicsLinux& g, Done done) {
  for (int i = 0; i < 200 && !done(); ++i) {
    g.Idle();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

TEST(EditorWindowX11Idle, AWindowExposedAtOpenShowsItsFirstFrameThereAndOneHiddenWaitsForItsExpose) {
  for (const bool viewable : {true, false}) {
    SCOPED_TRACE(viewable ? "viewable parent" : "parent not viewable");
    Delegate delegate;
    auto fake = std::make_unique<FakeX11Api>();
    FakeX11Api* x = fake.get();
    x->parentViewable = viewable;
    IGraphicsLinux g(delegate, 1630, 1010, 60, 0.5f, std::move(fake));
    g.AddControl(std::make_unique<Probe>(IBounds{0, 0, 1630, 1010}));
    ASSERT_NE(g.OpenWindow(reinterpret_cast<void*>(std::uintptr_t{0x200001})), nullptr);
    EXPECT_EQ(x->swaps, viewable ? 1 : 0) << "before any idle call";
    EXPECT_EQ(g.NPaints(), viewable ? 1 : 0);
    EXPECT_EQ(x->current, "host");
    if (!viewable) {
      Event expose;
      expose.type = Event::Type::Exposed;
      x->events.push_back(expose);
    }
    IdleUntil(g, [&] { return x->swaps > 0; });
    ASSERT_EQ(x->swaps, 1);
    // The expose that came with the map was answered by that frame: idle
    // calls after it present nothing more.
    const int requests = x->requests;
    for (int i = 0; i < 40; ++i) {
      g.Idle();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(x->swaps, 1);
    EXPECT_EQ(x->requests, requests);
    EXPECT_TRUE(x->events.empty());
  }
}

TEST(EditorWindowX11Idle, AFrameOfOneControlPresentsOnlyItsPixelsWhereTheServerCanCopyPartOfTheBuffer) {
  Delegate delegate;
  auto fake = std::make_unique<FakeX11Api>();
  FakeX11Api* x = fake.get();
  x->canCopySubBuffer = true;
  IGraphicsLinux g(delegate, 1630, 1010, 60, 0.5f, std::move(fake));
  g.AddControl(std::make_unique<Probe>(IBounds{0, 0, 1630, 1010}));
  IControl* probe = g.AddControl(std::make_unique<Probe>(IBounds{400, 200, 600, 400}, 0));
  ASSERT_NE(g.OpenWindow(reinterpret_cast<void*>(std::uintptr_t{0x200001})), nullptr);
  const auto idleUntil = [&](auto done) { IdleUntil(g, done); };
  // The first frame is the whole page: swapped.
  idleUntil([&] { return x->swaps > 0; });
  ASSERT_EQ(x->swaps, 1);
  EXPECT_TRUE(x->copies.empty());
  probe->MarkDirty(false);
  idleUntil([&] { return !x->copies.empty(); });
  // 400..600 x 200..400 grown by 0.75 at 0.5 pixels a unit: 199..301 x 99..201,
  // from the bottom of the 505-pixel window.
  ASSERT_EQ(x->copies.size(), 1u);
  EXPECT_EQ(x->copies[0], (std::vector<std::int32_t>{199, 505 - 201, 102, 102}));
  EXPECT_EQ(x->swaps, 1);
  // After an expose the whole page is swapped again.
  Event expose;
  expose.type = Event::Type::Exposed;
  x->events.push_back(expose);
  idleUntil([&] { return x->swaps > 1; });
  EXPECT_EQ(x->swaps, 2);
  EXPECT_EQ(x->copies.size(), 1u);
}

TEST(EditorWindowX11Idle, AControlDrawnInLayersIsPresentedAsOneRectangle) {
  Delegate delegate;
  auto fake = std::make_unique<FakeX11Api>();
  FakeX11Api* x = fake.get();
  x->canCopySubBuffer = true;
  IGraphicsLinux g(delegate, 1630, 1010, 60, 0.5f, std::move(fake));
  g.AddControl(std::make_unique<Probe>(IBounds{0, 0, 1630, 1010}));
  // A knob's shadow reaching below its body and highlight, the highlight
  // holding the body, and a control far from them.
  IControl* shadow = g.AddControl(std::make_unique<Probe>(IBounds{137, 286, 391, 536}, 0));
  IControl* body = g.AddControl(std::make_unique<Probe>(IBounds{137, 206, 385, 456}, 0));
  IControl* highlight = g.AddControl(std::make_unique<Probe>(IBounds{126, 192, 398, 490}, 0));
  IControl* far = g.AddControl(std::make_unique<Probe>(IBounds{1300, 800, 1400, 900}, 1));
  ASSERT_NE(g.OpenWindow(reinterpret_cast<void*>(std::uintptr_t{0x200001})), nullptr);
  const auto idleUntil = [&](auto done) { IdleUntil(g, done); };
  idleUntil([&] { return x->swaps > 0; });
  ASSERT_EQ(x->swaps, 1);
  for (IControl* c : {shadow, body, highlight}) c->MarkDirty(false);
  idleUntil([&] { return !x->copies.empty(); });
  // 126..398 x 192..536, grown by 0.75 at 0.5 pixels a unit: 62..200 x 95..269.
  ASSERT_EQ(x->copies.size(), 1u);
  EXPECT_EQ(x->copies[0], (std::vector<std::int32_t>{62, 505 - 269, 138, 174}));
  // Far apart, two rectangles stay two: their bounding box would copy more.
  x->copies.clear();
  body->MarkDirty(false);
  far->MarkDirty(false);
  idleUntil([&] { return !x->copies.empty(); });
  EXPECT_EQ(x->copies.size(), 2u);
}

TEST(EditorWindowRules, PresentRectanglesMergeWhereTheirBoundingBoxCostsNoMorePixels) {
  using Rect = IGraphicsVector::PixelRect;
  const auto merged = [](std::vector<Rect> rects) {
    IGraphicsWindow::MergeForPresent(rects);
    return rects;
  };
  // Held by another: the larger stays.
  EXPECT_EQ(merged({{10, 10, 50, 50}, {20, 20, 10, 10}}), (std::vector<Rect>{{10, 10, 50, 50}}));
  EXPECT_EQ(merged({{20, 20, 10, 10}, {10, 10, 50, 50}}), (std::vector<Rect>{{10, 10, 50, 50}}));
  // Touching along a whole edge: the box is exactly the two.
  EXPECT_EQ(merged({{0, 0, 10, 10}, {10, 0, 10, 10}}), (std::vector<Rect>{{0, 0, 20, 10}}));
  // Overlapping mostly: the box (12 x 10) holds fewer pixels than the two (200).
  EXPECT_EQ(merged({{0, 0, 10, 10}, {2, 0, 10, 10}}), (std::vector<Rect>{{0, 0, 12, 10}}));
  // Overlapping at a corner: the box (15 x 15 = 225) is more than the two (200).
  EXPECT_EQ(merged({{0, 0, 10, 10}, {5, 5, 10, 10}}).size(), 2u);
  // A pixel apart: not merged.
  EXPECT_EQ(merged({{0, 0, 10, 10}, {11, 0, 10, 10}}).size(), 2u);
  // Merging one pair can make a third mergeable: a row of three.
  EXPECT_EQ(merged({{0, 0, 10, 10}, {20, 0, 10, 10}, {10, 0, 10, 10}}), (std::vector<Rect>{{0, 0, 30, 10}}));
  EXPECT_TRUE(merged({}).empty());
  // Every pixel of the input stays covered.
  const std::vector<Rect> input = {{5, 5, 40, 30}, {30, 20, 40, 40}, {0, 60, 10, 10}, {8, 8, 4, 4}, {60, 0, 5, 80}};
  const std::vector<Rect> output = merged(input);
  const auto covers = [](const std::vector<Rect>& rects, int px, int py) {
    for (const Rect& r : rects)
      if (px >= r.x && px < r.x + r.w && py >= r.y && py < r.y + r.h) return true;
    return false;
  };
  for (int py = 0; py < 100; ++py) {
    for (int px = 0; px < 100; ++px) {
      if (covers(input, px, py)) {
        ASSERT_TRUE(covers(output, px, py)) << px << ',' << py;
      }
    }
  }
}

TEST(EditorWindowX11Close, AfterTheHostDestroyedItsWindowTheCloseUsesAStandIn) {
  Delegate delegate;
  auto fake = std::make_unique<FakeX11Api>();
  FakeX11Api* x = fake.get();
  auto g = std::make_unique<IGraphicsLinux>(delegate, 1630, 1010, 60, 0.5f, std::move(fake));
  ASSERT_NE(g->OpenWindow(reinterpret_cast<void*>(std::uintptr_t{0x200001})), nullptr);
  Event destroyed;
  destroyed.type = Event::Type::Destroyed;
  x->events.push_back(destroyed);
  g->Idle();
  x->glLog.clear();
  g->CloseWindow();
  EXPECT_EQ(x->glLog, (std::vector<std::string>{"save", "standin", "restore"}));
  EXPECT_EQ(x->current, "host");
  EXPECT_EQ(x->windowsDestroyed, 1);
  EXPECT_EQ(x->displaysClosed, 1);
}

// ---- the guard itself

class CountingSwitch : public GlContextSwitch {
 public:
  bool canMake = true;
  std::vector<std::string> log;

 protected:
  void SaveThreadContext() override { log.push_back("save"); }
  bool MakeEditorContextCurrent() override {
    log.push_back(canMake ? "ours" : "none");
    return canMake;
  }
  void RestoreThreadContext() override { log.push_back("restore"); }
};

TEST(GlContextGuard, OnlyTheOutermostGuardSwitchesAndAFailedSwitchTestsFalse) {
  CountingSwitch s;
  {
    GlContextGuard outer(s);
    EXPECT_TRUE(static_cast<bool>(outer));
    GlContextGuard inner(s);
    EXPECT_TRUE(static_cast<bool>(inner));
  }
  EXPECT_EQ(s.log, (std::vector<std::string>{"save", "ours", "restore"}));
  s.log.clear();
  s.canMake = false;
  {
    GlContextGuard g(s);
    EXPECT_FALSE(static_cast<bool>(g));
  }
  EXPECT_EQ(s.log, (std::vector<std::string>{"save", "none", "restore"}));
}

// ---- rules

TEST(EditorWindowRules, OpeningSizeFollowsTheDrawingBackendsRounding) {
  PixelSize s = OpeningSize(1630, 1010, 0.5f, 1.0f);
  EXPECT_EQ(s.width, 815);
  EXPECT_EQ(s.height, 505);
  s = OpeningSize(1630, 1010, 0.5f, 2.0f);
  EXPECT_EQ(s.width, 1630);
  EXPECT_EQ(s.height, 1010);
  // 1631 x 0.5 = 815.5 -> 815 whole page pixels before the screen scale.
  s = OpeningSize(1631, 1011, 0.5f, 1.5f);
  EXPECT_EQ(s.width, 1222);
  EXPECT_EQ(s.height, 757);
  s = OpeningSize(1630, 1010, std::nanf(""), -1.0f);
  EXPECT_EQ(s.width, 1630);
  EXPECT_EQ(s.height, 1010);
}

TEST(EditorWindowRules, FrameClockPacesFramesAtTheFrameRate) {
  FrameClock clock(60);
  EXPECT_EQ(clock.IntervalMs(), 16u);
  clock.Reset(1000);
  EXPECT_TRUE(clock.Tick(1000));  // the first frame at once
  EXPECT_FALSE(clock.Tick(1000));
  EXPECT_FALSE(clock.Tick(1015));
  EXPECT_TRUE(clock.Tick(1016));
  // Slightly late: the next stays on the grid, not 16 after the late tick.
  EXPECT_TRUE(clock.Tick(1035));
  EXPECT_FALSE(clock.Tick(1047));
  EXPECT_TRUE(clock.Tick(1048));
  // Idle calls every 5 ms for a second give 60 or so frames, not 200.
  int frames = 0;
  for (std::uint64_t t = 2000; t < 3000; t += 5) frames += clock.Tick(t) ? 1 : 0;
  EXPECT_GE(frames, 50);
  EXPECT_LE(frames, 67);
}

TEST(EditorWindowRules, FrameClockALongPauseGivesOneFrameNotABurst) {
  FrameClock clock(60);
  clock.Reset(0);
  EXPECT_TRUE(clock.Tick(0));
  EXPECT_TRUE(clock.Tick(5000));  // the host stopped idling for 5 s
  EXPECT_FALSE(clock.Tick(5001));
  EXPECT_FALSE(clock.Tick(5015));
  EXPECT_TRUE(clock.Tick(5016));
}

TEST(EditorWindowRules, FrameClockOddFrameRates) {
  EXPECT_EQ(FrameClock(0).IntervalMs(), 16u);
  EXPECT_EQ(FrameClock(-5).IntervalMs(), 16u);
  EXPECT_EQ(FrameClock(30).IntervalMs(), 33u);
  EXPECT_EQ(FrameClock(5000).IntervalMs(), 1u);
}

TEST(EditorWindowRules, ClickTrackerSecondPressOfTheSameButtonCloseByIsADoubleClick) {
  ClickTracker t;
  EXPECT_FALSE(t.Press(1, 100, 100, 1000));
  EXPECT_TRUE(t.Press(1, 102, 97, 1300));
  // The third press starts over.
  EXPECT_FALSE(t.Press(1, 102, 97, 1400));
  EXPECT_TRUE(t.Press(1, 102, 97, 1800));  // exactly 400 ms still counts
}

TEST(EditorWindowRules, ClickTrackerTooLateTooFarOrAnotherButtonIsNot) {
  ClickTracker t;
  EXPECT_FALSE(t.Press(1, 10, 10, 0));
  EXPECT_FALSE(t.Press(1, 10, 10, 401));  // too late; this press arms anew
  EXPECT_FALSE(t.Press(1, 15, 10, 500));  // 5 pixels away
  EXPECT_FALSE(t.Press(3, 15, 10, 600));  // another button
  EXPECT_TRUE(t.Press(3, 15, 14, 700));
  t.Forget();
  EXPECT_FALSE(t.Press(1, 0, 0, 800));
  t.Forget();
  EXPECT_FALSE(t.Press(1, 0, 0, 900));
}

TEST(EditorWindowRules, ClickTrackerServerClockWrapIsAShortInterval) {
  ClickTracker t;
  EXPECT_FALSE(t.Press(1, 0, 0, 0xFFFFFF00u));
  EXPECT_TRUE(t.Press(1, 0, 0, 0x00000010u));  // 272 ms later across the wrap
  // A time before the first press is not a double click.
  EXPECT_FALSE(t.Press(1, 0, 0, 5000));
  EXPECT_FALSE(t.Press(1, 0, 0, 4000));
}

}  // namespace
