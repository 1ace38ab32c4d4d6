// Transform lists and their effect at read time: points in document units,
// stroke widths scaled, groups composed.

#include <cmath>

#include "SvgTestSupport.h"
#include "graphics/svg/SvgTransform.h"

namespace svg_test {
namespace {

SvgMatrix Parse(std::string_view text) {
  SvgMatrix m{9, 9, 9, 9, 9, 9};
  EXPECT_TRUE(ParseTransform(text, m)) << text;
  return m;
}

void ExpectNear(const SvgMatrix& a, const SvgMatrix& b) {
  EXPECT_NEAR(a.a, b.a, 1e-12);
  EXPECT_NEAR(a.b, b.b, 1e-12);
  EXPECT_NEAR(a.c, b.c, 1e-12);
  EXPECT_NEAR(a.d, b.d, 1e-12);
  EXPECT_NEAR(a.e, b.e, 1e-12);
  EXPECT_NEAR(a.f, b.f, 1e-12);
}

TEST(SvgTransform, EachFunction) {
  EXPECT_EQ(Parse("matrix(1 2 3 4 5 6)"), (SvgMatrix{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Parse("translate(5)"), (SvgMatrix{1, 0, 0, 1, 5, 0}));
  EXPECT_EQ(Parse("translate(5,-6)"), (SvgMatrix{1, 0, 0, 1, 5, -6}));
  EXPECT_EQ(Parse("scale(2)"), (SvgMatrix{2, 0, 0, 2, 0, 0}));
  EXPECT_EQ(Parse("scale(2 3)"), (SvgMatrix{2, 0, 0, 3, 0, 0}));
  EXPECT_EQ(Parse("rotate(90)"), (SvgMatrix{0, 1, -1, 0, 0, 0}));
  EXPECT_EQ(Parse("rotate(-270)"), (SvgMatrix{0, 1, -1, 0, 0, 0}));
  EXPECT_EQ(Parse("rotate(180)"), (SvgMatrix{-1, 0, 0, -1, 0, 0}));
  // About (10, 0): the origin goes to (10, -10).
  EXPECT_EQ(Parse("rotate(90 10 0)"), (SvgMatrix{0, 1, -1, 0, 10, -10}));
  const double c = std::cos(std::numbers::pi / 6), s = std::sin(std::numbers::pi / 6);
  ExpectNear(Parse("rotate(30)"), SvgMatrix{c, s, -s, c, 0, 0});
  EXPECT_EQ(Parse("skewX(45)"), (SvgMatrix{1, 0, 1, 1, 0, 0}));
  EXPECT_EQ(Parse("skewY(-45)"), (SvgMatrix{1, -1, 0, 1, 0, 0}));
  ExpectNear(Parse("skewX(30)"), SvgMatrix{1, 0, std::tan(std::numbers::pi / 6), 1, 0, 0});
  EXPECT_EQ(Parse(""), SvgMatrix{});
  EXPECT_EQ(Parse("  "), SvgMatrix{});
}

TEST(SvgTransform, ListsApplyRightToLeft) {
  // translate after scale: (1, 1) -> (2, 2) -> (12, 2).
  const SvgMatrix m = Parse("translate(10,0) scale(2)");
  double x = 1, y = 1;
  m.Apply(x, y);
  EXPECT_EQ(x, 12.0);
  EXPECT_EQ(y, 2.0);
  EXPECT_EQ(Parse("translate(10,0),scale(2)"), m);
  EXPECT_EQ(Parse("translate(10,0) , scale(2)"), m);
  EXPECT_EQ(Parse("translate(10,0)scale(2)"), m);
  EXPECT_EQ(Parse(" translate ( 10 , 0 ) scale( 2 ) "), m);
}

TEST(SvgTransform, MalformedListsChangeNothing) {
  for (std::string_view bad : {"translate(1", "translate()", "scale(1 2 3)", "rotate(1 2)", "matrix(1 2 3 4 5)",
                               "skewX(1 2)", "spin(3)", "translate(1) x", "translate(a)", "(1)"}) {
    SvgMatrix m{9, 9, 9, 9, 9, 9};
    EXPECT_FALSE(ParseTransform(bad, m)) << bad;
    EXPECT_EQ(m, (SvgMatrix{9, 9, 9, 9, 9, 9})) << bad;
  }
  // In a document the attribute is then ignored.
  EXPECT_EQ(PathOf("<path transform='scale(2' d='M1 1L2 2'/>"), (SvgPath{M(1, 1), L(2, 2)}));
}

TEST(SvgTransform, AppliedToPointsAtReadTime) {
  EXPECT_EQ(PathOf("<path transform='translate(10 20)' d='M1 2L3 4'/>"), (SvgPath{M(11, 22), L(13, 24)}));
  EXPECT_EQ(PathOf("<g transform='scale(2)'><path transform='translate(1)' d='M1 1L2 2'/></g>"),
            (SvgPath{M(4, 2), L(6, 4)}));
  EXPECT_EQ(PathOf("<g transform='translate(1)'><g transform='rotate(90)'><rect width='2' height='1'/></g></g>"),
            (SvgPath{M(1, 0), L(1, 2), L(0, 2), L(0, 0), Z()}));
  // Cubics' control points too.
  EXPECT_EQ(PathOf("<path transform='matrix(2 0 0 3 1 1)' d='M0 0C1 1 2 2 3 3'/>"),
            (SvgPath{M(1, 1), C(3, 4, 5, 7, 7, 10)}));
}

TEST(SvgTransform, StrokeWidthScaledBySquareRootOfDeterminant) {
  auto width = [](std::string_view content) {
    const SvgImage image = Read(Doc(content));
    return image.shapes.empty() ? -1.0f : image.shapes[0].strokeWidth;
  };
  EXPECT_EQ(width("<path stroke='red' stroke-width='3' d='M0 0L1 1'/>"), 3.0f);
  EXPECT_EQ(width("<path stroke='red' stroke-width='3' transform='scale(2)' d='M0 0L1 1'/>"), 6.0f);
  EXPECT_EQ(width("<path stroke='red' stroke-width='3' transform='scale(2 8)' d='M0 0L1 1'/>"), 12.0f);
  EXPECT_EQ(width("<g transform='scale(-2)'><path stroke='red' transform='rotate(30)' d='M0 0L1 1'/></g>"), 2.0f);
  // A singular transform leaves nothing to stroke.
  const SvgImage flat = Read(Doc("<path stroke='red' fill='none' transform='scale(0 1)' d='M0 0L1 1'/>"));
  EXPECT_TRUE(flat.shapes.empty());
}

}  // namespace
}  // namespace svg_test
