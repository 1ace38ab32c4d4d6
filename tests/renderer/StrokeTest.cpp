// Strokes: caps and joins against their analytic outlines.
#include <cmath>
#include <numbers>

#include "RendererFixture.h"

namespace fx::vg::test {
namespace {

constexpr Rgba kWhite{255, 255, 255, 255};

class StrokeTest : public RendererFixture {
 protected:
  void horizontal(LineCap cap, float width) {
    canvas->begin();
    renderer->beginPath();
    renderer->moveTo(12, 20);
    renderer->lineTo(52, 20);
    renderer->strokeColor(Color::rgba(1, 1, 1, 1));
    renderer->strokeWidth(width);
    renderer->lineCap(cap);
    renderer->stroke();
    canvas->end();
  }
  // An L from (10, 40) right to (40, 40), then up to (40, 10).
  void corner(LineJoin join, float miterLimit = 10.0f) {
    canvas->begin();
    renderer->beginPath();
    renderer->moveTo(10, 40);
    renderer->lineTo(40, 40);
    renderer->lineTo(40, 10);
    renderer->strokeColor(Color::rgba(1, 1, 1, 1));
    renderer->strokeWidth(8);
    renderer->lineJoin(join);
    renderer->miterLimit(miterLimit);
    renderer->stroke();
    canvas->end();
  }
};

TEST_F(StrokeTest, ButtCapEndsAtTheEndpoints) {
  horizontal(LineCap::Butt, 4);
  EXPECT_NEAR(canvas->coverage(), 40.0 * 4.0, 2.0);
  for (int x = 12; x < 52; ++x) {
    ASSERT_TRUE(pixelNear(*canvas, x, 18, kWhite));
    ASSERT_TRUE(pixelNear(*canvas, x, 21, kWhite));
    ASSERT_TRUE(pixelNear(*canvas, x, 17, kClear));
    ASSERT_TRUE(pixelNear(*canvas, x, 22, kClear));
  }
  EXPECT_TRUE(pixelNear(*canvas, 11, 20, kClear));
  EXPECT_TRUE(pixelNear(*canvas, 52, 20, kClear));
}

TEST_F(StrokeTest, SquareCapExtendsByHalfTheWidth) {
  horizontal(LineCap::Square, 4);
  EXPECT_NEAR(canvas->coverage(), 44.0 * 4.0, 2.0);
  EXPECT_TRUE(pixelNear(*canvas, 10, 19, kWhite));
  EXPECT_TRUE(pixelNear(*canvas, 53, 20, kWhite));
  EXPECT_TRUE(pixelNear(*canvas, 9, 20, kClear));
  EXPECT_TRUE(pixelNear(*canvas, 54, 20, kClear));
}

TEST_F(StrokeTest, RoundCapAddsHalfDiscs) {
  horizontal(LineCap::Round, 8);
  EXPECT_NEAR(canvas->coverage(), 40.0 * 8.0 + std::numbers::pi * 16.0, 3.0);
  // Inside the disc about (12, 20) of radius 4, and outside its corner.
  EXPECT_TRUE(pixelNear(*canvas, 9, 19, kWhite));
  EXPECT_TRUE(pixelNear(*canvas, 8, 16, kClear));
  EXPECT_TRUE(pixelNear(*canvas, 54, 20, kWhite));
}

TEST_F(StrokeTest, MiterJoinFillsTheCorner) {
  corner(LineJoin::Miter);
  // The outer corner of the miter is (44, 44).
  EXPECT_TRUE(pixelNear(*canvas, 43, 43, kWhite));
  EXPECT_TRUE(pixelNear(*canvas, 44, 44, kClear));
  EXPECT_TRUE(pixelNear(*canvas, 25, 38, kWhite));
  EXPECT_TRUE(pixelNear(*canvas, 42, 25, kWhite));
}

TEST_F(StrokeTest, BevelJoinCutsTheCorner) {
  corner(LineJoin::Bevel);
  // The bevel runs from (40, 44) to (44, 40): x + y = 84.
  EXPECT_TRUE(pixelNear(*canvas, 43, 43, kClear));
  EXPECT_TRUE(pixelNear(*canvas, 41, 41, kWhite));
  EXPECT_NEAR(canvas->alpha(42, 41), 128, 40);  // centre on the bevel line
}

TEST_F(StrokeTest, RoundJoinFollowsTheArc) {
  corner(LineJoin::Round);
  // Radius 4 about (40, 40): (41.5, 42.5) is inside, (43.5, 43.5) outside.
  EXPECT_TRUE(pixelNear(*canvas, 41, 42, kWhite));
  EXPECT_TRUE(pixelNear(*canvas, 43, 43, kClear));
  EXPECT_TRUE(pixelNear(*canvas, 42, 40, kWhite));
  // On the arc's fringe: (42.5, 42.5) is 3.54 from the centre, 0.96 covered.
  EXPECT_NEAR(canvas->alpha(42, 42), 245, 12);
}

TEST_F(StrokeTest, MiterLimitFallsBackToBevel) {
  // The right-angle miter is sqrt(2) widths long; a limit of 1.2 refuses it.
  corner(LineJoin::Miter, 1.2f);
  EXPECT_TRUE(pixelNear(*canvas, 43, 43, kClear));
  EXPECT_TRUE(pixelNear(*canvas, 41, 41, kWhite));
}

TEST_F(StrokeTest, TranslucentStrokeTouchesEachPixelOnce) {
  canvas->begin();
  renderer->beginPath();
  // Crosses itself at (32, 32), and overlaps at the inner side of the corner.
  renderer->moveTo(8, 32);
  renderer->lineTo(56, 32);
  renderer->lineTo(56, 56);
  renderer->lineTo(32, 56);
  renderer->lineTo(32, 8);
  renderer->strokeColor(Color::rgba(1, 1, 1, 0.5f));
  renderer->strokeWidth(6);
  renderer->stroke();
  canvas->end();
  EXPECT_TRUE(pixelNear(*canvas, 32, 32, {128, 128, 128, 128}));
  EXPECT_TRUE(pixelNear(*canvas, 20, 32, {128, 128, 128, 128}));
  EXPECT_TRUE(pixelNear(*canvas, 54, 34, {128, 128, 128, 128}));
}

TEST_F(StrokeTest, HairlineFadesByItsWidth) {
  canvas->begin();
  renderer->beginPath();
  renderer->moveTo(0, 20.5f);
  renderer->lineTo(64, 20.5f);
  renderer->strokeColor(Color::rgba(1, 1, 1, 1));
  renderer->strokeWidth(0.5f);
  renderer->stroke();
  canvas->end();
  EXPECT_NEAR(canvas->alpha(30, 20), 128, 4);
  EXPECT_EQ(canvas->alpha(30, 19), 0);
  EXPECT_NEAR(canvas->coverage(), 64 * 0.5, 1.5);
}

TEST_F(StrokeTest, ClosedPathJoinsAllCorners) {
  canvas->begin();
  renderer->beginPath();
  renderer->rect(16, 16, 32, 32);
  renderer->strokeColor(Color::rgba(1, 1, 1, 1));
  renderer->strokeWidth(4);
  renderer->stroke();
  canvas->end();
  // A square ring from 14 to 50 outside, 18 to 46 inside, mitered corners.
  EXPECT_NEAR(canvas->coverage(), 36.0 * 36.0 - 28.0 * 28.0, 4.0);
  EXPECT_TRUE(pixelNear(*canvas, 14, 14, kWhite));
  EXPECT_TRUE(pixelNear(*canvas, 49, 49, kWhite));
  EXPECT_TRUE(pixelNear(*canvas, 32, 32, kClear));
}

TEST_F(StrokeTest, WidthScalesWithTransform) {
  canvas->begin();
  renderer->scale(2, 2);
  renderer->beginPath();
  renderer->moveTo(6, 10);
  renderer->lineTo(26, 10);
  renderer->strokeColor(Color::rgba(1, 1, 1, 1));
  renderer->strokeWidth(2);  // 4 device pixels
  renderer->stroke();
  canvas->end();
  EXPECT_NEAR(canvas->coverage(), 40.0 * 4.0, 2.0);
  EXPECT_TRUE(pixelNear(*canvas, 30, 18, kWhite));
  EXPECT_TRUE(pixelNear(*canvas, 30, 22, kClear));
}

}  // namespace
}  // namespace fx::vg::test
