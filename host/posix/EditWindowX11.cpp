// The edit windows on X11: one top-level window per plug-in instance whose
// XID is the editor's parent, a loop that idles the editors about sixty times
// a second while it serves this connection's events and, with --stdin, the
// commands of a test script. The plug-in draws into its own child windows on
// its own connection; the pictures here are of what the top-level window shows.
// A frames run counts what the editor presents through the DAMAGE extension:
// the server reports every drawing into our window or the editor's inside it.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/Xdamage.h>
#include <dirent.h>
#include <malloc.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>
#include <utility>

#include "host/EditWindow.h"
#include "host/EditorEventLog.h"
#include "host/PngFile.h"

namespace ombrisk::host {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kIdlePeriod = std::chrono::milliseconds(16);
constexpr int kFallbackWidth = 640;
constexpr int kFallbackHeight = 480;
// Idle calls each open/close cycle gives the editor: enough to draw a frame.
constexpr int kCycleIdles = 3;
// A frames run starts its idle calls at least this far apart: longer than an
// editor's frame interval at 60 frames a second (16.7 ms) and than the 20 ms
// timers that plug-ins commonly hand host parameter changes to their editor
// on, with room for jitter, so that every call finds a frame due.
constexpr auto kFramePeriod = std::chrono::milliseconds(25);
// The two values a frames run sets its parameter to, in turn.
constexpr float kKnobValues[2] = {0.3f, 0.7f};

// Xlib's default handler ends the process on any error, including one that a
// plug-in provokes; a host survives it and says what happened.
int LogXError(Display* display, XErrorEvent* event) {
  char text[256] = {};
  XGetErrorText(display, event->error_code, text, sizeof text);
  std::fprintf(stderr, "ombrisk-host: X error: %s (request %d.%d, resource 0x%lx)\n", text,
               static_cast<int>(event->request_code), static_cast<int>(event->minor_code), event->resourceid);
  return 0;
}

struct DisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

template <typename T>
struct XFreeDeleter {
  void operator()(T* p) const {
    if (p != nullptr) XFree(p);
  }
};

std::string HexId(unsigned long id) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", id);
  return text;
}

bool RectSize(const vst2::ERect* rect, int& width, int& height) {
  if (rect == nullptr) return false;
  const int w = rect->right - rect->left;
  const int h = rect->bottom - rect->top;
  if (w <= 0 || h <= 0 || w > EditorEventLog::kMaxSide || h > EditorEventLog::kMaxSide) return false;
  width = w;
  height = h;
  return true;
}

int CountWindows(Display* display, Window window) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int n = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &n) == 0) return 0;
  std::unique_ptr<Window, XFreeDeleter<Window>> owned(children);
  int total = 1;
  for (unsigned int i = 0; i < n; ++i) total += CountWindows(display, children[i]);
  return total;
}

// GLX contexts held by every client of the server (a private server in
// tests): the X-Resource extension names the resource types.
long CountGlxContexts(Display* display) {
  int event = 0;
  int error = 0;
  if (!XResQueryExtension(display, &event, &error)) return -1;
  int clientCount = 0;
  XResClient* clients = nullptr;
  if (XResQueryClients(display, &clientCount, &clients) == 0) return -1;
  std::unique_ptr<XResClient, XFreeDeleter<XResClient>> ownedClients(clients);
  long total = 0;
  for (int c = 0; c < clientCount; ++c) {
    int typeCount = 0;
    XResType* types = nullptr;
    if (XResQueryClientResources(display, clients[c].resource_base, &typeCount, &types) == 0) continue;
    std::unique_ptr<XResType, XFreeDeleter<XResType>> ownedTypes(types);
    for (int t = 0; t < typeCount; ++t) {
      std::unique_ptr<char, XFreeDeleter<char>> name(XGetAtomName(display, types[t].resource_type));
      if (name && std::strstr(name.get(), "GLX") != nullptr && std::strstr(name.get(), "Context") != nullptr)
        total += types[t].count;
    }
  }
  return total;
}

