// Cost of the effect's signal path per sample and channel, against loops that
// make only the library calls the chain is built on.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "core/IParam.h"
#include "effect/OmbriskParameters.h"
#include "effect/SignalPath.h"

// The chain's tanh and pow calls go through these wrappers (the program is
// linked with --wrap), so one pass can record their arguments and a second
// loop can replay exactly those calls: the cost of the library calls alone.
extern "C" double __real_tanh(double);
extern "C" double __real_pow(double, double);

namespace {

struct CallLog {
  bool recording = false;
  std::vector<double> tanhArgs;
  std::vector<std::pair<double, double>> powArgs;
};
CallLog gLog;

}  // namespace

extern "C" double __wrap_tanh(double x) {
  if (gLog.recording) gLog.tanhArgs.push_back(x);
  return __real_tanh(x);
}
extern "C" double __wrap_pow(double x, double y) {
  if (gLog.recording) gLog.powArgs.emplace_back(x, y);
  return __real_pow(x, y);
}

namespace {

constexpr double kRate = 44100.0;

std::vector<double> Program(std::size_t n) {
  std::vector<double> x(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kRate;
    x[i] = 0.55 * std::sin(2 * 3.14159265358979 * 110 * t) + 0.35 * std::sin(2 * 3.14159265358979 * 1375 * t) +
           0.15 * std::sin(2 * 3.14159265358979 * 7000 * t);
  }
  return x;
}

struct Setting {
  double inputGain, tame, react;
};

// The parameters of a setting and a signal path reset for the bench rate.
struct Chain {
  fx::IParam params[ombrisk::kNumParams];
  ombrisk::SignalPath path{2};
  explicit Chain(Setting setting) {
    fx::IParam* list[ombrisk::kNumParams];
    for (int i = 0; i < ombrisk::kNumParams; ++i) list[i] = &params[i];
    ombrisk::InitOmbriskParameters(list);
    params[ombrisk::kInputGain].SetValue(setting.inputGain);
    params[ombrisk::kTame].SetValue(setting.tame);
    params[ombrisk::kReact].SetValue(setting.react);
    path.OnProcessorReset(kRate);
  }
};

void RunChain(benchmark::State& state, Setting setting) {
  const int block = static_cast<int>(state.range(0));
  Chain chain(setting);
  fx::IParam* params = chain.params;
  ombrisk::SignalPath& path = chain.path;
  const std::vector<double> in = Program(static_cast<std::size_t>(block) * 64);
  std::vector<double> out0(static_cast<std::size_t>(block)), out1(static_cast<std::size_t>(block));
  std::size_t pos = 0;
  for (auto _ : state) {
    double values[ombrisk::kNumParams];
    for (int i = 0; i < ombrisk::kNumParams; ++i) values[i] = params[i].GetValue();
    double* ins[2] = {const_cast<double*>(in.data() + pos), const_cast<double*>(in.data() + pos)};
    double* outs[2] = {out0.data(), out1.data()};
    path.ProcessAudioBlock(values, kRate, 2, ins, outs, block);
    benchmark::DoNotOptimize(out0.data());
    benchmark::ClobberMemory();
    pos = (pos + static_cast<std::size_t>(block)) % (in.size() - static_cast<std::size_t>(block) + 1);
  }
  state.SetItemsProcessed(state.iterations() * block * 2);  // samples x channels
}

void BM_ChainDefaults(benchmark::State& state) { RunChain(state, {32.0, 0.5, 1.0}); }
void BM_ChainHot(benchmark::State& state) { RunChain(state, {200.0, 1.0, 1.0}); }

// Records the calls the chain makes over the whole program (all 64 blocks,
// after a warm-up pass), then times a loop that makes only those calls.
void ReplayCalls(benchmark::State& state, Setting setting) {
  const int block = static_cast<int>(state.range(0));
  Chain chain(setting);
  fx::IParam* params = chain.params;
  ombrisk::SignalPath& path = chain.path;
  const std::vector<double> in = Program(static_cast<std::size_t>(block) * 64);
  std::vector<double> out0(static_cast<std::size_t>(block)), out1(static_cast<std::size_t>(block));
  double values[ombrisk::kNumParams];
  for (int i = 0; i < ombrisk::kNumParams; ++i) values[i] = params[i].GetValue();
  gLog = CallLog{};
  for (int pass = 0; pass < 2; ++pass) {
    gLog.recording = pass == 1;
    for (std::size_t pos = 0; pos + static_cast<std::size_t>(block) <= in.size(); pos += static_cast<std::size_t>(block)) {
      double* ins[2] = {const_cast<double*>(in.data() + pos), const_cast<double*>(in.data() + pos)};
      double* outs[2] = {out0.data(), out1.data()};
      path.ProcessAudioBlock(values, kRate, 2, ins, outs, block);
    }
  }
  gLog.recording = false;
  const double samples = static_cast<double>(in.size()) * 2.0;
  for (auto _ : state) {
    double acc = 0.0;
    for (double x : gLog.tanhArgs) acc += __real_tanh(x);
    for (const auto& [x, y] : gLog.powArgs) acc += __real_pow(x, y);
    benchmark::DoNotOptimize(acc);
  }
  state.counters["tanh_per_sample"] = static_cast<double>(gLog.tanhArgs.size()) / samples;
  state.counters["pow_per_sample"] = static_cast<double>(gLog.powArgs.size()) / samples;
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(samples));
}

