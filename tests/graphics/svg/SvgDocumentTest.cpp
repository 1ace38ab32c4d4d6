// The root's size, view box and aspect ratio, the basic shapes, and what
// the reader skips or refuses.

#include <cstdio>

#include "SvgTestSupport.h"

namespace svg_test {
namespace {

TEST(SvgDocument, RootSizeAndViewBox) {
  const SvgImage a = Read("<svg width='200' height='100px' viewBox='-10 -20, 30 40'/>");
  EXPECT_EQ(a.width, 200.0f);
  EXPECT_EQ(a.height, 100.0f);
  EXPECT_TRUE(a.hasViewBox);
  EXPECT_EQ(a.viewBoxX, -10.0f);
  EXPECT_EQ(a.viewBoxY, -20.0f);
  EXPECT_EQ(a.viewBoxWidth, 30.0f);
  EXPECT_EQ(a.viewBoxHeight, 40.0f);
  EXPECT_EQ(a.align, SvgImage::Align::XMidYMid);
  EXPECT_EQ(a.meetOrSlice, SvgImage::MeetOrSlice::Meet);
  EXPECT_TRUE(a.shapes.empty());
  // Missing sizes and percentages fall back to the view box.
  const SvgImage b = Read("<svg viewBox='0 0 24 16' width='100%'></svg>");
  EXPECT_EQ(b.width, 24.0f);
  EXPECT_EQ(b.height, 16.0f);
  const SvgImage c = Read("<svg width='12' height='34'></svg>");
  EXPECT_FALSE(c.hasViewBox);
  EXPECT_EQ(c.width, 12.0f);
  EXPECT_EQ(c.height, 34.0f);
  // A view box without area, or malformed, is none.
  for (std::string_view box : {"0 0 0 10", "0 0 10 -1", "0 0 10", "0 0 10 10 10", "a b c d"}) {
    const SvgImage d = Read("<svg viewBox='" + std::string(box) + "' width='5' height='6'/>");
    EXPECT_FALSE(d.hasViewBox) << box;
    EXPECT_EQ(d.width, 5.0f);
  }
}

TEST(SvgDocument, PreserveAspectRatio) {
  auto read = [](std::string_view value) { return Read("<svg viewBox='0 0 1 1' preserveAspectRatio='" + std::string(value) + "'/>"); };
  EXPECT_EQ(read("none").align, SvgImage::Align::None);
  EXPECT_EQ(read("xMinYMax").align, SvgImage::Align::XMinYMax);
  EXPECT_EQ(read("xMaxYMin meet").align, SvgImage::Align::XMaxYMin);
  const SvgImage slice = read(" xMidYMax  slice ");
  EXPECT_EQ(slice.align, SvgImage::Align::XMidYMax);
  EXPECT_EQ(slice.meetOrSlice, SvgImage::MeetOrSlice::Slice);
  EXPECT_EQ(read("defer xMinYMid").align, SvgImage::Align::XMinYMid);
  // Malformed values keep the default.
  for (std::string_view bad : {"xmidymid", "xMinYMin cut", "xMinYMin slice x", "slice"}) {
    const SvgImage d = read(bad);
    EXPECT_EQ(d.align, SvgImage::Align::XMidYMid) << bad;
    EXPECT_EQ(d.meetOrSlice, SvgImage::MeetOrSlice::Meet) << bad;
  }
}

TEST(SvgDocument, Rectangles) {
  EXPECT_EQ(PathOf("<rect x='1' y='2' width='3' height='4'/>"), (SvgPath{M(1, 2), L(4, 2), L(4, 6), L(1, 6), Z()}));
  // Percentages of the 100 x 100 viewport.
  EXPECT_EQ(PathOf("<rect x='10%' width='50%' height='1'/>"), (SvgPath{M(10, 0), L(60, 0), L(60, 1), L(10, 1), Z()}));
  // Without area: nothing.
  EXPECT_TRUE(Read(Doc("<rect width='0' height='4'/><rect width='3' height='-1'/><rect width='3'/>")).shapes.empty());
}

TEST(SvgDocument, RoundedRectangles) {
  // rx alone stands for ry too: corners of radius 2 on a 10 x 6 box.
  const SvgPath p = PathOf("<rect width='10' height='6' rx='2'/>");
  ASSERT_EQ(p.size(), 10u);
  EXPECT_EQ(p[0], M(2, 0));
  EXPECT_EQ(p[1], L(8, 0));
  EXPECT_EQ(p[2].kind, Kind::Cubic);
  EXPECT_EQ(p[2].x3, 10.0f);
  EXPECT_EQ(p[2].y3, 2.0f);
  double x = 0, y = 0;
  CubicPoint(p, 2, 0.5, x, y);  // on the corner's circle about (8, 2)
  EXPECT_NEAR(std::hypot(x - 8, y - 2), 2.0, 1e-3);
  EXPECT_EQ(p[3], L(10, 4));
  EXPECT_EQ(p.back(), Z());
  EXPECT_EQ(PathOf("<rect width='10' height='6' ry='2'/>"), p);
  // Radii past half the side are clamped: a 4 x 4 box with rx 10 is a circle of radius 2.
  const SvgPath round = PathOf("<rect width='4' height='4' rx='10' ry='3'/>");
  ASSERT_EQ(round.size(), 6u);  // move, four corners, close: no straight sides left
  for (std::size_t i = 1; i < 5; ++i) {
    CubicPoint(round, i, 0.5, x, y);
    EXPECT_NEAR(std::hypot(x - 2, y - 2), 2.0, 1e-3) << i;
  }
  // Different radii.
  const SvgPath ellipse = PathOf("<rect width='10' height='10' rx='4' ry='2'/>");
  EXPECT_EQ(ellipse[0], M(4, 0));
  EXPECT_EQ(ellipse[2].x3, 10.0f);
  EXPECT_EQ(ellipse[2].y3, 2.0f);
  // A negative radius counts as not given.
  EXPECT_EQ(PathOf("<rect width='10' height='6' rx='-1' ry='2'/>"), p);
}

TEST(SvgDocument, CirclesAndEllipses) {
  const SvgPath c = PathOf("<circle cx='50' cy='40' r='10'/>");
  ASSERT_EQ(c.size(), 6u);
  EXPECT_EQ(c[0], M(60, 40));
  EXPECT_EQ(c[1].x3, 50.0f);
  EXPECT_EQ(c[1].y3, 50.0f);
  EXPECT_EQ(c[4].x3, 60.0f);
  EXPECT_EQ(c[4].y3, 40.0f);
  EXPECT_EQ(c[5], Z());
  for (std::size_t i = 1; i < 5; ++i) {
    for (double t : {0.3, 0.5, 0.8}) {
      double x = 0, y = 0;
      CubicPoint(c, i, t, x, y);
      EXPECT_NEAR(std::hypot(x - 50, y - 40), 10.0, 3e-3);
    }
  }
  const SvgPath e = PathOf("<ellipse cx='0' cy='0' rx='20' ry='5'/>");
  ASSERT_EQ(e.size(), 6u);
  for (std::size_t i = 1; i < 5; ++i) {
    double x = 0, y = 0;
    CubicPoint(e, i, 0.5, x, y);
    EXPECT_NEAR((x / 20) * (x / 20) + (y / 5) * (y / 5), 1.0, 1e-3);
  }
  EXPECT_TRUE(Read(Doc("<circle r='0'/><circle cx='5'/><ellipse rx='5'/><ellipse rx='1' ry='-1'/>")).shapes.empty());
}

TEST(SvgDocument, LinesAndPolys) {
  EXPECT_EQ(PathOf("<line x1='1' y1='2' x2='3' y2='4' stroke='red'/>"), (SvgPath{M(1, 2), L(3, 4)}));
  EXPECT_EQ(PathOf("<polyline points='1,2 3,4 5 6' stroke='red'/>"), (SvgPath{M(1, 2), L(3, 4), L(5, 6)}));
  EXPECT_EQ(PathOf("<polygon points='1,2 3,4 5,6'/>"), (SvgPath{M(1, 2), L(3, 4), L(5, 6), Z()}));
  // An odd coordinate at the end, or a malformed one, ends the list.
  EXPECT_EQ(PathOf("<polygon points='1 2 3 4 5'/>"), (SvgPath{M(1, 2), L(3, 4), Z()}));
  EXPECT_EQ(PathOf("<polyline points='1 2 3 4 x 5 6' stroke='red'/>"), (SvgPath{M(1, 2), L(3, 4)}));
  EXPECT_TRUE(Read(Doc("<polygon points=''/><polyline/><polygon points='1'/>")).shapes.empty());
}

TEST(SvgDocument, SkipsWhatItDoesNotDraw) {
  const SvgImage image = Read(
      "<?xml version='1.0' encoding='UTF-8'?>\n<!-- made by hand -->\n"
      "<!DOCTYPE svg PUBLIC '-//W3C//DTD SVG 1.1//EN' 'http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd'>\n"
      "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' viewBox='0 0 10 10'>"
      "<title>icon &amp; more</title><desc><![CDATA[<rect/>]]></desc>"
      "<style>rect { fill: red }</style>"
      "<defs><rect id='r' width='5' height='5'/></defs>"
      "<use xlink:href='#r'/><text x='1'>hi<tspan>there</tspan></text>"
      "<clipPath id='c'><rect width='1' height='1'/></clipPath>"
      "<mask id='m'><circle r='3'/></mask><filter id='f'><feGaussianBlur/></filter>"
      "<symbol id='s'><path d='M0 0H1V1Z'/></symbol>"
      "<path d='M0 0H1V1Z'><title>a path</title><rect width='9' height='9'/></path>"
      "<a><circle r='1'/></a>"
      "<svg:rect xmlns:svg='http://www.w3.org/2000/svg' width='2' height='2'/>"
      "<unknown><rect width='3' height='3'/></unknown>"
      "</svg><!-- trailing --> <more/>");
  ASSERT_EQ(image.shapes.size(), 3u);
  EXPECT_EQ(image.shapes[0].path.size(), 4u);  // the path, without its child
  EXPECT_EQ(image.shapes[1].path.size(), 6u);  // the circle in <a>
  EXPECT_EQ(image.shapes[2].path[1], L(2, 0));  // the prefixed rect
}

TEST(SvgDocument, NestedSvgIsAGroupAtItsPosition) {
  EXPECT_EQ(PathOf("<svg x='5' y='6' fill='red'><rect width='1' height='1'/></svg>"),
            (SvgPath{M(5, 6), L(6, 6), L(6, 7), L(5, 7), Z()}));
}

TEST(SvgDocument, ShapesKeepDocumentOrder) {
  const SvgImage image = Read(Doc("<rect width='1' height='1' fill='red'/><g><circle r='1' fill='lime'/></g>"
                                  "<path d='M0 0H1V1Z' fill='blue'/>"));
  ASSERT_EQ(image.shapes.size(), 3u);
  EXPECT_EQ(image.shapes[0].fill.colour.r, 255);
  EXPECT_EQ(image.shapes[1].fill.colour.g, 255);
  EXPECT_EQ(image.shapes[2].fill.colour.b, 255);
}

TEST(SvgDocument, WhatIsNotAnSvgDocument) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"", "no svg element"},
      {"just text", "no svg element"},
      {"<html><svg/></html>", "not an SVG document: the root element is <html>"},
      {"</svg>", "end tag </svg> before any element"},
      {"<svg><g></svg>", "end tag </svg> does not close <g>"},
      {"<svg><g>", "unexpected end of text inside <g>"},
      {"<svg><path d='M0 0L1 1'/>", "unexpected end of text inside <svg>"},
      {"<svg><path d='M0 0L1 1/></svg>", "line 1: unterminated attribute value"},
      {"<svg>\n<path d='M0 0'\n", "line 3: unterminated start tag"},
      {"<svg><!-- </svg>", "line 1: unterminated comment"},
  };
  for (const auto& [text, reason] : cases) {
    SvgImage image;
    image.width = 7.0f;
    image.shapes.emplace_back();
    std::string error;
    EXPECT_FALSE(ReadSvg(text, image, &error)) << text;
    EXPECT_EQ(error, reason) << text;
    EXPECT_EQ(image, SvgImage{}) << text;
  }
  // No error text wanted: still a clean answer.
  SvgImage image;
  EXPECT_FALSE(ReadSvg("<svg>", image, nullptr));
  EXPECT_TRUE(ReadSvg("<svg/>", image, nullptr));
}

}  // namespace
}  // namespace svg_test

