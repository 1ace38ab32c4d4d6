// The backend on a real GL context: the main frame buffer, bitmaps, paths,
// blends, clipping, layers, text, shadows and dotted lines, checked on the
// pixels presented to the (off-screen) window frame buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "DrawingTestSupport.h"
#include "graphics/controls/IBitmapControl.h"
#include "graphics/drawing/IGraphicsHeadless.h"
#include "graphics/drawing/SharedTextures.h"

namespace fx::igraphics {
namespace {

namespace gl = fx::vg::gl;
using fx::vg::GLint;
using fx::vg::GLuint;

struct Rgba {
  int r, g, b, a;
};

Rgba Pixel(const PageImage& image, int x, int y) {
  const std::uint8_t* p = image.At(x, y);
  return {p[0], p[1], p[2], p[3]};
}

std::vector<std::uint8_t> Solid(int w, int h, Rgba c) {
  std::vector<std::uint8_t> px;
  for (int i = 0; i < w * h; ++i)
    px.insert(px.end(), {static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g),
                         static_cast<std::uint8_t>(c.b), static_cast<std::uint8_t>(c.a)});
  return px;
}

void AddRect(IGraphicsVector& g, const IBounds& r) {
  g.PathMove(r.left, r.top);
  g.PathAddLine(r.right, r.top);
  g.PathAddLine(r.right, r.bottom);
  g.PathAddLine(r.left, r.bottom);
  g.PathCloseShape();
}

class DrawingGl : public testing::Test {
 protected:
  void SetUp() override {
    gl_ = test::SharedGl();
    if (!gl_) GTEST_SKIP() << "no OpenGL context: " << fx::platform::OffscreenGlContext::lastError();
    // A two-frame strip: the top frame red, the bottom one blue.
    std::vector<std::uint8_t> strip = Solid(4, 4, {255, 0, 0, 255});
    const std::vector<std::uint8_t> blue = Solid(4, 4, {0, 0, 255, 255});
    strip.insert(strip.end(), blue.begin(), blue.end());
    store_.Add("strip.png", test::EncodePng(4, 8, strip));
    store_.Add("white.png", test::EncodePng(4, 4, Solid(4, 4, {255, 255, 255, 255})));
    store_.Add("anim.gif", test::EncodePng(4, 4, Solid(4, 4, {255, 255, 255, 255})));
    store_.Add("test.ttf", test::ReadFile(OMBRISK_TEST_FONT));
    Open(40, 20);
  }

  void Open(std::int32_t w, std::int32_t h) {
    g_.reset();
    g_ = std::make_unique<IGraphicsHeadless>(delegate_, w, h, 60, 1.0f);
    g_->SetResourceStore(&store_);
    ASSERT_TRUE(g_->OpenView({gl_->loader(), gl_->loaderUser()}));
  }

  // Draws with `draw` inside one frame and reads the presented page. The
  // main frame buffer keeps the last frame: it is first emptied with a
  // destination-in fill of transparent black.
  template <class F>
  PageImage Frame(F draw) {
    g_->BeginFrame();
    g_->ClipToArea(IBounds{});
    const IBlendMode destinationIn{5, 1.0f};
    AddRect(*g_, IBounds(0, 0, static_cast<float>(g_->Width()), static_cast<float>(g_->Height())));
    g_->PathFillWith(IPattern::Solid(IArgb{0, 0, 0, 0}), IFillOptions{}, &destinationIn);
    draw(*g_);
    g_->EndFrame();
    return g_->ReadPage();
  }

  fx::platform::OffscreenGlContext* gl_ = nullptr;
  test::TestDelegate delegate_;
  test::MemoryStore store_;
  std::unique_ptr<IGraphicsHeadless> g_;
};

TEST_F(DrawingGl, MainFrameBufferHasThePagePixelSizeAStencilAndLeavesBindingsAlone) {
  const fx::vg::FrameBufferImage* main = g_->GetMainFrameBuffer();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->width(), 40);
  EXPECT_EQ(main->height(), 20);
  EXPECT_TRUE(main->stencilFormat() == gl::kStencilIndex8 || main->stencilFormat() == gl::kDepth24Stencil8);
  const fx::vg::GlApi& api = g_->GetRenderer()->gl();
  auto other = fx::vg::FrameBufferImage::create(*g_->GetRenderer(), 8, 8);
  ASSERT_NE(other, nullptr);
  api.BindFramebuffer(gl::kFramebuffer, other->framebuffer());
  api.BindRenderbuffer(gl::kRenderbuffer, other->renderbuffer());
  g_->ResizeEditor(40, 20, 0.5f);  // a new pixel size re-creates the buffer
  g_->DrawResize();
  GLint fb = 0, rb = 0;
  api.GetIntegerv(gl::kFramebufferBinding, &fb);
  api.GetIntegerv(gl::kRenderbufferBinding, &rb);
  EXPECT_EQ(static_cast<GLuint>(fb), other->framebuffer());
  EXPECT_EQ(static_cast<GLuint>(rb), other->renderbuffer());
  api.BindFramebuffer(gl::kFramebuffer, 0);
  api.BindRenderbuffer(gl::kRenderbuffer, 0);
}

