#include "platform/linux/TickedTimer.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace fx {
namespace {

// Recursive: a callback may stop or create timers while the dispatch holds it.
struct TimerList {
  std::recursive_mutex lock;
  std::vector<TickedTimer*> timers;
};

// An object of the library, not of the heap: unloading the library frees it
// (instances are closed by then), so a host that loads and unloads the
// plug-in again and again leaves nothing behind.
TimerList& List() {
  static TimerList list;
  return list;
}

}  // namespace

TickedTimer::TickedTimer(Callback callback, std::uint32_t periodMs)
    : callback_(std::move(callback)), periodMs_(periodMs == 0 ? 1 : periodMs),
      lastFired_(std::chrono::steady_clock::now()) {
  std::lock_guard<std::recursive_mutex> lock(List().lock);
  List().timers.push_back(this);
  running_ = true;
}

TickedTimer::~TickedTimer() { Stop(); }

void TickedTimer::Stop() {
  std::lock_guard<std::recursive_mutex> lock(List().lock);
  if (!running_) return;
  auto& timers = List().timers;
  const auto it = std::find(timers.begin(), timers.end(), this);
  if (it != timers.end()) timers.erase(it);
  running_ = false;
}

std::int32_t TickedTimer::Advance(std::uint32_t elapsedMs) {
  std::lock_guard<std::recursive_mutex> lock(List().lock);
  // A callback may stop, destroy or create timers: walk a copy and fire
  // only those still listed.
  const std::vector<TickedTimer*> snapshot = List().timers;
  std::int32_t fired = 0;
  for (TickedTimer* timer : snapshot) {
    const auto& timers = List().timers;
    if (std::find(timers.begin(), timers.end(), timer) == timers.end()) continue;
    timer->elapsedMs_ += elapsedMs;
    if (timer->elapsedMs_ < timer->periodMs_) continue;
    timer->elapsedMs_ %= timer->periodMs_;
    ++fired;
    if (timer->callback_) timer->callback_(*timer);
  }
  return fired;
}

std::int32_t TickedTimer::ServiceDue(std::chrono::steady_clock::time_point now) {
  std::lock_guard<std::recursive_mutex> lock(List().lock);
  const std::vector<TickedTimer*> snapshot = List().timers;
  std::int32_t fired = 0;
  for (TickedTimer* timer : snapshot) {
    const auto& timers = List().timers;
    if (std::find(timers.begin(), timers.end(), timer) == timers.end()) continue;
    if (now - timer->lastFired_ < std::chrono::milliseconds(timer->periodMs_)) continue;
    timer->lastFired_ = now;
    ++fired;
    if (timer->callback_) timer->callback_(*timer);
  }
  return fired;
}

std::size_t TickedTimer::NLiveTimers() {
  std::lock_guard<std::recursive_mutex> lock(List().lock);
  return List().timers.size();
}

void Timer::ServiceIdleTimers() { TickedTimer::ServiceDue(std::chrono::steady_clock::now()); }

std::unique_ptr<Timer> Timer::Create(Callback callback, std::uint32_t periodMs) {
  return std::make_unique<TickedTimer>(std::move(callback), periodMs);
}

}  // namespace fx
