// The X11 editor window class itself in a private X server (xvfb-run): the
// clipboard against another client, the screen scale of the resource
// database, the services X11 does not offer, the owner thread rule, events
// reaching an editor that idles quietly, and the error handler it must not
// leave behind.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "FakeEditorDelegate.h"
#include "platform/linux/IGraphicsLinux.h"
#include "platform/linux/X11Api.h"

// X11 after the framework's headers (its macros clash with their names).
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>

namespace {

namespace ig = fx::igraphics;
using testing_support::FakeEditorDelegate;

// Another client owning CLIPBOARD on its own connection and thread,
// answering UTF8_STRING requests with its text (or never, when silent).
class ClipboardPeer {
 public:
  ClipboardPeer(std::string text, bool silent) : text_(std::move(text)), silent_(silent) {
    display_ = XOpenDisplay(nullptr);
    if (!display_) return;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    clipboard_ = XInternAtom(display_, "CLIPBOARD", False);
    utf8_ = XInternAtom(display_, "UTF8_STRING", False);
    XSetSelectionOwner(display_, clipboard_, window_, CurrentTime);
    XSync(display_, False);
    owner_ = XGetSelectionOwner(display_, clipboard_) == window_;
    thread_ = std::thread([this] { Serve(); });
  }
  ~ClipboardPeer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (display_) {
      XDestroyWindow(display_, window_);
      XCloseDisplay(display_);
    }
  }
  bool Owner() const { return owner_; }

 private:
  void Serve() {
    while (!stop_) {
      while (XPending(display_) > 0) {
        XEvent e;
        XNextEvent(display_, &e);
        if (e.type != SelectionRequest || silent_) continue;
        const XSelectionRequestEvent& r = e.xselectionrequest;
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.requestor = r.requestor;
        reply.selection = r.selection;
        reply.target = r.target;
        reply.time = r.time;
        reply.property = 0;
        if (r.target == utf8_) {
          XChangeProperty(display_, r.requestor, r.property, utf8_, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(text_.data()), static_cast<int>(text_.size()));
          reply.property = r.property;
        }
        XSendEvent(display_, r.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
        XFlush(display_);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  std::string text_;
  bool silent_;
  Display* display_ = nullptr;
  Window window_ = 0;
  Atom clipboard_ = 0, utf8_ = 0;
  bool owner_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

int CountingHandler(Display*, XErrorEvent*) { return 0; }

class IGraphicsLinuxX : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { keeper_ = XOpenDisplay(nullptr); }  // keeps the server from resetting
  static void TearDownTestSuite() {
    if (keeper_) XCloseDisplay(keeper_);
  }
  void SetUp() override {
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr) << "no X server: run under xvfb-run -a";
    parent_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1000, 700, 0, 0, 0);
    XMapWindow(display_, parent_);
    XSync(display_, False);
  }
  void TearDown() override {
    if (!display_) return;
    XDestroyWindow(display_, parent_);
    XCloseDisplay(display_);
  }
  void* Parent() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent_)); }

  // Asks for our selection's target as another client and serves the
  // editor's idle calls until the answer comes: the property's type and bytes.
  bool Request(ig::IGraphicsLinux& g, const char* targetName, Atom& type, std::string& bytes) {
    const Window requestor = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(display_, "CLIPBOARD", False);
    const Atom target = XInternAtom(display_, targetName, False);
    const Atom property = XInternAtom(display_, "TEST_PROPERTY", False);
    XConvertSelection(display_, clipboard, target, property, requestor, CurrentTime);
    XSync(display_, False);
    XEvent e{};
    bool answered = false;
    for (int i = 0; i < 200 && !answered; ++i) {
      g.Idle();
      XSync(display_, False);
      answered = XCheckTypedWindowEvent(display_, requestor, SelectionNotify, &e);
      if (!answered) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    bool got = false;
    if (answered && e.xselection.property != 0) {
      int format = 0;
      unsigned long count = 0, remaining = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(display_, requestor, property, 0, 4096, True, AnyPropertyType, &type, &format, &count,
                             &remaining, &data) == Success &&
          data) {
        // Xlib hands 32-bit items as longs.
        const unsigned long itemSize = format == 32 ? sizeof(long) : static_cast<unsigned long>(format / 8);
        bytes.assign(reinterpret_cast<const char*>(data), count * itemSize);
        got = true;
      }
      if (data) XFree(data);
    }
    XDestroyWindow(display_, requestor);
    return got;
  }

  static Display* keeper_;
  Display* display_ = nullptr;
  Window parent_ = 0;
};
Display* IGraphicsLinuxX::keeper_ = nullptr;

