// Hostile documents: each must give a defined answer in bounded time and
// memory, with the document's bounds holding.

#include <cmath>
#include <string>

#include "SvgTestSupport.h"
#include "graphics/svg/SvgLimits.h"
#include "graphics/svg/XmlTokenizer.h"

namespace svg_test {
namespace {

std::size_t CommandCount(const SvgImage& image) {
  std::size_t n = 0;
  for (const SvgShape& s : image.shapes) n += s.path.size();
  return n;
}

bool AllFinite(const SvgImage& image) {
  for (const SvgShape& s : image.shapes) {
    if (!std::isfinite(s.strokeWidth)) return false;
    for (const SvgPathCommand& c : s.path)
      for (float v : {c.x1, c.y1, c.x2, c.y2, c.x3, c.y3})
        if (!std::isfinite(v)) return false;
  }
  return true;
}

TEST(SvgHostileInput, DeepNestingIsBoundedAndTheRestStillRead) {
  const int depth = 100000;
  std::string text = "<svg>";
  for (int i = 0; i < depth; ++i) text += "<g>";
  text += "<rect width='1' height='1'/>";
  for (int i = 0; i < depth; ++i) text += "</g>";
  text += "<rect width='2' height='2'/></svg>";
  const SvgImage image = Read(text);
  // The deep rect is past the bound; the one after the groups is read.
  ASSERT_EQ(image.shapes.size(), 1u);
  EXPECT_EQ(image.shapes[0].path[1], L(2, 0));

  // Just within the bound a shape is still drawn.
  std::string within = "<svg>";
  for (int i = 1; i < kMaxDepth - 1; ++i) within += "<g>";
  within += "<rect width='1' height='1'/>";
  for (int i = 1; i < kMaxDepth - 1; ++i) within += "</g>";
  within += "</svg>";
  EXPECT_EQ(Read(within).shapes.size(), 1u);

  // Unclosed deep nesting is an error, not a crash.
  std::string open = "<svg>";
  for (int i = 0; i < depth; ++i) open += "<g>";
  SvgImage out;
  std::string error;
  EXPECT_FALSE(ReadSvg(open, out, &error));
  EXPECT_EQ(error, "unexpected end of text inside <g>");
}

TEST(SvgHostileInput, HugeNumbersNaNAndInfinity) {
  // Out-of-range numbers end the path data there.
  EXPECT_EQ(PathData("M0 0 L1 1 L1e39 0 L2 2"), (SvgPath{M(0, 0), L(1, 1)}));
  EXPECT_EQ(PathData("M0 0 L1 1 L1e99999999999 0"), (SvgPath{M(0, 0), L(1, 1)}));
  EXPECT_EQ(PathData("M0 0 L1 1 LNaN 0"), (SvgPath{M(0, 0), L(1, 1)}));
  EXPECT_EQ(PathData("M0 0 L1 1 Linf 0"), (SvgPath{M(0, 0), L(1, 1)}));
  // Transforms that carry coordinates past the range drop the shape.
  const SvgImage image = Read(Doc("<g transform='scale(1e20)'><g transform='scale(1e20)'>"
                                  "<path d='M0 0 L1 1' stroke='red'/></g></g>"
                                  "<path d='M0 0 L1e30 1e30' transform='scale(1e30)'/>"
                                  "<path d='M0 0 L1 1' stroke='red' transform='matrix(1e30 0 0 1e30 0 0)'/>"
                                  "<path d='M0 0 L1 1' stroke='red' transform='skewX(90)'/>"
                                  "<path d='M0 0 L1 1' stroke='red' stroke-width='1e30' transform='scale(1e10)'/>"
                                  "<rect width='1e30' height='1e30' rx='1e30'/>"));
  EXPECT_TRUE(AllFinite(image));
  for (const SvgShape& s : image.shapes) {
    EXPECT_LE(s.strokeWidth, 1e30f);
    for (const SvgPathCommand& c : s.path) EXPECT_LE(std::fabs(c.x3), 1e30f);
  }
  // Huge values elsewhere.
  const SvgImage other = Read("<svg width='1e300' height='nan' viewBox='0 0 1e30 1e30' opacity='1e30'>"
                              "<linearGradient id='g' x2='1e30' gradientTransform='scale(1e30)'>"
                              "<stop offset='1e30' stop-color='red' stop-opacity='inf'/></linearGradient>"
                              "<circle r='1e30' fill='url(#g)' stroke='red' stroke-width='1e29' stroke-miterlimit='1e30'/>"
                              "<path d='M0 0 A1e30 1e-30 1e30 1 1 1e30 -1e30' stroke='red'/></svg>");
  EXPECT_TRUE(AllFinite(other));
  EXPECT_EQ(other.width, 1e30f);  // the view box's, 1e300 being no number
}

TEST(SvgHostileInput, UnterminatedMarkup) {
  for (std::string_view text : {"<svg", "<svg ", "<svg width", "<svg width=", "<svg width='1", "<svg width=\"1'>",
                                "<svg><path d='", "<svg><!--", "<svg><![CDATA[", "<svg><?x", "<svg><!DOCTYPE",
                                "<svg></", "<svg></svg", "<svg><path/", "<", "<!", "<![CDATA", "<svg>&amp"}) {
    SvgImage image;
    std::string error;
    EXPECT_FALSE(ReadSvg(text, image, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
    EXPECT_TRUE(image.shapes.empty()) << text;
  }
}

TEST(SvgHostileInput, TenMegabytesOfPathDataAreBounded) {
  std::string d = "M0 0";
  d.reserve(10u << 20);
  while (d.size() < (10u << 20)) d += "L1 2 3 4 ";
  const SvgImage image = Read("<svg><path d='" + d + "'/><path d='" + d + "'/><rect width='1' height='1'/></svg>");
  EXPECT_EQ(CommandCount(image), kMaxPathCommands);
  ASSERT_EQ(image.shapes.size(), 1u);  // the budget is spent on the first path
  EXPECT_EQ(image.shapes[0].path[0], M(0, 0));
  EXPECT_EQ(image.shapes[0].path[1], L(1, 2));
}

TEST(SvgHostileInput, ShapeCountIsBounded) {
  std::string text = "<svg>";
  for (std::size_t i = 0; i < kMaxShapes + 100; ++i) text += "<path d='M0 0H1'/>";
  text += "</svg>";
  EXPECT_EQ(Read(text).shapes.size(), kMaxShapes);
}

TEST(SvgHostileInput, GradientTablesAreBounded) {
  std::string text = "<svg><linearGradient id='g'>";
  for (std::size_t i = 0; i < kMaxStopsPerGradient + 10; ++i) text += "<stop offset='0.5' stop-color='red'/>";
  text += "</linearGradient>";
  // A long chain of links: followed only so far.
  for (int i = 0; i < 100; ++i) text += "<linearGradient id='c" + std::to_string(i + 1) + "' href='#c" + std::to_string(i) + "'/>";
  text += "<linearGradient id='c0' href='#g'/>";
  text += "<path d='M0 0H1V1Z' fill='url(#g)' stroke='url(#c100) lime'/>";
  text += "<path d='M0 0H1V1Z' fill='url(#c" + std::to_string(kMaxGradientLinks - 1) + ")'/></svg>";
  const SvgImage image = Read(text);
  ASSERT_EQ(image.shapes.size(), 2u);
  EXPECT_EQ(image.shapes[0].fill.stops.size(), kMaxStopsPerGradient);
  EXPECT_EQ(image.shapes[0].stroke.kind, SvgPaint::Kind::None);  // found, but its stops are too far away
  EXPECT_EQ(image.shapes[1].fill.stops.size(), kMaxStopsPerGradient);
}

TEST(SvgHostileInput, StopsCopiedIntoPaintsAreBounded) {
  std::string text = "<svg><linearGradient id='g'>";
  for (std::size_t i = 0; i < kMaxStopsPerGradient; ++i) text += "<stop offset='1' stop-color='red'/>";
  text += "<stop offset='1' stop-color='blue'/></linearGradient>";
  const std::size_t full = kMaxPaintStops / kMaxStopsPerGradient;
  for (std::size_t i = 0; i < full + 10; ++i) text += "<path d='M0 0H1V1Z' fill='url(#g)'/>";
  text += "</svg>";
  const SvgImage image = Read(text);
  ASSERT_EQ(image.shapes.size(), full + 10);
  std::size_t stops = 0;
  for (const SvgShape& s : image.shapes) stops += s.fill.stops.size();
  EXPECT_EQ(stops, kMaxPaintStops);
  EXPECT_EQ(image.shapes[full - 1].fill.kind, SvgPaint::Kind::LinearGradient);
  // Past the bound: the last stop's colour (the 257th stop was dropped, so red).
  EXPECT_EQ(image.shapes[full].fill.kind, SvgPaint::Kind::Colour);
  EXPECT_EQ(image.shapes[full].fill.colour, (IArgb{255, 255, 0, 0}));
}

TEST(SvgHostileInput, GarbageAndOddBytes) {
  std::string bytes;
  for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 7919) & 0xFF);
  SvgImage image;
  std::string error;
  EXPECT_FALSE(ReadSvg(bytes, image, &error));
  EXPECT_FALSE(error.empty());
  // Embedded NUL bytes are just characters.
  const char withNul[] = "<svg><path d='M0 0L1 1\0L2 2'/></svg>";
  const SvgImage n = Read(std::string_view(withNul, sizeof withNul - 1));
  ASSERT_EQ(n.shapes.size(), 1u);
  EXPECT_EQ(n.shapes[0].path, (SvgPath{M(0, 0), L(1, 1)}));  // drawn up to the NUL
}

TEST(SvgHostileInput, LongRunsOfAmpersandsAreReadInLinearTime) {
  const std::string value(4u << 20, '&');
  const std::string text = "<a v='" + value + "' w='&amp;'/>";
  XmlTokenizer t(text);
  ASSERT_EQ(t.Next(), XmlTokenizer::Token::StartElement);
  EXPECT_EQ(t.Attributes()[0].value, value);
  EXPECT_EQ(t.Attributes()[1].value, "&");
}

TEST(SvgHostileInput, LongIdsNameNothing) {
  // An inherited paint is copied into every element: long ids would make that quadratic.
  const std::string id(kMaxIdLength + 1, 'x');
  const std::string fits(kMaxIdLength, 'y');
  const std::string stops = "<stop stop-color='red'/><stop offset='1' stop-color='blue'/>";
  const SvgImage image = Read(Doc("<linearGradient id='" + id + "'>" + stops + "</linearGradient>"
                                  "<linearGradient id='" + fits + "'>" + stops + "</linearGradient>"
                                  "<linearGradient id='h' href='#" + id + "'/>"
                                  "<g fill='lime'><path d='M0 0H1V1Z' fill='url(#" + id + ")'/>"
                                  "<path d='M0 0H1V1Z' fill='url(#" + fits + ")'/>"
                                  "<path d='M0 0H1V1Z' fill='url(#h) navy' stroke='red'/></g>"));
  ASSERT_EQ(image.shapes.size(), 3u);
  EXPECT_EQ(image.shapes[0].fill.colour, (IArgb{255, 0, 255, 0}));  // the paint was ignored, lime inherited
  EXPECT_EQ(image.shapes[1].fill.kind, SvgPaint::Kind::LinearGradient);
  EXPECT_EQ(image.shapes[2].fill.kind, SvgPaint::Kind::None);  // found, no stops through the long href
}

TEST(SvgHostileInput, OversizedDocumentsAreRefused) {
  const std::string big(kMaxDocumentBytes + 1, ' ');
  SvgImage image;
  std::string error;
  EXPECT_FALSE(ReadSvg(big, image, &error));
  EXPECT_EQ(error, "document larger than 64 MB");
}

}  // namespace
}  // namespace svg_test
