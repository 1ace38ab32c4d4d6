#pragma once
// Small rules of the editor window that do not need a window: the screen
// scale of a monitor's dpi, the window size a page opens at, the pen/touch
// signature of synthesised mouse messages, the system cursor of each
// cursor kind and the pixel format the window's GL presents through.

#include <cstdint>
#include <vector>

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

// The fields of a pixel format (DescribePixelFormat's PIXELFORMATDESCRIPTOR)
// the editor asks for or reads.
struct PixelFormatInfo {
  std::uint32_t flags = 0;      // PFD_* (draw to window, OpenGL, double buffer, swap method ...)
  std::int32_t pixelType = 0;   // PFD_TYPE_RGBA
  std::int32_t colourBits = 0;
  std::int32_t alphaBits = 0;
  std::int32_t depthBits = 0;
  std::int32_t stencilBits = 0;
  // WGL_ARB_pixel_format's WGL_SWAP_METHOD_ARB where it was asked, else 0.
  std::int32_t swapMethod = 0;
  bool operator==(const PixelFormatInfo&) const = default;
};

// Whether a format's swap copies the back buffer to the front and keeps it:
// PFD_SWAP_COPY, or WGL_SWAP_COPY_ARB where the flags name no swap method.
// Only then may a frame draw just what changed into it.
bool SwapsByCopying(const PixelFormatInfo& format);

// The format to set, by 1-based index: the system's choice where its swap
// copies; else the first format that differs from it only in its swap
// method and copies; else the choice itself (then every frame is whole).
// formats[i] describes format i + 1.
std::int32_t PixelFormatToSet(const std::vector<PixelFormatInfo>& formats, std::int32_t chosen);

}  // namespace fx::win
