// A small VST2 host for the editor's end-to-end test under Wine: it loads the
// plug-in module, drives its instances only through the AEffect record, gives
// each editor a top-level window of its own, and answers commands read from
// standard input one per line, so that a script can move the real X pointer
// in between. Host callbacks the editor causes are written to standard
// output as they arrive:
//   CB BeginEdit <instance> <index> | CB Automate <instance> <index> <value>
//   CB EndEdit <instance> <index>   | CB SizeWindow <instance> <w> <h>
// Every command answers with one line. A crash is reported ("CRASH <code>")
// and ends the process, which Wine would otherwise leave hanging.

#include <windows.h>

#include <GL/gl.h>
#include <GL/wglext.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "vst2/VstInterface.h"

namespace {

constexpr UINT kCommand = WM_APP + 1;
constexpr const char* kHostClass = "OmbriskTestHostWindow";

struct Instance {
  vst2::AEffect* effect = nullptr;
  HWND window = nullptr;
  int x = 0, y = 0;
};

std::vector<Instance> gInstances;
std::mutex gOut;
std::atomic<long> gPaints{0};
HMODULE gModule = nullptr;
vst2::VstPluginMainProc gEntry = nullptr;

void Say(const std::string& line) {
  std::lock_guard lock(gOut);
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

int IndexOf(vst2::AEffect* effect) {
  for (std::size_t i = 0; i < gInstances.size(); ++i)
    if (gInstances[i].effect == effect) return static_cast<int>(i);
  return -1;
}

std::intptr_t OMBRISK_VSTCALL HostCallback(vst2::AEffect* effect, std::int32_t opcode, std::int32_t index,
                                          std::intptr_t value, void* ptr, float opt) {
  char line[160];
  switch (opcode) {
    case vst2::audioMasterVersion:
      return 2400;
    case vst2::audioMasterGetProductString:
      if (ptr) std::strcpy(static_cast<char*>(ptr), "Ombrisk Test Host");
      return 1;
    case vst2::audioMasterGetVendorVersion:
      return 1;
    case vst2::audioMasterAutomate:
      std::snprintf(line, sizeof line, "CB Automate %d %d %.6f", IndexOf(effect), index, static_cast<double>(opt));
      Say(line);
      return 0;
    case vst2::audioMasterBeginEdit:
      std::snprintf(line, sizeof line, "CB BeginEdit %d %d", IndexOf(effect), index);
      Say(line);
      return 1;
    case vst2::audioMasterEndEdit:
      std::snprintf(line, sizeof line, "CB EndEdit %d %d", IndexOf(effect), index);
      Say(line);
      return 1;
    case vst2::audioMasterSizeWindow: {
      std::snprintf(line, sizeof line, "CB SizeWindow %d %d %d", IndexOf(effect), index, static_cast<int>(value));
      Say(line);
      const int i = IndexOf(effect);
      if (i >= 0 && gInstances[static_cast<std::size_t>(i)].window) {
        SetWindowPos(gInstances[static_cast<std::size_t>(i)].window, nullptr, 0, 0, index, static_cast<int>(value),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 1;
    }
    default:
      return 0;
  }
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
  char line[64];
  std::snprintf(line, sizeof line, "CRASH 0x%08lx", info ? info->ExceptionRecord->ExceptionCode : 0ul);
  Say(line);
  ExitProcess(3);
}

// Counts paints of editor windows, whether sent (UpdateWindow) or queued.
bool IsEditorWindow(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return std::strcmp(name, "IFxWndClass") == 0;
}

LRESULT CALLBACK SentHook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && m && m->message == WM_PAINT && IsEditorWindow(m->hwnd)) ++gPaints;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK HostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(window, &r);
    FillRect(reinterpret_cast<HDC>(wParam), &r, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
    return 1;
  }
  return DefWindowProcA(window, msg, wParam, lParam);
}

void Pump(DWORD milliseconds);

std::intptr_t Call(Instance& in, std::int32_t op, std::int32_t index = 0, std::intptr_t value = 0, void* ptr = nullptr,
                   float opt = 0.0f) {
  return in.effect->dispatcher(in.effect, op, index, value, ptr, opt);
}

HWND EditorChild(const Instance& in) { return in.window ? FindWindowExA(in.window, nullptr, "IFxWndClass", nullptr) : nullptr; }

int CountThreadWindows() {
  int n = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM count) -> BOOL {
        ++*reinterpret_cast<int*>(count);
        EnumChildWindows(
            w, [](HWND, LPARAM c) -> BOOL { ++*reinterpret_cast<int*>(c); return TRUE; }, count);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&n));
  return n;
}

