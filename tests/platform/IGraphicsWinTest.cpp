// The editor window on the fake Win32 layer: opening and closing (class
// counting, size, GL context, host context restored, reopening in place,
// failure paths), pacing (timer, vertical-blank thread, serials), the frame
// tick (screen scale, dirty areas, text entry), messages (mouse, pen/touch
// filter, keys, wheel) and the services (menus, text entry, clipboard, URL,
// dialogs, cursor, fonts).

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

#include "FakeWin32Api.h"
#include "WindowTestDelegate.h"
#include "graphics/controls/IControl.h"
#include "platform/win/IGraphicsWin.h"
#include "platform/win/WglShareGroup.h"
#include "platform/win/WinConstants.h"

// Debian's DejaVu fonts; under Wine the Unix root is drive Z:.
#if defined(_WIN32)
#define FX_FONT_DIR "Z:/usr/share/fonts/truetype/dejavu/"
#else
#define FX_FONT_DIR "/usr/share/fonts/truetype/dejavu/"
#endif

namespace {

using namespace fx::win;
using fx::igraphics::IBounds;
using fx::igraphics::IControl;
using fx::igraphics::IGraphics;
using fx::igraphics::IGraphicsWin;
using fx::igraphics::IMouseMod;
using fx::igraphics::IPopupMenu;
using test::FakeWin32Api;

using Delegate = fx::test::WindowTestDelegate;

class Probe : public IControl {
 public:
  explicit Probe(const IBounds& b, std::int32_t param = -1) : IControl(b, param) {}
  void Paint(IGraphics&) override {}
  void OnMousePress(float x, float y, const IMouseMod& m) override {
    presses.push_back({x, y});
    mods.push_back(m);
  }
  void OnMouseRelease(float x, float y, const IMouseMod&) override { releases.push_back({x, y}); }
  void OnMouseDragged(float x, float y, float dx, float dy, const IMouseMod&) override {
    drags.push_back({x, y, dx, dy});
  }
  void OnMouseDoubleClick(float, float, const IMouseMod&) override { ++doubleClicks; }
  void OnMouseWheelTurn(float, float, const IMouseMod&, float d) override { wheel.push_back(d); }
  bool OnKeyPress(float, float, const fx::IKeyPress& key) override {
    keys.push_back(key.vk);
    return handleKeys;
  }
  void OnDropped(const char* path) override { dropped = path; }
  std::vector<std::pair<float, float>> presses, releases;
  std::vector<IMouseMod> mods;
  std::vector<std::vector<float>> drags;
  std::vector<float> wheel;
  std::vector<std::int32_t> keys;
  int doubleClicks = 0;
  bool handleKeys = true;
  std::string dropped;
};

std::intptr_t Pos(int x, int y) { return static_cast<std::intptr_t>((static_cast<std::uint32_t>(y) << 16) | (x & 0xFFFF)); }

class EditorWindow : public ::testing::Test {
 protected:
  void SetUp() override { host = api.MakeHostWindow({100, 50, 1100, 750}); }
  std::unique_ptr<IGraphicsWin> Make(std::int32_t fps = 60) {
    auto g = std::make_unique<IGraphicsWin>(delegate, 1630, 1010, fps, 0.5f, api);
    return g;
  }
  // A background and a probe in the middle of the page (layout units).
  Probe* AddProbe(IGraphicsWin& g, std::int32_t param = -1) {
    g.AddControl(std::make_unique<Probe>(IBounds{0, 0, 1630, 1010}));
    return static_cast<Probe*>(g.AddControl(std::make_unique<Probe>(IBounds{400, 200, 600, 400}, param)));
  }
  std::intptr_t Msg(IGraphicsWin& g, std::uint32_t msg, std::uintptr_t wp = 0, std::intptr_t lp = 0) {
    return g.WindowMessage(g.GetEditorWindow(), msg, wp, lp);
  }
  FakeWin32Api api;
  Delegate delegate;
  Handle host = nullptr;
};

// ---------------------------------------------------------------- open and close

TEST_F(EditorWindow, OpensAChildWindowWithContextAndRestoresTheHostsContext) {
  auto g = Make();
  api.MakeCurrent(reinterpret_cast<Handle>(0x99), api.hostContext);  // the host's own GL context
  Handle window = g->OpenWindow(host);
  ASSERT_NE(window, nullptr);
  const auto& w = api.windows[window];
  EXPECT_EQ(w.className, "IFxWndClass");
  EXPECT_EQ(w.style, 0x56000000u);
  EXPECT_EQ(w.parent, host);
  EXPECT_EQ(w.rect.W(), 815);
  EXPECT_EQ(w.rect.H(), 505);
  EXPECT_EQ(w.rect.left, 100);  // at (0, 0) of the parent
  EXPECT_EQ(api.GetUserData(window), g.get());
  EXPECT_EQ(api.focus, window);
  EXPECT_TRUE(api.acceptsFiles[window]);
  // Asked with a copying swap; the only format offered exchanges, so the frames present whole.
  EXPECT_EQ(api.wantedFormat, (PixelFormatInfo{0x425, 0, 32, 0, 24, 8}));
  EXPECT_EQ(api.setFormat, 1);
  EXPECT_FALSE(g->SwapsByCopying());
  EXPECT_EQ(api.glContexts.size(), 1u);
  EXPECT_EQ(api.currentContext, api.hostContext);
  EXPECT_EQ(api.currentDC, reinterpret_cast<Handle>(0x99));
  EXPECT_EQ(api.timers.at({window, 2}), 15u);
  EXPECT_EQ(delegate.opened, 1);
  EXPECT_EQ(delegate.layouts, 1);
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 1);

  g->CloseWindow();
  EXPECT_EQ(api.LiveWindows(), 1u);  // the host's only
  EXPECT_TRUE(api.glContexts.empty());
  EXPECT_TRUE(api.timers.empty());
  EXPECT_TRUE(api.dcs.empty());
  EXPECT_TRUE(api.classes.empty());
  EXPECT_EQ(api.currentContext, api.hostContext);
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);
  g->CloseWindow();  // closing a closed editor does nothing
  EXPECT_EQ(api.unregistrations, 1);
}

