#pragma once
// fx::Timer on the thread timers of the Windows message queue: the callback
// runs from the message loop of the thread that created the timer. All live
// timers are listed process-wide under one critical section, which is held
// for the whole of each dispatch.

#include <cstdint>

#include "core/Timer.h"

namespace fx {

class Timer_impl final : public Timer {
 public:
  Timer_impl(Callback callback, std::uint32_t periodMs);
  ~Timer_impl() override;

  void Stop() override;

  // 0 when the platform refused the timer or it was stopped.
  std::uintptr_t GetId() const { return id_; }
  std::uint32_t GetPeriod() const { return periodMs_; }

  // The platform's callback, by timer id; ids not listed are ignored.
  static void Dispatch(std::uintptr_t id);
  static std::size_t NLiveTimers();

 private:
  std::uintptr_t id_ = 0;
  Callback callback_;
  std::uint32_t periodMs_;
};

}  // namespace fx