TEST_F(DrawingGl, BitmapRegionShowsTheFrameChosenBySourceOffsetOnlyUnderTheDestination) {
  const IBitmapStrip strip = g_->LoadBitmapStrip("strip.png", 2, false, 1);
  ASSERT_NE(strip.bitmap, nullptr);
  EXPECT_EQ(strip.width, 4);
  EXPECT_EQ(strip.height, 8);
  const PageImage page = Frame([&](IGraphicsVector& g) {
    g.DrawBitmapRegion(strip, IBounds(10, 5, 14, 9), 0, 4, nullptr);  // frame 2
    g.DrawBitmapRegion(strip, IBounds(20, 5, 24, 9), 0, 0, nullptr);  // frame 1
  });
  ASSERT_EQ(page.width, 40);
  for (int y = 5; y < 9; ++y)
    for (int x = 10; x < 14; ++x) {
      const Rgba p = Pixel(page, x, y), q = Pixel(page, x + 10, y);
      EXPECT_TRUE(p.b == 255 && p.r == 0 && p.a == 255) << x << "," << y;
      EXPECT_TRUE(q.r == 255 && q.b == 0 && q.a == 255) << x << "," << y;
    }
  EXPECT_EQ(Pixel(page, 10, 9).a, 0);  // below the destination: nothing
  EXPECT_EQ(Pixel(page, 9, 5).a, 0);
  EXPECT_EQ(Pixel(page, 30, 15).a, 0);
}

TEST_F(DrawingGl, ClippedBitmapsShowOnlyTheirClippedPartInPlace) {
  const IBitmapStrip strip = g_->LoadBitmapStrip("strip.png", 2, false, 1);
  IMatrix shift;
  shift.Translate(2, 0);
  const PageImage page = Frame([&](IGraphicsVector& g) {
    g.ClipToArea(IBounds(11, 0, 13, 20));
    g.PathTransform(shift);
    g.DrawBitmapRegion(strip, IBounds(8, 5, 12, 13), 0, 0, nullptr);  // lands at x 10..14, both frames
  });
  EXPECT_EQ(Pixel(page, 10, 6).a, 0);
  EXPECT_EQ(Pixel(page, 13, 6).a, 0);
  EXPECT_EQ(Pixel(page, 11, 6).r, 255);  // top frame red, in place
  EXPECT_EQ(Pixel(page, 12, 6).r, 255);
  EXPECT_EQ(Pixel(page, 11, 10).b, 255);  // bottom frame blue
  EXPECT_EQ(Pixel(page, 12, 12).b, 255);
  EXPECT_EQ(Pixel(page, 12, 13).a, 0);
}

TEST_F(DrawingGl, ANewViewGivesLoadedStripsTheirImagesBackAndReleasesTheOldOnes) {
  const IBitmapStrip strip = g_->LoadBitmapStrip("strip.png", 2, false, 1);
  ASSERT_NE(strip.bitmap, nullptr);
  const fx::vg::GLuint oldTexture = g_->GetRenderer()->textureName(strip.bitmap->imageHandle);
  ASSERT_NE(oldTexture, 0u);
  g_->CloseView();
  EXPECT_EQ(g_->GetRenderer(), nullptr);
  EXPECT_EQ(strip.bitmap->imageHandle, 0);
  fx::vg::GlApi api;
  ASSERT_TRUE(api.load(gl_->loader(), gl_->loaderUser()));
  EXPECT_FALSE(api.IsTexture(oldTexture));
  ASSERT_TRUE(g_->OpenView({gl_->loader(), gl_->loaderUser()}));
  EXPECT_NE(strip.bitmap->imageHandle, 0);  // the same record, drawn again
  const PageImage page = Frame([&](IGraphicsVector& g) { g.DrawBitmapRegion(strip, IBounds(10, 5, 14, 9), 0, 4, nullptr); });
  EXPECT_EQ(Pixel(page, 11, 6).b, 255);
  EXPECT_EQ(Pixel(page, 11, 6).a, 255);
}

