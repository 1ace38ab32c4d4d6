// The backend's decisions that need no GL: blend mapping, colours, the
// bitmap-extension test, its name, and the process-wide caches of font data
// and decoded artwork with the lifetime they share.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "DrawingTestSupport.h"
#include "graphics/drawing/BlendComposite.h"
#include "graphics/drawing/DecodedImageCache.h"
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
  ASSERT_EQ(FontDataCache::Shared::Current(), nullptr) << "no context, no cache";
  int fetches = 0;
  auto fetch = [&](std::vector<std::uint8_t>& data) {
    ++fetches;
    data = {1, 2, 3};
    return true;
  };
  std::weak_ptr<const std::vector<std::uint8_t>> held;
  {
    IGraphicsVector a(delegate, 10, 10, 60, 1.0f);
    EXPECT_EQ(FontDataCache::Shared::Users(), 1);
    {
      IGraphicsVector b(delegate, 10, 10, 60, 1.0f);
      EXPECT_EQ(FontDataCache::Shared::Users(), 2);
      EXPECT_EQ(&a.GetFontDataCache(), &b.GetFontDataCache()) << "one cache for the process";
      FontDataCache::Bytes bytes = b.GetFontDataCache().FindOrAdd("cache-test", fetch);
      ASSERT_TRUE(bytes);
      held = bytes;
    }
    // b is gone, a still holds the cache.
    auto again = a.GetFontDataCache().FindOrAdd("cache-test", fetch);
    ASSERT_TRUE(again);
    EXPECT_EQ(again, held.lock());
    EXPECT_EQ(fetches, 1);
    // Empty data is not cached.
    EXPECT_FALSE(a.GetFontDataCache().FindOrAdd("empty", [](std::vector<std::uint8_t>&) { return true; }));
    EXPECT_FALSE(a.GetFontDataCache().Contains("empty"));
    EXPECT_FALSE(a.GetFontDataCache().FindOrAdd("refused", [](std::vector<std::uint8_t>& d) {
      d = {1};
      return false;
    }));
    EXPECT_EQ(a.GetFontDataCache().Size(), 1u);
  }
  EXPECT_EQ(FontDataCache::Shared::Users(), 0);
  EXPECT_EQ(FontDataCache::Shared::Current(), nullptr) << "the last context freed the cache";
  EXPECT_TRUE(held.expired()) << "and the data with it";
}

// The lifetime shared by the process-wide caches: created by the first
// user, deleted by the last, created afresh by the next.
struct Counted {
  static inline int alive = 0;
  Counted() { ++alive; }
  ~Counted() { --alive; }
};

TEST(SharedByUsers, TheFirstUserCreatesTheLastDeletesTheNextCreatesAgain) {
  using Shared = SharedByUsers<Counted>;
  EXPECT_EQ(Shared::Current(), nullptr);
  {
    Shared::Handle a;
    EXPECT_EQ(Counted::alive, 1);
    {
      Shared::Handle b;
      EXPECT_EQ(a.get(), b.get());
      EXPECT_EQ(Shared::Users(), 2);
      EXPECT_EQ(Counted::alive, 1);
    }
    EXPECT_EQ(Shared::Current(), a.get());
  }
  EXPECT_EQ(Counted::alive, 0);
  EXPECT_EQ(Shared::Current(), nullptr);
  Shared::Leave();  // one leave too many changes nothing
  EXPECT_EQ(Shared::Users(), 0);
  Shared::Handle again;
  EXPECT_EQ(Counted::alive, 1);
  EXPECT_EQ(Shared::Users(), 1);
}

TEST(SharedByUsers, ContextsJoiningAndLeavingOnSeveralThreadsShareOneObject) {
  using Shared = SharedByUsers<Counted>;
  std::atomic<int> bad{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        Shared::Handle a;
        Shared::Handle b;
        if (a.get() != b.get() || Shared::Users() < 2) ++bad;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_EQ(Shared::Users(), 0);
  EXPECT_EQ(Counted::alive, 0);
}

// Decoded artwork: the second context gets the first one's pixels, without
// a renderer as with one, and the pixels go with the last context.
TEST(DecodedImageCache, ASecondContextSharesThePixelsAndTheLastFreesThem) {
  test::TestDelegate delegate;
  test::MemoryStore store;
  std::vector<std::uint8_t> rgba(6 * 4 * 4, 200);
  store.Add("Shared.png", test::EncodePng(6, 4, rgba));
  store.Add("Broken.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
  std::weak_ptr<const DecodedImage> pixels;
  {
    auto a = std::make_unique<IGraphicsVector>(delegate, 10, 10, 60, 1.0f);
    a->SetResourceStore(&store);
    const IBitmapStrip first = a->LoadBitmapStrip("Shared.png", 1, false, 1);
    ASSERT_TRUE(first.IsValid());
    auto* firstBitmap = dynamic_cast<IGraphicsVector::Bitmap*>(first.bitmap);
    ASSERT_NE(firstBitmap, nullptr);
    pixels = firstBitmap->GetPixels();
    EXPECT_EQ(firstBitmap->width, 6);
    IGraphicsVector b(delegate, 10, 10, 60, 1.0f);
    b.SetResourceStore(&store);
    const IBitmapStrip second = b.LoadBitmapStrip("Shared.png", 1, false, 1);
    ASSERT_TRUE(second.IsValid());
    EXPECT_NE(second.bitmap, first.bitmap) << "each context has its own bitmap record";
    EXPECT_EQ(dynamic_cast<IGraphicsVector::Bitmap*>(second.bitmap)->GetPixels().get(), pixels.lock().get())
        << "but both show the same pixels";
    EXPECT_EQ(b.GetDecodedImageCache().Size(), 1u);
    EXPECT_EQ(b.GetDecodedImageCache().Bytes(), rgba.size());
    // Kept premultiplied, rounded as the renderer would at upload: 200 * 200 / 255.
    ASSERT_TRUE(pixels.lock()->premultiplied);
    EXPECT_EQ(pixels.lock()->pixels[0], (200 * 200 + 127) / 255);
    EXPECT_EQ(pixels.lock()->pixels[3], 200);
    // Undecodable data is not kept: every try reads it again.
    EXPECT_FALSE(b.LoadBitmapStrip("Broken.png", 1, false, 1).IsValid());
    EXPECT_EQ(b.GetDecodedImageCache().Size(), 1u);
    // The same name in another store is other artwork.
    test::MemoryStore otherStore;
    otherStore.Add("Shared.png", test::EncodePng(2, 2, std::vector<std::uint8_t>(16, 9)));
    IGraphicsVector c(delegate, 10, 10, 60, 1.0f);
    c.SetResourceStore(&otherStore);
    EXPECT_EQ(c.LoadBitmapStrip("Shared.png", 1, false, 1).bitmap->width, 2);
    // The first context goes; the others still hold the pixels.
    a.reset();
    EXPECT_FALSE(pixels.expired());
    EXPECT_EQ(DecodedImageCache::Shared::Users(), 2);
  }
  EXPECT_EQ(DecodedImageCache::Shared::Current(), nullptr);
  EXPECT_TRUE(pixels.expired()) << "the pixels went with the last context";
}

}  // namespace
}  // namespace fx::igraphics
