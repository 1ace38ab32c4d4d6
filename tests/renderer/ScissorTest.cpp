// Scissor rectangles in user space: axis-aligned, intersected, transformed.
#include <cmath>
#include <numbers>
#include <vector>

#include "RendererFixture.h"

namespace fx::vg::test {
namespace {

class ScissorTest : public RendererFixture {
 protected:
  void fillCanvas() {
    renderer->fillColor(Color::rgba(1, 1, 1, 1));
    renderer->beginPath();
    renderer->rect(-100, -100, 300, 300);
    renderer->fill();
  }
  bool onlyInside(int x0, int y0, int x1, int y1) {
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        const bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
        if (!pixelNear(*canvas, x, y, inside ? Rgba{255, 255, 255, 255} : Rgba{0, 0, 0, 0}, 1)) {
          ADD_FAILURE() << pixelNear(*canvas, x, y, inside ? Rgba{255, 255, 255, 255} : Rgba{0, 0, 0, 0}, 1).message();
          return false;
        }
      }
    return true;
  }
};

TEST_F(ScissorTest, ClipsToTheRectangle) {
  canvas->begin();
  renderer->scissor(10, 12, 20, 30);
  fillCanvas();
  canvas->end();
  EXPECT_TRUE(onlyInside(10, 12, 30, 42));
}

TEST_F(ScissorTest, IntersectNarrowsTheCurrentScissor) {
  canvas->begin();
  renderer->scissor(10, 10, 30, 30);
  renderer->intersectScissor(20, 5, 40, 20);
  fillCanvas();
  canvas->end();
  EXPECT_TRUE(onlyInside(20, 10, 40, 25));
}

TEST_F(ScissorTest, DisjointIntersectionDrawsNothing) {
  canvas->begin();
  renderer->scissor(0, 0, 10, 10);
  renderer->intersectScissor(20, 20, 10, 10);
  fillCanvas();
  canvas->end();
  EXPECT_EQ(canvas->coverage(), 0.0);
}

TEST_F(ScissorTest, RestoreBringsBackThePreviousScissor) {
  canvas->begin();
  renderer->scissor(0, 0, 16, 16);
  renderer->save();
  renderer->scissor(40, 40, 10, 10);
  renderer->restore();
  fillCanvas();
  canvas->end();
  EXPECT_TRUE(onlyInside(0, 0, 16, 16));
}

TEST_F(ScissorTest, ScissorFollowsTheTransform) {
  canvas->begin();
  renderer->scale(0.5f, 0.5f);
  renderer->scissor(20, 20, 40, 40);  // device 10..30
  fillCanvas();
  canvas->end();
  EXPECT_TRUE(onlyInside(10, 10, 30, 30));
}

TEST_F(ScissorTest, RotatedScissorClipsToADiamond) {
  canvas->begin();
  renderer->translate(32, 32);
  renderer->rotate(std::numbers::pi_v<float> / 4);
  renderer->scissor(-10, -10, 20, 20);
  renderer->resetTransform();
  fillCanvas();
  canvas->end();
  EXPECT_NEAR(canvas->coverage(), 400.0, 4.0);
  EXPECT_EQ(canvas->alpha(32, 32), 255);
  EXPECT_EQ(canvas->alpha(43, 32), 255);  // along the diagonal of the square: reaches 14.1
  EXPECT_EQ(canvas->alpha(41, 41), 0);    // the axis-aligned corner is cut off
}

TEST_F(ScissorTest, SoftEdgesOfAFractionalScissorAreKept) {
  // Pixel centres a quarter pixel inside the edges are three quarters covered.
  canvas->begin();
  renderer->scissor(10.25f, 12.5f, 20.5f, 30.0f);
  fillCanvas();
  canvas->end();
  EXPECT_NEAR(canvas->alpha(10, 20), 191, 1);
  EXPECT_NEAR(canvas->alpha(30, 20), 191, 1);
  EXPECT_EQ(canvas->alpha(9, 20), 0);
  EXPECT_EQ(canvas->alpha(31, 20), 0);
  EXPECT_NEAR(canvas->alpha(20, 12), 128, 1);  // a centre on the edge: half
  EXPECT_EQ(canvas->alpha(20, 13), 255);
  EXPECT_EQ(canvas->alpha(20, 11), 0);
  // The same at one and a half device pixels per unit.
  canvas->begin(1.5f);
  renderer->scissor(7.0f, 8.0f, 13.5f, 20.0f);  // device 10.5 .. 30.75
  fillCanvas();
  canvas->end();
  EXPECT_NEAR(canvas->alpha(10, 20), 128, 1);
  EXPECT_NEAR(canvas->alpha(30, 20), 191, 1);
  EXPECT_EQ(canvas->alpha(9, 20), 0);
  EXPECT_EQ(canvas->alpha(31, 20), 0);
}

// On pixel edges the GL box alone clips (the soft mask would be 1 inside, 0
// outside): inside, the very pixels of the unclipped draw; outside, the
// destination untouched. At one and a half device pixels per unit too.
TEST_F(ScissorTest, AScissorOnPixelEdgesKeepsTheUnclippedPixelsInsideExactly) {
  std::vector<std::uint8_t> px(16 * 16 * 4);
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<std::uint8_t>(i * 37 % 251);
  for (std::size_t i = 3; i < px.size(); i += 4) px[i] = 255;
  const int image = renderer->createImageRGBA(16, 16, 0, px);
  for (const float ratio : {1.0f, 1.5f}) {
    const auto draw = [&](bool clipped) {
      canvas->begin(ratio);
      renderer->fillColor(Color::rgba(0, 0, 1, 1));
      renderer->beginPath();
      renderer->rect(0, 0, 64, 64);
      renderer->fill();
      if (clipped) renderer->scissor(6.0f / ratio * 2, 8.0f / ratio * 2, 20.0f / ratio * 2, 14.0f / ratio * 2);
      renderer->translate(3, 5);
      renderer->rotate(0.3f);
      renderer->fillPaint(Paint::imagePattern(0, 0, 30, 30, 0.2f, image, 0.8f));
      renderer->beginPath();
      renderer->rect(-10, -10, 50, 50);
      renderer->fill();
      renderer->resetTransform();
      canvas->end();
      std::vector<Rgba> out;
      for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) out.push_back(canvas->pixel(x, y));
      return out;
    };
    const std::vector<Rgba> whole = draw(false), clipped = draw(true);
    int inside = 0, wrong = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        const bool in = x >= 12 && x < 52 && y >= 16 && y < 44;  // device 12..52 by 16..44
        const Rgba got = clipped[static_cast<std::size_t>(y * 64 + x)];
        inside += in ? 1 : 0;
        wrong += got != (in ? whole[static_cast<std::size_t>(y * 64 + x)] : Rgba{0, 0, 255, 255});
      }
    EXPECT_EQ(inside, 40 * 28);
    EXPECT_EQ(wrong, 0) << "at " << ratio << " device pixels per unit";
  }
}

