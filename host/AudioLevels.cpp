#include "host/AudioLevels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ombrisk::host {

double Levels::CrestDb() const {
  if (rms <= 0.0 || peak <= 0.0) return 0.0;
  return 20.0 * std::log10(peak / rms);
}

Levels MeasureLevels(const AudioData& audio) {
  Levels levels;
  double sum = 0.0;
  std::size_t count = 0;
  for (const auto& channel : audio.channels) {
    for (const float s : channel) {
      if (!std::isfinite(s)) {
        ++levels.nonFinite;
        continue;
      }
      const double v = static_cast<double>(s);
      levels.peak = std::max(levels.peak, std::fabs(v));
      sum += v * v;
      ++count;
    }
  }
  levels.rms = count > 0 ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
  return levels;
}

std::string FormatDb(double linear) {
  if (!(linear > 0.0)) return "-inf";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", 20.0 * std::log10(linear));
  return text;
}

}  // namespace ombrisk::host
