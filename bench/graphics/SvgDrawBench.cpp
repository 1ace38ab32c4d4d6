// The cost of SVG documents on the editor thread: reading and preparing an
// icon-sized document (what LoadSvg does once), drawing it (path operations
// into a context without a backend, so only DrawSvg's own work is timed),
// and the worst even-odd path the nesting test still accepts.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "graphics/IGraphics.h"
#include "graphics/SvgDocument.h"
#include "graphics/svg/SvgDrawing.h"
#include "graphics/svg/SvgReader.h"
#include "tests/graphics/FakeEditorDelegate.h"

namespace {

using namespace fx::igraphics;

// Forty shapes: rings of two circles (even-odd), rounded bars with a
// gradient, and stroked polylines, in a 100 x 100 view box.
std::string IconText() {
  std::string text =
      "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 100 100'><defs><linearGradient id='g'>"
      "<stop offset='0' stop-color='#f80'/><stop offset='1' stop-color='#08f'/></linearGradient></defs>";
  for (int i = 0; i < 10; ++i) {
    const std::string x = std::to_string(5 + i * 9);
    text += "<path fill-rule='evenodd' d='M" + x + " 10a4 4 0 1 0 8 0a4 4 0 1 0 -8 0zM" + x +
            " 10m2 0a2 2 0 1 0 4 0a2 2 0 1 0 -4 0z'/>";
    text += "<rect x='" + x + "' y='30' width='8' height='30' rx='2' fill='url(#g)'/>";
    text += "<polyline points='" + x + ",70 " + x + ",80 " + std::to_string(9 + i * 9) +
            ",90' fill='none' stroke='#333' stroke-width='1.5' stroke-linejoin='round'/>";
    text += "<circle cx='" + std::to_string(9 + i * 9) + "' cy='95' r='3' fill='red' opacity='0.5'/>";
  }
  return text + "</svg>";
}

void BM_SvgReadAndPrepare(benchmark::State& state) {
  const std::string text = IconText();
  for (auto _ : state) {
    svg::SvgImage image;
    if (!svg::ReadSvg(text, image)) state.SkipWithError("the icon did not read");
    SvgDocument document("icon.svg", std::move(image));
    benchmark::DoNotOptimize(document.GetDrawShapes().data());
  }
}
BENCHMARK(BM_SvgReadAndPrepare);

void BM_DrawSvgWithoutBackend(benchmark::State& state) {
  svg::SvgImage image;
  if (!svg::ReadSvg(IconText(), image)) state.SkipWithError("the icon did not read");
  SvgDocument document("icon.svg", std::move(image));
  testing_support::FakeEditorDelegate delegate;
  IGraphics graphics(delegate, 200, 200, 60, 1.0f);
  for (auto _ : state) graphics.DrawSvg(ISvg{&document}, IBounds(10, 10, 74, 74), nullptr);
  state.counters["shapes"] = static_cast<double>(document.GetDrawShapes().size());
}
BENCHMARK(BM_DrawSvgWithoutBackend);

// 2200 squares of four corners: 2200 x 8800 point-edge steps, just under
// the budget past which even-odd falls back to orientation.
void BM_EvenOddNestingAtItsBudget(benchmark::State& state) {
  std::vector<svg::SvgPath> subpaths;
  using K = svg::SvgPathCommand::Kind;
  for (int i = 0; i < 2200; ++i) {
    const float x = static_cast<float>(i % 40) * 10.0f, y = static_cast<float>(i / 40) * 10.0f;
    subpaths.push_back({{K::Move, 0, 0, 0, 0, x, y},
                        {K::Line, 0, 0, 0, 0, x + 8, y},
                        {K::Line, 0, 0, 0, 0, x + 8, y + 8},
                        {K::Line, 0, 0, 0, 0, x, y + 8},
                        {K::Close, 0, 0, 0, 0, 0, 0}});
  }
  for (auto _ : state) benchmark::DoNotOptimize(svg::HoleSubpaths(subpaths, svg::SvgShape::FillRule::EvenOdd));
}
BENCHMARK(BM_EvenOddNestingAtItsBudget)->Unit(benchmark::kMillisecond);

// The same squares all stacked on one spot: every bounding box holds every
// test point, so each pair costs a full point-in-polygon test.
void BM_EvenOddNestingAtItsBudgetOverlapping(benchmark::State& state) {
  std::vector<svg::SvgPath> subpaths;
  using K = svg::SvgPathCommand::Kind;
  for (int i = 0; i < 2200; ++i) {
    const float d = static_cast<float>(i) * 0.001f;
    subpaths.push_back({{K::Move, 0, 0, 0, 0, d, d},
                        {K::Line, 0, 0, 0, 0, 8 + d, 0},
                        {K::Line, 0, 0, 0, 0, 8, 8},
                        {K::Line, 0, 0, 0, 0, 0, 8},
                        {K::Close, 0, 0, 0, 0, 0, 0}});
  }
  for (auto _ : state) benchmark::DoNotOptimize(svg::HoleSubpaths(subpaths, svg::SvgShape::FillRule::EvenOdd));
}
BENCHMARK(BM_EvenOddNestingAtItsBudgetOverlapping)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