// Contexts of one share group: the first to load an image uploads it and
// drops its pixels, the others draw that texture; it lives until the last
// of them lets it go, and a context opened again after that decodes anew.
TEST_F(DrawingGl, ContextsOfAShareGroupDrawOneTextureWhichTheLastOneDeletes) {
  SharedTextures group;
  const GlViewContext view{gl_->loader(), gl_->loaderUser(), &group};
  fx::vg::GlApi api;
  ASSERT_TRUE(api.load(gl_->loader(), gl_->loaderUser()));
  auto first = std::make_unique<IGraphicsHeadless>(delegate_, 40, 20, 60, 1.0f);
  first->SetResourceStore(&store_);
  ASSERT_TRUE(first->OpenView(view));
  const IBitmapStrip a = first->LoadBitmapStrip("strip.png", 2, false, 1);
  ASSERT_NE(a.bitmap, nullptr);
  auto* aBitmap = dynamic_cast<IGraphicsVector::Bitmap*>(a.bitmap);
  ASSERT_NE(aBitmap, nullptr);
  EXPECT_EQ(aBitmap->SharedIn(), &group);
  EXPECT_EQ(aBitmap->GetPixels(), nullptr) << "uploaded into the group: the pixels go";
  EXPECT_EQ(first->GetDecodedImageCache().Size(), 0u);
  EXPECT_EQ(group.Size(), 1u);
  const GLuint texture = first->GetRenderer()->textureName(a.bitmap->imageHandle);
  ASSERT_NE(texture, 0u);

  IGraphicsHeadless second(delegate_, 40, 20, 60, 1.0f);
  second.SetResourceStore(&store_);
  ASSERT_TRUE(second.OpenView(view));
  const IBitmapStrip b = second.LoadBitmapStrip("strip.png", 2, false, 1);
  ASSERT_NE(b.bitmap, nullptr);
  EXPECT_NE(b.bitmap, a.bitmap) << "each context has its own record";
  EXPECT_EQ(b.width, 4);
  EXPECT_EQ(b.height, 8);
  EXPECT_EQ(second.GetRenderer()->textureName(b.bitmap->imageHandle), texture) << "but one texture";
  EXPECT_EQ(group.Size(), 1u);
  EXPECT_EQ(second.GetDecodedImageCache().Size(), 0u) << "nothing decoded for the second";
  // A context outside the group (no store) still decodes for itself.
  ASSERT_TRUE(g_->LoadBitmapStrip("strip.png", 2, false, 1).bitmap);

  // The first goes: the second's texture stays.
  first.reset();
  EXPECT_TRUE(api.IsTexture(texture));
  EXPECT_EQ(group.Size(), 1u);
  auto blueAt = [](IGraphicsHeadless& g, const IBitmapStrip& strip) {
    g.BeginFrame();
    g.DrawBitmapRegion(strip, IBounds(10, 5, 14, 9), 0, 4, nullptr);
    g.EndFrame();
    const PageImage page = g.ReadPage();
    return Pixel(page, 11, 6).b == 255 && Pixel(page, 11, 6).a == 255 && Pixel(page, 11, 6).r == 0;
  };
  EXPECT_TRUE(blueAt(second, b));
  // The last one goes: so does the texture.
  second.CloseView();
  EXPECT_FALSE(api.IsTexture(texture));
  EXPECT_EQ(group.Size(), 0u);
  // Opened again with no other context of the group: decoded again, drawn the same.
  ASSERT_TRUE(second.OpenView(view));
  EXPECT_NE(b.bitmap->imageHandle, 0);
  EXPECT_EQ(group.Size(), 1u);
  EXPECT_TRUE(blueAt(second, b));
  second.CloseView();
  EXPECT_EQ(group.Size(), 0u);
}

TEST_F(DrawingGl, BitmapCacheDecodesOnceAndMissingOrRefusedImagesGiveEmptyStrips) {
  const IBitmapStrip a = g_->LoadBitmapStrip("strip.png", 2, false, 1);
  const IBitmapStrip b = g_->LoadBitmapStrip("strip.png", 2, false, 1);
  // Target 2 finds only the plain file: the scale-1 bitmap is reused.
  const IBitmapStrip c = g_->LoadBitmapStrip("strip.png", 2, false, 2);
  EXPECT_EQ(a.bitmap, b.bitmap);
  EXPECT_EQ(a.bitmap, c.bitmap);
  EXPECT_EQ(c.width, 4);
  EXPECT_EQ(g_->NCachedBitmaps(), 1u);
  const IBitmapStrip missing = g_->LoadBitmapStrip("nothing.png", 1, false, 1);
  EXPECT_EQ(missing.bitmap, nullptr);
  EXPECT_EQ(missing.width, 0);
  EXPECT_EQ(missing.nFrames, 0);
  EXPECT_TRUE(missing.resourceName.empty());
  EXPECT_EQ(g_->LoadBitmapStrip("anim.gif", 1, false, 1).bitmap, nullptr);
  EXPECT_EQ(g_->NCachedBitmaps(), 1u);
  // Drawing an empty strip draws nothing.
  const PageImage page = Frame([&](IGraphicsVector& g) { g.DrawBitmapRegion(missing, IBounds(0, 0, 40, 20), 0, 0, nullptr); });
  EXPECT_EQ(Pixel(page, 20, 10).a, 0);
}

