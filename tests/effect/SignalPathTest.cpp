#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "EffectTestSupport.h"
#include "effect/DenormalNoise.h"
#include "effect/SignalPath.h"

namespace {

using ombrisk::SignalPath;

struct Stereo {
  std::vector<double> in[2], out[2];
  explicit Stereo(int frames, double value = 0.0) {
    for (int c = 0; c < 2; ++c) {
      in[c].assign(static_cast<std::size_t>(frames), value);
      out[c].assign(static_cast<std::size_t>(frames), 0.0);
    }
  }
  void Run(SignalPath& path, const effect_test::Params& params, double fs) {
    double values[ombrisk::kNumParams];
    params.Values(values);
    double* ins[2] = {in[0].data(), in[1].data()};
    double* outs[2] = {out[0].data(), out[1].data()};
    path.ProcessAudioBlock(values, fs, 2, ins, outs, static_cast<std::int32_t>(in[0].size()));
  }
};

TEST(SignalPath, BlockSetupAtTheTabledRates) {
  effect_test::Params params;
  double v[ombrisk::kNumParams];
  params.Values(v);
  SignalPath path(2);

  auto bs = path.PrepareBlock(v, 44100.0, 0.0);
  EXPECT_EQ(bs.N, 1.0);
  EXPECT_EQ(bs.M, 2.0);
  EXPECT_EQ(bs.i1, 0);
  EXPECT_EQ(bs.t1, 0.0);
  EXPECT_EQ(bs.i2, 1);
  EXPECT_EQ(bs.srBlend, 0.0);
  EXPECT_NEAR(bs.G, 1.4213, 1e-4);
  EXPECT_NEAR(bs.makeup, 0.8865, 1e-4);
  EXPECT_EQ(bs.c, 1.0);
  EXPECT_EQ(bs.kmix, 2.0023318412286);
  EXPECT_EQ(bs.react, 1);
  EXPECT_EQ(bs.bypass, 0);
  EXPECT_EQ(bs.bias, 0.0);
  EXPECT_EQ(bs.wet, 0.87);

  bs = path.PrepareBlock(v, 48000.0, 1.0);
  EXPECT_NEAR(bs.N, 1.08843537, 1e-8);
  EXPECT_EQ(bs.i1, 0);
  EXPECT_NEAR(bs.t1, 0.0884353, 1e-7);
  EXPECT_EQ(bs.i2, 1);
  EXPECT_EQ(bs.kmix, 2.0011596521816433);

  bs = path.PrepareBlock(v, 192000.0, 0.5);
  EXPECT_NEAR(bs.N, 4.35374, 1e-5);
  EXPECT_NEAR(bs.M, 8.707, 1e-3);
  EXPECT_EQ(bs.i1, 3);
  EXPECT_EQ(bs.i2, 7);
  EXPECT_EQ(bs.srBlend, 1.0);

  bs = path.PrepareBlock(v, 22050.0, 0.5);
  EXPECT_EQ(bs.N, 1.0);
  EXPECT_EQ(bs.M, 1.0);
  bs = path.PrepareBlock(v, 1e9, 0.5);
  EXPECT_EQ(bs.N, 4.5);
  EXPECT_EQ(bs.M, 9.0);
  bs = path.PrepareBlock(v, std::numeric_limits<double>::quiet_NaN(), 0.5);
  EXPECT_EQ(bs.N, 1.0);  // a broken rate reads as the lowest geometry
  EXPECT_EQ(bs.i2, 1);
}

TEST(SignalPath, TameConstantUsesThePreviousBlocksRateFactor) {
  effect_test::Params params;
  params.p[ombrisk::kTame].SetValue(1.0);
  double v[ombrisk::kNumParams];
  params.Values(v);
  SignalPath path(2);
  EXPECT_EQ(path.PrepareBlock(v, 192000.0, 0.0).K, std::pow(1.5, 11.0) / (2.0 + 1e-30));
  const double m192 = path.GetPreviousM();
  EXPECT_EQ(path.PrepareBlock(v, 44100.0, 0.0).K, std::pow(1.5, 11.0) / (m192 + 1e-30));
}

TEST(SignalPath, ShapeWithHistoryKnownValues) {
  effect_test::SeedSequence seeds;
  effect_test::Params params;
  SignalPath path(2);
  constexpr auto kDrive = SignalPath::ShapeKind::kDrive;
  constexpr auto kKnee = SignalPath::ShapeKind::kKnee;
  path.OnProcessorReset(44100.0);
  // With empty histories both kinds hand the input back.
  EXPECT_EQ(path.ShapeWithHistory(kDrive, 0, 0.7, 2.0), 0.7);
  EXPECT_EQ(path.ShapeWithHistory(kKnee, 0, -1.7, 2.0), -1.7);

  Stereo s(64, 0.3);
  s.Run(path, params, 44100.0);
  const double k = path.GetLastBlock().kmix;
  EXPECT_EQ(path.ShapeWithHistory(kDrive, 0, 0.5, k), 0.46211715726000974);
  EXPECT_EQ(path.ShapeWithHistory(kDrive, 1, -0.5, k), -0.46211715726000974);
  EXPECT_EQ(path.ShapeWithHistory(kKnee, 0, 0.5, k), 0.5);
  EXPECT_EQ(path.ShapeWithHistory(kKnee, 0, 0.8, k), 0.8);
  EXPECT_NEAR(path.ShapeWithHistory(kKnee, 0, 0.9, k), 0.917675775, 1e-9);
  EXPECT_NEAR(path.ShapeWithHistory(kKnee, 0, -0.9, k), -0.917675775, 1e-9);
  EXPECT_NEAR(path.ShapeWithHistory(kKnee, 0, 1.0, k), 0.97314906, 1e-8);
  EXPECT_EQ(path.ShapeWithHistory(kKnee, 0, 2.0, k), 0.9731487976746969);
  // Out-of-range kinds and channels answer 0 instead of reading past the state.
  EXPECT_EQ(path.ShapeWithHistory(static_cast<SignalPath::ShapeKind>(3), 0, 0.5, k), 0.0);
  EXPECT_EQ(path.ShapeWithHistory(kDrive, 2, 0.5, k), 0.0);
}

TEST(SignalPath, FirstSampleAfterConstruction) {
  effect_test::SeedSequence seeds;
  effect_test::Params params;
  SignalPath path(2);
  path.OnProcessorReset(44100.0);
  Stereo s(1, 0.25);
  s.Run(path, params, 44100.0);
  const auto& bs = path.GetLastBlock();
  const auto& lp = path.GetLowPass();
  const auto& hp = path.GetHighPass();
  const double y = lp.b0 * 0.25;
  const double vd = (1.0 - bs.c) * y + bs.c * ((bs.G * y) * bs.makeup);
  const double vw = (1.0 - 0.87) * y + 0.87 * vd;
  const double expected = lp.b0 * (hp.b0 * (1.0 * vw));
  EXPECT_EQ(s.out[0][0], expected);
  EXPECT_EQ(s.out[1][0], expected);
  EXPECT_NEAR(expected, 0.25 * 0.8152 * (0.13 + 0.87 * 1.4213 * 0.8865) * 0.998 * 0.8152, 1e-3);
}

TEST(SignalPath, ConstantInputIsRemovedByTheHighPass) {
  for (double fs : {44100.0, 48000.0}) {
    for (double level : {0.5, -0.9}) {
      effect_test::SeedSequence seeds;
      effect_test::Params params;
      params.p[ombrisk::kInputGain].SetValue(200.0);  // loud: the drive and clipper are busy
      SignalPath path(2);
      path.OnProcessorReset(fs);
      Stereo s(4096, level);
      for (int block = 0; block < 60; ++block) s.Run(path, params, fs);
      EXPECT_LT(std::fabs(s.out[0].back()), 1e-3) << fs << " " << level;
    }
  }
}

TEST(SignalPath, BypassPassesTheRawInput) {
  effect_test::SeedSequence seeds;
  effect_test::Params params;
  params.p[ombrisk::kBypass].SetValue(1.0);
  SignalPath path(2);
  Stereo s(8);
  const double inputs[8] = {0.5, -0.25, 1e-40, -3e-39, 0.0, 1.5, -7.0, 1e-20};
  for (int i = 0; i < 8; ++i) s.in[0][i] = s.in[1][i] = inputs[i];
  s.Run(path, params, 44100.0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(s.out[0][i], inputs[i]);

  // In place, the input was already overwritten by the low-passed sample.
  SignalPath inPlace(2);
  inPlace.OnProcessorReset(44100.0);
  std::vector<double> buf = {0.5, 0.5, 0.5};
  double* io[2] = {buf.data(), buf.data()};
  double values[ombrisk::kNumParams];
  params.Values(values);
  // Both channels share the buffer: channel 1 then reads channel 0's result.
  inPlace.ProcessAudioBlock(values, 44100.0, 1, io, io, 1);
  const auto& lp = inPlace.GetLowPass();
  const double once = lp.b0 * 0.5;
  EXPECT_EQ(buf[0], lp.b0 * once);

  // Non-finite samples are never handed on, even in bypass.
  Stereo bad(2);
  bad.in[0][0] = std::numeric_limits<double>::quiet_NaN();
  bad.in[0][1] = -std::numeric_limits<double>::infinity();
  bad.Run(path, params, 44100.0);
  EXPECT_EQ(bad.out[0][0], 0.0);
  EXPECT_EQ(bad.out[0][1], 0.0);
}

TEST(SignalPath, SwitchesCountOnlyAtExactlyOne) {
  auto render = [](double bypass, double react) {
    effect_test::SeedSequence seeds(3);
    ombrisk::SetNoiseCounter(0);
    effect_test::Params params;
    params.p[ombrisk::kBypass].SetValue(bypass);
    params.p[ombrisk::kReact].SetValue(react);
    params.p[ombrisk::kInputGain].SetValue(150.0);
    SignalPath path(2);
    Stereo s(512);
    for (int i = 0; i < 512; ++i) s.in[0][i] = s.in[1][i] = 0.8 * std::sin(i * 0.05);
    for (int b = 0; b < 4; ++b) s.Run(path, params, 44100.0);
    return s.out[0];
  };
  const auto bypassAlmost = render(0.99, 1.0);
  const auto processed = render(0.0, 1.0);
  EXPECT_EQ(bypassAlmost, processed);
  EXPECT_EQ(render(0.0, 0.99), render(0.0, 0.0));
  EXPECT_NE(render(0.0, 0.0), processed);  // React does change the sound
}

// Independent second-order section for the checks below.
struct Biquad {
  double b0, b1, b2, a1, a2, s1 = 0, s2 = 0;
  double Run(double v) {
    const double y = b0 * v + s1;
    s1 = b1 * v - a1 * y + s2;
    s2 = b2 * v - a2 * y;
    return y;
  }
};

TEST(SignalPath, WetZeroIsTheInputThroughBothLowPassesAndTheSoftClip) {
  effect_test::SeedSequence seeds;
  effect_test::Params params;
  params.p[ombrisk::kWet].SetValue(0.0);
  params.p[ombrisk::kInputGain].SetValue(200.0);
  SignalPath path(2);
  path.OnProcessorReset(48000.0);
  const auto& c = path.GetLowPass();
  Biquad first{c.b0, c.b1, c.b2, c.a1, c.a2}, second{c.b0, c.b1, c.b2, c.a1, c.a2};
  Stereo s(1000);
  for (int i = 0; i < 1000; ++i) s.in[0][i] = s.in[1][i] = 0.5 * std::sin(i * 0.3) + 0.1;
  s.Run(path, params, 48000.0);
  for (int i = 0; i < 1000; ++i) {
    const double y3 = second.Run(first.Run(s.in[0][i]));
    double a = std::fabs(y3);
    ASSERT_LT(a, 0.8);  // the soft clip leaves these untouched
    ASSERT_EQ(s.out[0][i], y3) << i;
  }
}

TEST(SignalPath, EmptyBlocksRunTheSetUpOnly) {
  effect_test::SeedSequence seeds;
  effect_test::Params params;
  SignalPath path(2);
  Stereo s(4, 0.5);
  s.out[0].assign(4, 7.0);
  double values[ombrisk::kNumParams];
  params.Values(values);
  double* ins[2] = {s.in[0].data(), s.in[1].data()};
  double* outs[2] = {s.out[0].data(), s.out[1].data()};
  path.ProcessAudioBlock(values, 192000.0, 2, ins, outs, 0);
  EXPECT_EQ(seeds.calls, 1);
  EXPECT_NEAR(path.GetPreviousM(), 8.707, 1e-3);
  EXPECT_EQ(s.out[0][0], 7.0);
  path.ProcessAudioBlock(values, 44100.0, 2, nullptr, nullptr, 4);  // null channel arrays
  path.ProcessAudioBlock(values, 44100.0, 2, ins, outs, -3);
  EXPECT_EQ(s.out[0][3], 7.0);
  EXPECT_TRUE(path.IsChannelStateZero(0));
}

TEST(SignalPath, RatesOutsideTheTableKeepTheLastCoefficients) {
  SignalPath path(2);
  const auto initial = path.GetLowPass();
  path.OnProcessorReset(22050.0);
  EXPECT_EQ(path.GetLowPass().b0, initial.b0);
  EXPECT_EQ(path.GetHighPass().a1, -1.9959701411517219);
  path.OnProcessorReset(48000.0);
  EXPECT_EQ(path.GetLowPass().a2, 0.48293691830403307);
  for (double odd : {12345.0, 0.0, -44100.0, std::numeric_limits<double>::quiet_NaN(), 1e300}) {
    path.OnProcessorReset(odd);
    EXPECT_EQ(path.GetLowPass().a2, 0.48293691830403307);
  }
  path.OnProcessorReset(192000.9);  // truncated to a tabled rate
  EXPECT_EQ(path.GetLowPass().a1, -1.10922559150289);
}

TEST(SignalPath, NonFiniteInputDoesNotPoisonTheChannel) {
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()}) {
    effect_test::SeedSequence seeds(5);
    effect_test::Params params;
    SignalPath path(2);
    path.OnProcessorReset(44100.0);
    Stereo s(256);
    for (int i = 0; i < 256; ++i) s.in[0][i] = s.in[1][i] = 0.5 * std::sin(i * 0.1);
    s.Run(path, params, 44100.0);
    s.in[0][100] = bad;
    s.Run(path, params, 44100.0);
    for (double v : s.out[0]) ASSERT_TRUE(std::fabs(v) <= 1.0) << bad;
    EXPECT_TRUE(path.IsChannelStateZero(0)) << bad;
    EXPECT_FALSE(path.IsChannelStateZero(1));  // the other channel is untouched

    // The next block is what a fresh channel would make of it.
    s.in[0][100] = 0.0;
    effect_test::SeedSequence same(77);
    ombrisk::SetNoiseCounter(0);
    s.Run(path, params, 44100.0);
    const std::vector<double> after = s.out[0];
    SignalPath fresh(2);
    fresh.OnProcessorReset(44100.0);
    effect_test::SeedSequence again(77);
    ombrisk::SetNoiseCounter(0);
    s.Run(fresh, params, 44100.0);
    EXPECT_EQ(after, s.out[0]) << bad;
  }
}

