#include "graphics/svg/SvgNumber.h"

#include <cmath>
#include <cstdint>

#include "graphics/svg/SvgLimits.h"

namespace fx::igraphics::svg {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Exact powers of ten that a double holds.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Exponents are only tracked this far; anything beyond gives 0 or out of range.
constexpr int kExponentLimit = 100000;

void AddExponent(int& exponent, int delta) {
  const long long e = static_cast<long long>(exponent) + delta;
  exponent = static_cast<int>(e > kExponentLimit ? kExponentLimit : (e < -kExponentLimit ? -kExponentLimit : e));
}

double Scale(std::uint64_t mantissa, int exponent) {
  const double m = static_cast<double>(mantissa);
  if (exponent >= 0 && exponent <= 22) return m * kPow10[exponent];
  if (exponent < 0 && exponent >= -22) return m / kPow10[-exponent];
  if (exponent > 400) return HUGE_VAL;
  if (exponent < -400) return 0.0;
  return m * std::pow(10.0, exponent);
}

}  // namespace

void SkipSpace(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && IsSvgSpace(text[pos])) ++pos;
}

void SkipCommaSpace(std::string_view text, std::size_t& pos) {
  SkipSpace(text, pos);
  if (pos < text.size() && text[pos] == ',') {
    ++pos;
    SkipSpace(text, pos);
  }
}

bool ScanNumber(std::string_view text, std::size_t& pos, double& out) {
  std::size_t i = pos;
  const std::size_t n = text.size();
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // At most 19 significant digits fit the mantissa; more only move the exponent.
  std::uint64_t mantissa = 0;
  int significant = 0, exponent = 0, digits = 0;
  for (; i < n && IsDigit(text[i]); ++i, ++digits) {
    const int d = text[i] - '0';
    if (significant < 19) {
      if (mantissa != 0 || d != 0) {
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(d);
        ++significant;
      }
    } else {
      AddExponent(exponent, 1);
    }
  }
  if (i < n && text[i] == '.') {
    std::size_t j = i + 1;
    for (; j < n && IsDigit(text[j]); ++j, ++digits) {
      const int d = text[j] - '0';
      if (significant < 19) {
        if (mantissa != 0 || d != 0) {
          mantissa = mantissa * 10 + static_cast<std::uint64_t>(d);
          ++significant;
        }
        AddExponent(exponent, -1);
      }
    }
    i = j;
  }
  if (digits == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    bool negativeExponent = false;
    if (j < n && (text[j] == '+' || text[j] == '-')) negativeExponent = text[j++] == '-';
    if (j < n && IsDigit(text[j])) {
      int e = 0;
      for (; j < n && IsDigit(text[j]); ++j)
        if (e < kExponentLimit) e = e * 10 + (text[j] - '0');
      AddExponent(exponent, negativeExponent ? -e : e);
      i = j;
    }
  }
  const double value = mantissa == 0 ? 0.0 : Scale(mantissa, exponent);
  if (!(value <= kMaxMagnitude)) return false;
  out = negative ? -value : value;
  pos = i;
  return true;
}

std::string_view TrimSpace(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && IsSvgSpace(text[b])) ++b;
  while (e > b && IsSvgSpace(text[e - 1])) --e;
  return text.substr(b, e - b);
}

bool ParseNumber(std::string_view text, double& out) {
  text = TrimSpace(text);
  std::size_t pos = 0;
  double v = 0.0;
  if (!ScanNumber(text, pos, v) || pos != text.size()) return false;
  out = v;
  return true;
}

bool ParseLength(std::string_view text, SvgLength& out) {
  text = TrimSpace(text);
  std::size_t pos = 0;
  double v = 0.0;
  if (!ScanNumber(text, pos, v)) return false;
  const std::string_view unit = text.substr(pos);
  bool percent = false;
  double scale = 1.0;
  if (unit.empty() || unit == "px") {
  } else if (unit == "%") {
    percent = true;
  } else if (unit == "pt") {
    scale = 96.0 / 72.0;
  } else if (unit == "pc") {
    scale = 16.0;
  } else if (unit == "in") {
    scale = 96.0;
  } else if (unit == "cm") {
    scale = 96.0 / 2.54;
  } else if (unit == "mm") {
    scale = 96.0 / 25.4;
  } else {
    return false;
  }
  out.value = v * scale;
  out.percent = percent;
  return true;
}

bool ParseLength(std::string_view text, double reference, double& out) {
  SvgLength length;
  if (!ParseLength(text, length)) return false;
  out = length.percent ? length.value / 100.0 * reference : length.value;
  return true;
}

}  // namespace fx::igraphics::svg
