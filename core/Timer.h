#pragma once
// A periodic callback. The platform layer provides the implementation behind
// Create. On Windows it is a message-queue timer: it fires on the thread
// that created it, from that thread's message loop. On Linux a plug-in has no
// message loop of its own; its timers fire from the host's idle calls
// (ServiceIdleTimers, called on effEditIdle), that is on the host's
// user-interface thread, the thread that drives the editor.

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

  // Fires, once each, every live timer whose period has passed since it last
  // fired; called from the host's idle calls. Nothing where the platform's
  // own message loop fires timers (Windows).
  static void ServiceIdleTimers();

 protected:
  Timer() = default;
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
};

}  // namespace fx
