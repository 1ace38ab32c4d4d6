// The real Win32 layer of the editor window: each operation is the system
// call of the same purpose, with the structures filled as the editor needs.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>
#include <GL/gl.h>

#include <cstring>

#include <map>
#include <mutex>

#include "platform/win/Win32Api.h"
#include "platform/win/WinConstants.h"

namespace fx::win {

namespace {

HWND W(Handle h) { return static_cast<HWND>(h); }
HDC D(Handle h) { return static_cast<HDC>(h); }

LRESULT CALLBACK EditorWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    auto* target = create ? static_cast<MessageTarget*>(create->lpCreateParams) : nullptr;
    if (target) return target->WindowMessage(hwnd, msg, wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  auto* target = reinterpret_cast<MessageTarget*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!target) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return target->WindowMessage(hwnd, msg, wParam, lParam);
}

// Previous window procedures of subclassed edit windows.
std::mutex gEditLock;
std::map<HWND, WNDPROC> gEditProcs;

WNDPROC PreviousEditProc(HWND edit) {
  std::lock_guard lock(gEditLock);
  auto it = gEditProcs.find(edit);
  return it == gEditProcs.end() ? nullptr : it->second;
}

LRESULT CALLBACK EditWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* target = reinterpret_cast<MessageTarget*>(GetWindowLongPtrA(GetParent(hwnd), GWLP_USERDATA));
  if (target) return target->EditMessage(hwnd, msg, wParam, lParam);
  WNDPROC previous = PreviousEditProc(hwnd);
  return previous ? CallWindowProcW(previous, hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

// wglGetProcAddress knows only functions after OpenGL 1.1; the rest are
// exports of opengl32 itself.
HMODULE gOpenGl = nullptr;
using WglGetProc = PROC(WINAPI*)(LPCSTR);
WglGetProc gWglGetProc = nullptr;

fx::vg::GlProc LoadGlProc(const char* name, void*) {
  PROC p = gWglGetProc ? gWglGetProc(name) : nullptr;
  const auto value = reinterpret_cast<INT_PTR>(p);
  if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) {
    p = gOpenGl ? GetProcAddress(gOpenGl, name) : nullptr;
  }
  return reinterpret_cast<fx::vg::GlProc>(p);
}

// wglGetProcAddress of the current context; null for the failure values
// some drivers give instead of null.
void* WglProc(const char* name) {
  PROC p = wglGetProcAddress(name);
  const auto value = reinterpret_cast<INT_PTR>(p);
  if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) return nullptr;
  return reinterpret_cast<void*>(p);
}

// Whether a space-separated extension list holds the name as a whole word.
bool HasWord(const char* list, const char* name) {
  if (!list) return false;
  const std::size_t length = std::strlen(name);
  for (const char* at = std::strstr(list, name); at; at = std::strstr(at + 1, name))
    if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
  return false;
}

// WGL_ARB_pixel_format's wglGetPixelFormatAttribivARB for the current
// context, null where the extension is not offered for the DC.
using PixelFormatAttribs = BOOL(WINAPI*)(HDC, int, int, UINT, const int*, int*);
PixelFormatAttribs PixelFormatAttribsFor(HDC dc) {
  using ExtensionsString = const char*(WINAPI*)(HDC);
  const auto extensions = reinterpret_cast<ExtensionsString>(WglProc("wglGetExtensionsStringARB"));
  if (!extensions || !HasWord(extensions(dc), "WGL_ARB_pixel_format")) return nullptr;
  return reinterpret_cast<PixelFormatAttribs>(WglProc("wglGetPixelFormatAttribivARB"));
}

std::int32_t SwapMethodBy(PixelFormatAttribs attribs, HDC dc, int index) {
  const int which = kWglSwapMethodArb;
  int method = 0;
  return attribs(dc, index, 0, 1, &which, &method) ? method : 0;
}

// The display driver's vertical-blank interface (published layouts).
struct OpenAdapterFromHdc {
  HDC hdc;
  UINT adapter;
  LUID luid;
  UINT sourceId;
};
struct CloseAdapterArgs {
  UINT adapter;
};
struct WaitForVblankArgs {
  UINT adapter;
  UINT device;
  UINT sourceId;
};
using OpenAdapterProc = LONG(APIENTRY*)(OpenAdapterFromHdc*);
using CloseAdapterProc = LONG(APIENTRY*)(const CloseAdapterArgs*);
using WaitVblankProc = LONG(APIENTRY*)(const WaitForVblankArgs*);