long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  if (!(statm >> pages >> resident)) return -1;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int OpenFiles() {
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  int n = 0;
  while (readdir(dir) != nullptr) ++n;
  closedir(dir);
  return n - 3;  // ".", ".." and the directory's own descriptor
}

// The picture of a window, converted from the server's pixel layout.
bool Capture(Display* display, Window window, RgbImage& image, std::string& error) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, window, &attributes) == 0 || attributes.map_state != IsViewable) {
    error = "the window is not on screen";
    return false;
  }
  XSync(display, False);
  XImage* raw = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                          static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (raw == nullptr) {
    error = "XGetImage gave no picture of the window";
    return false;
  }
  const auto shiftOf = [](unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1UL) == 0) {
      mask >>= 1;
      ++shift;
    }
    return shift;
  };
  const unsigned long masks[3] = {raw->red_mask, raw->green_mask, raw->blue_mask};
  int shifts[3];
  int scale[3];
  for (int c = 0; c < 3; ++c) {
    shifts[c] = shiftOf(masks[c]);
    scale[c] = static_cast<int>(masks[c] >> shifts[c]);
    if (scale[c] == 0) scale[c] = 255;
  }
  image.width = raw->width;
  image.height = raw->height;
  image.pixels.assign(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3, 0);
  std::size_t at = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const unsigned long pixel = XGetPixel(raw, x, y);
      for (int c = 0; c < 3; ++c)
        image.pixels[at++] = static_cast<std::uint8_t>(((pixel & masks[c]) >> shifts[c]) * 255 / static_cast<unsigned>(scale[c]));
    }
  }
  XDestroyImage(raw);
  return true;
}

// Whether anything but black shows in the window: the editor has presented
// a frame (our window's own background is black).
bool ShowsAnything(Display* display, Window window) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, window, &attributes) == 0 || attributes.map_state != IsViewable) return false;
  XImage* raw = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                          static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (raw == nullptr) return false;
  const unsigned long colour = raw->red_mask | raw->green_mask | raw->blue_mask;
  bool any = false;
  for (int y = 0; y < raw->height && !any; ++y) {
    if (raw->bits_per_pixel == 32) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(raw->data + static_cast<std::ptrdiff_t>(y) * raw->bytes_per_line);
      for (int x = 0; x < raw->width && !any; ++x) any = (row[x] & colour) != 0;
    } else {
      for (int x = 0; x < raw->width && !any; ++x) any = (XGetPixel(raw, x, y) & colour) != 0;
    }
  }
  XDestroyImage(raw);
  return any;
}

// CPU time of this process, every thread (the plug-in's and its GL driver's), ms.
double OwnCpuMs() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return std::nan("");
  const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The X server's process, from the peer of a local connection; 0 when the
