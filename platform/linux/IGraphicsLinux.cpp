#include "platform/linux/IGraphicsLinux.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "core/Timer.h"
#include "graphics/controls/IControl.h"
#include "graphics/drawing/GlViewContext.h"
#include "platform/linux/X11WindowRules.h"

// X11 last: its macros (None, Bool, Status, KeyPress...) must not meet the
// framework's headers.
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

namespace fx::igraphics {

using namespace fx::x11;

namespace {

std::mutex gCountLock;
std::int32_t gOpenWindows = 0;

std::uint64_t NowMs() {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

// Catches the X errors of our own requests on one display while it lives:
// the previous handler is back (after a round trip that flushes the errors
// of our requests) when it goes. Errors of other displays go on to the
// previous handler.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display) : display_(display), outer_(current_) {
    current_ = this;
    const XErrorHandler previous = XSetErrorHandler(&ErrorTrap::Handler);
    if (!outer_) {
      previous_ = previous;
      outside_.store(previous);
    }
  }
  ~ErrorTrap() {
    if (display_) XSync(display_, False);
    if (!outer_) XSetErrorHandler(previous_);
    current_ = outer_;
  }
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;
  // Errors so far (after a round trip, so the answers to earlier requests are in).
  bool Failed() {
    XSync(display_, False);
    return failed_;
  }

 private:
  static int Handler(Display* display, XErrorEvent* error) {
    for (ErrorTrap* t = current_; t; t = t->outer_) {
      if (t->display_ == display) {
        t->failed_ = true;
        return 0;
      }
    }
    // Not ours (another display or thread): whoever handled errors before.
    const XErrorHandler outside = outside_.load();
    if (outside && outside != &ErrorTrap::Handler) return outside(display, error);
    return 0;
  }

