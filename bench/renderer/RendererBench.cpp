// Frame time of a scene like the editor's page (a full-page image, fourteen
// rotated images, a triangle, a line of text) against a bare full-frame
// textured quad drawn with raw GL, both on the same headless context.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "platform/OffscreenGlContext.h"
#include "renderer/FrameBufferImage.h"
#include "renderer/Renderer.h"

namespace {

using namespace fx::vg;

constexpr int kPageWidth = 1630, kPageHeight = 1010;

std::vector<std::uint8_t> makeImage(int w, int h, bool round) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &px[(static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)) * 4];
      p[0] = static_cast<std::uint8_t>(x * 255 / w);
      p[1] = static_cast<std::uint8_t>(y * 255 / h);
      p[2] = static_cast<std::uint8_t>((x ^ y) & 255);
      const double d = std::hypot(x - w / 2.0, y - h / 2.0) / (w / 2.0);
      p[3] = round ? static_cast<std::uint8_t>(d < 1.0 ? 255 : 0) : 255;
    }
  return px;
}

struct Bench {
  std::unique_ptr<fx::platform::OffscreenGlContext> context;
  std::unique_ptr<Renderer> renderer;
  int background = 0, knob = 0, shadow = 0, font = -1;

  Bench() {
    context = fx::platform::OffscreenGlContext::create();
    if (!context) return;
    renderer = Renderer::create(context->loader(), nullptr);
    if (!renderer) return;
    const auto bg = makeImage(kPageWidth, kPageHeight, false);
    background = renderer->createImageRGBA(kPageWidth, kPageHeight, 0, bg);
    const auto k = makeImage(256, 256, true);
    knob = renderer->createImageRGBA(256, 256, 0, k);
    shadow = renderer->createImageRGBA(256, 256, 0, k);
    std::ifstream in(OMBRISK_BENCH_FONT, std::ios::binary);
    const std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    font = renderer->createFontMem("sans", data);
  }
};

Bench& bench() {
  static Bench b;
  return b;
}

void drawImage(Renderer& r, int image, float x, float y, float w, float h, float angle) {
  r.save();
  r.translate(x + w / 2, y + h / 2);
  r.rotate(angle);
  r.fillPaint(Paint::imagePattern(-w / 2, -h / 2, w, h, 0.0f, image, 1.0f));
  r.beginPath();
  r.rect(-w / 2, -h / 2, w, h);
  r.fill();
  r.restore();
}

void drawScene(Renderer& r, const Bench& b, float scale, float t) {
  r.scale(scale, scale);
  r.fillPaint(Paint::imagePattern(0, 0, kPageWidth, kPageHeight, 0.0f, b.background, 1.0f));
  r.beginPath();
  r.rect(0, 0, kPageWidth, kPageHeight);
  r.fill();
  // Four large knobs of three layers each (shadow, body, highlight), a small knob and a switch.
  for (int i = 0; i < 4; ++i) {
    const float x = 120.0f + static_cast<float>(i) * 360.0f, y = 380.0f;
    drawImage(r, b.shadow, x, y, 260, 260, t + static_cast<float>(i));
    drawImage(r, b.knob, x, y, 240, 240, t * 0.5f + static_cast<float>(i));
    drawImage(r, b.shadow, x + 20, y + 20, 200, 200, 0.0f);
  }
  drawImage(r, b.knob, 760, 120, 90, 90, t);
  drawImage(r, b.shadow, 1400, 120, 120, 60, 0.0f);
  r.beginPath();
  r.moveTo(800, 880);
  r.lineTo(860, 960);
  r.lineTo(740, 960);
  r.closePath();
  r.fillColor(Color::rgba(0.9f, 0.2f, 0.1f, 1.0f));
  r.fill();
  r.fontFace(b.font);
  r.fontSize(28.0f);
  r.textAlign(AlignRight | AlignBottom);
  r.fillColor(Color::rgba(1, 1, 1, 0.8f));
  r.text(1600, 990, "Ombrisk v1.0.0 - saturating clipper");
}

// A frame buffer of the page at the benchmark's scale, or null (with the
// benchmark marked skipped) when there is no renderer or no frame buffer.
std::unique_ptr<FrameBufferImage> MakeTarget(benchmark::State& state, Bench& b, int w, int h) {
  if (!b.renderer) {
    state.SkipWithError("no GL context or renderer");
    return nullptr;
  }
  auto target = FrameBufferImage::create(*b.renderer, w, h);
  if (!target) state.SkipWithError("no frame buffer");
  return target;
}

