#pragma once
// The editor's Windows face: a child window inside the host's window with an
// OpenGL context the drawing backend draws into, frames paced by a
// vertical-blank thread (Windows 8 and later) or a 15 ms window timer, Win32
// window messages turned into the graphics context's mouse, key, wheel, drop
// and touch entry points, and the platform services the graphics context
// asks for (menus, text entry, dialogs, clipboard, fonts, tooltips, cursor).
//
// Every Win32 call goes through a Win32Api (the real one by default), so the
// logic here also runs, and is tested, on a fake. This header includes no
// system header.
//
// The policy it shares with the X11 face (input, cursor, opening, resize,
// frames, the GL-context guard) is IGraphicsWindow's; this class makes the
// Win32 calls and keeps what only Windows has: the message procedure,
// touch input, the vertical-blank pacing thread (PacingThread), tooltips,
// the native text entry and menus, dialogs, clipboard and GDI fonts.
//
// Presenting: the pixel format is one whose swap copies the back buffer
// where the system offers one like its choice (PFD_SWAP_COPY, or
// WGL_SWAP_COPY_ARB where the description names no swap method); then a
// paint of part of the page draws and presents only that part, and the
// first paint, a resize and a whole-page region are presented whole.
// Without one every paint is presented whole.
//
// The editors of a thread share one GL share group (WglShareGroup): the
// artwork is uploaded, and the shaders compiled, once for all of them.
//
// Editor thread only; the pacing thread talks to the window only through
// posted frame messages.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/IGraphicsWindow.h"
#include "platform/win/PacingThread.h"
#include "platform/win/TextEntryFilter.h"
#include "platform/win/Win32Api.h"
#include "platform/win/WglShareGroup.h"

namespace fx::igraphics {

class IGraphicsWin : public IGraphicsWindow, public fx::win::MessageTarget {
 public:
  using Handle = fx::win::Handle;

  // A GDI font (owned) and the style name it was asked for; its font data
  // is the whole font file as GetFontData reads it.
  class Font : public PlatformFont {
   public:
    Font(fx::win::Win32Api& api, Handle font, bool system, std::string styleName)
        : api_(api), font_(font), system_(system), styleName_(std::move(styleName)) {}
    ~Font() override;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    bool GetFontData(std::vector<std::uint8_t>& data, std::string& styleName) const override;
    Handle GetHandle() const { return font_; }
    bool IsSystem() const { return system_; }

   private:
    fx::win::Win32Api& api_;
    Handle font_;
    bool system_;
    std::string styleName_;
  };

  // On the system's own layer (Windows builds).
  IGraphicsWin(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height, std::int32_t fps,
               float scale);
  // api: the layer every Win32 call goes through (must outlive the editor).
  IGraphicsWin(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height, std::int32_t fps,
               float scale, fx::win::Win32Api& api);
  ~IGraphicsWin() override;

  // ---- Window ----
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  float GetPlatformMonitorScale() const override;