TEST_F(EditorWindow, TheClassIsRegisteredOnceForTwoEditorsAndGoesWithTheLast) {
  auto a = Make();
  auto b = Make(30);
  Handle wa = a->OpenWindow(host);
  Handle wb = b->OpenWindow(host);
  ASSERT_NE(wa, nullptr);
  ASSERT_NE(wb, nullptr);
  EXPECT_EQ(api.registrations, 1);
  EXPECT_EQ(api.timers.at({wb, 2}), 33u);
  a->CloseWindow();
  EXPECT_EQ(api.classes.count("IFxWndClass"), 1u);
  EXPECT_TRUE(api.IsWindow(wb));
  b.reset();  // destruction closes
  EXPECT_TRUE(api.classes.empty());
  EXPECT_EQ(api.unregistrations, 1);
  EXPECT_EQ(api.LiveWindows(), 1u);
}

// One GL share group per thread: each later editor's context shares the
// first live one's names while still fresh (the fake refuses a context that
// was ever current), a refusal leaves that editor on its own objects, and
// the group goes with its last editor.
TEST_F(EditorWindow, TheEditorsOfAThreadShareOneGlGroupWhichGoesWithTheLast) {
  const auto newContext = [&](const std::set<Handle>& before) {
    for (Handle c : api.glContexts)
      if (!before.count(c)) return c;
    return Handle{nullptr};
  };
  auto a = Make(), b = Make(), c = Make();
  ASSERT_NE(a->OpenWindow(host), nullptr);
  const Handle ca = newContext({});
  EXPECT_TRUE(api.shareLists.empty()) << "the first context has nobody to share with";
  EXPECT_EQ(WglShareGroup::Count(), 1);
  std::set<Handle> before = api.glContexts;
  ASSERT_NE(b->OpenWindow(host), nullptr);
  const Handle cb = newContext(before);
  ASSERT_EQ(api.shareLists.size(), 1u);
  EXPECT_EQ(api.shareLists[0], std::make_pair(ca, cb));
  EXPECT_EQ(WglShareGroup::Count(), 1);
  // The first editor goes; the next one shares with the one left.
  a->CloseWindow();
  before = api.glContexts;
  ASSERT_NE(c->OpenWindow(host), nullptr);
  ASSERT_EQ(api.shareLists.size(), 2u);
  EXPECT_EQ(api.shareLists[1], std::make_pair(cb, newContext(before)));
  // An editor on another thread has a group of its own.
  std::thread([&] {
    auto d = Make();
    EXPECT_NE(d->OpenWindow(host), nullptr);
    EXPECT_EQ(WglShareGroup::Count(), 2);
    d->CloseWindow();
  }).join();
  EXPECT_EQ(api.shareLists.size(), 2u);
  EXPECT_EQ(WglShareGroup::Count(), 1);
  b->CloseWindow();
  c->CloseWindow();
  EXPECT_EQ(WglShareGroup::Count(), 0) << "the last editor takes the group with it";
  EXPECT_TRUE(api.glContexts.empty());

  // A system that will not share: the second editor opens on its own objects.
  api.failShareLists = true;
  ASSERT_NE(a->OpenWindow(host), nullptr);
  ASSERT_NE(b->OpenWindow(host), nullptr);
  EXPECT_EQ(api.shareLists.size(), 3u);
  EXPECT_EQ(api.glContexts.size(), 2u);
  EXPECT_EQ(WglShareGroup::Count(), 1);
  a->CloseWindow();
  b->CloseWindow();
  EXPECT_EQ(WglShareGroup::Count(), 0) << "the unshared editor left nothing behind";
}

TEST_F(EditorWindow, ReopeningKeepsThePlaceAndSize) {
  auto g = Make();
  Handle first = g->OpenWindow(host);
  api.SetWindowPos(first, nullptr, {130, 90, 130 + 815, 90 + 505}, 0);  // the host moved it
  Handle second = g->OpenWindow(host);
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(api.IsWindow(first));
  EXPECT_EQ(api.windows[second].rect, (Rect{130, 90, 945, 595}));
  EXPECT_EQ(api.glContexts.size(), 1u);
  EXPECT_EQ(api.registrations, 2);  // the old window's close unregistered the class
  g.reset();
  EXPECT_TRUE(api.classes.empty());
}

TEST_F(EditorWindow, FailuresGiveNoWindowOrABlankEditorAndRestoreTheCount) {
  auto g = Make();
  EXPECT_EQ(g->OpenWindow(reinterpret_cast<Handle>(0x12345)), nullptr);  // not a window
  EXPECT_EQ(g->OpenWindow(nullptr), nullptr);
  EXPECT_TRUE(api.classes.empty());
  EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);
  EXPECT_EQ(delegate.opened, 0);

  api.failCreateWindow = true;
  EXPECT_EQ(g->OpenWindow(host), nullptr);
  EXPECT_TRUE(api.classes.empty());
  api.failCreateWindow = false;

  // No GL context: the window opens and stays blank; painting does nothing.
  api.failGlContext = true;
  Handle window = g->OpenWindow(host);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(g->HasRenderer());
  api.updateRegionKind = 2;
  api.updateRects = {{0, 0, 815, 505}};
  Msg(*g, kWmPaint);
  EXPECT_EQ(api.swaps, 0);
  EXPECT_EQ(api.LiveRegions(), 0u);
  g->CloseWindow();
  EXPECT_TRUE(api.classes.empty());

  api.failGlContext = false;
  api.failPixelFormat = true;
  ASSERT_NE(g->OpenWindow(host), nullptr);
  EXPECT_TRUE(api.glContexts.empty());
  g->CloseWindow();
}

TEST_F(EditorWindow, At144DpiTheWindowOpensAtOneAndTheTickAppliesOneAndAHalf) {
  api.dpi = 144;
  auto g = Make();
  Handle window = g->OpenWindow(host);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(api.windows[window].rect.W(), 815);
  EXPECT_FLOAT_EQ(g->GetScreenScale(), 1.0f);
  Msg(*g, kWmTimer, kFrameTimerId);
  EXPECT_FLOAT_EQ(g->GetScreenScale(), 1.5f);
  EXPECT_EQ(api.windows[window].rect.W(), 1222);  // int(815 x 1.5)
  EXPECT_EQ(api.windows[window].rect.H(), 757);
  // Not while a button is held in the editor.
  api.dpi = 192;
  Msg(*g, kWmLButtonDown, kMkLButton, Pos(20, 20));
  EXPECT_EQ(api.capture, window);
  Msg(*g, kWmTimer, kFrameTimerId);
  EXPECT_FLOAT_EQ(g->GetScreenScale(), 1.5f);
  Msg(*g, kWmLButtonUp, 0, Pos(20, 20));
  Msg(*g, kWmTimer, kFrameTimerId);
  EXPECT_FLOAT_EQ(g->GetScreenScale(), 2.0f);
}

