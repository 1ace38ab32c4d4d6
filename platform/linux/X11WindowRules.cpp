#include "platform/linux/X11WindowRules.h"

#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

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
  if (keysym >= XK_a && keysym <= XK_z) return static_cast<std::int32_t>(keysym - XK_a + 'A');
  if (keysym >= XK_A && keysym <= XK_Z) return static_cast<std::int32_t>(keysym - XK_A + 'A');
  if (keysym >= XK_0 && keysym <= XK_9) return static_cast<std::int32_t>(keysym - XK_0 + '0');
  if (keysym >= XK_F1 && keysym <= XK_F24) return static_cast<std::int32_t>(keysym - XK_F1 + 0x70);
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<std::int32_t>(keysym - XK_KP_0 + 0x60);
  struct Entry {
    std::uint32_t keysym;
    std::int32_t vk;
  };
  static constexpr Entry kTable[] = {
      {XK_BackSpace, 0x08}, {XK_Tab, 0x09},        {XK_ISO_Left_Tab, 0x09}, {XK_Return, 0x0D},
      {XK_KP_Enter, 0x0D},  {XK_Shift_L, 0x10},    {XK_Shift_R, 0x10},      {XK_Control_L, 0x11},
      {XK_Control_R, 0x11}, {XK_Alt_L, 0x12},      {XK_Alt_R, 0x12},        {XK_Pause, 0x13},
      {XK_Caps_Lock, 0x14}, {XK_Escape, 0x1B},     {XK_space, 0x20},        {XK_Prior, 0x21},
      {XK_Next, 0x22},      {XK_End, 0x23},        {XK_Home, 0x24},         {XK_Left, 0x25},
      {XK_Up, 0x26},        {XK_Right, 0x27},      {XK_Down, 0x28},         {XK_Print, 0x2C},
      {XK_Insert, 0x2D},    {XK_Delete, 0x2E},     {XK_Help, 0x2F},         {XK_Super_L, 0x5B},
      {XK_Super_R, 0x5C},   {XK_Menu, 0x5D},       {XK_KP_Multiply, 0x6A},  {XK_KP_Add, 0x6B},
      {XK_KP_Subtract, 0x6D}, {XK_KP_Decimal, 0x6E}, {XK_KP_Divide, 0x6F},  {XK_Num_Lock, 0x90},
      {XK_Scroll_Lock, 0x91}, {XK_semicolon, 0xBA}, {XK_colon, 0xBA},       {XK_equal, 0xBB},
      {XK_plus, 0xBB},      {XK_comma, 0xBC},      {XK_less, 0xBC},         {XK_minus, 0xBD},
      {XK_underscore, 0xBD}, {XK_period, 0xBE},    {XK_greater, 0xBE},      {XK_slash, 0xBF},
      {XK_question, 0xBF},  {XK_grave, 0xC0},      {XK_asciitilde, 0xC0},   {XK_bracketleft, 0xDB},
      {XK_braceleft, 0xDB}, {XK_backslash, 0xDC},  {XK_bar, 0xDC},          {XK_bracketright, 0xDD},
      {XK_braceright, 0xDD}, {XK_apostrophe, 0xDE}, {XK_quotedbl, 0xDE},
      // Keypad keys with Num Lock off send the navigation symbols.
      {XK_KP_Home, 0x24},   {XK_KP_End, 0x23},     {XK_KP_Prior, 0x21},     {XK_KP_Next, 0x22},
      {XK_KP_Left, 0x25},   {XK_KP_Up, 0x26},      {XK_KP_Right, 0x27},     {XK_KP_Down, 0x28},
      {XK_KP_Insert, 0x2D}, {XK_KP_Delete, 0x2E},
  };
  for (const Entry& e : kTable)
    if (e.keysym == keysym) return e.vk;
  return 0;
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
