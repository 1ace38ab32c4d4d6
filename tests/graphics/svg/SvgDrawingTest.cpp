// Drawing parsed documents without GL: the view box mapping for every
// alignment, paints turned into patterns, subpaths and their windings, and
// the path operations DrawSvg calls on the recording backend.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "graphics/SvgDocument.h"
#include "graphics/controls/IControl.h"
#include "graphics/svg/SvgDrawing.h"
#include "tests/graphics/FakeEditorDelegate.h"
#include "tests/graphics/FakeResourceStore.h"
#include "tests/graphics/RecordingGraphics.h"

namespace {

using namespace fx::igraphics;
using namespace fx::igraphics::svg;
using testing_support::FakeEditorDelegate;
using testing_support::RecordingGraphics;
using K = SvgPathCommand::Kind;

SvgPathCommand Move(float x, float y) { return {K::Move, 0, 0, 0, 0, x, y}; }
SvgPathCommand Line(float x, float y) { return {K::Line, 0, 0, 0, 0, x, y}; }
SvgPathCommand Cubic(float a, float b, float c, float d, float x, float y) { return {K::Cubic, a, b, c, d, x, y}; }
SvgPathCommand Close() { return {K::Close, 0, 0, 0, 0, 0, 0}; }

// A rectangle clockwise on screen (right, down, left), or the other way round.
SvgPath Rect(float l, float t, float r, float b, bool clockwise = true) {
  if (clockwise) return {Move(l, t), Line(r, t), Line(r, b), Line(l, b), Close()};
  return {Move(l, t), Line(l, b), Line(r, b), Line(r, t), Close()};
}

// A circle of four cubics, clockwise on screen.
SvgPath Circle(float cx, float cy, float r) {
  const float k = 0.5522847f * r;
  return {Move(cx + r, cy),
          Cubic(cx + r, cy + k, cx + k, cy + r, cx, cy + r),
          Cubic(cx - k, cy + r, cx - r, cy + k, cx - r, cy),
          Cubic(cx - r, cy - k, cx - k, cy - r, cx, cy - r),
          Cubic(cx + k, cy - r, cx + r, cy - k, cx + r, cy),
          Close()};
}

SvgPaint Colour(IArgb c, float opacity = 1.0f) {
  SvgPaint p;
  p.kind = SvgPaint::Kind::Colour;
  p.colour = c;
  p.opacity = opacity;
  return p;
}

SvgPaint Gradient(SvgPaint::Kind kind, IMatrix transform, std::vector<SvgGradientStop> stops) {
  SvgPaint p;
  p.kind = kind;
  p.transform = transform;
  p.stops = std::move(stops);
  return p;
}

SvgImage Boxed(float x, float y, float w, float h, SvgImage::Align align = SvgImage::Align::XMidYMid,
               SvgImage::MeetOrSlice mos = SvgImage::MeetOrSlice::Meet) {
  SvgImage image;
  image.width = w, image.height = h;
  image.hasViewBox = true;
  image.viewBoxX = x, image.viewBoxY = y, image.viewBoxWidth = w, image.viewBoxHeight = h;
  image.align = align;
  image.meetOrSlice = mos;
  return image;
}

void ExpectMatrix(const IMatrix& m, float xx, float yy, float tx, float ty, const std::string& what) {
  EXPECT_FLOAT_EQ(m.xx, xx) << what;
  EXPECT_FLOAT_EQ(m.yy, yy) << what;
  EXPECT_EQ(m.yx, 0.0f) << what;
  EXPECT_EQ(m.xy, 0.0f) << what;
  EXPECT_NEAR(m.tx, tx, 1e-4f) << what;
  EXPECT_NEAR(m.ty, ty, 1e-4f) << what;
}

// ---------------------------------------------------------------- view box

TEST(SvgViewBox, EveryAlignmentPlacesAWideBoxInAWideDestinationForMeetAndSlice) {
  // Box -5 10 100 50 into 400 x 100 at (10, 20): meet scales by 2 leaving
  // 200 units of width free; slice scales by 4 and overflows 100 in height.
  struct Case {
    SvgImage::Align align;
    float meetTx, sliceTy;
  };
  using A = SvgImage::Align;
  const Case cases[] = {{A::XMinYMin, 20, -20},  {A::XMidYMin, 120, -20},  {A::XMaxYMin, 220, -20},
                        {A::XMinYMid, 20, -70},  {A::XMidYMid, 120, -70},  {A::XMaxYMid, 220, -70},
                        {A::XMinYMax, 20, -120}, {A::XMidYMax, 120, -120}, {A::XMaxYMax, 220, -120}};
  const IBounds dest(10, 20, 410, 120);
  for (const Case& c : cases) {
    const std::string name = "align " + std::to_string(static_cast<int>(c.align));
    IMatrix m;
    ASSERT_TRUE(ViewBoxTransform(Boxed(-5, 10, 100, 50, c.align, SvgImage::MeetOrSlice::Meet), dest, m));
    ExpectMatrix(m, 2, 2, c.meetTx, 0, name + " meet");
    ASSERT_TRUE(ViewBoxTransform(Boxed(-5, 10, 100, 50, c.align, SvgImage::MeetOrSlice::Slice), dest, m));
    ExpectMatrix(m, 4, 4, 30, c.sliceTy, name + " slice");
  }
}

TEST(SvgViewBox, ATallDestinationMovesTheBoxDownForMeetAndLeftForSlice) {
  // Box 0 0 100 50 into 100 x 200: meet keeps scale 1 with 150 free below;
  // slice scales by 4 and overflows 300 in width.
  using A = SvgImage::Align;
  const IBounds dest(0, 0, 100, 200);
  const A aligns[] = {A::XMinYMin, A::XMidYMid, A::XMaxYMax};
  const float meetTy[] = {0, 75, 150};
  const float sliceTx[] = {0, -150, -300};
  for (int i = 0; i < 3; ++i) {
    IMatrix m;
    ASSERT_TRUE(ViewBoxTransform(Boxed(0, 0, 100, 50, aligns[i]), dest, m));
    ExpectMatrix(m, 1, 1, 0, meetTy[i], "meet " + std::to_string(i));
    ASSERT_TRUE(ViewBoxTransform(Boxed(0, 0, 100, 50, aligns[i], SvgImage::MeetOrSlice::Slice), dest, m));
    ExpectMatrix(m, 4, 4, sliceTx[i], 0, "slice " + std::to_string(i));
  }
}

TEST(SvgViewBox, NoneStretchesAndWithoutAViewBoxTheDocumentSizeIsTheBox) {
  IMatrix m;
  ASSERT_TRUE(ViewBoxTransform(Boxed(-5, 10, 100, 50, SvgImage::Align::None), IBounds(10, 20, 410, 120), m));
  ExpectMatrix(m, 4, 2, 30, 0, "none");
  ASSERT_TRUE(ViewBoxTransform(Boxed(-5, 10, 100, 50, SvgImage::Align::None, SvgImage::MeetOrSlice::Slice),
                               IBounds(10, 20, 410, 120), m));
  ExpectMatrix(m, 4, 2, 30, 0, "none ignores slice");

  SvgImage sized;
  sized.width = 20, sized.height = 10;
  ASSERT_TRUE(ViewBoxTransform(sized, IBounds(0, 0, 40, 40), m));
  ExpectMatrix(m, 2, 2, 0, 10, "document size, centred");
  sized.viewBoxWidth = 1000;  // ignored: there is no view box
  ASSERT_TRUE(ViewBoxTransform(sized, IBounds(0, 0, 40, 40), m));
  ExpectMatrix(m, 2, 2, 0, 10, "stray view box fields");
}

TEST(SvgViewBox, EmptyOrNonFiniteBoxesAndDestinationsMapNothing) {
  const float nan = std::nanf("");
  const float inf = std::numeric_limits<float>::infinity();
  IMatrix m;
  m.tx = 7;
  EXPECT_FALSE(ViewBoxTransform(Boxed(0, 0, 0, 10), IBounds(0, 0, 10, 10), m));
  EXPECT_EQ(m, IMatrix{}) << "the identity on failure";
  EXPECT_FALSE(ViewBoxTransform(Boxed(0, 0, 10, -1), IBounds(0, 0, 10, 10), m));
  EXPECT_FALSE(ViewBoxTransform(Boxed(0, nan, 10, 10), IBounds(0, 0, 10, 10), m));
  EXPECT_FALSE(ViewBoxTransform(Boxed(0, 0, inf, 10), IBounds(0, 0, 10, 10), m));
  EXPECT_FALSE(ViewBoxTransform(Boxed(0, 0, 10, 10), IBounds(0, 0, 0, 10), m));
  EXPECT_FALSE(ViewBoxTransform(Boxed(0, 0, 10, 10), IBounds(10, 0, 0, 10), m));
  EXPECT_FALSE(ViewBoxTransform(Boxed(0, 0, 10, 10), IBounds(0, 0, nan, 10), m));
  EXPECT_FALSE(ViewBoxTransform(Boxed(0, 0, 1e-30f, 10, SvgImage::Align::None), IBounds(0, 0, 1e30f, 10), m))
      << "scale overflows";
  SvgImage unsized;
  EXPECT_FALSE(ViewBoxTransform(unsized, IBounds(0, 0, 10, 10), m));
  SvgImage odd = Boxed(0, 0, 10, 10);
  odd.align = static_cast<SvgImage::Align>(42);
  ASSERT_TRUE(ViewBoxTransform(odd, IBounds(0, 0, 30, 10), m));
  ExpectMatrix(m, 1, 1, 10, 0, "an unknown align centres");
}

TEST(SvgViewBox, TransformedBoundsHoldTheRotatedCorners) {
  IMatrix turn;
  turn.Translate(100, 0).Rotate(90);  // (x, y) -> (100 - y, x)
  const IBounds b = TransformedBounds(turn, IBounds(0, 0, 20, 10));
  EXPECT_NEAR(b.left, 90, 1e-4);
  EXPECT_NEAR(b.top, 0, 1e-4);
  EXPECT_NEAR(b.right, 100, 1e-4);
  EXPECT_NEAR(b.bottom, 20, 1e-4);
  IMatrix bad;
  bad.xx = std::nanf("");
  EXPECT_TRUE(TransformedBounds(bad, IBounds(0, 0, 1, 1)).AllZero());
}

// ---------------------------------------------------------------- paints

TEST(SvgPaints, ColoursTakeTheOpacityInTheirAlphaAndNoneIsNotPainted) {
  IPattern p;
  ASSERT_TRUE(PatternForPaint(Colour({200, 10, 20, 30}, 0.5f), p));
  EXPECT_EQ(p, IPattern::Solid({100, 10, 20, 30}));
  ASSERT_TRUE(PatternForPaint(Colour({255, 1, 2, 3}, 0.5f), p));
  EXPECT_EQ(p.colour.a, 128) << "rounded";
  ASSERT_TRUE(PatternForPaint(Colour({200, 1, 2, 3}, 7.0f), p));
  EXPECT_EQ(p.colour.a, 200) << "opacity beyond 1 counts as 1";
  ASSERT_TRUE(PatternForPaint(Colour({200, 1, 2, 3}, std::nanf("")), p));
  EXPECT_EQ(p.colour.a, 0);
  ASSERT_TRUE(PatternForPaint(Colour({900, 1, 2, 3}, 1.0f), p));
  EXPECT_EQ(p.colour.a, 255) << "alpha kept in range";
  SvgPaint none;
  EXPECT_FALSE(PatternForPaint(none, p));
  none.kind = static_cast<SvgPaint::Kind>(9);
  EXPECT_FALSE(PatternForPaint(none, p));
}

TEST(SvgPaints, LinearGradientsMapIntoDocumentUnitsWithTheirStopsScaledByOpacity) {
  IMatrix m;
  m.Translate(10, 20).Scale(2, 3);
  SvgPaint paint = Gradient(SvgPaint::Kind::LinearGradient, m,
                            {{{255, 255, 0, 0}, 0.0f}, {{255, 0, 255, 0}, 0.25f}, {{128, 0, 0, 255}, 1.0f}});
  paint.opacity = 0.5f;
  IPattern p;
  ASSERT_TRUE(PatternForPaint(paint, p));
  EXPECT_EQ(p.kind, IPattern::Kind::Linear);
  EXPECT_FLOAT_EQ(p.x1, 10);
  EXPECT_FLOAT_EQ(p.y1, 20);
  EXPECT_FLOAT_EQ(p.x2, 12);
  EXPECT_FLOAT_EQ(p.y2, 20);
  ASSERT_EQ(p.stops.size(), 3u);
  EXPECT_EQ(p.stops[0], (IPattern::Stop{{128, 255, 0, 0}, 0.0f}));
  EXPECT_EQ(p.stops[1], (IPattern::Stop{{128, 0, 255, 0}, 0.25f}));
  EXPECT_EQ(p.stops[2], (IPattern::Stop{{64, 0, 0, 255}, 1.0f}));
}

TEST(SvgPaints, ALinearGradientUnderAnUnequalScaleKeepsItsColourAtEveryPoint) {
  // Gradient (0,0)->(1,1) stretched twice in x. At document point q the
  // colour is that of M^-1 q in gradient space: (2,0) and (0,1) are both
  // half way, (2,1) is the end. Mapping the two ends would tilt the bands.
  IMatrix m;
  m.Scale(2, 1);
  SvgPaint paint = Gradient(SvgPaint::Kind::LinearGradient, m, {{{255, 0, 0, 0}, 0}, {{255, 255, 255, 255}, 1}});
  paint.x1 = 0, paint.y1 = 0, paint.x2 = 1, paint.y2 = 1;
  IPattern p;
  ASSERT_TRUE(PatternForPaint(paint, p));
  const auto t = [&](float x, float y) {
    const float dx = p.x2 - p.x1, dy = p.y2 - p.y1;
    return ((x - p.x1) * dx + (y - p.y1) * dy) / (dx * dx + dy * dy);
  };
  EXPECT_NEAR(t(0, 0), 0.0f, 1e-5);
  EXPECT_NEAR(t(2, 0), 0.5f, 1e-5);
  EXPECT_NEAR(t(0, 1), 0.5f, 1e-5);
  EXPECT_NEAR(t(2, 1), 1.0f, 1e-5);
  EXPECT_NEAR(t(4, 2), 2.0f, 1e-5);
}

TEST(SvgPaints, RadialGradientsMoveTheirCentreAndScaleTheirRadiusByTheMeanScale) {
  IMatrix m;
  m.Translate(5, 5).Scale(2, 2);
  SvgPaint paint = Gradient(SvgPaint::Kind::RadialGradient, m, {{{255, 255, 0, 0}, 0}, {{255, 0, 0, 255}, 1}});
  IPattern p;
  ASSERT_TRUE(PatternForPaint(paint, p));
  EXPECT_EQ(p.kind, IPattern::Kind::Radial);
  EXPECT_FLOAT_EQ(p.x1, 6);
  EXPECT_FLOAT_EQ(p.y1, 6);
  EXPECT_FLOAT_EQ(p.r1, 0);
  EXPECT_FLOAT_EQ(p.r2, 1);
  paint.fx = 0.9f, paint.fy = 0.1f;
  IPattern focused;
  ASSERT_TRUE(PatternForPaint(paint, focused));
  EXPECT_EQ(focused, p) << "the focus does not move the pattern";
  paint.transform = IMatrix{};
  paint.transform.Scale(8, 2);  // an ellipse: drawn as the circle of equal area
  ASSERT_TRUE(PatternForPaint(paint, p));
  EXPECT_FLOAT_EQ(p.x1, 4);
  EXPECT_FLOAT_EQ(p.y1, 1);
  EXPECT_FLOAT_EQ(p.r2, 2);
}

TEST(SvgPaints, DegenerateGradientsPaintTheirLastStopOrNothing) {
  const std::vector<SvgGradientStop> two = {{{255, 255, 0, 0}, 0}, {{255, 0, 0, 255}, 1}};
  IPattern p;
  SvgPaint linear = Gradient(SvgPaint::Kind::LinearGradient, IMatrix{}, two);
  linear.x2 = linear.x1, linear.y2 = linear.y1;
  ASSERT_TRUE(PatternForPaint(linear, p));
  EXPECT_EQ(p, IPattern::Solid({255, 0, 0, 255})) << "ends that meet";
  SvgPaint radial = Gradient(SvgPaint::Kind::RadialGradient, IMatrix{}, two);
  radial.r = 0;
  ASSERT_TRUE(PatternForPaint(radial, p));
  EXPECT_EQ(p, IPattern::Solid({255, 0, 0, 255})) << "radius 0";
  SvgPaint single = Gradient(SvgPaint::Kind::RadialGradient, IMatrix{}, {{{200, 9, 8, 7}, 0.3f}});
  single.opacity = 0.5f;
  ASSERT_TRUE(PatternForPaint(single, p));
  EXPECT_EQ(p, IPattern::Solid({100, 9, 8, 7})) << "one stop";

  radial.r = -1;
  EXPECT_FALSE(PatternForPaint(radial, p)) << "negative radius";
  SvgPaint empty = Gradient(SvgPaint::Kind::LinearGradient, IMatrix{}, {});
  EXPECT_FALSE(PatternForPaint(empty, p)) << "no stops";
  SvgPaint collapsed = Gradient(SvgPaint::Kind::LinearGradient, IMatrix{1, 0, 0, 0, 0, 0}, two);
  EXPECT_FALSE(PatternForPaint(collapsed, p)) << "a zero-height bounding box";
  SvgPaint nan = Gradient(SvgPaint::Kind::LinearGradient, IMatrix{}, two);
  nan.x2 = std::nanf("");
  EXPECT_FALSE(PatternForPaint(nan, p));
  nan = Gradient(SvgPaint::Kind::RadialGradient, IMatrix{}, two);
  nan.transform.tx = std::numeric_limits<float>::infinity();
  EXPECT_FALSE(PatternForPaint(nan, p));
}

TEST(SvgPaints, StopOffsetsAreClampedAndNeverDecrease) {
  SvgPaint paint = Gradient(SvgPaint::Kind::LinearGradient, IMatrix{},
                            {{{255, 0, 0, 0}, -0.5f}, {{255, 0, 0, 0}, 0.6f}, {{255, 0, 0, 0}, 0.4f},
                             {{255, 0, 0, 0}, std::nanf("")}, {{255, 0, 0, 0}, 3.0f}});
  IPattern p;
  ASSERT_TRUE(PatternForPaint(paint, p));
  ASSERT_EQ(p.stops.size(), 5u);
  const float expected[] = {0.0f, 0.6f, 0.6f, 0.6f, 1.0f};
  for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(p.stops[static_cast<std::size_t>(i)].offset, expected[i]) << i;
}

TEST(SvgPaints, StrokeOptionsFollowTheShapeAndBadValuesTakeDefaults) {
  SvgShape s;
  s.cap = SvgShape::LineCap::Round, s.join = SvgShape::LineJoin::Bevel, s.miterLimit = 7;
  IStrokeOptions o = StrokeOptionsFor(s);
  EXPECT_EQ(o.cap, 1);
  EXPECT_EQ(o.join, 2);
  EXPECT_FLOAT_EQ(o.miterLimit, 7);
  EXPECT_FALSE(o.preserve);
  s.cap = SvgShape::LineCap::Square, s.join = SvgShape::LineJoin::Round;
  o = StrokeOptionsFor(s);
  EXPECT_EQ(o.cap, 2);
  EXPECT_EQ(o.join, 1);
  s.cap = static_cast<SvgShape::LineCap>(-3), s.join = static_cast<SvgShape::LineJoin>(8), s.miterLimit = 0.5f;
  o = StrokeOptionsFor(s);
  EXPECT_EQ(o.cap, 0);
  EXPECT_EQ(o.join, 0);
  EXPECT_FLOAT_EQ(o.miterLimit, 4);
  s.miterLimit = std::nanf("");
  EXPECT_FLOAT_EQ(StrokeOptionsFor(s).miterLimit, 4);
}

// ---------------------------------------------------------------- subpaths

TEST(SvgSubpaths, EachSubpathStartsWithAMoveAndBadCommandsAreDropped) {
  const float nan = std::nanf("");
  const SvgPath path = {Line(1, 1),  Close(),    Close(),   Move(5, 5), Line(6, 5), Line(nan, 0),
                        Line(6, 6),  Close(),    Line(9, 9), Cubic(1, 2, 3, 4, 5, 6)};
  const std::vector<SvgPath> parts = SplitSubpaths(path);
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[0], (SvgPath{Move(0, 0), Line(1, 1), Close()})) << "a path without a first move starts at 0,0";
  EXPECT_EQ(parts[1], (SvgPath{Move(5, 5), Line(6, 5), Line(6, 6), Close()}));
  EXPECT_EQ(parts[2], (SvgPath{Move(5, 5), Line(9, 9), Cubic(1, 2, 3, 4, 5, 6)})) << "after a close: its start";
  EXPECT_TRUE(SplitSubpaths({}).empty());
  EXPECT_TRUE(SplitSubpaths({Close(), Move(nan, 1)}).empty());
}

