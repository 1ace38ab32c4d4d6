#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "TestPlugin.h"
#include "core/MpscQueue.h"
#include "core/SpscQueue.h"

namespace {

using fx::SpscQueue;

// Large enough that a consumer seeing a half-written entry would notice.
struct Numbered {
  std::uint32_t seq = 0;
  std::uint8_t fill[516] = {};
  void Set(std::uint32_t s) {
    seq = s;
    std::memset(fill, static_cast<int>(s & 0xFF), sizeof fill);
  }
  bool Whole() const {
    for (std::uint8_t b : fill)
      if (b != static_cast<std::uint8_t>(seq & 0xFF)) return false;
    return true;
  }
};

// A queue of capacity 5 holds 4 entries, drops the fifth and keeps order
// over several rounds around its array.
template <typename Queue>
void CheckDropRule() {
  Queue q(5);
  int out = -1;
  EXPECT_FALSE(q.Pop(out));
  EXPECT_EQ(out, -1);
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(q.Push(i));
    EXPECT_FALSE(q.Push(99));
    EXPECT_EQ(q.Count(), 4);
    for (int i = 0; i < 4; ++i) {
      ASSERT_TRUE(q.Pop(out));
      EXPECT_EQ(out, i);
    }
    EXPECT_FALSE(q.Pop(out));
    EXPECT_TRUE(q.Push(7));
    ASSERT_TRUE(q.Pop(out));
  }
}

TEST(SpscQueue, SingleThreadedDropRule) {
  CheckDropRule<SpscQueue<int>>();
  SpscQueue<int> tiny(0);  // raised to the smallest usable ring
  EXPECT_TRUE(tiny.Push(1));
  EXPECT_FALSE(tiny.Push(2));
}

// A free-running producer and consumer: everything accepted arrives, whole,
// once and in order; a push is refused only when the queue is full.
TEST(SpscQueue, ProducerAndConsumerThreadsKeepOrder) {
  constexpr std::uint32_t kCount = 200000;
  SpscQueue<Numbered> q(33);
  std::vector<std::uint32_t> accepted;
  accepted.reserve(kCount);
  std::atomic<bool> done{false};

  std::thread producer([&] {
    Numbered n;
    for (std::uint32_t s = 1; s <= kCount; ++s) {
      n.Set(s);
      // Every other entry waits for room, so the consumer must keep up
      // while the producer runs; the others are dropped when full.
      bool pushed = q.Push(n);
      while (!pushed && s % 2 == 0) {
        std::this_thread::yield();
        pushed = q.Push(n);
      }
      if (pushed) accepted.push_back(s);
    }
    done.store(true, std::memory_order_release);
  });
  std::vector<std::uint32_t> received;
  received.reserve(kCount);
  bool allWhole = true;
  Numbered n;
  for (;;) {
    const bool finished = done.load(std::memory_order_acquire);
    while (q.Pop(n)) {
      allWhole = allWhole && n.Whole();
      received.push_back(n.seq);
    }
    if (finished) break;
    std::this_thread::yield();
  }
  producer.join();
  EXPECT_TRUE(allWhole);
  EXPECT_EQ(received, accepted);
  EXPECT_GE(accepted.size(), kCount / 2);
}

// The consumer stops at known points; while it is stopped the producer can
// place exactly capacity - 1 entries and every further push is dropped.
TEST(SpscQueue, FullQueueDropsWhileTheConsumerIsAway) {
  constexpr int kRounds = 200;
  SpscQueue<std::uint32_t> q(33);
  std::atomic<int> phase{0};  // even: consumer drains; odd: producer fills
  std::vector<int> acceptedPerRound(kRounds, 0);
  std::vector<std::uint32_t> expected;

  std::thread producer([&] {
    std::uint32_t s = 0;
    for (int r = 0; r < kRounds; ++r) {
      while (phase.load(std::memory_order_acquire) != 2 * r + 1) std::this_thread::yield();
      for (int i = 0; i < 40; ++i) {
        if (q.Push(++s)) {
          ++acceptedPerRound[static_cast<std::size_t>(r)];
          expected.push_back(s);
        }
      }
      phase.store(2 * r + 2, std::memory_order_release);
    }
  });
  std::vector<std::uint32_t> received;
  std::uint32_t v = 0;
  for (int r = 0; r < kRounds; ++r) {
    phase.store(2 * r + 1, std::memory_order_release);
    while (phase.load(std::memory_order_acquire) != 2 * r + 2) std::this_thread::yield();
    while (q.Pop(v)) received.push_back(v);
  }
  producer.join();
  for (int r = 0; r < kRounds; ++r) EXPECT_EQ(acceptedPerRound[static_cast<std::size_t>(r)], 32) << r;
  EXPECT_EQ(received, expected);
}

TEST(MpscQueue, SingleThreadedDropRule) {
  CheckDropRule<fx::MpscQueue<int>>();
  int out = -1;
  fx::MpscQueue<int> tiny(1);  // raised to the smallest usable ring
  EXPECT_TRUE(tiny.Push(1));
  EXPECT_TRUE(tiny.Push(2));
  EXPECT_FALSE(tiny.Push(3));
  ASSERT_TRUE(tiny.Pop(out));
  EXPECT_EQ(out, 1);
}

