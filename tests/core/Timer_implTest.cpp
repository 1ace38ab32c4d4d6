#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "TestPlugin.h"
#include "platform/win/MessagePump.h"
#include "platform/win/Timer_impl.h"

namespace {

using fx::MessagePump;
using fx::Timer_impl;

// Generous bounds: the tests wait for ticks, they do not time them.
constexpr std::uint32_t kWaitMs = 5000;

TEST(Timer_impl, FiresThroughTheMessageLoopOfItsThread) {
  const std::size_t before = Timer_impl::NLiveTimers();
  int a = 0, b = 0;
  auto ta = fx::Timer::Create([&](fx::Timer&) { ++a; }, 20);
  auto tb = fx::Timer::Create([&](fx::Timer&) { ++b; }, 20);
  ASSERT_NE(static_cast<Timer_impl*>(ta.get())->GetId(), 0u);
  EXPECT_EQ(Timer_impl::NLiveTimers(), before + 2);
  EXPECT_EQ(a, 0);  // nothing fires outside the message loop
  EXPECT_TRUE(MessagePump::RunUntil([&] { return a >= 3 && b >= 3; }, kWaitMs));

  ta->Stop();
  EXPECT_EQ(static_cast<Timer_impl*>(ta.get())->GetId(), 0u);
  EXPECT_EQ(Timer_impl::NLiveTimers(), before + 1);
  const int stoppedAt = a;
  const int bAt = b;
  EXPECT_TRUE(MessagePump::RunUntil([&] { return b >= bAt + 3; }, kWaitMs));
  EXPECT_EQ(a, stoppedAt);
  tb.reset();
  EXPECT_EQ(Timer_impl::NLiveTimers(), before);
}

TEST(Timer_impl, UnknownIdsAreIgnored) {
  int fired = 0;
  auto t = fx::Timer::Create([&](fx::Timer&) { ++fired; }, 1000);
  const std::uintptr_t id = static_cast<Timer_impl*>(t.get())->GetId();
  Timer_impl::Dispatch(id + 12345);
  EXPECT_EQ(fired, 0);
  Timer_impl::Dispatch(id);
  EXPECT_EQ(fired, 1);
}

TEST(Timer_impl, CallbackMayStopItsOwnTimer) {
  int fired = 0;
  std::unique_ptr<fx::Timer> t = fx::Timer::Create(
      [&](fx::Timer& self) {
        ++fired;
        self.Stop();
      },
      10);
  EXPECT_TRUE(MessagePump::RunUntil([&] { return fired >= 1; }, kWaitMs));
  MessagePump::RunFor(100);
  EXPECT_EQ(fired, 1);
}

TEST(Timer_impl, EditorTimerDrainsTheQueuesOnTheConstructingThread) {
  const std::size_t before = Timer_impl::NLiveTimers();
  {
    testing_support::TestPlugin p;
    p.StartEditorTimer();
    EXPECT_EQ(Timer_impl::NLiveTimers(), before + 1);
    p.QueueParamValueForEditor(2, 0.5, true);
    EXPECT_TRUE(MessagePump::RunUntil([&] { return !p.LogOf("idle").empty(); }, kWaitMs));
    EXPECT_EQ(p.log.front(), "inEditor 2 Editor Delegate");
  }
  EXPECT_EQ(Timer_impl::NLiveTimers(), before);
  MessagePump::RunFor(60);  // a late WM_TIMER of the destroyed timer is ignored
}

}  // namespace
