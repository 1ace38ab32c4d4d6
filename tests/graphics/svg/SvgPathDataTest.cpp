// Path data: every command, absolute and relative, implicit repetition,
// number spellings, smooth curves, quadratics and arcs.

#include <cmath>
#include <numbers>

#include "SvgTestSupport.h"

namespace svg_test {
namespace {

TEST(SvgPathData, AbsoluteAndRelativeLines) {
  EXPECT_EQ(PathData("M10 20 L30 40 H50 V60 Z"), (SvgPath{M(10, 20), L(30, 40), L(50, 40), L(50, 60), Z()}));
  EXPECT_EQ(PathData("m10 20 l30 40 h5 v-10 z"), (SvgPath{M(10, 20), L(40, 60), L(45, 60), L(45, 50), Z()}));
}

TEST(SvgPathData, MovetoFollowedByCoordinatesDrawsLines) {
  EXPECT_EQ(PathData("M1 2 3 4 5 6"), (SvgPath{M(1, 2), L(3, 4), L(5, 6)}));
  EXPECT_EQ(PathData("m1 2 3 4 5 6"), (SvgPath{M(1, 2), L(4, 6), L(9, 12)}));
  // A first relative moveto counts from the origin; a later one from the current point.
  EXPECT_EQ(PathData("m1 1 m2 2 l1 0"), (SvgPath{M(1, 1), M(3, 3), L(4, 3)}));
}

TEST(SvgPathData, RepeatedArgumentsRepeatTheCommand) {
  EXPECT_EQ(PathData("M0 0 L1 1 2 2 h1 1 v1 1"), (SvgPath{M(0, 0), L(1, 1), L(2, 2), L(3, 2), L(4, 2), L(4, 3), L(4, 4)}));
  EXPECT_EQ(PathData("M0 0 C1 1 2 2 3 3 4 4 5 5 6 6"), (SvgPath{M(0, 0), C(1, 1, 2, 2, 3, 3), C(4, 4, 5, 5, 6, 6)}));
  EXPECT_EQ(PathData("M0 0 c1 1 2 2 3 3 1 1 2 2 3 3"), (SvgPath{M(0, 0), C(1, 1, 2, 2, 3, 3), C(4, 4, 5, 5, 6, 6)}));
}

TEST(SvgPathData, NumbersInEveryLegalSpelling) {
  EXPECT_EQ(PathData("M1e-3,2E+2L.5.5"), (SvgPath{M(0.001f, 200), L(0.5f, 0.5f)}));
  EXPECT_EQ(PathData("M-1-2L+.5-.25"), (SvgPath{M(-1, -2), L(0.5f, -0.25f)}));
  EXPECT_EQ(PathData("M 1.5e1 , 2.e0 L 3. 4"), (SvgPath{M(15, 2), L(3, 4)}));
  EXPECT_EQ(PathData("M0,0L1E2-1e1"), (SvgPath{M(0, 0), L(100, -10)}));
  EXPECT_EQ(PathData("\n\tM\t0\r\n0\fL 1 1"), (SvgPath{M(0, 0), L(1, 1)}));
}

TEST(SvgPathData, SmoothCubicsReflectThePreviousControlPoint) {
  EXPECT_EQ(PathData("M0 0 C0 10 10 10 10 0 S20 -10 20 0"),
            (SvgPath{M(0, 0), C(0, 10, 10, 10, 10, 0), C(10, -10, 20, -10, 20, 0)}));
  // Without a cubic before it, the first control point is the current point.
  EXPECT_EQ(PathData("M5 5 S10 10 20 5"), (SvgPath{M(5, 5), C(5, 5, 10, 10, 20, 5)}));
  EXPECT_EQ(PathData("M0 0 L5 5 s5 5 10 0"), (SvgPath{M(0, 0), L(5, 5), C(5, 5, 10, 10, 15, 5)}));
}

TEST(SvgPathData, QuadraticsBecomeTheEqualCubic) {
  // Control points two thirds of the way from the ends to the quadratic's control point.
  EXPECT_TRUE(Near(PathData("M0 0 Q30 30 60 0"), {M(0, 0), C(20, 20, 40, 20, 60, 0)}));
  EXPECT_TRUE(Near(PathData("M0 0 q30 30 60 0 t60 0"),
                   {M(0, 0), C(20, 20, 40, 20, 60, 0), C(80, -20, 100, -20, 120, 0)}));
  // T after no quadratic: the control point is the current point, a straight curve.
  EXPECT_TRUE(Near(PathData("M0 0 T30 0"), {M(0, 0), C(0, 0, 10, 0, 30, 0)}));
}

TEST(SvgPathData, CommandsAfterACloseStartFromTheSubpathStart) {
  EXPECT_EQ(PathData("M10 10 L20 10 Z L10 20"), (SvgPath{M(10, 10), L(20, 10), Z(), M(10, 10), L(10, 20)}));
  EXPECT_EQ(PathData("M10 10 L20 10 z l0 5"), (SvgPath{M(10, 10), L(20, 10), Z(), M(10, 10), L(10, 15)}));
}

TEST(SvgPathData, DrawnUpToTheFirstError) {
  EXPECT_EQ(PathData("M0 0 L10 10 L20"), (SvgPath{M(0, 0), L(10, 10)}));
  EXPECT_EQ(PathData("M0 0 L10 10 X 5 5"), (SvgPath{M(0, 0), L(10, 10)}));
  EXPECT_EQ(PathData("M0 0 L1 1 Z 5 5"), (SvgPath{M(0, 0), L(1, 1), Z()}));
  // "1e" is the number 1 and a stray letter.
  EXPECT_EQ(PathData("M0 0 L1 1e L5 5"), (SvgPath{M(0, 0), L(1, 1)}));
  // Data that does not start with a moveto draws nothing.
  EXPECT_TRUE(Read(Doc("<path d='L10 10 20 20'/>")).shapes.empty());
  EXPECT_TRUE(Read(Doc("<path d=''/><path/>")).shapes.empty());
  // Moves alone draw nothing either.
  EXPECT_TRUE(Read(Doc("<path d='M10 10'/><path d='M1 1 x'/><path d='M0 0m5 5Z'/>")).shapes.empty());
}

// Points along every cubic of an arc, and its ends, lie on the circle.
void ExpectOnCircle(const SvgPath& path, double cx, double cy, double r) {
  for (std::size_t i = 1; i < path.size(); ++i) {
    const SvgPathCommand& c = path[i];
    if (c.kind != Kind::Cubic) continue;
    for (double t : {0.25, 0.5, 0.75}) {
      double x = 0.0, y = 0.0;
      CubicPoint(path, i, t, x, y);
      EXPECT_NEAR(std::hypot(x - cx, y - cy), r, r * 1e-3) << "command " << i << " t " << t;
    }
    EXPECT_NEAR(std::hypot(double{c.x3} - cx, double{c.y3} - cy), r, 1e-3) << "command " << i;
  }
}

TEST(SvgPathData, ArcsAreCubicsOnTheCircle) {
  // Half circle from (0, 50) to (100, 50), radius 50, centre (50, 50): two quarters.
  const SvgPath half = PathData("M0 50 A50 50 0 0 1 100 50");
  ASSERT_EQ(half.size(), 3u);
  EXPECT_EQ(half[2].x3, 100.0f);
  EXPECT_EQ(half[2].y3, 50.0f);
  ExpectOnCircle(half, 50, 50, 50);
  // sweep 1 in y-down coordinates goes through the top, (50, 0).
  EXPECT_NEAR(half[1].x3, 50.0f, 1e-4);
  EXPECT_NEAR(half[1].y3, 0.0f, 1e-4);
  // The other sweep goes through the bottom.
  const SvgPath other = PathData("M0 50 A50 50 0 0 0 100 50");
  ASSERT_EQ(other.size(), 3u);
  EXPECT_NEAR(other[1].y3, 100.0f, 1e-4);
}

TEST(SvgPathData, LargeArcFlagPicksTheLongWayRound) {
  // A quarter circle of radius 10 from (10, 0) to (0, 10) centred either at
  // the origin or at (10, 10).
  const SvgPath small = PathData("M10 0 A10 10 0 0 1 0 10");
  ASSERT_EQ(small.size(), 2u);
  ExpectOnCircle(small, 0, 0, 10);
  const SvgPath large = PathData("M10 0 A10 10 0 1 1 0 10");
  ASSERT_EQ(large.size(), 4u);  // three quarters
  ExpectOnCircle(large, 10, 10, 10);
}

TEST(SvgPathData, ArcFlagsWithoutSeparators) {
  EXPECT_EQ(PathData("M0 0 a1 1 0 00 1 1"), PathData("M0 0 a1 1 0 0 0 1 1"));
  EXPECT_EQ(PathData("M0 0 a1 1 0 1110 10"), PathData("M0 0 a1 1 0 1 1 10 10"));
  EXPECT_EQ(PathData("M0 0 a1,1,0,0,1,1,1"), PathData("M0 0 a1 1 0 0 1 1 1"));
  // A flag is a single 0 or 1.
  EXPECT_EQ(PathData("M0 0 L1 1 a1 1 0 2 1 1 1"), (SvgPath{M(0, 0), L(1, 1)}));
}

TEST(SvgPathData, ArcRadiiTooSmallAreScaledUp) {
  // Radius 1 cannot reach from (0, 0) to (20, 0): it becomes 10, a half circle centred (10, 0).
  const SvgPath p = PathData("M0 0 A1 1 0 0 1 20 0");
  ASSERT_EQ(p.size(), 3u);
  ExpectOnCircle(p, 10, 0, 10);
}

TEST(SvgPathData, DegenerateArcs) {
  EXPECT_EQ(PathData("M0 0 A0 5 0 0 1 10 10"), (SvgPath{M(0, 0), L(10, 10)}));
  EXPECT_EQ(PathData("M0 0 A5 0 0 0 1 10 10"), (SvgPath{M(0, 0), L(10, 10)}));
  EXPECT_EQ(PathData("M5 5 A5 5 0 0 1 5 5 L6 6"), (SvgPath{M(5, 5), L(6, 6)}));
  // Negative radii count by their size.
  EXPECT_EQ(PathData("M0 50 A-50 -50 0 0 1 100 50"), PathData("M0 50 A50 50 0 0 1 100 50"));
}

TEST(SvgPathData, RotatedEllipticalArc) {
  // An ellipse 20 x 10 rotated by 90 degrees: from (0, 0) to (0, 40) through (10, 20) with sweep 1.
  const SvgPath p = PathData("M0 0 A20 10 90 0 1 0 40");
  ASSERT_EQ(p.size(), 3u);
  EXPECT_NEAR(p[1].x3, 10.0f, 1e-3);
  EXPECT_NEAR(p[1].y3, 20.0f, 1e-3);
  for (std::size_t i = 1; i < p.size(); ++i) {
    double x = 0.0, y = 0.0;
    CubicPoint(p, i, 0.5, x, y);
    // Rotated 90: the long radius (20) along y, the short (10) along x, centre (0, 20).
    EXPECT_NEAR((x / 10) * (x / 10) + ((y - 20) / 20) * ((y - 20) / 20), 1.0, 1e-3);
  }
}

}  // namespace
}  // namespace svg_test