  Display* display_;
  ErrorTrap* outer_;
  XErrorHandler previous_ = nullptr;
  bool failed_ = false;
  static thread_local ErrorTrap* current_;
  static std::atomic<XErrorHandler> outside_;
};
thread_local ErrorTrap* ErrorTrap::current_ = nullptr;
std::atomic<XErrorHandler> ErrorTrap::outside_{nullptr};

fx::vg::GlProc LoadGlProc(const char* name, void*) {
  return reinterpret_cast<fx::vg::GlProc>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

bool HasExtension(const char* list, const char* name) {
  if (!list || !name) return false;
  const std::size_t n = std::strlen(name);
  for (const char* p = std::strstr(list, name); p; p = std::strstr(p + 1, name)) {
    const bool startOk = p == list || p[-1] == ' ';
    const bool endOk = p[n] == '\0' || p[n] == ' ';
    if (startOk && endOk) return true;
  }
  return false;
}

}  // namespace

struct IGraphicsLinux::X {
  Display* display = nullptr;
  ::Window parent = 0;
  ::Window window = 0;
  Colormap colormap = 0;
  GLXContext context = nullptr;
  XVisualInfo visual{};  // the context's, for a stand-in drawable at teardown
  // What the thread had current before our make-current.
  Display* savedDisplay = nullptr;
  GLXDrawable savedDrawable = 0;
  GLXContext savedContext = nullptr;
  std::int32_t contextDepth = 0;
  std::map<std::uint32_t, Cursor> cursors;
  Cursor blankCursor = 0;
  Cursor shownCursor = 0;
  std::unique_ptr<fx::Timer> idleTimer;
  std::thread::id thread;
  FrameClock clock{60};
  ClickTracker clicks;
  bool exposed = false;
  bool gone = false;
  bool dragging = false;
  Atom clipboard = 0, utf8String = 0, targets = 0, text = 0, property = 0;
};

IGraphicsLinux::IGraphicsLinux(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height,
                               std::int32_t fps, float scale)
    : IGraphicsVector(delegate, width, height, fps, scale), x_(std::make_unique<X>()) {}

IGraphicsLinux::~IGraphicsLinux() { CloseWindow(); }

std::int32_t IGraphicsLinux::OpenWindowCount() {
  std::lock_guard lock(gCountLock);
  return gOpenWindows;
}

unsigned long IGraphicsLinux::GetWindowId() const { return x_->window; }
unsigned long IGraphicsLinux::GetParentId() const { return x_->parent; }
bool IGraphicsLinux::HasGlContext() const { return x_->context != nullptr; }
float IGraphicsLinux::GetPlatformMonitorScale() const { return screenScale_; }

// ---------------------------------------------------------------- GL context

bool IGraphicsLinux::MakeContextCurrent() {
  if (x_->contextDepth++ == 0) {
    x_->savedDisplay = glXGetCurrentDisplay();
    x_->savedDrawable = glXGetCurrentDrawable();
    x_->savedContext = glXGetCurrentContext();
  }
  if (!x_->context || !x_->window || x_->gone) return false;
  if (glXGetCurrentContext() == x_->context && glXGetCurrentDrawable() == x_->window) return true;
  ErrorTrap trap(x_->display);
  return glXMakeCurrent(x_->display, x_->window, x_->context) && !trap.Failed();
}

void IGraphicsLinux::RestoreSavedContext() {
  if (x_->contextDepth == 0) return;
  if (--x_->contextDepth > 0) return;
  if (x_->savedContext && x_->savedDisplay) {
    if (glXGetCurrentContext() != x_->savedContext || glXGetCurrentDrawable() != x_->savedDrawable)
      glXMakeCurrent(x_->savedDisplay, x_->savedDrawable, x_->savedContext);
  } else if (x_->display && glXGetCurrentContext() == x_->context && x_->context) {
    glXMakeCurrent(x_->display, 0, nullptr);
  }
  x_->savedDisplay = nullptr;
  x_->savedDrawable = 0;
  x_->savedContext = nullptr;
}

void IGraphicsLinux::ActivateGLContext() { MakeContextCurrent(); }

void IGraphicsLinux::DeactivateGLContext() { RestoreSavedContext(); }

// ---------------------------------------------------------------- open / close

void* IGraphicsLinux::OpenWindow(void* parent) {
  // A second open without a close moves the editor to the new parent.
  if (x_->window) CloseWindow();
  const auto parentId = static_cast<::Window>(reinterpret_cast<std::uintptr_t>(parent));
  if (parentId == 0) return nullptr;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  X& x = *x_;
  x.display = display;
  x.parent = parentId;
  x.thread = std::this_thread::get_id();

  XWindowAttributes parentAttributes{};
  bool ok = false;
  {
    ErrorTrap trap(display);
    ok = XGetWindowAttributes(display, parentId, &parentAttributes) != 0 && !trap.Failed();
  }
  const int screen = ok ? XScreenNumberOfScreen(parentAttributes.screen) : 0;
  screenScale_ = ScreenScaleFromResources(XResourceManagerString(display));
  XVisualInfo* visual = nullptr;
  if (ok) {
    int withStencil[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                         GLX_DEPTH_SIZE, 24, GLX_STENCIL_SIZE, 8, 0};
    int plain[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, 0};
    visual = glXChooseVisual(display, screen, withStencil);
    if (!visual) visual = glXChooseVisual(display, screen, plain);
    ok = visual != nullptr;
  }
  if (ok) {
    ErrorTrap trap(display);
    const PixelSize size = OpeningSize(Width(), Height(), GetDrawScale(), screenScale_);
    x.colormap = XCreateColormap(display, parentId, visual->visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = x.colormap;
    attributes.border_pixel = 0;
    attributes.background_pixmap = 0;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                            KeyReleaseMask | LeaveWindowMask | StructureNotifyMask | FocusChangeMask;
    x.window = XCreateWindow(display, parentId, 0, 0, static_cast<unsigned>(size.width > 0 ? size.width : 1),
                             static_cast<unsigned>(size.height > 0 ? size.height : 1), 0, visual->depth, InputOutput,
                             visual->visual, CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
    if (trap.Failed()) ok = false;
    if (ok) {
      x.context = glXCreateContext(display, visual, nullptr, True);
      if (!x.context) x.context = glXCreateContext(display, visual, nullptr, False);
      if (trap.Failed()) ok = false;
    }
    if (ok && x.context) XMapWindow(display, x.window);
  }
  if (visual) {
    x.visual = *visual;
    XFree(visual);
  }
  if (!ok || !x.context) {
    ReleaseWindow();
    return nullptr;
  }
  x.clipboard = XInternAtom(display, "CLIPBOARD", False);
  x.utf8String = XInternAtom(display, "UTF8_STRING", False);
  x.targets = XInternAtom(display, "TARGETS", False);
  x.text = XInternAtom(display, "TEXT", False);
  x.property = XInternAtom(display, "OMBRISK_SELECTION", False);

  bool haveContext = MakeContextCurrent();
  if (haveContext) {
    // Presenting never waits for the vertical blank: the host's thread is ours only briefly.
    const char* extensions = glXQueryExtensionsString(display, screen);
    if (HasExtension(extensions, "GLX_EXT_swap_control")) {
      using SwapEXT = void (*)(Display*, GLXDrawable, int);
      if (auto set = reinterpret_cast<SwapEXT>(LoadGlProc("glXSwapIntervalEXT", nullptr))) {
        ErrorTrap trap(display);
        set(display, x.window, 0);
      }
    } else if (HasExtension(extensions, "GLX_MESA_swap_control")) {
      using SwapMESA = int (*)(unsigned);
      if (auto set = reinterpret_cast<SwapMESA>(LoadGlProc("glXSwapIntervalMESA", nullptr))) set(0);
    }
    GlViewContext view;
    view.loader = &LoadGlProc;
    OnViewInitialized(&view);
  }
  if (!haveContext || !GetRenderer()) {
    RestoreSavedContext();
    ReleaseWindow();
    return nullptr;
  }
  ApplyScreenScale(screenScale_);
  GetDelegate().RunEditorLayout(this);
  ForEachControl([](IControl& c) { c.MarkDirty(false, -1); });
  // No tooltip window on X11.
  SetTooltipsEnabled(false);
  RestoreSavedContext();
  {
    ErrorTrap trap(display);
    XFlush(display);
  }
  x.exposed = true;
  x.clock = FrameClock(FPS());
  x.clock.Reset(NowMs());
  {
    std::lock_guard lock(gCountLock);
    ++gOpenWindows;
  }
  // Serviced on every effEditIdle of the process's editors.
  x.idleTimer = fx::Timer::Create([this](fx::Timer&) { Idle(); }, 1);
  GetDelegate().OnEditorOpened();
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(x.window));
}

void IGraphicsLinux::CloseWindow() {
  if (!x_->display) return;
  if (x_->window) {
    std::lock_guard lock(gCountLock);
    --gOpenWindows;
  }
  ReleaseWindow();
}

void IGraphicsLinux::ReleaseWindow() {
  X& x = *x_;
  x.idleTimer.reset();
  if (!x.display) return;
  {
    ErrorTrap trap(x.display);
    // GL objects go with our context current, then the thread gets back
    // what it had before.
    if (x.context) {
      bool current = MakeContextCurrent();
      ::Window standIn = 0;
      Colormap standInColours = 0;
      if (!current && x.visual.visual) {
        // The host destroyed its window, and ours with it, before closing
        // the editor: a window of our own lets the context delete its objects.
        XSetWindowAttributes attributes{};
        const ::Window root = RootWindow(x.display, x.visual.screen);
        standInColours = XCreateColormap(x.display, root, x.visual.visual, AllocNone);
        attributes.colormap = standInColours;
        standIn = XCreateWindow(x.display, root, 0, 0, 1, 1, 0, x.visual.depth, InputOutput, x.visual.visual,
                                CWColormap | CWBorderPixel, &attributes);
        current = glXMakeCurrent(x.display, standIn, x.context) && !trap.Failed();
      }
      // Without our context current nothing may be: the deletions must not
      // reach the host's context (the objects then go with ours).
      if (!current) glXMakeCurrent(x.display, 0, nullptr);
      OnViewDestroyed();
      RestoreSavedContext();
      if (standIn) XDestroyWindow(x.display, standIn);
      if (standInColours) XFreeColormap(x.display, standInColours);
      if (glXGetCurrentContext() == x.context) glXMakeCurrent(x.display, 0, nullptr);
      glXDestroyContext(x.display, x.context);
      x.context = nullptr;
    } else {
      OnViewDestroyed();
    }
    for (auto& entry : x.cursors) XFreeCursor(x.display, entry.second);
    x.cursors.clear();
    if (x.blankCursor) XFreeCursor(x.display, x.blankCursor);
    x.blankCursor = 0;
    x.shownCursor = 0;
    if (x.window) XDestroyWindow(x.display, x.window);
    x.window = 0;
    if (x.colormap) XFreeColormap(x.display, x.colormap);
    x.colormap = 0;
  }
  XCloseDisplay(x.display);
  x.display = nullptr;
  x.parent = 0;
  x.contextDepth = 0;
  x.dragging = false;
  x.gone = false;
  x.visual = XVisualInfo{};
  x.clicks.Forget();
  cursorHiddenHere_ = false;
  cursorLock_ = false;
  clipboardText_.clear();
}

void IGraphicsLinux::PlatformResize(bool parentAlreadyResized) {
  if (!x_->window || x_->gone) return;
  const std::int32_t w = WindowWidth(), h = WindowHeight();
  if (w <= 0 || h <= 0) return;
  ErrorTrap trap(x_->display);
  XWindowAttributes parent{}, ours{};
  const bool known = XGetWindowAttributes(x_->display, x_->window, &ours) != 0 &&
                     XGetWindowAttributes(x_->display, x_->parent, &parent) != 0;
  XResizeWindow(x_->display, x_->window, static_cast<unsigned>(w), static_cast<unsigned>(h));
  x_->exposed = true;
  // As on Windows: a host that did not take the resize request gets its
  // window grown or shrunk by as much as ours.
  if (parentAlreadyResized || !known) return;
  const int pw = parent.width + (w - ours.width), ph = parent.height + (h - ours.height);
  if (pw > 0 && ph > 0 && (pw != parent.width || ph != parent.height))
    XResizeWindow(x_->display, x_->parent, static_cast<unsigned>(pw), static_cast<unsigned>(ph));
}

// ---------------------------------------------------------------- idle and paint

void IGraphicsLinux::Idle() {
  X& x = *x_;
  if (!x.display || !x.window || std::this_thread::get_id() != x.thread) return;
  {
    ErrorTrap trap(x.display);
    while (x.display && x.window && XPending(x.display) > 0) {
      XEvent event;
      XNextEvent(x.display, &event);
      HandleEvent(&event);
    }
  }
  // An event may have closed the editor.
  if (!x.display || !x.window || x.gone) return;
  if (x.clock.Tick(NowMs())) FrameTick();
}

void IGraphicsLinux::FrameTick() {
  std::vector<IBounds> areas;
  const bool dirty = CollectDirtyAreas(areas);
  if (x_->exposed) {
    // The window's pixels were lost or resized: present the whole page.
    areas.assign(1, IBounds(0, 0, static_cast<float>(Width()), static_cast<float>(Height())));
  } else if (!dirty) {
    return;
  }
  if (MakeContextCurrent()) {
    PaintAreas(areas);
    glXSwapBuffers(x_->display, x_->window);
    XFlush(x_->display);  // the picture goes out now, not at the next idle call
    ++nPaints_;
    x_->exposed = false;
  }
  RestoreSavedContext();
}

// ---------------------------------------------------------------- events

void IGraphicsLinux::HandleEvent(void* data) {
  XEvent& event = *static_cast<XEvent*>(data);
  X& x = *x_;
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) x.exposed = true;
      break;
    case ButtonPress:
      HandleButton(&event, true);
      break;
    case ButtonRelease:
      HandleButton(&event, false);
      break;
    case MotionNotify:
      HandleMotion(&event);
      break;
    case KeyPress:
      HandleKey(&event, true);
      break;
    case KeyRelease:
      HandleKey(&event, false);
      break;
    case LeaveNotify:
      if (event.xcrossing.mode == NotifyNormal && !x.dragging) {
        SetMouseCursor(kArrowCursor);
        DispatchMouseLeave();
      }
      break;
    case SelectionRequest:
      AnswerSelectionRequest(&event);
      break;
    case SelectionClear:
      if (event.xselectionclear.selection == x.clipboard) clipboardText_.clear();
      break;
    case DestroyNotify:
      // The host destroyed its window: ours went with it. Nothing is drawn
      // until the editor is closed.
      if (event.xdestroywindow.window == x.window) x.gone = true;
      break;
    case ConfigureNotify:
      x.exposed = true;
      break;
    default:
      break;
  }
}

