// Documents drawn by the vector backend on a headless GL context, checked on
// the presented pixels against the geometry: areas, edges, gradient colours,
// view box placement, stroke widths, fill rules, blend weight and the state
// left for what is drawn next.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "DrawingTestSupport.h"
#include "graphics/SvgDocument.h"
#include "graphics/drawing/IGraphicsHeadless.h"
#include "graphics/svg/SvgImage.h"

namespace fx::igraphics {
namespace {

using namespace fx::igraphics::svg;
using K = SvgPathCommand::Kind;

struct Rgba {
  int r, g, b, a;
};

Rgba Pixel(const PageImage& image, int x, int y) {
  const std::uint8_t* p = image.At(x, y);
  return {p[0], p[1], p[2], p[3]};
}

SvgPathCommand Move(float x, float y) { return {K::Move, 0, 0, 0, 0, x, y}; }
SvgPathCommand Line(float x, float y) { return {K::Line, 0, 0, 0, 0, x, y}; }
SvgPathCommand Cubic(float a, float b, float c, float d, float x, float y) { return {K::Cubic, a, b, c, d, x, y}; }
SvgPathCommand Close() { return {K::Close, 0, 0, 0, 0, 0, 0}; }

SvgPath Rect(float l, float t, float r, float b, bool clockwise = true) {
  if (clockwise) return {Move(l, t), Line(r, t), Line(r, b), Line(l, b), Close()};
  return {Move(l, t), Line(l, b), Line(r, b), Line(r, t), Close()};
}

SvgPath Circle(float cx, float cy, float r) {
  const float k = 0.5522847f * r;
  return {Move(cx + r, cy),
          Cubic(cx + r, cy + k, cx + k, cy + r, cx, cy + r),
          Cubic(cx - k, cy + r, cx - r, cy + k, cx - r, cy),
          Cubic(cx - r, cy - k, cx - k, cy - r, cx, cy - r),
          Cubic(cx + k, cy - r, cx + r, cy - k, cx + r, cy),
          Close()};
}

SvgPath Join(SvgPath a, const SvgPath& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

SvgPaint Colour(IArgb c, float opacity = 1.0f) {
  SvgPaint p;
  p.kind = SvgPaint::Kind::Colour;
  p.colour = c;
  p.opacity = opacity;
  return p;
}

SvgShape Filled(SvgPath path, SvgPaint fill, SvgShape::FillRule rule = SvgShape::FillRule::NonZero) {
  SvgShape s;
  s.path = std::move(path);
  s.fill = std::move(fill);
  s.fillRule = rule;
  return s;
}

SvgImage Boxed(float w, float h, std::vector<SvgShape> shapes, SvgImage::Align align = SvgImage::Align::XMidYMid,
               SvgImage::MeetOrSlice mos = SvgImage::MeetOrSlice::Meet) {
  SvgImage image;
  image.width = w, image.height = h;
  image.hasViewBox = true;
  image.viewBoxWidth = w, image.viewBoxHeight = h;
  image.align = align;
  image.meetOrSlice = mos;
  image.shapes = std::move(shapes);
  return image;
}

const IArgb kRed{255, 255, 0, 0};
const IArgb kBlue{255, 0, 0, 255};
const IArgb kGreen{255, 0, 255, 0};

class SvgDrawingGl : public testing::Test {
 protected:
  void SetUp() override {
    gl_ = test::SharedGl();
    if (!gl_) GTEST_SKIP() << "no OpenGL context: " << fx::platform::OffscreenGlContext::lastError();
    g_ = std::make_unique<IGraphicsHeadless>(delegate_, 100, 100, 60, 1.0f);
    g_->SetResourceStore(&store_);
    ASSERT_TRUE(g_->OpenView({gl_->loader(), gl_->loaderUser()}));
  }

  // One frame on an emptied page: draws `image` into dest, then `after`.
  template <class F>
  PageImage Draw(const SvgImage& image, const IBounds& dest, const IBlendMode* blend, F after) {
    SvgDocument document("test.svg", image);
    g_->BeginFrame();
    g_->ClipToArea(IBounds{});
    const IBlendMode destinationIn{5, 1.0f};
    g_->FillRectangle(IArgb{0, 0, 0, 0}, IBounds(0, 0, 100, 100), &destinationIn);
    g_->DrawSvg(ISvg{&document}, dest, blend);
    after(*g_);
    g_->EndFrame();
    return g_->ReadPage();
  }
  PageImage Draw(const SvgImage& image, const IBounds& dest, const IBlendMode* blend = nullptr) {
    return Draw(image, dest, blend, [](IGraphics&) {});
  }

  static int Covered(const PageImage& page) {
    int n = 0;
    for (int y = 0; y < page.height; ++y)
      for (int x = 0; x < page.width; ++x) n += Pixel(page, x, y).a >= 128 ? 1 : 0;
    return n;
  }

  fx::platform::OffscreenGlContext* gl_ = nullptr;
  test::TestDelegate delegate_;
  test::MemoryStore store_;
  std::unique_ptr<IGraphicsHeadless> g_;
};

TEST_F(SvgDrawingGl, ACircleCoversItsAreaAndARectangleStopsAtItsEdges) {
  // Document units are pixels here: box 0 0 100 100 into the 100 x 100 page.
  const PageImage circle = Draw(Boxed(100, 100, {Filled(Circle(50, 50, 20), Colour(kRed))}), IBounds(0, 0, 100, 100));
  const double area = std::numbers::pi * 20.0 * 20.0;
  EXPECT_NEAR(Covered(circle), area, area * 0.02);
  EXPECT_EQ(Pixel(circle, 50, 50).r, 255);
  EXPECT_EQ(Pixel(circle, 50, 50).a, 255);
  EXPECT_EQ(Pixel(circle, 50, 27).a, 0) << "above the circle";
  EXPECT_EQ(Pixel(circle, 35, 35).a, 0) << "the corner of the bounding square";

  const PageImage rect = Draw(Boxed(100, 100, {Filled(Rect(20, 30, 60, 70), Colour(kGreen))}), IBounds(0, 0, 100, 100));
  for (int y = 30; y < 70; y += 13) {
    EXPECT_EQ(Pixel(rect, 20, y).g, 255) << y;
    EXPECT_EQ(Pixel(rect, 59, y).g, 255) << y;
    EXPECT_EQ(Pixel(rect, 19, y).a, 0) << y;
    EXPECT_EQ(Pixel(rect, 60, y).a, 0) << y;
  }
  for (int x = 20; x < 60; x += 13) {
    EXPECT_EQ(Pixel(rect, x, 30).a, 255) << x;
    EXPECT_EQ(Pixel(rect, x, 69).a, 255) << x;
    EXPECT_EQ(Pixel(rect, x, 29).a, 0) << x;
    EXPECT_EQ(Pixel(rect, x, 70).a, 0) << x;
  }
  EXPECT_EQ(Covered(rect), 40 * 40);
}

TEST_F(SvgDrawingGl, ALinearGradientInDocumentUnitsSpansTheScaledShape) {
  // A 10 x 2 document drawn ten times larger: the gradient's ends, given in
  // document units, land on the page's left and right edges.
  SvgPaint gradient;
  gradient.kind = SvgPaint::Kind::LinearGradient;
  gradient.x1 = 0, gradient.y1 = 0, gradient.x2 = 10, gradient.y2 = 0;
  gradient.stops = {{kRed, 0.0f}, {kBlue, 1.0f}};
  const PageImage page = Draw(Boxed(10, 2, {Filled(Rect(0, 0, 10, 2), gradient)}), IBounds(0, 40, 100, 60));
  const Rgba left = Pixel(page, 0, 50), mid = Pixel(page, 50, 50), quarter = Pixel(page, 25, 50),
             right = Pixel(page, 99, 50);
  EXPECT_GT(left.r, 245);
  EXPECT_GT(right.b, 245);
  EXPECT_NEAR(mid.r, 127, 6);
  EXPECT_NEAR(mid.b, 127, 6);
  EXPECT_EQ(mid.g, 0);
  EXPECT_NEAR(quarter.r, 191, 6);
  EXPECT_NEAR(quarter.b, 64, 6);
  EXPECT_EQ(Pixel(page, 50, 39).a, 0);
  EXPECT_EQ(Pixel(page, 50, 60).a, 0);
}

TEST_F(SvgDrawingGl, GradientEndColoursSitAtTheirStopOffsets) {
  SvgPaint gradient;
  gradient.kind = SvgPaint::Kind::LinearGradient;
  gradient.x1 = 0, gradient.y1 = 0, gradient.x2 = 100, gradient.y2 = 0;
  gradient.stops = {{kRed, 0.25f}, {kBlue, 0.75f}};
  const PageImage page = Draw(Boxed(100, 100, {Filled(Rect(0, 0, 100, 100), gradient)}), IBounds(0, 0, 100, 100));
  EXPECT_GT(Pixel(page, 20, 50).r, 250) << "before the first stop: its colour";
  EXPECT_GT(Pixel(page, 80, 50).b, 250) << "after the last stop: its colour";
  EXPECT_NEAR(Pixel(page, 50, 50).r, 127, 8);
  EXPECT_NEAR(Pixel(page, 37, 50).r, 191, 8) << "a quarter of the way from 25 to 75";
}

TEST_F(SvgDrawingGl, ARadialGradientIsItsFirstStopAtTheCentreAndItsLastAtTheRadius) {
  SvgPaint gradient;
  gradient.kind = SvgPaint::Kind::RadialGradient;
  gradient.cx = 50, gradient.cy = 50, gradient.r = 40;
  gradient.stops = {{kRed, 0.0f}, {kBlue, 1.0f}};
  const PageImage page = Draw(Boxed(100, 100, {Filled(Rect(0, 0, 100, 100), gradient)}), IBounds(0, 0, 100, 100));
  EXPECT_GT(Pixel(page, 50, 50).r, 245);
  EXPECT_NEAR(Pixel(page, 70, 50).r, 127, 8) << "half the radius";
  EXPECT_NEAR(Pixel(page, 50, 30).b, 127, 8);
  EXPECT_GT(Pixel(page, 95, 50).b, 245) << "beyond the radius";
}

TEST_F(SvgDrawingGl, MeetFitsTheBoxInsideAndSliceFillsTheDestinationAndIsClippedToIt) {
  // A square document filled red, into the page's upper half (100 x 50).
  const SvgShape square = Filled(Rect(0, 0, 10, 10), Colour(kRed));
  const IBounds upper(0, 0, 100, 50);
  const PageImage mid = Draw(Boxed(10, 10, {square}), upper);
  EXPECT_EQ(Pixel(mid, 24, 25).a, 0);
  EXPECT_EQ(Pixel(mid, 25, 25).a, 255);
  EXPECT_EQ(Pixel(mid, 74, 25).a, 255);
  EXPECT_EQ(Pixel(mid, 75, 25).a, 0);
  EXPECT_EQ(Covered(mid), 50 * 50);

  const PageImage left = Draw(Boxed(10, 10, {square}, SvgImage::Align::XMinYMid), upper);
  EXPECT_EQ(Pixel(left, 0, 25).a, 255);
  EXPECT_EQ(Pixel(left, 49, 25).a, 255);
  EXPECT_EQ(Pixel(left, 50, 25).a, 0);

  const PageImage right = Draw(Boxed(10, 10, {square}, SvgImage::Align::XMaxYMax), upper);
  EXPECT_EQ(Pixel(right, 49, 25).a, 0);
  EXPECT_EQ(Pixel(right, 50, 25).a, 255);
  EXPECT_EQ(Pixel(right, 99, 49).a, 255);

  // Slice scales by 10: 100 x 100 centred on the destination, cut to it.
  const PageImage slice =
      Draw(Boxed(10, 10, {square}, SvgImage::Align::XMidYMid, SvgImage::MeetOrSlice::Slice), upper);
  EXPECT_EQ(Covered(slice), 100 * 50);
  EXPECT_EQ(Pixel(slice, 50, 49).a, 255);
  EXPECT_EQ(Pixel(slice, 50, 50).a, 0) << "clipped below the destination";
  // Which part shows: a marker at document y 2.5..5 lands at page y 0..25.
  const SvgShape marker = Filled(Rect(0, 2.5f, 10, 5), Colour(kBlue));
  const PageImage marked =
      Draw(Boxed(10, 10, {square, marker}, SvgImage::Align::XMidYMid, SvgImage::MeetOrSlice::Slice), upper);
  EXPECT_EQ(Pixel(marked, 50, 0).b, 255);
  EXPECT_EQ(Pixel(marked, 50, 24).b, 255);
  EXPECT_EQ(Pixel(marked, 50, 25).r, 255);

  const PageImage stretched = Draw(Boxed(10, 10, {square}, SvgImage::Align::None), upper);
  EXPECT_EQ(Covered(stretched), 100 * 50);
}

TEST_F(SvgDrawingGl, StrokesAreTheirWidthScaledByTheViewBox) {
  SvgShape line;
  line.path = {Move(5, 25), Line(45, 25)};
  line.fill = SvgPaint{};
  line.stroke = Colour(kGreen);
  line.strokeWidth = 3;  // 6 pixels once the 50-unit box is drawn 100 wide
  const PageImage page = Draw(Boxed(50, 50, {line}), IBounds(0, 0, 100, 100));
  for (int x : {20, 50, 80}) {
    EXPECT_EQ(Pixel(page, x, 46).a, 0) << x;
    for (int y = 47; y < 53; ++y) EXPECT_EQ(Pixel(page, x, y).g, 255) << x << "," << y;
    EXPECT_EQ(Pixel(page, x, 53).a, 0) << x;
  }
  EXPECT_EQ(Pixel(page, 9, 50).a, 0) << "butt caps end at the ends";
  EXPECT_EQ(Pixel(page, 10, 50).a, 255);
  EXPECT_EQ(Pixel(page, 90, 50).a, 0);
  EXPECT_EQ(Covered(page), 80 * 6);
}

TEST_F(SvgDrawingGl, FillRulesCutHolesByDirectionOrByNesting) {
  const SvgPath same = Join(Rect(10, 10, 90, 90), Rect(30, 30, 70, 70));
  const SvgPath opposite = Join(Rect(10, 10, 90, 90), Rect(30, 30, 70, 70, false));
  using R = SvgShape::FillRule;
  const PageImage nonZeroSame = Draw(Boxed(100, 100, {Filled(same, Colour(kRed), R::NonZero)}), IBounds(0, 0, 100, 100));
  EXPECT_EQ(Pixel(nonZeroSame, 50, 50).a, 255) << "same direction: nonzero fills the middle";
  const SvgPath backwards = Join(Rect(10, 10, 90, 90, false), Rect(30, 30, 70, 70));
  for (const SvgPath& path : {opposite, backwards}) {
    const PageImage nonZeroOpposite =
        Draw(Boxed(100, 100, {Filled(path, Colour(kRed), R::NonZero)}), IBounds(0, 0, 100, 100));
    EXPECT_EQ(Pixel(nonZeroOpposite, 50, 50).a, 0);
    EXPECT_EQ(Pixel(nonZeroOpposite, 20, 50).a, 255);
    EXPECT_EQ(Covered(nonZeroOpposite), 80 * 80 - 40 * 40);
  }
  for (const SvgPath& path : {same, opposite}) {
    const PageImage evenOdd = Draw(Boxed(100, 100, {Filled(path, Colour(kRed), R::EvenOdd)}), IBounds(0, 0, 100, 100));
    EXPECT_EQ(Pixel(evenOdd, 50, 50).a, 0);
    EXPECT_EQ(Pixel(evenOdd, 20, 50).a, 255);
    EXPECT_EQ(Covered(evenOdd), 80 * 80 - 40 * 40);
  }
  // A lone outline drawn anticlockwise fills under either rule, convex or not.
  const SvgPath anticlockwiseL = {Move(10, 10), Line(10, 90), Line(90, 90), Line(90, 70), Line(30, 70), Line(30, 10),
                                  Close()};
  for (R rule : {R::NonZero, R::EvenOdd}) {
    const PageImage lone = Draw(Boxed(100, 100, {Filled(anticlockwiseL, Colour(kRed), rule)}), IBounds(0, 0, 100, 100));
    EXPECT_EQ(Pixel(lone, 20, 50).a, 255);
    EXPECT_EQ(Pixel(lone, 80, 80).a, 255);
    EXPECT_EQ(Pixel(lone, 60, 40).a, 0);
    EXPECT_EQ(Covered(lone), 20 * 80 + 60 * 20) << "not fattened by edges on the wrong side";
  }
  // Three levels, innermost listed first: the middle ring is the hole.
  const SvgPath nested = Join(Join(Rect(45, 45, 55, 55), Rect(30, 30, 70, 70)), Rect(10, 10, 90, 90));
  const PageImage three = Draw(Boxed(100, 100, {Filled(nested, Colour(kRed), R::EvenOdd)}), IBounds(0, 0, 100, 100));
  EXPECT_EQ(Pixel(three, 50, 50).a, 255);
  EXPECT_EQ(Pixel(three, 40, 50).a, 0);
  EXPECT_EQ(Pixel(three, 20, 50).a, 255);
}

TEST_F(SvgDrawingGl, EvenOddPathsWithoutWindingsHoleTheirLastOfSeveralSubpathsOnly) {
  // The backend's own even-odd for callers that set no windings.
  const auto rect = [](IGraphics& g, float l, float t, float r, float b) {
    g.PathMove(l, t);
    g.PathAddLine(r, t);
    g.PathAddLine(r, b);
    g.PathAddLine(l, b);
    g.PathCloseShape();
  };
  IFillOptions evenOdd;
  evenOdd.fillRule = 1;
  const PageImage lone = Draw(SvgImage{}, IBounds{}, nullptr, [&](IGraphics& g) {
    g.PathReset();
    rect(g, 10, 10, 50, 50);
    g.PathFillWith(IPattern::Solid(kRed), evenOdd, nullptr);
  });
  EXPECT_EQ(Covered(lone), 40 * 40) << "a lone outline keeps its edges inside";
  const PageImage ring = Draw(SvgImage{}, IBounds{}, nullptr, [&](IGraphics& g) {
    g.PathReset();
    rect(g, 10, 10, 90, 90);
    rect(g, 30, 30, 70, 70);
    g.PathFillWith(IPattern::Solid(kRed), evenOdd, nullptr);
  });
  EXPECT_EQ(Pixel(ring, 50, 50).a, 0);
  EXPECT_EQ(Covered(ring), 80 * 80 - 40 * 40);
}

TEST_F(SvgDrawingGl, BlendWeightAndOpacityMultiplyTheAlpha) {
  const IBlendMode quarter{0, 0.25f};
  const PageImage page = Draw(
      Boxed(100, 100, {Filled(Rect(0, 0, 50, 100), Colour(kRed)), Filled(Rect(50, 0, 100, 100), Colour(kRed, 0.5f))}),
      IBounds(0, 0, 100, 100), &quarter);
  EXPECT_NEAR(Pixel(page, 25, 50).a, 64, 1);
  EXPECT_NEAR(Pixel(page, 25, 50).r, 64, 1);  // premultiplied in the frame buffer
  EXPECT_NEAR(Pixel(page, 75, 50).a, 32, 1);
  const PageImage full = Draw(Boxed(100, 100, {Filled(Rect(0, 0, 50, 100), Colour(kRed))}), IBounds(0, 0, 100, 100));
  EXPECT_EQ(Pixel(full, 25, 50).a, 255);
}

TEST_F(SvgDrawingGl, WhatIsDrawnAfterwardsIsNeitherScaledNorClipped) {
  const SvgImage sliced = Boxed(10, 10, {Filled(Rect(0, 0, 10, 10), Colour(kRed))}, SvgImage::Align::XMidYMid,
                                SvgImage::MeetOrSlice::Slice);
  const PageImage page = Draw(sliced, IBounds(0, 0, 20, 10), nullptr, [](IGraphics& g) {
    g.FillRectangle(kBlue, IBounds(50, 50, 60, 60), nullptr);
  });
  EXPECT_EQ(Pixel(page, 10, 5).r, 255);
  EXPECT_EQ(Pixel(page, 10, 10).a, 0);
  EXPECT_EQ(Pixel(page, 55, 55).b, 255) << "outside the document's clip";
  EXPECT_EQ(Pixel(page, 59, 59).b, 255);
  EXPECT_EQ(Pixel(page, 60, 60).a, 0) << "not scaled by the document's mapping";
}

// ---------------------------------------------------------------- from SVG text

class SvgTextGl : public SvgDrawingGl {
 protected:
  // The document read through LoadSvg from the store, drawn over the page.
  PageImage DrawText(const std::string& name, const std::string& text, const IBlendMode* blend = nullptr) {
    store_.Add(name, std::vector<std::uint8_t>(text.begin(), text.end()));
    const ISvg svg = g_->LoadSvg(name.c_str());
    EXPECT_TRUE(svg.IsValid()) << name;
    g_->BeginFrame();
    g_->ClipToArea(IBounds{});
    const IBlendMode destinationIn{5, 1.0f};
    g_->FillRectangle(IArgb{0, 0, 0, 0}, IBounds(0, 0, 100, 100), &destinationIn);
    g_->DrawSvg(svg, IBounds(0, 0, 100, 100), blend);
    g_->EndFrame();
    return g_->ReadPage();
  }
};

const std::string kOpen = "<svg xmlns='http://www.w3.org/2000/svg' ";

TEST_F(SvgTextGl, AViewBoxScalesElementsAndTheirStrokes) {
  const PageImage page = DrawText("boxed.svg", kOpen + "viewBox='0 0 10 10'>"
                                  "<rect x='2' y='3' width='4' height='5' fill='#00ff00'/>"
                                  "<line x1='1' y1='9.5' x2='9' y2='9.5' stroke='blue' stroke-width='0.6'/></svg>");
  EXPECT_EQ(Pixel(page, 20, 30).g, 255);
  EXPECT_EQ(Pixel(page, 59, 79).g, 255);
  EXPECT_EQ(Pixel(page, 19, 50).a, 0);
  EXPECT_EQ(Pixel(page, 60, 50).a, 0);
  EXPECT_EQ(Pixel(page, 40, 29).a, 0);
  EXPECT_EQ(Pixel(page, 40, 80).a, 0);
  for (int y = 92; y < 98; ++y) EXPECT_EQ(Pixel(page, 50, y).b, 255) << y;
  EXPECT_EQ(Pixel(page, 50, 91).a, 0);
  EXPECT_EQ(Pixel(page, 50, 98).a, 0);
}

TEST_F(SvgTextGl, ABoundingBoxGradientSpansItsShape) {
  const PageImage page = DrawText(
      "gradient.svg", kOpen + "width='100' height='100'><defs><linearGradient id='g'>"
                              "<stop offset='0' stop-color='red'/><stop offset='1' stop-color='blue'/>"
                              "</linearGradient></defs><rect x='10' y='40' width='80' height='20' fill='url(#g)'/></svg>");
  EXPECT_GT(Pixel(page, 10, 50).r, 245);
  EXPECT_GT(Pixel(page, 89, 50).b, 245);
  EXPECT_NEAR(Pixel(page, 50, 50).r, 127, 6);
  EXPECT_NEAR(Pixel(page, 50, 50).b, 127, 6);
  EXPECT_NEAR(Pixel(page, 30, 50).r, 191, 6);
  EXPECT_EQ(Pixel(page, 9, 50).a, 0);
}

TEST_F(SvgTextGl, EvenOddPathsGroupTransformsAndOpacityArriveAsWritten) {
  const PageImage page = DrawText(
      "mixed.svg", kOpen + "width='100' height='100'>"
                           "<path fill-rule='evenodd' fill='red' d='M10 10h40v40h-40z M20 20h20v20h-20z'/>"
                           "<g transform='translate(50 0) scale(2)'><circle cx='12.5' cy='12.5' r='10' fill='blue'/></g>"
                           "<g opacity='0.5'><rect x='10' y='60' width='30' height='30' fill='green' "
                           "fill-opacity='0.5'/></g></svg>");
  EXPECT_EQ(Pixel(page, 15, 30).r, 255);
  EXPECT_EQ(Pixel(page, 30, 30).a, 0) << "the even-odd hole";
  EXPECT_EQ(Pixel(page, 75, 25).b, 255) << "the circle's centre, moved and scaled";
  EXPECT_EQ(Pixel(page, 75, 4).a, 0) << "radius 20 after scaling";
  EXPECT_EQ(Pixel(page, 75, 6).b, 255);
  EXPECT_NEAR(Pixel(page, 25, 75).a, 64, 1) << "group and fill opacity multiply";
}

TEST_F(SvgTextGl, SliceFromTheDocumentFillsThePageFromItsTopLeft) {
  const PageImage page = DrawText(
      "slice.svg", kOpen + "viewBox='0 0 20 10' preserveAspectRatio='xMinYMin slice'>"
                           "<rect width='10' height='10' fill='red'/><rect x='10' width='10' height='10' fill='blue'/></svg>");
  EXPECT_EQ(Pixel(page, 50, 50).r, 255) << "the left half, ten times larger, covers the page";
  EXPECT_EQ(Pixel(page, 99, 99).r, 255);
  EXPECT_EQ(Covered(page), 100 * 100);
}

}  // namespace
}  // namespace fx::igraphics