TEST_F(ScissorTest, ACopyStillClearsWhatTheScissorMasksOut) {
  // A masked-out source is transparent black: copied, it clears the
  // destination outside the scissor too, as every blending that does not
  // keep the destination under a transparent source.
  canvas->begin();
  fillCanvas();
  renderer->scissor(16, 16, 32, 32);
  renderer->globalCompositeOperation(CompositeOperation::Copy);
  renderer->fillColor(Color::rgba(1, 0, 0, 1));
  renderer->beginPath();
  renderer->rect(0, 0, 64, 32);
  renderer->fill();
  canvas->end();
  EXPECT_EQ(canvas->pixel(20, 20), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(canvas->alpha(4, 4), 0);     // in the shape, outside the scissor
  EXPECT_EQ(canvas->alpha(4, 40), 255);  // outside the shape
}

TEST_F(ScissorTest, ClipsImagesAndStrokesToo) {
  const std::vector<std::uint8_t> px(4 * 4 * 4, 255);
  const int image = renderer->createImageRGBA(4, 4, 0, px);
  canvas->begin();
  renderer->scissor(0, 0, 32, 64);
  renderer->fillPaint(Paint::imagePattern(0, 0, 64, 64, 0, image, 1));
  renderer->beginPath();
  renderer->rect(0, 0, 64, 32);
  renderer->fill();
  renderer->beginPath();
  renderer->moveTo(0, 48);
  renderer->lineTo(64, 48);
  renderer->strokeWidth(4);
  renderer->strokeColor(Color::rgba(1, 1, 1, 1));
  renderer->stroke();
  canvas->end();
  EXPECT_NEAR(canvas->coverage(), 32.0 * 32.0 + 32.0 * 4.0, 3.0);
  EXPECT_EQ(canvas->alpha(40, 10), 0);
  EXPECT_EQ(canvas->alpha(40, 48), 0);
  EXPECT_EQ(canvas->alpha(20, 48), 255);
}

}  // namespace
}  // namespace fx::vg::test
