// Signals the host makes itself: the demo's test program, noise for benchmarks
// and the rising sine that traces a static input/output curve.
#pragma once

#include <cstdint>

#include "host/Audio.h"

namespace ombrisk::host {

// Stereo: drum-like transients and a bass line, then a logarithmic sine sweep
// from 20 Hz to 20 kHz over the last third. Peaks just under 0 dBFS.
AudioData SynthesiseTestProgram(double sampleRate, double seconds);

// Uniform white noise at -6 dBFS, reproducible from the seed.
AudioData WhiteNoise(double sampleRate, double seconds, std::size_t channels, std::uint32_t seed);

// A 100 Hz sine whose amplitude rises linearly from 0 to `peak` (linear).
AudioData RisingSine(double sampleRate, double seconds, double peak, std::size_t channels);

}  // namespace ombrisk::host
