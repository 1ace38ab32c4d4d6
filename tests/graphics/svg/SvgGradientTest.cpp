// Gradients: stops, units, gradientTransform, href inheritance, forward
// references and the transform folded into the paint.

#include "SvgTestSupport.h"

namespace svg_test {
namespace {

using fx::igraphics::IMatrix;

// The fill of the one shape: a box from (10, 20) to (50, 40) in user space.
SvgPaint FillOf(std::string_view defs, std::string_view shapeAttributes = "fill='url(#g)'") {
  const SvgImage image = Read(Doc(std::string(defs) + "<path d='M10 20H50V40H10Z' " + std::string(shapeAttributes) + "/>"));
  EXPECT_EQ(image.shapes.size(), 1u);
  return image.shapes.empty() ? SvgPaint{} : image.shapes[0].fill;
}

constexpr const char* kStops = "<stop offset='0' stop-color='red'/><stop offset='1' stop-color='blue'/>";

std::string Linear(std::string_view attributes, std::string_view stops = kStops) {
  return "<linearGradient id='g' " + std::string(attributes) + ">" + std::string(stops) + "</linearGradient>";
}

TEST(SvgGradient, LinearInBoundingBoxUnitsByDefault) {
  const SvgPaint p = FillOf(Linear(""));
  EXPECT_EQ(p.kind, SvgPaint::Kind::LinearGradient);
  EXPECT_EQ(p.x1, 0.0f);
  EXPECT_EQ(p.y1, 0.0f);
  EXPECT_EQ(p.x2, 1.0f);
  EXPECT_EQ(p.y2, 0.0f);
  // The unit square onto the box (10, 20) 40 x 20.
  EXPECT_EQ(p.transform, (IMatrix{40, 0, 0, 20, 10, 20}));
  ASSERT_EQ(p.stops.size(), 2u);
  EXPECT_EQ(p.stops[0], (SvgGradientStop{{255, 255, 0, 0}, 0.0f}));
  EXPECT_EQ(p.stops[1], (SvgGradientStop{{255, 0, 0, 255}, 1.0f}));
  EXPECT_EQ(p.opacity, 1.0f);
  // Percentages are fractions of the box.
  const SvgPaint q = FillOf(Linear("x1='25%' y1='0.5' x2='75%' y2='100%'"));
  EXPECT_EQ(q.x1, 0.25f);
  EXPECT_EQ(q.y1, 0.5f);
  EXPECT_EQ(q.x2, 0.75f);
  EXPECT_EQ(q.y2, 1.0f);
}

TEST(SvgGradient, UserSpaceOnUseWithTheElementsTransform) {
  const SvgImage image = Read(Doc(Linear("gradientUnits='userSpaceOnUse' x1='5' y1='6' x2='50%' y2='7'") +
                                  "<g transform='translate(1 2)'><path d='M10 20H50V40Z' fill='url(#g)' "
                                  "transform='scale(2)'/></g>"));
  ASSERT_EQ(image.shapes.size(), 1u);
  const SvgPaint& p = image.shapes[0].fill;
  EXPECT_EQ(p.x1, 5.0f);
  EXPECT_EQ(p.y1, 6.0f);
  EXPECT_EQ(p.x2, 50.0f);  // of the viewport's width
  EXPECT_EQ(p.y2, 7.0f);
  EXPECT_EQ(p.transform, (IMatrix{2, 0, 0, 2, 1, 2}));
}

TEST(SvgGradient, GradientTransformAfterTheBoundingBox) {
  const SvgPaint p = FillOf(Linear("gradientTransform='rotate(90)'"));
  // box(rotate(p)): (1, 0) -> (0, 1) -> (10, 40).
  EXPECT_EQ(p.transform, (IMatrix{0, 20, -40, 0, 10, 20}));
  const SvgImage image = Read(Doc(Linear("gradientUnits='userSpaceOnUse' gradientTransform='translate(3)'") +
                                  "<path d='M10 20H50V40Z' fill='url(#g)' transform='scale(2)'/>"));
  EXPECT_EQ(image.shapes[0].fill.transform, (IMatrix{2, 0, 0, 2, 6, 0}));
}

TEST(SvgGradient, StopsOffsetsColoursAndOpacity) {
  const SvgPaint p = FillOf(Linear("", "<stop offset='20%' stop-color='#f00' stop-opacity='0.5'/>"
                                       "<stop offset='0.1' style='stop-color: lime; stop-opacity: 0'/>"
                                       "<stop offset='150%' stop-color='blue'/>"
                                       "<stop stop-color='bogus'/>"));
  ASSERT_EQ(p.stops.size(), 4u);
  EXPECT_EQ(p.stops[0], (SvgGradientStop{{128, 255, 0, 0}, 0.2f}));
  EXPECT_EQ(p.stops[1], (SvgGradientStop{{0, 0, 255, 0}, 0.2f}));  // never decreasing
  EXPECT_EQ(p.stops[2], (SvgGradientStop{{255, 0, 0, 255}, 1.0f}));  // clamped
  EXPECT_EQ(p.stops[3], (SvgGradientStop{{255, 0, 0, 0}, 1.0f}));  // defaults: black, offset 0 raised
  // currentColor in a stop takes the color property where the stop is.
  const SvgPaint q = FillOf("<linearGradient id='g' color='teal'><stop stop-color='currentColor'/>"
                            "<stop offset='1' stop-color='red'/></linearGradient>");
  EXPECT_EQ(q.stops[0].colour, (IArgb{255, 0, 128, 128}));
}

TEST(SvgGradient, OpacityOfTheShapeStaysOnThePaint) {
  const SvgPaint p = FillOf(Linear(""), "fill='url(#g)' fill-opacity='0.5' opacity='0.5'");
  EXPECT_EQ(p.kind, SvgPaint::Kind::LinearGradient);
  EXPECT_EQ(p.opacity, 0.25f);
}

TEST(SvgGradient, RadialDefaultsAndFocus) {
  const SvgPaint p = FillOf("<radialGradient id='g'>" + std::string(kStops) + "</radialGradient>");
  EXPECT_EQ(p.kind, SvgPaint::Kind::RadialGradient);
  EXPECT_EQ(p.cx, 0.5f);
  EXPECT_EQ(p.cy, 0.5f);
  EXPECT_EQ(p.r, 0.5f);
  EXPECT_EQ(p.fx, 0.5f);
  EXPECT_EQ(p.fy, 0.5f);
  EXPECT_EQ(p.transform, (IMatrix{40, 0, 0, 20, 10, 20}));
  // The focus follows the centre unless given.
  const SvgPaint q = FillOf("<radialGradient id='g' cx='0.25' cy='75%' r='0.3' fy='0.6'>" + std::string(kStops) +
                            "</radialGradient>");
  EXPECT_EQ(q.cx, 0.25f);
  EXPECT_EQ(q.cy, 0.75f);
  EXPECT_EQ(q.r, 0.3f);
  EXPECT_EQ(q.fx, 0.25f);
  EXPECT_EQ(q.fy, 0.6f);
  // In user space a radius percentage is of the normalised diagonal (100 here).
  const SvgPaint u = FillOf("<radialGradient id='g' gradientUnits='userSpaceOnUse' cx='10' cy='20%' r='10%'>" +
                            std::string(kStops) + "</radialGradient>");
  EXPECT_EQ(u.cx, 10.0f);
  EXPECT_EQ(u.cy, 20.0f);
  EXPECT_EQ(u.r, 10.0f);
  EXPECT_EQ(u.transform, IMatrix{});
}

TEST(SvgGradient, RadialFocusOutsideTheCircleIsMovedInside) {
  const SvgPaint p = FillOf("<radialGradient id='g' gradientUnits='userSpaceOnUse' cx='10' cy='10' r='5' fx='30' "
                            "fy='10'>" + std::string(kStops) + "</radialGradient>");
  EXPECT_EQ(p.fy, 10.0f);
  EXPECT_NEAR(p.fx, 10.0f + 5.0f * 0.999f, 1e-5);
  const SvgPaint q = FillOf("<radialGradient id='g' gradientUnits='userSpaceOnUse' cx='0' cy='0' r='5' fx='-30' "
                            "fy='-40'>" + std::string(kStops) + "</radialGradient>");
  EXPECT_NEAR(q.fx, -3.0f * 0.999f, 1e-5);
  EXPECT_NEAR(q.fy, -4.0f * 0.999f, 1e-5);
  // One inside stays where it is.
  const SvgPaint inside = FillOf("<radialGradient id='g' fx='0.8' fy='0.5'>" + std::string(kStops) + "</radialGradient>");
  EXPECT_EQ(inside.fx, 0.8f);
}

TEST(SvgGradient, DefinedAfterItsUseAndInheritedThroughHref) {
  const SvgImage image = Read(Doc("<path d='M10 20H50V40Z' fill='url(#b)' stroke='url( #a )'/>"
                                  "<linearGradient id='a' x1='0.5' gradientUnits='userSpaceOnUse'>" +
                                  std::string(kStops) +
                                  "</linearGradient>"
                                  "<linearGradient id='b' xlink:href='#a' x2='0.25'/>"
                                  "<radialGradient id='c' href='#b' r='0.1'/>"
                                  "<path d='M10 20H50V40Z' fill='url(#c)'/>"));
  ASSERT_EQ(image.shapes.size(), 2u);
  const SvgPaint& fill = image.shapes[0].fill;
  EXPECT_EQ(fill.kind, SvgPaint::Kind::LinearGradient);
  EXPECT_EQ(fill.x1, 0.5f);   // from a
  EXPECT_EQ(fill.x2, 0.25f);  // its own
  EXPECT_EQ(fill.stops.size(), 2u);
  EXPECT_EQ(fill.transform, IMatrix{});  // a's userSpaceOnUse
  EXPECT_EQ(image.shapes[0].stroke.kind, SvgPaint::Kind::LinearGradient);
  // A radial takes stops and units through a linear one.
  const SvgPaint& radial = image.shapes[1].fill;
  EXPECT_EQ(radial.kind, SvgPaint::Kind::RadialGradient);
  EXPECT_EQ(radial.r, 0.1f);
  EXPECT_EQ(radial.stops.size(), 2u);
  EXPECT_EQ(radial.transform, IMatrix{});
}

TEST(SvgGradient, OwnStopsWinOverReferencedOnes) {
  const SvgPaint p = FillOf(Linear("", "<stop offset='0.5' stop-color='lime'/>") +
                            "<linearGradient id='h' href='#g'><stop stop-color='red'/><stop offset='1'/></linearGradient>",
                            "fill='url(#h)'");
  ASSERT_EQ(p.stops.size(), 2u);
  EXPECT_EQ(p.stops[0].colour, (IArgb{255, 255, 0, 0}));
}

TEST(SvgGradient, MissingGradientsUseTheFallback) {
  EXPECT_EQ(FillOf("", "fill='url(#nowhere) lime'").colour, (IArgb{255, 0, 255, 0}));
  EXPECT_EQ(FillOf("", "fill='url(#nowhere) currentColor' color='navy'").colour, (IArgb{255, 0, 0, 128}));
  const SvgImage image = Read(Doc("<path d='M0 0H1V1Z' fill='url(#nowhere)'/>"));
  EXPECT_TRUE(image.shapes.empty());
  // The first definition of an id counts.
  const SvgPaint p = FillOf(Linear("x2='0.5'") + Linear("x2='0.75'"));
  EXPECT_EQ(p.x2, 0.5f);
}

TEST(SvgGradient, GradientsThatCannotPaint) {
  // No stops anywhere: nothing.
  EXPECT_TRUE(Read(Doc("<linearGradient id='g'/><path d='M0 0H1V1Z' fill='url(#g)'/>")).shapes.empty());
  // One stop, or no extent: the last stop's colour.
  const SvgPaint one = FillOf(Linear("", "<stop offset='0.3' stop-color='lime' stop-opacity='0.5'/>"));
  EXPECT_EQ(one.kind, SvgPaint::Kind::Colour);
  EXPECT_EQ(one.colour, (IArgb{128, 0, 255, 0}));
  const SvgPaint flat = FillOf(Linear("x1='0.5' x2='0.5'"));
  EXPECT_EQ(flat.kind, SvgPaint::Kind::Colour);
  EXPECT_EQ(flat.colour, (IArgb{255, 0, 0, 255}));
  const SvgPaint zeroRadius = FillOf("<radialGradient id='g' r='0'>" + std::string(kStops) + "</radialGradient>");
  EXPECT_EQ(zeroRadius.kind, SvgPaint::Kind::Colour);
  EXPECT_TRUE(Read(Doc("<radialGradient id='g' r='-1'>" + std::string(kStops) +
                       "</radialGradient><path d='M0 0H1V1Z' fill='url(#g)'/>"))
                  .shapes.empty());
  // A bounding box without area cannot carry objectBoundingBox units.
  const SvgImage line = Read(Doc(Linear("") + "<path d='M0 0H10' fill='none' stroke='url(#g)'/>"));
  EXPECT_TRUE(line.shapes.empty());
  const SvgImage user = Read(Doc(Linear("gradientUnits='userSpaceOnUse'") + "<path d='M0 0H10' fill='none' stroke='url(#g)'/>"));
  ASSERT_EQ(user.shapes.size(), 1u);
  EXPECT_EQ(user.shapes[0].stroke.kind, SvgPaint::Kind::LinearGradient);
}

TEST(SvgGradient, BoundingBoxIncludesCurveExtremes) {
  // The curve bulges to y = 7.5 between its ends at y = 0; its control points reach 10.
  const SvgImage image = Read(Doc(Linear("") + "<path d='M0 0C0 10 10 10 10 0Z' fill='url(#g)'/>"));
  ASSERT_EQ(image.shapes.size(), 1u);
  EXPECT_EQ(image.shapes[0].fill.transform, (IMatrix{10, 0, 0, 7.5f, 0, 0}));
  // Moves that draw nothing do not count.
  const SvgImage moves = Read(Doc(Linear("") + "<path d='M-50 -50M0 0H4V2Z' fill='url(#g)'/>"));
  EXPECT_EQ(moves.shapes[0].fill.transform, (IMatrix{4, 0, 0, 2, 0, 0}));
}

TEST(SvgGradient, HrefCyclesEnd) {
  const SvgPaint p = FillOf("<linearGradient id='g' href='#h'/><linearGradient id='h' href='#g'/>"
                            "<linearGradient id='s' href='#s'/>",
                            "fill='url(#g) red' stroke='red'");
  EXPECT_EQ(p.kind, SvgPaint::Kind::None);  // found, but no stops on the way
  const SvgImage image = Read(Doc("<linearGradient id='s' href='#s'/><path d='M0 0H1V1Z' fill='url(#s)' stroke='red'/>"));
  ASSERT_EQ(image.shapes.size(), 1u);
  EXPECT_EQ(image.shapes[0].fill.kind, SvgPaint::Kind::None);
}

}  // namespace
}  // namespace svg_test