namespace {
IMouseMod ModifiersOf(unsigned state) {
  IMouseMod mod;
  mod.L = (state & kButton1Mask) != 0;
  mod.R = (state & kButton3Mask) != 0;
  mod.S = (state & kShiftMask) != 0;
  mod.C = (state & kControlMask) != 0;
  mod.A = (state & kMod1Mask) != 0;
  return mod;
}
}  // namespace

void IGraphicsLinux::HandleButton(void* data, bool press) {
  const XButtonEvent& b = static_cast<XEvent*>(data)->xbutton;
  X& x = *x_;
  const float s = GetTotalScale();
  IMouseInfo info;
  info.x = static_cast<float>(b.x) / s;
  info.y = static_cast<float>(b.y) / s;
  // The state is from before the event: the pressed button itself is added.
  info.ms = ModifiersOf(b.state);
  if (b.button == 4 || b.button == 5) {
    if (press) DispatchMouseWheel(info, b.button == 4 ? 120 : -120);
    return;
  }
  if (b.button < 1 || b.button > 3) return;
  if (press) {
    info.ms.L = info.ms.L || b.button == 1;
    info.ms.R = info.ms.R || b.button == 3;
    lastX_ = info.x;
    lastY_ = info.y;
    // Keys come to the window that was clicked.
    XSetInputFocus(x.display, x.window, RevertToParent, b.time);
    x.dragging = true;
    if (x.clicks.Press(b.button, b.x, b.y, static_cast<std::uint32_t>(b.time)) && b.button == 1) {
      DispatchMouseDoubleClick(info);
    } else {
      DispatchMouseDown({info});
    }
  } else {
    info.ms.L = b.button == 1;
    info.ms.R = b.button == 3;
    lastX_ = info.x;
    lastY_ = info.y;
    x.dragging = false;
    DispatchMouseUp({info});
  }
}

