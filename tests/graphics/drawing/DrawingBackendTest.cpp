// The backend's decisions that need no GL: blend mapping, colours, the
// bitmap-extension test, its name, and the process-wide caches of font data
// and decoded artwork with the lifetime they share.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
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
// The count is atomic: the last user deletes outside the registry's lock,
// so one thread's destructor may run while another constructs afresh.
struct Counted {
  static inline std::atomic<int> alive{0};
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

// Premultiplying at decode gives what the renderer's upload would: every
// colour and alpha pair, against (c * a + 127) / 255. An image whose file
// has no alpha comes back as it is, marked premultiplied.
TEST(ImageDecoder, UploadPixelsArePremultipliedAsTheRendererRoundsAndOpaqueFilesPassAsTheyAre) {
  std::vector<std::uint8_t> rgba(256 * 256 * 4);
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c) {
      std::uint8_t* p = &rgba[(static_cast<std::size_t>(a) * 256 + c) * 4];
      p[0] = static_cast<std::uint8_t>(c), p[1] = static_cast<std::uint8_t>(255 - c), p[2] = 7;
      p[3] = static_cast<std::uint8_t>(a);
    }
  const std::vector<std::uint8_t> png = test::EncodePng(256, 256, rgba);
  const DecodedImage straight = DecodeImage(png);
  EXPECT_FALSE(straight.premultiplied);
  EXPECT_TRUE(std::equal(straight.pixels.begin(), straight.pixels.end(), rgba.begin(), rgba.end()));
  const DecodedImage upload = DecodeImage(png, ImageUse::Upload);
  ASSERT_TRUE(upload.premultiplied);
  ASSERT_EQ(upload.pixels.size(), rgba.size());
  int wrong = 0;
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    const unsigned a = rgba[i + 3];
    for (int k = 0; k < 3; ++k) wrong += upload.pixels[i + k] != (rgba[i + k] * a + 127) / 255;
    wrong += upload.pixels[i + 3] != a;
  }
  EXPECT_EQ(wrong, 0);

  const std::vector<std::uint8_t> rgb = {10, 20, 30, 40, 50, 60};
  const DecodedImage opaque = DecodeImage(test::EncodePng(2, 1, rgb, 3), ImageUse::Upload);
  EXPECT_TRUE(opaque.premultiplied);
  EXPECT_EQ(opaque.pixels, (PixelBytes{10, 20, 30, 255, 40, 50, 60, 255}));
  EXPECT_TRUE(DecodeImage({}, ImageUse::Upload).pixels.empty());
}

