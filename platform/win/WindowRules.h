#pragma once
// Small rules of the editor window that do not need a window: the screen
// scale of a monitor's dpi, the window size a page opens at, the pen/touch
// signature of synthesised mouse messages and the system cursor of each
// cursor kind.

#include <cstdint>

namespace fx::win {

// 1.0 for 96 dpi or an unknown (0) dpi, else dpi / 96.
float ScreenScaleForDpi(std::uint32_t dpi);

// Window size in pixels at open: the page at draw scale, in whole pixels,
// times the whole-number screen scale.
struct PixelSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};
PixelSize OpeningSize(std::int32_t layoutWidth, std::int32_t layoutHeight, float drawScale, std::int32_t screenScale);

// True when GetMessageExtraInfo marks the mouse message as made from pen or touch.
inline constexpr std::uintptr_t kPenTouchSignature = 0xFF515700;
inline bool IsPenOrTouchMessage(std::uintptr_t extraInfo) {
  return (extraInfo & 0xFFFFFF00u) == kPenTouchSignature;
}

// The IDC_* id of a cursor kind (unknown kinds: the arrow).
std::uint32_t SystemCursorForKind(std::int32_t kind);

// Edit-window style for a horizontal alignment (0 left, 2 right, else centre).
std::uint32_t TextEntryStyle(std::int32_t hAlign);

// COLORREF of 0..255 channels (out-of-range channels are clamped).
std::uint32_t ColourRef(std::int32_t r, std::int32_t g, std::int32_t b);

}  // namespace fx::win