void IGraphicsLinux::HandleMotion(void* data) {
  X& x = *x_;
  // Only the last of a run of motion events matters; a run ends at any
  // other event, so that presses and releases keep their order.
  XEvent* event = static_cast<XEvent*>(data);
  while (XPending(x.display) > 0) {
    XEvent next;
    XPeekEvent(x.display, &next);
    if (next.type != MotionNotify || next.xmotion.window != x.window) break;
    XNextEvent(x.display, event);
  }
  const XMotionEvent& m = event->xmotion;
  const float s = GetTotalScale();
  IMouseInfo info;
  info.x = static_cast<float>(m.x) / s;
  info.y = static_cast<float>(m.y) / s;
  info.ms = ModifiersOf(m.state);
  if ((m.state & (kButton1Mask | kButton3Mask)) != 0) {
    if (info.x != lastX_ || info.y != lastY_) {
      info.dx = info.x - lastX_;
      info.dy = info.y - lastY_;
      lastX_ = info.x;
      lastY_ = info.y;
      DispatchMouseDrag({info});
      if (cursorHiddenHere_ && cursorLock_) MoveMouseCursor(hiddenX_, hiddenY_);
    }
    return;
  }
  lastX_ = info.x;
  lastY_ = info.y;
  DispatchMouseHover(info.x, info.y, info.ms);
}

