// The built Ombrisk.so's editor in a private X server (the test runs under
// xvfb-run): a test host with its own connection and its own parent windows
// opens, drives and closes editors through the VST2 dispatcher only, and
// looks at the result from the X server's side.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "EditorPage.h"
#include "FakeHost.h"
#include "ModuleLoader.h"
#include "platform/OffscreenGlContext.h"

// X11 after the framework's headers (its macros clash with their names).
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using vst2_test::FakeHost;

class Instance {
 public:
  explicit Instance(vst2::VstPluginMainProc entry) : effect_(entry ? entry(&FakeHost::Callback) : nullptr) {
    if (effect_) Call(vst2::effOpen);
  }
  ~Instance() {
    if (effect_) Call(vst2::effClose);
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;
  vst2::AEffect* Get() const { return effect_; }
  std::intptr_t Call(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0, void* ptr = nullptr,
                     float opt = 0.0f) const {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
  }
  // effEditOpen's answer: 1 opened, 0 not.
  std::intptr_t Open(Window parent) const { return Call(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(parent)); }
  // The editor rectangle's size; {0, 0} when the call fails.
  std::pair<int, int> Rect() const {
    vst2::ERect* rect = nullptr;
    if (Call(vst2::effEditGetRect, 0, 0, &rect) != 1 || !rect) return {0, 0};
    return {rect->right - rect->left, rect->bottom - rect->top};
  }
  float Param(std::int32_t index) const { return effect_->getParameter(effect_, index); }

 private:
  vst2::AEffect* effect_;
};

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // 3 bytes a pixel, rows top first
  const std::uint8_t* At(int x, int y) const { return rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3; }
};

int ShiftOf(unsigned long mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

// Sockets the process has open: each X connection is one.
int OpenSockets() {
  int n = 0;
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return -1;
  while (dirent* e = readdir(dir)) {
    struct stat st {};
    const std::string path = std::string("/proc/self/fd/") + e->d_name;
    if (stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) ++n;
  }
  closedir(dir);
  return n;
}

long ResidentKb() {
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return -1;
  long pages = 0, resident = 0;
  const int read = std::fscanf(f, "%ld %ld", &pages, &resident);
  std::fclose(f);
  return read == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

class EditorWindowX11 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = new vst2_test::ModuleLoader(OMBRISK_MODULE_PATH);
    // The server resets when its last client leaves, and refuses
    // connections meanwhile: one connection stays for the whole suite.
    keeper_ = XOpenDisplay(nullptr);
  }
  static void TearDownTestSuite() {
    if (keeper_) XCloseDisplay(keeper_);
    keeper_ = nullptr;
    delete module_;
    module_ = nullptr;
  }

  void SetUp() override {
    FakeHost::Instance().Reset();
    ASSERT_TRUE(module_ && module_->Loaded()) << OMBRISK_MODULE_PATH;
    entry_ = module_->Entry("VSTPluginMain");
    ASSERT_NE(entry_, nullptr);
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr) << "no X server: run under xvfb-run -a";
  }
  void TearDown() override {
    if (!display_) return;
    for (Window w : parents_) XDestroyWindow(display_, w);
    XCloseDisplay(display_);
  }

  Window MakeParent(int w = 1200, int h = 800, long eventMask = 0, int x = 0) {
    const Window root = DefaultRootWindow(display_);
    const Window parent = XCreateSimpleWindow(display_, root, x, 0, static_cast<unsigned>(w),
                                              static_cast<unsigned>(h), 0, 0, 0);
    if (eventMask) XSelectInput(display_, parent, eventMask);
    XMapWindow(display_, parent);
    XSync(display_, False);
    parents_.push_back(parent);
    return parent;
  }

  std::vector<Window> Children(Window w) {
    XSync(display_, False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    std::vector<Window> out;
    if (XQueryTree(display_, w, &root, &parent, &children, &n)) out.assign(children, children + n);
    if (children) XFree(children);
    return out;
  }

  // Opens the editor in the parent: the one child window it made, or 0.
  Window OpenChild(const Instance& fx, Window parent) {
    if (fx.Open(parent) != 1) return 0;
    const std::vector<Window> children = Children(parent);
    return children.size() == 1 ? children[0] : 0;
  }

  // Every window on the screen, counted down the whole tree.
  int TreeSize(Window w) {
    int n = 1;
    for (Window c : Children(w)) n += TreeSize(c);
    return n;
  }

  XWindowAttributes Attributes(Window w) {
    XSync(display_, False);
    XWindowAttributes a{};
    XGetWindowAttributes(display_, w, &a);
    return a;
  }

  // Idle calls as a host makes them, every 5 ms.
  static void Pump(const std::vector<const Instance*>& instances, int ms = 300) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      for (const Instance* fx : instances) fx->Call(vst2::effEditIdle);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  Image Grab(Window w) {
    XSync(display_, False);
    const XWindowAttributes a = Attributes(w);
    Image image;
    XImage* x = XGetImage(display_, w, 0, 0, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height),
                          AllPlanes, ZPixmap);
    if (!x) return image;
    image.width = a.width;
    image.height = a.height;
    image.rgb.resize(static_cast<std::size_t>(a.width) * a.height * 3);
    const int rs = ShiftOf(x->red_mask), gs = ShiftOf(x->green_mask), bs = ShiftOf(x->blue_mask);
    for (int y = 0; y < a.height; ++y)
      for (int px = 0; px < a.width; ++px) {
        const unsigned long p = XGetPixel(x, px, y);
        std::uint8_t* out = image.rgb.data() + (static_cast<std::size_t>(y) * a.width + px) * 3;
        out[0] = static_cast<std::uint8_t>((p & x->red_mask) >> rs);
        out[1] = static_cast<std::uint8_t>((p & x->green_mask) >> gs);
        out[2] = static_cast<std::uint8_t>((p & x->blue_mask) >> bs);
      }
    XDestroyImage(x);
    return image;
  }

  static int DistinctColours(const Image& image) {
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i + 2 < image.rgb.size(); i += 3)
      colours.insert((std::uint32_t{image.rgb[i]} << 16) | (std::uint32_t{image.rgb[i + 1]} << 8) | image.rgb[i + 2]);
    return static_cast<int>(colours.size());
  }

  // step: milliseconds of server time since the previous event.
  void SendButton(Window w, bool press, unsigned button, int x, int y, unsigned state, Time step = 1000) {
    XEvent e{};
    e.xbutton.type = press ? ButtonPress : ButtonRelease;
    e.xbutton.display = display_;
    e.xbutton.window = w;
    e.xbutton.root = DefaultRootWindow(display_);
    e.xbutton.x = x;
    e.xbutton.y = y;
    e.xbutton.button = button;
    e.xbutton.state = state;
    e.xbutton.same_screen = True;
    e.xbutton.time = time_ += step;
    XSendEvent(display_, w, False, press ? ButtonPressMask : ButtonReleaseMask, &e);
    XSync(display_, False);
  }
  void SendMotion(Window w, int x, int y, unsigned state) {
    XEvent e{};
    e.xmotion.type = MotionNotify;
    e.xmotion.display = display_;
    e.xmotion.window = w;
    e.xmotion.root = DefaultRootWindow(display_);
    e.xmotion.x = x;
    e.xmotion.y = y;
    e.xmotion.state = state;
    e.xmotion.same_screen = True;
    e.xmotion.time = time_ += 20;
    XSendEvent(display_, w, False, PointerMotionMask, &e);
    XSync(display_, False);
  }
  void Drag(const Instance& fx, Window w, int x0, int y0, int x1, int y1) {
    SendButton(w, true, 1, x0, y0, 0);
    Pump({&fx}, 50);
    for (int i = 1; i <= 4; ++i) {
      SendMotion(w, x0 + (x1 - x0) * i / 4, y0 + (y1 - y0) * i / 4, Button1Mask);
      Pump({&fx}, 30);
    }
    SendButton(w, false, 1, x1, y1, Button1Mask);
    Pump({&fx}, 100);
  }

  static int CountCalls(std::int32_t opcode, std::int32_t index) {
    int n = 0;
    for (const vst2_test::HostCall& c : FakeHost::Instance().Calls()) n += c.opcode == opcode && c.index == index;
    return n;
  }

  static vst2_test::ModuleLoader* module_;
  static Display* keeper_;
  vst2::VstPluginMainProc entry_ = nullptr;
  Display* display_ = nullptr;
  std::vector<Window> parents_;
  Time time_ = 100000;
};
vst2_test::ModuleLoader* EditorWindowX11::module_ = nullptr;
Display* EditorWindowX11::keeper_ = nullptr;