TEST(SvgSubpaths, FlatteningFollowsCubicsAndTheAreaHasTheRendererSign) {
  const std::vector<float> square = FlattenSubpath(Rect(0, 0, 10, 10), 4);
  EXPECT_EQ(square, (std::vector<float>{0, 0, 10, 0, 10, 10, 0, 10}));
  EXPECT_DOUBLE_EQ(SignedArea2(square), 200.0) << "clockwise on screen is positive";
  EXPECT_DOUBLE_EQ(SignedArea2(FlattenSubpath(Rect(0, 0, 10, 10, false), 4)), -200.0);
  const std::vector<float> circle = FlattenSubpath(Circle(0, 0, 10), 16);
  EXPECT_EQ(circle.size(), 2u * (1 + 4 * 16));
  EXPECT_NEAR(SignedArea2(circle) / 2.0, std::numbers::pi * 100.0, 1.0);
  EXPECT_EQ(SignedArea2({}), 0.0);
}

TEST(SvgSubpaths, NonZeroKeepsEveryOrientationAndEvenOddAlternatesByNesting) {
  const std::vector<SvgPath> opposite = {Rect(0, 0, 30, 30), Rect(10, 10, 20, 20, false)};
  const std::vector<SvgPath> same = {Rect(0, 0, 30, 30), Rect(10, 10, 20, 20)};
  using R = SvgShape::FillRule;
  EXPECT_EQ(HoleSubpaths(opposite, R::NonZero), (std::vector<bool>{false, true}));
  EXPECT_EQ(HoleSubpaths(same, R::NonZero), (std::vector<bool>{false, false})) << "nonzero fills the middle";
  EXPECT_EQ(HoleSubpaths({Rect(0, 0, 30, 30, false)}, R::NonZero), (std::vector<bool>{false}))
      << "a lone anticlockwise outline is solid";
  const std::vector<SvgPath> backwards = {Rect(0, 0, 30, 30, false), Rect(10, 10, 20, 20)};
  EXPECT_EQ(HoleSubpaths(backwards, R::NonZero), (std::vector<bool>{false, true}))
      << "turned together: the largest outline decides";
  const std::vector<SvgPath> apart = {Rect(0, 0, 30, 30, false), Rect(40, 0, 50, 10), Rect(60, 0, 70, 10, false)};
  EXPECT_EQ(HoleSubpaths(apart, R::NonZero), (std::vector<bool>{false, true, false}))
      << "orientations relative to each other are kept";
  EXPECT_EQ(HoleSubpaths(same, R::EvenOdd), (std::vector<bool>{false, true}));
  EXPECT_EQ(HoleSubpaths(opposite, R::EvenOdd), (std::vector<bool>{false, true}));
  // Listed inside out, with a third level and a separate island.
  const std::vector<SvgPath> nested = {Rect(12, 12, 18, 18), Rect(10, 10, 20, 20), Rect(0, 0, 30, 30),
                                       Rect(40, 0, 50, 10, false)};
  EXPECT_EQ(HoleSubpaths(nested, R::EvenOdd), (std::vector<bool>{false, true, false, false}));
  const std::vector<SvgPath> rings = {Circle(15, 15, 15), Circle(15, 15, 10)};
  EXPECT_EQ(HoleSubpaths(rings, R::EvenOdd), (std::vector<bool>{false, true}));
  EXPECT_TRUE(HoleSubpaths({}, R::EvenOdd).empty());
}