void IGraphicsLinux::HandleKey(void* data, bool press) {
  XKeyEvent& k = static_cast<XEvent*>(data)->xkey;
  char bytes[8] = {};
  KeySym keysym = 0;
  const int n = XLookupString(&k, bytes, sizeof bytes, &keysym, nullptr);
  const fx::IKeyPress key = KeyPressFromLookup(static_cast<std::uint32_t>(keysym), bytes, n, k.state);
  const float s = GetTotalScale();
  const float x = static_cast<float>(k.x) / s, y = static_cast<float>(k.y) / s;
  const bool handled = press ? OnKeyDown(x, y, key) : OnKeyUp(x, y, key);
  if (handled || !x_->parent) return;
  // The host's window gets the keys the page leaves.
  XEvent forward{};
  forward.xkey = k;
  forward.xkey.window = x_->parent;
  XSendEvent(x_->display, x_->parent, True, press ? KeyPressMask : KeyReleaseMask, &forward);
}

// ---------------------------------------------------------------- cursor

unsigned long IGraphicsLinux::CursorFor(std::int32_t kind) {
  const std::uint32_t shape = FontCursorShapeForKind(kind);
  auto it = x_->cursors.find(shape);
  if (it != x_->cursors.end()) return it->second;
  const Cursor cursor = XCreateFontCursor(x_->display, shape);
  x_->cursors[shape] = cursor;
  return cursor;
}