// A large image with little content comes packed for upload: a part per
// band of rows with content, each holding the whole image's texels (clamped
// at its edges) for kPad around its content, zero elsewhere. Small, dense or
// empty images, and the other uses, stay whole.
TEST(ImageDecoder, UploadPacksALargeSparseImageAndLeavesSmallDenseOrEmptyOnesWhole) {
  constexpr int kW = 500, kH = 400;
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(kW) * kH * 4, 0);
  auto at = [&](std::vector<std::uint8_t>& px, int x, int y) { return &px[(static_cast<std::size_t>(y) * kW + x) * 4]; };
  for (int y = 0; y < 30; ++y)  // against the top and right edges
    for (int x = 420; x < kW; ++x) std::memcpy(at(rgba, x, y), std::array<std::uint8_t, 4>{90, 60, 30, 200}.data(), 4);
  for (int y = 300; y < 310; ++y)
    for (int x = 100; x < 140; ++x)
      std::memcpy(at(rgba, x, y), std::array<std::uint8_t, 4>{static_cast<std::uint8_t>(x), 1, 2, 255}.data(), 4);
  at(rgba, 111, 318)[3] = 9;  // a few rows below: still the same band
  const DecodedImage image = DecodeImage(test::EncodePng(kW, kH, rgba), ImageUse::Upload);
  ASSERT_NE(image.sparse, nullptr);
  EXPECT_EQ(image.width, kW);
  EXPECT_EQ(image.height, kH);
  const SparseImage& layout = *image.sparse;
  ASSERT_EQ(layout.parts.size(), 2u);
  const SparseImage::Part& top = layout.parts[0];
  const SparseImage::Part& low = layout.parts[1];
  EXPECT_TRUE(top.left == 420 && top.top == 0 && top.right == kW && top.bottom == 30);
  EXPECT_TRUE(low.left == 100 && low.top == 300 && low.right == 140 && low.bottom == 319);
  ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(layout.width) * layout.height * 4);
  EXPECT_LE(image.pixels.size(), rgba.size() / 4) << "packing pays";
  // Every packed texel: the whole image's (premultiplied, clamped) inside a
  // part's padded box, zero outside all of them.
  const DecodedImage whole = DecodeImage(test::EncodePng(kW, kH, rgba), ImageUse::UploadWhole);
  ASSERT_EQ(whole.sparse, nullptr);
  int wrong = 0;
  for (int py = 0; py < layout.height; ++py)
    for (int px = 0; px < layout.width; ++px) {
      const std::uint8_t* got = &image.pixels[(static_cast<std::size_t>(py) * layout.width + px) * 4];
      std::array<std::uint8_t, 4> want{};
      for (const SparseImage::Part& p : layout.parts) {
        const int x = px - p.packedX + p.left, y = py - p.packedY + p.top;
        if (x < p.left - SparseImage::kPad || x >= p.right + SparseImage::kPad || y < p.top - SparseImage::kPad ||
            y >= p.bottom + SparseImage::kPad)
          continue;
        const std::size_t from = (static_cast<std::size_t>(std::clamp(y, 0, kH - 1)) * kW + std::clamp(x, 0, kW - 1)) * 4;
        std::copy_n(&whole.pixels[from], 4, want.begin());
      }
      wrong += !std::equal(want.begin(), want.end(), got);
    }
  EXPECT_EQ(wrong, 0);

  EXPECT_EQ(DecodeImage(test::EncodePng(kW, kH, rgba)).sparse, nullptr) << "straight pixels stay whole";
  // Small: not worth a special case.
  std::vector<std::uint8_t> small(200 * 200 * 4, 0);
  small[4 * 200 * 100 + 400 + 3] = 255;
  EXPECT_EQ(DecodeImage(test::EncodePng(200, 200, small), ImageUse::Upload).sparse, nullptr);
  // Dense: content in every band of rows and across them.
  std::vector<std::uint8_t> dense = rgba;
  for (int y = 0; y < kH; y += 20) at(dense, y % kW, y)[3] = 1;
  at(dense, 0, 200)[3] = 1;
  EXPECT_EQ(DecodeImage(test::EncodePng(kW, kH, dense), ImageUse::Upload).sparse, nullptr);
  // Content from edge to edge in two thin bands: packed it would be wider
  // than the image, which a texture limit could then refuse.
  std::vector<std::uint8_t> wide(rgba.size(), 0);
  for (int x = 0; x < kW; ++x) at(wide, x, 10)[3] = at(wide, x, 380)[3] = 255;
  EXPECT_EQ(DecodeImage(test::EncodePng(kW, kH, wide), ImageUse::Upload).sparse, nullptr);
  // Nothing at all.
  const DecodedImage empty = DecodeImage(test::EncodePng(kW, kH, std::vector<std::uint8_t>(rgba.size(), 0)), ImageUse::Upload);
  EXPECT_EQ(empty.sparse, nullptr);
  EXPECT_EQ(empty.pixels.size(), rgba.size());
}

// Decoding's blocks, small (from malloc) and large (mapped): aligned,
// resized with their contents, freed from any thread.
TEST(ImageDecoder, LargeBlocksKeepTheirContentsAcrossResizesAndThreads) {
  for (const std::size_t size : {std::size_t{1}, std::size_t{1000}, std::size_t{300000}, std::size_t{5000000}}) {
    auto* block = static_cast<std::uint8_t*>(AllocateBlock(size));
    ASSERT_NE(block, nullptr) << size;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 16, 0u);
    for (std::size_t i = 0; i < size; ++i) block[i] = static_cast<std::uint8_t>(i * 7);
    for (const std::size_t to : {size * 3, size / 2 + 1, std::size_t{200}}) {
      auto* moved = static_cast<std::uint8_t*>(ReallocateBlock(block, to));
      ASSERT_NE(moved, nullptr) << size << " to " << to;
      const std::size_t kept = std::min({size, to, std::size_t{200}});
      for (std::size_t i = 0; i < kept; ++i) ASSERT_EQ(moved[i], static_cast<std::uint8_t>(i * 7)) << i;
      block = moved;
      for (std::size_t i = 0; i < to; ++i) block[i] = static_cast<std::uint8_t>(i * 7);
    }
    std::thread([block] { FreeBlock(block); }).join();
  }
  FreeBlock(nullptr);
  void* empty = AllocateBlock(0);
  EXPECT_NE(empty, nullptr) << "as malloc may answer 0";
  FreeBlock(empty);
  EXPECT_EQ(ReallocateBlock(AllocateBlock(10), 0), nullptr);
  PixelBytes pixels(4000000, 3);
  ASSERT_TRUE(pixels.Resize(10));
  EXPECT_EQ(pixels, PixelBytes(10, 3));
  ASSERT_TRUE(pixels.Resize(12));
  EXPECT_EQ(pixels, (PixelBytes{3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 0, 0})) << "grown bytes are zero";
  PixelBytes copy = pixels;
  PixelBytes moved = std::move(pixels);
  EXPECT_TRUE(pixels.empty());
  EXPECT_EQ(copy, moved);
  copy[0] = 9;
  EXPECT_NE(copy, moved) << "a copy has bytes of its own";
}

