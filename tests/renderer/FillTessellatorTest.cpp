#include "renderer/FillTessellator.h"

#include <gtest/gtest.h>

#include <cmath>

namespace fx::vg {
namespace {

double triangleArea(const std::vector<Vertex>& v) {
  double sum = 0;
  for (std::size_t i = 0; i + 2 < v.size(); i += 3)
    sum += 0.5 * static_cast<double>((v[i + 1].x - v[i].x) * (v[i + 2].y - v[i].y) -
                                     (v[i + 2].x - v[i].x) * (v[i + 1].y - v[i].y));
  return sum;
}

Contour square(float x, float y, float s, Winding w = Winding::Solid) {
  Contour c;
  c.points = {{x, y}, {x + s, y}, {x + s, y + s}, {x, y + s}};
  c.closed = true;
  c.winding = w;
  return c;
}

TEST(FillTessellator, SignedAreaIsPositiveForScreenClockwise) {
  EXPECT_FLOAT_EQ(FillTessellator::signedArea(square(0, 0, 10).points), 100.0f);
  auto pts = square(0, 0, 10).points;
  std::reverse(pts.begin(), pts.end());
  EXPECT_FLOAT_EQ(FillTessellator::signedArea(pts), -100.0f);
}

TEST(FillTessellator, ConvexityTest) {
  EXPECT_TRUE(FillTessellator::isConvex(square(0, 0, 1).points));
  EXPECT_FALSE(FillTessellator::isConvex({{0, 0}, {4, 0}, {2, 1}, {4, 4}, {0, 4}}));  // dent
  // Pentagram: turns one way only, but twice around.
  std::vector<Point> star;
  for (int i = 0; i < 5; ++i) {
    const double a = i * 4.0 * 3.14159265 / 5.0;
    star.push_back({static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a))});
  }
  EXPECT_FALSE(FillTessellator::isConvex(star));
}

TEST(FillTessellator, ConvexInteriorIsInsetByHalfAPixel) {
  std::vector<Contour> c{square(0, 0, 10)};
  const FillGeometry g = FillTessellator::tessellate(c, true);
  ASSERT_TRUE(g.convex);
  EXPECT_NEAR(std::fabs(triangleArea(g.interior)), 9.0 * 9.0, 1e-3);
  // The fringe spans one pixel across the outline: 4 sides of ~10.
  EXPECT_NEAR(std::fabs(triangleArea(g.fringe)), 40.0, 1e-3);
}

TEST(FillTessellator, HoleIsOrientedAgainstSolid) {
  std::vector<Contour> c{square(0, 0, 10), square(2, 2, 4, Winding::Hole)};
  const FillGeometry g = FillTessellator::tessellate(c, false);
  EXPECT_FALSE(g.convex);
  EXPECT_GT(FillTessellator::signedArea(c[0].points), 0.0f);
  EXPECT_LT(FillTessellator::signedArea(c[1].points), 0.0f);
  // Signed fan areas add up to the filled area.
  EXPECT_NEAR(triangleArea(g.interior), 100.0 - 16.0, 1e-3);
  EXPECT_EQ(g.cover.size(), 6u);
}

TEST(FillTessellator, DegenerateContoursGiveNothing) {
  std::vector<Contour> c(1);
  c[0].points = {{1, 1}, {2, 2}};
  EXPECT_TRUE(FillTessellator::tessellate(c, true).empty());
  std::vector<Contour> none;
  EXPECT_TRUE(FillTessellator::tessellate(none, true).empty());
}

}  // namespace
}  // namespace fx::vg
