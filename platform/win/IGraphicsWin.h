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
// Editor thread only, apart from the pacing thread, which shares just the
// stop flag, its target window and the frame serial, and talks to the window
// only through posted frame messages. Around every paint and resource
// operation the DC and GL context the host had current are restored.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/drawing/IGraphicsVector.h"
#include "platform/win/FramePacer.h"
#include "platform/win/TextEntryFilter.h"
#include "platform/win/Win32Api.h"

namespace fx::igraphics {

class IGraphicsWin : public IGraphicsVector, public fx::win::MessageTarget {
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
  void PlatformResize(bool parentAlreadyResized) override;
  void ActivateGLContext() override;
  void DeactivateGLContext() override;
  float GetPlatformMonitorScale() const override;

  // ---- Services ----
  void HideMouseCursor(bool hide, bool lock) override;
  void MoveMouseCursor(float x, float y) override;
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
  bool HasPacingThread() const { return thread_ != nullptr; }
  bool HasRenderer() const { return GetRenderer() != nullptr; }
  bool TouchFlag() const { return touch_; }
  fx::win::FramePacer& GetPacer() { return pacer_; }
  void SetMultiTouchEnabled(bool enabled) { multiTouchEnabled_ = enabled; }
  // Class name to look for when the editor has no parent chain (message box owner).
  void SetMainWindowClassName(const char* name) { mainWindowClass_ = name ? name : ""; }
  // Number of editor windows open in the process.
  static std::int32_t OpenWindowCount();
  // Frame ticks that painted, for tests and diagnostics.
  std::int32_t NPaints() const { return nPaints_; }
  // The screen scale of a window (1 without GetDpiForWindow).
  float ScreenScaleOf(Handle window) const;

 private:
  friend struct PacingThreadAccess;

  void FrameTick(std::uint32_t serial);
  void Paint();
  void StartPacing();
  void StopPacing();
  void PacingLoop();
  static void PacingThreadMain(void* self);
  void CloseTextEntry(bool apply);
  void DestroyTextEntry();
  bool MakeContextCurrent();
  void RestoreSavedContext();
  Handle HostMainWindow();
  IMouseInfo MouseInfoOf(std::uintptr_t wParam, std::intptr_t lParam);
  IMouseMod ModifiersOf(std::uintptr_t wParam);
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
  Handle savedDC_ = nullptr;
  Handle savedContext_ = nullptr;
  std::int32_t contextDepth_ = 0;
  Handle tooltip_ = nullptr;
  bool tooltipShown_ = false;
  std::int32_t tooltipIdx_ = -1;
  Handle mainWindow_ = nullptr;
  std::string mainWindowClass_;
  // Cursor.
  bool cursorHiddenHere_ = false;
  bool cursorLock_ = false;
  float hiddenX_ = 0.0f, hiddenY_ = 0.0f;
  float lastX_ = 0.0f, lastY_ = 0.0f;
  bool touch_ = false;
  bool multiTouchEnabled_ = false;
  std::map<std::uint32_t, IMouseInfo> activeTouches_;
  // Pacing.
  bool vblankMode_ = false;
  Handle thread_ = nullptr;
  std::atomic<bool> stop_{false};
  std::atomic<Handle> target_{nullptr};
  fx::win::FramePacer pacer_;
  // Text entry.
  Handle edit_ = nullptr;
  Handle editFont_ = nullptr;
  fx::win::TextEntryState textEntryState_ = fx::win::TextEntryState::None;
  std::int32_t editParam_ = -1;
  ITextStyle editStyle_;
  IBounds editBounds_;
  ITextStyle defaultEditStyle_;
  std::int32_t nPaints_ = 0;
};

}  // namespace fx::igraphics