// The page as the headless renderer draws it at the editor's opening scale.
fx::igraphics::PageImage HeadlessPage() {
  fx::igraphics::PageImage page;
  auto gl = fx::platform::OffscreenGlContext::create();
  if (!gl) return page;
  fx::igraphics::GlViewContext view;
  view.loader = gl->loader();
  view.loaderUser = gl->loaderUser();
  ombrisk::page::EditorPage::Options options;
  options.scale = 0.5f;
  auto editor = ombrisk::page::EditorPage::Create(view, options);
  if (!editor) return page;
  editor->RunFrame();
  page = editor->ReadPage();
  return page;  // the page and its context go before any X test runs
}

TEST_F(EditorWindowX11, OpensAChildOfTheHostWindowThatShowsTheHeadlessPage) {
  const fx::igraphics::PageImage reference = HeadlessPage();
  ASSERT_EQ(reference.width, 815);
  ASSERT_EQ(reference.height, 505);

  Instance fx(entry_);
  ASSERT_NE(fx.Get(), nullptr);
  EXPECT_EQ(fx.Get()->flags, 0x1019);
  EXPECT_EQ(fx.Rect(), std::make_pair(815, 505));
  const Window parent = MakeParent();
  const Window child = OpenChild(fx, parent);
  ASSERT_NE(child, 0u);
  EXPECT_EQ(Children(parent), std::vector<Window>{child});
  const XWindowAttributes a = Attributes(child);
  EXPECT_EQ(a.width, 815);
  EXPECT_EQ(a.height, 505);
  EXPECT_EQ(a.map_state, IsViewable);
  EXPECT_EQ(fx.Rect(), std::make_pair(815, 505));

  Pump({&fx});
  const Image shown = Grab(child);
  ASSERT_EQ(shown.width, 815);
  ASSERT_EQ(shown.height, 505);
  EXPECT_GT(DistinctColours(shown), 1000);  // the artwork, not a blank or single-colour window
  // Same renderer, same state: the window shows the headless pixels.
  long off = 0;
  long total = 0;
  for (int y = 0; y < shown.height; ++y)
    for (int x = 0; x < shown.width; ++x) {
      const std::uint8_t* s = shown.At(x, y);
      const std::uint8_t* r = reference.At(x, y);
      int worst = 0;
      for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int{s[c]} - int{r[c]}));
      total += worst;
      off += worst > 8 ? 1 : 0;
    }
  std::printf("pixels off by more than 8: %ld, mean worst difference %.3f\n", off, static_cast<double>(total) / (shown.width * shown.height));
  EXPECT_LT(off, shown.width * shown.height / 200) << "pixels differing by more than 8";
  EXPECT_LT(static_cast<double>(total) / (shown.width * shown.height), 1.0);

  EXPECT_EQ(fx.Call(vst2::effEditClose), 1);
  EXPECT_TRUE(Children(parent).empty());
}

