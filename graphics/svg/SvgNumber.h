#pragma once
// Numbers and lengths as attributes, styles and path data spell them:
// optional sign, digits with an optional fraction, an optional exponent
// ("1e-3", ".5", "+.5", "1E+2", "7."). A number ends where its grammar ends,
// so ".5.5" and "-1-2" are two numbers each. Independent of the C locale;
// values whose magnitude passes kMaxMagnitude, and ones that are not finite,
// are not numbers.

#include <cstddef>
#include <string_view>

namespace fx::igraphics::svg {

inline bool IsSvgSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

void SkipSpace(std::string_view text, std::size_t& pos);
// White space with at most one comma in it.
void SkipCommaSpace(std::string_view text, std::size_t& pos);
// Reads the number at pos; on success pos is moved past it. On failure pos
// is unchanged.
bool ScanNumber(std::string_view text, std::size_t& pos, double& out);
// The whole text is one number, with optional white space around it.
bool ParseNumber(std::string_view text, double& out);
// The text without white space at its ends.
std::string_view TrimSpace(std::string_view text);

// A length: a number with no unit or one of px, pt, pc, mm, cm, in (turned
// into px at 96 per inch), or a percentage (value as written, percent set).
struct SvgLength {
  double value = 0.0;
  bool percent = false;
};
bool ParseLength(std::string_view text, SvgLength& out);
// A length with a percentage taken of reference.
bool ParseLength(std::string_view text, double reference, double& out);

}  // namespace fx::igraphics::svg