void IGraphicsLinux::SetPlatformCursor(std::int32_t kind) {
  if (!x_->window) return;
  ErrorTrap trap(x_->display);
  x_->shownCursor = CursorFor(kind);
  if (!cursorHiddenHere_) XDefineCursor(x_->display, x_->window, x_->shownCursor);
}

void IGraphicsLinux::HideMouseCursor(bool hide, bool lock) {
  if (cursorHiddenHere_ == hide || !x_->window) return;
  ErrorTrap trap(x_->display);
  if (hide) {
    if (!x_->blankCursor) {
      // A cursor of one transparent pixel.
      static const char kBits[1] = {0};
      const Pixmap blank = XCreateBitmapFromData(x_->display, x_->window, kBits, 1, 1);
      XColor black{};
      x_->blankCursor = XCreatePixmapCursor(x_->display, blank, blank, &black, &black, 0, 0);
      XFreePixmap(x_->display, blank);
    }
    hiddenX_ = lastX_;
    hiddenY_ = lastY_;
    XDefineCursor(x_->display, x_->window, x_->blankCursor);
    cursorHiddenHere_ = true;
    cursorLock_ = lock;
  } else {
    if (cursorLock_) MoveMouseCursor(hiddenX_, hiddenY_);
    if (x_->shownCursor)
      XDefineCursor(x_->display, x_->window, x_->shownCursor);
    else
      XUndefineCursor(x_->display, x_->window);
    cursorHiddenHere_ = false;
    cursorLock_ = false;
  }
}

void IGraphicsLinux::MoveMouseCursor(float x, float y) {
  if (!x_->window || !std::isfinite(x) || !std::isfinite(y)) return;
  const float s = GetTotalScale();
  ErrorTrap trap(x_->display);
  XWarpPointer(x_->display, 0, x_->window, 0, 0, 0, 0, static_cast<int>(std::lround(x * s)),
               static_cast<int>(std::lround(y * s)));
  lastX_ = hiddenX_ = x;
  lastY_ = hiddenY_ = y;
}

void IGraphicsLinux::GetMouseLocation(float& x, float& y) const {
  x = lastX_;
  y = lastY_;
  if (!x_->window) return;
  ErrorTrap trap(x_->display);
  ::Window root = 0, child = 0;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned mask = 0;
  if (XQueryPointer(x_->display, x_->window, &root, &child, &rootX, &rootY, &winX, &winY, &mask)) {
    const float s = GetTotalScale();
    x = static_cast<float>(winX) / s;
    y = static_cast<float>(winY) / s;
  }
}

// ---------------------------------------------------------------- clipboard

bool IGraphicsLinux::SetTextInClipboard(const char* text) {
  if (!x_->window || !text || !*text) return false;
  ErrorTrap trap(x_->display);
  clipboardText_ = text;
  XSetSelectionOwner(x_->display, x_->clipboard, x_->window, CurrentTime);
  const bool owner = XGetSelectionOwner(x_->display, x_->clipboard) == x_->window;
  if (!owner) clipboardText_.clear();
  return owner && !trap.Failed();
}