// display is not on this machine.
pid_t ServerPid(Display* display) {
  ucred peer{};
  socklen_t size = sizeof peer;
  if (getsockopt(ConnectionNumber(display), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.pid <= 0) return 0;
  return peer.pid;
}

// utime + stime of a process, every thread, ms (clock ticks); NaN when unknown.
double ProcessCpuMs(pid_t pid) {
  if (pid <= 0) return std::nan("");
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string stat;
  std::getline(file, stat);
  // The fields after the command name, which is in parentheses and may hold spaces.
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return std::nan("");
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  double utime = 0.0;
  double stime = 0.0;
  // Field 3 (state) is the first after the name; utime and stime are fields 14 and 15.
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::atof(field.c_str());
    if (i == 15) stime = std::atof(field.c_str());
  }
  if (!fields) return std::nan("");
  return (utime + stime) * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Drawing the server reported in a window: events and the sum of their rectangles.
struct DrawingSeen {
  long events = 0;
  long long pixels = 0;
};

// When the host started, for the first-frame lines.
const Clock::time_point kHostStart = Clock::now();

// One plug-in's editor in one top-level window.
class HostWindow {
 public:
  HostWindow(Display* display, PluginInstance& plugin, int index, bool prefixLines, std::ostream& out)
      : display_(display),
        plugin_(plugin),
        index_(index),
        out_(out),
        log_(out, prefixLines ? std::to_string(index) + ": " : std::string(),
             [this](std::int32_t w, std::int32_t h) { return Resize(w, h); }) {}
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  ~HostWindow() { Close(false); }

  bool IsOpen() const { return window_ != 0; }

  bool Open(int x, int y, bool report, std::string& error) {
    if (IsOpen()) return true;
    vst2::ERect* rect = nullptr;
    plugin_.Dispatch(vst2::effEditGetRect, 0, 0, &rect);
    if (!RectSize(rect, width_, height_)) {
      width_ = kFallbackWidth;
      height_ = kFallbackHeight;
    }
    const int screen = DefaultScreen(display_);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), x, y, static_cast<unsigned>(width_),
                                  static_cast<unsigned>(height_), 0, BlackPixel(display_, screen),
                                  BlackPixel(display_, screen));
    if (window_ == 0) {
      error = "cannot create a window";
      return false;
    }
    const std::string title = plugin_.Text(vst2::effGetEffectName) + " - ombrisk-host";
    XStoreName(display_, window_, title.c_str());
    Atom deleteAtom = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteAtom, 1);
    // Where we put it, without a window manager deciding otherwise.
    XSizeHints hints{};
    hints.flags = PPosition | USPosition;
    hints.x = x;
    hints.y = y;
    XSetWMNormalHints(display_, window_, &hints);
    XSelectInput(display_, window_, StructureNotifyMask);
    openedAt_ = Clock::now();
    framed_ = false;
    XMapWindow(display_, window_);
    WaitForMap();

    plugin_.SetEditorListener(&log_);
    const std::intptr_t opened = plugin_.Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(window_));
    XSync(display_, False);
    if (opened == 0 && Children() == 0) {
      // No editor to close: only our window goes.
      error = "the plug-in's editor did not open (effEditOpen answered 0)";
      plugin_.SetEditorListener(nullptr);
      XDestroyWindow(display_, window_);
      XSync(display_, False);
      window_ = 0;
      return false;
    }
    // The editor may know its size only once open.
    rect = nullptr;
    plugin_.Dispatch(vst2::effEditGetRect, 0, 0, &rect);
    int w = 0;
    int h = 0;
    if (RectSize(rect, w, h) && (w != width_ || h != height_)) Resize(w, h);
    XSync(display_, False);
    if (report) Where("editor");
    return true;
  }

  void Close(bool report) {
    if (!IsOpen()) return;
    StopWatchingDamage();
    plugin_.Dispatch(vst2::effEditClose);
    plugin_.SetEditorListener(nullptr);
    if (!destroyed_) XDestroyWindow(display_, window_);
    XSync(display_, False);
    window_ = 0;
    destroyed_ = false;
    if (report) out_ << "editor " << index_ << " closed" << std::endl;
  }

  void Idle() {
    if (IsOpen()) plugin_.Dispatch(vst2::effEditIdle);
  }

  PluginInstance& Plugin() { return plugin_; }

  // Starts counting the drawing in this window and the editor's windows
  // inside it (damageEventBase: the extension's first event number).
  void WatchDamage(int damageEventBase) {
    if (!IsOpen() || damage_ != 0) return;
    damageEventBase_ = damageEventBase;
    damage_ = XDamageCreate(display_, window_, XDamageReportRawRectangles);
    damageSeen_ = {};
  }
  void StopWatchingDamage() {
    if (damage_ != 0 && !destroyed_) XDamageDestroy(display_, damage_);
    damage_ = 0;
  }
  // The drawing reported since the last call.
  DrawingSeen TakeDamage() { return std::exchange(damageSeen_, DrawingSeen{}); }

  // Every window of the editor's loses its picture: the server sends each
  // an Expose of the whole, which any editor answers by drawing it all again.
  void ExposeEditor() {
    if (IsOpen()) ExposeChildren(window_);
  }

  // Once per open, after an idle call: "first-frame I after-start-ms N
  // after-open-ms M" when the window first shows the editor's picture
  // (start: the host's; open: the window's creation before effEditOpen).
  void ReportFirstFrame() {
    if (!IsOpen() || framed_ || !ShowsAnything(display_, window_)) return;
    framed_ = true;
    const auto now = Clock::now();
    const auto ms = [](Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); };
    out_ << "first-frame " << index_ << " after-start-ms " << ms(now - kHostStart) << " after-open-ms "
         << ms(now - openedAt_) << std::endl;
  }

  bool Resize(int width, int height) {
    if (!IsOpen()) return false;
    XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(display_);
    width_ = width;
    height_ = height;
    return true;
  }

  // This window's events; false when the event is not for it.
  bool Handle(const XEvent& event) {
    if (!IsOpen() || event.xany.window != window_) return false;
    if (damage_ != 0 && event.type == damageEventBase_ + XDamageNotify) {
      const auto& d = reinterpret_cast<const XDamageNotifyEvent&>(event);
      ++damageSeen_.events;
      damageSeen_.pixels += static_cast<long long>(d.area.width) * d.area.height;
      return true;
    }
    switch (event.type) {
      case ConfigureNotify:
        width_ = event.xconfigure.width;
        height_ = event.xconfigure.height;
        break;
      case ClientMessage: {
        const Atom protocols = XInternAtom(display_, "WM_PROTOCOLS", False);
        const Atom deleteAtom = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        if (event.xclient.message_type == protocols && static_cast<Atom>(event.xclient.data.l[0]) == deleteAtom)
          Close(true);
        break;
      }
      case DestroyNotify:
        // Someone else destroyed it (and the damage object with it): the
        // editor still has to be closed.
        destroyed_ = true;
        damage_ = 0;
        Close(true);
        break;
      default: break;
    }
    return true;
  }

  // "NAME I window 0x... size WxH at X,Y", from the server's view of the window.
  void Where(const char* name) {
    if (!IsOpen()) {
      out_ << name << ' ' << index_ << " closed" << std::endl;
      return;
    }
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned w = 0;
    unsigned h = 0;
    unsigned border = 0;
    unsigned depth = 0;
    XGetGeometry(display_, window_, &root, &x, &y, &w, &h, &border, &depth);
    Window child = 0;
    XTranslateCoordinates(display_, window_, root, 0, 0, &x, &y, &child);
    out_ << name << ' ' << index_ << " window " << HexId(window_) << " size " << w << 'x' << h << " at " << x << ','
         << y << " children " << Children() << std::endl;
  }

  bool Screenshot(const std::string& file, std::string& error) {
    if (!IsOpen()) {
      error = "editor " + std::to_string(index_) + " is not open";
      return false;
    }
    RgbImage image;
    if (!Capture(display_, window_, image, error)) return false;
    if (!WritePng(file, image, error)) return false;
    char mean[32];
    std::snprintf(mean, sizeof mean, "%.2f", image.Mean());
    out_ << "screenshot " << file << ' ' << image.width << 'x' << image.height << " mean " << mean << std::endl;
    // A picture with nothing in it means the editor drew nothing where we look.
    if (image.Mean() < 1.0) {
      error = "the editor window is all black in " + file;
      return false;
    }
    return true;
  }

 private:
  void WaitForMap() {
    XEvent event;
    const auto until = Clock::now() + std::chrono::seconds(2);
    while (Clock::now() < until) {
      if (XCheckTypedWindowEvent(display_, window_, MapNotify, &event)) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  void ExposeChildren(Window parent) {
    Window root = 0;
    Window up = 0;
    Window* children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(display_, parent, &root, &up, &children, &n) == 0) return;
    std::unique_ptr<Window, XFreeDeleter<Window>> owned(children);
    for (unsigned int i = 0; i < n; ++i) {
      XClearArea(display_, children[i], 0, 0, 0, 0, True);
      ExposeChildren(children[i]);
    }
  }

  unsigned Children() {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(display_, window_, &root, &parent, &children, &n) == 0) return 0;
    if (children != nullptr) XFree(children);
    return n;
  }

  Display* display_;
  PluginInstance& plugin_;
  int index_;
  std::ostream& out_;
  EditorEventLog log_;
  Window window_ = 0;
  bool destroyed_ = false;
  Clock::time_point openedAt_{};
  bool framed_ = true;  // the first frame of this open was reported
  int width_ = 0;
  int height_ = 0;
  Damage damage_ = 0;
  int damageEventBase_ = 0;
  DrawingSeen damageSeen_;
};