TEST(SvgSubpaths, EvenOddOverThousandsOfSubpathsFallsBackToOrientation) {
  // 3000 squares in a row and, inside the first, one running each way: past
  // the nesting budget the same-direction inner square is not a hole.
  std::vector<SvgPath> many;
  for (int i = 0; i < 3000; ++i) many.push_back(Rect(i * 10.0f, 0, i * 10.0f + 8, 8));
  many.push_back(Rect(2, 2, 6, 6));
  many.push_back(Rect(3, 3, 5, 5, false));
  const std::vector<bool> holes = HoleSubpaths(many, SvgShape::FillRule::EvenOdd);
  ASSERT_EQ(holes.size(), many.size());
  EXPECT_FALSE(holes[0]);
  EXPECT_FALSE(holes[2999]);
  EXPECT_FALSE(holes[3000]);
  EXPECT_TRUE(holes[3001]);
  // Under the budget the same nesting is counted.
  const std::vector<bool> few = HoleSubpaths({many[0], many[3000], many[3001]}, SvgShape::FillRule::EvenOdd);
  EXPECT_EQ(few, (std::vector<bool>{false, true, false}));
}

TEST(SvgPrepare, ShapesThatPaintNothingAreLeftOutAndTheRestCarryTheirDrawing) {
  SvgImage image = Boxed(0, 0, 10, 10);
  SvgShape ring;
  ring.path = Rect(0, 0, 10, 10);
  const SvgPath inner = Rect(2, 2, 8, 8);
  ring.path.insert(ring.path.end(), inner.begin(), inner.end());
  ring.fill = Colour({255, 9, 9, 9}, 0.5f);
  ring.fillRule = SvgShape::FillRule::EvenOdd;
  ring.stroke = Colour({255, 1, 1, 1});
  ring.strokeWidth = 2;
  ring.join = SvgShape::LineJoin::Round;
  SvgShape invisible = ring;
  invisible.fill = SvgPaint{};
  invisible.strokeWidth = 0;
  SvgShape pathless;
  pathless.fill = Colour({255, 0, 0, 0});
  pathless.path = {Close()};
  SvgShape line;
  line.path = {Move(0, 0), Line(5, 5)};
  line.stroke = Colour({255, 2, 2, 2});
  image.shapes = {invisible, ring, pathless, line};
  const std::vector<SvgDrawShape> shapes = PrepareShapes(image);
  ASSERT_EQ(shapes.size(), 2u);
  const SvgDrawShape& r = shapes[0];
  EXPECT_TRUE(r.fills && r.strokes);
  EXPECT_EQ(r.subpaths.size(), 2u);
  EXPECT_EQ(r.holes, (std::vector<bool>{false, true}));
  EXPECT_EQ(r.fill, IPattern::Solid({128, 9, 9, 9}));
  EXPECT_EQ(r.fillOptions, (IFillOptions{1, true}));
  EXPECT_EQ(r.strokeWidth, 2.0f);
  EXPECT_EQ(r.strokeOptions.join, 1);
  const SvgDrawShape& l = shapes[1];
  EXPECT_FALSE(l.fills);
  EXPECT_TRUE(l.strokes);
  EXPECT_TRUE(l.holes.empty());
  EXPECT_EQ(l.strokeWidth, 1.0f);
  EXPECT_TRUE(PrepareShapes(SvgImage{}).empty());
}

