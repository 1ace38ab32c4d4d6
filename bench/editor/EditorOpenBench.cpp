// Opening the real editor page: the time from nothing to its first frame
// finished on the GPU, with no other page open against with one page already
// open in the process, and the resident memory each further open page adds.
// Every page has a GL context of its own, as every editor window has; the
// contexts of the thread are one share group, as the editor windows of a
// thread are, so a second page draws the first one's artwork textures. Both timings run after warm-up
// iterations, so the driver's one-time start-up is in neither.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "EditorPage.h"
#include "graphics/drawing/ImageDecoder.h"
#include "platform/OffscreenGlContext.h"

namespace {

using ombrisk::page::EditorPage;

// A page on a GL context of its own; its GL objects are deleted with that
// context current.
struct OpenPage {
  std::unique_ptr<fx::platform::OffscreenGlContext> gl;
  std::unique_ptr<EditorPage> page;

  ~OpenPage() {
    if (gl && page) gl->makeCurrent();
    page.reset();
  }
};

std::unique_ptr<fx::platform::OffscreenGlContext> MakeContext() { return fx::platform::OffscreenGlContext::create(); }

// Creates the page on `gl` (made current) and runs its first frame to the end.
std::unique_ptr<EditorPage> OpenOn(fx::platform::OffscreenGlContext& gl) {
  gl.makeCurrent();
  auto page = EditorPage::Create({gl.loader(), gl.loaderUser(), gl.sharedTextures()}, EditorPage::Options{});
  if (!page) return nullptr;
  page->RunFrame();
  page->Graphics().GetRenderer()->gl().Finish();
  return page;
}

std::unique_ptr<OpenPage> Open() {
  auto open = std::make_unique<OpenPage>();
  open->gl = MakeContext();
  if (!open->gl) return nullptr;
  open->page = OpenOn(*open->gl);
  if (!open->page) return nullptr;
  return open;
}

// Resident bytes after the heap returned its free pages; 0 where unknown.
double ResidentMb() {
#if defined(__linux__)
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<double>(resident) * 4096.0 / (1024.0 * 1024.0);
#else
  return 0.0;
#endif
}

// One timed open per iteration; `others` pages stay open around it.
void TimeOpens(benchmark::State& state, int others) {
  std::vector<std::unique_ptr<OpenPage>> open;
  for (int i = 0; i < others; ++i) {
    open.push_back(Open());
    if (!open.back()) return state.SkipWithError("no GL context or page");
  }
  for (auto _ : state) {
    state.PauseTiming();
    OpenPage next;
    next.gl = MakeContext();
    if (!next.gl) {
      state.SkipWithError("no GL context");
      break;
    }
    state.ResumeTiming();
    next.page = OpenOn(*next.gl);
    state.PauseTiming();
    if (!next.page) {
      state.SkipWithError("no page");
      break;
    }
    next.page.reset();
    next.gl.reset();
    state.ResumeTiming();
  }
}

void BM_OpenAlone(benchmark::State& state) { TimeOpens(state, 0); }
void BM_OpenBesideAnother(benchmark::State& state) { TimeOpens(state, 1); }

// Resident memory before any page, with one page, and for each of
// state.range(0) further pages.
void BM_ResidentPerPage(benchmark::State& state) {
  const int further = static_cast<int>(state.range(0));
  double none = 0, one = 0, all = 0;
  for (auto _ : state) {
    std::vector<std::unique_ptr<OpenPage>> open;
    none = ResidentMb();
    open.push_back(Open());
    if (!open.back()) return state.SkipWithError("no GL context or page");
    one = ResidentMb();
    for (int i = 0; i < further; ++i) {
      open.push_back(Open());
      if (!open.back()) return state.SkipWithError("no GL context or page");
    }
    all = ResidentMb();
    // Closed last first, as a host that closes its newest window first.
    while (!open.empty()) open.pop_back();
  }
  state.counters["first_page_MB"] = one - none;
  state.counters["per_further_page_MB"] = further > 0 ? (all - one) / further : 0.0;
}

// Decoding the lamp strip for upload: packed to its content (0) against
// kept whole (1), the packing's own cost.
void BM_DecodeLampForUpload(benchmark::State& state) {
  std::ifstream file(OMBRISK_RESOURCES_DIR "/ledOn.png", std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const auto use = state.range(0) == 0 ? fx::igraphics::ImageUse::Upload : fx::igraphics::ImageUse::UploadWhole;
  std::size_t size = 0;
  for (auto _ : state) {
    const fx::igraphics::DecodedImage image = fx::igraphics::DecodeImage(bytes, use);
    if (image.pixels.empty()) return state.SkipWithError("no lamp strip in " OMBRISK_RESOURCES_DIR);
    size = image.pixels.size();
    benchmark::DoNotOptimize(image.pixels.data());
  }
  state.counters["texture_MB"] = static_cast<double>(size) / 1e6;
}

BENCHMARK(BM_OpenAlone)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenBesideAnother)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ResidentPerPage)->Arg(3)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecodeLampForUpload)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
