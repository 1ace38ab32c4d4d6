// The product's signal path must reproduce a plain reading of the algorithm
// bit for bit, whatever the rate, the parameters or the signal.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "EffectTestSupport.h"
#include "ReferenceSignalPath.h"
#include "effect/DenormalNoise.h"
#include "effect/SignalPath.h"

namespace {

// The noise sequence written out again, independently of the product.
class ModelNoise {
 public:
  explicit ModelNoise(std::int32_t counter) : counter_(counter) {}
  double operator()() {
    counter_ = counter_ % 1700021 + 1;
    std::int64_t r = Wrap(static_cast<std::int64_t>(counter_) * counter_) % 170003;
    r = Wrap(r * r) % 17011;
    r = Wrap(r * r) % 1709;
    r = Wrap(r * r) % 173;
    r = Wrap(r * r) % 17;
    return static_cast<double>(r) * 1e-8 * 1e-8;
  }

 std::int32_t Counter() const { return counter_; }

 private:
  static std::int64_t Wrap(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v & 0xFFFFFFFF)); }
  std::int32_t counter_;
};

enum class Signal { Music, Noise, Silence, Square, Dc, Bursts };

void Fill(std::vector<double>& x, Signal kind, std::mt19937& rng, int blockIndex) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double t = static_cast<double>(blockIndex * 4096 + static_cast<int>(i));
    switch (kind) {
      case Signal::Music:
        x[i] = 0.6 * std::sin(t * 0.031) + 0.3 * std::sin(t * 0.0071) + 0.1 * u(rng);
        break;
      case Signal::Noise:
        x[i] = 2.5 * u(rng);
        break;
      case Signal::Silence:
        x[i] = 0.0;
        break;
      case Signal::Square:
        x[i] = (static_cast<int>(t) / 50) % 2 ? 1.0 : -1.0;
        break;
      case Signal::Dc:
        x[i] = 0.95;
        break;
      case Signal::Bursts:
        x[i] = (static_cast<int>(t) % 700 < 60) ? 1.8 * u(rng) : 1e-39 * u(rng);
        break;
    }
  }
}

struct Case {
  double rate;
  double gain, wet, tame, react, bypass, out, bias;
  Signal signal;
  int blockSize;
};

void Compare(const Case& c, std::uint32_t seed) {
  effect_test::SeedSequence seeds(seed);
  effect_test::Params params;
  const double values[7] = {c.gain, c.wet, c.tame, c.react, c.bypass, c.out, c.bias};
  for (int i = 0; i < 7; ++i) params.p[i].SetValue(values[i]);
  double v[7];
  params.Values(v);

  ombrisk::SetNoiseCounter(1234);
  ModelNoise noise(1234);
  reference::SignalPathModel model;
  model.noise = [&] { return noise(); };
  ombrisk::SignalPath path(2);
  path.OnProcessorReset(c.rate);
  model.Reset(c.rate);

  std::mt19937 rng(seed);
  std::vector<double> in[2], outP[2], outM[2];
  for (int ch = 0; ch < 2; ++ch) {
    in[ch].resize(static_cast<std::size_t>(c.blockSize));
    outP[ch].resize(in[ch].size());
    outM[ch].resize(in[ch].size());
  }
  for (int block = 0; block < 24; ++block) {
    Fill(in[0], c.signal, rng, block);
    Fill(in[1], block % 3 == 0 ? Signal::Music : c.signal, rng, block);
    double* ins[2] = {in[0].data(), in[1].data()};
    double* op[2] = {outP[0].data(), outP[1].data()};
    double* om[2] = {outM[0].data(), outM[1].data()};
    path.ProcessAudioBlock(v, c.rate, 2, ins, op, c.blockSize);
    model.Process(v, c.rate, effect_test::ModelUniform(seeds.last), ins, om, c.blockSize);
    for (int ch = 0; ch < 2; ++ch) {
      for (int n = 0; n < c.blockSize; ++n) {
        std::uint64_t a, b;
        std::memcpy(&a, &outP[ch][static_cast<std::size_t>(n)], 8);
        std::memcpy(&b, &outM[ch][static_cast<std::size_t>(n)], 8);
        ASSERT_EQ(a, b) << "rate " << c.rate << " block " << block << " ch " << ch << " n " << n << ": "
                        << outP[ch][static_cast<std::size_t>(n)] << " vs " << outM[ch][static_cast<std::size_t>(n)];
      }
    }
  }
  EXPECT_EQ(ombrisk::GetNoiseCounter(), noise.Counter());  // the same number of noise draws
}