// Three producers at once: each one's accepted entries arrive whole, once
// and in its own order.
TEST(MpscQueue, SeveralProducersKeepEachOnesOrder) {
  constexpr int kProducers = 3;
  constexpr std::uint32_t kCount = 100000;
  fx::MpscQueue<Numbered> q(33);
  std::vector<std::vector<std::uint32_t>> accepted(kProducers);
  std::atomic<int> running{kProducers};
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&, p] {
      Numbered n;
      for (std::uint32_t s = 1; s <= kCount; ++s) {
        n.Set(s * kProducers + static_cast<std::uint32_t>(p));
        bool pushed = q.Push(n);
        while (!pushed && s % 2 == 0) {  // as above: half of them wait for room
          std::this_thread::yield();
          pushed = q.Push(n);
        }
        if (pushed) accepted[static_cast<std::size_t>(p)].push_back(n.seq);
      }
      running.fetch_sub(1, std::memory_order_release);
    });
  }
  std::vector<std::vector<std::uint32_t>> received(kProducers);
  bool allWhole = true;
  Numbered n;
  for (;;) {
    const bool finished = running.load(std::memory_order_acquire) == 0;
    while (q.Pop(n)) {
      allWhole = allWhole && n.Whole();
      received[n.seq % kProducers].push_back(n.seq);
    }
    if (finished) break;
    std::this_thread::yield();
  }
  for (std::thread& t : producers) t.join();
  EXPECT_TRUE(allWhole);
  for (int p = 0; p < kProducers; ++p) {
    EXPECT_EQ(received[static_cast<std::size_t>(p)], accepted[static_cast<std::size_t>(p)]) << p;
    EXPECT_GE(accepted[static_cast<std::size_t>(p)].size(), kCount / 2) << p;
  }
}

// With the consumer away, two racing producers together place exactly
// capacity - 1 entries.
TEST(MpscQueue, RacingProducersFillExactlyToCapacity) {
  constexpr int kRounds = 100;
  fx::MpscQueue<std::uint32_t> q(33);
  for (int r = 0; r < kRounds; ++r) {
    std::atomic<int> total{0};
    std::thread a([&] {
      for (std::uint32_t i = 0; i < 40; ++i) total += q.Push(i) ? 1 : 0;
    });
    std::thread b([&] {
      for (std::uint32_t i = 0; i < 40; ++i) total += q.Push(i) ? 1 : 0;
    });
    a.join();
    b.join();
    EXPECT_EQ(total.load(), 32) << r;
    std::uint32_t v;
    int drained = 0;
    while (q.Pop(v)) ++drained;
    EXPECT_EQ(drained, 32) << r;
  }
}

// The plug-in's own queues with their real ends on two threads: the audio
// side queues values and takes editor MIDI, the user-interface side ticks
// and sends MIDI.
TEST(IFxAPIBaseQueues, AudioAndUserInterfaceThreadsTogether) {
  struct Counting : testing_support::TestPlugin {
    void PushParamValueToEditor(std::int32_t index, double value, bool isNormalized) override {
      if (index != 0 || isNormalized) ADD_FAILURE() << "unexpected entry";
      seen.push_back(value);
    }
    void OnIdleTick() override {}
    std::vector<double> seen;
  } p;
  struct HandTimer : fx::Timer {
    void Stop() override {}
  } timer;
  constexpr std::int32_t kCount = 50000;
  std::atomic<bool> done{false};
  std::vector<std::int32_t> queued;
  std::vector<std::uint8_t> midiReceived;

  std::thread audio([&] {
    fx::MidiMessage m;
    for (std::int32_t i = 0; i < kCount; ++i) {
      p.QueueParamValueForEditor(0, i, false);
      while (p.PopMidiFromEditor(m)) midiReceived.push_back(m.data1);
    }
    done.store(true, std::memory_order_release);
  });
  std::vector<std::uint8_t> midiSent;
  fx::MidiMessage m;
  std::uint8_t next = 0;
  while (!done.load(std::memory_order_acquire)) {
    p.OnTimerTick(timer);
    // Only sent when it surely fits: the audio side can only take entries
    // away meanwhile.
    if (p.MidiFromEditor().Count() < 32) {
      m.data1 = next;
      p.SendMidiFromEditor(m);
      midiSent.push_back(next++);
    }
    std::this_thread::yield();
  }
  audio.join();
  p.OnTimerTick(timer);
  while (p.PopMidiFromEditor(m)) midiReceived.push_back(m.data1);

  // Values arrive in the order queued: some may be dropped, none repeated
  // or reordered.
  ASSERT_FALSE(p.seen.empty());
  EXPECT_TRUE(std::is_sorted(p.seen.begin(), p.seen.end()));
  EXPECT_EQ(std::adjacent_find(p.seen.begin(), p.seen.end()), p.seen.end());
  EXPECT_GE(p.seen.size(), 512u);
  // Every MIDI message the editor could place arrived once, in order.
  EXPECT_TRUE(std::equal(midiSent.begin(), midiSent.end(), midiReceived.begin(), midiReceived.end()));
}

}  // namespace