TEST_F(DrawingGl, BlendWeightQuarterDrawsBitmapsAtAQuarterOfTheirAlpha) {
  const IBitmapStrip white = g_->LoadBitmapStrip("white.png", 1, false, 1);
  const IBlendMode disabled{0, 0.25f};
  const PageImage page = Frame([&](IGraphicsVector& g) {
    g.DrawBitmapRegion(white, IBounds(0, 0, 4, 4), 0, 0, &disabled);
    g.DrawBitmapRegion(white, IBounds(10, 0, 14, 4), 0, 0, nullptr);
  });
  const Rgba quarter = Pixel(page, 2, 2), full = Pixel(page, 12, 2);
  EXPECT_NEAR(quarter.a, 64, 1);
  EXPECT_NEAR(quarter.r, 64, 1);  // premultiplied in the frame buffer
  EXPECT_EQ(full.a, 255);
}

TEST_F(DrawingGl, ADisabledControlDrawsItsBitmapAtAQuarterOfItsAlpha) {
  const IBitmapStrip white = g_->LoadBitmapStrip("white.png", 1, false, 1);
  IControl* enabled = g_->AddControl(std::make_unique<IBitmapControl>(2.0f, 2.0f, white));
  IControl* disabled = g_->AddControl(std::make_unique<IBitmapControl>(12.0f, 2.0f, white));
  ASSERT_NE(enabled, nullptr);
  disabled->SetDisabledState(true);
  g_->RunFrame();
  const PageImage page = g_->ReadPage();
  EXPECT_EQ(Pixel(page, 4, 4).a, 255);
  EXPECT_NEAR(Pixel(page, 14, 4).a, 64, 1);
  disabled->SetDisabledState(false);
  g_->RunFrame();
  EXPECT_EQ(Pixel(g_->ReadPage(), 14, 4).a, 255);
}

TEST_F(DrawingGl, XorBlendClearsTheOverlapAndNoBlendDrawsSourceOver) {
  const IBlendMode xorBlend{9, 1.0f};
  const IArgb red{255, 255, 0, 0}, blue{255, 0, 0, 255};
  const PageImage page = Frame([&](IGraphicsVector& g) {
    AddRect(g, IBounds(0, 0, 12, 10));
    g.PathFillWith(IPattern::Solid(red), IFillOptions{}, nullptr);
    AddRect(g, IBounds(6, 0, 18, 10));
    g.PathFillWith(IPattern::Solid(blue), IFillOptions{}, &xorBlend);
    AddRect(g, IBounds(20, 0, 32, 10));
    g.PathFillWith(IPattern::Solid(red), IFillOptions{}, nullptr);
    AddRect(g, IBounds(26, 0, 38, 10));
    g.PathFillWith(IPattern::Solid(blue), IFillOptions{}, nullptr);
  });
  EXPECT_EQ(Pixel(page, 3, 5).r, 255);
  EXPECT_EQ(Pixel(page, 9, 5).a, 0);    // overlap under xor
  EXPECT_EQ(Pixel(page, 15, 5).b, 255);
  const Rgba over = Pixel(page, 29, 5);  // overlap under source-over
  EXPECT_EQ(over.b, 255);
  EXPECT_EQ(over.r, 0);
  EXPECT_EQ(over.a, 255);
}