TEST_F(EditorWindow, PlatformResizeGrowsTheParentByTheSameDelta) {
  auto g = Make();
  Handle child = api.MakeHostWindow({0, 0, 900, 600});
  api.windows[child].style = kWsChild;
  api.windows[child].parent = host;
  Handle window = g->OpenWindow(child);
  ASSERT_NE(window, nullptr);
  api.windows[window].style = kEditorWindowStyle;
  g->ResizeEditor(1630, 1010, 0.6f);
  EXPECT_EQ(api.windows[window].rect.W(), 978);
  EXPECT_EQ(api.windows[window].rect.H(), 606);
  EXPECT_EQ(api.windows[child].rect.W(), 900 + 978 - 815);
  EXPECT_EQ(api.windows[child].rect.H(), 600 + 606 - 505);
  ASSERT_FALSE(delegate.resizes.empty());
  EXPECT_EQ(delegate.resizes.back(), std::make_pair(978, 606));
}

// ---------------------------------------------------------------- frames and paint

TEST_F(EditorWindow, TheTickInvalidatesDirtyAreasInPixelsAndPaintUsesTheUpdateRegion) {
  auto g = Make();
  Probe* probe = AddProbe(*g);
  g->OpenWindow(host);
  Msg(*g, kWmTimer, kFrameTimerId);  // everything is dirty after open
  ASSERT_FALSE(api.invalidated.empty());
  api.invalidated.clear();
  Msg(*g, kWmTimer, kFrameTimerId);
  EXPECT_TRUE(api.invalidated.empty());  // nothing changed, nothing invalidated
  probe->MarkDirty(false);
  Msg(*g, kWmTimer, kFrameTimerId);
  ASSERT_EQ(api.invalidated.size(), 1u);
  // 400..600 x 200..400 grown by 0.75, at 0.5 pixels per unit.
  EXPECT_EQ(api.invalidated[0], (Rect{199, 99, 301, 201}));
  EXPECT_GE(api.updates, 3);

  // A paint of a complex region with two rectangles, then of a simple one.
  api.updateRegionKind = 3;
  api.updateRects = {{0, 0, 10, 10}, {20, 20, 30, 30}};
  EXPECT_EQ(Msg(*g, kWmPaint), 0);
  EXPECT_EQ(api.validated.back(), (Rect{-1, -1, -1, -1}));
  EXPECT_EQ(api.LiveRegions(), 0u);
}

// Where the swap copies, a paint of part of the page presents that part
// (hinted to the swap where GL_WIN_swap_hint is offered); the first paint,
// a region that is the whole page, a resized window and a resized page are
// presented whole.
TEST_F(EditorWindow, WhereTheSwapCopiesAPaintOfPartOfThePagePresentsOnlyThatPart) {
  api.pixelFormats = {{kPixelFormatFlags | kPfdSwapCopy, 0, 32, 8, 24, 8}};
  api.swapHintOffered = true;
  auto g = Make();
  Probe* probe = AddProbe(*g);
  ASSERT_NE(g->OpenWindow(host), nullptr);
  EXPECT_TRUE(g->SwapsByCopying());
  const Handle ours = *api.glContexts.begin();
  const auto paint = [&](std::vector<Rect> region) {
    api.updateRegionKind = region.size() > 1 ? 3 : 2;
    api.updateRects = std::move(region);
    Msg(*g, kWmPaint);
  };
  using Part = std::vector<IGraphicsWin::PixelRect>;
  using Hints = std::vector<std::vector<std::int32_t>>;
  // Everything is dirty after open: whole, even where the region is smaller.
  Msg(*g, kWmTimer, kFrameTimerId);
  paint({{0, 0, 400, 300}});
  EXPECT_EQ(g->PresentedPart(), nullptr);
  ASSERT_EQ(api.swaps, 1);
  EXPECT_TRUE(api.hintsOfSwaps[0].empty());

  probe->MarkDirty(false);
  api.invalidated.clear();
  Msg(*g, kWmTimer, kFrameTimerId);
  ASSERT_EQ(api.invalidated.size(), 1u);
  paint({api.invalidated.back()});
  ASSERT_NE(g->PresentedPart(), nullptr);
  EXPECT_EQ(*g->PresentedPart(), (Part{{199, 99, 102, 102}}));
  ASSERT_EQ(api.swaps, 2);
  // From the bottom of the 505-pixel window; looked up once, with our context current.
  EXPECT_EQ(api.hintsOfSwaps[1], (Hints{{199, 505 - 201, 102, 102}}));
  EXPECT_EQ(api.hintLookups, (std::vector<Handle>{ours}));

  // Two rectangles far apart stay two.
  paint({{0, 0, 10, 10}, {700, 400, 720, 420}});
  ASSERT_NE(g->PresentedPart(), nullptr);
  EXPECT_EQ(*g->PresentedPart(), (Part{{0, 0, 10, 10}, {700, 400, 20, 20}}));
  EXPECT_EQ(api.hintsOfSwaps[2], (Hints{{0, 495, 10, 10}, {700, 85, 20, 20}}));

  // The whole window invalidated (an expose): whole, without hints.
  paint({{0, 0, 815, 505}});
  EXPECT_EQ(g->PresentedPart(), nullptr);
  EXPECT_TRUE(api.hintsOfSwaps[3].empty());
  paint({{0, 0, 10, 10}});
  EXPECT_NE(g->PresentedPart(), nullptr);

  // A resized window buffer keeps nothing: the next paint is whole, then parts again.
  Msg(*g, kWmSize);
  paint({{0, 0, 10, 10}});
  EXPECT_EQ(g->PresentedPart(), nullptr);
  paint({{0, 0, 10, 10}});
  EXPECT_NE(g->PresentedPart(), nullptr);

  // A resized page repaints whole.
  g->ResizeEditor(1630, 1010, 0.6f);
  Msg(*g, kWmTimer, kFrameTimerId);
  paint({{0, 0, 10, 10}});
  EXPECT_EQ(g->PresentedPart(), nullptr);
  paint({{0, 0, 10, 10}});
  EXPECT_NE(g->PresentedPart(), nullptr);
  EXPECT_EQ(api.hintLookups.size(), 1u);
  EXPECT_EQ(api.swaps, 9);

  // Reopened: whole again first.
  g->CloseWindow();
  ASSERT_NE(g->OpenWindow(host), nullptr);
  paint({{0, 0, 10, 10}});
  EXPECT_EQ(g->PresentedPart(), nullptr);
}