TEST(ReferenceComparison, DefaultsAndHotSettingsAtEveryTabledRate) {
  for (double rate : {44100.0, 48000.0, 88200.0, 96000.0, 192000.0}) {
    Compare({rate, 32, 87, 0.5, 1, 0, 100, 0.5, Signal::Music, 512}, 11);
    Compare({rate, 200, 100, 1.0, 1, 0, 200, 0.5, Signal::Noise, 333}, 12);
    Compare({rate, 120, 60, 0.8, 0, 0, 150, 0.9, Signal::Square, 64}, 13);
  }
}

TEST(ReferenceComparison, RandomParameterSetsRatesAndSignals) {
  std::mt19937 rng(2024);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const double rates[] = {22050, 32000, 44100, 48000, 88200, 96000, 176400, 192000, 384000};
  const Signal signals[] = {Signal::Music, Signal::Noise, Signal::Silence, Signal::Square, Signal::Dc, Signal::Bursts};
  for (int i = 0; i < 60; ++i) {
    Case c;
    c.rate = rates[rng() % std::size(rates)];
    c.gain = 200 * u(rng);
    c.wet = 100 * u(rng);
    c.tame = u(rng);
    c.react = (rng() % 3 == 0) ? u(rng) : 1.0;
    c.bypass = (rng() % 8 == 0) ? 1.0 : 0.0;
    c.out = 200 * u(rng);
    c.bias = (rng() % 3 == 0) ? 0.5 : u(rng);
    c.signal = signals[rng() % std::size(signals)];
    c.blockSize = 1 + static_cast<int>(rng() % 700);
    SCOPED_TRACE(i);
    Compare(c, static_cast<std::uint32_t>(rng()));
  }
}

// Hosts hand one buffer to several channels; the channels then run one after
// the other, a later channel reading what an earlier one wrote.
TEST(ReferenceComparison, SharedBuffersRunChannelByChannel) {
  for (int layout = 0; layout < 2; ++layout) {
    effect_test::SeedSequence seeds(21);
    effect_test::Params params;
    params.p[ombrisk::kInputGain].SetValue(150.0);
    double v[7];
    params.Values(v);
    ombrisk::SetNoiseCounter(77);
    ModelNoise noise(77);
    reference::SignalPathModel model;
    model.noise = [&] { return noise(); };
    ombrisk::SignalPath path(2);
    path.OnProcessorReset(48000.0);
    model.Reset(48000.0);
    std::mt19937 rng(5);
    std::vector<double> a(300), b(300), ma(300), mb(300);
    for (int block = 0; block < 12; ++block) {
      Fill(a, Signal::Bursts, rng, block);
      Fill(b, Signal::Music, rng, block);
      std::copy(a.begin(), a.end(), ma.begin());
      std::copy(b.begin(), b.end(), mb.begin());
      if (layout == 0) {
        // One buffer for every input and output.
        double* io[2] = {a.data(), a.data()};
        double* mio[2] = {ma.data(), ma.data()};
        path.ProcessAudioBlock(v, 48000.0, 2, io, io, 300);
        model.Process(v, 48000.0, effect_test::ModelUniform(seeds.last), mio, mio, 300);
      } else {
        // Channel 0 writes the buffer channel 1 reads.
        double* ins[2] = {b.data(), a.data()};
        double* outs[2] = {a.data(), b.data()};
        double* mins[2] = {mb.data(), ma.data()};
        double* mouts[2] = {ma.data(), mb.data()};
        path.ProcessAudioBlock(v, 48000.0, 2, ins, outs, 300);
        model.Process(v, 48000.0, effect_test::ModelUniform(seeds.last), mins, mouts, 300);
      }
      ASSERT_EQ(a, ma) << "layout " << layout << " block " << block;
      ASSERT_EQ(b, mb) << "layout " << layout << " block " << block;
    }
    EXPECT_EQ(ombrisk::GetNoiseCounter(), noise.Counter());
  }
}

}  // namespace
