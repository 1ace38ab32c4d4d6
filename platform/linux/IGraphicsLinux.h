#pragma once
// The editor's X11 face: a child window inside the host's X window (its id
// arrives as the parent pointer), on a Display connection of its own, with
// a GLX context the drawing backend draws into. The host's idle calls drive
// it: each one (through a ticked timer, serviced on effEditIdle) handles
// the connection's pending events and paints a frame when the frame clock
// says one is due. Nothing waits on the vertical blank (swap interval 0
// where the driver lets us set it).
//
// X events become the graphics context's mouse (buttons 1-3, motion and
// drags, double clicks by timing), wheel (buttons 4 and 5) and key entry
// points. A click gives our window the keyboard focus; keys the page does
// not take go on to the parent window. A resize request the host does not
// take resizes the parent by as much as ours, as on Windows. The
// clipboard is the CLIPBOARD selection as UTF8_STRING: reading waits at
// most kClipboardWaitMs for the owner's answer; a text we set lives while
// the window is open. Cursors are X font cursors; hiding uses a blank one.
// The screen scale is the resource database's Xft.dpi / 96.
//
// Not offered on X11, answering their failure values: tooltips (switched
// off at open rather than drawn in a window of their own), native menus (a
// value menu chooses nothing), native text entry (the page's own text entry
// control does it), message boxes (completion called with 0), file, folder
// and colour dialogs, opening URLs and revealing paths.
//
// X errors of our calls are caught by a handler installed only around them;
// no handler of ours stays installed. XInitThreads is neither called nor
// assumed: every X and GL call happens on the thread that opened the
// window (idle calls from other threads are ignored). Around every use of
// our context the GLX context, drawable and display the thread had current
// are restored. This header includes no X11 header.

#include <cstdint>
#include <memory>
#include <string>

#include "graphics/drawing/IGraphicsVector.h"

namespace fx::igraphics {

class IGraphicsLinux : public IGraphicsVector {
 public:
  static constexpr std::int32_t kClipboardWaitMs = 300;

  IGraphicsLinux(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height, std::int32_t fps,
                 float scale);
  ~IGraphicsLinux() override;

  // ---- Window ----
  // parent: the host's X window id as a pointer. Returns our window's id as
  // a pointer, null when the display, the parent or GLX fails.
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
  bool MultiTouchAvailable() const override { return false; }

  // One idle pass: handles the pending X events and paints a frame when one
  // is due. The idle timer calls it; tests may too.
  void Idle();

  // ---- State, for the host glue and tests ----
  unsigned long GetWindowId() const;
  unsigned long GetParentId() const;
  bool HasGlContext() const;
  std::int32_t NPaints() const { return nPaints_; }
  // Editor windows open in the process.
  static std::int32_t OpenWindowCount();

 private:
  struct X;
  bool MakeContextCurrent();
  void RestoreSavedContext();
  void FrameTick();
  void HandleEvent(void* event);
  void HandleButton(void* event, bool press);
  void HandleMotion(void* event);
  void HandleKey(void* event, bool press);
  void AnswerSelectionRequest(void* event);
  unsigned long CursorFor(std::int32_t kind);
  void ReleaseWindow();

  std::unique_ptr<X> x_;
  std::int32_t nPaints_ = 0;
  float lastX_ = 0.0f, lastY_ = 0.0f;
  bool cursorHiddenHere_ = false;
  bool cursorLock_ = false;
  float hiddenX_ = 0.0f, hiddenY_ = 0.0f;
  float screenScale_ = 1.0f;
  std::string clipboardText_;
};

}  // namespace fx::igraphics