// GetGuiResources answers 0 under Wine: count live GDI objects by probing
// the handle table's indices.
int CountGdiObjects() {
  int n = 0;
  for (std::uintptr_t i = 1; i < 0x10000; ++i)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0) ++n;
  return n;
}

// Contexts are handed out from a table that reuses freed slots: the largest
// index of a few fresh contexts grows with every leaked one.
unsigned ProbeGlContexts() {
  HWND w = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
  HDC dc = GetDC(w);
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.cColorBits = 32;
  SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
  HGLRC previous = wglGetCurrentContext();
  HDC previousDC = wglGetCurrentDC();
  unsigned largest = 0;
  HGLRC made[5] = {};
  for (HGLRC& c : made) {
    c = wglCreateContext(dc);
    const unsigned index = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(c) & 0xFFFF);
    if (index > largest) largest = index;
  }
  for (HGLRC c : made)
    if (c) wglDeleteContext(c);
  wglMakeCurrent(previousDC, previous);
  ReleaseDC(w, dc);
  DestroyWindow(w);
  return largest;
}

// The host's own GL: a context on a small window of its own, current on
// the host's thread, with frame buffers, render buffers and textures in it.
struct HostGl {
  HWND window = nullptr;
  HDC dc = nullptr;
  HGLRC context = nullptr;
  std::vector<GLuint> framebuffers, renderbuffers, textures;
  using Gen = void(APIENTRY*)(GLsizei, GLuint*);
  using Bind = void(APIENTRY*)(GLenum, GLuint);
  using Is = GLboolean(APIENTRY*)(GLuint);
  Is isFramebuffer = nullptr, isRenderbuffer = nullptr;
} gHostGl;

template <class F>
F GlProc(const char* name) {
  // Through void (*)(), the cast that names no signature.
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(wglGetProcAddress(name)));
}

bool MakeHostGl() {
  constexpr GLenum kFramebuffer = 0x8D40, kRenderbuffer = 0x8D41;
  HostGl& h = gHostGl;
  h.window = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 1800, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
  h.dc = GetDC(h.window);
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.cColorBits = 32;
  SetPixelFormat(h.dc, ChoosePixelFormat(h.dc, &pfd), &pfd);
  h.context = wglCreateContext(h.dc);
  if (!h.context || !wglMakeCurrent(h.dc, h.context)) return false;
  const auto genFramebuffers = GlProc<HostGl::Gen>("glGenFramebuffers");
  const auto genRenderbuffers = GlProc<HostGl::Gen>("glGenRenderbuffers");
  const auto bindFramebuffer = GlProc<HostGl::Bind>("glBindFramebuffer");
  const auto bindRenderbuffer = GlProc<HostGl::Bind>("glBindRenderbuffer");
  h.isFramebuffer = GlProc<HostGl::Is>("glIsFramebuffer");
  h.isRenderbuffer = GlProc<HostGl::Is>("glIsRenderbuffer");
  if (!genFramebuffers || !genRenderbuffers || !bindFramebuffer || !bindRenderbuffer || !h.isFramebuffer ||
      !h.isRenderbuffer)
    return false;
  for (int i = 0; i < 4; ++i) {
    GLuint f = 0, r = 0, t = 0;
    genFramebuffers(1, &f);
    bindFramebuffer(kFramebuffer, f);
    genRenderbuffers(1, &r);
    bindRenderbuffer(kRenderbuffer, r);
    glGenTextures(1, &t);
    glBindTexture(GL_TEXTURE_2D, t);
    h.framebuffers.push_back(f);
    h.renderbuffers.push_back(r);
    h.textures.push_back(t);
  }
  bindFramebuffer(kFramebuffer, 0);
  return true;
}

