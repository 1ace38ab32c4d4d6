#pragma once
// The thin layer between the editor window and Win32: exactly the user, GDI,
// WGL, shell and dialog operations the editor window and its services call,
// with handles as opaque pointers. The real layer (Win32ApiReal.cpp) is the
// only editor file that includes <windows.h>; tests run the editor's logic
// on a fake of this interface.
//
// Window messages arrive through a window procedure of the layer's own: it
// reads the MessageTarget stored as the window's user data (set from the
// creation parameter at WM_CREATE) and hands it every message; an edit
// window subclassed with SubclassEdit goes to its target's edit procedure.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/WindowRules.h"
#include "renderer/GlApi.h"

namespace fx::win {

using Handle = void*;  // HWND, HDC, HGLRC, HMENU, HFONT, HRGN, HANDLE ...

struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  std::int32_t W() const { return right - left; }
  std::int32_t H() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

struct Point {
  std::int32_t x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

// One entry of GetTouchInputInfo, positions in hundredths of a screen pixel.
struct TouchInput {
  std::int32_t x = 0, y = 0;
  std::uint32_t id = 0;
  std::uint32_t flags = 0;  // TOUCHEVENTF_*
  std::uint32_t mask = 0;   // TOUCHINPUTMASKF_*
  std::uint32_t contactWidth = 0;
};

// The fields of a GDI font the editor sets or reads.
struct FontRequest {
  std::string face;  // at most 31 characters are used
  std::int32_t height = 0;
  std::int32_t weight = 400;
  bool italic = false;
  bool underline = false;
};

// Receives the messages of an editor window and of its edit window.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual std::intptr_t WindowMessage(Handle window, std::uint32_t msg, std::uintptr_t wParam,
                                      std::intptr_t lParam) = 0;
  virtual std::intptr_t EditMessage(Handle window, std::uint32_t msg, std::uintptr_t wParam,
                                    std::intptr_t lParam) = 0;
};

// The vertical-blank functions of the display driver, looked up at run time.
struct VblankAdapter {
  std::uint32_t adapter = 0;
  std::uint32_t sourceId = 0;
};

class Win32Api {
 public:
  virtual ~Win32Api() = default;

