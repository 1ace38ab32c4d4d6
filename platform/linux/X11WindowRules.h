#pragma once
// Small rules of the X11 editor window that need no X server: the screen
// scale of the resource database's Xft.dpi, the key record of an X key
// event, the font cursor of each cursor kind and the answer to a selection
// request. The rules every window system shares (opening size, frame
// clock, double clicks) are in platform/EditorWindowRules.h.
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
