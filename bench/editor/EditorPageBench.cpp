// GL time of the real editor page's frames on the headless context: a frame
// after one knob moved (only its dirty areas are redrawn into the main frame
// buffer, then the page is presented) against a full repaint of the page,
// at draw scales 0.5 and 1.0; an idle frame, with nothing dirty, whose
// GL calls are counted, hidden value readout or shown; and the frame that
// takes a value readout away, which repaints its box alone. glFinish ends
// every timed frame, so the GPU's work is inside the time.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "EditorPage.h"
#include "GlCallCounter.h"
#include "effect/OmbriskParameters.h"
#include "graphics/controls/IValueReadoutControl.h"
#include "platform/OffscreenGlContext.h"

namespace {

using ombrisk::page::EditorPage;
using ombrisk::page::GlCallCounter;

struct Context {
  std::unique_ptr<fx::platform::OffscreenGlContext> gl = fx::platform::OffscreenGlContext::create();
  std::map<int, std::unique_ptr<EditorPage>> pages;  // by scale in percent

  EditorPage* Page(int percent) {
    if (!gl) return nullptr;
    auto& page = pages[percent];
    if (!page) {
      EditorPage::Options options;
      options.scale = static_cast<float>(percent) / 100.0f;
      page = EditorPage::Create(GlCallCounter::Wrap({gl->loader(), gl->loaderUser()}), options);
      if (page) page->RunFrame();
    }
    return page.get();
  }
};

Context& context() {
  static Context c;
  return c;
}

void Finish(EditorPage& page) { page.Graphics().GetRenderer()->gl().Finish(); }

void BM_FullRepaint(benchmark::State& state) {
  EditorPage* page = context().Page(static_cast<int>(state.range(0)));
  if (!page) return state.SkipWithError("no GL context or page");
  for (auto _ : state) {
    page->RepaintAll();
    Finish(*page);
  }
}

void BM_OneKnobMoved(benchmark::State& state) {
  EditorPage* page = context().Page(static_cast<int>(state.range(0)));
  if (!page) return state.SkipWithError("no GL context or page");
  int areas = 0;
  bool up = false;
  for (auto _ : state) {
    state.PauseTiming();
    page->SetParameter(ombrisk::kInputGain, up ? 0.7 : 0.3);
    up = !up;
    state.ResumeTiming();
    areas = page->RunFrame();
    Finish(*page);
  }
  state.counters["dirty_areas"] = areas;
}

// The floor of any frame that paints: one pixel repainted, then the page
// presented to the window's frame buffer.
void BM_OnePixelFrame(benchmark::State& state) {
  EditorPage* page = context().Page(static_cast<int>(state.range(0)));
  if (!page) return state.SkipWithError("no GL context or page");
  for (auto _ : state) {
    page->Graphics().PaintAreas({fx::igraphics::IBounds(0, 0, 1, 1)});
    Finish(*page);
  }
}

void BM_IdleFrame(benchmark::State& state) {
  EditorPage* page = context().Page(50);
  if (!page) return state.SkipWithError("no GL context or page");
  page->RunFrame();
  const std::uint64_t before = GlCallCounter::Calls();
  std::int64_t painted = 0;
  for (auto _ : state) painted += page->RunFrame();
  state.counters["gl_calls_per_frame"] =
      benchmark::Counter(static_cast<double>(GlCallCounter::Calls() - before), benchmark::Counter::kAvgIterations);
  state.counters["areas_painted"] = static_cast<double>(painted);
}

// Idle with the pointer resting on a knob: its readout shown, nothing changing.
void BM_IdleFrameWithReadout(benchmark::State& state) {
  EditorPage* page = context().Page(50);
  if (!page || !page->HoverParameter(ombrisk::kInputGain)) return state.SkipWithError("no GL context or page");
  page->RunFrame();
  page->RunFrame();
  if (!page->Graphics().GetValueReadout()->IsShown()) return state.SkipWithError("no readout shown");
  const std::uint64_t before = GlCallCounter::Calls();
  std::int64_t painted = 0;
  for (auto _ : state) painted += page->RunFrame();
  state.counters["gl_calls_per_frame"] =
      benchmark::Counter(static_cast<double>(GlCallCounter::Calls() - before), benchmark::Counter::kAvgIterations);
  state.counters["areas_painted"] = static_cast<double>(painted);
  page->Unhover();
}

// The frame after the linger time, which repaints the readout's box and
// presents the page.
void BM_ReadoutHides(benchmark::State& state) {
  EditorPage* page = context().Page(static_cast<int>(state.range(0)));
  if (!page) return state.SkipWithError("no GL context or page");
  fx::igraphics::IValueReadoutControl* readout = page->Graphics().GetValueReadout();
  double now = 0.0;
  readout->SetClock([&now] { return now; });
  int areas = 0;
  for (auto _ : state) {
    state.PauseTiming();
    page->HoverParameter(ombrisk::kInputGain);
    page->RunFrame();
    page->Unhover();
    page->RunFrame();
    now += readout->GetLingerMs() + 1.0;
    Finish(*page);
    state.ResumeTiming();
    areas = page->RunFrame();
    Finish(*page);
  }
  state.counters["dirty_areas"] = areas;
  readout->SetClock({});
}

BENCHMARK(BM_FullRepaint)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OneKnobMoved)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OnePixelFrame)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IdleFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_IdleFrameWithReadout)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ReadoutHides)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
