#pragma once
// fx::Timer where no message-queue timers exist: the owner of the event
// loop drives every live timer with Advance (a test, or a Linux editor's
// loop). Like message-queue timers, a timer that falls behind fires once,
// not once per missed period. All live timers are listed process-wide under
// one lock, held for the whole of each dispatch.

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
  static std::size_t NLiveTimers();

 private:
  bool running_ = false;
  Callback callback_;
  std::uint32_t periodMs_;
  std::uint64_t elapsedMs_ = 0;
};

}  // namespace fx
