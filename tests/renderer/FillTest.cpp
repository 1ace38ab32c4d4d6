// Fills checked against analytic geometry: exact pixels for pixel-aligned
// edges, covered area for curved and slanted ones.
#include <cmath>
#include <numbers>

#include "RendererFixture.h"

namespace fx::vg::test {
namespace {

constexpr Rgba kRed{255, 0, 0, 255};
constexpr double kPi = std::numbers::pi;

class FillTest : public RendererFixture {};

TEST_F(FillTest, PixelAlignedRectangleIsExact) {
  canvas->begin();
  renderer->beginPath();
  renderer->rect(10, 12, 20, 30);
  renderer->fillColor(Color::rgba(1, 0, 0, 1));
  renderer->fill();
  canvas->end();
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const bool inside = x >= 10 && x < 30 && y >= 12 && y < 42;
      ASSERT_TRUE(pixelNear(*canvas, x, y, inside ? kRed : kClear, 1));
    }
}

TEST_F(FillTest, HalfPixelEdgesCoverHalfTheirPixels) {
  canvas->begin();
  renderer->beginPath();
  renderer->rect(10.5f, 10.0f, 20.0f, 20.0f);
  renderer->fillColor(Color::rgba(1, 1, 1, 1));
  renderer->fill();
  canvas->end();
  EXPECT_NEAR(canvas->alpha(10, 20), 128, 4);
  EXPECT_NEAR(canvas->alpha(30, 20), 128, 4);
  EXPECT_EQ(canvas->alpha(11, 20), 255);
  EXPECT_EQ(canvas->alpha(9, 20), 0);
  EXPECT_NEAR(canvas->coverage(), 400.0, 2.0);
}

TEST_F(FillTest, CircleCoversItsArea) {
  canvas->begin();
  renderer->beginPath();
  renderer->circle(32, 32, 20);
  renderer->fillColor(Color::rgba(1, 1, 1, 1));
  renderer->fill();
  canvas->end();
  EXPECT_NEAR(canvas->coverage(), kPi * 400.0, kPi * 400.0 * 0.01);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const double d = std::hypot(x + 0.5 - 32.0, y + 0.5 - 32.0);
      if (d < 19.0) {
        ASSERT_EQ(canvas->alpha(x, y), 255) << x << "," << y;
      }
      if (d > 21.0) {
        ASSERT_EQ(canvas->alpha(x, y), 0) << x << "," << y;
      }
    }
}

// An L: the square 8..56 without its top-right quarter (32..56 x 8..32).
void lShape(Renderer& r) {
  r.beginPath();
  r.moveTo(8, 8);
  r.lineTo(32, 8);
  r.lineTo(32, 32);
  r.lineTo(56, 32);
  r.lineTo(56, 56);
  r.lineTo(8, 56);
  r.closePath();
}

TEST_F(FillTest, ConcaveShapeFillsOnlyItsInside) {
  canvas->begin();
  lShape(*renderer);
  renderer->fillColor(Color::rgba(1, 0, 0, 1));
  renderer->fill();
  canvas->end();
  const double area = 48.0 * 48.0 - 24.0 * 24.0;
  // Edges inside the stencil path may gain up to half a pixel.
  EXPECT_NEAR(canvas->coverage(), area, area * 0.03);
  EXPECT_TRUE(pixelNear(*canvas, 20, 20, kRed));
  EXPECT_TRUE(pixelNear(*canvas, 45, 45, kRed));
  EXPECT_TRUE(pixelNear(*canvas, 44, 20, kClear));  // the notch
  EXPECT_TRUE(pixelNear(*canvas, 34, 30, kClear));
  EXPECT_TRUE(pixelNear(*canvas, 60, 60, kClear));
}

TEST_F(FillTest, SelfIntersectingStarFillsCentreByNonzeroRule) {
  canvas->begin();
  renderer->beginPath();
  // Pentagram: every second point of a regular pentagon; the centre has winding 2.
  for (int i = 0; i < 5; ++i) {
    const double a = -kPi / 2 + i * 4.0 * kPi / 5.0;
    const float x = static_cast<float>(32 + 28 * std::cos(a)), y = static_cast<float>(32 + 28 * std::sin(a));
    i == 0 ? renderer->moveTo(x, y) : renderer->lineTo(x, y);
  }
  renderer->closePath();
  renderer->fillColor(Color::rgba(1, 0, 0, 1));
  renderer->fill();
  canvas->end();
  EXPECT_TRUE(pixelNear(*canvas, 32, 32, kRed));
  EXPECT_TRUE(pixelNear(*canvas, 32, 8, kRed));  // the top arm
  EXPECT_TRUE(pixelNear(*canvas, 10, 10, kClear));
  // Between the two lower arms, below the inner pentagon.
  EXPECT_TRUE(pixelNear(*canvas, 32, 56, kClear));
}

