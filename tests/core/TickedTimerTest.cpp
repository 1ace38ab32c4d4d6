#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "TestPlugin.h"
#include "platform/linux/TickedTimer.h"

namespace {

using fx::TickedTimer;

TEST(TickedTimer, FiresOncePerPeriodAndNotAfterStop) {
  const std::size_t before = TickedTimer::NLiveTimers();
  std::vector<int> fired;
  auto a = fx::Timer::Create([&](fx::Timer&) { fired.push_back(1); }, 20);
  auto b = fx::Timer::Create([&](fx::Timer&) { fired.push_back(2); }, 50);
  EXPECT_EQ(TickedTimer::NLiveTimers(), before + 2);
  EXPECT_EQ(TickedTimer::Advance(10), 0);
  EXPECT_EQ(TickedTimer::Advance(10), 1);
  EXPECT_EQ(fired, std::vector<int>{1});
  // Falling far behind fires once, like a coalesced message-queue timer.
  fired.clear();
  EXPECT_EQ(TickedTimer::Advance(1000), 2);
  EXPECT_EQ(fired, (std::vector<int>{1, 2}));
  a->Stop();
  a->Stop();
  fired.clear();
  TickedTimer::Advance(100);
  EXPECT_EQ(fired, std::vector<int>{2});
  b.reset();
  EXPECT_EQ(TickedTimer::NLiveTimers(), before);
}

TEST(TickedTimer, CallbackMayStopItselfAndOthers) {
  std::unique_ptr<fx::Timer> other;
  int otherFired = 0;
  int selfFired = 0;
  auto self = fx::Timer::Create(
      [&](fx::Timer& t) {
        ++selfFired;
        t.Stop();
        other.reset();
      },
      10);
  other = fx::Timer::Create([&](fx::Timer&) { ++otherFired; }, 10);
  TickedTimer::Advance(10);
  TickedTimer::Advance(10);
  EXPECT_EQ(selfFired, 1);
  EXPECT_EQ(otherFired, 0);

  // More timers than the dispatch copies on the stack: a callback stopping a
  // later one and creating another still fires exactly those listed.
  std::vector<std::unique_ptr<fx::Timer>> many;
  std::vector<int> fires(40, 0);
  std::unique_ptr<fx::Timer> created;
  int createdFired = 0;
  for (int i = 0; i < 40; ++i) {
    many.push_back(fx::Timer::Create(
        [&, i](fx::Timer&) {
          ++fires[i];
          if (i == 3 && !created) {
            many[30].reset();
            created = fx::Timer::Create([&](fx::Timer&) { ++createdFired; }, 10);
          }
        },
        10));
  }
  EXPECT_EQ(TickedTimer::Advance(10), 39);
  EXPECT_EQ(fires[30], 0);
  EXPECT_EQ(fires[39], 1);
  EXPECT_EQ(createdFired, 0) << "a timer made during the dispatch waits for the next";
  EXPECT_EQ(TickedTimer::Advance(10), 40);
  EXPECT_EQ(createdFired, 1);
}

TEST(TickedTimer, EditorTimerTicksThePlugin) {
  const std::size_t before = TickedTimer::NLiveTimers();
  {
    testing_support::TestPlugin p;
    p.StartEditorTimer();
    p.StartEditorTimer();  // replaces the first
    EXPECT_EQ(TickedTimer::NLiveTimers(), before + 1);
    p.QueueParamValueForEditor(3, 0.0, false);
    TickedTimer::Advance(19);
    EXPECT_TRUE(p.log.empty());
    TickedTimer::Advance(1);
    EXPECT_EQ(p.log, (std::vector<std::string>{"inEditor 3 Editor Delegate", "idle"}));
  }
  EXPECT_EQ(TickedTimer::NLiveTimers(), before);
  EXPECT_EQ(TickedTimer::Advance(20), 0);
}

TEST(TickedTimer, HostIdleCallsFireTimersWhosePeriodHasPassed) {
  using Clock = std::chrono::steady_clock;
  using std::chrono::milliseconds;
  const Clock::time_point before = Clock::now();
  int fired = 0;
  auto timer = fx::Timer::Create([&](fx::Timer&) { ++fired; }, 20);
  const Clock::time_point after = Clock::now();  // created between before and after
  TickedTimer::ServiceDue(before + milliseconds(19));
  EXPECT_EQ(fired, 0);
  TickedTimer::ServiceDue(after + milliseconds(20));
  EXPECT_EQ(fired, 1);
  // The period counts from the last firing.
  TickedTimer::ServiceDue(after + milliseconds(39));
  EXPECT_EQ(fired, 1);
  TickedTimer::ServiceDue(after + milliseconds(40));
  EXPECT_EQ(fired, 2);
  // A host that stops idling for a second gets one firing, not fifty.
  TickedTimer::ServiceDue(after + milliseconds(1040));
  EXPECT_EQ(fired, 3);
  timer->Stop();
  TickedTimer::ServiceDue(after + milliseconds(5000));
  EXPECT_EQ(fired, 3);

  // The editor queues drain from the idle calls.
  testing_support::TestPlugin p;
  p.StartEditorTimer();
  const Clock::time_point started = Clock::now();
  p.QueueParamValueForEditor(2, 0.25, false);
  TickedTimer::ServiceDue(started + milliseconds(20));
  EXPECT_EQ(p.log, (std::vector<std::string>{"inEditor 2 Editor Delegate", "idle"}));
}

}  // namespace
