#pragma once
// Reading helpers and readable printing of commands and paints for the
// reader tests.

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <string_view>

#include "graphics/svg/SvgReader.h"

namespace fx::igraphics::svg {

inline std::ostream& operator<<(std::ostream& os, const SvgPathCommand& c) {
  switch (c.kind) {
    case SvgPathCommand::Kind::Move: return os << "M " << c.x3 << ' ' << c.y3;
    case SvgPathCommand::Kind::Line: return os << "L " << c.x3 << ' ' << c.y3;
    case SvgPathCommand::Kind::Cubic:
      return os << "C " << c.x1 << ' ' << c.y1 << ' ' << c.x2 << ' ' << c.y2 << ' ' << c.x3 << ' ' << c.y3;
    case SvgPathCommand::Kind::Close: return os << "Z";
  }
  return os << "?";
}

}  // namespace fx::igraphics::svg

namespace svg_test {

using namespace fx::igraphics::svg;
using fx::igraphics::IArgb;
using Kind = SvgPathCommand::Kind;

inline SvgPathCommand M(float x, float y) { return {Kind::Move, 0, 0, 0, 0, x, y}; }
inline SvgPathCommand L(float x, float y) { return {Kind::Line, 0, 0, 0, 0, x, y}; }
inline SvgPathCommand C(float x1, float y1, float x2, float y2, float x, float y) {
  return {Kind::Cubic, x1, y1, x2, y2, x, y};
}
inline SvgPathCommand Z() { return {Kind::Close, 0, 0, 0, 0, 0, 0}; }

// The document read; a failed read fails the test.
inline SvgImage Read(std::string_view text) {
  SvgImage image;
  std::string error;
  EXPECT_TRUE(ReadSvg(text, image, &error)) << error << "\n" << text;
  return image;
}

// A document of 100 x 100 units around the given content.
inline std::string Doc(std::string_view content) {
  return "<svg xmlns='http://www.w3.org/2000/svg' width='100' height='100'>" + std::string(content) + "</svg>";
}

// The path of the only shape of a document made of content.
inline SvgPath PathOf(std::string_view content) {
  const SvgImage image = Read(Doc(content));
  EXPECT_EQ(image.shapes.size(), 1u) << content;
  return image.shapes.empty() ? SvgPath{} : image.shapes[0].path;
}

inline SvgPath PathData(std::string_view d) { return PathOf("<path d='" + std::string(d) + "'/>"); }

// The point at t of the cubic that is command i (i > 0) of path.
inline void CubicPoint(const SvgPath& path, std::size_t i, double t, double& x, double& y) {
  const SvgPathCommand& p = path[i - 1];
  const SvgPathCommand& c = path[i];
  const double u = 1.0 - t;
  const double a = u * u * u, b = 3.0 * u * u * t, d = 3.0 * u * t * t, e = t * t * t;
  x = a * double{p.x3} + b * double{c.x1} + d * double{c.x2} + e * double{c.x3};
  y = a * double{p.y3} + b * double{c.y1} + d * double{c.y2} + e * double{c.y3};
}

// Commands equal within tolerance.
inline ::testing::AssertionResult Near(const SvgPath& actual, const SvgPath& expected, float tolerance = 1e-4f) {
  if (actual.size() != expected.size()) {
    auto result = ::testing::AssertionFailure() << actual.size() << " commands, expected " << expected.size() << ":";
    for (const auto& c : actual) result << "\n  " << c;
    return result;
  }
  for (std::size_t i = 0; i < actual.size(); ++i) {
    const SvgPathCommand& a = actual[i];
    const SvgPathCommand& e = expected[i];
    const float d[] = {a.x1 - e.x1, a.y1 - e.y1, a.x2 - e.x2, a.y2 - e.y2, a.x3 - e.x3, a.y3 - e.y3};
    bool close = a.kind == e.kind;
    for (float v : d) close = close && std::fabs(v) <= tolerance;
    if (!close) return ::testing::AssertionFailure() << "command " << i << " is " << a << ", expected " << e;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace svg_test