// Artwork queued ahead of its use: decoded once, by the worker or by the
// first thread to ask for it, whichever comes first; a failed decode is not
// kept, and the asker's own source gets a try.
TEST(DecodedImageCache, QueuedImagesDecodeOnceOnTheWorkerOrOnTheFirstThreadToAsk) {
  DecodedImageCache cache;
  std::atomic<bool> stop{false};
  const std::vector<std::uint8_t> red = test::EncodePng(3, 2, std::vector<std::uint8_t>(3 * 2 * 4, 255));
  ASSERT_TRUE(cache.Queue("red", red));
  EXPECT_FALSE(cache.Queue("red", red)) << "queued once";
  EXPECT_FALSE(cache.Queue("empty", {}));
  ASSERT_TRUE(cache.Queue("broken", {0x89, 'P', 'N', 'G', 1, 2, 3}));
  int ownDecodes = 0;
  auto own = [&] {
    ++ownDecodes;
    return DecodeImage(red, ImageUse::Upload);
  };
  // Asked before the worker ran: decoded here from the queued bytes.
  const DecodedImageCache::Pixels first = cache.FindOrDecode("red", own);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->width, 3);
  EXPECT_TRUE(first->premultiplied);
  EXPECT_EQ(ownDecodes, 0);
  EXPECT_EQ(cache.FindOrDecode("red", own), first);
  // The worker finds only the broken one left; it is dropped, not kept.
  EXPECT_EQ(cache.DecodeQueued(stop), 1u);
  EXPECT_EQ(cache.Size(), 1u);
  EXPECT_EQ(cache.FindOrDecode("broken", nullptr), nullptr);
  EXPECT_NE(cache.FindOrDecode("broken", own), nullptr) << "the asker's own source is tried";
  EXPECT_EQ(ownDecodes, 1);
  // A stopped worker decodes nothing; what it left is decoded on demand.
  ASSERT_TRUE(cache.Queue("later", red));
  stop = true;
  EXPECT_EQ(cache.DecodeQueued(stop), 0u);
  EXPECT_NE(cache.FindOrDecode("later", nullptr), nullptr);

  // A worker and two askers racing over many images: each decoded once,
  // everyone gets the same pixels.
  DecodedImageCache raced;
  constexpr int kImages = 24;
  for (int i = 0; i < kImages; ++i)
    ASSERT_TRUE(raced.Queue("image" + std::to_string(i),
                            test::EncodePng(40 + i, 30, std::vector<std::uint8_t>((40 + i) * 30 * 4, 100))));
  std::atomic<bool> go{false};
  std::atomic<int> askerDecodes{0};
  std::size_t workerDecodes = 0;
  std::vector<DecodedImageCache::Pixels> got[2];
  std::thread worker([&] {
    while (!go) std::this_thread::yield();
    std::atomic<bool> never{false};
    workerDecodes = raced.DecodeQueued(never);
  });
  auto ask = [&](int who) {
    while (!go) std::this_thread::yield();
    for (int k = 0; k < kImages; ++k) {
      const int i = who == 0 ? kImages - 1 - k : k;
      got[who].push_back(raced.FindOrDecode("image" + std::to_string(i), [&] {
        ++askerDecodes;
        return DecodedImage{};
      }));
    }
  };
  std::thread second(ask, 1);
  go = true;
  ask(0);
  second.join();
  worker.join();
  EXPECT_EQ(askerDecodes.load(), 0) << "every image came from its queued bytes";
  EXPECT_EQ(raced.Size(), static_cast<std::size_t>(kImages));
  EXPECT_LE(workerDecodes, static_cast<std::size_t>(kImages));
  for (int k = 0; k < kImages; ++k) {
    ASSERT_NE(got[0][kImages - 1 - k], nullptr);
    EXPECT_EQ(got[0][kImages - 1 - k], got[1][k]);
    EXPECT_EQ(got[1][k]->width, 40 + k);
  }
}

