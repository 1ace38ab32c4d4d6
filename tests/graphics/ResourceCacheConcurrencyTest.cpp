// Several editor instances in one host process load through the shared
// caches at the same time, each on its own thread, opening and closing their
// contexts; the ThreadSanitizer run checks the locking.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "graphics/ResourceCaches.h"
#include "tests/graphics/FakeEditorDelegate.h"
#include "tests/graphics/FakeResourceStore.h"
#include "tests/graphics/RecordingGraphics.h"

namespace {

using testing_support::FakeEditorDelegate;
using testing_support::FakeResourceStore;
using testing_support::RecordingGraphics;

TEST(ResourceCacheConcurrency, EditorsOnSeveralThreadsShareStripsSafely) {
  FakeResourceStore store;
  const char* names[] = {"a.png", "b.png", "c.png", "d.jpg"};
  for (const char* n : names) store.Add(n[2] == 'j' ? "JPG" : "PNG", n, "IMG 32 64");
  store.Add("SVG", "e.svg", "<svg/>");
  std::atomic<int> bad{0};
  std::atomic<int> decodes{0};
  auto editor = [&]() {
    for (int round = 0; round < 40; ++round) {
      FakeEditorDelegate delegate;
      RecordingGraphics graphics(delegate, 100, 100, 1.0f);
      graphics.SetResourceStore(&store);
      for (const char* n : names) {
        const fx::igraphics::IBitmapStrip strip = graphics.LoadBitmapStrip(n, 2, false, 1 + round % 2);
        if (!strip.IsValid() || strip.FrameHeight() != 32) ++bad;
        // While this context lives its strips stay cached, whatever the others do.
        if (graphics.LoadBitmapStrip(n, 2, false, 1).bitmap != strip.bitmap) ++bad;
      }
      if (!graphics.LoadSvg("e.svg").IsValid()) ++bad;
      decodes += graphics.decodes;
    }
  };
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) threads.emplace_back(editor);
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_GE(decodes.load(), 4);
  EXPECT_LE(decodes.load(), 4 * 40 * 4) << "at most one decode per name and open context";
  EXPECT_EQ(fx::igraphics::CacheUsers(), 0);
}

}  // namespace
