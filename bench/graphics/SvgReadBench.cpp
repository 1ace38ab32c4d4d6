// Reading SVG text into an SvgImage: a generated icon sheet of about 100 KB
// (paths with arcs and curves, rounded rects, circles, gradients defined
// after use, nested transforms) and long path data, 1 MB and 10 MB, the
// latter past the document's command bound. Bytes per second counts the
// whole text; peak_rss_mb is the process's peak resident size so far.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "graphics/svg/SvgReader.h"

#if defined(__linux__)
#include <sys/resource.h>
#endif

namespace {

using fx::igraphics::svg::ReadSvg;
using fx::igraphics::svg::SvgImage;

double PeakRssMb() {
#if defined(__linux__)
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
#else
  return 0.0;
#endif
}

std::string Format(const char* format, int a, int b, int c, int d) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, a, b, c, d);
  return buffer;
}

// One 24 x 24 icon at grid cell i: a gradient-filled rounded plate, a ring of
// arcs, a curve with smooth segments and a rotated marker.
std::string Icon(int i) {
  const int x = (i % 16) * 32, y = (i / 16) * 32;
  std::string s = Format("<g id='icon%d' transform='translate(%d %d) scale(1.25)' stroke-linecap='round'>", i, x, y, 0);
  s += Format("<rect x='1' y='1' width='22' height='22' rx='4' fill='url(#plate%d)' stroke='#%03x'/>", i, i * 37 % 4096, 0, 0);
  s += Format("<path d='M12 3.5a8.5 8.5 0 1 1-.01 0zm0 3A5.5 5.5 0 1 0 17.5 12 5.5 5.5 0 0 0 12 6.5z' "
              "fill-rule='evenodd' style='fill: rgb(%d, %d, %d); opacity: .9'/>", i % 256, (i * 7) % 256, (i * 13) % 256, 0);
  s += Format("<path d='M4 18C6 14 8 14 10 18S14 22 16 18Q18 14 20 18T22 20' fill='none' stroke='currentColor' "
              "color='#%06x' stroke-width='1.5' transform='rotate(%d 12 12)'/>", i * 2654435 % 16777216, i % 360, 0, 0);
  s += Format("<circle cx='%d' cy='%d' r='1.5' fill='url(#dot%d)' transform='skewX(%d)'/>", 6 + i % 12, 6 + i % 11, i, i % 20);
  s += "</g>";
  s += Format("<linearGradient id='plate%d' x2='0' y2='1' gradientTransform='rotate(%d .5 .5)'>"
              "<stop offset='0' stop-color='#fafafa'/><stop offset='%d%%' stop-color='grey'/>"
              "<stop offset='1' stop-color='#222' stop-opacity='.8'/></linearGradient>",
              i, i % 90, 30 + i % 50, 0);
  s += Format("<radialGradient id='dot%d' href='#plate%d' cx='40%%' cy='40%%' r='.6' fx='.3'/>", i, i, 0, 0);
  return s;
}

std::string IconSheet(std::size_t bytes) {
  std::string s = "<?xml version='1.0'?>\n<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 512 512'>";
  for (int i = 0; s.size() < bytes; ++i) s += Icon(i);
  return s + "</svg>";
}

std::string LongPath(std::size_t bytes) {
  std::string d;
  d.reserve(bytes + 64);
  d = "<svg viewBox='0 0 100 100'><path d='M0 0";
  const char* segments[] = {"L1.5 2.25", "c1 2 3 4 5 6", "a2 2 0 0 1 3 3", "q1-1 2 0", "h-.5v.5", "s1 1 2 0"};
  for (int i = 0; d.size() < bytes; ++i) {
    d += ' ';
    d += segments[i % 6];
  }
  return d + "'/></svg>";
}

void Read(benchmark::State& state, const std::string& text) {
  std::size_t shapes = 0, commands = 0;
  for (auto _ : state) {
    SvgImage image;
    const bool ok = ReadSvg(text, image);
    benchmark::DoNotOptimize(ok);
    shapes = image.shapes.size();
    commands = 0;
    for (const auto& s : image.shapes) commands += s.path.size();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["kb"] = static_cast<double>(text.size()) / 1024.0;
  state.counters["shapes"] = static_cast<double>(shapes);
  state.counters["commands"] = static_cast<double>(commands);
  state.counters["peak_rss_mb"] = PeakRssMb();
}

void BM_IconSheet(benchmark::State& state) {
  static const std::string text = IconSheet(100 * 1024);
  Read(state, text);
}
BENCHMARK(BM_IconSheet)->Unit(benchmark::kMicrosecond);

void BM_PathData(benchmark::State& state) {
  const std::string text = LongPath(static_cast<std::size_t>(state.range(0)) << 20);
  Read(state, text);
}
BENCHMARK(BM_PathData)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