  // ---- Services ----
  void SetPlatformCursor(std::int32_t kind) override;
  void GetMouseLocation(float& x, float& y) const override;
  IPopupMenu* CreatePlatformPopupMenu(IPopupMenu& menu, const IBounds& area) override;
  void CreatePlatformTextEntry(std::int32_t paramIdx, const ITextStyle& style, const IBounds& bounds,
                               std::int32_t length, const char* text) override;
  std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontId, const char* fileName) override;
  std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontId, const char* fontName,
                                                 std::int32_t style) override;
  void ShowMessageBox(const char* text, const char* caption, std::int32_t type,
                      MessageBoxCompletion completion) override;
  void PromptForFile(std::string& fileName, std::string& directory, std::int32_t action,
                     const char* extensions) override;
  void PromptForDirectory(std::string& directory) override;
  bool PromptForColour(IArgb& colour, const char* caption, ColourCompletion completion) override;
  bool OpenURL(const char* url, const char* caption, const char* confirmText, const char* errorText) override;
  bool RevealPathInExplorerOrFinder(const char* path, bool select) override;
  bool GetTextFromClipboard(std::string& text) override;
  bool SetTextInClipboard(const char* text) override;
  void ShowTooltip(const char* text) override;
  bool MultiTouchAvailable() const override;

  // A font from memory: registered with AddFontMemResourceEx under fontId,
  // created for the family its name table gives. Null on failure.
  std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontId, const std::uint8_t* data, std::size_t size);

  // ---- Messages (the layer's window procedures call these) ----
  std::intptr_t WindowMessage(Handle window, std::uint32_t msg, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
  std::intptr_t EditMessage(Handle window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;

  // ---- State, for the host glue and tests ----
  Handle GetEditorWindow() const { return window_; }
  Handle GetParentWindow() const { return parent_; }
  Handle GetEditWindow() const { return edit_; }
  fx::win::TextEntryState GetTextEntryState() const { return textEntryState_; }
  bool IsVblankMode() const { return vblankMode_; }
  bool HasPacingThread() const { return pacing_.Running(); }
  bool HasRenderer() const { return GetRenderer() != nullptr; }
  // The pixel format set swaps by copying (PFD_SWAP_COPY, or
  // WGL_SWAP_COPY_ARB as WGL_ARB_pixel_format tells from the first paint
  // on): frames that changed part of the page draw and present only that part.
  bool SwapsByCopying() const { return copySwap_; }
  bool TouchFlag() const { return IsTouchInput(); }
  fx::win::FramePacer& GetPacer() { return pacing_.Pacer(); }
  // Framework surface the page does not use: touch input and the class
  // name of a host main window to own message boxes without a parent chain.
  void SetMultiTouchEnabled(bool enabled) { multiTouchEnabled_ = enabled; }
  void SetMainWindowClassName(const char* name) { mainWindowClass_ = name ? name : ""; }
  // Number of editor windows open in the process.
  static std::int32_t OpenWindowCount();
  // The screen scale of a window (1 without GetDpiForWindow).
  float ScreenScaleOf(Handle window) const;

 protected:
  bool HasOpenWindow() const override { return window_ != nullptr; }
  void CapturePointer(bool capture) override;
  void TakeKeyboardFocus() override;
  void ShowPlatformCursor(bool show) override;
  void WarpPointer(std::int32_t px, std::int32_t py, std::int32_t& atX, std::int32_t& atY) override;
  bool ReadWindowSize(PixelSize& size) override;
  void ResizeOwnWindow(std::int32_t width, std::int32_t height) override;
  void GrowParentWindow(std::int32_t dw, std::int32_t dh) override;
  void SaveThreadContext() override;
  bool MakeEditorContextCurrent() override;
  void RestoreThreadContext() override;

 private:
  void FrameTick(std::uint32_t serial);
  void Paint();
  // Sets the DC's pixel format, a copying swap where one like the system's
  // choice exists; false when none could be set.
  bool SetPresentingPixelFormat();
  void StartPacing();
  void StopPacing();
  void CloseTextEntry(bool apply);
  void DestroyTextEntry();
  Handle HostMainWindow();
  // The process-wide GDI font registry, counted over the editors.
  static void JoinFontRegistry(fx::win::Win32Api& api);
  static void LeaveFontRegistry(fx::win::Win32Api& api);
  PointerEvent PointerAt(PointerEvent::Kind kind, Button button, std::uintptr_t wParam, std::intptr_t lParam);
  std::intptr_t KeyMessage(Handle window, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
  std::intptr_t MouseMove(std::uintptr_t wParam, std::intptr_t lParam);
  std::intptr_t Touch(std::uintptr_t wParam, std::intptr_t lParam);
  void HideTooltipIfShown();
  bool SetupTooltip();

  fx::win::Win32Api& api_;
  Handle parent_ = nullptr;
  Handle window_ = nullptr;
  Handle dc_ = nullptr;
  Handle glContext_ = nullptr;
  fx::win::WglShareGroup* shareGroup_ = nullptr;  // with glContext_, where it shares
  // Presenting: whether the swap copies (the back buffer is kept), whether
  // the back buffer holds the whole page as last presented, and whether the
  // next paint must present the whole page (opened, exposed, resized).
  bool copySwap_ = false;
  bool backKept_ = false;
  bool wholeNext_ = true;
  // The format set, and what the first present looked up with the context
  // current: its swap method by WGL_ARB_pixel_format, GL_WIN_swap_hint's function.
  std::int32_t pixelFormat_ = 0;
  bool swapNamed_ = false;  // the description names a swap method (copy or exchange)
  void* swapHint_ = nullptr;
  bool presentLooked_ = false;
  Handle savedDC_ = nullptr;
  Handle savedContext_ = nullptr;
  Handle tooltip_ = nullptr;
  bool tooltipShown_ = false;
  std::int32_t tooltipIdx_ = -1;
  Handle mainWindow_ = nullptr;
  std::string mainWindowClass_;
  bool multiTouchEnabled_ = false;
  std::map<std::uint32_t, IMouseInfo> activeTouches_;
  // Pacing.
  bool vblankMode_ = false;
  fx::win::PacingThread pacing_;
  // Text entry.
  Handle edit_ = nullptr;
  Handle editFont_ = nullptr;
  fx::win::TextEntryState textEntryState_ = fx::win::TextEntryState::None;
  std::int32_t editParam_ = -1;
  ITextStyle editStyle_;
  IBounds editBounds_;
  ITextStyle defaultEditStyle_;
};

}  // namespace fx::igraphics