// Whether the host's context is still current, and its objects all there.
std::string CheckHostGl() {
  HostGl& h = gHostGl;
  const bool current = h.context && wglGetCurrentContext() == h.context && wglGetCurrentDC() == h.dc;
  bool alive = current;
  if (current) {
    for (GLuint f : h.framebuffers) alive = alive && h.isFramebuffer(f);
    for (GLuint r : h.renderbuffers) alive = alive && h.isRenderbuffer(r);
    for (GLuint t : h.textures) alive = alive && glIsTexture(t);
  }
  return std::string("HOSTGL current ") + (current ? "1" : "0") + " alive " + (alive ? "1" : "0");
}

// The swap method of the pixel format set on the editor's window, as
// DescribePixelFormat tells it.
std::string EditorPixelFormat(const Instance& in) {
  HWND child = EditorChild(in);
  if (!child) return "PIXELFORMAT none";
  HDC dc = GetDC(child);
  const int index = GetPixelFormat(dc);
  PIXELFORMATDESCRIPTOR pfd{};
  const bool described = index > 0 && DescribePixelFormat(dc, index, sizeof pfd, &pfd) != 0;
  // WGL_ARB_pixel_format's swap method of it, asked with a context of a window of our own.
  int method = 0;
  HWND w = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
  HDC wdc = GetDC(w);
  PIXELFORMATDESCRIPTOR own{};
  own.nSize = sizeof own;
  own.nVersion = 1;
  own.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  own.cColorBits = 32;
  SetPixelFormat(wdc, ChoosePixelFormat(wdc, &own), &own);
  HGLRC previous = wglGetCurrentContext();
  HDC previousDC = wglGetCurrentDC();
  HGLRC context = wglCreateContext(wdc);
  if (context && wglMakeCurrent(wdc, context)) {
    const auto attrib = GlProc<PFNWGLGETPIXELFORMATATTRIBIVARBPROC>("wglGetPixelFormatAttribivARB");
    const int which = WGL_SWAP_METHOD_ARB;
    if (attrib && index > 0 && !attrib(dc, index, 0, 1, &which, &method)) method = 0;
    wglMakeCurrent(previousDC, previous);
  }
  if (context) wglDeleteContext(context);
  ReleaseDC(w, wdc);
  DestroyWindow(w);
  ReleaseDC(child, dc);
  std::ostringstream s;
  s << "PIXELFORMAT " << index << " copy " << (described && (pfd.dwFlags & PFD_SWAP_COPY) ? 1 : 0) << " exchange "
    << (described && (pfd.dwFlags & PFD_SWAP_EXCHANGE) ? 1 : 0) << " arbmethod 0x" << std::hex << method;
  return s.str();
}