bool IGraphicsLinux::GetTextFromClipboard(std::string& text) {
  text.clear();
  X& x = *x_;
  if (!x.window) return false;
  ErrorTrap trap(x.display);
  const ::Window owner = XGetSelectionOwner(x.display, x.clipboard);
  if (owner == 0) return false;
  if (owner == x.window) {
    text = clipboardText_;
    return !text.empty();
  }
  XDeleteProperty(x.display, x.window, x.property);
  XConvertSelection(x.display, x.clipboard, x.utf8String, x.property, x.window, CurrentTime);
  XFlush(x.display);
  // Wait for the owner's answer on our own connection, a bounded time.
  const std::uint64_t deadline = NowMs() + kClipboardWaitMs;
  XEvent event{};
  bool answered = false;
  while (!answered) {
    if (XCheckTypedWindowEvent(x.display, x.window, SelectionNotify, &event)) {
      answered = true;
      break;
    }
    const std::uint64_t now = NowMs();
    if (now >= deadline) break;
    pollfd fd{ConnectionNumber(x.display), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(deadline - now));
  }
  if (!answered || event.xselection.property == 0) return false;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* bytes = nullptr;
  const bool read = XGetWindowProperty(x.display, x.window, x.property, 0, 1L << 20, True, AnyPropertyType, &type,
                                       &format, &count, &remaining, &bytes) == Success;
  // INCR transfers (very large texts) are not taken.
  const bool usable = read && bytes && format == 8 && (type == x.utf8String || type == XA_STRING);
  if (usable) {
    std::string got(reinterpret_cast<const char*>(bytes), count);
    if (type == XA_STRING) {
      // Latin-1 to UTF-8.
      std::string utf8;
      for (const unsigned char c : got) {
        if (c < 0x80) {
          utf8.push_back(static_cast<char>(c));
        } else {
          utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
          utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
      }
      got = std::move(utf8);
    }
    text = std::move(got);
  }
  if (bytes) XFree(bytes);
  return usable && !text.empty();
}

void IGraphicsLinux::AnswerSelectionRequest(void* data) {
  const XSelectionRequestEvent& request = static_cast<XEvent*>(data)->xselectionrequest;
  X& x = *x_;
  SelectionTarget target = SelectionTarget::Other;
  if (request.target == x.targets) target = SelectionTarget::Targets;
  else if (request.target == x.utf8String) target = SelectionTarget::Utf8String;
  else if (request.target == x.text) target = SelectionTarget::Text;
  else if (request.target == XA_STRING) target = SelectionTarget::String;
  const bool owner = request.selection == x.clipboard && !clipboardText_.empty();
  // Old clients name no property: the target is the property then.
  const Atom property = request.property ? request.property : request.target;
  XSelectionEvent reply{};
  reply.type = SelectionNotify;
  reply.display = request.display;
  reply.requestor = request.requestor;
  reply.selection = request.selection;
  reply.target = request.target;
  reply.time = request.time;
  reply.property = property;
  switch (fx::x11::AnswerSelectionRequest(owner, target, clipboardText_)) {
    case SelectionAnswer::TargetList: {
      const Atom list[] = {x.targets, x.utf8String, x.text, XA_STRING};
      XChangeProperty(x.display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(list), 4);
      break;
    }
    case SelectionAnswer::Utf8Text:
      XChangeProperty(x.display, request.requestor, property, x.utf8String, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(clipboardText_.data()),
                      static_cast<int>(clipboardText_.size()));
      break;
    case SelectionAnswer::Latin1Text: {
      std::string latin1;
      Latin1FromUtf8(clipboardText_, latin1);
      XChangeProperty(x.display, request.requestor, property, XA_STRING, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(latin1.data()), static_cast<int>(latin1.size()));
      break;
    }
    case SelectionAnswer::Refuse:
      reply.property = 0;
      break;
  }
  XSendEvent(x.display, request.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
}

// ---------------------------------------------------------------- services X11 does not offer

void IGraphicsLinux::ShowTooltip(const char*) {}

void IGraphicsLinux::ShowMessageBox(const char*, const char*, std::int32_t, MessageBoxCompletion completion) {
  // No message box: no button was pressed.
  if (completion) completion(0);
}

void IGraphicsLinux::PromptForFile(std::string& fileName, std::string&, std::int32_t, const char*) {
  fileName.clear();  // as if cancelled
}

void IGraphicsLinux::PromptForDirectory(std::string& directory) { directory.clear(); }

bool IGraphicsLinux::PromptForColour(IArgb&, const char*, ColourCompletion) { return false; }

bool IGraphicsLinux::OpenURL(const char*, const char*, const char*, const char*) { return false; }

bool IGraphicsLinux::RevealPathInExplorerOrFinder(const char*, bool) { return false; }

}  // namespace fx::igraphics