// A large, mostly transparent strip is packed to its content and drawn part
// by part; its pixels are the whole image's. Its twin has a column of
// texels at alpha 1 along the first frame's left edge, which keeps it whole
// and over an opaque page under source-over draws what nothing draws.
TEST_F(DrawingGl, APackedSparseStripDrawsTheWholeImagesPixelsAtEveryScaleTurnBlendAndInAShareGroup) {
  constexpr int kW = 320, kFrame = 200;
  std::vector<std::uint8_t> sparse(static_cast<std::size_t>(kW) * kFrame * 2 * 4, 0);
  auto put = [&](std::vector<std::uint8_t>& px, int x, int y, int r, int g, int b, int a) {
    std::uint8_t* p = &px[(static_cast<std::size_t>(y) * kW + static_cast<std::size_t>(x)) * 4];
    p[0] = static_cast<std::uint8_t>(r), p[1] = static_cast<std::uint8_t>(g), p[2] = static_cast<std::uint8_t>(b);
    p[3] = static_cast<std::uint8_t>(a);
  };
  for (int y = 0; y < 2 * kFrame; ++y)
    for (int x = 0; x < kW; ++x) {
      // Frame 1: a small opaque dot. Frame 2: a glow from its top right
      // corner, against the strip's edge and the first frame's bottom.
      const double dot = std::hypot(x - 40.0, y - 50.0), glow = std::hypot(x - 318.0, y - 205.0);
      if (dot < 6.0) put(sparse, x, y, 30, 200, 90, 255);
      if (y >= kFrame && glow < 110.0)
        put(sparse, x, y, 255, 120 + x % 100, 40, static_cast<int>(255.0 * (1.0 - glow / 110.0)));
    }
  std::vector<std::uint8_t> dense = sparse;
  // Close enough to the glow's rows to join them in one band, too far from
  // the second frame for its filtering to reach.
  for (int y = 0; y < kFrame - 14; ++y) put(dense, 0, y, 0, 0, 0, 1);
  store_.Add("sparse.png", test::EncodePng(kW, 2 * kFrame, sparse));
  store_.Add("dense.png", test::EncodePng(kW, 2 * kFrame, dense));

  // Two parts 70 rows apart in other columns: drawn small, one part's
  // filtering must not reach the other's content where the two lie in the
  // packed texture.
  std::vector<std::uint8_t> apart(sparse.size(), 0);
  for (int y = 100; y < 140; ++y)
    for (int x = 20; x < 60; ++x) put(apart, x, y, 250, 250, 250, 255);
  for (int y = 210; y < 250; ++y)
    for (int x = 240; x < 300; ++x) put(apart, x, y, 0, 0, 250, 255);
  std::vector<std::uint8_t> apartTwin = apart;
  for (int y = 0; y < 2 * kFrame; ++y) put(apartTwin, 0, y, 0, 0, 0, 1);
  store_.Add("apart.png", test::EncodePng(kW, 2 * kFrame, apart));
  store_.Add("aparttwin.png", test::EncodePng(kW, 2 * kFrame, apartTwin));

  // Draws the packed strip and its twin alike on an opaque page.
  auto pages = [&](IGraphicsHeadless& g, auto draw, const char* packedName = "sparse.png",
                   const char* wholeName = "dense.png") {
    const IBitmapStrip packed = g.LoadBitmapStrip(packedName, 2, false, 1);
    const IBitmapStrip whole = g.LoadBitmapStrip(wholeName, 2, false, 1);
    EXPECT_TRUE(packed.bitmap && whole.bitmap);
    if (!packed.bitmap || !whole.bitmap) return std::pair<PageImage, PageImage>{};
    const auto frame = [&](const IBitmapStrip& strip) {
      g.BeginFrame();
      AddRect(g, IBounds(0, 0, static_cast<float>(g.Width()), static_cast<float>(g.Height())));
      g.PathFillWith(IPattern::Solid(IArgb{255, 20, 40, 60}), IFillOptions{}, nullptr);
      draw(g, strip);
      g.EndFrame();
      return g.ReadPage();
    };
    PageImage a = frame(packed);
    EXPECT_NE(dynamic_cast<IGraphicsVector::Bitmap*>(packed.bitmap)->Sparse(), nullptr) << "the strip is packed";
    EXPECT_EQ(dynamic_cast<IGraphicsVector::Bitmap*>(whole.bitmap)->Sparse(), nullptr) << "its twin is not";
    return std::pair{std::move(a), frame(whole)};
  };
  // Pixels the strip changed, and those where the two differ by 1 and by more.
  struct Difference {
    int drawn = 0, offByOne = 0, beyond = 0;
  };
  auto compare = [](const PageImage& a, const PageImage& b) {
    Difference d;
    if (a.width != b.width || a.height != b.height || a.width == 0) return Difference{0, 0, 1};
    for (int y = 0; y < a.height; ++y)
      for (int x = 0; x < a.width; ++x) {
        const Rgba p = Pixel(a, x, y), q = Pixel(b, x, y);
        const int most = std::max({std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b), std::abs(p.a - q.a)});
        d.drawn += p.r != 20 || p.g != 40 || p.b != 60 || p.a != 255;
        d.offByOne += most == 1;
        d.beyond += most > 1;
      }
    return d;
  };
  auto expectSame = [&](const char* what, IGraphicsHeadless& g, auto draw) {
    const auto [a, b] = pages(g, draw);
    const Difference d = compare(a, b);
    EXPECT_GT(d.drawn, 10) << what << ": the strip shows";
    EXPECT_EQ(d.beyond, 0) << what;
    EXPECT_LE(d.offByOne, d.drawn / 50) << what << ": rounding alone";
  };
  auto scaled = [](float by, float degrees = 0.0f) {
    IMatrix m;
    m.Translate(7.3f, 5.6f);
    if (degrees != 0.0f) m.Rotate(degrees);
    m.Scale(by, by);
    return m;
  };
  Open(420, 260);
  const IBounds frameAt(0, 0, 320, 200), bothAt(0, 0, 320, 400);
  const std::pair<const char*, IMatrix> placements[] = {
      {"1:1", scaled(1.0f)},           {"magnified", scaled(1.25f)},        {"4 texels a pixel", scaled(0.25f)},
      {"8 texels a pixel", scaled(0.125f)}, {"turned", scaled(0.5f, 30.0f)}, {"2.7 texels a pixel", scaled(0.37f)},
      {"20 texels a pixel", scaled(0.05f)}};
  for (const auto& [what, m] : placements) {
    expectSame(what, *g_, [&](IGraphicsVector& g, const IBitmapStrip& strip) {
      g.PathTransform(m);
      g.DrawBitmapRegion(strip, frameAt, 0, 200, nullptr);  // the glow
      g.DrawBitmapRegion(strip, frameAt.GetTranslated(330, 0), 0, 0, nullptr);  // the dot
    });
  }
  expectSame("both frames at once", *g_, [&](IGraphicsVector& g, const IBitmapStrip& strip) {
    g.PathTransform(scaled(0.6f));
    g.DrawBitmapRegion(strip, bothAt, 0, 0, nullptr);
  });
  // A blend that changes what lies under transparent texels: the whole
  // image, decoded for it.
  const IBlendMode destinationIn{5, 1.0f};
  expectSame("destination-in", *g_, [&](IGraphicsVector& g, const IBitmapStrip& strip) {
    g.PathTransform(scaled(0.5f));
    g.DrawBitmapRegion(strip, frameAt, 0, 200, &destinationIn);
  });
  {
    const auto [a, b] = pages(
        *g_,
        [&](IGraphicsVector& g, const IBitmapStrip& strip) {
          g.PathTransform(scaled(0.025f));
          g.DrawBitmapRegion(strip, bothAt, 0, 0, nullptr);
        },
        "apart.png", "aparttwin.png");
    const Difference d = compare(a, b);
    EXPECT_GT(d.drawn, 1) << "at 40 texels a pixel the parts show";
    EXPECT_EQ(d.beyond, 0) << "40 texels a pixel, parts apart: neither reaches the other";
  }
  const IBlendMode xorBlend{9, 1.0f};
  expectSame("xor", *g_, [&](IGraphicsVector& g, const IBitmapStrip& strip) {
    g.PathTransform(scaled(0.5f));
    g.DrawBitmapRegion(strip, frameAt, 0, 200, &xorBlend);
  });
  // The page's own scale counts as a transform's does.
  IGraphicsHeadless half(delegate_, 420, 260, 60, 0.3f);
  half.SetResourceStore(&store_);
  ASSERT_TRUE(half.OpenView({gl_->loader(), gl_->loaderUser()}));
  expectSame("page at 0.3", half, [&](IGraphicsVector& g, const IBitmapStrip& strip) {
    g.DrawBitmapRegion(strip, frameAt.GetTranslated(1.5f, 2.5f), 0, 200, nullptr);
  });
  half.CloseView();

  // In a share group the second context draws the first one's packed texture.
  SharedTextures group;
  const GlViewContext view{gl_->loader(), gl_->loaderUser(), &group};
  IGraphicsHeadless first(delegate_, 420, 260, 60, 1.0f), second(delegate_, 420, 260, 60, 1.0f);
  first.SetResourceStore(&store_);
  second.SetResourceStore(&store_);
  ASSERT_TRUE(first.OpenView(view));
  ASSERT_TRUE(second.OpenView(view));
  auto glow = [&](IGraphicsVector& g, const IBitmapStrip& strip) {
    g.PathTransform(scaled(0.5f));
    g.DrawBitmapRegion(strip, frameAt, 0, 200, nullptr);
  };
  const auto [fromFirst, firstTwin] = pages(first, glow);
  const auto [fromSecond, secondTwin] = pages(second, glow);
  EXPECT_EQ(group.Size(), 2u);
  const Difference d = compare(fromFirst, fromSecond);
  EXPECT_GT(d.drawn, 40);
  EXPECT_EQ(d.beyond + d.offByOne, 0) << "one texture, one layout: the same pixels";
  first.CloseView();
  second.CloseView();
}

