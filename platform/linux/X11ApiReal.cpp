// Xlib and GLX behind X11Api: the only editor file that includes them.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <thread>
#include <vector>

#include "graphics/drawing/SharedTextures.h"

#include "platform/linux/X11Api.h"
#include "platform/linux/X11WindowRules.h"

// X11 last: its macros (None, Bool, Status, KeyPress...) must not meet the
// framework's headers.
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace fx::x11 {

namespace {

static_assert(sizeof(XEvent) <= sizeof(Event::raw), "an XEvent rides in Event::raw");

std::uint64_t NowMs() {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

// The GL driver frees a closed editor's context, textures and buffers into
// the C library's heap, which keeps the pages: glibc maps a large block
// from the system only while it is larger than the largest it has given
// back, so from the first reopen on, an editor's textures land in the heap
// and would stay resident, tens of megabytes, while no editor is open.
void GiveBackFreedMemory() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

// Catches the X errors of our own requests on one display while it lives;
// the previous handler is back when it goes. With sync, a round trip first
// brings in the errors of our requests; a trap whose last request is
// checked with Failed() needs no second one (sync = false). Errors of other
// displays go on to the previous handler.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display, bool sync = true) : display_(display), sync_(sync), outer_(current_) {
    current_ = this;
    const XErrorHandler previous = XSetErrorHandler(&ErrorTrap::Handler);
    if (!outer_) {
      previous_ = previous;
      outside_.store(previous);
    }
  }
  ~ErrorTrap() {
    if (display_ && sync_) XSync(display_, False);
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
  bool sync_;
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


class RealX11Api;

// The editors of one thread share a Display connection, so that their GLX
// contexts can be one share group (contexts of two connections cannot
// share) and the artwork's textures exist once. The first editor to open
// the display makes the connection, the last to close it closes it: a
// pointer, a count and a spin lock, all constant-initialised and trivially
// destroyed, so nothing waits for static destruction. Xlib is not made
// thread-safe (XInitThreads is not ours to call), so the connection belongs
// to the thread that made it; an editor opened on another thread while it
// lives keeps a private connection and shares nothing. Each editor reads
// only the events of its own windows; events of windows no editor owns any
// more are dropped, so nothing piles up in the queue.
//
// The editors' windows are drawn with one GLX context, made by the first
// and made current on each window in turn: a context costs a software
// rasteriser several megabytes of its own (an editor's window costs only
// its buffers). A window whose visual or screen differs from the one the
// context was made for gets a context of its own, made with the group's as
// share list. The group's context goes with the last editor; the
// connection with it too, unless a plug-in keeps it for its next editor
// (KeepConnection), so that a reopen finds the GL driver loaded.
class SharedConnection {
 public:
  // The live connection of this thread, or a new one; null when another
  // thread's connection is live or the display cannot be opened.
  static SharedConnection* Join(RealX11Api* member) {
    Guard guard;
    if (current_ && current_->thread_ != std::this_thread::get_id()) return nullptr;
    if (!current_) {
      Display* display = XOpenDisplay(nullptr);
      if (!display) return nullptr;
      current_ = new SharedConnection(display);
    }
    current_->members_.push_back(member);
    return current_;
  }

  void Leave(RealX11Api* member) {
    // The context (megabytes on a software rasteriser) goes with the last
    // editor even where a handle keeps the connection, on the thread that
    // drew with it. Members join and leave on this thread only, so the
    // last is still the last below; while it is a member, no handle's end
    // can close the connection under it.
    bool last = false;
    {
      Guard guard;
      last = members_.size() == 1 && members_.front() == member;
    }
    if (last) {
      DestroyContext();
      // Sent now: a kept connection may not speak again for a long time.
      XFlush(display_);
    }
    bool gone = false;
    {
      Guard guard;
      members_.erase(std::remove(members_.begin(), members_.end(), member), members_.end());
      gone = members_.empty() && keepers_ == 0;
      if (gone) current_ = nullptr;
    }
    if (gone) delete this;
    if (last) GiveBackFreedMemory();
  }

  // The connection stays while the handle lives; the handle's end (on any
  // thread) closes it once no editor is on it either. Only a member asks,
  // so the connection is live and this thread's.
  std::shared_ptr<void> Keep() {
    {
      Guard guard;
      ++keepers_;
    }
    return std::shared_ptr<void>(this, [](void* connection) { static_cast<SharedConnection*>(connection)->Unkeep(); });
  }

  static std::int32_t Members() {
    Guard guard;
    return current_ ? static_cast<std::int32_t>(current_->members_.size()) : 0;
  }

  Display* display() const { return display_; }
  fx::igraphics::SharedTextures& textures() { return textures_; }

  // The context every window of `visual` on `screen` is drawn with; null
  // where there is none yet or it was made for another visual.
  GLXContext ContextFor(VisualID visual, int screen) const {
    return context_ && visual == visual_ && screen == screen_ ? context_ : nullptr;
  }
  // The group's context (the share list of a window's own context), if any.
  GLXContext Context() const { return context_; }
  // The connection keeps `context`, the first made, for the windows to come.
  void KeepContext(GLXContext context, VisualID visual, int screen) {
    context_ = context;
    visual_ = visual;
    screen_ = screen;
  }

  // Whether some editor of the connection owns the window.
  bool Owned(::Window window) const;

 private:
  explicit SharedConnection(Display* display) : display_(display), thread_(std::this_thread::get_id()) {}
  ~SharedConnection() {
    DestroyContext();
    XCloseDisplay(display_);
  }

  void DestroyContext() {
    if (!context_) return;
    if (glXGetCurrentContext() == context_) glXMakeCurrent(display_, 0, nullptr);
    glXDestroyContext(display_, context_);
    context_ = nullptr;
    visual_ = 0;
  }

  // With no editor on it, nobody else holds the connection: the last
  // handle may close it from whatever thread drops it (Xlib needs no lock
  // for a connection no other thread uses). Its context went with the last
  // editor, so only the display is closed there.
  void Unkeep() {
    bool gone = false;
    {
      Guard guard;
      --keepers_;
      gone = keepers_ == 0 && members_.empty();
      if (gone) current_ = nullptr;
    }
    if (gone) delete this;
  }

  struct Guard {
    Guard() {
      while (lock_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
    }
    ~Guard() { lock_.clear(std::memory_order_release); }
  };

  Display* display_;
  std::thread::id thread_;
  std::vector<RealX11Api*> members_;
  std::int32_t keepers_ = 0;  // handles from Keep still held
  GLXContext context_ = nullptr;
  VisualID visual_ = 0;
  int screen_ = 0;
  fx::igraphics::SharedTextures textures_;
  static inline constinit std::atomic_flag lock_{};
  static inline constinit SharedConnection* current_ = nullptr;
};

class RealX11Api final : public X11Api {
 public:
  ~RealX11Api() override {
    DestroyWindow();
    CloseDisplay();
  }

  bool OpenDisplay() override {
    if (display_) return true;
    connection_ = SharedConnection::Join(this);
    display_ = connection_ ? connection_->display() : XOpenDisplay(nullptr);
    mustRead_ = true;
    return display_ != nullptr;
  }
  bool DisplayOpen() const override { return display_ != nullptr; }
  std::uint64_t RequestsSent() const override { return display_ ? XNextRequest(display_) - 1 : 0; }
  float ScreenScale() override { return display_ ? ScreenScaleFromResources(XResourceManagerString(display_)) : 1.0f; }

  bool CreateWindow(std::uint64_t parentId, std::int32_t width, std::int32_t height) override {
    if (!display_ || window_) return false;
    parent_ = static_cast<::Window>(parentId);
    XWindowAttributes parentAttributes{};
    bool ok = false;
    {
      ErrorTrap trap(display_);
      ok = XGetWindowAttributes(display_, parent_, &parentAttributes) != 0 && !trap.Failed();
    }
    screen_ = ok ? XScreenNumberOfScreen(parentAttributes.screen) : 0;
    XVisualInfo* visual = nullptr;
    if (ok) {
      int withStencil[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                           GLX_DEPTH_SIZE, 24, GLX_STENCIL_SIZE, 8, 0};
      int plain[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, 0};
      // The page is drawn in a frame buffer of its own (with its stencil)
      // and only copied to the window: depth and stencil buffers of the
      // window would be memory never used (on a software rasteriser, the
      // process's own). They are taken only where no plain visual exists.
      visual = glXChooseVisual(display_, screen_, plain);
      if (!visual) visual = glXChooseVisual(display_, screen_, withStencil);
      ok = visual != nullptr;
    }
    if (ok) {
      ErrorTrap trap(display_);
      colormap_ = XCreateColormap(display_, parent_, visual->visual, AllocNone);
      XSetWindowAttributes attributes{};
      attributes.colormap = colormap_;
      attributes.border_pixel = 0;
      attributes.background_pixmap = 0;
      attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                              KeyReleaseMask | LeaveWindowMask | StructureNotifyMask | FocusChangeMask;
      window_ = XCreateWindow(display_, parent_, 0, 0, static_cast<unsigned>(width > 0 ? width : 1),
                              static_cast<unsigned>(height > 0 ? height : 1), 0, visual->depth, InputOutput,
                              visual->visual, CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
      if (trap.Failed()) ok = false;
      if (ok) {
        // The group's context where it was made for this visual, else one
        // of our own in its share group (or alone, where it will not join).
        context_ = connection_ ? connection_->ContextFor(visual->visualid, screen_) : nullptr;
        borrowed_ = context_ != nullptr;
        GLXContext shareList = connection_ && !borrowed_ ? connection_->Context() : nullptr;
        if (!borrowed_) {
          context_ = glXCreateContext(display_, visual, shareList, True);
          if (trap.Failed()) {
            if (context_) glXDestroyContext(display_, context_);
            context_ = nullptr;
          }
          if (!context_ && shareList) {
            // The group will not take it (another screen): a context of its own.
            shareList = nullptr;
            context_ = glXCreateContext(display_, visual, nullptr, True);
          }
          if (!context_) context_ = glXCreateContext(display_, visual, nullptr, False);
        }
        if (trap.Failed()) ok = false;
        // In the group: its context, one made with it as share list, or the
        // first, which the connection keeps for the windows to come.
        sharing_ = ok && context_ && connection_ && (borrowed_ || shareList || !connection_->Context());
        if (sharing_ && !borrowed_ && !shareList) {
          connection_->KeepContext(context_, visual->visualid, screen_);
          borrowed_ = true;
        }
      }
      if (ok && context_) XMapWindow(display_, window_);
    }
    if (visual) {
      visual_ = *visual;
      XFree(visual);
    }
    if (!ok || !context_) {
      DestroyWindow();
      return false;
    }
    clipboard_ = XInternAtom(display_, "CLIPBOARD", False);
    utf8String_ = XInternAtom(display_, "UTF8_STRING", False);
    targets_ = XInternAtom(display_, "TARGETS", False);
    text_ = XInternAtom(display_, "TEXT", False);
    property_ = XInternAtom(display_, "OMBRISK_SELECTION", False);
    XFlush(display_);
    return true;
  }

  std::uint64_t WindowId() const override { return window_; }

  void DestroyWindow() override {
    if (!display_) return;
    // On a shared connection our queued events are nobody's once we go.
    if (connection_) DropEvents(window_, standIn_);
    ErrorTrap trap(display_);
    if (context_) {
      // Not left current on a window about to go (the group's context stays).
      const GLXDrawable current = glXGetCurrentDrawable();
      if (glXGetCurrentContext() == context_ && (!borrowed_ || current == window_ || current == standIn_))
        glXMakeCurrent(display_, 0, nullptr);
      if (!borrowed_) glXDestroyContext(display_, context_);
      context_ = nullptr;
    }
    sharing_ = false;
    borrowed_ = false;
    if (standIn_) XDestroyWindow(display_, standIn_);
    standIn_ = 0;
    if (standInColours_) XFreeColormap(display_, standInColours_);
    standInColours_ = 0;
    for (auto& entry : cursors_) XFreeCursor(display_, entry.second);
    cursors_.clear();
    if (blankCursor_) XFreeCursor(display_, blankCursor_);
    blankCursor_ = 0;
    if (window_) XDestroyWindow(display_, window_);
    window_ = 0;
    if (colormap_) XFreeColormap(display_, colormap_);
    colormap_ = 0;
    parent_ = 0;
    visual_ = XVisualInfo{};
    copyLooked_ = false;
    copySubBuffer_ = nullptr;
  }

  void CloseDisplay() override {
    if (!display_) return;
    if (connection_) {
      connection_->Leave(this);
      connection_ = nullptr;
    } else {
      XCloseDisplay(display_);
      GiveBackFreedMemory();
    }
    display_ = nullptr;
  }

  std::shared_ptr<void> KeepConnection() override { return connection_ ? connection_->Keep() : nullptr; }

  fx::igraphics::SharedTextures* ShareGroupTextures() override {
    return connection_ && sharing_ ? &connection_->textures() : nullptr;
  }

  bool Owns(::Window w) const { return w != 0 && (w == window_ || w == standIn_); }

  // ---- GL

  fx::vg::GlProcLoader GlLoader() override { return &LoadGlProc; }

  void SaveCurrentContext() override {
    mustRead_ = true;
    savedDisplay_ = glXGetCurrentDisplay();
    savedDrawable_ = glXGetCurrentDrawable();
    savedContext_ = glXGetCurrentContext();
  }

  bool MakeCurrent() override { return MakeCurrentOn(window_); }

  bool MakeCurrentOnStandIn() override {
    if (!display_ || !context_ || !visual_.visual) return false;
    if (!standIn_) {
      ErrorTrap trap(display_);
      XSetWindowAttributes attributes{};
      const ::Window root = RootWindow(display_, visual_.screen);
      standInColours_ = XCreateColormap(display_, root, visual_.visual, AllocNone);
      attributes.colormap = standInColours_;
      standIn_ = XCreateWindow(display_, root, 0, 0, 1, 1, 0, visual_.depth, InputOutput, visual_.visual,
                               CWColormap | CWBorderPixel, &attributes);
      if (trap.Failed()) return false;
    }
    return MakeCurrentOn(standIn_);
  }

  void ReleaseCurrent() override {
    if (glXGetCurrentContext()) glXMakeCurrent(glXGetCurrentDisplay(), 0, nullptr);
  }

  void RestoreSavedContext() override {
    if (savedContext_ && savedDisplay_) {
      if (glXGetCurrentContext() != savedContext_ || glXGetCurrentDrawable() != savedDrawable_)
        glXMakeCurrent(savedDisplay_, savedDrawable_, savedContext_);
    } else if (display_ && context_ && glXGetCurrentContext() == context_) {
      glXMakeCurrent(display_, 0, nullptr);
    }
    savedDisplay_ = nullptr;
    savedDrawable_ = 0;
    savedContext_ = nullptr;
  }

  void SetSwapIntervalZero() override {
    const char* extensions = glXQueryExtensionsString(display_, screen_);
    if (HasExtension(extensions, "GLX_EXT_swap_control")) {
      using SwapEXT = void (*)(Display*, GLXDrawable, int);
      if (auto set = reinterpret_cast<SwapEXT>(LoadGlProc("glXSwapIntervalEXT", nullptr))) {
        ErrorTrap trap(display_);
        set(display_, window_, 0);
      }
    } else if (HasExtension(extensions, "GLX_MESA_swap_control")) {
      using SwapMESA = int (*)(unsigned);
      if (auto set = reinterpret_cast<SwapMESA>(LoadGlProc("glXSwapIntervalMESA", nullptr))) set(0);
    }
  }

  void SwapBuffers() override {
    glXSwapBuffers(display_, window_);
    XFlush(display_);  // the picture goes out now, not at the next idle call
  }

  bool CanCopySubBuffer() override {
    if (!copyLooked_) {
      copyLooked_ = true;
      if (HasExtension(glXQueryExtensionsString(display_, screen_), "GLX_MESA_copy_sub_buffer"))
        copySubBuffer_ = reinterpret_cast<CopySubBufferProc>(LoadGlProc("glXCopySubBufferMESA", nullptr));
    }
    return copySubBuffer_ != nullptr;
  }

  void CopySubBuffer(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) override {
    if (copySubBuffer_) copySubBuffer_(display_, window_, x, y, width, height);
  }

  void Flush() override { XFlush(display_); }

  // ---- events and input

  bool NextEvent(Event& out) override {
    if (!display_ || !EventsMayWait()) return false;
    if (XPending(display_) <= 0) {
      readAt_ = XNextRequest(display_);
      mustRead_ = false;
      return false;
    }
    // Errors that arrive with the events are ours to swallow, without a round trip.
    ErrorTrap trap(display_, false);
    XEvent& event = *reinterpret_cast<XEvent*>(out.raw);
    if (!connection_) {
      XNextEvent(display_, &event);
    } else {
      // Only our windows' events; those of windows nobody owns any more go.
      DropOrphanEvents();
      if (!XCheckIfEvent(display_, &event, &RealX11Api::IsOurs, reinterpret_cast<XPointer>(this))) return false;
    }
    if (event.type == MotionNotify) {
      // Only the last of a run of motion matters; any other event of ours
      // ends the run, so presses and releases keep their order.
      XEvent next;
      while (TakeNextOfOurs(next)) {
        if (next.type != MotionNotify || next.xmotion.window != window_) {
          XPutBackEvent(display_, &next);
          break;
        }
        event = next;
      }
    }
    Translate(event, out);
    return true;
  }

  void FocusWindow(std::uint32_t time) override {
    ErrorTrap trap(display_);
    XSetInputFocus(display_, window_, RevertToParent, time);
  }

  void PassKeyToParent(const Event& key) override {
    if (!parent_) return;
    ErrorTrap trap(display_);
    XEvent forward{};
    forward.xkey = reinterpret_cast<const XEvent*>(key.raw)->xkey;
    forward.xkey.window = parent_;
    XSendEvent(display_, parent_, True, key.type == Event::Type::KeyDown ? KeyPressMask : KeyReleaseMask, &forward);
  }

  void DefineCursor(std::uint32_t shape) override {
    if (!window_) return;
    ErrorTrap trap(display_);
    auto it = cursors_.find(shape);
    if (it == cursors_.end()) it = cursors_.emplace(shape, XCreateFontCursor(display_, shape)).first;
    XDefineCursor(display_, window_, it->second);
  }

  void DefineBlankCursor() override {
    if (!window_) return;
    ErrorTrap trap(display_);
    if (!blankCursor_) {
      static const char kBits[1] = {0};
      const Pixmap blank = XCreateBitmapFromData(display_, window_, kBits, 1, 1);
      XColor black{};
      blankCursor_ = XCreatePixmapCursor(display_, blank, blank, &black, &black, 0, 0);
      XFreePixmap(display_, blank);
    }
    XDefineCursor(display_, window_, blankCursor_);
  }

  void WarpPointer(std::int32_t x, std::int32_t y) override {
    if (!window_) return;
    ErrorTrap trap(display_);
    XWarpPointer(display_, 0, window_, 0, 0, 0, 0, x, y);
  }

  bool QueryPointer(std::int32_t& x, std::int32_t& y) override {
    if (!window_) return false;
    ErrorTrap trap(display_);
    ::Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned mask = 0;
    if (!XQueryPointer(display_, window_, &root, &child, &rootX, &rootY, &winX, &winY, &mask)) return false;
    x = winX;
    y = winY;
    return true;
  }

  // ---- geometry

  bool GetWindowSize(bool parent, fx::igraphics::PixelSize& size) override {
    const ::Window w = parent ? parent_ : window_;
    if (!w) return false;
    ErrorTrap trap(display_);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display_, w, &attributes) == 0) return false;
    size = {attributes.width, attributes.height};
    return true;
  }

  void ResizeWindow(bool parent, std::int32_t width, std::int32_t height) override {
    const ::Window w = parent ? parent_ : window_;
    if (!w || width <= 0 || height <= 0) return;
    ErrorTrap trap(display_);
    XResizeWindow(display_, w, static_cast<unsigned>(width), static_cast<unsigned>(height));
  }

  // ---- clipboard

  bool TakeClipboard() override {
    if (!window_) return false;
    ErrorTrap trap(display_);
    XSetSelectionOwner(display_, clipboard_, window_, CurrentTime);
    return XGetSelectionOwner(display_, clipboard_) == window_ && !trap.Failed();
  }

  bool ClipboardIsOurs() override {
    if (!window_) return false;
    ErrorTrap trap(display_);
    return XGetSelectionOwner(display_, clipboard_) == window_;
  }

  bool ReadClipboard(std::string& text, std::int32_t waitMs) override {
    text.clear();
    if (!window_) return false;
    ErrorTrap trap(display_);
    if (XGetSelectionOwner(display_, clipboard_) == 0) return false;
    XDeleteProperty(display_, window_, property_);
    XConvertSelection(display_, clipboard_, utf8String_, property_, window_, CurrentTime);
    XFlush(display_);
    // Wait for the owner's answer on our own connection, a bounded time.
    const std::uint64_t deadline = NowMs() + static_cast<std::uint64_t>(waitMs > 0 ? waitMs : 0);
    XEvent event{};
    bool answered = false;
    while (!answered) {
      if (XCheckTypedWindowEvent(display_, window_, SelectionNotify, &event)) {
        answered = true;
        break;
      }
      const std::uint64_t now = NowMs();
      if (now >= deadline) break;
      pollfd fd{ConnectionNumber(display_), POLLIN, 0};
      poll(&fd, 1, static_cast<int>(deadline - now));
    }
    if (!answered || event.xselection.property == 0) return false;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* bytes = nullptr;
    const bool read = XGetWindowProperty(display_, window_, property_, 0, 1L << 20, True, AnyPropertyType, &type,
                                         &format, &count, &remaining, &bytes) == Success;
    // INCR transfers (very large texts) are not taken.
    const bool usable = read && bytes && format == 8 && (type == utf8String_ || type == XA_STRING);
    if (usable) {
      const std::string got(reinterpret_cast<const char*>(bytes), count);
      if (type == XA_STRING) {
        // Latin-1 to UTF-8.
        for (const unsigned char c : got) {
          if (c < 0x80) {
            text.push_back(static_cast<char>(c));
          } else {
            text.push_back(static_cast<char>(0xC0 | (c >> 6)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
          }
        }
      } else {
        text = got;
      }
    }
    if (bytes) XFree(bytes);
    return usable && !text.empty();
  }

  void AnswerSelectionRequest(const Event& e, const std::string& ours) override {
    const XSelectionRequestEvent& request = reinterpret_cast<const XEvent*>(e.raw)->xselectionrequest;
    ErrorTrap trap(display_);
    SelectionTarget target = SelectionTarget::Other;
    if (request.target == targets_) target = SelectionTarget::Targets;
    else if (request.target == utf8String_) target = SelectionTarget::Utf8String;
    else if (request.target == text_) target = SelectionTarget::Text;
    else if (request.target == XA_STRING) target = SelectionTarget::String;
    const bool owner = request.selection == clipboard_ && !ours.empty();
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
    switch (fx::x11::AnswerSelectionRequest(owner, target, ours)) {
      case SelectionAnswer::TargetList: {
        const Atom list[] = {targets_, utf8String_, text_, XA_STRING};
        XChangeProperty(display_, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(list), 4);
        break;
      }
      case SelectionAnswer::Utf8Text:
        XChangeProperty(display_, request.requestor, property, utf8String_, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(ours.data()), static_cast<int>(ours.size()));
        break;
      case SelectionAnswer::Latin1Text: {
        std::string latin1;
        Latin1FromUtf8(ours, latin1);
        XChangeProperty(display_, request.requestor, property, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(latin1.data()), static_cast<int>(latin1.size()));
        break;
      }
      case SelectionAnswer::Refuse:
        reply.property = 0;
        break;
    }
    XSendEvent(display_, request.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
  }

 private:
  // Whether reading could find an event, at no cost to the server and, on
  // an idle connection, one poll: events Xlib holds, or bytes on the socket.
  // Xlib may also have read events into the connection's own buffer while
  // it waited for a reply (our requests since the last read, or the GL
  // driver's, which talks to the server on this connection too); those are
  // looked for by Xlib after any such traffic.
  bool EventsMayWait() {
    if (XEventsQueued(display_, QueuedAlready) > 0) return true;
    if (mustRead_ || XNextRequest(display_) != readAt_) return true;
    pollfd fd{ConnectionNumber(display_), POLLIN, 0};
    return poll(&fd, 1, 0) > 0;
  }

  static Bool IsOurs(Display*, XEvent* event, XPointer self) {
    return reinterpret_cast<const RealX11Api*>(self)->Owns(event->xany.window) ? True : False;
  }
  static Bool IsOrphan(Display*, XEvent* event, XPointer connection) {
    return reinterpret_cast<const SharedConnection*>(connection)->Owned(event->xany.window) ? False : True;
  }
  struct WindowPair {
    ::Window a, b;
  };
  static Bool IsOfPair(Display*, XEvent* event, XPointer pair) {
    const auto* p = reinterpret_cast<const WindowPair*>(pair);
    const ::Window w = event->xany.window;
    return w != 0 && (w == p->a || w == p->b) ? True : False;
  }

  // The next queued event of our windows (reading what the socket has, no
  // request), removed from the queue.
  bool TakeNextOfOurs(XEvent& next) {
    if (!connection_) {
      if (XPending(display_) <= 0) return false;
      XNextEvent(display_, &next);
      return true;
    }
    return XCheckIfEvent(display_, &next, &RealX11Api::IsOurs, reinterpret_cast<XPointer>(this)) != 0;
  }

  void DropOrphanEvents() {
    XEvent dropped;
    while (XCheckIfEvent(display_, &dropped, &RealX11Api::IsOrphan, reinterpret_cast<XPointer>(connection_))) {
    }
  }

  void DropEvents(::Window a, ::Window b) {
    if (!a && !b) return;
    WindowPair pair{a, b};
    XEvent dropped;
    while (XCheckIfEvent(display_, &dropped, &RealX11Api::IsOfPair, reinterpret_cast<XPointer>(&pair))) {
    }
  }

  bool MakeCurrentOn(::Window drawable) {
    if (!display_ || !context_ || !drawable) return false;
    if (glXGetCurrentContext() == context_ && glXGetCurrentDrawable() == drawable) return true;
    // Once a frame: one round trip, Failed()'s, not a second on the way out.
    ErrorTrap trap(display_, false);
    const bool made = glXMakeCurrent(display_, drawable, context_);
    return !trap.Failed() && made;
  }

  void Translate(XEvent& event, Event& out) const {
    out.type = Event::Type::Other;
    switch (event.type) {
      case Expose:
        out.type = Event::Type::Exposed;
        out.lastExpose = event.xexpose.count == 0;
        break;
      case ButtonPress:
      case ButtonRelease:
        out.type = event.type == ButtonPress ? Event::Type::Pressed : Event::Type::Released;
        out.x = event.xbutton.x;
        out.y = event.xbutton.y;
        out.button = event.xbutton.button;
        out.state = event.xbutton.state;
        out.time = static_cast<std::uint32_t>(event.xbutton.time);
        break;
      case MotionNotify:
        out.type = Event::Type::Moved;
        out.x = event.xmotion.x;
        out.y = event.xmotion.y;
        out.state = event.xmotion.state;
        out.time = static_cast<std::uint32_t>(event.xmotion.time);
        break;
      case KeyPress:
      case KeyRelease: {
        out.type = event.type == KeyPress ? Event::Type::KeyDown : Event::Type::KeyUp;
        out.x = event.xkey.x;
        out.y = event.xkey.y;
        out.state = event.xkey.state;
        out.time = static_cast<std::uint32_t>(event.xkey.time);
        KeySym keysym = 0;
        std::memset(out.text, 0, sizeof out.text);
        out.textLength = XLookupString(&event.xkey, out.text, sizeof out.text - 1, &keysym, nullptr);
        out.keysym = static_cast<std::uint32_t>(keysym);
        break;
      }
      case LeaveNotify:
        out.type = Event::Type::PointerLeft;
        out.plainLeave = event.xcrossing.mode == NotifyNormal;
        break;
      case SelectionRequest:
        out.type = Event::Type::SelectionAsked;
        break;
      case SelectionClear:
        out.type = Event::Type::SelectionLost;
        out.clipboard = event.xselectionclear.selection == clipboard_;
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == window_) out.type = Event::Type::Destroyed;
        break;
      case ConfigureNotify:
        out.type = Event::Type::Reconfigured;
        break;
      default:
        break;
    }
  }

  Display* display_ = nullptr;
  // The request number when Xlib last read and found no event, and whether
  // Xlib must read anyway (a new connection, a GL block since; EventsMayWait).
  unsigned long readAt_ = 0;
  bool mustRead_ = true;
  SharedConnection* connection_ = nullptr;  // null: a private connection
  bool sharing_ = false;                    // our context is in the connection's share group
  bool borrowed_ = false;                   // context_ is the connection's: not ours to destroy
  int screen_ = 0;
  ::Window parent_ = 0;
  ::Window window_ = 0;
  Colormap colormap_ = 0;
  GLXContext context_ = nullptr;
  XVisualInfo visual_{};
  ::Window standIn_ = 0;
  Colormap standInColours_ = 0;
  Display* savedDisplay_ = nullptr;
  GLXDrawable savedDrawable_ = 0;
  GLXContext savedContext_ = nullptr;
  using CopySubBufferProc = void (*)(Display*, GLXDrawable, int, int, int, int);
  bool copyLooked_ = false;
  CopySubBufferProc copySubBuffer_ = nullptr;
  std::map<std::uint32_t, Cursor> cursors_;
  Cursor blankCursor_ = 0;
  Atom clipboard_ = 0, utf8String_ = 0, targets_ = 0, text_ = 0, property_ = 0;
};

bool SharedConnection::Owned(::Window window) const {
  if (window == 0) return false;
  return std::any_of(members_.begin(), members_.end(), [&](const RealX11Api* m) { return m->Owns(window); });
}

}  // namespace

std::int32_t SharedConnectionUsers() { return SharedConnection::Members(); }

std::unique_ptr<X11Api> MakeRealX11Api() { return std::make_unique<RealX11Api>(); }

}  // namespace fx::x11
