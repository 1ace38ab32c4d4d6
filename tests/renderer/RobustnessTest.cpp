// Bad input never crashes and never poisons later drawing.
#include <cmath>
#include <limits>
#include <numbers>

#include "RendererFixture.h"

namespace fx::vg::test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

class RobustnessTest : public RendererFixture {
 protected:
  // A known square after the abuse proves the state survived.
  void drawProbe() {
    renderer->resetTransform();
    renderer->resetScissor();
    renderer->globalAlpha(1);
    renderer->globalCompositeOperation(CompositeOperation::SourceOver);
    renderer->beginPath();
    renderer->rect(40, 40, 10, 10);
    renderer->fillColor(Color::rgba(0, 1, 0, 1));
    renderer->fill();
  }
  void expectOnlyProbe() {
    EXPECT_NEAR(canvas->coverage(40, 40, 50, 50), 100.0, 0.5);
    EXPECT_EQ(canvas->coverage() - canvas->coverage(40, 40, 50, 50), 0.0);
  }
};

TEST_F(RobustnessTest, NonFiniteCoordinatesAreIgnored) {
  canvas->begin();
  for (float bad : {kNaN, kInf, -kInf}) {
    renderer->beginPath();
    renderer->moveTo(bad, 5);
    renderer->lineTo(10, bad);
    renderer->bezierTo(bad, 1, 2, 3, 4, 5);
    renderer->quadTo(1, bad, 3, 4);
    renderer->arc(bad, 10, 5, 0, 1, ArcDirection::Clockwise);
    renderer->arc(10, 10, bad, 0, 1, ArcDirection::Clockwise);
    renderer->arc(10, 10, 5, bad, 1, ArcDirection::Clockwise);
    renderer->rect(bad, 0, 10, 10);
    renderer->circle(10, 10, bad);
    renderer->fill();
    renderer->stroke();
  }
  drawProbe();
  canvas->end();
  expectOnlyProbe();
}

TEST_F(RobustnessTest, HugeCoordinatesAreIgnored) {
  canvas->begin();
  renderer->beginPath();
  renderer->moveTo(1e30f, 5);
  renderer->lineTo(10, -1e30f);
  renderer->lineTo(40, 1e20f);
  renderer->rect(1e30f, 0, 10, 10);
  renderer->circle(10, 10, 1e30f);
  renderer->arc(10, 10, 1e30f, 0, 1, ArcDirection::Clockwise);
  renderer->fill();
  renderer->stroke();
  drawProbe();
  canvas->end();
  expectOnlyProbe();
}

TEST_F(RobustnessTest, NonFiniteStateIsIgnored) {
  canvas->begin();
  renderer->translate(kNaN, 0);
  renderer->scale(kInf, 1);
  renderer->rotate(kNaN);
  renderer->transform(1, 0, 0, 1, kInf, 0);
  renderer->strokeWidth(kNaN);
  renderer->globalAlpha(kNaN);
  renderer->miterLimit(kInf);
  renderer->fontSize(kNaN);
  renderer->scissor(kNaN, 0, 10, 10);
  renderer->fillColor(Color::rgba(kNaN, 0, 0, 1));
  renderer->fillPaint(Paint::linearGradient(kNaN, 0, 1, 1, Color::rgba(1, 0, 0, 1), Color::rgba(0, 0, 1, 1)));
  renderer->fillPaint(Paint::boxGradient(0, 0, 10, 10, kInf, 2, Color::rgba(1, 0, 0, 1), Color::rgba(0, 0, 1, 1)));
  renderer->fillPaint(Paint::imagePattern(0, 0, 10, 10, kNaN, 1, 1));
  // Still the identity transform and the default white fill: this square lands where it says.
  renderer->beginPath();
  renderer->rect(40, 40, 10, 10);
  renderer->fill();
  canvas->end();
  EXPECT_NEAR(canvas->coverage(40, 40, 50, 50), 100.0, 0.5);
  EXPECT_EQ(canvas->coverage() - canvas->coverage(40, 40, 50, 50), 0.0);
  EXPECT_TRUE(pixelNear(*canvas, 45, 45, {255, 255, 255, 255}));
}

TEST_F(RobustnessTest, SingularTransformDrawsNothing) {
  canvas->begin();
  renderer->scale(0, 0);
  renderer->beginPath();
  renderer->rect(0, 0, 30, 30);
  renderer->fill();
  renderer->stroke();
  renderer->fillPaint(Paint::radialGradient(0, 0, 1, 2, Color::rgba(1, 1, 1, 1), Color::rgba(0, 0, 0, 1)));
  renderer->fill();
  drawProbe();
  canvas->end();
  expectOnlyProbe();
}