// What the system offers for presenting: of its double-buffered GL window
// formats, how many DescribePixelFormat calls copying or exchanging; what
// ChoosePixelFormat gives when asked for a copying swap; with
// WGL_ARB_pixel_format, how many formats wglChoosePixelFormatARB gives for
// WGL_SWAP_COPY_ARB and the swap method wglGetPixelFormatAttribivARB gives
// for each of them; and whether GL_WIN_swap_hint is in the extensions.
std::string SwapFormats() {
  HWND w = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
  HDC dc = GetDC(w);
  PIXELFORMATDESCRIPTOR pfd{};
  const int count = DescribePixelFormat(dc, 1, sizeof pfd, &pfd);
  int window = 0, copy = 0, exchange = 0;
  for (int i = 1; i <= count; ++i) {
    DescribePixelFormat(dc, i, sizeof pfd, &pfd);
    const DWORD need = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    if ((pfd.dwFlags & need) != need) continue;
    ++window;
    copy += (pfd.dwFlags & PFD_SWAP_COPY) != 0;
    exchange += (pfd.dwFlags & PFD_SWAP_EXCHANGE) != 0;
  }
  PIXELFORMATDESCRIPTOR want{};
  want.nSize = sizeof want;
  want.nVersion = 1;
  want.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_SWAP_COPY;
  want.cColorBits = 32;
  want.cDepthBits = 24;
  want.cStencilBits = 8;
  const int chosen = ChoosePixelFormat(dc, &want);
  PIXELFORMATDESCRIPTOR got{};
  if (chosen > 0) DescribePixelFormat(dc, chosen, sizeof got, &got);
  std::ostringstream s;
  s << "FORMATS " << count << " window " << window << " copy " << copy << " exchange " << exchange << " chosen "
    << chosen << " chosencopy " << ((got.dwFlags & PFD_SWAP_COPY) ? 1 : 0);
  SetPixelFormat(dc, chosen, &want);
  HGLRC previous = wglGetCurrentContext();
  HDC previousDC = wglGetCurrentDC();
  HGLRC context = wglCreateContext(dc);
  if (context && wglMakeCurrent(dc, context)) {
    const auto* gl = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    s << " swaphint " << ((gl && std::strstr(gl, "GL_WIN_swap_hint")) ? 1 : 0) << " hintproc "
      << (GlProc<void (*)()>("glAddSwapHintRectWIN") ? 1 : 0);
    const auto extensions = GlProc<PFNWGLGETEXTENSIONSSTRINGARBPROC>("wglGetExtensionsStringARB");
    const char* wgl = extensions ? extensions(dc) : nullptr;
    const auto choose = GlProc<PFNWGLCHOOSEPIXELFORMATARBPROC>("wglChoosePixelFormatARB");
    const auto attrib = GlProc<PFNWGLGETPIXELFORMATATTRIBIVARBPROC>("wglGetPixelFormatAttribivARB");
    const bool arb = wgl && std::strstr(wgl, "WGL_ARB_pixel_format") && choose && attrib;
    s << " arb " << (arb ? 1 : 0);
    if (arb) {
      const int asked[] = {WGL_DRAW_TO_WINDOW_ARB, 1, WGL_SUPPORT_OPENGL_ARB, 1, WGL_DOUBLE_BUFFER_ARB, 1,
                           WGL_SWAP_METHOD_ARB, WGL_SWAP_COPY_ARB, 0};
      int found[256] = {};
      UINT n = 0;
      choose(dc, asked, nullptr, 256, found, &n);
      int copies = 0;
      for (UINT i = 0; i < n && i < 256; ++i) {
        const int which = WGL_SWAP_METHOD_ARB;
        int method = 0;
        if (attrib(dc, found[i], 0, 1, &which, &method) && method == WGL_SWAP_COPY_ARB) ++copies;
      }
      s << " arbcopy " << n << " arbcopysaid " << copies;
      // The swap method of every format, and of the one ChoosePixelFormat gave.
      int exchanges = 0, copying = 0, undefined = 0, other = 0, ofChosen = 0;
      for (int i = 1; i <= count; ++i) {
        const int which = WGL_SWAP_METHOD_ARB;
        int method = 0;
        if (!attrib(dc, i, 0, 1, &which, &method)) method = -1;
        exchanges += method == WGL_SWAP_EXCHANGE_ARB;
        copying += method == WGL_SWAP_COPY_ARB;
        undefined += method == WGL_SWAP_UNDEFINED_ARB;
        other += method != WGL_SWAP_EXCHANGE_ARB && method != WGL_SWAP_COPY_ARB && method != WGL_SWAP_UNDEFINED_ARB;
        if (i == chosen) ofChosen = method;
      }
      s << " arbmethods exchange " << exchanges << " copy " << copying << " undefined " << undefined << " other "
        << other << " chosenmethod 0x" << std::hex << ofChosen << std::dec;
    }
    wglMakeCurrent(previousDC, previous);
  }
  if (context) wglDeleteContext(context);
  ReleaseDC(w, dc);
  DestroyWindow(w);
  return s.str();
}