TEST_F(EditorWindowX11, AKnobDragTheWheelAndADoubleClickAutomateThroughTheHost) {
  Instance fx(entry_);
  const Window parent = MakeParent();
  const Window child = OpenChild(fx, parent);
  ASSERT_NE(child, 0u);
  Pump({&fx});
  const float before = fx.Param(0);
  FakeHost::Instance().Reset();
  // The input gain knob's middle, at the opening half scale.
  Drag(fx, child, 96, 132, 96, 72);
  EXPECT_GE(CountCalls(vst2::audioMasterBeginEdit, 0), 1);
  EXPECT_GE(CountCalls(vst2::audioMasterAutomate, 0), 1);
  EXPECT_GE(CountCalls(vst2::audioMasterEndEdit, 0), 1);
  const float dragged = fx.Param(0);
  EXPECT_GT(dragged, before);  // dragging up turns it up

  FakeHost::Instance().Reset();
  SendButton(child, true, 5, 96, 132, 0);  // one notch down
  SendButton(child, false, 5, 96, 132, 0);
  Pump({&fx}, 100);
  EXPECT_GE(CountCalls(vst2::audioMasterAutomate, 0), 1);
  const float turned = fx.Param(0);
  EXPECT_LT(turned, dragged);

  // Two quick presses in place: a double click, which resets the knob.
  FakeHost::Instance().Reset();
  SendButton(child, true, 1, 96, 132, 0);
  SendButton(child, false, 1, 96, 132, Button1Mask, 60);
  SendButton(child, true, 1, 97, 133, 0, 120);
  SendButton(child, false, 1, 97, 133, Button1Mask, 60);
  Pump({&fx}, 100);
  EXPECT_GE(CountCalls(vst2::audioMasterAutomate, 0), 1);
  EXPECT_FLOAT_EQ(fx.Param(0), before);
  // The same presses a second apart are two single clicks: no reset.
  Drag(fx, child, 96, 132, 96, 100);
  const float raised = fx.Param(0);
  ASSERT_NE(raised, before);
  SendButton(child, true, 1, 96, 100, 0);
  SendButton(child, false, 1, 96, 100, Button1Mask, 60);
  SendButton(child, true, 1, 96, 100, 0, 1000);
  SendButton(child, false, 1, 96, 100, Button1Mask, 60);
  Pump({&fx}, 100);
  EXPECT_FLOAT_EQ(fx.Param(0), raised);
  // A whole drag queued between two idle calls keeps its order: the motion
  // after the release does not swallow the drag before it.
  FakeHost::Instance().Reset();
  const float queuedBefore = fx.Param(0);
  SendButton(child, true, 1, 96, 132, 0);
  SendMotion(child, 96, 112, Button1Mask);
  SendMotion(child, 96, 92, Button1Mask);
  SendButton(child, false, 1, 96, 92, Button1Mask);
  SendMotion(child, 300, 300, 0);
  Pump({&fx}, 100);
  EXPECT_GT(fx.Param(0), queuedBefore);
  EXPECT_GE(CountCalls(vst2::audioMasterEndEdit, 0), 1);

  // Presses elsewhere than a control automate nothing.
  FakeHost::Instance().Reset();
  SendButton(child, true, 1, 400, 20, 0);
  SendButton(child, false, 1, 400, 20, Button1Mask);
  Pump({&fx}, 100);
  EXPECT_EQ(FakeHost::Instance().Count(vst2::audioMasterAutomate), 0);
  fx.Call(vst2::effEditClose);
}