class EditLoop {
 public:
  EditLoop(Display* display, const std::vector<PluginInstance*>& plugins, std::ostream& out)
      : display_(display), out_(out) {
    for (std::size_t i = 0; i < plugins.size(); ++i)
      windows_.push_back(std::make_unique<HostWindow>(display, *plugins[i], static_cast<int>(i), plugins.size() > 1, out));
    int error = 0;
    if (!XDamageQueryExtension(display_, &damageEventBase_, &error)) damageEventBase_ = -1;
  }

  bool OpenAll(std::string& error) {
    for (std::size_t i = 0; i < windows_.size(); ++i) {
      if (!Open(static_cast<int>(i), error)) return false;
    }
    return true;
  }

  bool Open(int index, std::string& error, bool report = true) {
    // Side by side, each where the one before ends.
    int x = 0;
    for (int i = 0; i < index; ++i) x += 835;
    return windows_[static_cast<std::size_t>(index)]->Open(x, 0, report, error);
  }

  void Count() {
    // Freed heap memory goes back to the system first: what stays is in use.
    malloc_trim(0);
    out_ << "count windows " << CountWindows(display_, DefaultRootWindow(display_)) << " glx-contexts "
         << CountGlxContexts(display_) << " rss-kb " << ResidentKb() << " fds " << OpenFiles() << std::endl;
  }

