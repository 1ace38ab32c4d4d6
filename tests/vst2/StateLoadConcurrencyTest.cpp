// Presets loaded from a host thread while the editor is open: the model
// takes each chunk at once, and the controls hear of it only on the editor's
// thread, at the timer tick. Run under ThreadSanitizer by the linux-tsan
// preset; the context also counts calls from any other thread, so the test
// fails without a sanitizer too.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "tests/core/FakeGraphicsContext.h"
#include "vst2/IFxVST2.h"
#include "vst2/VstOpcodes.h"

namespace {

std::intptr_t OMBRISK_VSTCALL SilentHost(vst2::AEffect*, std::int32_t, std::int32_t, std::intptr_t, void*, float) {
  return 0;
}

// A context whose every control reach is counted by thread.
class EditorThreadContext : public testing_support::FakeGraphicsContext {
 public:
  explicit EditorThreadContext(std::thread::id editorThread)
      : FakeGraphicsContext(400, 300, 1.0f), editorThread_(editorThread) {}
  void ApplyHostValue(std::int32_t c, double normalized, std::int32_t j) override {
    if (std::this_thread::get_id() != editorThread_) offThread.fetch_add(1, std::memory_order_relaxed);
    FakeGraphicsContext::ApplyHostValue(c, normalized, j);
  }
  std::atomic<int> offThread{0};

 private:
  std::thread::id editorThread_;
};

class ChunkPlugin : public fx::IFxVST2 {
 public:
  static constexpr std::int32_t kParams = 3;

  static fx::IFxConfig Config() {
    fx::IFxConfig c;
    c.nParams = kParams;
    c.nPresets = 1;
    c.channelIOString = "2-2";
    c.stateChunks = true;
    c.hasEditor = true;
    c.editorWidth = 400;
    c.editorHeight = 300;
    c.minWidth = c.maxWidth = 400;
    c.minHeight = c.maxHeight = 300;
    return c;
  }

  ChunkPlugin() : fx::IFxVST2(fx::HostLaunchInfo{&SilentHost}, Config()) {
    for (std::int32_t i = 0; i < kParams; ++i)
      GetParam(i)->InitReal("p", 0.0, 0.0, 1.0, 0.0, "", fx::IParam::ShapeLinear());
    const std::thread::id editorThread = std::this_thread::get_id();
    SetEditorCreateFunction([this, editorThread] {
      auto g = std::make_unique<EditorThreadContext>(editorThread);
      for (std::int32_t i = 0; i < kParams; ++i) g->controls.push_back({-1, {i}, false});
      context = g.get();
      return g;
    });
  }

  std::intptr_t Call(std::int32_t op, std::int32_t index = 0, std::intptr_t value = 0, void* ptr = nullptr) {
    vst2::AEffect* e = GetAEffect();
    return e->dispatcher(e, op, index, value, ptr, 0.0f);
  }
  float Get(std::int32_t index) { return GetAEffect()->getParameter(GetAEffect(), index); }

  EditorThreadContext* context = nullptr;
};

// The value parameter p holds in chunk n.
double ValueOf(int n, std::int32_t p) { return static_cast<double>((n * 7 + p * 13) % 100) / 100.0; }

TEST(StateLoad, ThreeHundredChunksFromAHostThreadReachTheControlsOnTheEditorThreadOnly) {
  constexpr int kChunks = 320;
  // The chunks, made beforehand by another instance as a host saves them.
  std::vector<std::vector<std::uint8_t>> chunks;
  {
    ChunkPlugin maker;
    for (int n = 0; n < kChunks; ++n) {
      for (std::int32_t p = 0; p < ChunkPlugin::kParams; ++p)
        maker.GetAEffect()->setParameter(maker.GetAEffect(), p, static_cast<float>(ValueOf(n, p)));
      void* data = nullptr;
      const std::intptr_t size = maker.Call(vst2::effGetChunk, 1, 0, &data);
      ASSERT_GT(size, 0);
      const auto* bytes = static_cast<const std::uint8_t*>(data);
      chunks.emplace_back(bytes, bytes + size);
    }
  }

  auto* fx = new ChunkPlugin;
  char parent = 0;
  ASSERT_EQ(fx->Call(vst2::effEditOpen, 0, 0, &parent), 1);
  ASSERT_NE(fx->context, nullptr);

  std::atomic<bool> ticking{false}, done{false};
  std::atomic<int> loaded{0}, stale{0};
  std::thread host([&] {
    // The loads start once the editor's thread is ticking, so the two overlap.
    while (!ticking.load(std::memory_order_acquire)) std::this_thread::yield();
    for (int n = 0; n < kChunks; ++n) {
      std::vector<std::uint8_t>& chunk = chunks[static_cast<std::size_t>(n)];
      if (fx->Call(vst2::effSetChunk, 1, static_cast<std::intptr_t>(chunk.size()), chunk.data()) == 1)
        loaded.fetch_add(1, std::memory_order_relaxed);
      // The model answers with the new state at once.
      for (std::int32_t p = 0; p < ChunkPlugin::kParams; ++p)
        if (fx->Get(p) != static_cast<float>(ValueOf(n, p))) stale.fetch_add(1, std::memory_order_relaxed);
    }
    done.store(true, std::memory_order_release);
  });
  // The editor's thread ticks its timer meanwhile.
  int ticks = 0;
  do {
    fx->OnTimerTick(*fx->GetTimer());
    ticking.store(true, std::memory_order_release);
    ++ticks;
    std::this_thread::yield();
  } while (!done.load(std::memory_order_acquire));
  host.join();
  fx->OnTimerTick(*fx->GetTimer());

  EXPECT_EQ(loaded.load(), kChunks);
  EXPECT_EQ(stale.load(), 0);
  EXPECT_GT(ticks, 0);
  EXPECT_EQ(fx->context->offThread.load(), 0) << "controls touched from the host's thread";
  // The page ends showing the last chunk's values.
  const auto& applied = fx->context->applied;
  for (std::int32_t p = 0; p < ChunkPlugin::kParams; ++p) {
    double last = -1.0;
    for (const auto& a : applied)
      if (a.control == p) last = a.value;
    EXPECT_NEAR(last, ValueOf(kChunks - 1, p), 1e-6) << p;
  }
  EXPECT_EQ(fx->Call(vst2::effEditClose), 1);
  fx->Call(vst2::effClose);
}

}  // namespace
