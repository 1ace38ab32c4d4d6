#pragma once
// The editor's X11 face: a child window inside the host's X window (its id
// arrives as the parent pointer), on the Display connection the editors of
// its thread share (see X11Api.h), with a GLX context the drawing backend
// draws into, in the connection's GL share group. The host's idle calls drive
// it: each one (through a ticked timer, serviced on effEditIdle) handles
// the connection's pending events and paints a frame when the frame clock
// says one is due. A window already viewable at the end of the open (the
// server exposed it) paints its first frame there. Nothing waits on the vertical blank (swap interval 0
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
// The policy it shares with the Windows face (input, cursor, opening,
// resize, frames, the GL-context guard) is IGraphicsWindow's. What only X11
// does: the host's idle calls drive frames and events (a frame clock, no
// pacing thread), a window of the host's destruction is noticed and the
// close then deletes GL objects on a stand-in window, keys the page leaves
// go to the parent window as X events, and the clipboard is a selection.
// Every X and GLX call goes through an X11Api (the real one by default), so
// this logic also runs, and is tested, on a fake. XInitThreads is neither
// called nor assumed: everything happens on the thread that opened the
// window (idle calls from other threads are ignored). This header
// includes no X11 header.

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "core/Timer.h"
#include "platform/IGraphicsWindow.h"
#include "platform/linux/X11Api.h"

namespace fx::igraphics {

class IGraphicsLinux : public IGraphicsWindow {
 public:
  static constexpr std::int32_t kClipboardWaitMs = 300;

  IGraphicsLinux(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height, std::int32_t fps,
                 float scale);
  // x: the layer every X call goes through (tests pass a fake).
  IGraphicsLinux(fx::IGEditorDelegate& delegate, std::int32_t width, std::int32_t height, std::int32_t fps,
                 float scale, std::unique_ptr<fx::x11::X11Api> x);
  ~IGraphicsLinux() override;

  // ---- Window ----
  // parent: the host's X window id as a pointer. Returns our window's id as
  // a pointer, null when the display, the parent or GLX fails.
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  // The thread's shared display connection, kept for the next editor.
  std::shared_ptr<void> RetainWindowSystem() override { return x_->DisplayOpen() ? x_->KeepConnection() : nullptr; }
  float GetPlatformMonitorScale() const override { return screenScale_; }

  // ---- Services ----
  void SetPlatformCursor(std::int32_t kind) override;
  void GetMouseLocation(float& x, float& y) const override;
  bool GetTextFromClipboard(std::string& text) override;
  bool SetTextInClipboard(const char* text) override;
  // No message box: the completion hears that no button was pressed. The
  // other services X11 does not offer keep the graphics context's failure answers.
  void ShowMessageBox(const char* text, const char* caption, std::int32_t type,
                      MessageBoxCompletion completion) override;

  // One idle pass: handles the pending X events and paints a frame when one
  // is due. The idle timer calls it; tests may too.
  void Idle();

  // ---- State, for the host glue and tests ----
  unsigned long GetWindowId() const { return static_cast<unsigned long>(x_->WindowId()); }
  unsigned long GetParentId() const { return static_cast<unsigned long>(parent_); }
  bool HasGlContext() const { return x_->WindowId() != 0; }
  // Editor windows open in the process.
  static std::int32_t OpenWindowCount();

 protected:
  bool HasOpenWindow() const override { return x_->WindowId() != 0 && !gone_; }
  void CapturePointer(bool) override {}  // the server grabs the pointer from a press to its release
  void TakeKeyboardFocus() override { x_->FocusWindow(eventTime_); }
  void ShowPlatformCursor(bool show) override;
  void WarpPointer(std::int32_t px, std::int32_t py, std::int32_t& atX, std::int32_t& atY) override;
  bool ReadWindowSize(PixelSize& size) override { return x_->GetWindowSize(false, size); }
  void ResizeOwnWindow(std::int32_t width, std::int32_t height) override { x_->ResizeWindow(false, width, height); }
  void GrowParentWindow(std::int32_t dw, std::int32_t dh) override;
  void SaveThreadContext() override { x_->SaveCurrentContext(); }
  bool MakeEditorContextCurrent() override;
  void RestoreThreadContext() override { x_->RestoreSavedContext(); }

 private:
  void FrameTick();
  void HandleEvent(const fx::x11::Event& event);
  void ReleaseWindow();

  std::unique_ptr<fx::x11::X11Api> x_;
  std::uint64_t parent_ = 0;
  std::unique_ptr<fx::Timer> idleTimer_;
  std::thread::id thread_;
  FrameClock clock_{60};
  std::uint32_t eventTime_ = 0;
  std::uint32_t shownCursor_ = 0;  // font-cursor shape; 0: the parent's
  bool cursorShown_ = true;
  bool gone_ = false;
  bool closing_ = false;
  bool counted_ = false;
  bool exposedOnce_ = false;  // an Expose arrived since the open began
  float screenScale_ = 1.0f;
  std::string clipboardText_;
};

}  // namespace fx::igraphics