  bool Cycles(int index, int count, std::string& error) {
    HostWindow& window = *windows_[static_cast<std::size_t>(index)];
    window.Close(false);
    for (int c = 0; c < count; ++c) {
      if (!Open(index, error, false)) return false;
      for (int i = 0; i < kCycleIdles; ++i) {
        Serve(Clock::now() + kIdlePeriod, nullptr);
        window.Idle();
      }
      window.Close(false);
    }
    out_ << "cycles " << count << std::endl;
    return true;
  }

  // COUNT idle calls of one editor, at least kFramePeriod apart, each after
  // the mode's change, and what they cost: "frames MODE ticks N presented K
  // damaged-px P host-cpu-ms H x-cpu-ms X wall-ms W". A tick presented a
  // frame when the server reported drawing in the window after its idle
  // call; damaged-px sums the reported rectangles. Host CPU is this
  // process's (every thread), X CPU the local X server's (NaN without one).
  bool Frames(const EditCommand& command, std::string& error) {
    HostWindow& window = At(command.instance);
    if (!window.IsOpen()) {
      error = "editor " + std::to_string(command.instance) + " is not open";
      return false;
    }
    if (damageEventBase_ < 0) {
      error = "the X server has no DAMAGE extension: frames cannot be counted";
      return false;
    }
    PluginInstance& plugin = window.Plugin();
    if (command.frameMode == EditCommand::FrameMode::Knob && command.param >= plugin.NumParams()) {
      error = "frames: the plug-in has no parameter " + std::to_string(command.param);
      return false;
    }
    // The first value set is the one farther from the parameter's own, so
    // that the first tick changes it too.
    int turn = 0;
    if (command.frameMode == EditCommand::FrameMode::Knob) {
      const float now = plugin.GetParameter(command.param);
      turn = std::fabs(now - kKnobValues[0]) >= std::fabs(now - kKnobValues[1]) ? 0 : 1;
    }
    window.WatchDamage(damageEventBase_);
    Settle();
    window.TakeDamage();
    long presented = 0;
    long long pixels = 0;
    const auto tally = [&]() {
      Settle();
      const DrawingSeen d = window.TakeDamage();
      if (d.events > 0) ++presented;
      pixels += d.pixels;
    };
    const pid_t server = ServerPid(display_);
    const double host0 = OwnCpuMs();
    const double x0 = ProcessCpuMs(server);
    const auto start = Clock::now();
    // The loop's last idle call may be less than a period ago.
    auto next = start + kFramePeriod;
    int ticks = 0;
    for (int i = 0; i < command.count && window.IsOpen(); ++i) {
      Serve(next, nullptr);
      // The drawing of the tick before is in by now.
      if (i > 0) tally();
      switch (command.frameMode) {
        case EditCommand::FrameMode::Idle: break;
        case EditCommand::FrameMode::ExposeAll:
          window.ExposeEditor();
          // A window with a background is cleared by the server itself:
          // that is not the editor's drawing.
          Settle();
          window.TakeDamage();
          break;
        case EditCommand::FrameMode::Knob: plugin.SetParameter(command.param, kKnobValues[(turn + i) % 2]); break;
      }
      const auto began = Clock::now();
      window.Idle();
      ++ticks;
      next = began + kFramePeriod;
    }
    Serve(next, nullptr);
    tally();
    const auto wall = Clock::now() - start;
    const double host1 = OwnCpuMs();
    const double x1 = ProcessCpuMs(server);
    window.StopWatchingDamage();
    const char* mode = command.frameMode == EditCommand::FrameMode::Idle     ? "idle"
                       : command.frameMode == EditCommand::FrameMode::ExposeAll ? "expose"
                                                                             : "knob";
    char line[256];
    std::snprintf(line, sizeof line,
                  "frames %s ticks %d presented %ld damaged-px %lld host-cpu-ms %.1f x-cpu-ms %.1f wall-ms %lld", mode,
                  ticks, presented, pixels, host1 - host0, x1 - x0,
                  static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(wall).count()));
    out_ << line << std::endl;
    return true;
  }

  bool AnyOpen() const {
    for (const auto& w : windows_) {
      if (w->IsOpen()) return true;
    }
    return false;
  }

  void IdleAll() {
    for (const auto& w : windows_) {
      w->Idle();
      w->ReportFirstFrame();
    }
  }

  // Handles X events (and stdin lines, into `lines`) until `until`.
  void Serve(Clock::time_point until, std::vector<std::string>* lines) {
    const int xfd = ConnectionNumber(display_);
    while (true) {
      XFlush(display_);
      while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        for (const auto& w : windows_) {
          if (w->Handle(event)) break;
        }
      }
      const auto now = Clock::now();
      if (now >= until) return;
      pollfd fds[2] = {{xfd, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
      const bool readStdin = lines != nullptr && !stdinClosed_;
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count() + 1;
      if (poll(fds, readStdin ? 2 : 1, static_cast<int>(wait)) <= 0) continue;
      if (readStdin && (fds[1].revents & (POLLIN | POLLHUP)) != 0) {
        char buffer[4096];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
          stdinClosed_ = true;
          if (!pending_.empty()) lines->push_back(pending_);
          pending_.clear();
          continue;
        }
        pending_.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
          lines->push_back(pending_.substr(0, end));
          pending_.erase(0, end + 1);
        }
        if (!lines->empty()) return;
      }
    }
  }

  // Our requests done, and the events they brought handled.
  void Settle() {
    XSync(display_, False);
    Serve(Clock::now(), nullptr);
  }

  bool StdinClosed() const { return stdinClosed_; }
  HostWindow& At(int index) { return *windows_[static_cast<std::size_t>(index)]; }
  int Size() const { return static_cast<int>(windows_.size()); }

 private:
  Display* display_;
  std::ostream& out_;
  std::vector<std::unique_ptr<HostWindow>> windows_;
  int damageEventBase_ = -1;  // -1: the server has no DAMAGE extension
  bool stdinClosed_ = false;
  std::string pending_;
};