TEST_F(EditorWindowX11, KeysThePageLeavesGoBackToTheHost) {
  Instance fx(entry_);
  EXPECT_EQ(fx.Call(vst2::effEditKeyDown, 'a', 0), 0);  // nothing open
  const Window parent = MakeParent(1200, 800, KeyPressMask);
  const Window child = OpenChild(fx, parent);
  ASSERT_NE(child, 0u);
  Pump({&fx}, 100);
  EXPECT_EQ(fx.Call(vst2::effEditKeyDown, 'a', 0), 0);  // the page takes no keys: 0 = not handled

  // A key typed into our window reaches the host's window.
  XEvent key{};
  key.xkey.type = KeyPress;
  key.xkey.display = display_;
  key.xkey.window = child;
  key.xkey.root = DefaultRootWindow(display_);
  key.xkey.keycode = XKeysymToKeycode(display_, XK_q);
  key.xkey.same_screen = True;
  XSendEvent(display_, child, False, KeyPressMask, &key);
  XSync(display_, False);
  Pump({&fx}, 100);
  XSync(display_, False);
  XEvent got{};
  bool forwarded = false;
  while (XCheckTypedWindowEvent(display_, parent, KeyPress, &got))
    forwarded = forwarded || got.xkey.keycode == key.xkey.keycode;
  EXPECT_TRUE(forwarded);
  fx.Call(vst2::effEditClose);
}

TEST_F(EditorWindowX11, BadParentsOpenNothingAndLeaveNothingBehind) {
  Instance fx(entry_);
  const int sockets = OpenSockets();
  EXPECT_EQ(fx.Call(vst2::effEditOpen, 0, 0, nullptr), 0);
  const int windows = TreeSize(DefaultRootWindow(display_));
  EXPECT_EQ(fx.Call(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(std::uintptr_t{0x1FFFFFF})), 0);
  // A window id of another client's range that does not exist.
  EXPECT_EQ(fx.Call(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(std::uintptr_t{0x7FFFFFF})), 0);
  EXPECT_EQ(TreeSize(DefaultRootWindow(display_)), windows);
  // No X server to be reached: nothing opens either.
  const std::string where = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
  setenv("DISPLAY", ":9999", 1);
  const Window parent0 = MakeParent();
  EXPECT_EQ(fx.Open(parent0), 0);
  setenv("DISPLAY", where.c_str(), 1);
  EXPECT_TRUE(Children(parent0).empty());
  fx.Call(vst2::effEditIdle);
  EXPECT_EQ(fx.Call(vst2::effEditClose), 1);
  EXPECT_EQ(OpenSockets(), sockets);
  // The instance still opens on a good parent afterwards.
  const Window parent = MakeParent();
  EXPECT_EQ(fx.Open(parent), 1);
  fx.Call(vst2::effEditClose);
}

// A GLX context of the host's, current on a small window of its own.
class HostGlContext {
 public:
  HostGlContext(Display* display, Window parent) : display_(display) {
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, 0};
    XVisualInfo* visual = glXChooseVisual(display_, DefaultScreen(display_), attributes);
    if (!visual) return;
    XSetWindowAttributes wa{};
    colormap_ = XCreateColormap(display_, parent, visual->visual, AllocNone);
    wa.colormap = colormap_;
    drawable_ = XCreateWindow(display_, parent, 0, 0, 64, 64, 0, visual->depth, InputOutput, visual->visual,
                              CWColormap | CWBorderPixel, &wa);
    context_ = glXCreateContext(display_, visual, nullptr, True);
    XFree(visual);
    if (context_) current_ = glXMakeCurrent(display_, drawable_, context_);
  }
  ~HostGlContext() {
    glXMakeCurrent(display_, 0, nullptr);
    if (context_) glXDestroyContext(display_, context_);
    if (drawable_) XDestroyWindow(display_, drawable_);
    if (colormap_) XFreeColormap(display_, colormap_);
  }
  bool Made() const { return current_; }
  bool StillCurrent() const {
    return glXGetCurrentContext() == context_ && glXGetCurrentDrawable() == drawable_ &&
           glXGetCurrentDisplay() == display_;
  }

 private:
  Display* display_;
  Colormap colormap_ = 0;
  Window drawable_ = 0;
  GLXContext context_ = nullptr;
  bool current_ = false;
};

// GL objects of the host's own, made in its context.
class HostGlObjects {
 public:
  HostGlObjects() {
    genFramebuffers_ = Proc<void (*)(GLsizei, GLuint*)>("glGenFramebuffers");
    genRenderbuffers_ = Proc<void (*)(GLsizei, GLuint*)>("glGenRenderbuffers");
    isFramebuffer_ = Proc<GLboolean (*)(GLuint)>("glIsFramebuffer");
    isRenderbuffer_ = Proc<GLboolean (*)(GLuint)>("glIsRenderbuffer");
    bindFramebuffer_ = Proc<void (*)(GLenum, GLuint)>("glBindFramebuffer");
    bindRenderbuffer_ = Proc<void (*)(GLenum, GLuint)>("glBindRenderbuffer");
    if (!genFramebuffers_ || !genRenderbuffers_ || !isFramebuffer_ || !isRenderbuffer_ || !bindFramebuffer_ ||
        !bindRenderbuffer_)
      return;
    for (int i = 0; i < 4; ++i) {
      GLuint f = 0, r = 0, t = 0;
      genFramebuffers_(1, &f);
      bindFramebuffer_(GL_FRAMEBUFFER, f);  // names exist once bound
      genRenderbuffers_(1, &r);
      bindRenderbuffer_(GL_RENDERBUFFER, r);
      glGenTextures(1, &t);
      glBindTexture(GL_TEXTURE_2D, t);
      framebuffers_.push_back(f);
      renderbuffers_.push_back(r);
      textures_.push_back(t);
    }
    bindFramebuffer_(GL_FRAMEBUFFER, 0);
    made_ = true;
  }
  bool Made() const { return made_; }
  // Every object still there, looked at in the host's context.
  bool AllAlive() const {
    for (GLuint f : framebuffers_)
      if (!isFramebuffer_(f)) return false;
    for (GLuint r : renderbuffers_)
      if (!isRenderbuffer_(r)) return false;
    for (GLuint t : textures_)
      if (!glIsTexture(t)) return false;
    return true;
  }