TEST_F(IGraphicsLinuxX, OwnsTheClipboardAndAnswersOtherClients) {
  FakeEditorDelegate delegate;
  ig::IGraphicsLinux g(delegate, 400, 300, 60, 1.0f);
  std::string text = "unchanged";
  EXPECT_FALSE(g.SetTextInClipboard("closed"));  // no window yet
  EXPECT_FALSE(g.GetTextFromClipboard(text));
  EXPECT_EQ(text, "");
  ASSERT_NE(g.OpenWindow(Parent()), nullptr);
  EXPECT_FALSE(g.SetTextInClipboard(""));
  EXPECT_FALSE(g.SetTextInClipboard(nullptr));
  ASSERT_TRUE(g.SetTextInClipboard("gain 3 dB \xC2\xB0"));
  const Atom clipboard = XInternAtom(display_, "CLIPBOARD", False);
  EXPECT_EQ(XGetSelectionOwner(display_, clipboard), g.GetWindowId());
  ASSERT_TRUE(g.GetTextFromClipboard(text));
  EXPECT_EQ(text, "gain 3 dB \xC2\xB0");

  Atom type = 0;
  std::string bytes;
  ASSERT_TRUE(Request(g, "UTF8_STRING", type, bytes));
  EXPECT_EQ(type, XInternAtom(display_, "UTF8_STRING", False));
  EXPECT_EQ(bytes, "gain 3 dB \xC2\xB0");
  ASSERT_TRUE(Request(g, "STRING", type, bytes));
  EXPECT_EQ(type, XA_STRING);
  EXPECT_EQ(bytes, "gain 3 dB \xB0");  // Latin-1
  ASSERT_TRUE(Request(g, "TARGETS", type, bytes));
  EXPECT_EQ(type, XA_ATOM);
  ASSERT_EQ(bytes.size(), 4 * sizeof(Atom));
  const Atom* targets = reinterpret_cast<const Atom*>(bytes.data());
  EXPECT_EQ(targets[1], XInternAtom(display_, "UTF8_STRING", False));
  EXPECT_FALSE(Request(g, "image/png", type, bytes));  // refused
  g.CloseWindow();
}

TEST_F(IGraphicsLinuxX, ReadsTheClipboardOfAnotherClient) {
  FakeEditorDelegate delegate;
  ig::IGraphicsLinux g(delegate, 400, 300, 60, 1.0f);
  ASSERT_NE(g.OpenWindow(Parent()), nullptr);
  std::string text;
  {
    ClipboardPeer peer("caf\xC3\xA9 \xE2\x82\xAC", false);
    ASSERT_TRUE(peer.Owner());
    ASSERT_TRUE(g.GetTextFromClipboard(text));
    EXPECT_EQ(text, "caf\xC3\xA9 \xE2\x82\xAC");
  }
  {
    // An owner that never answers: no text, after the bounded wait.
    ClipboardPeer silent("never", true);
    ASSERT_TRUE(silent.Owner());
    text = "stale";
    EXPECT_FALSE(g.GetTextFromClipboard(text));
    EXPECT_EQ(text, "");
  }
  // Nobody owns it now (the peers' windows are gone).
  EXPECT_FALSE(g.GetTextFromClipboard(text));
  g.CloseWindow();
}