TEST_F(FillTest, HoleLeavesItsInsideEmpty) {
  canvas->begin();
  renderer->beginPath();
  renderer->rect(8, 8, 48, 48);
  // Same direction as the outer square: the winding flag alone makes it a hole.
  renderer->rect(20, 20, 24, 24);
  renderer->pathWinding(Winding::Hole);
  renderer->fillColor(Color::rgba(1, 0, 0, 1));
  renderer->fill();
  canvas->end();
  EXPECT_TRUE(pixelNear(*canvas, 32, 32, kClear));
  EXPECT_TRUE(pixelNear(*canvas, 21, 21, kClear));
  EXPECT_TRUE(pixelNear(*canvas, 14, 32, kRed));
  EXPECT_TRUE(pixelNear(*canvas, 50, 50, kRed));
  const double area = 48.0 * 48.0 - 24.0 * 24.0;
  EXPECT_NEAR(canvas->coverage(), area, area * 0.03);
}

TEST_F(FillTest, ClockwiseCircleAsHoleInCounterClockwiseOne) {
  canvas->begin();
  renderer->beginPath();
  renderer->arc(32, 32, 28, 0, 2 * std::numbers::pi_v<float>, ArcDirection::Clockwise);
  renderer->closePath();
  renderer->moveTo(44, 32);  // a new sub-path, or the arc would join the first
  renderer->arc(32, 32, 12, 0, 2 * std::numbers::pi_v<float>, ArcDirection::Clockwise);
  renderer->closePath();
  renderer->pathWinding(Winding::Hole);
  renderer->fillColor(Color::rgba(1, 1, 1, 1));
  renderer->fill();
  canvas->end();
  const double area = kPi * (28.0 * 28.0 - 12.0 * 12.0);
  EXPECT_NEAR(canvas->coverage(), area, area * 0.03);
  EXPECT_EQ(canvas->alpha(32, 32), 0);
  EXPECT_EQ(canvas->alpha(32, 12), 255);
}

class FillScaleTest : public FillTest, public ::testing::WithParamInterface<float> {};

TEST_P(FillScaleTest, CircleAreaHoldsUnderScale) {
  const float s = GetParam();
  canvas->begin();
  renderer->scale(s, s);
  renderer->beginPath();
  // 20 device pixels of radius whatever the scale.
  renderer->circle(32 / s, 32 / s, 20 / s);
  renderer->fillColor(Color::rgba(1, 1, 1, 1));
  renderer->fill();
  renderer->beginPath();
  // And a device-aligned square in the corner stays exact.
  renderer->rect(0, 0, 6 / s, 6 / s);
  renderer->fill();
  canvas->end();
  EXPECT_NEAR(canvas->coverage(8, 8, 64, 64), kPi * 400.0, kPi * 400.0 * 0.01);
  EXPECT_NEAR(canvas->coverage(0, 0, 8, 8), 36.0, 0.5);
  EXPECT_EQ(canvas->alpha(5, 5), 255);
  EXPECT_EQ(canvas->alpha(6, 6), 0);
}

INSTANTIATE_TEST_SUITE_P(Scales, FillScaleTest, ::testing::Values(0.25f, 0.5f, 1.0f, 2.0f));

TEST_F(FillTest, PixelRatioScalesCanvasUnits) {
  canvas->begin(2.0f);  // a 32 x 32 unit canvas on 64 x 64 pixels
  renderer->beginPath();
  renderer->rect(4, 4, 8, 8);
  renderer->fillColor(Color::rgba(1, 0, 0, 1));
  renderer->fill();
  canvas->end();
  EXPECT_TRUE(pixelNear(*canvas, 8, 8, kRed));
  EXPECT_TRUE(pixelNear(*canvas, 23, 23, kRed));
  EXPECT_TRUE(pixelNear(*canvas, 24, 24, kClear));
  EXPECT_NEAR(canvas->coverage(), 256.0, 1.0);
}

TEST_F(FillTest, TriangleAreaWithSlantedEdges) {
  canvas->begin();
  renderer->beginPath();
  renderer->moveTo(5, 5);
  renderer->lineTo(59, 12);
  renderer->lineTo(20, 58);
  renderer->closePath();
  renderer->fillColor(Color::rgba(0, 0, 1, 1));
  renderer->fill();
  canvas->end();
  const double area = 0.5 * std::fabs((59.0 - 5) * (58.0 - 5) - (20.0 - 5) * (12.0 - 5));
  EXPECT_NEAR(canvas->coverage(), area, area * 0.01);
  EXPECT_TRUE(pixelNear(*canvas, 28, 25, {0, 0, 255, 255}));
}

TEST_F(FillTest, ConsecutiveFillsOfOneStateBatchIntoOneDraw) {
  canvas->begin();
  for (int i = 0; i < 10; ++i) {
    renderer->beginPath();
    renderer->rect(static_cast<float>(i * 6), 0, 5, 5);
    // Solid colours travel with the vertices, so they do not split batches.
    renderer->fillColor(Color::rgba(static_cast<float>(i) / 10.0f, 0, 1, 1));
    renderer->fill();
  }
  canvas->end();
  EXPECT_EQ(renderer->lastFrameStats().drawCalls, 1);
  EXPECT_TRUE(pixelNear(*canvas, 2, 2, {0, 0, 255, 255}));
  EXPECT_TRUE(pixelNear(*canvas, 56, 2, {230, 0, 255, 255}));
}

}  // namespace
}  // namespace fx::vg::test
