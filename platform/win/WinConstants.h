#pragma once
// The published Win32 message numbers, flags and styles the editor window
// uses, for code that must not include <windows.h>.

#include <cstdint>

namespace fx::win {

inline constexpr std::uint32_t kWmCreate = 0x0001;
inline constexpr std::uint32_t kWmSize = 0x0005;
inline constexpr std::uint32_t kWmSetFocus = 0x0007;
inline constexpr std::uint32_t kWmKillFocus = 0x0008;
inline constexpr std::uint32_t kWmPaint = 0x000F;
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmEraseBkgnd = 0x0014;
inline constexpr std::uint32_t kWmSetCursor = 0x0020;
inline constexpr std::uint32_t kWmSetFont = 0x0030;
inline constexpr std::uint32_t kWmGetDlgCode = 0x0087;
inline constexpr std::uint32_t kWmKeyDown = 0x0100;
inline constexpr std::uint32_t kWmKeyUp = 0x0101;
inline constexpr std::uint32_t kWmChar = 0x0102;
inline constexpr std::uint32_t kWmCommand = 0x0111;
inline constexpr std::uint32_t kWmTimer = 0x0113;
inline constexpr std::uint32_t kWmCtlColorEdit = 0x0133;
inline constexpr std::uint32_t kWmMouseFirst = 0x0200;
inline constexpr std::uint32_t kWmMouseMove = 0x0200;
inline constexpr std::uint32_t kWmLButtonDown = 0x0201;
inline constexpr std::uint32_t kWmLButtonUp = 0x0202;
inline constexpr std::uint32_t kWmLButtonDblClk = 0x0203;
inline constexpr std::uint32_t kWmRButtonDown = 0x0204;
inline constexpr std::uint32_t kWmRButtonUp = 0x0205;
inline constexpr std::uint32_t kWmRButtonDblClk = 0x0206;
inline constexpr std::uint32_t kWmMButtonDown = 0x0207;
inline constexpr std::uint32_t kWmMButtonUp = 0x0208;
inline constexpr std::uint32_t kWmMButtonDblClk = 0x0209;
inline constexpr std::uint32_t kWmMouseWheel = 0x020A;
inline constexpr std::uint32_t kWmDropFiles = 0x0233;
inline constexpr std::uint32_t kWmTouch = 0x0240;
inline constexpr std::uint32_t kWmMouseHover = 0x02A1;
inline constexpr std::uint32_t kWmMouseLeave = 0x02A3;
inline constexpr std::uint32_t kWmUser = 0x0400;
inline constexpr std::uint32_t kWmFrame = kWmUser + 1;

inline constexpr std::uint32_t kEmSetSel = 0x00B1;
inline constexpr std::uint32_t kEmLimitText = 0x00C5;

inline constexpr std::uintptr_t kMkLButton = 0x1;
inline constexpr std::uintptr_t kMkRButton = 0x2;
inline constexpr std::uintptr_t kMkShift = 0x4;
inline constexpr std::uintptr_t kMkControl = 0x8;

inline constexpr std::int32_t kVkBack = 0x08;
inline constexpr std::int32_t kVkReturn = 0x0D;
inline constexpr std::int32_t kVkShift = 0x10;
inline constexpr std::int32_t kVkControl = 0x11;
inline constexpr std::int32_t kVkMenu = 0x12;
inline constexpr std::int32_t kVkEscape = 0x1B;

inline constexpr std::intptr_t kDlgcWantAllKeys = 4;
inline constexpr std::uint32_t kTmeHover = 0x1;
inline constexpr std::uint32_t kTmeLeave = 0x2;
inline constexpr std::uint32_t kTouchEventDown = 0x2;
inline constexpr std::uint32_t kTouchEventUp = 0x4;
inline constexpr std::int32_t kNidReady = 0x40;

inline constexpr std::uint32_t kWsChild = 0x40000000;
inline constexpr std::uint32_t kWsExMdiChild = 0x40;
inline constexpr std::uint32_t kEditorWindowStyle = 0x56000000;  // child, visible, clip siblings and children
inline constexpr std::uint32_t kEditorClassStyle = 0x28;         // CS_DBLCLKS | CS_OWNDC
inline constexpr std::uint32_t kPixelFormatFlags = 0x25;         // draw to window, OpenGL, double buffer
inline constexpr std::uint32_t kPfdSwapExchange = 0x200;
inline constexpr std::uint32_t kPfdSwapCopy = 0x400;
// WGL_ARB_pixel_format's swap method attribute and its values.
inline constexpr std::int32_t kWglSwapMethodArb = 0x2007;
inline constexpr std::int32_t kWglSwapExchangeArb = 0x2028;
inline constexpr std::int32_t kWglSwapCopyArb = 0x2029;
inline constexpr std::int32_t kWglSwapUndefinedArb = 0x202A;
inline constexpr std::uint32_t kSwpNoMove = 0x2;
inline constexpr std::uint32_t kSwpNoZOrder = 0x4;
inline constexpr std::uint32_t kSwpNoActivate = 0x10;
inline constexpr std::uint32_t kTpmLeftButton = 0x0;
inline constexpr std::uintptr_t kFrameTimerId = 2;
inline constexpr std::intptr_t kTextEntryId = 99;

}  // namespace fx::win
