#include "renderer/Transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace fx::vg {
namespace {

TEST(Transform, ComposesRightToLeft) {
  // Scale first, then translate.
  const Transform t = Transform::translation(10, 20) * Transform::scaling(2, 3);
  const Point p = t.apply(1, 1);
  EXPECT_FLOAT_EQ(p.x, 12.0f);
  EXPECT_FLOAT_EQ(p.y, 23.0f);
}

TEST(Transform, RotationIsClockwiseOnScreen) {
  // +90 degrees takes +x to +y, which points down on screen.
  const Point p = Transform::rotation(std::numbers::pi_v<float> / 2).apply(1, 0);
  EXPECT_NEAR(p.x, 0.0f, 1e-6f);
  EXPECT_NEAR(p.y, 1.0f, 1e-6f);
}

TEST(Transform, InverseUndoes) {
  const Transform t = Transform::translation(5, -7) * Transform::rotation(0.3f) * Transform::scaling(2, 0.5f);
  Transform inv;
  ASSERT_TRUE(t.inverse(inv));
  const Point p = (inv * t).apply(3.5f, -2.25f);
  EXPECT_NEAR(p.x, 3.5f, 1e-5f);
  EXPECT_NEAR(p.y, -2.25f, 1e-5f);
}

TEST(Transform, SingularAndNonFiniteHaveNoInverse) {
  Transform inv;
  EXPECT_FALSE(Transform::scaling(0, 1).inverse(inv));
  EXPECT_FALSE(Transform::scaling(std::numeric_limits<float>::quiet_NaN(), 1).inverse(inv));
  EXPECT_FALSE(Transform::scaling(std::numeric_limits<float>::infinity(), 1).isFinite());
}

TEST(Transform, AverageScaleIgnoresRotation) {
  EXPECT_NEAR((Transform::rotation(1.1f) * Transform::scaling(2, 4)).averageScale(), 3.0f, 1e-5f);
}

}  // namespace
}  // namespace fx::vg
