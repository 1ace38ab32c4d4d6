#include "platform/linux/X11WindowRules.h"

#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/KeyCodes.h"
#include "graphics/IGraphics.h"

namespace fx::x11 {

float ScreenScaleFromResources(const char* resources) {
  if (!resources) return 1.0f;
  constexpr const char* kName = "Xft.dpi";
  const std::size_t nameLength = std::strlen(kName);
  for (const char* line = resources; *line;) {
    const char* end = std::strchr(line, '\n');
    const std::size_t length = end ? static_cast<std::size_t>(end - line) : std::strlen(line);
    // "Xft.dpi:" then optional blanks then the number, as xrdb writes it.
    if (length > nameLength && std::strncmp(line, kName, nameLength) == 0 && line[nameLength] == ':') {
      std::string value(line + nameLength + 1, length - nameLength - 1);
      const char* text = value.c_str();
      while (*text == ' ' || *text == '\t') ++text;
      char* after = nullptr;
      const double dpi = std::strtod(text, &after);
      while (after && (*after == ' ' || *after == '\t' || *after == '\r')) ++after;
      if (after == text || !after || *after != '\0' || !std::isfinite(dpi) || dpi < 24.0 || dpi > 960.0) return 1.0f;
      return static_cast<float>(dpi / 96.0);
    }
    if (!end) break;
    line = end + 1;
  }
  return 1.0f;
}

std::int32_t VirtualKeyForKeysym(std::uint32_t keysym) {
  using namespace fx::keys;
  const auto offset = [](std::uint32_t from, std::uint32_t base) { return static_cast<std::int32_t>(from - base); };
  if (keysym >= XK_a && keysym <= XK_z) return kLetterA + offset(keysym, XK_a);
  if (keysym >= XK_A && keysym <= XK_Z) return kLetterA + offset(keysym, XK_A);
  if (keysym >= XK_0 && keysym <= XK_9) return kDigit0 + offset(keysym, XK_0);
  if (keysym >= XK_F1 && keysym <= XK_F24) return kF1 + offset(keysym, XK_F1);
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return kNumpad0 + offset(keysym, XK_KP_0);
  struct Entry {
    std::uint32_t keysym;
    std::int32_t vk;
  };
  static constexpr Entry kTable[] = {
      {XK_BackSpace, kBackspace}, {XK_Tab, kTab}, {XK_ISO_Left_Tab, kTab}, {XK_Return, kReturn},
      {XK_KP_Enter, kReturn}, {XK_Shift_L, kShift}, {XK_Shift_R, kShift}, {XK_Control_L, kControl},
      {XK_Control_R, kControl}, {XK_Alt_L, kAlt}, {XK_Alt_R, kAlt}, {XK_Pause, kPause},
      {XK_Caps_Lock, kCapsLock}, {XK_Escape, kEscape}, {XK_space, kSpace}, {XK_Prior, kPageUp},
      {XK_Next, kPageDown}, {XK_End, kEnd}, {XK_Home, kHome}, {XK_Left, kLeft},
      {XK_Up, kUp}, {XK_Right, kRight}, {XK_Down, kDown}, {XK_Print, kSnapshot},
      {XK_Insert, kInsert}, {XK_Delete, kDelete}, {XK_Help, kHelp}, {XK_Super_L, kLeftWindows},
      {XK_Super_R, kRightWindows}, {XK_Menu, kApps}, {XK_KP_Multiply, kMultiply}, {XK_KP_Add, kAdd},
      {XK_KP_Subtract, kSubtract}, {XK_KP_Decimal, kDecimal}, {XK_KP_Divide, kDivide}, {XK_Num_Lock, kNumLock},
      {XK_Scroll_Lock, kScrollLock}, {XK_semicolon, kOemSemicolon}, {XK_colon, kOemSemicolon}, {XK_equal, kOemPlus},
      {XK_plus, kOemPlus}, {XK_comma, kOemComma}, {XK_less, kOemComma}, {XK_minus, kOemMinus},
      {XK_underscore, kOemMinus}, {XK_period, kOemPeriod}, {XK_greater, kOemPeriod}, {XK_slash, kOemSlash},
      {XK_question, kOemSlash}, {XK_grave, kOemGrave}, {XK_asciitilde, kOemGrave}, {XK_bracketleft, kOemOpenBracket},
      {XK_braceleft, kOemOpenBracket}, {XK_backslash, kOemBackslash}, {XK_bar, kOemBackslash},
      {XK_bracketright, kOemCloseBracket}, {XK_braceright, kOemCloseBracket}, {XK_apostrophe, kOemQuote},
      {XK_quotedbl, kOemQuote},
      // Keypad keys with Num Lock off send the navigation symbols.
      {XK_KP_Home, kHome}, {XK_KP_End, kEnd}, {XK_KP_Prior, kPageUp}, {XK_KP_Next, kPageDown},
      {XK_KP_Left, kLeft}, {XK_KP_Up, kUp}, {XK_KP_Right, kRight}, {XK_KP_Down, kDown},
      {XK_KP_Insert, kInsert}, {XK_KP_Delete, kDelete},
  };
  for (const Entry& e : kTable)
    if (e.keysym == keysym) return e.vk;
  return kNone;
}

fx::IKeyPress KeyPressFromLookup(std::uint32_t keysym, const char* bytes, std::int32_t n, std::uint32_t state) {
  fx::IKeyPress key;
  key.vk = VirtualKeyForKeysym(keysym);
  key.shift = (state & kShiftMask) != 0;
  key.ctrl = (state & kControlMask) != 0;
  key.alt = (state & kMod1Mask) != 0;
  if (bytes && n == 1) {
    const auto c = static_cast<unsigned char>(bytes[0]);
    if (c >= 0x20 && c < 0x7F) {
      key.utf8[0] = static_cast<char>(c);
    } else if (c >= 0xA0) {
      key.utf8[0] = static_cast<char>(0xC0 | (c >> 6));
      key.utf8[1] = static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return key;
}

std::uint32_t FontCursorShapeForKind(std::int32_t kind) {
  using namespace fx::igraphics;
  switch (kind) {
    case kIBeamCursor: return XC_xterm;
    case kWaitCursor: return XC_watch;
    case kCrossCursor: return XC_crosshair;
    case kUpArrowCursor: return XC_sb_up_arrow;
    case kSizeNWSECursor: return XC_bottom_right_corner;
    case kSizeNESWCursor: return XC_bottom_left_corner;
    case kSizeWECursor: return XC_sb_h_double_arrow;
    case kSizeNSCursor: return XC_sb_v_double_arrow;
    case kSizeAllCursor: return XC_fleur;
    case kNoCursor: return XC_X_cursor;
    case kHandCursor: return XC_hand2;
    case kAppStartingCursor: return XC_watch;
    case kHelpCursor: return XC_question_arrow;
    default: return XC_left_ptr;
  }
}

bool Latin1FromUtf8(const std::string& text, std::string& out) {
  out.clear();
  std::string result;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      result.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    // Only two-byte sequences of U+0080..U+00FF fit Latin-1.
    if ((c != 0xC2 && c != 0xC3) || i + 1 >= text.size()) return false;
    const auto c2 = static_cast<unsigned char>(text[i + 1]);
    if ((c2 & 0xC0) != 0x80) return false;
    result.push_back(static_cast<char>(((c & 0x1F) << 6) | (c2 & 0x3F)));
    i += 2;
  }
  out = std::move(result);
  return true;
}

SelectionAnswer AnswerSelectionRequest(bool owner, SelectionTarget target, const std::string& text) {
  if (!owner) return SelectionAnswer::Refuse;
  switch (target) {
    case SelectionTarget::Targets: return SelectionAnswer::TargetList;
    case SelectionTarget::Utf8String:
    case SelectionTarget::Text: return SelectionAnswer::Utf8Text;
    case SelectionTarget::String: {
      std::string latin1;
      return Latin1FromUtf8(text, latin1) ? SelectionAnswer::Latin1Text : SelectionAnswer::Refuse;
    }
    case SelectionTarget::Other: break;
  }
  return SelectionAnswer::Refuse;
}

}  // namespace fx::x11
