#include "renderer/StrokeTessellator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace fx::vg {
namespace {

// Integral of the coverage over the triangles: linear coverage integrates to
// the mean of the three corner values times the area. Overlaps count twice.
double coveredArea(const std::vector<Vertex>& v) {
  double sum = 0;
  for (std::size_t i = 0; i + 2 < v.size(); i += 3) {
    const double a = 0.5 * static_cast<double>(std::fabs((v[i + 1].x - v[i].x) * (v[i + 2].y - v[i].y) -
                                                         (v[i + 2].x - v[i].x) * (v[i + 1].y - v[i].y)));
    sum += a * static_cast<double>(v[i].cover + v[i + 1].cover + v[i + 2].cover) / 3.0;
  }
  return sum;
}

Contour line(Point a, Point b) {
  Contour c;
  c.points = {a, b};
  return c;
}

TEST(StrokeTessellator, ButtLineCoversLengthTimesWidth) {
  StrokeStyle s;
  s.width = 4;
  const auto v = StrokeTessellator::tessellate({line({0, 0}, {40, 0})}, s, 0.25f);
  EXPECT_NEAR(coveredArea(v), 160.0, 1.0);
}

TEST(StrokeTessellator, SquareCapsAddHalfWidthAtEachEnd) {
  StrokeStyle s;
  s.width = 4;
  s.cap = LineCap::Square;
  EXPECT_NEAR(coveredArea(StrokeTessellator::tessellate({line({0, 0}, {40, 0})}, s, 0.25f)), 44.0 * 4.0, 1.0);
}

TEST(StrokeTessellator, RoundCapsAddADisc) {
  StrokeStyle s;
  s.width = 10;
  s.cap = LineCap::Round;
  const double expected = 40.0 * 10.0 + std::numbers::pi * 25.0;
  EXPECT_NEAR(coveredArea(StrokeTessellator::tessellate({line({0, 0}, {40, 0})}, s, 0.1f)), expected, 2.0);
}

TEST(StrokeTessellator, ZeroLengthShowsOnlyRoundAndSquareCaps) {
  Contour dot;
  dot.points = {{5, 5}};
  StrokeStyle s;
  s.width = 6;
  EXPECT_TRUE(StrokeTessellator::tessellate({dot}, s, 0.25f).empty());
  s.cap = LineCap::Square;
  EXPECT_NEAR(coveredArea(StrokeTessellator::tessellate({dot}, s, 0.25f)), 36.0, 1.0);
  s.cap = LineCap::Round;
  EXPECT_NEAR(coveredArea(StrokeTessellator::tessellate({dot}, s, 0.05f)), std::numbers::pi * 9.0, 1.0);
}

TEST(StrokeTessellator, MiterLimitTurnsSharpMitersIntoBevels) {
  // A 30-degree corner: the miter is 1/sin(15deg) = 3.86 widths long.
  Contour c;
  c.points = {{0, 0}, {100, 0}, {100 - 100 * std::cos(0.5236f), 100 * std::sin(0.5236f)}};
  StrokeStyle s;
  s.width = 10;
  s.join = LineJoin::Miter;
  s.miterLimit = 4.0f;
  const double miter = coveredArea(StrokeTessellator::tessellate({c}, s, 0.25f));
  s.miterLimit = 3.0f;
  const double limited = coveredArea(StrokeTessellator::tessellate({c}, s, 0.25f));
  s.join = LineJoin::Bevel;
  const double bevel = coveredArea(StrokeTessellator::tessellate({c}, s, 0.25f));
  EXPECT_NEAR(limited, bevel, 1e-3);
  EXPECT_GT(miter, bevel + 10.0);
}

TEST(StrokeTessellator, InvalidWidthGivesNothing) {
  StrokeStyle s;
  s.width = std::nanf("");
  EXPECT_TRUE(StrokeTessellator::tessellate({line({0, 0}, {1, 0})}, s, 0.25f).empty());
  s.width = -1;
  EXPECT_TRUE(StrokeTessellator::tessellate({line({0, 0}, {1, 0})}, s, 0.25f).empty());
}

}  // namespace
}  // namespace fx::vg
