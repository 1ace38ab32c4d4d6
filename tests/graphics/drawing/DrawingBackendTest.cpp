// The backend's decisions that need no GL: blend mapping, colours, the
// bitmap-extension test, its name, and the process-wide font-data cache.
#include <gtest/gtest.h>

#include <string>

#include "DrawingTestSupport.h"
#include "graphics/drawing/BlendComposite.h"
#include "graphics/drawing/FontDataCache.h"
#include "graphics/drawing/IGraphicsVector.h"

namespace fx::igraphics {
namespace {

using fx::vg::BlendFactor;
using fx::vg::CompositeOperation;

TEST(BlendMapping, NoBlendIsSourceOverAndTypesZeroToSevenAreTheRendererOperations) {
  EXPECT_EQ(CompositeForBlend(nullptr).kind, BlendComposite::Kind::Operation);
  EXPECT_EQ(CompositeForBlend(nullptr).operation, CompositeOperation::SourceOver);
  const CompositeOperation expected[] = {CompositeOperation::SourceOver,      CompositeOperation::SourceIn,
                                         CompositeOperation::SourceOut,       CompositeOperation::Atop,
                                         CompositeOperation::DestinationOver, CompositeOperation::DestinationIn,
                                         CompositeOperation::DestinationOut,  CompositeOperation::DestinationAtop};
  for (std::int32_t type = 0; type < 8; ++type) {
    const IBlendMode blend{type, 1.0f};
    const BlendComposite c = CompositeForBlend(&blend);
    EXPECT_EQ(c.kind, BlendComposite::Kind::Operation) << type;
    EXPECT_EQ(c.operation, expected[type]) << type;
    EXPECT_EQ(static_cast<int>(c.operation), type);
  }
}

TEST(BlendMapping, TypeEightIsExplicitFactorsTypeNineXorOthersUnchanged) {
  const IBlendMode eight{8, 1.0f}, nine{9, 0.5f}, ten{10, 1.0f}, negative{-1, 1.0f};
  const BlendComposite f = CompositeForBlend(&eight);
  EXPECT_EQ(f.kind, BlendComposite::Kind::Factors);
  EXPECT_EQ(static_cast<int>(f.source), 64);        // source alpha
  EXPECT_EQ(static_cast<int>(f.destination), 256);  // destination alpha
  const BlendComposite x = CompositeForBlend(&nine);
  EXPECT_EQ(x.kind, BlendComposite::Kind::Operation);
  EXPECT_EQ(static_cast<int>(x.operation), 10);
  EXPECT_EQ(CompositeForBlend(&ten).kind, BlendComposite::Kind::Unchanged);
  EXPECT_EQ(CompositeForBlend(&negative).kind, BlendComposite::Kind::Unchanged);
}

TEST(BlendMapping, ColoursScaleToUnitAndAlphaTakesTheWeight) {
  const IArgb c{128, 255, 51, 0};
  const fx::vg::Color plain = RendererColour(c, nullptr);
  EXPECT_FLOAT_EQ(plain.r, 1.0f);
  EXPECT_FLOAT_EQ(plain.g, 0.2f);
  EXPECT_FLOAT_EQ(plain.b, 0.0f);
  EXPECT_FLOAT_EQ(plain.a, 128.0f / 255.0f);
  const IBlendMode disabled{0, 0.25f};
  EXPECT_FLOAT_EQ(RendererColour(c, &disabled).a, 128.0f / 255.0f * 0.25f);
  EXPECT_FLOAT_EQ(RendererColour(c, &disabled).r, 1.0f);  // colour itself untouched
  // Out-of-range components and weights are clamped, a NaN weight counts as 1.
  const IBlendMode nanWeight{0, std::nanf("")}, heavy{0, 3.0f};
  EXPECT_FLOAT_EQ(RendererColour(IArgb{300, -5, 0, 0}, nullptr).a, 1.0f);
  EXPECT_FLOAT_EQ(RendererColour(IArgb{300, -5, 0, 0}, nullptr).r, 0.0f);
  EXPECT_FLOAT_EQ(RendererColour(c, &nanWeight).a, 128.0f / 255.0f);
  EXPECT_FLOAT_EQ(RendererColour(c, &heavy).a, 128.0f / 255.0f);
}

TEST(BitmapExtension, PngJpgAndJpegInAnyCaseWithinThirtyTwoCharacters) {
  EXPECT_TRUE(IGraphicsVector::IsSupportedBitmapName("KNOB.PNG"));
  EXPECT_TRUE(IGraphicsVector::IsSupportedBitmapName("png"));
  EXPECT_TRUE(IGraphicsVector::IsSupportedBitmapName("Ombriskbackground.jpg"));
  EXPECT_TRUE(IGraphicsVector::IsSupportedBitmapName("photo.JPeG"));
  EXPECT_FALSE(IGraphicsVector::IsSupportedBitmapName("anim.gif"));
  EXPECT_FALSE(IGraphicsVector::IsSupportedBitmapName("gif"));
  EXPECT_FALSE(IGraphicsVector::IsSupportedBitmapName("vector.svg"));
  EXPECT_FALSE(IGraphicsVector::IsSupportedBitmapName(""));
  EXPECT_FALSE(IGraphicsVector::IsSupportedBitmapName(nullptr));
  // Only the first 32 characters count.
  const std::string longName = std::string(32, 'a') + ".png";
  EXPECT_FALSE(IGraphicsVector::IsSupportedBitmapName(longName.c_str()));
  EXPECT_TRUE(IGraphicsVector::IsSupportedBitmapName((std::string(29, 'a') + "PNG").c_str()));
  EXPECT_FALSE(IGraphicsVector::IsSupportedBitmapName((std::string(30, 'a') + "PNG").c_str()));
}

TEST(VectorContext, NameAndNothingDrawnOrLoadedWithoutAView) {
  test::TestDelegate delegate;
  IGraphicsVector g(delegate, 100, 50, 60, 0.5f);
  EXPECT_STREQ(g.GetDrawingAPIStr(), "Vector | GL2");
  EXPECT_TRUE(g.BitmapExtSupported("a.PNG"));
  EXPECT_FALSE(g.BitmapExtSupported("a.gif"));
  EXPECT_EQ(g.PagePixelWidth(), 50);
  EXPECT_EQ(g.PagePixelHeight(), 25);
  // Without a renderer every operation is a safe no-op.
  g.BeginFrame();
  g.PathMove(0, 0);
  g.PathAddLine(10, 10);
  g.PathFillWith(IPattern::Solid(IArgb{}), IFillOptions{}, nullptr);
  g.EndFrame();
  EXPECT_EQ(g.NFramesBegun(), 0);
  EXPECT_EQ(g.GetRenderer(), nullptr);
  EXPECT_EQ(g.CreateAPIBitmap(10, 10, 1, 1.0f), nullptr);
  IBounds r{1, 2, 3, 4};
  EXPECT_EQ(g.MeasureString(ITextStyle{}, "text", r), 0.0f);
  EXPECT_EQ(r, IBounds(1, 2, 3, 4));
  g.OnViewInitialized(nullptr);
  EXPECT_EQ(g.GetRenderer(), nullptr);
}

TEST(FontDataCache, SharedWhileAnyContextLivesFetchedOnce) {
  test::TestDelegate delegate;
  const std::int32_t before = FontDataCache::Users();
  int fetches = 0;
  auto fetch = [&](std::vector<std::uint8_t>& data) {
    ++fetches;
    data = {1, 2, 3};
    return true;
  };
  {
    IGraphicsVector a(delegate, 10, 10, 60, 1.0f);
    EXPECT_EQ(FontDataCache::Users(), before + 1);
    {
      IGraphicsVector b(delegate, 10, 10, 60, 1.0f);
      EXPECT_EQ(FontDataCache::Users(), before + 2);
      ASSERT_TRUE(FontDataCache::FindOrAdd("cache-test", fetch));
    }
    // b is gone, a still holds the cache.
    auto again = FontDataCache::FindOrAdd("cache-test", fetch);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(fetches, 1);
    // Empty data is not cached.
    EXPECT_FALSE(FontDataCache::FindOrAdd("empty", [](std::vector<std::uint8_t>&) { return true; }));
    EXPECT_FALSE(FontDataCache::Contains("empty"));
  }
  if (before == 0) {
    EXPECT_EQ(FontDataCache::Size(), 0u);  // the last context emptied it
    EXPECT_FALSE(FontDataCache::Contains("cache-test"));
  }
}

}  // namespace
}  // namespace fx::igraphics