TEST_F(DrawingGl, ArcsStartAtTwelveOClockAndRunClockwiseForWindingZero) {
  const IArgb white{255, 255, 255, 255};
  const PageImage page = Frame([&](IGraphicsVector& g) {
    g.PathMove(10, 10);
    g.PathAddArc(10, 10, 9, 0, 90, 0);  // the upper-right quarter
    g.PathCloseShape();
    g.PathFillWith(IPattern::Solid(white), IFillOptions{}, nullptr);
    g.PathMove(30, 10);
    g.PathAddArc(30, 10, 9, 0, 90, 1);  // the other three quarters
    g.PathCloseShape();
    g.PathFillWith(IPattern::Solid(white), IFillOptions{}, nullptr);
  });
  EXPECT_EQ(Pixel(page, 14, 6).a, 255);
  EXPECT_EQ(Pixel(page, 6, 6).a, 0);
  EXPECT_EQ(Pixel(page, 14, 14).a, 0);
  EXPECT_EQ(Pixel(page, 34, 6).a, 0);
  EXPECT_EQ(Pixel(page, 26, 6).a, 255);
  EXPECT_EQ(Pixel(page, 34, 14).a, 255);
}

TEST_F(DrawingGl, QuadraticsBecomeCubicsFromTheCurrentPoint) {
  const IArgb white{255, 255, 255, 255};
  IStrokeOptions options;
  const PageImage page = Frame([&](IGraphicsVector& g) {
    g.PathMove(2, 18);
    g.PathAddQuadratic(20, -14, 38, 18);  // its midpoint is (20, 2)
    g.PathStrokeWith(IPattern::Solid(white), 2.0f, options, nullptr);
  });
  EXPECT_GT(Pixel(page, 20, 2).a, 128);
  EXPECT_EQ(Pixel(page, 20, 8).a, 0);
  EXPECT_EQ(Pixel(page, 20, 12).a, 0);
}

