#include "platform/win/FramePacer.h"

namespace fx::win {

std::uint32_t FrameTimerInterval(std::int32_t fps) {
  if (fps <= 0) return 15;
  const std::int32_t interval = 1000 / fps;
  return interval < 20 ? 15u : static_cast<std::uint32_t>(interval);
}

bool FramePacer::BeginTick(std::uint32_t postedSerial) {
  const std::uint32_t current = CurrentSerial();
  if (skipMark_ != 0 && skipMark_ > current) return false;
  skipMark_ = 0;
  return postedSerial == current;
}

void FramePacer::EndTick(std::uint32_t serialAtStart) {
  const std::uint32_t current = CurrentSerial();
  if (current != serialAtStart) skipMark_ = current + 1;
}

}  // namespace fx::win
