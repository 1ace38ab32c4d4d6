#pragma once
// Frame pacing of an editor window: the interval of its frame timer, and the
// serial numbers by which a frame tick posted by the vertical-blank thread is
// recognised as current. A tick runs only for the latest posted serial; when
// a tick outlasts a frame the next one is skipped (the skip mark), so posted
// frames never pile up in the message queue.

#include <atomic>
#include <cstdint>

namespace fx::win {

// Milliseconds between timer frames: 1000 / fps, but 15 when that is below
// 20 (the system timer's granularity); a non-positive fps gives 15.
std::uint32_t FrameTimerInterval(std::int32_t fps);

class FramePacer {
 public:
  // The pacing thread: the serial of the frame it is about to post.
  std::uint32_t NextSerial() { return serial_.fetch_add(1, std::memory_order_acq_rel) + 1; }
  std::uint32_t CurrentSerial() const { return serial_.load(std::memory_order_acquire); }

  // At the start of a tick for a posted serial: false when the tick must do
  // nothing (a skip mark ahead of the current serial, or a stale serial).
  bool BeginTick(std::uint32_t postedSerial);
  // At the end of a tick that began at serialAtStart: marks the next frame
  // skipped when the thread posted another one meanwhile.
  void EndTick(std::uint32_t serialAtStart);

  std::uint32_t SkipMark() const { return skipMark_; }
  void Reset() {
    serial_.store(0, std::memory_order_release);
    skipMark_ = 0;
  }

 private:
  std::atomic<std::uint32_t> serial_{0};
  std::uint32_t skipMark_ = 0;  // 0: none
};

}  // namespace fx::win