TEST_F(DrawingGl, GradientPatternsRunFromTheFirstStopToTheLast) {
  const IArgb red{255, 255, 0, 0}, blue{255, 0, 0, 255};
  const IPattern linear = IPattern::Linear(0, 0, 40, 0, {{red, 0.0f}, {blue, 1.0f}});
  const IPattern radial = IPattern::Radial(20, 10, 0, 10, {{red, 0.0f}, {blue, 1.0f}});
  const PageImage across = Frame([&](IGraphicsVector& g) {
    AddRect(g, IBounds(0, 0, 40, 20));
    g.PathFillWith(linear, IFillOptions{}, nullptr);
  });
  EXPECT_GT(Pixel(across, 1, 10).r, 240);
  EXPECT_GT(Pixel(across, 38, 10).b, 240);
  EXPECT_NEAR(Pixel(across, 20, 10).r, 128, 10);
  const PageImage round = Frame([&](IGraphicsVector& g) {
    AddRect(g, IBounds(0, 0, 40, 20));
    g.PathFillWith(radial, IFillOptions{}, nullptr);
  });
  EXPECT_GT(Pixel(round, 20, 10).r, 200);
  EXPECT_GT(Pixel(round, 2, 10).b, 240);
}

TEST_F(DrawingGl, ClipToAreaLimitsDrawingToTheArea) {
  const PageImage page = Frame([&](IGraphicsVector& g) {
    g.ClipToArea(IBounds(10, 5, 20, 15));
    AddRect(g, IBounds(0, 0, 40, 20));
    g.PathFillWith(IPattern::Solid(IArgb{255, 0, 255, 0}), IFillOptions{}, nullptr);
  });
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 10 && x < 20 && y >= 5 && y < 15;
      EXPECT_EQ(Pixel(page, x, y).a, inside ? 255 : 0) << x << "," << y;
    }
}

TEST_F(DrawingGl, PathTransformAppliesTheMatrixAndLayersShiftByTheirOrigin) {
  IMatrix shift;
  shift.Translate(20, 0);
  std::unique_ptr<APIBitmap> layer;
  const PageImage page = Frame([&](IGraphicsVector& g) {
    g.PathTransform(shift);
    AddRect(g, IBounds(0, 0, 4, 4));  // lands at x 20..24
    g.PathFillWith(IPattern::Solid(IArgb{255, 255, 0, 0}), IFillOptions{}, nullptr);
    g.PathTransform(IMatrix{});
    ASSERT_TRUE(g_->StartLayer(IBounds(10, 10, 20, 20)));
    AddRect(g, IBounds(10, 10, 15, 15));  // the layer's top-left quarter
    g.PathFillWith(IPattern::Solid(IArgb{255, 0, 0, 255}), IFillOptions{}, nullptr);
    layer = g_->EndLayer();
    ASSERT_NE(layer, nullptr);
    g.ClipToArea(IBounds{});
    g.DrawBitmapRegion(IGraphicsVector::MakeLayerStrip(layer.get()), IBounds(30, 0, 40, 10), 0, 0, nullptr);
  });
  EXPECT_EQ(Pixel(page, 22, 2).r, 255);
  EXPECT_EQ(Pixel(page, 2, 2).a, 0);
  EXPECT_EQ(Pixel(page, 12, 12).a, 0);  // the layer's drawing did not reach the page there
  EXPECT_EQ(Pixel(page, 32, 2).b, 255);  // it shows where the layer is drawn
  EXPECT_EQ(Pixel(page, 37, 7).a, 0);
}

