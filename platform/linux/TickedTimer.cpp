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
  std::uint64_t serials = 0;
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
  serial_ = ++List().serials;
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

// Fires each listed timer that `due` says is due. A callback may stop,
// destroy or create timers: the walk goes over a copy and fires only those
// still listed, by address and serial (a timer made in a callback may sit
// where a destroyed one was). Idle calls come many times a second, so the
// copy is made on the stack for the usual handful of timers.
template <class Due>
std::int32_t TickedTimer::FireDue(Due due) {
  std::lock_guard<std::recursive_mutex> lock(List().lock);
  const std::vector<TickedTimer*>& timers = List().timers;
  struct Listed {
    TickedTimer* timer;
    std::uint64_t serial;
  };
  constexpr std::size_t kOnStack = 16;
  Listed onStack[kOnStack];
  std::vector<Listed> onHeap;
  const std::size_t n = timers.size();
  if (n > kOnStack) onHeap.resize(n);
  Listed* snapshot = n > kOnStack ? onHeap.data() : onStack;
  for (std::size_t i = 0; i < n; ++i) snapshot[i] = {timers[i], timers[i]->serial_};
  std::int32_t fired = 0;
  for (std::size_t i = 0; i < n; ++i) {
    TickedTimer* timer = snapshot[i].timer;
    if (std::find(timers.begin(), timers.end(), timer) == timers.end() || timer->serial_ != snapshot[i].serial)
      continue;
    if (!due(*timer)) continue;
    ++fired;
    if (timer->callback_) timer->callback_(*timer);
  }
  return fired;
}

std::int32_t TickedTimer::Advance(std::uint32_t elapsedMs) {
  return FireDue([elapsedMs](TickedTimer& timer) {
    timer.elapsedMs_ += elapsedMs;
    if (timer.elapsedMs_ < timer.periodMs_) return false;
    timer.elapsedMs_ %= timer.periodMs_;
    return true;
  });
}

std::int32_t TickedTimer::ServiceDue(std::chrono::steady_clock::time_point now) {
  return FireDue([now](TickedTimer& timer) {
    if (now - timer.lastFired_ < std::chrono::milliseconds(timer.periodMs_)) return false;
    timer.lastFired_ = now;
    return true;
  });
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
