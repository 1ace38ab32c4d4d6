// The effect driven the way a host binding drives it: parameters, the
// processor frame's float and double paths, channel connections and a second
// thread automating parameters.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "EffectTestSupport.h"
#include "core/IFxProcessor.h"
#include "effect/DenormalNoise.h"
#include "effect/SignalPath.h"

namespace {

class TestEffect : public fx::IFxProcessor {
 public:
  TestEffect() : fx::IFxProcessor(Config()), path(2) {
    MarkChannelsConnected(fx::kInput, 0, NChannels(fx::kInput), true);
    MarkChannelsConnected(fx::kOutput, 0, NChannels(fx::kOutput), true);
    ChangeBlockSize(512);
  }
  void ProcessAudioBlock(double** inputs, double** outputs, std::int32_t nFrames) override {
    double values[ombrisk::kNumParams];
    params.Values(values);
    path.ProcessAudioBlock(values, GetSampleRate(), NChannelsConnected(fx::kOutput), inputs, outputs, nFrames);
  }
  void OnProcessorReset() override { path.OnProcessorReset(GetSampleRate()); }
  bool SendMidiMessage(const fx::MidiMessage&) override { return false; }

  effect_test::Params params;
  ombrisk::SignalPath path;

 private:
  static fx::IFxConfig Config() {
    fx::IFxConfig c;
    c.nParams = 7;
    c.channelIOString = "1-1 2-2";
    return c;
  }
};

std::vector<float> Tone(int n, float amp) {
  std::vector<float> v(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = amp * static_cast<float>(std::sin(i * 0.02));
  return v;
}

TEST(EffectThroughFrame, FloatPathMatchesTheDoublePath) {
  std::vector<float> in = Tone(512, 0.8f);
  std::vector<float> outL(512), outR(512);
  std::vector<double> inD(in.begin(), in.end()), dL(512), dR(512);
  {
    effect_test::SeedSequence seeds(8);
    ombrisk::SetNoiseCounter(0);
    TestEffect fx;
    fx.SetSampleRate(48000.0);
    fx.OnProcessorReset();
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {outL.data(), outR.data()};
    fx.AttachHostFloatBuffers(fx::kInput, 2, ins, 512);
    fx.AttachHostFloatBuffers(fx::kOutput, 2, outs, 512);
    fx.ProcessAudioBlock(fx.GetBlockPointers(fx::kInput), fx.GetBlockPointers(fx::kOutput), 512);
    fx::IFxProcessor::ConvertToFloat(fx.GetBlockPointers(fx::kOutput)[0], outL.data(), 512);
  }
  {
    effect_test::SeedSequence seeds(8);
    ombrisk::SetNoiseCounter(0);
    TestEffect fx;
    fx.SetSampleRate(48000.0);
    fx.OnProcessorReset();
    double* ins[2] = {inD.data(), inD.data()};
    double* outs[2] = {dL.data(), dR.data()};
    fx.AttachHostBuffers(fx::kInput, 2, ins);
    fx.AttachHostBuffers(fx::kOutput, 2, outs);
    fx.ProcessAudioBlock(fx.GetBlockPointers(fx::kInput), fx.GetBlockPointers(fx::kOutput), 512);
  }
  for (int i = 0; i < 512; ++i) ASSERT_EQ(outL[static_cast<std::size_t>(i)], static_cast<float>(dL[static_cast<std::size_t>(i)]));
  EXPECT_NE(outL[300], 0.0f);
}

TEST(EffectThroughFrame, MonoUseStillProcessesTwoChannels) {
  effect_test::SeedSequence seeds;
  TestEffect fx;
  fx.MarkChannelsConnected(fx::kInput, 1, 1, false);
  fx.MarkChannelsConnected(fx::kOutput, 1, 1, false);
  std::vector<float> in = Tone(256, 0.5f), out(256, 0.0f);
  float* ins[1] = {in.data()};
  float* outs[1] = {out.data()};
  fx.AttachHostFloatBuffers(fx::kInput, 1, ins, 256);
  fx.AttachHostFloatBuffers(fx::kOutput, 1, outs, 256);
  fx.ProcessFloatBlockAccumulating(256);
  EXPECT_NE(out[200], 0.0f);
  EXPECT_FALSE(fx.path.IsChannelStateZero(1));  // the second channel ran on scratch buffers
}

TEST(EffectThroughFrame, AutomationFromAnotherThreadWhileProcessing) {
  TestEffect fx;
  fx.SetSampleRate(44100.0);
  fx.OnProcessorReset();
  std::atomic<bool> done{false};
  std::thread automation([&] {
    unsigned k = 0;
    while (!done.load()) {
      for (int i = 0; i < ombrisk::kNumParams; ++i) fx.params.p[i].SetNormalizedValue(((k * 7 + static_cast<unsigned>(i) * 13) % 101) / 100.0);
      ++k;
    }
  });
  std::vector<float> in = Tone(512, 1.0f), out(512);
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {out.data(), out.data()};
  // The first sample that is not a finite number within [-1, 1].
  std::string firstBad;
  for (int block = 0; block < 400 && firstBad.empty(); ++block) {
    fx.AttachHostFloatBuffers(fx::kInput, 2, ins, 512);
    fx.AttachHostFloatBuffers(fx::kOutput, 2, outs, 512);
    fx.ProcessAudioBlock(fx.GetBlockPointers(fx::kInput), fx.GetBlockPointers(fx::kOutput), 512);
    for (int ch = 0; ch < 2 && firstBad.empty(); ++ch) {
      for (int i = 0; i < 512; ++i) {
        const double v = fx.GetBlockPointers(fx::kOutput)[ch][i];
        if (!(std::fabs(v) <= 1.0)) {  // also NaN
          firstBad = "block " + std::to_string(block) + " channel " + std::to_string(ch) + " sample " +
                     std::to_string(i) + " = " + std::to_string(v);
          break;
        }
      }
    }
  }
  done.store(true);
  automation.join();
  EXPECT_EQ(firstBad, "") << "first bad output sample";
}

}  // namespace
