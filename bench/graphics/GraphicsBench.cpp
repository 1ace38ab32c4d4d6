// Backend calls of one frame on the editor's page (background, label and the
// sixteen knob, switch and lamp controls, over the recording backend): a full
// repaint against a frame in which one large knob turned. The counters are
// the point; the times include the recorder's own text formatting.

#include <benchmark/benchmark.h>

#include <vector>

#include "tests/graphics/TestPage.h"

namespace {

using fx::igraphics::IBounds;
using fx::igraphics::IControl;

constexpr int kInputGainHighlight = 14;

double gPaintedShare = 0.0;  // painted pixels / page pixels of the last frame
double gAreas = 0.0;         // areas painted in the last frame

// Backend calls of painting what the next frame collects.
std::size_t PaintFrame(testing_support::EditorPage& page) {
  std::vector<IBounds> areas;
  page.graphics->CollectDirtyAreas(areas);
  double painted = 0.0;
  const IBounds whole{0, 0, static_cast<float>(page.graphics->Width()), static_cast<float>(page.graphics->Height())};
  const std::vector<IBounds> reduced = fx::igraphics::IGraphics::ReduceDirtyAreas(areas, page.graphics->GetTotalScale());
  gAreas = static_cast<double>(reduced.size());
  for (const IBounds& a : reduced)
    painted += static_cast<double>(a.Intersect(whole).W()) * static_cast<double>(a.Intersect(whole).H());
  gPaintedShare = painted / (static_cast<double>(whole.W()) * static_cast<double>(whole.H()));
  page.graphics->ClearLog();
  page.graphics->PaintAreas(areas);
  return page.graphics->log.size();
}

std::size_t FullRepaint(testing_support::EditorPage& page) {
  page.graphics->ForEachControl([](IControl& c) { c.MarkDirty(false, -1); });
  return PaintFrame(page);
}

std::size_t OneKnobTurn(testing_support::EditorPage& page, double value) {
  IControl* highlight = page.graphics->GetControl(kInputGainHighlight);
  highlight->StoreValue(value, 0);
  highlight->MarkDirty(true, -1);  // as one drag step does
  return PaintFrame(page);
}

void BM_FullRepaint(benchmark::State& state) {
  testing_support::EditorPage page;
  std::size_t calls = 0;
  for (auto _ : state) {
    calls = FullRepaint(page);
    benchmark::DoNotOptimize(calls);
  }
  state.counters["backend_calls"] = static_cast<double>(calls);
  state.counters["painted_share"] = gPaintedShare;
  state.counters["areas"] = gAreas;
}

void BM_OneKnobChange(benchmark::State& state) {
  testing_support::EditorPage page;
  PaintFrame(page);  // the first frame paints everything
  const double full = static_cast<double>(FullRepaint(page));
  std::size_t calls = 0;
  double value = 0.3;
  for (auto _ : state) {
    value = value == 0.3 ? 0.6 : 0.3;
    calls = OneKnobTurn(page, value);
    benchmark::DoNotOptimize(calls);
  }
  state.counters["backend_calls"] = static_cast<double>(calls);
  state.counters["full_repaint_calls"] = full;
  state.counters["ratio"] = static_cast<double>(calls) / full;
  state.counters["painted_share"] = gPaintedShare;
  state.counters["areas"] = gAreas;
}

BENCHMARK(BM_FullRepaint);
BENCHMARK(BM_OneKnobChange);

}  // namespace

BENCHMARK_MAIN();