HWND MakeHostWindow(int x, int y, int w, int h) {
  return CreateWindowExA(0, kHostClass, "Ombrisk test host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, w, h,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

std::string Open(Instance& in, std::intptr_t parentOverride = 0) {
  vst2::ERect* rect = nullptr;
  Call(in, vst2::effEditGetRect, 0, 0, &rect);
  const int w = rect ? rect->right - rect->left : 0, h = rect ? rect->bottom - rect->top : 0;
  if (!in.window) in.window = MakeHostWindow(in.x, in.y, w > 0 ? w : 400, h > 0 ? h : 300);
  else SetWindowPos(in.window, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  void* parent = parentOverride ? reinterpret_cast<void*>(parentOverride) : in.window;
  const std::intptr_t ok = Call(in, vst2::effEditOpen, 0, 0, parent);
  RECT r{};
  if (HWND child = EditorChild(in)) GetWindowRect(child, &r);
  std::ostringstream s;
  s << ok << " rect " << w << " " << h << " window " << r.left << " " << r.top << " " << (r.right - r.left) << " "
    << (r.bottom - r.top);
  return s.str();
}

std::string Run(const std::string& line) {
  std::istringstream in(line);
  std::string cmd;
  in >> cmd;
  int k = -1;
  const auto instance = [&]() -> Instance* {
    in >> k;
    if (k < 0 || k >= static_cast<int>(gInstances.size())) return nullptr;
    return &gInstances[static_cast<std::size_t>(k)];
  };
  std::ostringstream out;
  if (cmd == "new") {
    Instance made;
    made.effect = gEntry ? gEntry(&HostCallback) : nullptr;
    if (!made.effect) return "NEW failed";
    made.x = gInstances.empty() ? 0 : 960;
    gInstances.push_back(made);
    Instance& i = gInstances.back();
    Call(i, vst2::effOpen);
    Call(i, vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Call(i, vst2::effSetBlockSize, 0, 512);
    Call(i, vst2::effMainsChanged, 0, 1);
    out << "NEW " << gInstances.size() - 1;
  } else if (cmd == "open") {
    Instance* i = instance();
    if (!i) return "ERR";
    out << "OPEN " << k << " " << Open(*i);
  } else if (cmd == "badopen") {
    Instance* i = instance();
    if (!i) return "ERR";
    const std::intptr_t ok = Call(*i, vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(0x1234));
    out << "BADOPEN " << k << " " << ok << " " << (EditorChild(*i) != nullptr);
    Call(*i, vst2::effEditClose);
  } else if (cmd == "close") {
    Instance* i = instance();
    if (!i) return "ERR";
    out << "CLOSE " << k << " " << Call(*i, vst2::effEditClose) << " child " << (EditorChild(*i) != nullptr);
  } else if (cmd == "where") {
    Instance* i = instance();
    if (!i) return "ERR";
    RECT r{};
    if (HWND child = EditorChild(*i)) GetWindowRect(child, &r);
    out << "WHERE " << k << " " << r.left << " " << r.top << " " << (r.right - r.left) << " " << (r.bottom - r.top);
  } else if (cmd == "get") {
    Instance* i = instance();
    int index = 0;
    in >> index;
    if (!i) return "ERR";
    char v[64];
    std::snprintf(v, sizeof v, "%.6f", static_cast<double>(i->effect->getParameter(i->effect, index)));
    out << "PARAM " << k << " " << index << " " << v;
  } else if (cmd == "set") {
    // From another thread, as a host's automation would.
    Instance* i = instance();
    int index = 0;
    float value = 0.0f;
    in >> index >> value;
    if (!i) return "ERR";
    vst2::AEffect* effect = i->effect;
    std::thread([effect, index, value]() { effect->setParameter(effect, index, value); }).join();
    out << "SET " << k << " " << index << " " << value;
  } else if (cmd == "hostgl") {
    out << (MakeHostGl() ? "HOSTGL made" : "HOSTGL failed");
  } else if (cmd == "hostglcheck") {
    out << CheckHostGl();
  } else if (cmd == "pixelformat") {
    Instance* i = instance();
    if (!i) return "ERR";
    out << EditorPixelFormat(*i);
  } else if (cmd == "swapformats") {
    out << SwapFormats();
  } else if (cmd == "expose") {
    // As the system does when the window is uncovered: all of it to paint.
    Instance* i = instance();
    HWND child = i ? EditorChild(*i) : nullptr;
    if (!child) return "ERR";
    out << "EXPOSE " << k << " " << (InvalidateRect(child, nullptr, FALSE) ? 1 : 0);
  } else if (cmd == "frames") {
    // frames K MODE N: N rounds 25 ms apart; before each the host sets
    // parameter 0 to 0.3 and 0.7 in turn (knob), invalidates the editor's
    // whole window (expose) or does nothing (idle). The process's CPU
    // (user + kernel, every thread) over the rounds and the paints seen.
    Instance* i = instance();
    std::string mode;
    int n = 0;
    in >> mode >> n;
    HWND child = i ? EditorChild(*i) : nullptr;
    if (!child || n <= 0) return "ERR";
    const auto cpu = []() {
      FILETIME created, exited, kernel, user;
      GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
      const auto value = [](const FILETIME& f) {
        return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
      };
      return value(kernel) + value(user);  // 100 ns units
    };
    Pump(100);
    gPaints = 0;
    const unsigned long long start = cpu();
    for (int r = 0; r < n; ++r) {
      if (mode == "knob") i->effect->setParameter(i->effect, 0, (r % 2) ? 0.7f : 0.3f);
      else if (mode == "expose") InvalidateRect(child, nullptr, FALSE);
      Pump(25);
    }
    const unsigned long long used = cpu() - start;
    out << "FRAMES " << mode << " " << n << " cpu_us " << used / 10 << " paints " << gPaints.exchange(0);
  } else if (cmd == "pump") {
    DWORD ms = 0;
    in >> ms;
    Pump(ms);
    out << "PUMPED " << ms;
  } else if (cmd == "paints") {
    out << "PAINTS " << gPaints.exchange(0);
  } else if (cmd == "count") {
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    const bool registered = GetClassInfoExA(gModule, "IFxWndClass", &info) != 0;
    out << "COUNT windows " << CountThreadWindows() << " gdi " << CountGdiObjects() << " gl " << ProbeGlContexts()
        << " class " << registered;
  } else if (cmd == "cycles") {
    Instance* i = instance();
    int n = 0;
    in >> n;
    if (!i) return "ERR";
    int opened = 0;
    for (int c = 0; c < n; ++c) {
      Open(*i);
      if (EditorChild(*i)) ++opened;
      Pump(15);
      Call(*i, vst2::effEditClose);
      Pump(2);
    }
    out << "CYCLES " << k << " " << opened;
  } else if (cmd == "quit") {
    for (Instance& i : gInstances) {
      Call(i, vst2::effEditClose);
      Call(i, vst2::effClose);
      if (i.window) DestroyWindow(i.window);
    }
    gInstances.clear();
    return "BYE";
  } else {
    return "ERR unknown " + cmd;
  }
  return out.str();
}

bool gQuit = false;

void Dispatch(MSG& m) {
  if (m.message == kCommand) {
    auto* text = reinterpret_cast<std::string*>(m.lParam);
    const std::string answer = Run(*text);
    if (answer == "BYE") gQuit = true;
    delete text;
    Say(answer);
    return;
  }
  if (m.message == WM_PAINT && IsEditorWindow(m.hwnd)) ++gPaints;
  TranslateMessage(&m);
  DispatchMessageA(&m);
}

// Runs the message loop for a while, without taking commands.
void Pump(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  MSG m;
  for (;;) {
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == kCommand) {  // keep commands in order: put it back for the main loop
        PostThreadMessageA(GetCurrentThreadId(), m.message, m.wParam, m.lParam);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        break;
      }
      Dispatch(m);
    }
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(end - now) <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
  }
}

}  // namespace

int main(int argc, char** argv) {
  SetUnhandledExceptionFilter(OnCrash);
  if (argc < 2) {
    std::fputs("usage: editor-test-host MODULE\n", stderr);
    return 2;
  }
  gModule = LoadLibraryA(argv[1]);
  gEntry = gModule ? reinterpret_cast<vst2::VstPluginMainProc>(
                         reinterpret_cast<void*>(GetProcAddress(gModule, "VSTPluginMain")))
                   : nullptr;
  if (!gEntry) {
    Say("LOAD failed");
    return 2;
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kHostClass;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  RegisterClassA(&wc);
  SetWindowsHookExA(WH_CALLWNDPROC, SentHook, nullptr, GetCurrentThreadId());
  const DWORD mainThread = GetCurrentThreadId();
  MSG m;
  PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists before the reader posts
  std::thread([mainThread]() {
    std::string line;
    while (std::getline(std::cin, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty()) continue;
      PostThreadMessageA(mainThread, kCommand, 0, reinterpret_cast<LPARAM>(new std::string(line)));
      if (line == "quit") return;
    }
    PostThreadMessageA(mainThread, kCommand, 0, reinterpret_cast<LPARAM>(new std::string("quit")));
  }).detach();
  Say("READY");
  while (!gQuit && GetMessageA(&m, nullptr, 0, 0) > 0) Dispatch(m);
  FreeLibrary(gModule);
  return 0;
}
