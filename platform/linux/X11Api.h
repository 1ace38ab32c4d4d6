#pragma once
// The thin layer between the X11 editor window and Xlib/GLX: the Display
// connection, the editor's child window with a GLX context, and exactly the
// X operations the window and its services call. The editors of one thread
// share one connection (made by the first, closed by the last), so that
// their contexts are one GL share group whose artwork textures exist once;
// each editor reads only its own windows' events from it. An editor opened
// on another thread than the connection's has a connection of its own and
// shares nothing. The real
// layer (X11ApiReal.cpp) is the only editor file that includes X11 and GLX
// headers; tests run IGraphicsLinux's logic on a fake of this interface.
//
// The real layer catches the X errors of its own requests with a handler
// installed only around them (and checked with a round trip only after
// requests that can fail), so no handler of ours stays installed. Reading
// events makes no request: an idle editor costs the server nothing, and
// itself a poll.
// One object per editor window; the thread that opened it only.
// (A shared connection's windows and contexts are still each editor's own.)

#include <cstdint>
#include <memory>
#include <string>

#include "platform/EditorWindowRules.h"
#include "renderer/GlApi.h"

namespace fx::igraphics {
class SharedTextures;
}

namespace fx::x11 {

// An X event as the window needs it; the whole XEvent rides along in raw
// for the layer's own answers (selection requests, keys passed on).
struct Event {
  enum class Type : std::int32_t {
    // (Not X's own names: Xlib defines those as macros.)
    Other,
    Exposed,
    Pressed,  // a button
    Released,
    Moved,
    KeyDown,
    KeyUp,
    PointerLeft,
    SelectionAsked,
    SelectionLost,
    Destroyed,  // our window went (with the host's)
    Reconfigured,
  };
  Type type = Type::Other;
  std::int32_t x = 0, y = 0;
  std::uint32_t button = 0;  // 1 left, 2 middle, 3 right, 4/5 wheel
  std::uint32_t state = 0;   // modifier and button bits from before the event
  std::uint32_t time = 0;
  // Key events: XLookupString's key symbol and bytes (count, negative: none).
  std::uint32_t keysym = 0;
  char text[8] = {};
  std::int32_t textLength = 0;
  bool lastExpose = true;      // Expose: the last of its series
  bool plainLeave = true;      // Leave: a pointer leave, not a grab's
  bool clipboard = false;      // SelectionClear: of the CLIPBOARD selection
  alignas(8) unsigned char raw[192] = {};
};

class X11Api {
 public:
  virtual ~X11Api() = default;

  // ---- Connection and window ----
  virtual bool OpenDisplay() = 0;
  virtual bool DisplayOpen() const = 0;
  // Requests sent on the connection so far, replies awaited included (0
  // without one): what a frame or an idle call costs the server.
  virtual std::uint64_t RequestsSent() const = 0;
  // Xft.dpi / 96 of the connection's resource database (1 without one).
  virtual float ScreenScale() = 0;
  // Our child window of parent with a GLX context, mapped; false (nothing
  // left but the connection) when the parent, a visual or GLX fails.
  virtual bool CreateWindow(std::uint64_t parent, std::int32_t width, std::int32_t height) = 0;
  virtual std::uint64_t WindowId() const = 0;
  // Our context, the stand-in window, cursors, our window and colormap.
  virtual void DestroyWindow() = 0;
  virtual void CloseDisplay() = 0;
  // Keeps the open display's connection (and the GL driver it loaded) after
  // CloseDisplay, while the handle lives, so that the thread's next editor
  // joins it rather than loading the driver again; the handle may be dropped
  // on any thread. Null for a private connection or none open.
  virtual std::shared_ptr<void> KeepConnection() = 0;

  // ---- GL (the window core's guard drives these) ----
  virtual fx::vg::GlProcLoader GlLoader() = 0;
  // The texture store of our context's share group; null when the context
  // shares nothing (a private connection, or none made yet).
  virtual fx::igraphics::SharedTextures* ShareGroupTextures() = 0;
  virtual void SaveCurrentContext() = 0;
  virtual bool MakeCurrent() = 0;
  // Our context on a window of our own: the host destroyed ours before closing.
  virtual bool MakeCurrentOnStandIn() = 0;
  virtual void ReleaseCurrent() = 0;
  virtual void RestoreSavedContext() = 0;
  // With our context current: presenting never waits for the vertical blank.
  virtual void SetSwapIntervalZero() = 0;
  virtual void SwapBuffers() = 0;
  // Copying part of the back buffer to the front (GLX_MESA_copy_sub_buffer)
  // keeps the back buffer, so later frames can draw and present only what
  // changed. GL coordinates: the origin at the bottom left.
  virtual bool CanCopySubBuffer() = 0;
  virtual void CopySubBuffer(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) = 0;
  virtual void Flush() = 0;

  // ---- Events and input ----
  // The next pending event (runs of motion folded into their last); false
  // when none is pending. Makes no request; on a connection with nothing to
  // read since the last look, it costs one poll of the socket.
  virtual bool NextEvent(Event& event) = 0;
  virtual void FocusWindow(std::uint32_t time) = 0;
  virtual void PassKeyToParent(const Event& key) = 0;
  // shape: an X font-cursor shape; blank: a cursor of one transparent pixel.
  virtual void DefineCursor(std::uint32_t shape) = 0;
  virtual void DefineBlankCursor() = 0;
  virtual void WarpPointer(std::int32_t x, std::int32_t y) = 0;
  virtual bool QueryPointer(std::int32_t& x, std::int32_t& y) = 0;

  // ---- Geometry ----
  virtual bool GetWindowSize(bool parent, fx::igraphics::PixelSize& size) = 0;
  virtual void ResizeWindow(bool parent, std::int32_t width, std::int32_t height) = 0;

  // ---- Clipboard (the CLIPBOARD selection) ----
  virtual bool TakeClipboard() = 0;
  virtual bool ClipboardIsOurs() = 0;
  // Asks the owner for UTF8_STRING and waits at most waitMs for its answer.
  virtual bool ReadClipboard(std::string& text, std::int32_t waitMs) = 0;
  virtual void AnswerSelectionRequest(const Event& request, const std::string& text) = 0;
};

std::unique_ptr<X11Api> MakeRealX11Api();
// Editors on the thread's shared connection now (0: none is open).
std::int32_t SharedConnectionUsers();

}  // namespace fx::x11