  // ---- Window class and windows ----
  // The class uses the layer's window procedure.
  virtual bool RegisterWindowClass(const char* name, std::uint32_t style, Handle instance) = 0;
  virtual bool UnregisterWindowClass(const char* name, Handle instance) = 0;
  // createParam: the MessageTarget that receives the window's messages.
  virtual Handle MakeWindow(std::uint32_t exStyle, const char* className, const char* title,
                               std::uint32_t style, Rect rect, Handle parent, std::intptr_t id, Handle instance,
                               MessageTarget* createParam) = 0;
  virtual Handle MakeWindowW(std::uint32_t exStyle, const char* className, const std::u16string& text,
                               std::uint32_t style, Rect rect, Handle parent, std::intptr_t id,
                               Handle instance) = 0;
  virtual bool DestroyWindow(Handle window) = 0;
  virtual bool IsWindow(Handle window) = 0;
  virtual void SetUserData(Handle window, MessageTarget* target) = 0;
  virtual MessageTarget* GetUserData(Handle window) = 0;
  virtual std::intptr_t DefaultProc(Handle window, std::uint32_t msg, std::uintptr_t wParam,
                                      std::intptr_t lParam) = 0;
  virtual std::intptr_t Send(Handle window, std::uint32_t msg, std::uintptr_t wParam,
                                    std::intptr_t lParam) = 0;
  virtual bool Post(Handle window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // Removes a queued WM_COMMAND for window; its wParam or -1.
  virtual std::intptr_t PeekCommand(Handle window) = 0;
  virtual Handle GetParent(Handle window) = 0;
  virtual Handle GetRootAncestor(Handle window) = 0;
  virtual bool GetWindowRect(Handle window, Rect& rect) = 0;
  virtual bool GetClientRect(Handle window, Rect& rect) = 0;
  virtual std::uint32_t GetStyle(Handle window) = 0;
  virtual std::uint32_t GetExStyle(Handle window) = 0;
  virtual bool SetWindowPos(Handle window, Handle insertAfter, Rect rect, std::uint32_t flags) = 0;
  virtual bool ClientToScreen(Handle window, Point& point) = 0;
  virtual bool ScreenToClient(Handle window, Point& point) = 0;
  virtual Handle SetFocus(Handle window) = 0;
  virtual Handle GetFocus() = 0;
  virtual Handle SetCapture(Handle window) = 0;
  virtual bool ReleaseCapture() = 0;
  virtual Handle GetCapture() = 0;
  virtual bool InvalidateRect(Handle window, const Rect* rect, bool erase) = 0;
  virtual bool ValidateRect(Handle window, const Rect* rect) = 0;
  virtual bool UpdateWindow(Handle window) = 0;
  // 0 when the system has no GetDpiForWindow.
  virtual std::uint32_t GetDpiForWindow(Handle window) = 0;
  virtual bool IsWindows8OrLater() = 0;
  virtual bool SetTimer(Handle window, std::uintptr_t id, std::uint32_t milliseconds) = 0;
  virtual bool KillTimer(Handle window, std::uintptr_t id) = 0;
  // Top-level window of this process whose class name is className, or null.
  virtual Handle FindProcessWindowByClass(const char* className) = 0;

  // ---- Painting ----
  virtual Handle GetDC(Handle window) = 0;
  virtual void ReleaseDC(Handle window, Handle dc) = 0;
  // Region of the update area: 0 error, 1 empty, 2 simple, 3 complex.
  virtual std::int32_t GetUpdateRegion(Handle window, Handle& region) = 0;
  // The rectangles of a region when its data fits into maxBytes.
  virtual bool GetRegionRects(Handle region, std::uint32_t maxBytes, std::vector<Rect>& rects) = 0;
  virtual bool GetRegionBox(Handle region, Rect& box) = 0;
  virtual bool DeleteObject(Handle object) = 0;
  // Returns a token for EndPaint.
  virtual Handle BeginPaint(Handle window) = 0;
  virtual void EndPaint(Handle window, Handle token) = 0;

  // ---- WGL ----
  // The system's closest format to `wanted` (1-based index), 0 when none.
  virtual std::int32_t ChoosePixelFormat(Handle dc, const PixelFormatInfo& wanted) = 0;
  // The number of formats the DC offers (0 on failure); `format` describes
  // the one at index when there is one.
  virtual std::int32_t DescribePixelFormat(Handle dc, std::int32_t index, PixelFormatInfo& format) = 0;
  // Once per window: later calls fail.
  virtual bool SetPixelFormat(Handle dc, std::int32_t index) = 0;
  // Each format's WGL_SWAP_METHOD_ARB (methods[i] for format i + 1, 0 where
  // the query fails), asked with a context of a hidden window of the
  // layer's own current; the thread's current context is restored. False
  // where WGL_ARB_pixel_format is not offered.
  virtual bool SwapMethods(Handle dc, std::vector<std::int32_t>& methods) = 0;
  // With a context current: the format's WGL_SWAP_METHOD_ARB as
  // wglGetPixelFormatAttribivARB gives it (a WGL_SWAP_*_ARB value), 0
  // where WGL_ARB_pixel_format is not offered or the query fails.
  virtual std::int32_t SwapMethodOf(Handle dc, std::int32_t index) = 0;
  virtual Handle CreateGLContext(Handle dc) = 0;
  // wglShareLists: `fresh` (which has made no GL object yet) shares the
  // textures, buffers and programs of `existing`'s group; false where the
  // system refuses.
  virtual bool ShareLists(Handle existing, Handle fresh) = 0;
  virtual bool DeleteGLContext(Handle context) = 0;
  virtual bool MakeCurrent(Handle dc, Handle context) = 0;
  virtual Handle GetCurrentDC() = 0;
  virtual Handle GetCurrentContext() = 0;
  virtual bool Swap(Handle dc) = 0;
  // GL_WIN_swap_hint, with the context current: glAddSwapHintRectWIN where
  // the context offers it, else null.
  virtual void* SwapHintFunction() = 0;
  // Limits the next swap's copy to one more rectangle (GL window pixels,
  // x and y from the bottom left); the hints gather until that swap.
  virtual void AddSwapHint(void* function, std::int32_t x, std::int32_t y, std::int32_t width,
                           std::int32_t height) = 0;
  // Opens opengl32 and wglGetProcAddress for LoadGlEntryPoint; false when missing.
  virtual bool OpenGlLoader() = 0;
  virtual void CloseGlLoader() = 0;
  // The loader the renderer resolves its entry points with while the
  // loader is open (user: this layer).
  virtual fx::vg::GlProcLoader GlLoader() = 0;

  // ---- Input ----
  virtual std::uintptr_t MessageExtraInfo() = 0;
  virtual std::int16_t KeyState(std::int32_t vk) = 0;
  // ToAscii with the current keyboard state; the count of characters.
  virtual std::int32_t KeyToAscii(std::uint32_t vk, std::uint32_t scanCode, char out[2]) = 0;
  virtual bool TrackMouse(Handle window, std::uint32_t flags) = 0;
  virtual void AcceptFiles(Handle window, bool accept) = 0;
  virtual bool DragQueryFirst(Handle drop, std::string& file, Point& point) = 0;
  virtual bool GetTouchInputs(Handle touch, std::uint32_t count, std::vector<TouchInput>& inputs) = 0;
  virtual void CloseTouchInput(Handle touch) = 0;
  virtual bool RegisterTouch(Handle window) = 0;
  virtual std::int32_t GetDigitizerStatus() = 0;
  virtual bool CursorPos(Point& point) = 0;
  virtual bool MoveCursorTo(Point point) = 0;
  virtual std::int32_t ShowCursorCount(bool show) = 0;
  virtual void SetCursorShape(std::uint32_t systemCursorId) = 0;

  // ---- Menus ----
  virtual Handle CreatePopupMenu() = 0;
  // item: a command id, or the sub-menu handle with MF_POPUP.
  virtual bool AddMenuItem(Handle menu, std::uint32_t flags, std::uintptr_t item, const char* text) = 0;
  virtual bool DestroyMenu(Handle menu) = 0;
  virtual bool TrackPopupMenu(Handle menu, std::uint32_t flags, Point screen, Handle owner) = 0;

  // ---- Edit window ----
  // Routes the edit window's messages to target's EditMessage; the previous
  // procedure is kept for CallPreviousEditProc.
  virtual bool SubclassEdit(Handle edit, MessageTarget* target) = 0;
  virtual void UnsubclassEdit(Handle edit) = 0;
  virtual std::intptr_t CallPreviousEditProc(Handle edit, std::uint32_t msg, std::uintptr_t wParam,
                                             std::intptr_t lParam) = 0;
  // WM_GETDLGCODE's lParam: the virtual key of a queried WM_KEYDOWN, else -1.
  virtual std::int32_t QueriedKeyDown(std::intptr_t lParam) = 0;
  virtual std::u16string GetEditText(Handle edit, std::int32_t maxUnits) = 0;
  virtual void SetEditRect(Handle edit, Rect rect) = 0;
  virtual void SetColourBrush(Handle dc, std::uint32_t background, std::uint32_t text) = 0;
  virtual std::intptr_t StockDCBrush() = 0;

  // ---- Tooltips ----
  virtual Handle CreateTooltip(Handle owner, Handle instance) = 0;
  virtual void SetTooltipText(Handle tooltip, Handle owner, const char* text) = 0;

  // ---- Fonts ----
  virtual Handle MakeFont(const FontRequest& request) = 0;
  virtual bool GetFontRequest(Handle font, FontRequest& request) = 0;
  virtual bool FontFamilyExists(const char* face) = 0;
  virtual std::string FaceOfFont(Handle font) = 0;
  virtual Handle AddFontMemResource(const void* data, std::uint32_t size) = 0;
  virtual void RemoveFontMemResource(Handle handle) = 0;
  // GetFontData of the font selected into a memory DC: the byte count for
  // table (0 = whole file), or -1; data is filled when non-null.
  virtual std::int64_t FontData(Handle font, std::uint32_t table, std::vector<std::uint8_t>* data) = 0;
  virtual bool ReadWholeFile(const char* path, std::vector<std::uint8_t>& data) = 0;

  // ---- Services ----
  virtual std::int32_t ShowMessageBox(Handle owner, const char* text, const char* caption, std::uint32_t type) = 0;
  // fileName in: the suggestion; out: the chosen path. False on cancel.
  virtual bool FileDialog(Handle owner, bool save, const std::u16string& filter, const std::u16string& defExt,
                          const std::u16string& initialDir, std::u16string& fileName) = 0;
  virtual bool BrowseForFolder(Handle owner, std::string& path) = 0;
  virtual bool ChooseColour(Handle owner, std::uint32_t& rgb, std::uint32_t customColours[16],
                            const char* caption) = 0;
  virtual bool InternetConnected() = 0;
  virtual std::intptr_t ShellOpen(Handle owner, const std::u16string& file, const std::u16string& args,
                                  const std::u16string& directory) = 0;
  virtual std::u16string SystemDirectory() = 0;
  virtual bool ClipboardHasUnicode() = 0;
  virtual bool ClipboardOpen(Handle owner) = 0;
  virtual void ClipboardClose() = 0;
  virtual bool ClipboardEmpty() = 0;
  virtual bool GetClipboardUnicode(std::u16string& text) = 0;
  virtual bool SetClipboardUnicode(const std::u16string& text) = 0;

  // ---- Pacing thread ----
  using ThreadFunction = void (*)(void* argument);
  virtual Handle StartThread(ThreadFunction function, void* argument, bool timeCritical) = 0;
  // Waits at most milliseconds, then closes the handle.
  virtual bool JoinThread(Handle thread, std::uint32_t milliseconds) = 0;
  virtual void SleepFor(std::uint32_t milliseconds) = 0;
  virtual std::uint32_t TickCount() = 0;
  virtual bool LoadVblank() = 0;  // true when all three functions exist
  virtual void UnloadVblank() = 0;
  virtual bool OpenAdapter(Handle window, VblankAdapter& adapter) = 0;
  virtual bool WaitForVblank(const VblankAdapter& adapter) = 0;
  virtual void CloseAdapter(const VblankAdapter& adapter) = 0;
};

// The process's real layer (Windows builds only).
Win32Api& RealWin32Api();

}  // namespace fx::win
