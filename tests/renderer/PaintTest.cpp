// Gradients and image patterns against their defining formulas.
#include <algorithm>
#include <cmath>
#include <utility>
#include <numbers>
#include <vector>

#include "RendererFixture.h"

namespace fx::vg::test {
namespace {

class PaintTest : public RendererFixture {
 protected:
  void fillAll(const Paint& p) {
    renderer->fillPaint(p);
    renderer->beginPath();
    renderer->rect(0, 0, 64, 64);
    renderer->fill();
  }
  // 2 x 2: red, green / blue, white.
  int quadImage(int flags, std::uint8_t alpha = 255) {
    const std::vector<std::uint8_t> px = {255, 0, 0, alpha, 0, 255, 0, alpha, 0, 0, 255, alpha, 255, 255, 255, alpha};
    return renderer->createImageRGBA(2, 2, flags, px);
  }
};

TEST_F(PaintTest, LinearGradientInterpolatesAlongItsAxis) {
  canvas->begin();
  fillAll(Paint::linearGradient(0, 0, 64, 0, Color::rgba(1, 0, 0, 1), Color::rgba(0, 0, 1, 1)));
  canvas->end();
  for (int x : {0, 15, 32, 50, 63}) {
    const double t = (x + 0.5) / 64.0;
    const int r = static_cast<int>(std::lround(255 * (1 - t))), b = static_cast<int>(std::lround(255 * t));
    EXPECT_TRUE(pixelNear(*canvas, x, 10, {r, 0, b, 255}, 2));
    EXPECT_TRUE(pixelNear(*canvas, x, 60, {r, 0, b, 255}, 2));
  }
}

TEST_F(PaintTest, LinearGradientClampsBeyondItsEnds) {
  canvas->begin();
  fillAll(Paint::linearGradient(20, 0, 40, 0, Color::rgba(1, 0, 0, 1), Color::rgba(0, 1, 0, 1)));
  canvas->end();
  EXPECT_TRUE(pixelNear(*canvas, 5, 5, {255, 0, 0, 255}));
  EXPECT_TRUE(pixelNear(*canvas, 60, 5, {0, 255, 0, 255}));
}

TEST_F(PaintTest, RadialGradientFollowsDistance) {
  canvas->begin();
  fillAll(Paint::radialGradient(32, 32, 8, 24, Color::rgba(1, 1, 1, 1), Color::rgba(1, 1, 1, 0)));
  canvas->end();
  for (auto [x, y] : {std::pair{32, 32}, {44, 32}, {32, 50}, {40, 40}, {60, 60}}) {
    const double d = std::hypot(x + 0.5 - 32, y + 0.5 - 32);
    const double t = std::clamp((d - 8) / 16, 0.0, 1.0);
    const int a = static_cast<int>(std::lround(255 * (1 - t)));
    EXPECT_TRUE(pixelNear(*canvas, x, y, {a, a, a, a}, 2));
  }
}

TEST_F(PaintTest, BoxGradientFeathersTheRoundedRectangleEdge) {
  canvas->begin();
  fillAll(Paint::boxGradient(16, 16, 32, 32, 4, 8, Color::rgba(1, 0, 0, 1), Color::rgba(1, 0, 0, 0)));
  canvas->end();
  // Signed distance to the rectangle edge d, t = d / feather + 1/2.
  const auto expectAlpha = [&](int x, int y, double d) {
    const double t = std::clamp(d / 8 + 0.5, 0.0, 1.0);
    const int a = static_cast<int>(std::lround(255 * (1 - t)));
    EXPECT_TRUE(pixelNear(*canvas, x, y, {a, 0, 0, a}, 2)) << "distance " << d;
  };
  expectAlpha(32, 32, -15.5);
  expectAlpha(16, 32, -0.5);
  expectAlpha(12, 32, 3.5);
  expectAlpha(4, 32, 11.5);
  // Corner: distance to the arc of radius 4 about (20, 20).
  expectAlpha(14, 14, std::hypot(20 - 14.5, 20 - 14.5) - 4);
}

TEST_F(PaintTest, ImagePatternMapsTexelsToItsRectangle) {
  const int image = quadImage(ImageNearest);
  ASSERT_NE(image, 0);
  canvas->begin();
  renderer->fillPaint(Paint::imagePattern(16, 16, 32, 32, 0, image, 1));
  renderer->beginPath();
  renderer->rect(16, 16, 32, 32);
  renderer->fill();
  canvas->end();
  EXPECT_TRUE(pixelNear(*canvas, 20, 20, {255, 0, 0, 255}));
  EXPECT_TRUE(pixelNear(*canvas, 44, 20, {0, 255, 0, 255}));
  EXPECT_TRUE(pixelNear(*canvas, 20, 44, {0, 0, 255, 255}));
  EXPECT_TRUE(pixelNear(*canvas, 44, 44, {255, 255, 255, 255}));
  EXPECT_TRUE(pixelNear(*canvas, 10, 10, {0, 0, 0, 0}));
}

TEST_F(PaintTest, ImagePatternUnderRotationAndAlpha) {
  const int image = quadImage(ImageNearest);
  canvas->begin();
  renderer->translate(32, 32);
  renderer->rotate(std::numbers::pi_v<float> / 2);  // a quarter turn clockwise
  renderer->fillPaint(Paint::imagePattern(-16, -16, 32, 32, 0, image, 0.5f));
  renderer->beginPath();
  renderer->rect(-16, -16, 32, 32);
  renderer->fill();
  canvas->end();
  // Red (top left) moved to the top right, at half alpha, premultiplied.
  EXPECT_TRUE(pixelNear(*canvas, 44, 20, {128, 0, 0, 128}));
  EXPECT_TRUE(pixelNear(*canvas, 44, 44, {0, 128, 0, 128}));
  EXPECT_TRUE(pixelNear(*canvas, 20, 44, {128, 128, 128, 128}));
  EXPECT_TRUE(pixelNear(*canvas, 20, 20, {0, 0, 128, 128}));
}

TEST_F(PaintTest, PatternAngleRotatesTheImageAlone) {
  const int image = quadImage(ImageNearest);
  canvas->begin();
  // Rotated a half turn about its corner (48, 48): it spans 16..48 again.
  renderer->fillPaint(Paint::imagePattern(48, 48, 32, 32, std::numbers::pi_v<float>, image, 1));
  renderer->beginPath();
  renderer->rect(16, 16, 32, 32);
  renderer->fill();
  canvas->end();
  EXPECT_TRUE(pixelNear(*canvas, 44, 44, {255, 0, 0, 255}));
  EXPECT_TRUE(pixelNear(*canvas, 20, 20, {255, 255, 255, 255}));
}

TEST_F(PaintTest, StraightAlphaImagesArePremultipliedOnce) {
  const int straight = quadImage(ImageNearest, 128);
  const std::vector<std::uint8_t> pre = {128, 0, 0, 128, 0, 128, 0, 128, 0, 0, 128, 128, 128, 128, 128, 128};
  const int premultiplied = renderer->createImageRGBA(2, 2, ImageNearest | ImagePremultiplied, pre);
  canvas->begin();
  renderer->fillPaint(Paint::imagePattern(0, 0, 32, 32, 0, straight, 1));
  renderer->beginPath();
  renderer->rect(0, 0, 32, 32);
  renderer->fill();
  renderer->fillPaint(Paint::imagePattern(32, 32, 32, 32, 0, premultiplied, 1));
  renderer->beginPath();
  renderer->rect(32, 32, 32, 32);
  renderer->fill();
  canvas->end();
  EXPECT_TRUE(pixelNear(*canvas, 4, 4, {128, 0, 0, 128}));
  EXPECT_TRUE(pixelNear(*canvas, 36, 36, {128, 0, 0, 128}));
}

TEST_F(PaintTest, RepeatFlagsTileThePattern) {
  const int image = quadImage(ImageNearest | ImageRepeatX | ImageRepeatY);
  canvas->begin();
  fillAll(Paint::imagePattern(0, 0, 8, 8, 0, image, 1));
  canvas->end();
  EXPECT_TRUE(pixelNear(*canvas, 17, 1, {255, 0, 0, 255}));
  EXPECT_TRUE(pixelNear(*canvas, 21, 1, {0, 255, 0, 255}));
  EXPECT_TRUE(pixelNear(*canvas, 57, 61, {0, 0, 255, 255}));
  EXPECT_TRUE(pixelNear(*canvas, 61, 61, {255, 255, 255, 255}));
}

TEST_F(PaintTest, FlipYShowsTheLastRowOnTop) {
  const int image = quadImage(ImageNearest | ImageFlipY);
  canvas->begin();
  fillAll(Paint::imagePattern(0, 0, 64, 64, 0, image, 1));
  canvas->end();
  EXPECT_TRUE(pixelNear(*canvas, 10, 10, {0, 0, 255, 255}));
  EXPECT_TRUE(pixelNear(*canvas, 10, 50, {255, 0, 0, 255}));
}

TEST_F(PaintTest, LinearFilteringBlendsNeighbouringTexels) {
  // 2 x 1, black then white, stretched over 64 pixels: texel centres at 16 and 48.
  const std::vector<std::uint8_t> px = {0, 0, 0, 255, 255, 255, 255, 255};
  const int image = renderer->createImageRGBA(2, 1, 0, px);
  canvas->begin();
  fillAll(Paint::imagePattern(0, 0, 64, 64, 0, image, 1));
  canvas->end();
  const int mid = static_cast<int>(std::lround(255 * (32.5 - 16) / 32));
  EXPECT_TRUE(pixelNear(*canvas, 32, 5, {mid, mid, mid, 255}, 3));
  EXPECT_TRUE(pixelNear(*canvas, 5, 5, {0, 0, 0, 255}, 1));
}

TEST_F(PaintTest, GlobalAlphaScalesEveryPaint) {
  canvas->begin();
  renderer->globalAlpha(0.5f);
  renderer->fillColor(Color::rgba(0, 1, 0, 1));
  renderer->beginPath();
  renderer->rect(0, 0, 32, 64);
  renderer->fill();
  renderer->fillPaint(Paint::linearGradient(32, 0, 64, 0, Color::rgba(1, 0, 0, 1), Color::rgba(1, 0, 0, 1)));
  renderer->beginPath();
  renderer->rect(32, 0, 32, 64);
  renderer->fill();
  canvas->end();
  EXPECT_TRUE(pixelNear(*canvas, 10, 10, {0, 128, 0, 128}));
  EXPECT_TRUE(pixelNear(*canvas, 50, 10, {128, 0, 0, 128}));
}

}  // namespace
}  // namespace fx::vg::test