// ---------------------------------------------------------------- DrawSvg calls

class DrawSvgCalls : public ::testing::Test {
 protected:
  // Draws the image into dest and returns the calls made.
  std::vector<std::string> Draw(const SvgImage& image, const IBounds& dest, const IBlendMode* blend = nullptr) {
    document = std::make_unique<SvgDocument>("test.svg", image);
    graphics.ClearLog();
    graphics.DrawSvg(ISvg{document.get()}, dest, blend);
    return graphics.log;
  }

  FakeEditorDelegate delegate;
  RecordingGraphics graphics{delegate, 200, 200};
  std::unique_ptr<SvgDocument> document;
};

TEST_F(DrawSvgCalls, AFilledAndStrokedRectangleIsMappedFilledKeptStrokedAndEverythingRestored) {
  SvgImage image = Boxed(0, 0, 10, 10);
  SvgShape shape;
  shape.path = Rect(0, 0, 10, 10);
  shape.fill = Colour({255, 255, 0, 0}, 0.5f);
  shape.stroke = Colour({255, 0, 0, 255});
  shape.strokeWidth = 1.5f;
  shape.cap = SvgShape::LineCap::Round, shape.join = SvgShape::LineJoin::Bevel, shape.miterLimit = 3;
  image.shapes.push_back(shape);
  const IBlendMode blend{0, 0.25f};
  const std::vector<std::string> expected = {
      "ClipToArea(100,50,120,70)", "PathTransform(2,0,0,2,100,50)",
      "PathReset()", "PathMove(0,0)", "PathWinding(0)", "PathAddLine(10,0)", "PathAddLine(10,10)",
      "PathAddLine(0,10)", "PathCloseShape()", "PathFillWith(0,128,255,0,0,0,0.25)", "PathStrokeWith(0,1.5)",
      "PathReset()", "PathTransform(1,0,0,1,0,0)", "ClipToArea(0,0,0,0)"};
  EXPECT_EQ(Draw(image, IBounds(100, 50, 120, 70), &blend), expected);
  ASSERT_EQ(graphics.fillOptions.size(), 1u);
  EXPECT_TRUE(graphics.fillOptions[0].preserve) << "the stroke reuses the path";
  ASSERT_EQ(graphics.strokeOptions.size(), 1u);
  EXPECT_EQ(graphics.strokeOptions[0], (IStrokeOptions{1, 2, 3.0f, false}));
  EXPECT_EQ(graphics.patterns[1], IPattern::Solid({255, 0, 0, 255}));
  EXPECT_EQ(graphics.GetTransform(), IMatrix{});
}