// What was granted decides: the swap method the format's description names
// (PFD_SWAP_COPY, PFD_SWAP_EXCHANGE) or, where it names none (as under Wine), by
// WGL_ARB_pixel_format, asked with our context current at the first
// present. Without GL_WIN_swap_hint a copying swap still presents part of
// the page (the whole back buffer is copied, its other pixels those of the
// last frame); any other swap presents every paint whole and never asks
// for hints.
TEST_F(EditorWindow, TheSwapMethodGrantedDecidesBetweenPartAndWholePresents) {
  struct Case {
    const char* name;
    std::uint32_t swapFlags;
    std::int32_t arbMethod;  // 0: WGL_ARB_pixel_format not offered
    bool partial;
  };
  const Case cases[] = {{"described copying, no hints", kPfdSwapCopy, 0, true},
                        {"undescribed, copying by the extension", 0, kWglSwapCopyArb, true},
                        {"described exchanging", kPfdSwapExchange, kWglSwapCopyArb, false},
                        {"undescribed, exchanging by the extension", 0, kWglSwapExchangeArb, false},
                        {"undescribed, undefined by the extension", 0, kWglSwapUndefinedArb, false},
                        {"undescribed, no extension", 0, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeWin32Api fake;
    const Handle parent = fake.MakeHostWindow({100, 50, 1100, 750});
    fake.pixelFormats = {{kPixelFormatFlags | c.swapFlags, 0, 32, 8, 24, 8}};
    if (c.arbMethod) fake.arbSwapMethods[1] = c.arbMethod;
    fake.swapHintOffered = !c.partial;
    IGraphicsWin g(delegate, 1630, 1010, 60, 0.5f, fake);
    g.AddControl(std::make_unique<Probe>(IBounds{0, 0, 1630, 1010}));
    ASSERT_NE(g.OpenWindow(parent), nullptr);
    const Handle ours = *fake.glContexts.begin();
    fake.updateRegionKind = 2;
    fake.updateRects = {{0, 0, 815, 505}};
    g.WindowMessage(g.GetEditorWindow(), kWmTimer, kFrameTimerId, 0);
    g.WindowMessage(g.GetEditorWindow(), kWmPaint, 0, 0);
    EXPECT_EQ(g.PresentedPart(), nullptr);
    EXPECT_EQ(g.SwapsByCopying(), c.partial);
    // Asked once, with our context current, only where the description names no swap method.
    EXPECT_EQ(fake.swapMethodQueries, c.swapFlags ? std::vector<Handle>{} : std::vector<Handle>{ours});
    for (int i = 0; i < 3; ++i) {
      fake.updateRects = {{199, 99, 301, 201}};
      g.WindowMessage(g.GetEditorWindow(), kWmPaint, 0, 0);
      EXPECT_EQ(g.PresentedPart() != nullptr, c.partial);
    }
    EXPECT_EQ(fake.swaps, 4);
    EXPECT_EQ(fake.swapMethodQueries.size(), c.swapFlags ? 0u : 1u);
    EXPECT_EQ(fake.swapMethodLists.size(), c.swapFlags ? 0u : 1u);  // at open, for the choice
    EXPECT_EQ(fake.hintLookups.size(), c.partial ? 1u : 0u);
    for (const auto& h : fake.hintsOfSwaps) EXPECT_TRUE(h.empty());
    g.CloseWindow();
  }
}

// The system's choice may ignore the copying swap asked for: a format that
// differs from it only in swapping by copy is set instead, and nothing
// else is taken for it.
TEST_F(EditorWindow, AChoiceThatExchangesGivesWayToItsCopyingTwinOnly) {
  const std::uint32_t exchange = kPixelFormatFlags | kPfdSwapExchange, copy = kPixelFormatFlags | kPfdSwapCopy;
  api.pixelFormats = {{exchange, 0, 32, 8, 24, 8},
                      {copy, 0, 32, 8, 16, 0},          // another depth and stencil
                      {copy | 0x40, 0, 32, 8, 24, 8},   // the generic software format
                      {copy, 0, 32, 8, 24, 8}};
  auto g = Make();
  ASSERT_NE(g->OpenWindow(host), nullptr);
  EXPECT_EQ(api.setFormat, 4);
  EXPECT_TRUE(g->SwapsByCopying());
  g->CloseWindow();

  // No twin: the choice as it is.
  api.pixelFormats.pop_back();
  ASSERT_NE(g->OpenWindow(host), nullptr);
  EXPECT_EQ(api.setFormat, 1);
  EXPECT_FALSE(g->SwapsByCopying());
  g->CloseWindow();

  // A description that names no swap method, as under Wine: the formats'
  // WGL_SWAP_METHOD_ARB, asked with the host's context given back, finds
  // the twin; the first present asks again with our own context current.
  const std::uint32_t unnamed = kPixelFormatFlags;
  api.pixelFormats = {{unnamed, 0, 32, 8, 24, 8}, {unnamed, 0, 32, 8, 16, 8}, {unnamed, 0, 32, 8, 24, 8}};
  api.arbSwapMethods = {{1, kWglSwapUndefinedArb}, {2, kWglSwapCopyArb}, {3, kWglSwapCopyArb}};
  api.MakeCurrent(reinterpret_cast<Handle>(0x99), api.hostContext);
  ASSERT_NE(g->OpenWindow(host), nullptr);
  EXPECT_EQ(api.swapMethodLists, (std::vector<Handle>{api.hostContext}));
  EXPECT_EQ(api.setFormat, 3);
  EXPECT_TRUE(g->SwapsByCopying());
  EXPECT_EQ(api.currentContext, api.hostContext);
  api.updateRegionKind = 2;
  api.updateRects = {{0, 0, 10, 10}};
  Msg(*g, kWmTimer, kFrameTimerId);
  Msg(*g, kWmPaint);
  EXPECT_EQ(api.swapMethodQueries, (std::vector<Handle>{*api.glContexts.begin()}));
  EXPECT_TRUE(g->SwapsByCopying());
  Msg(*g, kWmPaint);
  EXPECT_NE(g->PresentedPart(), nullptr);
  g->CloseWindow();
  // The own context's answer overrules: not copying after all, every paint whole.
  ASSERT_NE(g->OpenWindow(host), nullptr);
  EXPECT_EQ(api.setFormat, 3);
  api.arbSwapMethods[3] = kWglSwapUndefinedArb;
  Msg(*g, kWmTimer, kFrameTimerId);
  Msg(*g, kWmPaint);
  EXPECT_FALSE(g->SwapsByCopying());
  Msg(*g, kWmPaint);
  EXPECT_EQ(g->PresentedPart(), nullptr);
  g->CloseWindow();
  // Without the extension: the choice, presenting whole.
  api.arbSwapMethods.clear();
  ASSERT_NE(g->OpenWindow(host), nullptr);
  EXPECT_EQ(api.setFormat, 1);
  EXPECT_FALSE(g->SwapsByCopying());
  g->CloseWindow();

  // A choice that copies is kept, though a twin comes before it.
  api.pixelFormats = {{exchange, 0, 32, 8, 24, 8}, {copy, 0, 32, 8, 16, 0}, {copy | 0x40, 0, 32, 8, 24, 8}};
  api.pixelFormats.push_back({copy, 0, 32, 8, 24, 8});
  api.pixelFormats.push_back({copy, 0, 32, 8, 24, 8});
  api.chosenFormat = 5;
  ASSERT_NE(g->OpenWindow(host), nullptr);
  EXPECT_EQ(api.setFormat, 5);
  EXPECT_TRUE(g->SwapsByCopying());
  g->CloseWindow();
}

TEST_F(EditorWindow, VblankModeRunsThePacingThreadAndDropsStaleFrames) {
  api.windows8 = true;
  auto g = Make();
  ASSERT_TRUE(g->IsVblankMode());
  AddProbe(*g);
  Handle window = g->OpenWindow(host);
  ASSERT_TRUE(g->HasPacingThread());
  EXPECT_TRUE(api.timers.empty());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (api.PostedCount() < 5 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  g->CloseWindow();  // stops and joins the thread
  EXPECT_EQ(api.LiveThreads(), 0u);
  const auto posted = api.PostedCopy();
  ASSERT_GE(posted.size(), 5u);
  for (std::size_t i = 0; i < posted.size(); ++i) {
    EXPECT_EQ(posted[i].window, window);
    EXPECT_EQ(posted[i].msg, kWmFrame);
    EXPECT_EQ(posted[i].wParam, i + 1);
  }
  EXPECT_GT(api.sleeps, 0);  // no driver functions: 16 ms sleeps

  // On an open window, a frame with an old serial does nothing.
  api.vblankFunctions = true;
  api.adapterOpens = false;
  auto h = Make();
  Probe* probe = AddProbe(*h);
  h->OpenWindow(host);
  while (api.PostedCount() < posted.size() + 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  h->CloseWindow();
  // Opening the adapter failed: retried at most once a second of ticks.
  EXPECT_LE(api.adapterOpenTries, 1 + static_cast<int>(api.ticks.load() / 1000));
  const std::uint32_t current = h->GetPacer().CurrentSerial();
  ASSERT_GT(current, 1u);
  Handle window2 = h->OpenWindow(host);
  h->GetPacer().Reset();
  while (h->GetPacer().CurrentSerial() < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  probe->MarkDirty(false);
  api.invalidated.clear();
  h->WindowMessage(window2, kWmFrame, 0, 0);  // serial 0 is never current here
  EXPECT_TRUE(api.invalidated.empty());
  h->CloseWindow();
}

TEST_F(EditorWindow, APacingThreadThatDoesNotStopInTimeNeverTouchesTheClosedEditor) {
  api.windows8 = true;
  api.vblankFunctions = true;
  auto g = Make();
  AddProbe(*g);
  g->OpenWindow(host);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (api.PostedCount() < 3 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_GE(api.PostedCount(), 3u);
  // The driver's wait hangs and the join gives up: the editor goes while
  // its thread still runs.
  api.holdVblank = true;
  api.joinTimesOut = true;
  g->CloseWindow();
  g.reset();
  const std::size_t posted = api.PostedCount();
  api.holdVblank = false;
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  // Nothing more is posted for the closed window (and, under the address
  // sanitizer, nothing of the editor is touched); the fake joins the thread.
  EXPECT_EQ(api.PostedCount(), posted);
}

// ---------------------------------------------------------------- mouse and keys

TEST_F(EditorWindow, MouseDownDragUpReachTheControlInLayoutUnits) {
  auto g = Make();
  Probe* probe = AddProbe(*g);
  Handle window = g->OpenWindow(host);
  Msg(*g, kWmLButtonDown, kMkLButton, Pos(250, 150));
  EXPECT_EQ(api.capture, window);
  ASSERT_EQ(probe->presses.size(), 1u);
  EXPECT_FLOAT_EQ(probe->presses[0].first, 500.0f);
  EXPECT_FLOAT_EQ(probe->presses[0].second, 300.0f);
  EXPECT_TRUE(probe->mods[0].L);
  Msg(*g, kWmMouseMove, kMkLButton, Pos(250, 140));
  ASSERT_EQ(probe->drags.size(), 1u);
  EXPECT_FLOAT_EQ(probe->drags[0][3], -20.0f);
  Msg(*g, kWmMouseMove, kMkLButton, Pos(250, 140));  // same place: no drag
  EXPECT_EQ(probe->drags.size(), 1u);
  Msg(*g, kWmLButtonUp, 0, Pos(250, 140));
  EXPECT_EQ(api.capture, nullptr);
  EXPECT_EQ(probe->releases.size(), 1u);

  // Shift from wParam, alt from the key state.
  api.keyStates[kVkMenu] = -128;
  Msg(*g, kWmRButtonDown, kMkRButton | kMkShift, Pos(250, 150));
  ASSERT_EQ(probe->mods.size(), 2u);
  EXPECT_TRUE(probe->mods[1].R);
  EXPECT_TRUE(probe->mods[1].S);
  EXPECT_TRUE(probe->mods[1].A);
  EXPECT_FALSE(probe->mods[1].C);
}

TEST_F(EditorWindow, PenAndTouchMouseMessagesNeitherPressNorDrag) {
  auto g = Make();
  Probe* probe = AddProbe(*g);
  g->OpenWindow(host);
  api.extraInfo = 0xFF515701;
  EXPECT_EQ(Msg(*g, kWmLButtonDown, kMkLButton, Pos(250, 150)), 0);
  Msg(*g, kWmMouseMove, kMkLButton, Pos(250, 100));
  Msg(*g, kWmLButtonDblClk, kMkLButton, Pos(250, 150));
  EXPECT_TRUE(probe->presses.empty());
  EXPECT_TRUE(probe->drags.empty());
  EXPECT_EQ(probe->doubleClicks, 0);
  EXPECT_TRUE(g->TouchFlag());
  api.extraInfo = 0;
  Msg(*g, kWmLButtonDown, kMkLButton, Pos(250, 150));
  EXPECT_EQ(probe->presses.size(), 1u);
  EXPECT_FALSE(g->TouchFlag());
}

TEST_F(EditorWindow, TouchInputPressesDragsAndReleasesByTouchId) {
  auto g = Make();
  Probe* probe = AddProbe(*g);
  g->OpenWindow(host);
  // Hundredths of a screen pixel; the window is at (100, 50).
  api.touches = {{(100 + 250) * 100, (50 + 150) * 100, 7, kTouchEventDown, 0, 0}};
  Msg(*g, kWmTouch, 1, 0x77);
  ASSERT_EQ(probe->presses.size(), 1u);
  EXPECT_FLOAT_EQ(probe->presses[0].first, 500.0f);
  api.touches = {{(100 + 250) * 100, (50 + 140) * 100, 7, 0, 0, 0}};
  Msg(*g, kWmTouch, 1, 0x77);
  ASSERT_EQ(probe->drags.size(), 1u);
  EXPECT_FLOAT_EQ(probe->drags[0][3], -20.0f);
  api.touches = {{(100 + 250) * 100, (50 + 140) * 100, 7, kTouchEventUp, 0, 0}};
  Msg(*g, kWmTouch, 1, 0x77);
  EXPECT_EQ(probe->releases.size(), 1u);
  EXPECT_EQ(api.touchClosed, 3);
  // A count that does not match what the system holds: nothing happens.
  Msg(*g, kWmTouch, 2, 0x77);
  EXPECT_EQ(probe->presses.size(), 1u);
}

TEST_F(EditorWindow, DoubleClickWheelAndDrop) {
  auto g = Make();
  Probe* probe = AddProbe(*g);
  Handle window = g->OpenWindow(host);
  // As the system sends them: the second press of a double click comes as WM_LBUTTONDBLCLK.
  Msg(*g, kWmLButtonDown, kMkLButton, Pos(250, 150));
  Msg(*g, kWmLButtonUp, 0, Pos(250, 150));
  Msg(*g, kWmLButtonDblClk, kMkLButton, Pos(250, 150));
  EXPECT_EQ(probe->doubleClicks, 1);
  EXPECT_EQ(api.capture, window);
  Msg(*g, kWmLButtonUp, 0, Pos(250, 150));
  EXPECT_EQ(api.capture, nullptr);
  // The wheel's position is on the screen: the window is at (100, 50).
  Msg(*g, kWmMouseWheel, static_cast<std::uintptr_t>(120) << 16, Pos(350, 200));
  Msg(*g, kWmMouseWheel, static_cast<std::uintptr_t>(static_cast<std::uint16_t>(-240)) << 16, Pos(350, 200));
  Msg(*g, kWmMouseWheel, static_cast<std::uintptr_t>(60) << 16, Pos(350, 200));  // part of a notch
  EXPECT_EQ(probe->wheel, (std::vector<float>{1.0f, -2.0f}));
  Msg(*g, kWmMouseWheel, static_cast<std::uintptr_t>(120) << 16, Pos(10, 10));  // outside the window
  EXPECT_EQ(probe->wheel.size(), 2u);
  api.dropFile = "C:\\x.wav";
  api.dropPoint = {250, 150};
  Msg(*g, kWmDropFiles, 1);
  EXPECT_EQ(probe->dropped, "C:\\x.wav");
}

TEST_F(EditorWindow, KeysGoToTheControlAndUnhandledOnesToTheRootWindow) {
  auto g = Make();
  Probe* probe = AddProbe(*g);
  Handle window = g->OpenWindow(host);
  api.cursor = {100 + 250, 50 + 150};  // over the probe
  EXPECT_EQ(Msg(*g, kWmKeyDown, 'A', 0x1E0001), 0);
  ASSERT_EQ(probe->keys.size(), 1u);
  EXPECT_EQ(probe->keys[0], 'A');
  EXPECT_TRUE(api.sent.empty());
  probe->handleKeys = false;
  Msg(*g, kWmKeyDown, 'B', 0x300001);
  ASSERT_EQ(api.sent.size(), 1u);
  EXPECT_EQ(api.sent[0].window, host);
  EXPECT_EQ(api.sent[0].msg, kWmKeyDown);
  // Dead keys and ligatures (two characters) are not handed to controls.
  api.asciiCount = 2;
  Msg(*g, kWmKeyUp, 'C', 0);
  EXPECT_EQ(probe->keys.size(), 2u);
  EXPECT_EQ(Msg(*g, kWmGetDlgCode), kDlgcWantAllKeys);
  (void)window;
}

// ---------------------------------------------------------------- text entry

TEST_F(EditorWindow, TextEntryEscapeDiscardsEnterAppliesAndTheFilterHolds) {
  auto g = Make();
  Probe* probe = AddProbe(*g, 0);
  g->OpenWindow(host);
  const double before = delegate.GetParam(0)->GetValue();

  g->PromptForValue(*probe, probe->GetBounds(), 0);
  Handle edit = g->GetEditWindow();
  ASSERT_NE(edit, nullptr);
  const auto& ew = api.windows[edit];
  EXPECT_EQ(ew.className, "EDIT");
  EXPECT_EQ(ew.style, 0x56000085u);
  EXPECT_EQ(ew.rect, (Rect{200, 100, 301, 201}));
  EXPECT_TRUE(ew.subclassed);
  EXPECT_EQ(api.focus, edit);
  g->EditMessage(edit, kWmSetFocus, 0, 0);
  EXPECT_EQ(g->GetTextEntryState(), TextEntryState::Focused);
  // A Real parameter takes digits and '.', not letters.
  api.previousEditCalls.clear();
  EXPECT_EQ(g->EditMessage(edit, kWmChar, 'x', 0), 0);
  EXPECT_TRUE(api.previousEditCalls.empty());
  g->EditMessage(edit, kWmChar, '.', 0);
  EXPECT_EQ(api.previousEditCalls.size(), 1u);
  // While focused, a click on the editor only closes the entry.
  EXPECT_EQ(Msg(*g, kWmLButtonDown, kMkLButton, Pos(10, 10)), 0);
  EXPECT_EQ(g->GetTextEntryState(), TextEntryState::Discard);
  g->EditMessage(edit, kWmSetFocus, 0, 0);
  g->EditMessage(edit, kWmKeyDown, kVkEscape, 0);
  EXPECT_EQ(g->GetTextEntryState(), TextEntryState::Discard);
  api.editText = u"6";
  Msg(*g, kWmTimer, kFrameTimerId);
  EXPECT_EQ(g->GetEditWindow(), nullptr);
  EXPECT_FALSE(api.IsWindow(edit));
  EXPECT_EQ(g->GetTextEntryState(), TextEntryState::None);
  EXPECT_DOUBLE_EQ(delegate.GetParam(0)->GetValue(), before);

  g->PromptForValue(*probe, probe->GetBounds(), 0);
  edit = g->GetEditWindow();
  ASSERT_NE(edit, nullptr);
  Msg(*g, kWmTimer, kFrameTimerId);
  EXPECT_EQ(g->GetTextEntryState(), TextEntryState::Shown);
  EXPECT_FALSE(api.validated.empty());
  EXPECT_EQ(g->EditMessage(edit, kWmGetDlgCode, 0, kVkReturn) & kDlgcWantAllKeys, kDlgcWantAllKeys);
  g->EditMessage(edit, kWmKeyDown, kVkReturn, 0);
  EXPECT_EQ(g->GetTextEntryState(), TextEntryState::Apply);
  api.editText = u"6";
  Msg(*g, kWmTimer, kFrameTimerId);
  EXPECT_EQ(g->GetEditWindow(), nullptr);
  EXPECT_NEAR(delegate.GetParam(0)->GetValue(), 6.0, 1e-9);
  EXPECT_TRUE(api.fonts.empty());  // the entry's font went with it
}

// ---------------------------------------------------------------- menus and services

TEST_F(EditorWindow, PopupMenuChoiceInASubMenuSetsItsIndexAndCallsItsFunction) {
  auto g = Make();
  Handle window = g->OpenWindow(host);
  IPopupMenu top;
  top.AddItem("a");
  IPopupMenu::Item* item = top.AddItem("b");
  top.AddItem("c");
  top.AddItem("d");
  auto sub = std::make_unique<IPopupMenu>();
  for (const char* t : {"x", "y", "z"}) sub->AddItem(t);
  IPopupMenu* subMenu = sub.get();
  int called = 0;
  subMenu->SetFunction([&called](IPopupMenu*) { ++called; });
  item->SetSubmenu(std::move(sub));

  api.menuCommand = 5;
  EXPECT_EQ(g->CreatePlatformPopupMenu(top, IBounds{100, 100, 200, 140}), subMenu);
  EXPECT_EQ(subMenu->GetChosenItemIdx(), 1);
  EXPECT_EQ(called, 1);
  EXPECT_EQ(api.menuPoint, (Point{100 + 50, 50 + 70}));
  EXPECT_EQ(api.invalidated.back(), (Rect{0, 0, 815, 505}));
  EXPECT_GE(api.menusDestroyed, 1);

  api.menuCommand = -1;
  EXPECT_EQ(g->CreatePlatformPopupMenu(top, IBounds{0, 0, 1, 1}), nullptr);
  (void)window;
}

TEST_F(EditorWindow, ClipboardUrlDialogsAndColours) {
  auto g = Make();
  g->OpenWindow(host);
  std::string text = "old";
  EXPECT_FALSE(g->GetTextFromClipboard(text));
  EXPECT_TRUE(text.empty());
  EXPECT_TRUE(g->SetTextInClipboard("h\xC3\xA9"));
  EXPECT_TRUE(g->GetTextFromClipboard(text));
  EXPECT_EQ(text, "h\xC3\xA9");
  EXPECT_FALSE(g->SetTextInClipboard(""));
  api.clipboardOpens = false;
  EXPECT_FALSE(g->SetTextInClipboard("x"));

  api.messageBoxAnswer = 7;  // IDNO
  EXPECT_FALSE(g->OpenURL("https://example.org", "c", "Open?", nullptr));
  EXPECT_TRUE(api.shellCalls.empty());
  EXPECT_TRUE(g->OpenURL("https://example.org", "c", nullptr, nullptr));
  ASSERT_EQ(api.shellCalls.size(), 1u);
  EXPECT_EQ(api.shellCalls[0][0], u"https://example.org");
  api.connected = false;
  api.messageBoxes.clear();
  EXPECT_FALSE(g->OpenURL("https://example.org", "c", nullptr, "offline"));
  ASSERT_EQ(api.messageBoxes.size(), 1u);
  EXPECT_EQ(api.messageBoxes[0].text, "offline");

  EXPECT_TRUE(g->RevealPathInExplorerOrFinder("C:\\a b\\c.txt", true));
  EXPECT_EQ(api.shellCalls.back()[1], u"/select,\"C:\\a b\\c.txt\"");
  EXPECT_EQ(api.shellCalls.back()[2], u"C:\\windows\\system32\\");

  std::string file = "preset.fxp", dir = "C:\\presets";
  api.dialogAnswer = u"D:\\new\\song.fxp";
  g->PromptForFile(file, dir, 1, "fxp fxb");
  EXPECT_TRUE(api.lastSave);
  EXPECT_EQ(api.lastFilter, u"*.fxp;*.fxb");
  EXPECT_EQ(api.lastDefExt, u"fxp");
  EXPECT_EQ(file, "D:\\new\\song.fxp");
  EXPECT_EQ(dir, "D:\\new\\");
  api.dialogAnswer.clear();
  g->PromptForFile(file, dir, 0, "");
  EXPECT_TRUE(file.empty());

  api.folderAnswer = "E:\\out";
  std::string folder;
  g->PromptForDirectory(folder);
  EXPECT_EQ(folder, "E:\\out\\");

  // The custom colours live for the process: two editors share them.
  fx::igraphics::IArgb colour{255, 1, 2, 3};
  api.colourAnswer = 0x332211;
  EXPECT_TRUE(g->PromptForColour(colour, "Pick", nullptr));
  EXPECT_EQ(colour, (fx::igraphics::IArgb{255, 0x11, 0x22, 0x33}));
  std::uint32_t* first = api.customSeen;
  auto other = Make();
  other->OpenWindow(host);
  api.colourAnswer = 0xFFFFFFFF;
  EXPECT_FALSE(other->PromptForColour(colour, "Pick", nullptr));
  EXPECT_EQ(api.customSeen, first);
  EXPECT_EQ(first[0], 0x332211u);  // what the first call left
}

TEST_F(EditorWindow, MessageBoxOwnerIsTheHostsTopLevelWindow) {
  auto g = Make();
  Handle inner = api.MakeHostWindow({0, 0, 900, 600});
  api.windows[inner].parent = host;
  g->OpenWindow(inner);
  int answer = 0;
  api.messageBoxAnswer = 2;
  g->ShowMessageBox("t", "c", 0, [&answer](std::int32_t id) { answer = id; });
  EXPECT_EQ(answer, 2);
  ASSERT_EQ(api.messageBoxes.size(), 1u);
  EXPECT_EQ(api.messageBoxes[0].owner, host);
}

TEST_F(EditorWindow, CursorHideLockMoveAndShape) {
  auto g = Make();
  g->OpenWindow(host);
  Msg(*g, kWmMouseMove, 0, Pos(200, 100));
  g->HideCursor(true, true);
  EXPECT_EQ(api.cursorShows, -1);
  Msg(*g, kWmLButtonDown, kMkLButton, Pos(200, 100));
  Msg(*g, kWmMouseMove, kMkLButton, Pos(200, 80));
  // Dragging moves the hidden cursor with the pointer; showing it puts it
  // back where it was hidden.
  EXPECT_TRUE(api.cursorMoves.empty());
  g->HideCursor(false);
  ASSERT_EQ(api.cursorMoves.size(), 1u);
  EXPECT_EQ(api.cursorMoves.back(), (Point{300, 150}));
  EXPECT_EQ(api.cursorShows, 0);
  Msg(*g, kWmLButtonUp, 0, Pos(200, 80));
  g->MoveMouseCursor(10.0f, 20.0f);
  EXPECT_EQ(api.cursorMoves.back(), (Point{105, 60}));
  float x = 0, y = 0;
  g->GetMouseLocation(x, y);
  EXPECT_FLOAT_EQ(x, 10.0f);
  EXPECT_FLOAT_EQ(y, 20.0f);
  g->SetMouseCursor(fx::igraphics::kHandCursor);
  EXPECT_EQ(api.cursorShape, 32649u);
  Msg(*g, kWmMouseLeave);
  EXPECT_EQ(api.cursorShape, 32512u);
  EXPECT_EQ(g->GetMouseCursor(), 0);
}

TEST_F(EditorWindow, FontsByNameAndFromMemory) {
  auto g = Make();
  EXPECT_EQ(g->LoadPlatformFont("Missing", "No Such Face", 0), nullptr);
  EXPECT_TRUE(api.fonts.empty());
  api.installedFamilies.insert("Arial");
  auto bold = g->LoadPlatformFont("ArialBold", "Arial", 1);
  ASSERT_NE(bold, nullptr);
  auto* font = static_cast<IGraphicsWin::Font*>(bold.get());
  EXPECT_TRUE(font->IsSystem());
  EXPECT_EQ(api.fontRequests[font->GetHandle()].weight, 700);
  api.fontFile = {1, 2, 3, 4};
  std::vector<std::uint8_t> data;
  std::string style;
  EXPECT_TRUE(bold->GetFontData(data, style));
  EXPECT_EQ(data, api.fontFile);
  EXPECT_EQ(style, "Bold");
  bold.reset();
  EXPECT_TRUE(api.fonts.empty());

  std::ifstream in(FX_FONT_DIR "DejaVuSans.ttf", std::ios::binary);
  const std::vector<std::uint8_t> ttf{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(ttf.empty());
  // The system does not know the family: the face comes back different.
  EXPECT_EQ(g->LoadPlatformFont("Sans", ttf.data(), ttf.size()), nullptr);
  EXPECT_TRUE(api.memoryFonts.empty());
  api.memoryFamilies.insert("DejaVu Sans");
  auto memory = g->LoadPlatformFont("Sans", ttf.data(), ttf.size());
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(api.memoryFonts.size(), 1u);
  EXPECT_EQ(api.fontRequests[static_cast<IGraphicsWin::Font*>(memory.get())->GetHandle()].face, "DejaVu Sans");
  const std::uint8_t junk[64] = {};
  EXPECT_EQ(g->LoadPlatformFont("Junk", junk, sizeof junk), nullptr);
  EXPECT_EQ(api.memoryFonts.size(), 1u);
  memory.reset();
  g.reset();  // the last editor removes the registered memory fonts
  EXPECT_TRUE(api.memoryFonts.empty());
}

}  // namespace