TEST_F(IGraphicsLinuxX, ScreenScaleComesFromXftDpi) {
  const Window root = DefaultRootWindow(display_);
  const Atom resources = XInternAtom(display_, "RESOURCE_MANAGER", False);
  const std::string text = "Xft.antialias:\t1\nXft.dpi:\t192\n";
  XChangeProperty(display_, root, resources, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  XSync(display_, False);
  FakeEditorDelegate delegate;
  {
    ig::IGraphicsLinux g(delegate, 400, 300, 60, 1.0f);
    ASSERT_NE(g.OpenWindow(Parent()), nullptr);
    EXPECT_FLOAT_EQ(g.GetPlatformMonitorScale(), 2.0f);
    EXPECT_FLOAT_EQ(g.GetScreenScale(), 2.0f);
    XWindowAttributes a{};
    XSync(display_, False);
    XGetWindowAttributes(display_, g.GetWindowId(), &a);
    EXPECT_EQ(a.width, 800);
    EXPECT_EQ(a.height, 600);
  }
  XDeleteProperty(display_, root, resources);
  XSync(display_, False);
  ig::IGraphicsLinux g(delegate, 400, 300, 60, 1.0f);
  ASSERT_NE(g.OpenWindow(Parent()), nullptr);
  EXPECT_FLOAT_EQ(g.GetPlatformMonitorScale(), 1.0f);
  XWindowAttributes a{};
  XSync(display_, False);
  XGetWindowAttributes(display_, g.GetWindowId(), &a);
  EXPECT_EQ(a.width, 400);
  EXPECT_EQ(a.height, 300);
}

TEST_F(IGraphicsLinuxX, ServicesWithoutAnX11FormAnswerTheirFailureValues) {
  FakeEditorDelegate delegate;
  ig::IGraphicsLinux g(delegate, 400, 300, 60, 1.0f);
  ASSERT_NE(g.OpenWindow(Parent()), nullptr);
  ig::IArgb colour{255, 1, 2, 3};
  bool completed = false;
  EXPECT_FALSE(g.PromptForColour(colour, "Colour", [&](const ig::IArgb&) { completed = true; }));
  EXPECT_FALSE(completed);
  EXPECT_EQ(colour.r, 1);
  std::string file = "preset.fxp", directory = "/tmp/";
  g.PromptForFile(file, directory, 0, "fxp");
  EXPECT_EQ(file, "");
  g.PromptForDirectory(directory);
  EXPECT_EQ(directory, "");
  std::int32_t button = -1;
  g.ShowMessageBox("text", "caption", 0, [&](std::int32_t b) { button = b; });
  EXPECT_EQ(button, 0);
  EXPECT_FALSE(g.OpenURL("https://example.org", "c", nullptr, nullptr));
  EXPECT_FALSE(g.RevealPathInExplorerOrFinder("/tmp", true));
  EXPECT_FALSE(g.MultiTouchAvailable());
  EXPECT_FALSE(g.TooltipsEnabled());
}

// Another client clears the window with exposures: the server sends the
// editor an Expose, as when a window above it goes away.
void ExposeFromOutside(Display* display, unsigned long window) {
  XClearArea(display, window, 0, 0, 0, 0, True);
  XSync(display, False);
}

TEST_F(IGraphicsLinuxX, IdleWorksOnlyOnTheThreadThatOpened) {
  FakeEditorDelegate delegate;
  ig::IGraphicsLinux g(delegate, 400, 300, 60, 1.0f);
  ASSERT_NE(g.OpenWindow(Parent()), nullptr);
  // The parent is viewable: the open itself presented the first frame.
  EXPECT_EQ(g.NPaints(), 1);
  ExposeFromOutside(display_, g.GetWindowId());
  std::thread other([&] {
    for (int i = 0; i < 10; ++i) {
      g.Idle();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  other.join();
  EXPECT_EQ(g.NPaints(), 1);
  for (int i = 0; i < 10; ++i) {
    g.Idle();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(g.NPaints(), 2) << "the owner's idle calls answer the expose";
}

TEST_F(IGraphicsLinuxX, AQuietEditorStillHearsTheServerAndAnswersEachExposeOnce) {
  FakeEditorDelegate delegate;
  ig::IGraphicsLinux g(delegate, 400, 300, 60, 1.0f);
  ASSERT_NE(g.OpenWindow(Parent()), nullptr);
  const auto idle = [&](int n) {
    for (int i = 0; i < n; ++i) {
      g.Idle();
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
  };
  // Long enough that the editor has read everything and idles on the socket alone.
  idle(30);
  const int quiet = g.NPaints();
  EXPECT_EQ(quiet, 1);
  idle(30);
  EXPECT_EQ(g.NPaints(), quiet) << "nothing changed, nothing painted";
  for (int k = 1; k <= 3; ++k) {
    ExposeFromOutside(display_, g.GetWindowId());
    for (int i = 0; i < 100 && g.NPaints() < quiet + k; ++i) idle(1);
    EXPECT_EQ(g.NPaints(), quiet + k) << "expose " << k;
    idle(30);
    EXPECT_EQ(g.NPaints(), quiet + k) << "after expose " << k;
  }
}

TEST_F(IGraphicsLinuxX, KeysReachThePageAndTheOnesItLeavesGoToTheParent) {
  XSelectInput(display_, parent_, KeyPressMask | KeyReleaseMask);
  FakeEditorDelegate delegate;
  ig::IGraphicsLinux g(delegate, 400, 300, 60, 1.0f);
  std::vector<fx::IKeyPress> downs, ups;
  // The page takes letters only.
  g.SetKeyFunction([&](const fx::IKeyPress& key, bool isUp) {
    (isUp ? ups : downs).push_back(key);
    return key.vk >= 'A' && key.vk <= 'Z';
  });
  ASSERT_NE(g.OpenWindow(Parent()), nullptr);
  const auto send = [&](KeySym symbol, unsigned state, bool press) {
    XEvent e{};
    e.xkey.type = press ? KeyPress : KeyRelease;
    e.xkey.display = display_;
    e.xkey.window = g.GetWindowId();
    e.xkey.root = DefaultRootWindow(display_);
    e.xkey.keycode = XKeysymToKeycode(display_, symbol);
    e.xkey.state = state;
    e.xkey.same_screen = True;
    XSendEvent(display_, g.GetWindowId(), False, press ? KeyPressMask : KeyReleaseMask, &e);
    XSync(display_, False);
    g.Idle();
    XSync(display_, False);
  };
  send(XK_a, ShiftMask, true);
  send(XK_a, ShiftMask, false);
  send(XK_Left, ControlMask, true);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].vk, 'A');
  EXPECT_STREQ(downs[0].utf8, "A");  // shifted
  EXPECT_TRUE(downs[0].shift);
  EXPECT_FALSE(downs[0].ctrl);
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(ups[0].vk, 'A');
  EXPECT_EQ(downs[1].vk, 0x25);
  EXPECT_STREQ(downs[1].utf8, "");
  EXPECT_TRUE(downs[1].ctrl);
  // Only the arrow, which the page left, reached the parent.
  std::vector<unsigned> forwarded;
  XEvent got{};
  while (XCheckWindowEvent(display_, parent_, KeyPressMask | KeyReleaseMask, &got))
    forwarded.push_back(got.xkey.keycode);
  EXPECT_EQ(forwarded, std::vector<unsigned>{static_cast<unsigned>(XKeysymToKeycode(display_, XK_Left))});
}

// The cursor the server shows, as ARGB pixels (empty without XFixes).
std::vector<std::uint32_t> ShownCursor(Display* display) {
  std::vector<std::uint32_t> pixels;
  XFixesCursorImage* image = XFixesGetCursorImage(display);
  if (!image) return pixels;
  pixels.push_back(image->width);
  pixels.push_back(image->height);
  for (int i = 0; i < image->width * image->height; ++i) pixels.push_back(static_cast<std::uint32_t>(image->pixels[i]));
  XFree(image);
  return pixels;
}

TEST_F(IGraphicsLinuxX, CursorShapesAndHidingReachTheServer) {
  int eventBase = 0, errorBase = 0;
  ASSERT_TRUE(XFixesQueryExtension(display_, &eventBase, &errorBase));
  FakeEditorDelegate delegate;
  ig::IGraphicsLinux g(delegate, 400, 300, 60, 1.0f);
  ASSERT_NE(g.OpenWindow(Parent()), nullptr);
  XWarpPointer(display_, 0, g.GetWindowId(), 0, 0, 0, 0, 50, 50);
  XSync(display_, False);
  g.SetPlatformCursor(ig::kHandCursor);
  const std::vector<std::uint32_t> hand = ShownCursor(display_);
  g.SetPlatformCursor(ig::kArrowCursor);
  const std::vector<std::uint32_t> arrow = ShownCursor(display_);
  ASSERT_GT(hand.size(), 2u);
  ASSERT_GT(arrow.size(), 2u);
  EXPECT_NE(hand, arrow);
  g.SetPlatformCursor(ig::kSizeNWSECursor);
  EXPECT_NE(ShownCursor(display_), arrow);

  g.SetPlatformCursor(ig::kArrowCursor);
  g.HideMouseCursor(true, false);
  const std::vector<std::uint32_t> hidden = ShownCursor(display_);
  ASSERT_GT(hidden.size(), 2u);
  bool invisible = true;
  for (std::size_t i = 2; i < hidden.size(); ++i) invisible = invisible && (hidden[i] >> 24) == 0;
  EXPECT_TRUE(invisible);
  // A shape set while hidden shows when the cursor comes back.
  g.SetPlatformCursor(ig::kHandCursor);
  EXPECT_EQ(ShownCursor(display_), hidden);
  g.HideMouseCursor(false, false);
  EXPECT_EQ(ShownCursor(display_), hand);
}

TEST_F(IGraphicsLinuxX, LeavesTheHostsErrorHandlerInstalled) {
  XSetErrorHandler(&CountingHandler);
  {
    FakeEditorDelegate delegate;
    ig::IGraphicsLinux g(delegate, 400, 300, 60, 1.0f);
    EXPECT_EQ(g.OpenWindow(reinterpret_cast<void*>(std::uintptr_t{0x1FFFFFF})), nullptr);  // a bad parent
    EXPECT_EQ(ig::IGraphicsLinux::OpenWindowCount(), 0);
    EXPECT_FALSE(g.HasGlContext());
    void* window = g.OpenWindow(Parent());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(window), g.GetWindowId());
    EXPECT_EQ(g.GetParentId(), parent_);
    EXPECT_TRUE(g.HasGlContext());
    EXPECT_EQ(ig::IGraphicsLinux::OpenWindowCount(), 1);
    g.SetPlatformCursor(ig::kHandCursor);
    g.HideMouseCursor(true, false);
    g.HideMouseCursor(false, false);
    for (int i = 0; i < 5; ++i) g.Idle();
    g.CloseWindow();
    EXPECT_EQ(ig::IGraphicsLinux::OpenWindowCount(), 0);
    EXPECT_EQ(g.GetWindowId(), 0u);
    EXPECT_EQ(g.GetParentId(), 0u);
    EXPECT_FALSE(g.HasGlContext());
    g.CloseWindow();  // twice is nothing
    EXPECT_EQ(ig::IGraphicsLinux::OpenWindowCount(), 0);
  }
  EXPECT_EQ(XSetErrorHandler(nullptr), &CountingHandler);
}

// Every frame makes the editor's context current, with a round trip to
// catch an error of a window the host destroyed: one, beyond whatever the
// GL driver itself asks of the server for a bare glXMakeCurrent.
TEST_F(IGraphicsLinuxX, MakingTheContextCurrentCostsOneRoundTripBeyondTheDrivers) {
  int wanted[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, 0};
  XVisualInfo* visual = glXChooseVisual(display_, DefaultScreen(display_), wanted);
  ASSERT_NE(visual, nullptr);
  XSetWindowAttributes attributes{};
  attributes.colormap = XCreateColormap(display_, parent_, visual->visual, AllocNone);
  const Window bare = XCreateWindow(display_, parent_, 0, 0, 100, 100, 0, visual->depth, InputOutput,
                                    visual->visual, CWColormap, &attributes);
  GLXContext context = glXCreateContext(display_, visual, nullptr, True);
  ASSERT_NE(context, nullptr);
  XSync(display_, False);
  // The first binding of a drawable sets it up; the ones after are what a frame pays.
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(glXMakeCurrent(display_, bare, context));
    glXMakeCurrent(display_, 0, nullptr);
  }
  const unsigned long before = XNextRequest(display_);
  ASSERT_TRUE(glXMakeCurrent(display_, bare, context));
  const std::uint64_t driver = XNextRequest(display_) - before;
  glXMakeCurrent(display_, 0, nullptr);
  glXDestroyContext(display_, context);
  XDestroyWindow(display_, bare);
  XFreeColormap(display_, attributes.colormap);
  XFree(visual);

  std::unique_ptr<fx::x11::X11Api> x = fx::x11::MakeRealX11Api();
  ASSERT_TRUE(x->OpenDisplay());
  ASSERT_TRUE(x->CreateWindow(parent_, 100, 100));
  for (int k = 0; k < 4; ++k) {
    x->SaveCurrentContext();
    const std::uint64_t sent = x->RequestsSent();
    ASSERT_TRUE(x->MakeCurrent());
    if (k >= 2) {
      EXPECT_EQ(x->RequestsSent() - sent, driver + 1) << "frame " << k;
    }
    x->RestoreSavedContext();
  }
  EXPECT_EQ(glXGetCurrentContext(), nullptr);
  x->DestroyWindow();
  x->CloseDisplay();
  EXPECT_EQ(x->RequestsSent(), 0u);
}

}  // namespace
