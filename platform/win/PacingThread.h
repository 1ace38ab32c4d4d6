#pragma once
// The vertical-blank pacing thread of one editor window: it waits for the
// display's vertical blank (or sleeps 16 ms without the driver's functions)
// and posts a frame message with the next serial to the window.
//
// The thread shares only a block it owns jointly with this object (the
// stop flag, the target window, the frame serials): it never sees the
// editor. Stop() clears the target, raises the flag and joins; if the
// thread does not end in time (a driver wait that hangs), it keeps the
// block alive on its own, posts nothing more and ends when it next looks
// at the flag. The Win32Api must outlive the thread (the real one is the
// process's).
//
// Start and Stop: editor thread. Pacer(): the editor thread's frame ticks.

#include <memory>

#include "platform/win/FramePacer.h"
#include "platform/win/Win32Api.h"

namespace fx::win {

class PacingThread {
 public:
  static constexpr std::uint32_t kJoinMs = 10000;

  explicit PacingThread(Win32Api& api);
  ~PacingThread() { Stop(); }
  PacingThread(const PacingThread&) = delete;
  PacingThread& operator=(const PacingThread&) = delete;

  // Starts posting frame messages to window; false when no thread could be made.
  bool Start(Handle window);
  // True when the thread ended in time (or none ran).
  bool Stop();
  bool Running() const { return thread_ != nullptr; }
  FramePacer& Pacer();

 private:
  struct Shared;
  static void Main(void* shared);

  Win32Api& api_;
  std::shared_ptr<Shared> shared_;
  Handle thread_ = nullptr;
};

}  // namespace fx::win
