#include "platform/EditorWindowRules.h"

#include <cmath>
#include <cstdlib>

namespace fx::igraphics {

PixelSize OpeningSize(std::int32_t layoutWidth, std::int32_t layoutHeight, float drawScale, float screenScale) {
  if (!std::isfinite(drawScale) || drawScale <= 0.0f) drawScale = 1.0f;
  if (!std::isfinite(screenScale) || screenScale <= 0.0f) screenScale = 1.0f;
  // The same rounding as the drawing backend's page size.
  PixelSize size;
  size.width = static_cast<std::int32_t>(
      static_cast<float>(static_cast<std::int32_t>(static_cast<float>(layoutWidth) * drawScale)) * screenScale);
  size.height = static_cast<std::int32_t>(
      static_cast<float>(static_cast<std::int32_t>(static_cast<float>(layoutHeight) * drawScale)) * screenScale);
  return size;
}

FrameClock::FrameClock(std::int32_t fps) {
  if (fps <= 0) fps = 60;
  interval_ = static_cast<std::uint32_t>(1000 / fps);
  if (interval_ == 0) interval_ = 1;
}

bool FrameClock::Tick(std::uint64_t nowMs) {
  if (nowMs < next_) return false;
  next_ = (nowMs - next_ >= interval_) ? nowMs + interval_ : next_ + interval_;
  return true;
}

bool ClickTracker::Press(std::uint32_t button, std::int32_t x, std::int32_t y, std::uint32_t time) {
  // Unsigned difference: right across the clock's wrap.
  const bool isDouble = armed_ && button == button_ && time - time_ <= kMaxIntervalMs &&
                        std::abs(x - x_) <= kMaxDistance && std::abs(y - y_) <= kMaxDistance;
  if (isDouble) {
    armed_ = false;
    return true;
  }
  armed_ = true;
  button_ = button;
  x_ = x;
  y_ = y;
  time_ = time;
  return false;
}

}  // namespace fx::igraphics
