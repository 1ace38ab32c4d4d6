#pragma once
// Rules of the editor window that need no window and hold on every window
// system: the size a page opens at, frame pacing on a millisecond clock,
// double clicks by timing, and how far a parent that did not take our
// resize must grow. The window core (IGraphicsWindow) applies them; the
// tests run them natively.

#include <cstdint>

namespace fx::igraphics {

// Window size in pixels: the page at draw scale in whole pixels, times the
// screen scale (the drawing backend's page size; a non-positive or
// non-finite scale counts as 1).
struct PixelSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const PixelSize&) const = default;
};
PixelSize OpeningSize(std::int32_t layoutWidth, std::int32_t layoutHeight, float drawScale, float screenScale);

// Frames at fps per second on a millisecond clock. A frame is due once its
// time has come; a clock that fell a whole period or more behind restarts
// from now instead of firing the missed frames in a burst.
class FrameClock {
 public:
  // fps <= 0 gives 60.
  explicit FrameClock(std::int32_t fps);
  std::uint32_t IntervalMs() const { return interval_; }
  // Starts counting: the first frame is due at once.
  void Reset(std::uint64_t nowMs) { next_ = nowMs; }
  // True when a frame is due at nowMs (and counts it).
  bool Tick(std::uint64_t nowMs);

 private:
  std::uint32_t interval_;
  std::uint64_t next_ = 0;
};

// Double clicks from presses: the second press of the same button within
// 400 ms and 4 pixels of the first. The press that completes a double click
// starts no new one, so a triple click is a double click and a single.
class ClickTracker {
 public:
  static constexpr std::uint32_t kMaxIntervalMs = 400;
  static constexpr std::int32_t kMaxDistance = 4;
  // time: a millisecond clock that may wrap at 2^32.
  bool Press(std::uint32_t button, std::int32_t x, std::int32_t y, std::uint32_t time);
  void Forget() { armed_ = false; }

 private:
  bool armed_ = false;
  std::uint32_t button_ = 0;
  std::int32_t x_ = 0, y_ = 0;
  std::uint32_t time_ = 0;
};

}  // namespace fx::igraphics
