// Composite operations checked against the Porter-Duff equations on
// premultiplied colour: out = Fs * S + Fd * D, in each of the four regions
// of a source (top half) over a destination (left half).
#include <algorithm>
#include <array>
#include <functional>
#include <cmath>

#include "RendererFixture.h"
#include "renderer/ImageFlags.h"
#include "renderer/TextAlign.h"

namespace fx::vg::test {
namespace {

struct Factors {
  double fs, fd;
};

// Fs and Fd of each operation as functions of the source and destination alpha.
Factors porterDuff(CompositeOperation op, double as, double ad) {
  switch (op) {
    case CompositeOperation::SourceOver: return {1, 1 - as};
    case CompositeOperation::SourceIn: return {ad, 0};
    case CompositeOperation::SourceOut: return {1 - ad, 0};
    case CompositeOperation::Atop: return {ad, 1 - as};
    case CompositeOperation::DestinationOver: return {1 - ad, 1};
    case CompositeOperation::DestinationIn: return {0, as};
    case CompositeOperation::DestinationOut: return {0, 1 - as};
    case CompositeOperation::DestinationAtop: return {1 - ad, as};
    case CompositeOperation::Lighter: return {1, 1};
    case CompositeOperation::Copy: return {1, 0};
    case CompositeOperation::Xor: return {1 - ad, 1 - as};
  }
  return {0, 0};
}

using Premul = std::array<double, 4>;
constexpr Premul kSource{0.8, 0.0, 0.0, 0.8};        // red at 0.8
constexpr Premul kDestination{0.0, 0.0, 0.6, 0.6};   // blue at 0.6

Rgba toBytes(const Premul& c) {
  Rgba r{};
  for (std::size_t i = 0; i < 4; ++i) r[i] = static_cast<int>(std::lround(std::clamp(c[i], 0.0, 1.0) * 255));
  return r;
}

class CompositeTest : public RendererFixture, public ::testing::WithParamInterface<int> {
 protected:
  void drawScene(const std::function<void()>& setOperation) {
    canvas->begin();
    renderer->fillColor(Color::rgba(0, 0, 1, 0.6f));
    renderer->beginPath();
    renderer->rect(0, 0, 32, 64);
    renderer->fill();
    setOperation();
    renderer->fillColor(Color::rgba(1, 0, 0, 0.8f));
    renderer->beginPath();
    renderer->rect(0, 0, 64, 32);
    renderer->fill();
    canvas->end();
  }
};

TEST_P(CompositeTest, MatchesPorterDuff) {
  const auto op = static_cast<CompositeOperation>(GetParam());
  drawScene([&] { renderer->globalCompositeOperation(op); });
  const auto blend = [&](const Premul& s, const Premul& d) {
    const Factors f = porterDuff(op, s[3], d[3]);
    Premul out{};
    for (std::size_t i = 0; i < 4; ++i) out[i] = f.fs * s[i] + f.fd * d[i];
    return toBytes(out);
  };
  const Premul none{0, 0, 0, 0};
  EXPECT_TRUE(pixelNear(*canvas, 16, 16, blend(kSource, kDestination), 2)) << "both";
  EXPECT_TRUE(pixelNear(*canvas, 48, 16, blend(kSource, none), 2)) << "source only";
  // Outside the source's geometry nothing changes.
  EXPECT_TRUE(pixelNear(*canvas, 16, 48, toBytes(kDestination), 2)) << "destination only";
  EXPECT_TRUE(pixelNear(*canvas, 48, 48, {0, 0, 0, 0}, 0)) << "neither";
}

INSTANTIATE_TEST_SUITE_P(AllOperations, CompositeTest, ::testing::Range(0, kCompositeOperationCount));

class BlendFactorTest : public CompositeTest {};

TEST_F(BlendFactorTest, ExplicitFactorsApplyToColourAndAlpha) {
  drawScene([&] { renderer->globalCompositeBlendFunc(BlendFactor::SrcAlpha, BlendFactor::DstAlpha); });
  // out = S * as + D * ad, every channel.
  Premul both{}, sourceOnly{};
  for (std::size_t i = 0; i < 4; ++i) {
    both[i] = kSource[i] * kSource[3] + kDestination[i] * kDestination[3];
    sourceOnly[i] = kSource[i] * kSource[3];
  }
  EXPECT_TRUE(pixelNear(*canvas, 16, 16, toBytes(both), 2));
  EXPECT_TRUE(pixelNear(*canvas, 48, 16, toBytes(sourceOnly), 2));
}

TEST_F(BlendFactorTest, OperationStaysWithSavedState) {
  drawScene([&] {
    renderer->save();
    renderer->globalCompositeOperation(CompositeOperation::Copy);
    renderer->restore();
  });
  // Source-over again: S + (1 - as) D.
  Premul both{};
  for (std::size_t i = 0; i < 4; ++i) both[i] = kSource[i] + (1 - kSource[3]) * kDestination[i];
  EXPECT_TRUE(pixelNear(*canvas, 16, 16, toBytes(both), 2));
}

// The numbering is an interface: the drawing backend maps blend types by it.
TEST(RendererConstants, NumericValues) {
  EXPECT_EQ(static_cast<int>(CompositeOperation::SourceOver), 0);
  EXPECT_EQ(static_cast<int>(CompositeOperation::DestinationAtop), 7);
  EXPECT_EQ(static_cast<int>(CompositeOperation::Xor), 10);
  EXPECT_EQ(static_cast<int>(BlendFactor::SrcAlpha), 64);
  EXPECT_EQ(static_cast<int>(BlendFactor::DstAlpha), 256);
  EXPECT_EQ(ImageFlipY | ImagePremultiplied, 24);
  EXPECT_EQ(AlignLeft, 1);
  EXPECT_EQ(AlignCenter, 2);
  EXPECT_EQ(AlignRight, 4);
  EXPECT_EQ(AlignTop, 8);
  EXPECT_EQ(AlignMiddle, 16);
  EXPECT_EQ(AlignBottom, 32);
  EXPECT_EQ(static_cast<int>(Winding::Solid), 1);
  EXPECT_EQ(static_cast<int>(Winding::Hole), 2);
}

}  // namespace
}  // namespace fx::vg::test