TEST_F(DrawSvgCalls, EvenOddHolesCubicsAndGradientsInDocumentUnitsReachTheBackend) {
  SvgImage image = Boxed(0, 0, 30, 30);
  SvgShape ring;
  ring.path = Circle(15, 15, 15);
  const SvgPath inner = Circle(15, 15, 5);
  ring.path.insert(ring.path.end(), inner.begin(), inner.end());
  ring.fillRule = SvgShape::FillRule::EvenOdd;
  IMatrix box;
  box.Translate(0, 0).Scale(30, 30);
  ring.fill = Gradient(SvgPaint::Kind::LinearGradient, box, {{{255, 255, 0, 0}, 0}, {{255, 0, 0, 255}, 1}});
  image.shapes.push_back(ring);
  const std::vector<std::string> calls = Draw(image, IBounds(0, 0, 60, 60));
  EXPECT_EQ(graphics.Calls("PathWinding"), (std::vector<std::string>{"PathWinding(0)", "PathWinding(1)"}));
  EXPECT_EQ(graphics.Calls("PathAddCubic").size(), 8u);
  EXPECT_EQ(graphics.Calls("PathAddCubic")[0], "PathAddCubic(30,23.2843,23.2843,30,15,30)");
  EXPECT_EQ(graphics.Calls("PathFillWith"), (std::vector<std::string>{"PathFillWith(1,255,0,0,0,1,-1)"}));
  EXPECT_TRUE(graphics.Calls("PathStrokeWith").empty()) << "no stroke by default";
  ASSERT_EQ(graphics.patterns.size(), 1u);
  // Document units: the view box mapping is the path transform's business.
  const IPattern& p = graphics.patterns[0];
  EXPECT_EQ(p.kind, IPattern::Kind::Linear);
  EXPECT_NEAR(p.x1, 0, 1e-4);
  EXPECT_NEAR(p.y1, 0, 1e-4);
  EXPECT_NEAR(p.x2, 30, 1e-4);
  EXPECT_NEAR(p.y2, 0, 1e-4);
  EXPECT_EQ(p.stops, (std::vector<IPattern::Stop>{{{255, 255, 0, 0}, 0.0f}, {{255, 0, 0, 255}, 1.0f}}));
  EXPECT_FALSE(graphics.fillOptions[0].preserve);
}