void BM_EditorScene(benchmark::State& state) {
  Bench& b = bench();
  const float scale = static_cast<float>(state.range(0)) / 100.0f;
  const int w = static_cast<int>(kPageWidth * scale), h = static_cast<int>(kPageHeight * scale);
  auto target = MakeTarget(state, b, w, h);
  if (!target) return;
  const GlApi& gl = b.renderer->gl();
  float t = 0.0f;
  for (auto _ : state) {
    target->bind();
    gl.Viewport(0, 0, w, h);
    gl.ClearColor(0, 0, 0, 0);
    gl.Clear(gl::kColorBufferBit | gl::kStencilBufferBit);
    b.renderer->beginFrame(static_cast<float>(w), static_cast<float>(h), 1.0f);
    drawScene(*b.renderer, b, scale, t);
    b.renderer->endFrame();
    gl.Finish();
    target->unbind();
    t += 0.01f;
  }
  const FrameStats& s = b.renderer->lastFrameStats();
  state.counters["draw_calls"] = s.drawCalls;
  state.counters["state_changes"] = s.stateChanges;
  state.counters["vertices"] = s.vertices;
}
BENCHMARK(BM_EditorScene)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

// The renderer's own cost for the page image alone: its shader and blending
// against the bare quad below.
void BM_PageImageOnly(benchmark::State& state) {
  Bench& b = bench();
  const float scale = static_cast<float>(state.range(0)) / 100.0f;
  const int w = static_cast<int>(kPageWidth * scale), h = static_cast<int>(kPageHeight * scale);
  auto target = MakeTarget(state, b, w, h);
  if (!target) return;
  const GlApi& gl = b.renderer->gl();
  for (auto _ : state) {
    target->bind();
    gl.Viewport(0, 0, w, h);
    gl.ClearColor(0, 0, 0, 0);
    gl.Clear(gl::kColorBufferBit | gl::kStencilBufferBit);
    b.renderer->beginFrame(static_cast<float>(w), static_cast<float>(h), 1.0f);
    b.renderer->scale(scale, scale);
    b.renderer->fillPaint(Paint::imagePattern(0, 0, kPageWidth, kPageHeight, 0.0f, b.background, 1.0f));
    b.renderer->beginPath();
    b.renderer->rect(0, 0, kPageWidth, kPageHeight);
    b.renderer->fill();
    b.renderer->endFrame();
    gl.Finish();
    target->unbind();
  }
}
BENCHMARK(BM_PageImageOnly)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: one full-frame textured quad through a minimal program.
void BM_BareTexturedQuad(benchmark::State& state) {
  Bench& b = bench();
  const float scale = static_cast<float>(state.range(0)) / 100.0f;
  const int w = static_cast<int>(kPageWidth * scale), h = static_cast<int>(kPageHeight * scale);
  auto target = MakeTarget(state, b, w, h);
  if (!target) return;
  const GlApi& gl = b.renderer->gl();
  const char* vs = "#version 110\nattribute vec2 p;varying vec2 uv;void main(){uv=p*0.5+0.5;gl_Position=vec4(p,0.0,1.0);}";
  const char* fs = "#version 110\nuniform sampler2D t;varying vec2 uv;void main(){gl_FragColor=texture2D(t,uv);}";
  auto compile = [&](GLenum type, const char* src) {
    const GLuint s = gl.CreateShader(type);
    gl.ShaderSource(s, 1, &src, nullptr);
    gl.CompileShader(s);
    return s;
  };
  const GLuint v = compile(gl::kVertexShader, vs), f = compile(gl::kFragmentShader, fs);
  const GLuint program = gl.CreateProgram();
  gl.AttachShader(program, v);
  gl.AttachShader(program, f);
  gl.BindAttribLocation(program, 0, "p");
  gl.LinkProgram(program);
  const float quad[12] = {-1, -1, 1, -1, 1, 1, -1, -1, 1, 1, -1, 1};
  GLuint buffer = 0;
  gl.GenBuffers(1, &buffer);
  for (auto _ : state) {
    target->bind();
    gl.Viewport(0, 0, w, h);
    gl.ClearColor(0, 0, 0, 0);
    gl.Clear(gl::kColorBufferBit | gl::kStencilBufferBit);
    gl.UseProgram(program);
    gl.BindTexture(gl::kTexture2D, b.renderer->textureName(b.background));
    gl.BindBuffer(gl::kArrayBuffer, buffer);
    gl.BufferData(gl::kArrayBuffer, sizeof quad, quad, gl::kStreamDraw);
    gl.VertexAttribPointer(0, 2, gl::kFloat, 0, 0, nullptr);
    gl.EnableVertexAttribArray(0);
    gl.DrawArrays(gl::kTriangles, 0, 6);
    gl.DisableVertexAttribArray(0);
    gl.UseProgram(0);
    gl.Finish();
    target->unbind();
  }
  gl.DeleteBuffers(1, &buffer);
  gl.DeleteProgram(program);
  gl.DeleteShader(v);
  gl.DeleteShader(f);
}
BENCHMARK(BM_BareTexturedQuad)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
