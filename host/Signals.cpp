#include "host/Signals.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ombrisk::host {
namespace {

// Small, fast generator with a fixed sequence for a given seed.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9U : seed) {}
  double Next() {  // in [-1, 1)
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
  }

 private:
  std::uint32_t state_;
};

constexpr double kTwoPi = 2.0 * std::numbers::pi;

}  // namespace

AudioData SynthesiseTestProgram(double sampleRate, double seconds) {
  AudioData audio;
  audio.sampleRate = sampleRate;
  audio.format = SampleFormat::Pcm24;
  const auto frames = static_cast<std::size_t>(std::max(0.0, seconds * sampleRate));
  audio.channels.assign(2, std::vector<float>(frames, 0.0F));
  const double sweepStart = seconds * 2.0 / 3.0;
  const double beat = 0.25;  // one step: an eighth note at 120 bpm
  // A bass figure in semitones above A1 (55 Hz), one note per eighth.
  static constexpr int kBass[] = {0, 0, 12, 0, 3, 3, 15, 5, 7, 7, 19, 7, 5, 5, 17, 3};
  Noise noise(12345);
  double bassPhase = 0.0;
  double hatLp = 0.0;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    double left = 0.0;
    double right = 0.0;
    if (t < sweepStart) {
      const double step = std::floor(t / beat);
      const double inStep = t - step * beat;
      const auto stepIndex = static_cast<long>(step);
      // Kick on every second step: a sine falling from 150 Hz to 45 Hz.
      if (stepIndex % 2 == 0) {
        const double phase = kTwoPi * (45.0 * inStep + 105.0 * (1.0 - std::exp(-inStep * 30.0)) / 30.0);
        const double kick = 0.9 * std::sin(phase) * std::exp(-inStep * 9.0);
        left += kick;
        right += kick;
      }
      // Snare on steps 2 and 6 of 8: a noise burst with a tone.
      const double n = noise.Next();
      if (stepIndex % 8 == 2 || stepIndex % 8 == 6) {
        const double snare = (0.5 * n + 0.25 * std::sin(kTwoPi * 190.0 * inStep)) * std::exp(-inStep * 22.0);
        left += snare * 0.9;
        right += snare;
      }
      // Closed hat on every step: high-passed noise, very short.
      hatLp += 0.3 * (n - hatLp);
      const double hat = (n - hatLp) * 0.25 * std::exp(-inStep * 80.0);
      left += hat;
      right += hat * 0.8;
      // Bass: a soft square-ish wave, one note per step.
      const double semitones = kBass[static_cast<std::size_t>(stepIndex) % std::size(kBass)];
      const double freq = 55.0 * std::pow(2.0, semitones / 12.0);
      bassPhase += freq / sampleRate;
      bassPhase -= std::floor(bassPhase);
      const double env = std::min(1.0, inStep * 200.0) * std::exp(-inStep * 3.0);
      const double bass = 0.35 * std::tanh(2.5 * std::sin(kTwoPi * bassPhase)) * env;
      left += bass;
      right += bass;
    } else {
      // Logarithmic sweep 20 Hz -> 20 kHz at -6 dBFS, with short fades.
      const double length = seconds - sweepStart;
      const double u = t - sweepStart;
      const double k = std::log(20000.0 / 20.0);
      const double phase = kTwoPi * 20.0 * length / k * (std::exp(u / length * k) - 1.0);
      const double fade = std::min({1.0, u / 0.01, (length - u) / 0.01});
      const double s = 0.5 * std::sin(phase) * std::max(0.0, fade);
      left = s;
      right = s;
    }
    audio.channels[0][i] = static_cast<float>(std::clamp(left, -0.98, 0.98));
    audio.channels[1][i] = static_cast<float>(std::clamp(right, -0.98, 0.98));
  }
  return audio;
}

AudioData WhiteNoise(double sampleRate, double seconds, std::size_t channels, std::uint32_t seed) {
  AudioData audio;
  audio.sampleRate = sampleRate;
  audio.format = SampleFormat::Float32;
  const auto frames = static_cast<std::size_t>(std::max(0.0, seconds * sampleRate));
  audio.channels.assign(channels, std::vector<float>(frames));
  Noise noise(seed);
  for (auto& channel : audio.channels) {
    for (float& s : channel) s = static_cast<float>(0.5 * noise.Next());
  }
  return audio;
}

AudioData RisingSine(double sampleRate, double seconds, double peak, std::size_t channels) {
  AudioData audio;
  audio.sampleRate = sampleRate;
  audio.format = SampleFormat::Float32;
  const auto frames = static_cast<std::size_t>(std::max(0.0, seconds * sampleRate));
  audio.channels.assign(channels, std::vector<float>(frames));
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    const double s = peak * (t / seconds) * std::sin(kTwoPi * 100.0 * t);
    for (auto& channel : audio.channels) channel[i] = static_cast<float>(s);
  }
  return audio;
}

}  // namespace ombrisk::host