TEST_F(DrawSvgCalls, StrokeOnlyShapesSetNoWindingAndUnpaintedShapesMakeNoPath) {
  SvgImage image = Boxed(0, 0, 10, 10);
  SvgShape line;
  line.path = {Move(1, 1), Line(9, 9)};
  line.fill = SvgPaint{};
  line.stroke = Colour({255, 1, 2, 3});
  line.strokeWidth = 2;
  SvgShape hidden = line;
  hidden.stroke = SvgPaint{};
  SvgShape thin = line;
  thin.strokeWidth = 0;
  SvgShape empty;
  empty.fill = Colour({255, 0, 0, 0});
  image.shapes = {hidden, thin, line, empty};
  Draw(image, IBounds(0, 0, 10, 10));
  EXPECT_EQ(graphics.Calls("PathReset").size(), 2u) << "the line, and the final reset";
  EXPECT_EQ(graphics.Calls("PathMove"), (std::vector<std::string>{"PathMove(1,1)"}));
  EXPECT_TRUE(graphics.Calls("PathWinding").empty());
  EXPECT_TRUE(graphics.Calls("PathFillWith").empty());
  EXPECT_EQ(graphics.Calls("PathStrokeWith"), (std::vector<std::string>{"PathStrokeWith(0,2)"}));
}