 private:
  template <class F>
  static F Proc(const char* name) {
    return reinterpret_cast<F>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
  }
  void (*genFramebuffers_)(GLsizei, GLuint*) = nullptr;
  void (*genRenderbuffers_)(GLsizei, GLuint*) = nullptr;
  GLboolean (*isFramebuffer_)(GLuint) = nullptr;
  GLboolean (*isRenderbuffer_)(GLuint) = nullptr;
  void (*bindFramebuffer_)(GLenum, GLuint) = nullptr;
  void (*bindRenderbuffer_)(GLenum, GLuint) = nullptr;
  std::vector<GLuint> framebuffers_, renderbuffers_, textures_;
  bool made_ = false;
};

// With the host's context current and objects of its own alive, opening,
// idling, a corner-drag resize and closing leave the host's context current
// and every host object alive, and the page is drawn before and after the
// resize.
TEST_F(EditorWindowX11, TheHostsGlxContextAndObjectsSurviveOpenIdleResizeAndClose) {
  const Window parent = MakeParent(1600, 1100);
  // The host draws with GL in a window of its own, clear of ours (no window
  // manager here: a window on top would hide our pixels from the grab).
  HostGlContext host(display_, MakeParent(64, 64, 0, 1800));
  ASSERT_TRUE(host.Made());
  HostGlObjects objects;
  ASSERT_TRUE(objects.Made());
  Instance fx(entry_);
  const Window child = OpenChild(fx, parent);
  ASSERT_NE(child, 0u);
  EXPECT_TRUE(host.StillCurrent());
  for (int i = 0; i < 20; ++i) {
    fx.Call(vst2::effEditIdle);
    std::this_thread::sleep_for(std::chrono::milliseconds(17));
    EXPECT_TRUE(host.StillCurrent()) << "after idle " << i;
  }
  EXPECT_TRUE(objects.AllAlive());
  EXPECT_GT(DistinctColours(Grab(child)), 1000) << "the page is black before the resize";
  Drag(fx, child, 810, 500, 1010, 625);
  EXPECT_GT(Attributes(child).width, 815);
  EXPECT_TRUE(host.StillCurrent());
  EXPECT_TRUE(objects.AllAlive()) << "the resize deleted the host's objects";
  Pump({&fx}, 100);
  EXPECT_GT(DistinctColours(Grab(child)), 1000) << "the page is black after the resize";
  EXPECT_TRUE(host.StillCurrent());
  fx.Call(vst2::effEditClose);
  EXPECT_TRUE(host.StillCurrent());
  EXPECT_TRUE(objects.AllAlive());
}

// Frames that change one knob present only its pixels (where the server
// can copy part of the buffer); the window then shows exactly what a whole
// present of the same state shows.
TEST_F(EditorWindowX11, PresentingOnlyWhatChangedGivesThePixelsOfAWholePresent) {
  const Window parent = MakeParent();
  Instance fx(entry_);
  const Window child = OpenChild(fx, parent);
  ASSERT_NE(child, 0u);
  Pump({&fx});
  const Image before = Grab(child);
  // The host turns two knobs: the editor repaints and presents their areas only.
  fx.Get()->setParameter(fx.Get(), 0, 0.9f);
  fx.Get()->setParameter(fx.Get(), 5, 0.1f);
  Pump({&fx});
  const Image partial = Grab(child);
  // An expose makes the next frame present the whole page.
  XClearArea(display_, child, 0, 0, 0, 0, True);
  XFlush(display_);
  Pump({&fx});
  const Image whole = Grab(child);
  ASSERT_EQ(partial.rgb.size(), whole.rgb.size());
  std::size_t differing = 0, changed = 0;
  for (std::size_t i = 0; i < whole.rgb.size(); ++i) {
    differing += partial.rgb[i] != whole.rgb[i];
    changed += before.rgb[i] != whole.rgb[i];
  }
  EXPECT_GT(changed, 1000u);  // the knobs did turn
  EXPECT_EQ(differing, 0u);
}