// One --stdin line; false ends the session.
bool RunCommand(EditLoop& loop, const std::string& line, std::ostream& out) {
  EditCommand command;
  std::string error;
  if (!ParseEditCommand(line, loop.Size(), command, error)) {
    out << "error " << error << std::endl;
    return true;
  }
  HostWindow& window = loop.At(command.instance);
  switch (command.kind) {
    case EditCommand::Kind::Open:
      if (window.IsOpen()) window.Where("editor");
      else if (!loop.Open(command.instance, error)) out << "error " << error << std::endl;
      break;
    case EditCommand::Kind::Close:
      if (!window.IsOpen()) out << "editor " << command.instance << " closed" << std::endl;
      window.Close(true);
      break;
    case EditCommand::Kind::Where: window.Where("where"); break;
    case EditCommand::Kind::Count: loop.Count(); break;
    case EditCommand::Kind::Cycles:
      if (!loop.Cycles(command.instance, command.count, error)) out << "error " << error << std::endl;
      break;
    case EditCommand::Kind::Screenshot:
      if (!window.Screenshot(command.file, error)) out << "error " << error << std::endl;
      break;
    case EditCommand::Kind::Frames:
      if (!loop.Frames(command, error)) out << "error " << error << std::endl;
      break;
    case EditCommand::Kind::Quit: out << "bye" << std::endl; return false;
  }
  return true;
}

}  // namespace