TEST_F(DrawingGl, DottedLinesDrawEveryOtherDash) {
  const PageImage page = Frame([&](IGraphicsVector& g) {
    g.DrawDottedLine(IArgb{255, 255, 255, 255}, 0, 10, 40, 10, nullptr, 2.0f, 5.0f);
  });
  for (int x : {2, 12, 22, 32}) EXPECT_EQ(Pixel(page, x, 10).a, 255) << x;
  for (int x : {7, 17, 27, 37}) EXPECT_EQ(Pixel(page, x, 10).a, 0) << x;
  EXPECT_EQ(Pixel(page, 2, 14).a, 0);
}

TEST_F(DrawingGl, DottedRectanglesAndDropShadowsStayInTheirBounds) {
  const PageImage page = Frame([&](IGraphicsVector& g) {
    g.DrawDottedRect(IArgb{255, 255, 255, 255}, IBounds(2, 2, 18, 18), nullptr, 1.0f, 2.0f);
    g.DrawFastDropShadow(IBounds(26, 6, 34, 14), IBounds(22, 2, 38, 18), 0.0f, 1.0f, 3.0f, nullptr);
  });
  int dashes = 0;
  for (int x = 2; x < 18; ++x) dashes += Pixel(page, x, 2).a > 0 ? 1 : 0;
  EXPECT_GT(dashes, 3);
  EXPECT_LT(dashes, 14);
  EXPECT_EQ(Pixel(page, 10, 10).a, 0);  // inside the dotted rectangle
  const int centre = Pixel(page, 30, 10).a;
  EXPECT_NEAR(centre, 128, 12);
  EXPECT_LT(Pixel(page, 22, 2).a, centre / 2);
  EXPECT_EQ(Pixel(page, 20, 10).a, 0);  // outside the shadow's rectangle
}

TEST_F(DrawingGl, TextIsPlacedByAlignmentRotatedByItsAngleAndMissingFontsDrawNothing) {
  Open(200, 100);
  ASSERT_TRUE(g_->LoadFontResource("Test", "test.ttf"));
  ITextStyle style;
  style.SetFontId("Test");
  style.size = 20;
  style.colour = {255, 255, 255, 255};
  IBounds measured(50, 25, 150, 75);
  const float width = g_->MeasureString(style, "Ombrisk", measured);
  EXPECT_GT(width, 40.0f);
  EXPECT_NEAR(measured.MW(), 100.0f, 1.0f);
  EXPECT_NEAR(measured.MH(), 50.0f, 2.0f);
  ITextStyle missing = style;
  missing.SetFontId("NoSuchFont");
  IBounds untouched(1, 2, 3, 4);
  EXPECT_EQ(g_->MeasureString(missing, "Ombrisk", untouched), 0.0f);
  EXPECT_EQ(untouched, IBounds(1, 2, 3, 4));

  ITextStyle rotated = style;
  rotated.angle = 90;
  auto extent = [](const PageImage& page) {
    int minX = page.width, maxX = -1, minY = page.height, maxY = -1;
    for (int y = 0; y < page.height; ++y)
      for (int x = 0; x < page.width; ++x)
        if (Pixel(page, x, y).a > 64) minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
    return IBounds(static_cast<float>(minX), static_cast<float>(minY), static_cast<float>(maxX + 1), static_cast<float>(maxY + 1));
  };
  const IBounds box(50, 25, 150, 75);
  const IBounds flat = extent(Frame([&](IGraphicsVector& g) { g.DrawString(style, "Ombrisk", box, nullptr); }));
  EXPECT_GT(flat.W(), 2 * flat.H());
  EXPECT_GE(flat.left, measured.left - 1);
  EXPECT_LE(flat.right, measured.right + 1);
  const IBounds turned = extent(Frame([&](IGraphicsVector& g) { g.DrawString(rotated, "Ombrisk", box, nullptr); }));
  EXPECT_GT(turned.H(), 2 * turned.W());
  EXPECT_NEAR(turned.MW(), 100.0f, 4.0f);
  EXPECT_NEAR(turned.MH(), 50.0f, 4.0f);
  const IBounds none = extent(Frame([&](IGraphicsVector& g) { g.DrawString(missing, "Ombrisk", box, nullptr); }));
  EXPECT_TRUE(none.Empty());
}

}  // namespace
}  // namespace fx::igraphics