// A host loads presets from a thread of its own while the user drags a
// knob with the real pointer (xdotool, through the server): nothing crashes
// or hangs, the drag's gestures balance, and when both are done the page
// shows the last chunk's values.
TEST_F(EditorWindowX11, ChunksLoadedFromAHostThreadDuringARealDragEndOnThePage) {
  if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
  Instance fx(entry_);
  // Two program chunks: A, and B whose values the page must end with.
  const auto chunkOf = [&fx](const std::vector<float>& values) {
    for (std::size_t i = 0; i < values.size(); ++i)
      fx.Get()->setParameter(fx.Get(), static_cast<std::int32_t>(i), values[i]);
    void* data = nullptr;
    const std::intptr_t size = fx.Call(vst2::effGetChunk, 1, 0, &data);
    return std::vector<std::uint8_t>(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
  };
  const std::vector<std::uint8_t> a = chunkOf({0.2f, 0.3f, 0.4f, 0.0f, 0.0f, 0.6f, 0.5f});
  std::vector<std::uint8_t> b = chunkOf({0.85f, 0.9f, 0.1f, 1.0f, 1.0f, 0.25f, 0.7f});
  ASSERT_FALSE(a.empty());
  std::vector<float> expected;
  for (std::int32_t i = 0; i < 7; ++i) expected.push_back(fx.Param(i));
  std::vector<std::uint8_t> first = a;
  fx.Call(vst2::effSetChunk, 1, static_cast<std::intptr_t>(first.size()), first.data());

  const Window parent = MakeParent();
  const Window child = OpenChild(fx, parent);
  ASSERT_NE(child, 0u);
  Pump({&fx});
  FakeHost::Instance().Reset();

  std::atomic<bool> dragDone{false}, loadsDone{false};
  std::thread loads([&]() {
    std::vector<std::uint8_t> ca = a, cb = b;
    for (int i = 0; i < 299; ++i) {
      std::vector<std::uint8_t>& c = (i % 2) ? cb : ca;
      fx.Call(vst2::effSetChunk, 1, static_cast<std::intptr_t>(c.size()), c.data());
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    while (!dragDone.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    fx.Call(vst2::effSetChunk, 1, static_cast<std::intptr_t>(cb.size()), cb.data());  // the 300th: B
    loadsDone = true;
  });
  // The input gain knob at (96, 132); the parent sits at the root's origin.
  std::thread drag([&]() {
    std::system("xdotool mousemove 96 132 mousedown 1 sleep 0.05 mousemove 96 120 sleep 0.05 mousemove 96 100 "
                "sleep 0.05 mousemove 96 80 sleep 0.05 mouseup 1");
    dragDone = true;
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!(dragDone && loadsDone) && std::chrono::steady_clock::now() < deadline) Pump({&fx}, 10);
  drag.join();
  loads.join();
  ASSERT_TRUE(loadsDone.load()) << "the loads hung";
  // The release put the hidden pointer back where the drag began; then it
  // leaves the page, and the value readout lingers a moment and goes.
  Pump({&fx}, 200);
  std::system("xdotool mousemove 1100 750");
  Pump({&fx}, 1500);
  EXPECT_GE(CountCalls(vst2::audioMasterBeginEdit, 0), 1);
  EXPECT_EQ(CountCalls(vst2::audioMasterBeginEdit, 0), CountCalls(vst2::audioMasterEndEdit, 0));
  for (std::int32_t i = 0; i < 7; ++i) EXPECT_FLOAT_EQ(fx.Param(i), expected[static_cast<std::size_t>(i)]) << i;

  // The page shows B: compared with the headless page at B's values.
  auto gl = fx::platform::OffscreenGlContext::create();
  ASSERT_TRUE(gl);
  fx::igraphics::GlViewContext view;
  view.loader = gl->loader();
  view.loaderUser = gl->loaderUser();
  ombrisk::page::EditorPage::Options options;
  options.scale = 0.5f;
  auto page = ombrisk::page::EditorPage::Create(view, options);
  ASSERT_TRUE(page);
  for (std::int32_t i = 0; i < 7; ++i) page->SetParameter(i, expected[static_cast<std::size_t>(i)]);
  page->RunFrame();
  const fx::igraphics::PageImage reference = page->ReadPage();
  const Image shown = Grab(child);
  ASSERT_EQ(shown.width, reference.width);
  long off = 0;
  for (int y = 0; y < shown.height; ++y)
    for (int x = 0; x < shown.width; ++x)
      for (int c = 0; c < 3; ++c) off += std::abs(int{shown.At(x, y)[c]} - int{reference.At(x, y)[c]}) > 8 ? 1 : 0;
  EXPECT_LT(off, shown.width * shown.height / 200) << "channels differing by more than 8 from B's page";
  fx.Call(vst2::effEditClose);
}

TEST_F(EditorWindowX11, OpenTwiceCloseTwiceAndCloseWithNothingOpenAreSafe) {
  Instance fx(entry_);
  EXPECT_EQ(fx.Call(vst2::effEditClose), 1);
  const Window parent = MakeParent();
  const Window first = OpenChild(fx, parent);
  ASSERT_NE(first, 0u);
  const Window second = OpenChild(fx, parent);
  ASSERT_NE(second, 0u);
  EXPECT_EQ(Children(parent), std::vector<Window>{second});  // the first went
  Pump({&fx}, 100);
  EXPECT_GT(DistinctColours(Grab(second)), 1000);
  EXPECT_EQ(fx.Call(vst2::effEditClose), 1);
  EXPECT_EQ(fx.Call(vst2::effEditClose), 1);
  EXPECT_TRUE(Children(parent).empty());
}

TEST_F(EditorWindowX11, AHostThatDestroysItsWindowBeforeClosingIsSurvived) {
  Instance fx(entry_), other(entry_);
  const int sockets = OpenSockets();
  const Window parent = MakeParent();
  ASSERT_NE(OpenChild(fx, parent), 0u);
  // Another editor drawn with the same GL context, beside it.
  const Window otherChild = OpenChild(other, MakeParent(900, 600, 0, 1000));
  ASSERT_NE(otherChild, 0u);
  Pump({&other, &fx}, 100);
  XDestroyWindow(display_, parent);
  parents_.erase(std::remove(parents_.begin(), parents_.end(), parent), parents_.end());
  XSync(display_, False);
  {
    // The host's context, current elsewhere, is what stays current through it.
    HostGlContext host(display_, MakeParent(200, 200, 0, 1300));
    ASSERT_TRUE(host.Made());
    Pump({&fx, &other}, 100);  // idle calls meet the destroyed window
    EXPECT_EQ(fx.Call(vst2::effEditClose), 1);
    EXPECT_TRUE(host.StillCurrent());
    // The other editor still draws, and answers a change of its parameter.
    const Image before = Grab(otherChild);
    EXPECT_GT(DistinctColours(before), 1000);
    other.Get()->setParameter(other.Get(), 4, 1.0f);
    Pump({&other}, 200);
    EXPECT_NE(Grab(otherChild).rgb, before.rgb) << "the lamp follows Bypass";
    EXPECT_TRUE(host.StillCurrent());
    EXPECT_EQ(other.Call(vst2::effEditClose), 1);
  }
  EXPECT_EQ(OpenSockets(), sockets + 1);  // kept for the instances' next editors
  // The next editor opens as usual.
  const Window again = MakeParent();
  const Window child = OpenChild(fx, again);
  ASSERT_NE(child, 0u);
  Pump({&fx}, 100);
  EXPECT_GT(DistinctColours(Grab(child)), 1000);
  fx.Call(vst2::effEditClose);
}

TEST_F(EditorWindowX11, TwoInstancesHaveTheirEditorsOpenAtOnce) {
  std::optional<Instance> instanceA(std::in_place, entry_), instanceB(std::in_place, entry_);
  Instance &a = *instanceA, &b = *instanceB;
  const int sockets = OpenSockets();
  // Side by side: an obscured window has no pixels to read back.
  const Window parentA = MakeParent(900, 600), parentB = MakeParent(900, 600, 0, 1000);
  const Window childA = OpenChild(a, parentA), childB = OpenChild(b, parentB);
  ASSERT_NE(childA, 0u);
  ASSERT_NE(childB, 0u);
  // One connection for both, so their GL contexts share the artwork.
  EXPECT_EQ(OpenSockets(), sockets + 1);
  Pump({&a, &b});
  EXPECT_GT(DistinctColours(Grab(childA)), 1000);
  EXPECT_GT(DistinctColours(Grab(childB)), 1000);
  // Driving one leaves the other's parameter alone.
  FakeHost::Instance().Reset();
  const float bBefore = b.Param(0);
  Drag(a, childA, 96, 132, 96, 72);
  EXPECT_GE(CountCalls(vst2::audioMasterAutomate, 0), 1);
  EXPECT_EQ(b.Param(0), bBefore);
  a.Call(vst2::effEditClose);
  EXPECT_TRUE(Children(parentA).empty());
  EXPECT_EQ(Children(parentB), std::vector<Window>{childB});
  Pump({&b}, 100);
  EXPECT_GT(DistinctColours(Grab(childB)), 1000);
  b.Call(vst2::effEditClose);
  // With every editor closed the connection stays for the instances' next
  // editors (the GL driver it loaded with it); the next joins it and draws
  // with a context made anew, and the connection goes with the last instance.
  EXPECT_EQ(OpenSockets(), sockets + 1);
  const Window again = OpenChild(b, parentB);
  ASSERT_NE(again, 0u);
  EXPECT_EQ(OpenSockets(), sockets + 1);
  Pump({&b}, 100);
  EXPECT_GT(DistinctColours(Grab(again)), 1000);
  b.Call(vst2::effEditClose);
  instanceB.reset();
  EXPECT_EQ(OpenSockets(), sockets + 1) << "the other instance still keeps it";
  // A host may close a plug-in on another thread than its editor's.
  std::thread([&] { instanceA.reset(); }).join();
  EXPECT_EQ(OpenSockets(), sockets);
}

TEST_F(EditorWindowX11, ACornerDragResizesThroughTheHostAndReopensAtTheNewSize) {
  Instance fx(entry_);
  const Window parent = MakeParent(1600, 1100);
  Window child = OpenChild(fx, parent);
  ASSERT_NE(child, 0u);
  Pump({&fx});
  FakeHost::Instance().Reset();
  Drag(fx, child, 810, 500, 1010, 625);
  std::int32_t width = 0;
  std::intptr_t height = 0;
  for (const vst2_test::HostCall& c : FakeHost::Instance().Calls())
    if (c.opcode == vst2::audioMasterSizeWindow) width = c.index, height = c.value;
  EXPECT_GT(width, 815);
  EXPECT_GT(height, 505);
  EXPECT_EQ(fx.Rect(), std::make_pair(static_cast<int>(width), static_cast<int>(height)));
  XWindowAttributes a = Attributes(child);
  EXPECT_EQ(a.width, width);
  EXPECT_EQ(a.height, height);
  Pump({&fx}, 100);
  EXPECT_GT(DistinctColours(Grab(child)), 1000);

  fx.Call(vst2::effEditClose);
  EXPECT_EQ(fx.Rect(), std::make_pair(static_cast<int>(width), static_cast<int>(height)));
  child = OpenChild(fx, parent);
  ASSERT_NE(child, 0u);
  a = Attributes(child);
  EXPECT_EQ(a.width, width);
  EXPECT_EQ(a.height, height);
  fx.Call(vst2::effEditClose);
}

TEST_F(EditorWindowX11, AHostThatRefusesTheResizeHasItsWindowResizedByAsMuchAsOurs) {
  Instance fx(entry_);
  const Window parent = MakeParent(1000, 700);
  const Window child = OpenChild(fx, parent);
  ASSERT_NE(child, 0u);
  Pump({&fx});
  FakeHost::Instance().Reset();
  FakeHost::Instance().sizeWindowAnswer = 0;
  Drag(fx, child, 810, 500, 1010, 625);
  EXPECT_GE(FakeHost::Instance().Count(vst2::audioMasterSizeWindow), 1);
  const XWindowAttributes ours = Attributes(child), host = Attributes(parent);
  EXPECT_GT(ours.width, 815);
  EXPECT_EQ(host.width - ours.width, 1000 - 815);
  EXPECT_EQ(host.height - ours.height, 700 - 505);
  fx.Call(vst2::effEditClose);

  // A host that takes it keeps its window as it sized it.
  FakeHost::Instance().Reset();
  const Window other = MakeParent(1600, 1100);
  ASSERT_NE(OpenChild(fx, other), 0u);
  Pump({&fx});
  FakeHost::Instance().sizeWindowAnswer = 1;
  const Window child2 = Children(other)[0];
  const XWindowAttributes before = Attributes(child2);
  Drag(fx, child2, before.width - 5, before.height - 5, before.width - 105, before.height - 65);
  EXPECT_LT(Attributes(child2).width, before.width);
  EXPECT_EQ(Attributes(other).width, 1600);
  EXPECT_EQ(Attributes(other).height, 1100);
  fx.Call(vst2::effEditClose);
}

TEST_F(EditorWindowX11, ClosingThePluginWithItsEditorOpenTakesTheEditorAlong) {
  const int sockets = OpenSockets();
  const Window parent = MakeParent();
  {
    Instance fx(entry_);
    ASSERT_NE(OpenChild(fx, parent), 0u);
    Pump({&fx}, 100);
    EXPECT_EQ(OpenSockets(), sockets + 1);
  }  // effClose without effEditClose
  EXPECT_TRUE(Children(parent).empty());
  EXPECT_EQ(OpenSockets(), sockets);
}

TEST_F(EditorWindowX11, ClosingTheLastEditorGivesItsMemoryBack) {
  Instance fx(entry_);
  const Window parent = MakeParent();
  // After the first close the C library no longer maps blocks the size of
  // the editor's textures from the system: from here on they come from the
  // heap, which keeps what is freed unless it is trimmed.
  for (int i = 0; i < 2; ++i) {
    ASSERT_NE(OpenChild(fx, parent), 0u);
    Pump({&fx}, 100);
    fx.Call(vst2::effEditClose);
  }
  ASSERT_NE(OpenChild(fx, parent), 0u);
  Pump({&fx}, 200);
  const long open = ResidentKb();
  fx.Call(vst2::effEditClose);
  const long closed = ResidentKb();
  std::printf("resident with the editor open %ld KiB, closed %ld KiB\n", open, closed);
#if defined(__SANITIZE_ADDRESS__)
  return;  // freed blocks wait in the sanitizer's quarantine
#endif
  // The page's frame buffer and the artwork's textures alone are about
  // 12 MB at the opening size.
  EXPECT_GT(open - closed, 8 * 1024);
}

TEST_F(EditorWindowX11, AHundredOpenCloseCyclesLeakNoWindowConnectionOrMemory) {
  Instance fx(entry_);
  const Window parent = MakeParent();
  const auto cycle = [&] {
    const Window child = OpenChild(fx, parent);
    for (int i = 0; i < 3; ++i) {
      fx.Call(vst2::effEditIdle);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    fx.Call(vst2::effEditClose);
    return child != 0;
  };
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(cycle());  // the driver's one-time setup
  const int windows = TreeSize(DefaultRootWindow(display_));
  const int sockets = OpenSockets();
  const long rss = ResidentKb();
  int opened = 0;
  for (int i = 0; i < 100; ++i) opened += cycle() ? 1 : 0;
  EXPECT_EQ(opened, 100);
  EXPECT_EQ(TreeSize(DefaultRootWindow(display_)), windows);
  EXPECT_EQ(OpenSockets(), sockets);
  const long growth = ResidentKb() - rss;
  std::printf("resident growth over 100 cycles: %ld KiB\n", growth);
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer's allocator keeps freed blocks in quarantine: resident
  // memory says nothing there; windows and connections were checked.
  return;
#endif
  // An editor holds about 12 MB of frame buffers and artwork images, so
  // keeping any of it per cycle grows by far more than this; the margin is
  // the allocator's arenas for the driver's worker threads, which vary run
  // to run by a few tens of megabytes.
  EXPECT_LT(growth, 64 * 1024);
}

}  // namespace