struct VblankFunctions {
  HMODULE gdi = nullptr;
  OpenAdapterProc open = nullptr;
  CloseAdapterProc close = nullptr;
  WaitVblankProc wait = nullptr;
};
thread_local VblankFunctions tVblank;

template <typename T>
T Proc(HMODULE module, const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct ThreadStart {
  Win32Api::ThreadFunction function;
  void* argument;
};

DWORD WINAPI ThreadEntry(LPVOID raw) {
  const ThreadStart start = *static_cast<ThreadStart*>(raw);
  delete static_cast<ThreadStart*>(raw);
  start.function(start.argument);
  return 0;
}

UINT_PTR CALLBACK ColourHook(HWND dialog, UINT msg, WPARAM, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    const auto* cc = reinterpret_cast<const CHOOSECOLORA*>(lParam);
    SetWindowTextA(dialog, reinterpret_cast<const char*>(cc->lCustData));
    static const UINT setRgb = RegisterWindowMessageA("commdlg_SetRGBColor");
    SendMessageA(dialog, setRgb, 0, static_cast<LPARAM>(cc->rgbResult));
  }
  return 0;
}

struct ClassSearch {
  const char* className;
  HWND found;
};

BOOL CALLBACK FindByClass(HWND window, LPARAM raw) {
  auto* search = reinterpret_cast<ClassSearch*>(raw);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return TRUE;
  char name[129] = {};
  GetClassNameA(window, name, 128);
  if (lstrcmpA(name, search->className) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

int CALLBACK StopAtFirstFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

Rect FromRECT(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRECT(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

class RealApi final : public Win32Api {
 public:
  bool RegisterWindowClass(const char* name, std::uint32_t style, Handle instance) override {
    WNDCLASSA wc{};
    wc.style = style;
    wc.lpfnWndProc = EditorWindowProc;
    wc.hInstance = static_cast<HINSTANCE>(instance);
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
  }
  bool UnregisterWindowClass(const char* name, Handle instance) override {
    return UnregisterClassA(name, static_cast<HINSTANCE>(instance)) != 0;
  }
  Handle MakeWindow(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style, Rect r,
                    Handle parent, std::intptr_t id, Handle instance, MessageTarget* createParam) override {
    return CreateWindowExA(exStyle, className, title, style, r.left, r.top, r.W(), r.H(), W(parent),
                           reinterpret_cast<HMENU>(id), static_cast<HINSTANCE>(instance), createParam);
  }
  Handle MakeWindowW(std::uint32_t exStyle, const char* className, const std::u16string& text, std::uint32_t style,
                     Rect r, Handle parent, std::intptr_t id, Handle instance) override {
    wchar_t wideClass[64] = {};
    for (int i = 0; i < 63 && className[i]; ++i) wideClass[i] = static_cast<wchar_t>(className[i]);
    return CreateWindowExW(exStyle, wideClass, reinterpret_cast<const wchar_t*>(text.c_str()), style, r.left, r.top,
                           r.W(), r.H(), W(parent), reinterpret_cast<HMENU>(id), static_cast<HINSTANCE>(instance),
                           nullptr);
  }
  bool DestroyWindow(Handle window) override { return ::DestroyWindow(W(window)) != 0; }
  bool IsWindow(Handle window) override { return window && ::IsWindow(W(window)) != 0; }
  void SetUserData(Handle window, MessageTarget* target) override {
    SetWindowLongPtrA(W(window), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
  }
  MessageTarget* GetUserData(Handle window) override {
    return reinterpret_cast<MessageTarget*>(GetWindowLongPtrA(W(window), GWLP_USERDATA));
  }
  std::intptr_t DefaultProc(Handle window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override {
    return DefWindowProcA(W(window), msg, wParam, lParam);
  }
  std::intptr_t Send(Handle window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override {
    return SendMessageA(W(window), msg, wParam, lParam);
  }
  bool Post(Handle window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override {
    return PostMessageA(W(window), msg, wParam, lParam) != 0;
  }
  std::intptr_t PeekCommand(Handle window) override {
    MSG m;
    if (!PeekMessageA(&m, W(window), WM_COMMAND, WM_COMMAND, PM_REMOVE)) return -1;
    return static_cast<std::intptr_t>(m.wParam & 0xFFFFFFFF);
  }
  Handle GetParent(Handle window) override { return ::GetParent(W(window)); }
  Handle GetRootAncestor(Handle window) override { return GetAncestor(W(window), GA_ROOT); }
  bool GetWindowRect(Handle window, Rect& rect) override {
    RECT r{};
    const bool ok = ::GetWindowRect(W(window), &r) != 0;
    rect = FromRECT(r);
    return ok;
  }
  bool GetClientRect(Handle window, Rect& rect) override {
    RECT r{};
    const bool ok = ::GetClientRect(W(window), &r) != 0;
    rect = FromRECT(r);
    return ok;
  }
  std::uint32_t GetStyle(Handle window) override {
    return static_cast<std::uint32_t>(GetWindowLongPtrA(W(window), GWL_STYLE));
  }
  std::uint32_t GetExStyle(Handle window) override {
    return static_cast<std::uint32_t>(GetWindowLongPtrA(W(window), GWL_EXSTYLE));
  }
  bool SetWindowPos(Handle window, Handle insertAfter, Rect r, std::uint32_t flags) override {
    return ::SetWindowPos(W(window), W(insertAfter), r.left, r.top, r.W(), r.H(), flags) != 0;
  }
  bool ClientToScreen(Handle window, Point& p) override {
    POINT pt{p.x, p.y};
    const bool ok = ::ClientToScreen(W(window), &pt) != 0;
    p = {pt.x, pt.y};
    return ok;
  }
  bool ScreenToClient(Handle window, Point& p) override {
    POINT pt{p.x, p.y};
    const bool ok = ::ScreenToClient(W(window), &pt) != 0;
    p = {pt.x, pt.y};
    return ok;
  }
  Handle SetFocus(Handle window) override { return ::SetFocus(W(window)); }
  Handle GetFocus() override { return ::GetFocus(); }
  Handle SetCapture(Handle window) override { return ::SetCapture(W(window)); }
  bool ReleaseCapture() override { return ::ReleaseCapture() != 0; }
  Handle GetCapture() override { return ::GetCapture(); }
  bool InvalidateRect(Handle window, const Rect* rect, bool erase) override {
    RECT r{};
    if (rect) r = ToRECT(*rect);
    return ::InvalidateRect(W(window), rect ? &r : nullptr, erase) != 0;
  }
  bool ValidateRect(Handle window, const Rect* rect) override {
    RECT r{};
    if (rect) r = ToRECT(*rect);
    return ::ValidateRect(W(window), rect ? &r : nullptr) != 0;
  }
  bool UpdateWindow(Handle window) override { return ::UpdateWindow(W(window)) != 0; }
  std::uint32_t GetDpiForWindow(Handle window) override {
    using Proc = UINT(WINAPI*)(HWND);
    static const Proc getDpi = Proc2<Proc>(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    return (getDpi && window) ? getDpi(W(window)) : 0;
  }
  bool IsWindows8OrLater() override {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    info.dwMajorVersion = 6;
    info.dwMinorVersion = 2;
    info.wServicePackMajor = 0;
    ULONGLONG mask = 0;
    mask = VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
    mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
    mask = VerSetConditionMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR, mask) != 0;
  }
  bool SetTimer(Handle window, std::uintptr_t id, std::uint32_t ms) override {
    return ::SetTimer(W(window), id, ms, nullptr) != 0;
  }
  bool KillTimer(Handle window, std::uintptr_t id) override { return ::KillTimer(W(window), id) != 0; }
  Handle FindProcessWindowByClass(const char* className) override {
    ClassSearch search{className, nullptr};
    EnumWindows(FindByClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  Handle GetDC(Handle window) override { return ::GetDC(W(window)); }
  void ReleaseDC(Handle window, Handle dc) override { ::ReleaseDC(W(window), D(dc)); }
  std::int32_t GetUpdateRegion(Handle window, Handle& region) override {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    region = rgn;
    return rgn ? GetUpdateRgn(W(window), rgn, FALSE) : 0;
  }
  bool GetRegionRects(Handle region, std::uint32_t maxBytes, std::vector<Rect>& rects) override {
    const DWORD size = GetRegionData(static_cast<HRGN>(region), 0, nullptr);
    if (size == 0 || size > maxBytes) return false;
    alignas(RGNDATA) unsigned char buffer[4096];
    if (size > sizeof buffer) return false;
    auto* data = reinterpret_cast<RGNDATA*>(buffer);
    if (GetRegionData(static_cast<HRGN>(region), size, data) == 0) return false;
    const auto* r = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < data->rdh.nCount; ++i) rects.push_back(FromRECT(r[i]));
    return true;
  }
  bool GetRegionBox(Handle region, Rect& box) override {
    RECT r{};
    const int kind = GetRgnBox(static_cast<HRGN>(region), &r);
    box = FromRECT(r);
    return kind != ERROR;
  }
  bool DeleteObject(Handle object) override { return ::DeleteObject(static_cast<HGDIOBJ>(object)) != 0; }
  Handle BeginPaint(Handle window) override {
    auto* ps = new PAINTSTRUCT{};
    ::BeginPaint(W(window), ps);
    return ps;
  }
  void EndPaint(Handle window, Handle token) override {
    auto* ps = static_cast<PAINTSTRUCT*>(token);
    if (!ps) return;
    ::EndPaint(W(window), ps);
    delete ps;
  }

  std::int32_t ChoosePixelFormat(Handle dc, const PixelFormatInfo& wanted) override {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = wanted.flags;
    pfd.iPixelType = static_cast<BYTE>(wanted.pixelType);
    pfd.cColorBits = static_cast<BYTE>(wanted.colourBits);
    pfd.cAlphaBits = static_cast<BYTE>(wanted.alphaBits);
    pfd.cDepthBits = static_cast<BYTE>(wanted.depthBits);
    pfd.cStencilBits = static_cast<BYTE>(wanted.stencilBits);
    pfd.iLayerType = PFD_MAIN_PLANE;
    return ::ChoosePixelFormat(D(dc), &pfd);
  }
  std::int32_t DescribePixelFormat(Handle dc, std::int32_t index, PixelFormatInfo& format) override {
    PIXELFORMATDESCRIPTOR pfd{};
    const int count = ::DescribePixelFormat(D(dc), index, sizeof pfd, &pfd);
    if (count > 0 && index >= 1 && index <= count) {
      format.flags = pfd.dwFlags;
      format.pixelType = pfd.iPixelType;
      format.colourBits = pfd.cColorBits;
      format.alphaBits = pfd.cAlphaBits;
      format.depthBits = pfd.cDepthBits;
      format.stencilBits = pfd.cStencilBits;
    }
    return count;
  }
  bool SetPixelFormat(Handle dc, std::int32_t index) override {
    PIXELFORMATDESCRIPTOR pfd{};
    if (::DescribePixelFormat(D(dc), index, sizeof pfd, &pfd) == 0) return false;
    return ::SetPixelFormat(D(dc), index, &pfd) != 0;
  }
  Handle CreateGLContext(Handle dc) override { return wglCreateContext(D(dc)); }
  bool ShareLists(Handle existing, Handle fresh) override {
    return wglShareLists(static_cast<HGLRC>(existing), static_cast<HGLRC>(fresh)) != 0;
  }
  bool DeleteGLContext(Handle context) override { return wglDeleteContext(static_cast<HGLRC>(context)) != 0; }
  bool MakeCurrent(Handle dc, Handle context) override {
    return wglMakeCurrent(D(dc), static_cast<HGLRC>(context)) != 0;
  }
  Handle GetCurrentDC() override { return wglGetCurrentDC(); }
  Handle GetCurrentContext() override { return wglGetCurrentContext(); }
  bool Swap(Handle dc) override { return ::SwapBuffers(D(dc)) != 0; }
  void* SwapHintFunction() override {
    if (!HasWord(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), "GL_WIN_swap_hint")) return nullptr;
    return WglProc("glAddSwapHintRectWIN");
  }
  bool SwapMethods(Handle dc, std::vector<std::int32_t>& methods) override {
    methods.clear();
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!window) return false;
    HDC windowDC = ::GetDC(window);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    HGLRC previous = wglGetCurrentContext();
    HDC previousDC = wglGetCurrentDC();
    HGLRC context = nullptr;
    bool asked = false;
    const int format = windowDC ? ::ChoosePixelFormat(windowDC, &pfd) : 0;
    if (format && ::SetPixelFormat(windowDC, format, &pfd) && (context = wglCreateContext(windowDC)) &&
        wglMakeCurrent(windowDC, context)) {
      const int count = ::DescribePixelFormat(D(dc), 1, sizeof pfd, &pfd);
      if (const PixelFormatAttribs attribs = count > 0 ? PixelFormatAttribsFor(D(dc)) : nullptr) {
        asked = true;
        for (int i = 1; i <= count; ++i) methods.push_back(SwapMethodBy(attribs, D(dc), i));
      }
    }
    wglMakeCurrent(previousDC, previous);
    if (context) wglDeleteContext(context);
    if (windowDC) ::ReleaseDC(window, windowDC);
    ::DestroyWindow(window);
    return asked;
  }
  std::int32_t SwapMethodOf(Handle dc, std::int32_t index) override {
    const PixelFormatAttribs attribs = PixelFormatAttribsFor(D(dc));
    return attribs ? SwapMethodBy(attribs, D(dc), index) : 0;
  }

  void AddSwapHint(void* function, std::int32_t x, std::int32_t y, std::int32_t width,
                   std::int32_t height) override {
    using AddSwapHintRect = void(APIENTRY*)(GLint, GLint, GLsizei, GLsizei);
    if (function) reinterpret_cast<AddSwapHintRect>(function)(x, y, width, height);
  }
  bool OpenGlLoader() override {
    gOpenGl = LoadLibraryW(L"opengl32.dll");
    gWglGetProc = gOpenGl ? Proc<WglGetProc>(gOpenGl, "wglGetProcAddress") : nullptr;
    if (gWglGetProc) return true;
    CloseGlLoader();
    return false;
  }
  void CloseGlLoader() override {
    if (gOpenGl) FreeLibrary(gOpenGl);
    gOpenGl = nullptr;
    gWglGetProc = nullptr;
  }
  fx::vg::GlProcLoader GlLoader() override { return &LoadGlProc; }

  std::uintptr_t MessageExtraInfo() override { return static_cast<std::uintptr_t>(GetMessageExtraInfo()); }
  std::int16_t KeyState(std::int32_t vk) override { return GetKeyState(vk); }
  std::int32_t KeyToAscii(std::uint32_t vk, std::uint32_t scanCode, char out[2]) override {
    BYTE state[256] = {};
    if (!GetKeyboardState(state)) return 0;
    WORD chars = 0;
    const int n = ToAscii(vk, scanCode, state, &chars, 0);
    out[0] = static_cast<char>(chars & 0xFF);
    out[1] = static_cast<char>((chars >> 8) & 0xFF);
    return n;
  }
  bool TrackMouse(Handle window, std::uint32_t flags) override {
    TRACKMOUSEEVENT e{};
    e.cbSize = sizeof e;
    e.dwFlags = flags;
    e.hwndTrack = W(window);
    e.dwHoverTime = HOVER_DEFAULT;
    return TrackMouseEvent(&e) != 0;
  }
  void AcceptFiles(Handle window, bool accept) override { DragAcceptFiles(W(window), accept); }
  bool DragQueryFirst(Handle drop, std::string& file, Point& point) override {
    char name[1025] = {};
    if (DragQueryFileA(static_cast<HDROP>(drop), 0, name, 1024) == 0) return false;
    POINT pt{};
    DragQueryPoint(static_cast<HDROP>(drop), &pt);
    file = name;
    point = {pt.x, pt.y};
    return true;
  }
  bool GetTouchInputs(Handle touch, std::uint32_t count, std::vector<TouchInput>& inputs) override {
    using Proc = BOOL(WINAPI*)(HANDLE, UINT, TOUCHINPUT*, int);
    static const Proc get = Proc2<Proc>(GetModuleHandleA("user32.dll"), "GetTouchInputInfo");
    if (!get || count == 0 || count > 256) return false;
    std::vector<TOUCHINPUT> raw(count);
    if (!get(touch, count, raw.data(), sizeof(TOUCHINPUT))) return false;
    for (const TOUCHINPUT& t : raw) inputs.push_back({t.x, t.y, t.dwID, t.dwFlags, t.dwMask, t.cxContact});
    return true;
  }
  void CloseTouchInput(Handle touch) override {
    using Proc = BOOL(WINAPI*)(HANDLE);
    static const Proc close = Proc2<Proc>(GetModuleHandleA("user32.dll"), "CloseTouchInputHandle");
    if (close) close(touch);
  }
  bool RegisterTouch(Handle window) override {
    using Proc = BOOL(WINAPI*)(HWND, ULONG);
    static const Proc reg = Proc2<Proc>(GetModuleHandleA("user32.dll"), "RegisterTouchWindow");
    return reg && reg(W(window), 0);
  }
  std::int32_t GetDigitizerStatus() override { return GetSystemMetrics(94 /* SM_DIGITIZER */); }
  bool CursorPos(Point& p) override {
    POINT pt{};
    if (!GetCursorPos(&pt)) return false;
    p = {pt.x, pt.y};
    return true;
  }
  bool MoveCursorTo(Point p) override { return SetCursorPos(p.x, p.y) != 0; }
  std::int32_t ShowCursorCount(bool show) override { return ShowCursor(show); }
  void SetCursorShape(std::uint32_t id) override {
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(id)));
  }

  Handle CreatePopupMenu() override { return ::CreatePopupMenu(); }
  bool AddMenuItem(Handle menu, std::uint32_t flags, std::uintptr_t item, const char* text) override {
    return AppendMenuA(static_cast<HMENU>(menu), flags, item, text) != 0;
  }
  bool DestroyMenu(Handle menu) override { return ::DestroyMenu(static_cast<HMENU>(menu)) != 0; }
  bool TrackPopupMenu(Handle menu, std::uint32_t flags, Point p, Handle owner) override {
    return ::TrackPopupMenu(static_cast<HMENU>(menu), flags, p.x, p.y, 0, W(owner), nullptr) != 0;
  }

  bool SubclassEdit(Handle edit, MessageTarget*) override {
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(W(edit), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditWindowProc)));
    if (!previous) return false;
    {
      std::lock_guard lock(gEditLock);
      gEditProcs[W(edit)] = previous;
    }
    SetWindowLongPtrW(W(edit), GWLP_USERDATA, static_cast<LONG_PTR>(0xDEADF00B));
    return true;
  }
  void UnsubclassEdit(Handle edit) override {
    WNDPROC previous = PreviousEditProc(W(edit));
    if (previous) SetWindowLongPtrW(W(edit), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    std::lock_guard lock(gEditLock);
    gEditProcs.erase(W(edit));
  }
  std::intptr_t CallPreviousEditProc(Handle edit, std::uint32_t msg, std::uintptr_t wParam,
                                     std::intptr_t lParam) override {
    WNDPROC previous = PreviousEditProc(W(edit));
    return previous ? CallWindowProcW(previous, W(edit), msg, wParam, lParam)
                    : DefWindowProcW(W(edit), msg, wParam, lParam);
  }
  std::int32_t QueriedKeyDown(std::intptr_t lParam) override {
    const auto* m = reinterpret_cast<const MSG*>(lParam);
    return (m && m->message == WM_KEYDOWN) ? static_cast<std::int32_t>(m->wParam) : -1;
  }
  std::u16string GetEditText(Handle edit, std::int32_t maxUnits) override {
    std::u16string text(static_cast<std::size_t>(maxUnits) + 1, u'\0');
    const LRESULT n = SendMessageW(W(edit), WM_GETTEXT, static_cast<WPARAM>(maxUnits), reinterpret_cast<LPARAM>(text.data()));
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
  }
  void SetEditRect(Handle edit, Rect rect) override {
    RECT r = ToRECT(rect);
    SendMessageW(W(edit), EM_SETRECT, 0, reinterpret_cast<LPARAM>(&r));
  }
  void SetColourBrush(Handle dc, std::uint32_t background, std::uint32_t text) override {
    SetBkColor(D(dc), background);
    SetTextColor(D(dc), text);
    SetBkMode(D(dc), OPAQUE);
    SetDCBrushColor(D(dc), background);
  }
  std::intptr_t StockDCBrush() override { return reinterpret_cast<std::intptr_t>(GetStockObject(DC_BRUSH)); }

  Handle CreateTooltip(Handle owner, Handle instance) override {
    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES};
    if (!InitCommonControlsEx(&icc)) return nullptr;
    HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr,
                               WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, W(owner), nullptr,
                               static_cast<HINSTANCE>(instance), nullptr);
    if (!tip) return nullptr;
    ::SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    TTTOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = W(owner);
    info.uId = reinterpret_cast<UINT_PTR>(owner);
    info.lpszText = const_cast<char*>("");
    if (!SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info))) {
      ::DestroyWindow(tip);
      return nullptr;
    }
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 250);
    return tip;
  }
  void SetTooltipText(Handle tooltip, Handle owner, const char* text) override {
    TTTOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.hwnd = W(owner);
    info.uId = reinterpret_cast<UINT_PTR>(owner);
    info.lpszText = const_cast<char*>(text ? text : "");
    SendMessageA(W(tooltip), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
  }

  Handle MakeFont(const FontRequest& request) override {
    LOGFONTA lf{};
    lf.lfHeight = request.height;
    lf.lfWeight = request.weight;
    lf.lfItalic = request.italic;
    lf.lfUnderline = request.underline;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, request.face.c_str(), LF_FACESIZE);
    return CreateFontIndirectA(&lf);
  }
  bool GetFontRequest(Handle font, FontRequest& request) override {
    LOGFONTA lf{};
    if (GetObjectA(static_cast<HFONT>(font), sizeof lf, &lf) == 0) return false;
    request.face = lf.lfFaceName;
    request.height = lf.lfHeight;
    request.weight = lf.lfWeight;
    request.italic = lf.lfItalic != 0;
    request.underline = lf.lfUnderline != 0;
    return true;
  }
  bool FontFamilyExists(const char* face) override {
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    HDC screen = ::GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExA(screen, &lf, StopAtFirstFamily, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, screen);
    return found;
  }
  std::string FaceOfFont(Handle font) override {
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, static_cast<HFONT>(font));
    char face[65] = {};
    GetTextFaceA(screen, 64, face);
    SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
    return face;
  }
  Handle AddFontMemResource(const void* data, std::uint32_t size) override {
    DWORD count = 0;
    return AddFontMemResourceEx(const_cast<void*>(data), size, nullptr, &count);
  }
  void RemoveFontMemResource(Handle handle) override { RemoveFontMemResourceEx(handle); }
  std::int64_t FontData(Handle font, std::uint32_t table, std::vector<std::uint8_t>* data) override {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return -1;
    HGDIOBJ old = SelectObject(dc, static_cast<HFONT>(font));
    const DWORD size = GetFontData(dc, table, 0, nullptr, 0);
    std::int64_t result = size == GDI_ERROR ? -1 : static_cast<std::int64_t>(size);
    if (data && result > 0) {
      data->assign(size, 0);
      const DWORD read = GetFontData(dc, table, 0, data->data(), size);
      result = read == GDI_ERROR ? -1 : static_cast<std::int64_t>(read);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return result;
  }
  bool ReadWholeFile(const char* path, std::vector<std::uint8_t>& data) override {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = false;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < 0x7FFFFFFF) {
      HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
      if (mapping) {
        const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
        if (view) {
          const auto* bytes = static_cast<const std::uint8_t*>(view);
          data.assign(bytes, bytes + size.QuadPart);
          UnmapViewOfFile(view);
          ok = true;
        }
        CloseHandle(mapping);
      }
    }
    CloseHandle(file);
    return ok;
  }

  std::int32_t ShowMessageBox(Handle owner, const char* text, const char* caption, std::uint32_t type) override {
    return MessageBoxA(W(owner), text, caption, type);
  }
  bool FileDialog(Handle owner, bool save, const std::u16string& filter, const std::u16string& defExt,
                  const std::u16string& initialDir, std::u16string& fileName) override {
    wchar_t file[260] = {};
    for (std::size_t i = 0; i < fileName.size() && i < 259; ++i) file[i] = static_cast<wchar_t>(fileName[i]);
    // Description and pattern are the same text, each NUL-terminated, then an empty one.
    std::wstring filters;
    filters.append(filter.begin(), filter.end());
    filters.push_back(L'\0');
    filters.append(filter.begin(), filter.end());
    filters.push_back(L'\0');
    filters.push_back(L'\0');
    const std::wstring ext(defExt.begin(), defExt.end());
    const std::wstring dir(initialDir.begin(), initialDir.end());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = W(owner);
    ofn.lpstrFilter = filter.empty() ? nullptr : filters.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = 259;
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    ofn.Flags = save ? (OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST) : (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
    const BOOL ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!ok) return false;
    fileName.assign(reinterpret_cast<const char16_t*>(file));
    return true;
  }
  bool BrowseForFolder(Handle owner, std::string& path) override {
    OleInitialize(nullptr);
    BROWSEINFOA info{};
    info.hwndOwner = W(owner);
    info.lpszTitle = "Choose a Directory";
    info.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    bool ok = false;
    if (LPITEMIDLIST list = SHBrowseForFolderA(&info)) {
      char buffer[260] = {};
      ok = SHGetPathFromIDListA(list, buffer) != 0;
      if (ok) path = buffer;
      CoTaskMemFree(list);
    }
    OleUninitialize();
    return ok;
  }
  bool ChooseColour(Handle owner, std::uint32_t& rgb, std::uint32_t customColours[16], const char* caption) override {
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = W(owner);
    cc.rgbResult = rgb;
    cc.lpCustColors = reinterpret_cast<COLORREF*>(customColours);
    cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK | CC_SOLIDCOLOR | CC_ANYCOLOR;
    cc.lCustData = reinterpret_cast<LPARAM>(caption);
    cc.lpfnHook = ColourHook;
    if (!ChooseColorA(&cc)) return false;
    rgb = cc.rgbResult;
    return true;
  }
  bool InternetConnected() override {
    DWORD flags = 0;
    return InternetGetConnectedState(&flags, 0) != 0;
  }
  std::intptr_t ShellOpen(Handle owner, const std::u16string& file, const std::u16string& args,
                          const std::u16string& directory) override {
    const auto w = [](const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); };
    HINSTANCE result = ShellExecuteW(W(owner), L"open", w(file), args.empty() ? nullptr : w(args),
                                     directory.empty() ? nullptr : w(directory), SW_SHOWNORMAL);
    return reinterpret_cast<std::intptr_t>(result);
  }
  std::u16string SystemDirectory() override {
    wchar_t buffer[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), n < MAX_PATH ? n : 0);
  }
  bool ClipboardHasUnicode() override { return IsClipboardFormatAvailable(CF_UNICODETEXT) != 0; }
  bool ClipboardOpen(Handle owner) override { return OpenClipboard(W(owner)) != 0; }
  void ClipboardClose() override { CloseClipboard(); }
  bool ClipboardEmpty() override { return EmptyClipboard() != 0; }
  bool GetClipboardUnicode(std::u16string& text) override {
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return false;
    const auto* chars = static_cast<const char16_t*>(GlobalLock(data));
    if (!chars) return false;
    text = chars;
    GlobalUnlock(data);
    return true;
  }
  bool SetClipboardUnicode(const std::u16string& text) override {
    const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return false;
    auto* chars = static_cast<char16_t*>(GlobalLock(memory));
    if (!chars) {
      GlobalFree(memory);
      return false;
    }
    std::copy(text.begin(), text.end(), chars);
    chars[text.size()] = 0;
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_UNICODETEXT, memory)) {
      GlobalFree(memory);
      return false;
    }
    return true;
  }

  Handle StartThread(ThreadFunction function, void* argument, bool timeCritical) override {
    auto* start = new ThreadStart{function, argument};
    HANDLE thread = CreateThread(nullptr, 0, ThreadEntry, start, 0, nullptr);
    if (!thread) {
      delete start;
      return nullptr;
    }
    if (timeCritical) SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
    return thread;
  }
  bool JoinThread(Handle thread, std::uint32_t ms) override {
    const bool done = WaitForSingleObject(thread, ms) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return done;
  }
  void SleepFor(std::uint32_t ms) override { ::Sleep(ms); }
  std::uint32_t TickCount() override { return ::GetTickCount(); }
  bool LoadVblank() override {
    VblankFunctions f;
    f.gdi = LoadLibraryA("gdi32.dll");
    if (!f.gdi) return false;
    f.open = Proc<OpenAdapterProc>(f.gdi, "D3DKMTOpenAdapterFromHdc");
    f.close = Proc<CloseAdapterProc>(f.gdi, "D3DKMTCloseAdapter");
    f.wait = Proc<WaitVblankProc>(f.gdi, "D3DKMTWaitForVerticalBlankEvent");
    if (!f.open || !f.close || !f.wait) {
      FreeLibrary(f.gdi);
      return false;
    }
    tVblank = f;
    return true;
  }
  void UnloadVblank() override {
    if (tVblank.gdi) FreeLibrary(tVblank.gdi);
    tVblank = {};
  }
  bool OpenAdapter(Handle window, VblankAdapter& adapter) override {
    if (!tVblank.open) return false;
    HDC dc = ::GetDC(W(window));
    if (!dc) return false;
    OpenAdapterFromHdc args{};
    args.hdc = dc;
    const bool ok = tVblank.open(&args) == 0;
    ::ReleaseDC(W(window), dc);
    if (ok) adapter = {args.adapter, args.sourceId};
    return ok;
  }
  bool WaitForVblank(const VblankAdapter& adapter) override {
    if (!tVblank.wait) return false;
    WaitForVblankArgs args{adapter.adapter, 0, adapter.sourceId};
    return tVblank.wait(&args) == 0;
  }
  void CloseAdapter(const VblankAdapter& adapter) override {
    if (!tVblank.close) return;
    CloseAdapterArgs args{adapter.adapter};
    tVblank.close(&args);
  }

 private:
  template <typename T>
  static T Proc2(HMODULE module, const char* name) {
    return module ? Proc<T>(module, name) : nullptr;
  }
};

}  // namespace

Win32Api& RealWin32Api() {
  static RealApi api;
  return api;
}

}  // namespace fx::win
