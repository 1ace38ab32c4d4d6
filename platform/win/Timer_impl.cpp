#include "platform/win/Timer_impl.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace fx {
namespace {

// The list of live timers and the critical section around it. Created on
// first use and never destroyed: a timer may outlive static destruction
// order in a host that unloads us late.
struct TimerList {
  TimerList() { InitializeCriticalSection(&lock); }
  CRITICAL_SECTION lock;
  std::vector<Timer_impl*> timers;
};

TimerList& List() {
  static TimerList* list = new TimerList;
  return *list;
}

class ListLock {
 public:
  ListLock() { EnterCriticalSection(&List().lock); }
  ~ListLock() { LeaveCriticalSection(&List().lock); }
  ListLock(const ListLock&) = delete;
  ListLock& operator=(const ListLock&) = delete;
};

void CALLBACK OnPlatformTimer(HWND /*window*/, UINT /*message*/, UINT_PTR id, DWORD /*time*/) {
  Timer_impl::Dispatch(id);
}

}  // namespace

Timer_impl::Timer_impl(Callback callback, std::uint32_t periodMs) : callback_(std::move(callback)), periodMs_(periodMs) {
  id_ = SetTimer(nullptr, 0, periodMs_, OnPlatformTimer);
  if (id_ != 0) {
    ListLock lock;
    List().timers.push_back(this);
  }
}

Timer_impl::~Timer_impl() { Stop(); }

void Timer_impl::Stop() {
  if (id_ == 0) return;
  KillTimer(nullptr, id_);
  {
    ListLock lock;
    auto& timers = List().timers;
    const auto it = std::find(timers.begin(), timers.end(), this);
    if (it != timers.end()) timers.erase(it);
  }
  id_ = 0;
}

void Timer_impl::Dispatch(std::uintptr_t id) {
  ListLock lock;
  for (Timer_impl* timer : List().timers) {
    if (timer->id_ == id) {
      if (timer->callback_) timer->callback_(*timer);
      return;
    }
  }
}

std::size_t Timer_impl::NLiveTimers() {
  ListLock lock;
  return List().timers.size();
}

// The thread's message loop fires these timers; host idle calls add nothing.
void Timer::ServiceIdleTimers() {}

std::unique_ptr<Timer> Timer::Create(Callback callback, std::uint32_t periodMs) {
  return std::make_unique<Timer_impl>(std::move(callback), periodMs);
}

}  // namespace fx