namespace svg_test {
namespace {

std::string FileText(const std::string& name) {
  std::string text;
  if (FILE* f = std::fopen((std::string(OMBRISK_SVG_CORPUS_DIR) + "/" + name).c_str(), "rb")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
  }
  return text;
}

// The fuzzer's seeds are documents the reader takes in full.
TEST(SvgDocument, ReadsTheFuzzSeeds) {
  const std::pair<const char*, std::size_t> seeds[] = {
      {"shapes.svg", 6}, {"paths.svg", 4}, {"gradients.svg", 2}, {"markup.svg", 2}};
  for (const auto& [name, shapes] : seeds) {
    const std::string text = FileText(name);
    ASSERT_FALSE(text.empty()) << name;
    const SvgImage image = Read(text);
    EXPECT_EQ(image.shapes.size(), shapes) << name;
  }
  const SvgImage g = Read(FileText("gradients.svg"));
  ASSERT_EQ(g.shapes.size(), 2u);
  EXPECT_EQ(g.shapes[0].fill.kind, SvgPaint::Kind::LinearGradient);
  EXPECT_EQ(g.shapes[0].fill.stops.size(), 3u);
  EXPECT_EQ(g.shapes[1].fill.kind, SvgPaint::Kind::RadialGradient);
  EXPECT_EQ(g.shapes[1].stroke.kind, SvgPaint::Kind::LinearGradient);
  const SvgImage m = Read(FileText("markup.svg"));
  EXPECT_EQ(m.width, 20.0f);  // 100% falls back to the view box
  EXPECT_EQ(m.shapes[0].fill.colour, (IArgb{255, 0, 255, 0}));
}

}  // namespace
}  // namespace svg_test