void BM_ReplayDefaults(benchmark::State& state) { ReplayCalls(state, {32.0, 0.5, 1.0}); }
void BM_ReplayHot(benchmark::State& state) { ReplayCalls(state, {200.0, 1.0, 1.0}); }

// The library calls the chain would make per sample if every history were
// full and nothing were shared: the drive's five tanh (four for the history
// geometry, one for the output), the knee's tanh, and React's pow.
void BM_LibraryCallsAsWritten(benchmark::State& state) {
  const int block = static_cast<int>(state.range(0));
  const std::vector<double> in = Program(static_cast<std::size_t>(block) * 64);
  std::vector<double> out(static_cast<std::size_t>(block));
  std::size_t pos = 0;
  for (auto _ : state) {
    for (int ch = 0; ch < 2; ++ch) {
      for (int n = 0; n < block; ++n) {
        const double x = in[pos + static_cast<std::size_t>(n)] * 1.4;
        const double t1 = std::tanh(x - 0.1);
        const double t2 = std::tanh(x * 0.5);
        const double t3 = std::tanh((t1 - t2) * 0.5);
        const double t4 = std::tanh(x - t3);
        const double z = std::tanh(0.5 * x + 0.5 * t4);
        const double k = std::tanh(z - 0.97);
        out[static_cast<std::size_t>(n)] = k + std::pow(1.0 - 0.3 * std::fabs(z), 4.0);
      }
      benchmark::DoNotOptimize(out.data());
    }
    benchmark::ClobberMemory();
    pos = (pos + static_cast<std::size_t>(block)) % (in.size() - static_cast<std::size_t>(block) + 1);
  }
  state.SetItemsProcessed(state.iterations() * block * 2);
}

// The calls that cannot be avoided without changing a bit: one tanh for the
// drive below its threshold and React's pow.
void BM_LibraryCallsMinimum(benchmark::State& state) {
  const int block = static_cast<int>(state.range(0));
  const std::vector<double> in = Program(static_cast<std::size_t>(block) * 64);
  std::vector<double> out(static_cast<std::size_t>(block));
  std::size_t pos = 0;
  for (auto _ : state) {
    for (int ch = 0; ch < 2; ++ch) {
      for (int n = 0; n < block; ++n) {
        const double x = in[pos + static_cast<std::size_t>(n)] * 1.4;
        const double z = std::tanh(std::fabs(x));
        out[static_cast<std::size_t>(n)] = std::pow(1.0 - 0.3 * z, 4.0);
      }
      benchmark::DoNotOptimize(out.data());
    }
    benchmark::ClobberMemory();
    pos = (pos + static_cast<std::size_t>(block)) % (in.size() - static_cast<std::size_t>(block) + 1);
  }
  state.SetItemsProcessed(state.iterations() * block * 2);
}

}  // namespace

BENCHMARK(BM_ChainDefaults)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK(BM_ChainHot)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK(BM_ReplayDefaults)->Arg(512);
BENCHMARK(BM_ReplayHot)->Arg(512);
BENCHMARK(BM_LibraryCallsAsWritten)->Arg(512);
BENCHMARK(BM_LibraryCallsMinimum)->Arg(512);
BENCHMARK_MAIN();
