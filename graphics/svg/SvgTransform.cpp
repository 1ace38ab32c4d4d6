#include "graphics/svg/SvgTransform.h"

#include <cmath>
#include <numbers>

#include "graphics/svg/SvgLimits.h"
#include "graphics/svg/SvgNumber.h"

namespace fx::igraphics::svg {
namespace {

// Cosine and sine of an angle in degrees, exact at multiples of 90.
void CosSin(double degrees, double& c, double& s) {
  const double r = std::fmod(degrees, 360.0);
  if (std::fmod(r, 90.0) == 0.0) {
    const int quarter = static_cast<int>((r < 0.0 ? r + 360.0 : r) / 90.0) % 4;
    constexpr double kCos[] = {1.0, 0.0, -1.0, 0.0}, kSin[] = {0.0, 1.0, 0.0, -1.0};
    c = kCos[quarter];
    s = kSin[quarter];
    return;
  }
  const double radians = r * std::numbers::pi / 180.0;
  c = std::cos(radians);
  s = std::sin(radians);
}

double TanDegrees(double degrees) {
  const double r = std::fmod(degrees, 180.0);
  if (r == 0.0) return 0.0;
  if (std::fabs(r) == 45.0) return r > 0 ? 1.0 : -1.0;
  if (std::fabs(r) == 135.0) return r > 0 ? -1.0 : 1.0;
  return std::tan(r * std::numbers::pi / 180.0);
}

// Reads "(n, n ...)" into args; count receives how many there were.
bool ReadArguments(std::string_view text, std::size_t& pos, double* args, int maxCount, int& count) {
  SkipSpace(text, pos);
  if (pos >= text.size() || text[pos] != '(') return false;
  ++pos;
  SkipSpace(text, pos);
  count = 0;
  while (pos < text.size() && text[pos] != ')') {
    if (count == maxCount || !ScanNumber(text, pos, args[count])) return false;
    ++count;
    SkipCommaSpace(text, pos);
  }
  if (pos >= text.size()) return false;
  ++pos;  // ')'
  return true;
}

}  // namespace

SvgMatrix SvgMatrix::Rotation(double degrees) {
  double c = 1.0, s = 0.0;
  CosSin(degrees, c, s);
  return {c, s, -s, c, 0.0, 0.0};
}

SvgMatrix SvgMatrix::SkewX(double degrees) { return {1.0, 0.0, TanDegrees(degrees), 1.0, 0.0, 0.0}; }
SvgMatrix SvgMatrix::SkewY(double degrees) { return {1.0, TanDegrees(degrees), 0.0, 1.0, 0.0, 0.0}; }

bool ParseTransform(std::string_view text, SvgMatrix& out) {
  SvgMatrix result;
  std::size_t pos = 0;
  SkipSpace(text, pos);
  while (pos < text.size()) {
    const std::size_t start = pos;
    while (pos < text.size() && ((text[pos] >= 'a' && text[pos] <= 'z') || (text[pos] >= 'A' && text[pos] <= 'Z'))) ++pos;
    const std::string_view name = text.substr(start, pos - start);
    double args[6] = {};
    int n = 0;
    if (!ReadArguments(text, pos, args, 6, n)) return false;
    SvgMatrix m;
    if (name == "matrix" && n == 6) {
      m = {args[0], args[1], args[2], args[3], args[4], args[5]};
    } else if (name == "translate" && (n == 1 || n == 2)) {
      m = SvgMatrix::Translation(args[0], n == 2 ? args[1] : 0.0);
    } else if (name == "scale" && (n == 1 || n == 2)) {
      m = SvgMatrix::Scaling(args[0], n == 2 ? args[1] : args[0]);
    } else if (name == "rotate" && n == 1) {
      m = SvgMatrix::Rotation(args[0]);
    } else if (name == "rotate" && n == 3) {
      m = SvgMatrix::Translation(args[1], args[2]) * SvgMatrix::Rotation(args[0]) *
          SvgMatrix::Translation(-args[1], -args[2]);
    } else if (name == "skewX" && n == 1) {
      m = SvgMatrix::SkewX(args[0]);
    } else if (name == "skewY" && n == 1) {
      m = SvgMatrix::SkewY(args[0]);
    } else {
      return false;
    }
    result = result * m;
    SkipCommaSpace(text, pos);
  }
  out = result;
  return true;
}

bool ToIMatrix(const SvgMatrix& m, IMatrix& out) {
  for (double v : {m.a, m.b, m.c, m.d, m.e, m.f})
    if (!(std::fabs(v) <= kMaxMagnitude)) return false;
  out = {static_cast<float>(m.a), static_cast<float>(m.b), static_cast<float>(m.c),
         static_cast<float>(m.d), static_cast<float>(m.e), static_cast<float>(m.f)};
  return true;
}

}  // namespace fx::igraphics::svg
