#include "graphics/svg/SvgColour.h"

#include <cmath>
#include <cstdint>

#include "graphics/svg/SvgNumber.h"

namespace fx::igraphics::svg {
namespace {

struct NamedColour {
  std::string_view name;
  std::uint32_t rgb;
};

constexpr NamedColour kNamedColours[] = {
    {"black", 0x000000},     {"silver", 0xC0C0C0},    {"gray", 0x808080},       {"grey", 0x808080},
    {"white", 0xFFFFFF},     {"maroon", 0x800000},    {"red", 0xFF0000},        {"purple", 0x800080},
    {"fuchsia", 0xFF00FF},   {"magenta", 0xFF00FF},   {"green", 0x008000},      {"lime", 0x00FF00},
    {"olive", 0x808000},     {"yellow", 0xFFFF00},    {"navy", 0x000080},       {"blue", 0x0000FF},
    {"teal", 0x008080},      {"aqua", 0x00FFFF},      {"cyan", 0x00FFFF},       {"orange", 0xFFA500},
    {"darkgray", 0xA9A9A9},  {"darkgrey", 0xA9A9A9},  {"lightgray", 0xD3D3D3},  {"lightgrey", 0xD3D3D3},
    {"dimgray", 0x696969},   {"dimgrey", 0x696969},   {"gainsboro", 0xDCDCDC},  {"whitesmoke", 0xF5F5F5},
    {"brown", 0xA52A2A},     {"pink", 0xFFC0CB},      {"gold", 0xFFD700},       {"indigo", 0x4B0082},
    {"violet", 0xEE82EE},    {"darkred", 0x8B0000},   {"darkgreen", 0x006400},  {"darkblue", 0x00008B},
    {"lightblue", 0xADD8E6}, {"skyblue", 0x87CEEB},   {"steelblue", 0x4682B4},  {"crimson", 0xDC143C},
    {"coral", 0xFF7F50},     {"tomato", 0xFF6347},    {"salmon", 0xFA8072},     {"beige", 0xF5F5DC},
    {"tan", 0xD2B48C},       {"khaki", 0xF0E68C},     {"turquoise", 0x40E0D0},  {"orchid", 0xDA70D6},
    {"plum", 0xDDA0DD},      {"chocolate", 0xD2691E}, {"darkorange", 0xFF8C00}, {"royalblue", 0x4169E1},
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHex(std::string_view hex, IArgb& out) {
  int d[6] = {};
  if (hex.size() != 3 && hex.size() != 6) return false;
  for (std::size_t i = 0; i < hex.size(); ++i)
    if ((d[i] = HexDigit(hex[i])) < 0) return false;
  if (hex.size() == 3) {
    out = {255, d[0] * 17, d[1] * 17, d[2] * 17};
  } else {
    out = {255, d[0] * 16 + d[1], d[2] * 16 + d[3], d[4] * 16 + d[5]};
  }
  return true;
}

int ClampChannel(double v) {
  if (!(v > 0.0)) return 0;
  if (v >= 255.0) return 255;
  return static_cast<int>(std::lround(v));
}

// The arguments of rgb()/rgba(): three channels, integers or percentages,
// and for rgba an alpha 0..1.
bool ParseFunction(std::string_view args, bool alpha, IArgb& out) {
  double v[4] = {0.0, 0.0, 0.0, 1.0};
  const int count = alpha ? 4 : 3;
  std::size_t pos = 0;
  SkipSpace(args, pos);
  for (int i = 0; i < count; ++i) {
    if (i > 0) {
      SkipSpace(args, pos);
      if (pos >= args.size() || args[pos] != ',') return false;
      ++pos;
      SkipSpace(args, pos);
    }
    if (!ScanNumber(args, pos, v[i])) return false;
    if (pos < args.size() && args[pos] == '%') {
      ++pos;
      v[i] = i < 3 ? v[i] * 255.0 / 100.0 : v[i] / 100.0;
    }
  }
  SkipSpace(args, pos);
  if (pos != args.size()) return false;
  out = {ClampChannel(v[3] * 255.0), ClampChannel(v[0]), ClampChannel(v[1]), ClampChannel(v[2])};
  return true;
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool ParseColour(std::string_view text, IArgb& out) {
  text = TrimSpace(text);
  if (text.empty()) return false;
  if (text[0] == '#') return ParseHex(text.substr(1), out);
  const std::size_t open = text.find('(');
  if (open != std::string_view::npos) {
    if (text.back() != ')') return false;
    const std::string_view name = TrimSpace(text.substr(0, open));
    const std::string_view args = text.substr(open + 1, text.size() - open - 2);
    if (EqualsIgnoringCase(name, "rgb")) return ParseFunction(args, false, out);
    if (EqualsIgnoringCase(name, "rgba")) return ParseFunction(args, true, out);
    return false;
  }
  if (EqualsIgnoringCase(text, "transparent")) {
    out = {0, 0, 0, 0};
    return true;
  }
  for (const NamedColour& c : kNamedColours) {
    if (EqualsIgnoringCase(text, c.name)) {
      out = {255, static_cast<int>(c.rgb >> 16), static_cast<int>((c.rgb >> 8) & 0xFF), static_cast<int>(c.rgb & 0xFF)};
      return true;
    }
  }
  return false;
}

}  // namespace fx::igraphics::svg
