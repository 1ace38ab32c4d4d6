// Level figures of audio held in memory: peak, RMS and crest factor.
#pragma once

#include <cstddef>
#include <string>

#include "host/Audio.h"

namespace ombrisk::host {

struct Levels {
  double peak = 0.0;  // largest magnitude, linear
  double rms = 0.0;   // over every sample of every channel
  std::size_t nonFinite = 0;
  // Peak over RMS in dB; 0 for silence.
  double CrestDb() const;
};

Levels MeasureLevels(const AudioData& audio);
// Linear amplitude in dBFS, "-inf" for zero.
std::string FormatDb(double linear);

}  // namespace ombrisk::host