TEST_F(DrawSvgCalls, SliceClipsToTheDestinationAndAnOuterTransformIsComposedAndRestored) {
  SvgImage image = Boxed(0, 0, 10, 10, SvgImage::Align::XMidYMid, SvgImage::MeetOrSlice::Slice);
  SvgShape shape;
  shape.path = Rect(0, 0, 10, 10);
  shape.fill = Colour({255, 0, 0, 0});
  image.shapes.push_back(shape);
  IMatrix shift;
  shift.Translate(5, 7);
  graphics.SetTransform(shift);
  const std::vector<std::string> calls = Draw(image, IBounds(0, 0, 20, 10));
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], "ClipToArea(5,7,25,17)") << "dest in layout units";
  EXPECT_EQ(calls[1], "PathTransform(2,0,0,2,5,2)") << "scale 2, centred: 5 units cut off above";
  EXPECT_EQ(calls[calls.size() - 2], "PathTransform(1,0,0,1,5,7)");
  EXPECT_EQ(calls.back(), "ClipToArea(0,0,0,0)");
  EXPECT_EQ(graphics.GetTransform(), shift);
}

// A control drawing a document into its bounds: the clip it paints under
// narrows the document's.
class SvgControl : public IControl {
 public:
  SvgControl(const IBounds& bounds, ISvg svg) : IControl(bounds), svg_(svg) {}
  void Paint(IGraphics& g) override { g.DrawSvg(svg_, GetBounds().GetTranslated(-10, 0), nullptr); }

