// Paint and stroke properties: presentation attributes, the style attribute,
// inheritance through groups, opacity, currentColor, hidden content.

#include "SvgTestSupport.h"

namespace svg_test {
namespace {

SvgShape ShapeOf(std::string_view content) {
  const SvgImage image = Read(Doc(content));
  EXPECT_EQ(image.shapes.size(), 1u) << content;
  return image.shapes.empty() ? SvgShape{} : image.shapes[0];
}

constexpr const char* kBox = "d='M0 0H10V10Z'";

std::string Box(std::string_view attributes) { return "<path " + std::string(kBox) + " " + std::string(attributes) + "/>"; }

TEST(SvgStyle, Defaults) {
  const SvgShape s = ShapeOf(Box(""));
  EXPECT_EQ(s.fill.kind, SvgPaint::Kind::Colour);
  EXPECT_EQ(s.fill.colour, (IArgb{255, 0, 0, 0}));
  EXPECT_EQ(s.fill.opacity, 1.0f);
  EXPECT_EQ(s.stroke.kind, SvgPaint::Kind::None);
  EXPECT_EQ(s.strokeWidth, 1.0f);
  EXPECT_EQ(s.cap, SvgShape::LineCap::Butt);
  EXPECT_EQ(s.join, SvgShape::LineJoin::Miter);
  EXPECT_EQ(s.miterLimit, 4.0f);
  EXPECT_EQ(s.fillRule, SvgShape::FillRule::NonZero);
}

TEST(SvgStyle, PresentationAttributes) {
  const SvgShape s = ShapeOf(Box("fill='#00f' stroke='red' stroke-width='2.5' fill-opacity='0.5' stroke-opacity='25%' "
                                 "opacity='0.5' fill-rule='evenodd' stroke-linecap='round' stroke-linejoin='bevel' "
                                 "stroke-miterlimit='10'"));
  EXPECT_EQ(s.fill.kind, SvgPaint::Kind::Colour);
  EXPECT_EQ(s.fill.colour, (IArgb{255, 0, 0, 255}));
  EXPECT_EQ(s.fill.opacity, 0.25f);
  EXPECT_EQ(s.stroke.colour, (IArgb{255, 255, 0, 0}));
  EXPECT_EQ(s.stroke.opacity, 0.125f);
  EXPECT_EQ(s.strokeWidth, 2.5f);
  EXPECT_EQ(s.fillRule, SvgShape::FillRule::EvenOdd);
  EXPECT_EQ(s.cap, SvgShape::LineCap::Round);
  EXPECT_EQ(s.join, SvgShape::LineJoin::Bevel);
  EXPECT_EQ(s.miterLimit, 10.0f);
  EXPECT_EQ(ShapeOf(Box("stroke='red' stroke-linecap='square' stroke-linejoin='round'")).cap, SvgShape::LineCap::Square);
  EXPECT_EQ(ShapeOf(Box("stroke='red' stroke-linejoin='round'")).join, SvgShape::LineJoin::Round);
}

TEST(SvgStyle, StyleAttributeWinsOverPresentationAttributes) {
  const SvgShape s = ShapeOf(Box("fill='green' style='fill:red; stroke : #00f ;stroke-width: 3px;;bogus;opacity:.5'"));
  EXPECT_EQ(s.fill.colour, (IArgb{255, 255, 0, 0}));
  EXPECT_EQ(s.stroke.colour, (IArgb{255, 0, 0, 255}));
  EXPECT_EQ(s.strokeWidth, 3.0f);
  EXPECT_EQ(s.fill.opacity, 0.5f);
  EXPECT_EQ(ShapeOf(Box("style='fill: blue !important'")).fill.colour, (IArgb{255, 0, 0, 255}));
}

TEST(SvgStyle, BadValuesKeepTheInheritedOne) {
  const SvgShape s = ShapeOf("<g fill='red' stroke='blue' stroke-width='4'>" +
                             Box("fill='reddish' stroke='#12' stroke-width='-1' fill-opacity='x' stroke-linecap='flat' "
                                 "stroke-miterlimit='0.5'") +
                             "</g>");
  EXPECT_EQ(s.fill.colour, (IArgb{255, 255, 0, 0}));
  EXPECT_EQ(s.stroke.colour, (IArgb{255, 0, 0, 255}));
  EXPECT_EQ(s.strokeWidth, 4.0f);
  EXPECT_EQ(s.fill.opacity, 1.0f);
  EXPECT_EQ(s.cap, SvgShape::LineCap::Butt);
  EXPECT_EQ(s.miterLimit, 4.0f);
  // Opacities are clamped.
  EXPECT_EQ(ShapeOf(Box("fill-opacity='2'")).fill.opacity, 1.0f);
  EXPECT_EQ(ShapeOf(Box("stroke='red' fill-opacity='-1'")).fill.opacity, 0.0f);
}

TEST(SvgStyle, InheritedThroughGroupsAndOpacityMultiplies) {
  const SvgImage image = Read(Doc("<g fill='red' stroke='lime' stroke-width='2' opacity='0.5' fill-rule='evenodd'>"
                                  "<g opacity='0.5' stroke-linejoin='round'><path d='M0 0H1V1Z' fill-opacity='0.5'/></g>"
                                  "<path d='M0 0H1V1Z' fill='inherit'/></g>"));
  ASSERT_EQ(image.shapes.size(), 2u);
  const SvgShape& a = image.shapes[0];
  EXPECT_EQ(a.fill.colour, (IArgb{255, 255, 0, 0}));
  EXPECT_EQ(a.fill.opacity, 0.125f);
  EXPECT_EQ(a.stroke.colour, (IArgb{255, 0, 255, 0}));
  EXPECT_EQ(a.stroke.opacity, 0.25f);
  EXPECT_EQ(a.strokeWidth, 2.0f);
  EXPECT_EQ(a.join, SvgShape::LineJoin::Round);
  EXPECT_EQ(a.fillRule, SvgShape::FillRule::EvenOdd);
  const SvgShape& b = image.shapes[1];
  EXPECT_EQ(b.fill.colour, (IArgb{255, 255, 0, 0}));
  EXPECT_EQ(b.fill.opacity, 0.5f);
  EXPECT_EQ(b.join, SvgShape::LineJoin::Miter);
}

TEST(SvgStyle, CurrentColorTakesTheInheritedColorProperty) {
  const SvgImage image = Read(Doc("<g color='blue'><path d='M0 0H1V1Z' fill='currentColor'/>"
                                  "<g style='color:#0f0'><path d='M0 0H1V1Z' stroke='currentcolor' fill='none'/></g></g>"
                                  "<path d='M0 0H1V1Z' fill='currentColor'/>"));
  ASSERT_EQ(image.shapes.size(), 3u);
  EXPECT_EQ(image.shapes[0].fill.colour, (IArgb{255, 0, 0, 255}));
  EXPECT_EQ(image.shapes[1].stroke.colour, (IArgb{255, 0, 255, 0}));
  EXPECT_EQ(image.shapes[2].fill.colour, (IArgb{255, 0, 0, 0}));  // color's initial value is black
  // currentColor inherited as a keyword takes the child's own color.
  const SvgShape s = ShapeOf("<g fill='currentColor' color='red'><path d='M0 0H1V1Z' color='lime'/></g>");
  EXPECT_EQ(s.fill.colour, (IArgb{255, 0, 255, 0}));
}

TEST(SvgStyle, NothingToPaintIsNoShape) {
  EXPECT_TRUE(Read(Doc(Box("fill='none'"))).shapes.empty());
  EXPECT_TRUE(Read(Doc(Box("fill='none' stroke='red' stroke-width='0'"))).shapes.empty());
  const SvgShape s = ShapeOf(Box("fill='none' stroke='red'"));
  EXPECT_EQ(s.fill.kind, SvgPaint::Kind::None);
  EXPECT_EQ(s.stroke.kind, SvgPaint::Kind::Colour);
}

TEST(SvgStyle, DisplayNoneHidesTheSubtreeVisibilityCanBeOverridden) {
  const SvgImage image = Read(Doc("<g display='none'><path d='M0 0H1V1Z'/><g display='inline'><path d='M0 0H2V2Z'/></g></g>"
                                  "<g style='display:none'><path d='M0 0H3V3Z'/></g>"
                                  "<path d='M0 0H4V4Z' display='none'/>"
                                  "<g visibility='hidden'><path d='M0 0H5V5Z'/><path d='M0 0H6V6Z' visibility='visible'/></g>"
                                  "<path d='M0 0H7V7Z' style='visibility:hidden'/>"
                                  "<path d='M0 0H8V8Z'/>"));
  ASSERT_EQ(image.shapes.size(), 2u);
  EXPECT_EQ(image.shapes[0].path[1].x3, 6.0f);
  EXPECT_EQ(image.shapes[1].path[1].x3, 8.0f);
}

TEST(SvgStyle, StrokeWidthUnitsAndPercentages) {
  EXPECT_EQ(ShapeOf(Box("stroke='red' stroke-width='3px'")).strokeWidth, 3.0f);
  EXPECT_EQ(ShapeOf(Box("stroke='red' stroke-width='1in'")).strokeWidth, 96.0f);
  // Of the viewport's normalised diagonal, which is 100 in a 100 x 100 document.
  EXPECT_EQ(ShapeOf(Box("stroke='red' stroke-width='2%'")).strokeWidth, 2.0f);
}

}  // namespace
}  // namespace svg_test
