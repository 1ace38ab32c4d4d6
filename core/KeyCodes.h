#pragma once
// The virtual-key codes a key event record carries (IKeyPress::vk), by
// name. The numbering is the Windows one on every platform: the VST2 key
// table, the X11 key symbols and the text entry all translate into it.
// Letters and the main row's digits are their upper-case ASCII codes.

#include <cstdint>

namespace fx::keys {

inline constexpr std::int32_t kNone = 0;  // a character with no key behind it
inline constexpr std::int32_t kBackspace = 0x08;
inline constexpr std::int32_t kTab = 0x09;
inline constexpr std::int32_t kClear = 0x0C;
inline constexpr std::int32_t kReturn = 0x0D;
inline constexpr std::int32_t kShift = 0x10;
inline constexpr std::int32_t kControl = 0x11;
inline constexpr std::int32_t kAlt = 0x12;
inline constexpr std::int32_t kPause = 0x13;
inline constexpr std::int32_t kCapsLock = 0x14;
inline constexpr std::int32_t kEscape = 0x1B;
inline constexpr std::int32_t kSpace = 0x20;
inline constexpr std::int32_t kPageUp = 0x21;
inline constexpr std::int32_t kPageDown = 0x22;
inline constexpr std::int32_t kEnd = 0x23;
inline constexpr std::int32_t kHome = 0x24;
inline constexpr std::int32_t kLeft = 0x25;
inline constexpr std::int32_t kUp = 0x26;
inline constexpr std::int32_t kRight = 0x27;
inline constexpr std::int32_t kDown = 0x28;
inline constexpr std::int32_t kSelect = 0x29;
inline constexpr std::int32_t kPrint = 0x2A;
inline constexpr std::int32_t kSnapshot = 0x2C;
inline constexpr std::int32_t kInsert = 0x2D;
inline constexpr std::int32_t kDelete = 0x2E;
inline constexpr std::int32_t kHelp = 0x2F;
inline constexpr std::int32_t kDigit0 = 0x30;  // to 0x39
inline constexpr std::int32_t kDigit9 = 0x39;
inline constexpr std::int32_t kLetterA = 0x41;  // to 0x5A
inline constexpr std::int32_t kLetterZ = 0x5A;
inline constexpr std::int32_t kLeftWindows = 0x5B;
inline constexpr std::int32_t kRightWindows = 0x5C;
inline constexpr std::int32_t kApps = 0x5D;
inline constexpr std::int32_t kNumpad0 = 0x60;  // to 0x69
inline constexpr std::int32_t kNumpad9 = 0x69;
inline constexpr std::int32_t kMultiply = 0x6A;
inline constexpr std::int32_t kAdd = 0x6B;
inline constexpr std::int32_t kSeparator = 0x6C;
inline constexpr std::int32_t kSubtract = 0x6D;
inline constexpr std::int32_t kDecimal = 0x6E;
inline constexpr std::int32_t kDivide = 0x6F;
inline constexpr std::int32_t kF1 = 0x70;  // to F24, 0x87
inline constexpr std::int32_t kF12 = 0x7B;
inline constexpr std::int32_t kNumLock = 0x90;
inline constexpr std::int32_t kScrollLock = 0x91;
inline constexpr std::int32_t kOemSemicolon = 0xBA;  // ; and :
inline constexpr std::int32_t kOemPlus = 0xBB;       // = and +
inline constexpr std::int32_t kOemComma = 0xBC;
inline constexpr std::int32_t kOemMinus = 0xBD;
inline constexpr std::int32_t kOemPeriod = 0xBE;
inline constexpr std::int32_t kOemSlash = 0xBF;
inline constexpr std::int32_t kOemGrave = 0xC0;
inline constexpr std::int32_t kOemOpenBracket = 0xDB;
inline constexpr std::int32_t kOemBackslash = 0xDC;
inline constexpr std::int32_t kOemCloseBracket = 0xDD;
inline constexpr std::int32_t kOemQuote = 0xDE;

constexpr std::int32_t Digit(std::int32_t n) { return kDigit0 + n; }
constexpr std::int32_t Letter(char upper) { return kLetterA + (upper - 'A'); }
constexpr std::int32_t Numpad(std::int32_t n) { return kNumpad0 + n; }
constexpr std::int32_t Function(std::int32_t n) { return kF1 + n - 1; }

}  // namespace fx::keys
