#pragma once
// fx::Timer where no message-queue timers exist. Two drivers: the host's
// idle calls fire the timers whose period has passed on the steady clock
// (ServiceDue, behind Timer::ServiceIdleTimers), and tests advance a
// simulated clock (Advance). Like message-queue timers, a timer that falls
// behind fires once, not once per missed period. All live timers are listed
// process-wide under one lock, held for the whole of each dispatch, so two
// threads never run timer callbacks at once.

#include <chrono>
#include <cstdint>

#include "core/Timer.h"

namespace fx {

class TickedTimer final : public Timer {
 public:
  TickedTimer(Callback callback, std::uint32_t periodMs);
  ~TickedTimer() override;

  void Stop() override;

  bool IsRunning() const { return running_; }
  std::uint32_t GetPeriod() const { return periodMs_; }

  // Lets elapsedMs pass for every live timer;
  // each timer whose period has passed fires once. Returns how many fired.
  static std::int32_t Advance(std::uint32_t elapsedMs);
  // Fires every live timer whose period has passed between the time it last
  // fired (or was created) and now. Returns how many fired.
  static std::int32_t ServiceDue(std::chrono::steady_clock::time_point now);
  static std::size_t NLiveTimers();

 private:
  template <class Due>
  static std::int32_t FireDue(Due due);
  bool running_ = false;
  std::uint64_t serial_ = 0;  // unique among the timers a process ever made
  Callback callback_;
  std::uint32_t periodMs_;
  std::uint64_t elapsedMs_ = 0;
  std::chrono::steady_clock::time_point lastFired_;
};

}  // namespace fx
