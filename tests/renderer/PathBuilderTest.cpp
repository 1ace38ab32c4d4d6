#include "renderer/PathBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace fx::vg {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(PathBuilder, FlattenedCurveStaysWithinTolerance) {
  // A cubic quarter circle of radius 100 (control distance 4/3 tan(pi/8) r).
  const float k = 55.228475f;
  PathBuilder p;
  p.moveTo({100, 0});
  p.bezierTo({100, k}, {k, 100}, {0, 100});
  for (float tol : {0.25f, 1.0f}) {
    const auto contours = p.flatten(tol);
    ASSERT_EQ(contours.size(), 1u);
    const auto& pts = contours[0].points;
    ASSERT_GT(pts.size(), 4u);
    // The cubic differs from the circle by 0.027%; chords may sag by the tolerance.
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
      const float mx = (pts[i].x + pts[i + 1].x) / 2, my = (pts[i].y + pts[i + 1].y) / 2;
      EXPECT_NEAR(std::hypot(mx, my), 100.0f, tol + 0.05f);
    }
  }
  // A finer tolerance needs more points.
  EXPECT_GT(p.flatten(0.1f)[0].points.size(), p.flatten(2.0f)[0].points.size());
}

TEST(PathBuilder, DropsNonFiniteCommands) {
  PathBuilder p;
  p.moveTo({0, 0});
  p.lineTo({kNaN, 1});
  p.lineTo({10, kInf});
  p.bezierTo({1, 1}, {kNaN, 2}, {3, 3});
  p.lineTo({10, 0});
  const auto c = p.flatten(0.25f);
  ASSERT_EQ(c.size(), 1u);
  ASSERT_EQ(c[0].points.size(), 2u);
  EXPECT_FLOAT_EQ(c[0].points[1].x, 10.0f);
}

TEST(PathBuilder, RemovesDuplicatesAndClosingPoint) {
  PathBuilder p;
  p.moveTo({0, 0});
  p.lineTo({0, 0});
  p.lineTo({10, 0});
  p.lineTo({10, 10});
  p.lineTo({0, 0});
  const auto c = p.flatten(0.25f);
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].points.size(), 3u);
  EXPECT_TRUE(c[0].closed);
}

TEST(PathBuilder, WindingAppliesToCurrentSubPath) {
  PathBuilder p;
  p.moveTo({0, 0});
  p.lineTo({1, 0});
  p.lineTo({1, 1});
  p.close();
  p.setWinding(Winding::Hole);
  p.moveTo({5, 5});
  p.lineTo({6, 5});
  const auto c = p.flatten(0.25f);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].winding, Winding::Hole);
  EXPECT_EQ(c[1].winding, Winding::Solid);
}

TEST(PathBuilder, EmptyPathFlattensToNothing) {
  PathBuilder p;
  EXPECT_TRUE(p.flatten(0.25f).empty());
  p.close();
  p.setWinding(Winding::Hole);
  EXPECT_TRUE(p.flatten(0.25f).empty());
}

}  // namespace
}  // namespace fx::vg
