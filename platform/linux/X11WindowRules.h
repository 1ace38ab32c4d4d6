#pragma once
// Small rules of the X11 editor window that need no X server: the screen
// scale of the resource database's Xft.dpi, the window size a page opens
// at, frame pacing on the host's idle calls, double clicks by timing, the
// key record of an X key event, the font cursor of each cursor kind and the
// answer to a selection request. The window layer keeps its X and GLX calls
// thin around these.
//
// This header includes no X11 header: key symbols, times and cursor shapes
// are the plain numbers X uses.

#include <cstdint>
#include <string>

#include "core/IKeyPress.h"

namespace fx::x11 {

// The screen scale of the text of XResourceManagerString: Xft.dpi / 96.
// 1 when the text is null, has no Xft.dpi line, or its value is not a
// number between 24 and 960.
float ScreenScaleFromResources(const char* resources);

// Window size in pixels at open: the page at draw scale in whole pixels,
// times the screen scale (a non-positive or non-finite scale counts as 1).
struct PixelSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};
PixelSize OpeningSize(std::int32_t layoutWidth, std::int32_t layoutHeight, float drawScale, float screenScale);

// Frames at fps per second on a millisecond clock that only the host's idle
// calls look at. A frame is due once its time has come; a clock that fell
// a whole period or more behind restarts from now instead of firing the
// missed frames in a burst.
class FrameClock {
 public:
  // fps <= 0 gives 60.
  explicit FrameClock(std::int32_t fps);
  std::uint32_t IntervalMs() const { return interval_; }
  // Starts counting: the first frame is due at once.
  void Reset(std::uint64_t nowMs) { next_ = nowMs; }
  // True when a frame is due at nowMs (and counts it).
  bool Tick(std::uint64_t nowMs);

 private:
  std::uint32_t interval_;
  std::uint64_t next_ = 0;
};

// Double clicks from presses: the second press of the same button within
// 400 ms and 4 pixels of the first. The press that completes a double click
// starts no new one, so a triple click is a double click and a single.
class ClickTracker {
 public:
  static constexpr std::uint32_t kMaxIntervalMs = 400;
  static constexpr std::int32_t kMaxDistance = 4;
  // time: the X server's millisecond timestamp, which wraps at 2^32.
  bool Press(std::uint32_t button, std::int32_t x, std::int32_t y, std::uint32_t time);
  void Forget() { armed_ = false; }

 private:
  bool armed_ = false;
  std::uint32_t button_ = 0;
  std::int32_t x_ = 0, y_ = 0;
  std::uint32_t time_ = 0;
};

// The Windows virtual-key code of an X key symbol; 0 for keys without one.
std::int32_t VirtualKeyForKeysym(std::uint32_t keysym);

// Modifier bits of an X key or button event's state.
inline constexpr std::uint32_t kShiftMask = 1u << 0;
inline constexpr std::uint32_t kControlMask = 1u << 2;
inline constexpr std::uint32_t kMod1Mask = 1u << 3;  // Alt on common layouts
inline constexpr std::uint32_t kButton1Mask = 1u << 8;
inline constexpr std::uint32_t kButton3Mask = 1u << 10;

// The key record of a key event: XLookupString's key symbol and its bytes
// (Latin-1, count n; a negative count is none), and the event's state. The
// character is the one byte turned into UTF-8, and only when it is a
// printable one: control characters and multi-byte answers give none.
fx::IKeyPress KeyPressFromLookup(std::uint32_t keysym, const char* bytes, std::int32_t n, std::uint32_t state);

// The X font-cursor shape (cursorfont.h numbering) of a cursor kind; the
// arrow for unknown kinds.
std::uint32_t FontCursorShapeForKind(std::int32_t kind);

// What an owner of the clipboard answers to a request for one target.
enum class SelectionTarget { Targets, Utf8String, Text, String, Other };
enum class SelectionAnswer {
  Refuse,      // property None in the notification
  TargetList,  // ATOM list: TARGETS, UTF8_STRING, TEXT, STRING
  Utf8Text,    // the text as UTF8_STRING
  Latin1Text,  // the text as STRING (ISO 8859-1)
};
// owner: we still own the selection with a text. STRING is answered only
// when the text converts to Latin-1 without loss.
SelectionAnswer AnswerSelectionRequest(bool owner, SelectionTarget target, const std::string& text);

// The text as ISO 8859-1; false (out empty) when it is not valid UTF-8 or
// has characters above U+00FF.
bool Latin1FromUtf8(const std::string& text, std::string& out);

}  // namespace fx::x11