TEST_F(RobustnessTest, ZeroLengthSegmentsShowOnlyRoundAndSquareCaps) {
  const double r = 4;
  for (LineCap cap : {LineCap::Butt, LineCap::Round, LineCap::Square}) {
    for (LineJoin join : {LineJoin::Miter, LineJoin::Round, LineJoin::Bevel}) {
      canvas->begin();
      renderer->beginPath();
      renderer->moveTo(20, 20);
      renderer->lineTo(20, 20);
      renderer->lineTo(20, 20);
      renderer->lineCap(cap);
      renderer->lineJoin(join);
      renderer->strokeWidth(static_cast<float>(2 * r));
      renderer->strokeColor(Color::rgba(1, 1, 1, 1));
      renderer->stroke();
      canvas->end();
      const double expected = cap == LineCap::Butt ? 0.0 : cap == LineCap::Round ? std::numbers::pi * r * r : 4 * r * r;
      EXPECT_NEAR(canvas->coverage(), expected, 1.5) << static_cast<int>(cap) << "/" << static_cast<int>(join);
    }
  }
}

TEST_F(RobustnessTest, DegenerateArcs) {
  canvas->begin();
  renderer->beginPath();
  renderer->arc(20, 20, 0, 0, 3, ArcDirection::Clockwise);
  renderer->arc(20, 20, 10, 1, 1, ArcDirection::CounterClockwise);
  renderer->arc(20, 20, 10, -1e30f, 1e30f, ArcDirection::Clockwise);
  renderer->arc(20, 20, -5, 0, 1, ArcDirection::Clockwise);
  renderer->arc(20, 20, 10, 0, 1, static_cast<ArcDirection>(77));
  renderer->fill();
  renderer->stroke();
  canvas->end();
  // The one real arc is a full circle of radius 10 (from -1e30 to 1e30); an
  // unknown direction is ignored.
  EXPECT_NEAR(canvas->coverage(), std::numbers::pi * 100, std::numbers::pi * 100 * 0.05);
  canvas->begin();
  renderer->beginPath();
  renderer->arc(32, 32, 10, 0, 0, ArcDirection::Clockwise);
  renderer->fill();
  drawProbe();
  canvas->end();
  expectOnlyProbe();
}

TEST_F(RobustnessTest, EmptyPathsAndFramesDrawNothing) {
  canvas->begin();
  renderer->beginPath();
  renderer->fill();
  renderer->stroke();
  renderer->closePath();
  renderer->pathWinding(Winding::Hole);
  renderer->pathWinding(static_cast<Winding>(9));
  renderer->fill();
  renderer->moveTo(5, 5);
  renderer->fill();  // one point is no area
  renderer->lineTo(30, 5);
  renderer->fill();  // nor is a line
  canvas->end();
  EXPECT_EQ(canvas->coverage(), 0.0);
  EXPECT_EQ(renderer->lastFrameStats().drawCalls, 0);
  // Outside a frame, drawing is ignored; ending twice is harmless.
  renderer->beginPath();
  renderer->rect(0, 0, 10, 10);
  renderer->fill();
  renderer->endFrame();
  renderer->endFrame();
  canvas->begin();
  canvas->end();
  EXPECT_EQ(canvas->coverage(), 0.0);
}

TEST_F(RobustnessTest, UnbalancedStateStack) {
  canvas->begin();
  for (int i = 0; i < 10; ++i) renderer->restore();
  for (int i = 0; i < 1000; ++i) {
    renderer->save();
    renderer->translate(1, 0);
  }
  for (int i = 0; i < 1000; ++i) renderer->restore();
  drawProbe();
  canvas->end();
  expectOnlyProbe();
}

TEST_F(RobustnessTest, ImageDeletedWhileQueuedIsSkipped) {
  const std::vector<std::uint8_t> px(4 * 4 * 4, 255);
  const int image = renderer->createImageRGBA(4, 4, 0, px);
  canvas->begin();
  renderer->fillPaint(Paint::imagePattern(0, 0, 20, 20, 0, image, 1));
  renderer->beginPath();
  renderer->rect(0, 0, 20, 20);
  renderer->fill();
  renderer->deleteImage(image);
  renderer->fillPaint(Paint::imagePattern(0, 0, 20, 20, 0, image, 1));
  renderer->fill();
  renderer->fillPaint(Paint::imagePattern(0, 0, 0, 0, 0, 4242, 1));
  renderer->fill();
  drawProbe();
  canvas->end();
  expectOnlyProbe();
}

TEST_F(RobustnessTest, BadFrameSizes) {
  for (float bad : {0.0f, -1.0f, kNaN, kInf}) {
    renderer->beginFrame(bad, 10, 1);
    renderer->beginPath();
    renderer->rect(0, 0, 5, 5);
    renderer->fill();
    renderer->cancelFrame();
    renderer->beginFrame(10, 10, bad);
    renderer->cancelFrame();
  }
  canvas->begin();
  drawProbe();
  canvas->end();
  expectOnlyProbe();
}

}  // namespace
}  // namespace fx::vg::test