TEST(SignalPath, OutputStaysBelowTheSoftClipPeak) {
  effect_test::SeedSequence seeds;
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> level(-1e6, 1e6);
  for (double fs : {44100.0, 96000.0, 192000.0}) {
    effect_test::Params params;
    params.p[ombrisk::kInputGain].SetValue(200.0);
    params.p[ombrisk::kOutputGain].SetValue(200.0);
    params.p[ombrisk::kTame].SetValue(1.0);
    SignalPath path(2);
    path.OnProcessorReset(fs);
    Stereo s(1024);
    double peak = 0.0;
    for (int block = 0; block < 20; ++block) {
      for (int i = 0; i < 1024; ++i) {
        s.in[0][i] = level(rng);
        s.in[1][i] = (i / 37) % 2 ? 1.0 : -1.0;  // full-scale square wave
      }
      s.Run(path, params, fs);
      for (int c = 0; c < 2; ++c)
        for (double v : s.out[c]) {
          ASSERT_TRUE(std::isfinite(v));
          peak = std::fmax(peak, std::fabs(v));
        }
    }
    EXPECT_LE(peak, 0.97404) << fs;
    EXPECT_GT(peak, 0.9) << fs;
  }
}

TEST(SignalPath, SilenceNeverProducesSubnormalOutput) {
  effect_test::SeedSequence seeds;
  effect_test::Params params;
  SignalPath path(2);
  path.OnProcessorReset(44100.0);
  Stereo s(2048);
  for (int i = 0; i < 2048; ++i) s.in[0][i] = s.in[1][i] = std::sin(i * 0.01);
  s.Run(path, params, 44100.0);
  for (int i = 0; i < 2048; ++i) s.in[0][i] = s.in[1][i] = (i % 2 ? 1e-310 : 0.0);
  for (int block = 0; block < 50; ++block) {
    s.Run(path, params, 44100.0);
    for (double v : s.out[0]) ASSERT_NE(std::fpclassify(v), FP_SUBNORMAL);
  }
  EXPECT_NE(s.out[0].back(), 0.0);  // small but not exactly zero
  EXPECT_LT(std::fabs(s.out[0].back()), 1e-4);
}

TEST(SignalPath, ChannelCapacityIsAtLeastTwo) {
  SignalPath one(1);
  EXPECT_EQ(one.GetChannelCapacity(), 2);
  // Asking for more connected outputs than the capacity processes only the
  // channels that exist.
  effect_test::SeedSequence seeds;
  effect_test::Params params;
  double values[ombrisk::kNumParams];
  params.Values(values);
  std::vector<double> a(16, 0.1), b(16, 0.1), o0(16), o1(16);
  double* ins[2] = {a.data(), b.data()};
  double* outs[2] = {o0.data(), o1.data()};
  one.ProcessAudioBlock(values, 44100.0, 8, ins, outs, 16);
  EXPECT_NE(o1[15], 0.0);
}

}  // namespace