 private:
  ISvg svg_;
};

TEST_F(DrawSvgCalls, InsideAControlThePaintClipNarrowsTheDocumentClipAndIsPutBack) {
  SvgImage image = Boxed(0, 0, 10, 10);
  SvgShape shape;
  shape.path = Rect(0, 0, 10, 10);
  shape.fill = Colour({255, 0, 0, 0});
  image.shapes.push_back(shape);
  document = std::make_unique<SvgDocument>("test.svg", image);
  graphics.AddControl(std::make_unique<SvgControl>(IBounds(20, 20, 40, 40), ISvg{document.get()}));
  graphics.ClearLog();
  graphics.PaintAreas({IBounds(0, 0, 200, 200)});
  const std::vector<std::string> clips = graphics.Calls("ClipToArea");
  ASSERT_EQ(clips.size(), 3u);
  EXPECT_EQ(clips[0], "ClipToArea(19,19,41,41)") << "the control's paint clip";
  EXPECT_EQ(clips[1], "ClipToArea(19,20,30,40)") << "dest (10,20,30,40) within it";
  EXPECT_EQ(clips[2], clips[0]);
  EXPECT_EQ(graphics.Calls("PathFillWith").size(), 1u);

  // Still under that control's clip, a document wholly outside it draws nothing at all.
  graphics.ClearLog();
  graphics.DrawSvg(ISvg{document.get()}, IBounds(100, 100, 110, 110), nullptr);
  EXPECT_TRUE(graphics.log.empty());
  graphics.DrawSvg(ISvg{document.get()}, IBounds(35, 35, 45, 45), nullptr);
  EXPECT_EQ(graphics.Calls("ClipToArea"), (std::vector<std::string>{"ClipToArea(35,35,41,41)", clips[0]}));
}

TEST_F(DrawSvgCalls, EmptyHandlesDestinationsAndBoxesDrawNothing) {
  SvgImage image = Boxed(0, 0, 10, 10);
  SvgShape shape;
  shape.path = Rect(0, 0, 10, 10);
  shape.fill = Colour({255, 0, 0, 0});
  image.shapes.push_back(shape);
  graphics.ClearLog();
  graphics.DrawSvg(ISvg{}, IBounds(0, 0, 10, 10), nullptr);
  EXPECT_TRUE(graphics.log.empty());
  EXPECT_TRUE(Draw(image, IBounds(0, 0, 0, 10)).empty());
  EXPECT_TRUE(Draw(image, IBounds(0, 0, std::nanf(""), 10)).empty());
  image.viewBoxHeight = 0;
  EXPECT_TRUE(Draw(image, IBounds(0, 0, 10, 10)).empty());
  image.viewBoxHeight = 10;
  EXPECT_FALSE(Draw(image, IBounds(0, 0, 10, 10)).empty()) << "the same document with a box draws";
}

TEST_F(DrawSvgCalls, ALoadedDocumentDrawsItsShapesInOrderWithTheDefaultBlackFill) {
  testing_support::FakeResourceStore store;
  store.Add("SVG", "icon.svg",
            "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 20'>"
            "<path d='M1 1 L9 1 L5 8 Z'/><rect x='1' y='10' width='8' height='8' fill='none' stroke='red'/></svg>");
  graphics.SetResourceStore(&store);
  const ISvg svg = graphics.LoadSvg("icon.svg");
  ASSERT_TRUE(svg.IsValid());
  graphics.ClearLog();
  graphics.DrawSvg(svg, IBounds(0, 0, 40, 40), nullptr);
  EXPECT_EQ(graphics.Calls("ClipToArea")[0], "ClipToArea(0,0,40,40)");
  EXPECT_EQ(graphics.Calls("PathTransform")[0], "PathTransform(2,0,0,2,10,0)") << "10 x 20 centred in 40 x 40";
  const std::vector<std::string> paints = {"PathFillWith(0,255,0,0,0,0,-1)", "PathStrokeWith(0,1)"};
  std::vector<std::string> seen;
  for (const std::string& c : graphics.log)
    if (c.rfind("PathFillWith", 0) == 0 || c.rfind("PathStrokeWith", 0) == 0) seen.push_back(c);
  EXPECT_EQ(seen, paints);
  EXPECT_EQ(graphics.patterns[1], IPattern::Solid({255, 255, 0, 0}));
  EXPECT_EQ(graphics.Calls("PathMove")[0], "PathMove(1,1)");
  graphics.SetResourceStore(nullptr);
}

}  // namespace
