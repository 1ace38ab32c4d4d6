// Runs a generated test signal (drum-like bursts, a bass line and a sine
// sweep) through the effect's block processing at the default settings and
// at a hot setting, and prints peak and RMS in and out.

#include <cmath>
#include <cstdio>
#include <vector>

#include "core/IParam.h"
#include "effect/OmbriskParameters.h"
#include "effect/SignalPath.h"

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;
constexpr double kPi = 3.14159265358979323846;

std::vector<double> MakeTestSignal(int frames) {
  std::vector<double> x(static_cast<std::size_t>(frames));
  double sweepPhase = 0.0;
  for (int n = 0; n < frames; ++n) {
    const double t = n / kRate;
    const double beat = std::fmod(t, 0.5);
    const double kick = 0.9 * std::exp(-beat * 18.0) * std::sin(2.0 * kPi * (50.0 + 120.0 * std::exp(-beat * 30.0)) * beat);
    const double bassFreq = (static_cast<int>(t * 2.0) % 2 == 0) ? 55.0 : 73.42;
    const double bass = 0.35 * std::sin(2.0 * kPi * bassFreq * t);
    const double sweepFreq = 40.0 * std::pow(500.0, t / (frames / kRate));
    sweepPhase += 2.0 * kPi * sweepFreq / kRate;
    const double sweep = 0.25 * std::sin(sweepPhase);
    x[static_cast<std::size_t>(n)] = kick + bass + sweep;
  }
  return x;
}

struct Level {
  double peak = 0.0;
  double rms = 0.0;
};

Level Measure(const std::vector<double>& x) {
  Level l;
  double sum = 0.0;
  for (double v : x) {
    l.peak = std::fmax(l.peak, std::fabs(v));
    sum += v * v;
  }
  l.rms = x.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(x.size()));
  return l;
}

double Db(double v) { return v > 0.0 ? 20.0 * std::log10(v) : -HUGE_VAL; }

void Run(const char* title, double inputGain, double tame, double react) {
  fx::IParam params[ombrisk::kNumParams];
  fx::IParam* list[ombrisk::kNumParams];
  for (int i = 0; i < ombrisk::kNumParams; ++i) list[i] = &params[i];
  ombrisk::InitOmbriskParameters(list);
  params[ombrisk::kInputGain].SetValue(inputGain);
  params[ombrisk::kTame].SetValue(tame);
  params[ombrisk::kReact].SetValue(react);

  ombrisk::SignalPath path(2);
  path.OnProcessorReset(kRate);
  const std::vector<double> in = MakeTestSignal(static_cast<int>(kRate * 4));
  std::vector<double> left(in.size()), right(in.size());
  for (std::size_t start = 0; start < in.size(); start += kBlock) {
    const int frames = static_cast<int>(std::min<std::size_t>(kBlock, in.size() - start));
    double values[ombrisk::kNumParams];
    for (int i = 0; i < ombrisk::kNumParams; ++i) values[i] = params[i].GetValue();
    double* inputs[2] = {const_cast<double*>(in.data() + start), const_cast<double*>(in.data() + start)};
    double* outputs[2] = {left.data() + start, right.data() + start};
    path.ProcessAudioBlock(values, kRate, 2, inputs, outputs, frames);
  }
  const Level li = Measure(in), lo = Measure(left);
  std::printf("%-28s in: peak %6.3f (%6.2f dBFS) rms %6.3f (%6.2f dBFS) | out: peak %6.3f (%6.2f dBFS) rms %6.3f (%6.2f dBFS)\n",
              title, li.peak, Db(li.peak), li.rms, Db(li.rms), lo.peak, Db(lo.peak), lo.rms, Db(lo.rms));
}

}  // namespace

int main() {
  std::printf("Ombrisk signal path, 4 s test program at 44100 Hz, blocks of %d\n", kBlock);
  Run("default settings", 32.0, 0.5, 1.0);
  Run("hot (gain 200 %, tame 1)", 200.0, 1.0, 1.0);
  return 0;
}
