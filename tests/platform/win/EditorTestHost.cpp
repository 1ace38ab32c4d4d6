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