// Pixels uploaded into a share group's texture: the cache lets them go,
// refuses to queue them again while some group holds them (a prefetch must
// not decode what the group already draws), gives a context outside the
// group a copy of its own without keeping it, and forgets the image once
// the last group deleted its texture.
TEST(DecodedImageCache, UploadedImagesAreDroppedNotQueuedAgainAndDecodedUncachedOutsideTheGroup) {
  DecodedImageCache cache;
  const std::vector<std::uint8_t> red = test::EncodePng(3, 2, std::vector<std::uint8_t>(3 * 2 * 4, 255));
  int decodes = 0;
  auto decode = [&] {
    ++decodes;
    return DecodeImage(red, ImageUse::Upload);
  };
  const std::weak_ptr<const DecodedImage> held = cache.FindOrDecode("red", decode);
  EXPECT_EQ(cache.FindOrDecode("red", decode), held.lock());
  EXPECT_EQ(decodes, 1);
  EXPECT_FALSE(held.expired()) << "the cache keeps it";
  cache.NoteUploaded("red");
  EXPECT_TRUE(held.expired()) << "the cache let the pixels go";
  EXPECT_TRUE(cache.Uploaded("red"));
  EXPECT_EQ(cache.Size(), 0u);
  EXPECT_EQ(cache.Bytes(), 0u);
  EXPECT_FALSE(cache.Queue("red", red)) << "no prefetch of what a group draws";
  std::atomic<bool> stop{false};
  EXPECT_EQ(cache.DecodeQueued(stop), 0u);
  EXPECT_EQ(cache.FindOrDecode("red", nullptr), nullptr);
  const DecodedImageCache::Pixels own = cache.FindOrDecode("red", decode);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->width, 3);
  EXPECT_EQ(decodes, 2);
  EXPECT_EQ(cache.Size(), 0u) << "a copy for the asker, not kept";
  // Two groups hold it; it is forgotten when both deleted their textures.
  cache.NoteUploaded("red");
  cache.NoteUploadGone("red");
  EXPECT_TRUE(cache.Uploaded("red"));
  cache.NoteUploadGone("red");
  EXPECT_FALSE(cache.Uploaded("red"));
  cache.NoteUploadGone("red");  // once too often: nothing to forget
  EXPECT_TRUE(cache.Queue("red", red)) << "queued again once no group has it";
  // Uploaded while queued: the worker has nothing left to decode.
  cache.NoteUploaded("red");
  EXPECT_EQ(cache.DecodeQueued(stop), 0u);
  EXPECT_EQ(cache.Size(), 0u);
  cache.NoteUploadGone("red");
  EXPECT_FALSE(cache.Uploaded("red"));
  EXPECT_NE(cache.FindOrDecode("red", decode), nullptr);
  EXPECT_EQ(cache.Size(), 1u);
}

// A context names its artwork before its window opens: the worker decodes
// it, the layout's loads find it; a context closed at once stops its worker.
TEST(DecodedImageCache, PrefetchedArtworkIsWhatTheLayoutLoads) {
  test::TestDelegate delegate;
  test::MemoryStore store;
  store.Add("Ahead.png", test::EncodePng(5, 4, std::vector<std::uint8_t>(5 * 4 * 4, 90)));
  store.Add("Later.png", test::EncodePng(2, 2, std::vector<std::uint8_t>(2 * 2 * 4, 90)));
  {
    IGraphicsVector g(delegate, 10, 10, 60, 1.0f);
    g.SetResourceStore(&store);
    const IGraphics::BitmapToLoad ahead[] = {{"Ahead.png", 1}, {"Missing.png", 1}, {"Notes.txt", 1}, {nullptr, 1}};
    g.PrefetchBitmaps(ahead);
    const IBitmapStrip strip = g.LoadBitmapStrip("Ahead.png", 1, false, 1);
    ASSERT_TRUE(strip.IsValid());
    EXPECT_EQ(strip.bitmap->width, 5);
    EXPECT_EQ(g.GetDecodedImageCache().Size(), 1u);
    EXPECT_TRUE(g.LoadBitmapStrip("Later.png", 1, false, 1).IsValid()) << "not named ahead, loaded as ever";
  }
  EXPECT_EQ(DecodedImageCache::Shared::Current(), nullptr);
  for (int i = 0; i < 20; ++i) {
    IGraphicsVector g(delegate, 10, 10, 60, 1.0f);
    g.SetResourceStore(&store);
    const IGraphics::BitmapToLoad ahead[] = {{"Ahead.png", 1}, {"Later.png", 1}};
    g.PrefetchBitmaps(ahead);
  }
  EXPECT_EQ(DecodedImageCache::Shared::Current(), nullptr);
}

}  // namespace
}  // namespace fx::igraphics
