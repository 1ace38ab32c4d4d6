#include <gtest/gtest.h>

#include <vector>

#include "TraceCapture.h"
#include "core/IFxProcessor.h"

namespace {

using fx::kInput;
using fx::kOutput;

class Frame : public fx::IFxProcessor {
 public:
  explicit Frame(const char* io) : fx::IFxProcessor(MakeConfig(io)) {}
  bool SendMidiMessage(const fx::MidiMessage& m) override {
    sent.push_back(m);
    return m.status != 0xFF;  // 0xFF stands for a message the host refuses
  }
  std::vector<fx::MidiMessage> sent;

 private:
  static fx::IFxConfig MakeConfig(const char* io) {
    fx::IFxConfig c;
    c.channelIOString = io;
    c.latency = 3;
    c.midiIn = true;
    return c;
  }
};

TEST(IFxProcessor, ParsesTheEffectsIOString) {
  testing_support::TraceCapture trace;
  Frame f("1-1 2-2");
  EXPECT_EQ(f.NIOLayouts(), 2);
  EXPECT_EQ(f.NChannels(kInput), 2);
  EXPECT_EQ(f.NChannels(kOutput), 2);
  EXPECT_EQ(f.NBusesMax(kInput), 1);
  EXPECT_EQ(f.NBusesMax(kOutput), 1);
  EXPECT_EQ(f.GetIOLayout(0)->TotalChannels(kInput), 1);
  EXPECT_EQ(f.GetIOLayout(1)->GetBus(kOutput, 0)->nChannels, 2);
  EXPECT_EQ(f.GetIOLayout(2), nullptr);
  EXPECT_TRUE(f.LegalIO(1, -1));
  EXPECT_TRUE(f.LegalIO(2, 2));
  EXPECT_FALSE(f.LegalIO(1, 2));
  EXPECT_EQ(trace.TextsOf("fx::IFxProcessor::LegalIO"),
            (std::vector<std::string>{"1:-1:legal", "2:2:legal", "1:2:illegal"}));
  EXPECT_EQ(trace.Records().back().format, "%d:%d:%s");
  EXPECT_EQ(f.GetLatency(), 3);
  EXPECT_TRUE(f.DoesMidiIn());
  EXPECT_EQ(f.GetSampleRate(), 44100.0);
  EXPECT_EQ(f.GetBlockSize(), 0);
  EXPECT_EQ(f.GetTransport().tempo, 120.0);
  EXPECT_EQ(f.GetTransport().ppqPosition, -1.0);
}

TEST(IFxProcessor, ParsesOtherLayoutStrings) {
  Frame twice("2-2   2-2");
  EXPECT_EQ(twice.NIOLayouts(), 2);  // repeats are kept

  Frame generator("0-2");
  EXPECT_EQ(generator.GetIOLayout(0)->NBuses(kInput), 0);
  EXPECT_EQ(generator.GetIOLayout(0)->TotalChannels(kInput), 0);
  EXPECT_EQ(generator.GetIOLayout(0)->NBuses(kOutput), 1);
  EXPECT_EQ(generator.NChannels(kInput), 0);

  Frame sidechain("1.1-2");
  EXPECT_EQ(sidechain.GetIOLayout(0)->NBuses(kInput), 2);
  EXPECT_EQ(sidechain.GetIOLayout(0)->TotalChannels(kInput), 2);
  EXPECT_EQ(sidechain.NBusesMax(kInput), 2);

  Frame wildcard("*-2");
  EXPECT_EQ(wildcard.GetIOLayout(0)->TotalChannels(kInput), -64);
  EXPECT_EQ(wildcard.NChannels(kInput), 0);  // a negative total creates no slots

  Frame empty("");
  EXPECT_EQ(empty.NIOLayouts(), 0);
  EXPECT_FALSE(empty.LegalIO(-1, -1));

  Frame absurd("99999999999-2 x-y-z");
  EXPECT_EQ(absurd.NIOLayouts(), 2);
  EXPECT_EQ(absurd.NChannels(kInput), fx::IFxProcessor::kMaxChannels);
}

TEST(IFxProcessor, NamesBuses) {
  Frame f("1-1 2-2");
  fx::TextBuffer out;
  const struct {
    fx::BusDirection d;
    int index, count;
    const char* name;
  } cases[] = {{kInput, 0, 1, "Input"},  {kInput, 0, 2, "Main"},      {kInput, 1, 2, "Aux"},
               {kInput, 2, 3, "Input 2"}, {kOutput, 0, 1, "Output"},  {kOutput, 1, 2, "Output 1"},
               {kOutput, 1, 3, "Output 1"}};
  for (const auto& c : cases) {
    f.FormatBusName(c.d, c.index, c.count, out);
    EXPECT_STREQ(out.Get(), c.name);
  }
}

TEST(IFxProcessor, UnconnectedChannelsKeepTheirScratchBuffers) {
  Frame f("2-2");
  f.ChangeBlockSize(16);
  f.MarkChannelsConnected(kOutput, 0, 1, true);
  f.MarkChannelsConnected(kOutput, 1, 1, false);
  EXPECT_EQ(f.NChannelsConnected(kOutput), 1);
  double a[16], b[16];
  double* host[] = {a, b};
  f.AttachHostBuffers(kOutput, 2, host);
  double** pointers = f.GetBlockPointers(kOutput);
  EXPECT_EQ(pointers[0], a);
  EXPECT_EQ(pointers[1], f.GetChannelSlot(kOutput, 1)->scratch.data());

  // Out-of-range marks are clipped, never written past the slots.
  f.MarkChannelsConnected(kOutput, -5, 100, true);
  EXPECT_EQ(f.NChannelsConnected(kOutput), 2);
  f.MarkChannelsConnected(static_cast<fx::BusDirection>(7), 0, 1, true);
  EXPECT_EQ(f.GetChannelSlot(kOutput, 2), nullptr);
}

TEST(IFxProcessor, NullHostPointersFallBackToScratch) {
  Frame f("2-2");
  f.ChangeBlockSize(8);
  f.MarkChannelsConnected(kInput, 0, 2, true);
  double a[8];
  double* host[] = {a, nullptr};
  f.AttachHostBuffers(kInput, 2, host);
  EXPECT_EQ(f.GetBlockPointers(kInput)[0], a);
  EXPECT_EQ(f.GetBlockPointers(kInput)[1], f.GetChannelSlot(kInput, 1)->scratch.data());
  f.AttachHostBuffers(kInput, 2, nullptr);
  EXPECT_EQ(f.GetBlockPointers(kInput)[0], f.GetChannelSlot(kInput, 0)->scratch.data());
}

TEST(IFxProcessor, BlockSizeChangesResizeScratchOnlyWhenDifferent) {
  Frame f("1-1 2-2");
  f.ChangeBlockSize(64);
  const double* before = f.GetChannelSlot(kInput, 0)->scratch.data();
  f.ChangeBlockSize(64);
  EXPECT_EQ(f.GetChannelSlot(kInput, 0)->scratch.data(), before);
  f.ChangeBlockSize(128);
  EXPECT_EQ(f.GetBlockSize(), 128);
  EXPECT_EQ(f.GetChannelSlot(kOutput, 1)->scratch.size(), 128u);
  // Unconnected slots follow their new storage.
  EXPECT_EQ(f.GetBlockPointers(kOutput)[1], f.GetChannelSlot(kOutput, 1)->scratch.data());
  f.ChangeBlockSize(-1);
  EXPECT_EQ(f.GetBlockSize(), 128);
}

TEST(IFxProcessor, FloatPathsConvertAndAccumulate) {
  Frame f("1-1 2-2");
  f.ChangeBlockSize(4);
  f.MarkChannelsConnected(kInput, 0, 2, true);
  f.MarkChannelsConnected(kOutput, 0, 2, true);
  float in0[4] = {0.5f, -0.25f, 1.0f, 0.0f}, in1[4] = {1, 2, 3, 4};
  float out0[4] = {10, 10, 10, 10}, out1[4] = {0, 0, 0, 0};
  float* ins[] = {in0, in1};
  float* outs[] = {out0, out1};
  f.AttachHostFloatBuffers(kInput, 2, ins, 4);
  f.AttachHostFloatBuffers(kOutput, 2, outs, 4);
  EXPECT_EQ(f.GetBlockPointers(kInput)[0][1], -0.25);
  f.ProcessFloatBlockAccumulating(4);  // the default copies input to output
  EXPECT_EQ(out0[0], 10.5f);
  EXPECT_EQ(out0[1], 9.75f);
  EXPECT_EQ(out1[3], 4.0f);

  float converted[4];
  fx::IFxProcessor::ConvertToFloat(f.GetBlockPointers(kOutput)[1], converted, 4);
  EXPECT_EQ(converted[2], 3.0f);

  // Replacing writes over the host's buffer; a disconnected output's host
  // buffer keeps what the host put there.
  f.AttachHostFloatBuffers(kInput, 2, ins, 4);
  f.AttachHostFloatBuffers(kOutput, 2, outs, 4);
  f.ProcessFloatBlockReplacing(4);
  EXPECT_EQ(out0[0], 0.5f);
  EXPECT_EQ(out0[1], -0.25f);
  EXPECT_EQ(out1[3], 4.0f);
  f.MarkChannelsConnected(kOutput, 1, 1, false);
  float untouched[4] = {7, 7, 7, 7};
  float* outs2[] = {out0, untouched};
  f.AttachHostFloatBuffers(kInput, 2, ins, 4);
  f.AttachHostFloatBuffers(kOutput, 2, outs2, 4);
  f.ProcessFloatBlockReplacing(4);
  f.ProcessFloatBlockAccumulating(4);
  EXPECT_EQ(untouched[0], 7.0f);
  EXPECT_EQ(untouched[3], 7.0f);
  EXPECT_EQ(out0[2], 2.0f);  // replaced with 1, then 1 added
}

TEST(IFxProcessor, DoubleBlocksRunInPlaceAndSilenceInputsWithoutABuffer) {
  Frame f("2-2");
  f.ChangeBlockSize(4);
  f.MarkChannelsConnected(kInput, 0, 2, true);
  f.MarkChannelsConnected(kOutput, 0, 2, true);
  // Leave data in the second input's own buffer from a float block first.
  float fin[4] = {5, 5, 5, 5};
  float* fins[] = {fin, fin};
  f.AttachHostFloatBuffers(kInput, 2, fins, 4);
  double in0[4] = {1, 2, 3, 4}, o0[4] = {}, o1[4] = {9, 9, 9, 9};
  double* ins[] = {in0, nullptr};
  double* outs[] = {o0, o1};
  f.AttachHostBuffers(kInput, 2, ins);
  f.AttachHostBuffers(kOutput, 2, outs);
  EXPECT_EQ(f.GetBlockPointers(kInput)[0], in0);
  f.ProcessDoubleBlock(4);  // the default copies input to output
  EXPECT_EQ(o0[3], 4.0);
  EXPECT_EQ(o1[0], 0.0);  // silence, not the 5s of the float block
  EXPECT_EQ(o1[3], 0.0);
  f.ProcessDoubleBlock(-3);  // nothing happens, nothing breaks
}

TEST(IFxProcessor, FloatPathsNeverRunPastTheBlockSize) {
  Frame f("2-2");
  f.ChangeBlockSize(4);
  f.MarkChannelsConnected(kInput, 0, 2, true);
  f.MarkChannelsConnected(kOutput, 0, 2, true);
  std::vector<float> in(64, 1.0f), out(64, 0.0f);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {out.data(), out.data() + 32};
  f.AttachHostFloatBuffers(kInput, 2, ins, 64);
  f.AttachHostFloatBuffers(kOutput, 2, outs, 64);
  f.ProcessFloatBlockAccumulating(64);
  // Only the announced block size is processed; the sanitizer build checks
  // that nothing beyond the scratch buffers was touched.
  EXPECT_EQ(out[3], 1.0f);
  EXPECT_EQ(out[4], 0.0f);
}

TEST(IFxProcessor, DefaultProcessingCopiesOrSilences) {
  Frame f("1-2");
  double in[3] = {1, 2, 3}, o0[3] = {9, 9, 9}, o1[3] = {9, 9, 9};
  double* ins[] = {in};
  double* outs[] = {o0, o1};
  f.ProcessAudioBlock(ins, outs, 3);
  EXPECT_EQ(o0[2], 3.0);
  EXPECT_EQ(o1[0], 0.0);
  f.ProcessAudioBlock(ins, outs, -4);  // nothing happens, nothing breaks
  f.ProcessAudioBlock(nullptr, outs, 3);
  EXPECT_EQ(o0[0], 0.0);
}

TEST(IFxProcessor, MidiGoesOutAndSendsReportEveryFailure) {
  Frame f("2-2");
  f.ProcessMidiMessage({3, 0x90, 60, 100});
  ASSERT_EQ(f.sent.size(), 1u);
  EXPECT_EQ(f.sent[0].data1, 60);
  EXPECT_TRUE(f.SendMidiMessages({{0, 0x80, 1, 2}, {1, 0x80, 3, 4}}));
  EXPECT_FALSE(f.SendMidiMessages({{0, 0xFF, 0, 0}, {1, 0x80, 5, 6}}));
  EXPECT_EQ(f.sent.back().data1, 5);  // sent after a failure too
  EXPECT_FALSE(f.SendSysExMessage({}));
  f.ChangeLatency(128);
  EXPECT_EQ(f.GetLatency(), 128);
}

}  // namespace