void PrepareEditWindows() {
  // Plug-ins may call Xlib from threads of their own.
  XInitThreads();
}

bool RunEditWindows(const std::vector<PluginInstance*>& plugins, const EditOptions& options, std::ostream& out,
                    std::string& error) {
  DisplayPtr display(XOpenDisplay(nullptr));
  if (!display) {
    error = "cannot open the X display (is DISPLAY set?)";
    return false;
  }
  XSetErrorHandler(&LogXError);
  bool ok = true;
  {
    EditLoop loop(display.get(), plugins, out);
    if (options.cycles > 0) {
      // Counts before any editor, then after one cycle, so that what loads
      // once (the GL driver) is not taken for growth, then after the rest.
      loop.Count();
      ok = loop.Cycles(0, 1, error);
      if (ok) loop.Count();
      ok = ok && loop.Cycles(0, options.cycles, error);
      if (ok) loop.Count();
      return ok;
    }
    if (!loop.OpenAll(error)) return false;
    const auto start = Clock::now();
    auto next = start;
    std::vector<std::string> lines;
    while (ok) {
      if (!options.commands && !loop.AnyOpen()) break;
      if (options.commands && loop.StdinClosed()) break;
      const auto now = Clock::now();
      if (options.afterMs >= 0 && now - start >= std::chrono::milliseconds(options.afterMs)) {
        if (!options.screenshot.empty()) ok = loop.At(0).Screenshot(options.screenshot, error);
        break;
      }
      if (now >= next) {
        loop.IdleAll();
        next += kIdlePeriod;
        if (next < now) next = now + kIdlePeriod;
      }
      lines.clear();
      loop.Serve(next, options.commands ? &lines : nullptr);
      for (const std::string& line : lines) {
        if (!RunCommand(loop, line, out)) return true;
      }
    }
  }
  return ok;
}

}  // namespace ombrisk::host
