#pragma once
// A periodic callback on the thread that created the timer. The platform
// layer provides the implementation behind Create: message-queue timers on
// Windows, a timer its owner ticks elsewhere.

#include <cstdint>
#include <functional>
#include <memory>

namespace fx {

class Timer {
 public:
  using Callback = std::function<void(Timer& timer)>;

  virtual ~Timer() = default;
  virtual void Stop() = 0;

  // Never null. A timer the platform refuses to start never fires.
  static std::unique_ptr<Timer> Create(Callback callback, std::uint32_t periodMs);

 protected:
  Timer() = default;
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
};

}  // namespace fx
