// The binding driven directly, with the effect linked in: host queries,
// transport, capabilities, vendor queries, keys and deterministic processing.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "FakeHost.h"
#include "effect/BlockRandom.h"
#include "effect/DenormalNoise.h"
#include "effect/Ombrisk.h"
#include "vst2/PluginFactory.h"

namespace {

using vst2_test::FakeHost;

struct Plugin {
  Plugin() : fx(static_cast<ombrisk::Ombrisk*>(fx::MakeVstPlugin({&FakeHost::Callback}))) {}
  ~Plugin() {
    if (fx) Call(vst2::effClose);
  }
  std::intptr_t Call(std::int32_t op, std::int32_t index = 0, std::intptr_t value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    vst2::AEffect* e = fx->GetAEffect();
    return e->dispatcher(e, op, index, value, ptr, opt);
  }
  ombrisk::Ombrisk* fx;
};

class Binding : public ::testing::Test {
 protected:
  void SetUp() override { FakeHost::Instance().Reset(); }
};

TEST_F(Binding, OpenIdentifiesTheHostOnce) {
  Plugin p;
  FakeHost::Instance().vendorVersion = 10203;
  p.Call(vst2::effOpen);
  EXPECT_EQ(p.fx->GetHostId(), 3);  // Cubase VST
  EXPECT_EQ(p.fx->GetHostVersion(), (1 << 16) | (2 << 8) | 3);
  const int asked = FakeHost::Instance().Count(vst2::audioMasterGetProductString);
  p.Call(vst2::effOpen);
  EXPECT_EQ(FakeHost::Instance().Count(vst2::audioMasterGetProductString), asked);

  FakeHost::Instance().product = "";
  Plugin unknown;
  unknown.Call(vst2::effOpen);
  EXPECT_EQ(unknown.fx->GetHostId(), 0);
  EXPECT_EQ(unknown.fx->GetHostVersion(), 0);
}

TEST_F(Binding, TransportFollowsTheHostsValidFlags) {
  Plugin p;
  std::vector<float> buf(16);
  float* io[2] = {buf.data(), buf.data()};
  p.fx->GetAEffect()->processReplacing(p.fx->GetAEffect(), io, io, 16);
  const fx::TransportState& t = p.fx->GetTransport();
  EXPECT_EQ(t.tempo, 120.0);
  EXPECT_EQ(t.samplePosition, -1.0);
  EXPECT_EQ(t.ppqPosition, -1.0);
  EXPECT_EQ(t.numerator, 4);
  EXPECT_FALSE(t.isPlaying);
  EXPECT_FALSE(p.fx->GetRenderingOffline());

  vst2::VstTimeInfo info{};
  info.samplePos = 4410.0;
  info.ppqPos = 8.5;
  info.tempo = 0.0;  // invalid although flagged
  info.barStartPos = 8.0;
  info.cycleStartPos = 4.0;
  info.cycleEndPos = -1.0;  // both or neither
  info.timeSigNumerator = 3;
  info.timeSigDenominator = 0;  // both or neither
  info.flags = vst2::kVstPpqPosValid | vst2::kVstTempoValid | vst2::kVstBarsValid | vst2::kVstCyclePosValid |
               vst2::kVstTimeSigValid | vst2::kVstTransportPlaying | vst2::kVstTransportCycleActive;
  FakeHost::Instance().timeInfo = &info;
  FakeHost::Instance().processLevel = vst2::kVstProcessLevelOffline;
  p.fx->GetAEffect()->processReplacing(p.fx->GetAEffect(), io, io, 16);
  EXPECT_EQ(t.samplePosition, 4410.0);
  EXPECT_EQ(t.ppqPosition, 8.5);
  EXPECT_EQ(t.tempo, 120.0);
  EXPECT_EQ(t.lastBarPosition, 8.0);
  EXPECT_EQ(t.cycleStart, -1.0);
  EXPECT_EQ(t.numerator, 4);
  EXPECT_EQ(t.denominator, 4);
  EXPECT_TRUE(t.isPlaying);
  EXPECT_TRUE(t.isLooping);
  EXPECT_TRUE(p.fx->GetRenderingOffline());

  info.tempo = 98.0;
  info.cycleEndPos = 12.0;
  info.timeSigDenominator = 8;
  info.flags &= ~vst2::kVstPpqPosValid;
  FakeHost::Instance().processLevel = 2;
  p.fx->GetAEffect()->processReplacing(p.fx->GetAEffect(), io, io, 16);
  EXPECT_EQ(t.tempo, 98.0);
  EXPECT_EQ(t.ppqPosition, -1.0);
  EXPECT_EQ(t.cycleEnd, 12.0);
  EXPECT_EQ(t.numerator, 3);
  EXPECT_EQ(t.denominator, 8);
  EXPECT_FALSE(p.fx->GetRenderingOffline());
  FakeHost::Instance().timeInfo = nullptr;
}

TEST_F(Binding, CapabilitiesAndHostExtensions) {
  Plugin p;
  auto canDo = [&](const char* text) { return p.Call(vst2::effCanDo, 0, 0, const_cast<char*>(text)); };
  EXPECT_EQ(canDo("receiveVstTimeInfo"), 1);
  EXPECT_EQ(canDo("receiveVstEvents"), 0);  // no MIDI input
  EXPECT_EQ(canDo("sendVstMidiEvent"), 0);
  EXPECT_EQ(canDo("wantsChannelCountNotifications"), 1);
  EXPECT_EQ(canDo("MPE"), 0);
  EXPECT_EQ(canDo("somethingElse"), 0);
  EXPECT_EQ(p.fx->GetHostExtensions(), 0);
  EXPECT_EQ(canDo("hasCockosExtensions"), static_cast<std::intptr_t>(0xBEEF0000));
  EXPECT_EQ(p.fx->GetHostExtensions(), 1);
  EXPECT_EQ(canDo("hasCockosViewAsConfig"), static_cast<std::intptr_t>(0xBEEF0000));
  EXPECT_EQ(p.fx->GetHostExtensions(), 3);
  EXPECT_EQ(canDo("HasCockosExtensions"), 0);  // case-sensitive
}

TEST_F(Binding, VendorQueries) {
  Plugin p;
  char text[64] = {};
  EXPECT_EQ(p.Call(vst2::effVendorSpecific, 7, 0, text, 0.25f), 0xBEEF);
  EXPECT_STREQ(text, "50.00");  // 0.25 of 0..200 %
  EXPECT_EQ(p.Call(vst2::effVendorSpecific, 7, 99, text, 0.25f), 0xBEEF);  // bad index: answered, untouched
  EXPECT_STREQ(text, "50.00");
  EXPECT_EQ(p.Call(vst2::effVendorSpecific, 7, 0, nullptr, 0.25f), 0);
  EXPECT_EQ(p.Call(vst2::effVendorSpecific, 8, 3), 0);  // real parameters go to the hook
  std::strcpy(text, "150");
  EXPECT_EQ(p.Call(vst2::effVendorSpecific, 27, 0, text), 0xBEEF);
  EXPECT_STREQ(text, "0.75000000000000000");
  text[0] = '\0';
  EXPECT_EQ(p.Call(vst2::effVendorSpecific, 27, 0, text), 0xBEEF);
  EXPECT_STREQ(text, "");
}

TEST_F(Binding, StringToParameterSetsTheValueAndTellsTheEditorQueue) {
  Plugin p;
  char text[] = "150";
  EXPECT_EQ(p.Call(vst2::effString2Parameter, 0, 0, text), 1);
  EXPECT_EQ(p.fx->GetParam(0)->GetValue(), 150.0);
  fx::IFxAPIBase::ParamChange change;
  ASSERT_TRUE(p.fx->ParamsToEditor().Pop(change));
  EXPECT_EQ(change.index, 0);
  EXPECT_EQ(change.value, 150.0);
  p.fx->GetAEffect()->setParameter(p.fx->GetAEffect(), 5, 0.25f);
  ASSERT_TRUE(p.fx->ParamsToEditor().Pop(change));
  EXPECT_EQ(change.value, 50.0);  // queued as a real value
}

TEST_F(Binding, KeyEventsMapVirtualKeys) {
  EXPECT_EQ(fx::IFxVST2::MapVirtualKey(vst2::VKEY_PAGEDOWN, 0), 0x22);
  EXPECT_EQ(fx::IFxVST2::MapVirtualKey(vst2::VKEY_NEXT, 0), 0x22);
  EXPECT_EQ(fx::IFxVST2::MapVirtualKey(vst2::VKEY_F1, 0), 0x70);
  EXPECT_EQ(fx::IFxVST2::MapVirtualKey(vst2::VKEY_ALT, 0), 0x12);
  EXPECT_EQ(fx::IFxVST2::MapVirtualKey(vst2::VKEY_ENTER, 0), 0x0D);
  EXPECT_EQ(fx::IFxVST2::MapVirtualKey(99, 0), 0);
  EXPECT_EQ(fx::IFxVST2::MapVirtualKey(-4, 0), 0);
  EXPECT_EQ(fx::IFxVST2::MapVirtualKey(0, 'a') & 0xFF, 'A');
  Plugin p;
  // No editor is open: the key is not taken.
  EXPECT_EQ(p.Call(vst2::effEditKeyDown, 'a', 0, nullptr, 9.0f), 0);
  EXPECT_EQ(p.Call(vst2::effEditKeyUp, 0x20AC, 0, nullptr, std::nanf("")), 0);
}

TEST_F(Binding, SpeakerArrangementsConnectChannels) {
  Plugin p;
  vst2::VstSpeakerArrangement* in = nullptr;
  vst2::VstSpeakerArrangement* out = nullptr;
  EXPECT_EQ(p.Call(vst2::effGetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(&in), &out), 1);
  ASSERT_TRUE(in && out);
  EXPECT_EQ(in->numChannels, 2);
  EXPECT_EQ(in->type, vst2::kSpeakerArrStereo);
  vst2::VstSpeakerArrangement mono{};
  mono.numChannels = 1;
  vst2::VstSpeakerArrangement wide{};
  wide.numChannels = 6;
  EXPECT_EQ(p.Call(vst2::effSetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(&mono), &mono), 1);
  EXPECT_EQ(p.fx->NChannelsConnected(fx::kInput), 1);
  EXPECT_EQ(p.fx->NChannelsConnected(fx::kOutput), 1);
  EXPECT_EQ(p.Call(vst2::effSetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(&wide), &mono), 0);
  EXPECT_EQ(in->numChannels, 2);  // the stored record is not changed

  // A negative count is refused and connects or disconnects nothing; the
  // inputs are settled before the outputs are looked at.
  vst2::VstSpeakerArrangement negative{};
  negative.numChannels = -1;
  vst2::VstSpeakerArrangement stereo{};
  stereo.numChannels = 2;
  EXPECT_EQ(p.Call(vst2::effSetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(&negative), &stereo), 0);
  EXPECT_EQ(p.fx->NChannelsConnected(fx::kInput), 1);
  EXPECT_EQ(p.fx->NChannelsConnected(fx::kOutput), 1);
  negative.numChannels = -2147483647 - 1;
  EXPECT_EQ(p.Call(vst2::effSetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(&stereo), &negative), 0);
  EXPECT_EQ(p.fx->NChannelsConnected(fx::kInput), 2);
  EXPECT_EQ(p.fx->NChannelsConnected(fx::kOutput), 1);
  EXPECT_EQ(p.Call(vst2::effSetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(&mono), &mono), 1);

  // Mono processing still runs two channels, the second on the frame's buffers.
  std::vector<float> buf(64, 0.3f), out0(64);
  float* ins[1] = {buf.data()};
  float* outs[1] = {out0.data()};
  p.fx->GetAEffect()->processReplacing(p.fx->GetAEffect(), ins, outs, 64);
  EXPECT_NE(out0[63], 0.0f);
}

#if !defined(_WIN32)
// Linux hosts have no message loop of ours to run the editor timer: their
// effEditIdle calls drive it.
TEST_F(Binding, EditorIdleCallsTickTheEditorTimer) {
  struct Counting : fx::IFxVST2 {
    static fx::IFxConfig Config() {
      fx::IFxConfig c;
      c.nParams = 1;
      c.channelIOString = "2-2";
      return c;
    }
    Counting() : fx::IFxVST2(fx::HostLaunchInfo{&FakeHost::Callback}, Config()) {}
    void OnIdleTick() override { ++ticks; }
    int ticks = 0;
  };
  auto* fx = new Counting;
  vst2::AEffect* e = fx->GetAEffect();
  // Longer than the 20 ms period, measured on the same steady clock.
  std::this_thread::sleep_for(std::chrono::milliseconds(25));
  EXPECT_EQ(e->dispatcher(e, vst2::effEditIdle, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(fx->ticks, 1);
  e->dispatcher(e, vst2::effClose, 0, 0, nullptr, 0.0f);
}
#endif

TEST_F(Binding, MidiAndLatencyTalkToTheHost) {
  Plugin p;
  EXPECT_TRUE(p.fx->SendMidiMessage({3, 0x90, 64, 100}));
  EXPECT_EQ(FakeHost::Instance().lastMidi, (std::vector<std::uint8_t>{0x90, 64, 100, 0}));
  FakeHost::Instance().processEventsAnswer = 0;
  EXPECT_FALSE(p.fx->SendMidiMessage({0, 0x80, 64, 0}));
  const std::uint8_t bytes[] = {0xF0, 1, 2, 0xF7};
  FakeHost::Instance().processEventsAnswer = 1;
  EXPECT_TRUE(p.fx->SendSysExMessage({0, 4, bytes}));
  EXPECT_EQ(FakeHost::Instance().lastSysExSize, 4);
  p.fx->ChangeLatency(32);
  EXPECT_EQ(p.fx->GetAEffect()->initialDelay, 32);
  EXPECT_EQ(FakeHost::Instance().Count(vst2::audioMasterIOChanged), 1);
}

TEST_F(Binding, ResizeRequestsGoToTheHost) {
  Plugin p;
#if defined(_WIN32)
  EXPECT_FALSE(p.fx->ResizeEditorWindow(1630, 1010));  // unchanged size
  EXPECT_TRUE(p.fx->ResizeEditorWindow(900, 600));
  EXPECT_EQ(p.fx->GetEditorRect().right, 900);
  EXPECT_EQ(FakeHost::Instance().Count(vst2::audioMasterSizeWindow), 1);
#else
  EXPECT_FALSE(p.fx->ResizeEditorWindow(900, 600));  // no editor
#endif
}

// Seeds for the determinism tests: the same value for every block.
std::uint32_t ConstantSeed(void*) { return 0x1234567u; }

std::vector<float> Render(std::int32_t announcedBlock, std::int32_t hostBlock) {
  ombrisk::SetNoiseCounter(0);
  Plugin p;
  p.Call(vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
  p.Call(vst2::effSetBlockSize, 0, announcedBlock);
  std::vector<float> in(3000), out(3000);
  for (int i = 0; i < 3000; ++i) in[i] = 0.9f * static_cast<float>(std::sin(i * 0.013)) + (i % 97 == 0 ? 0.3f : 0.0f);
  for (int start = 0; start < 3000; start += hostBlock) {
    const int n = std::min(hostBlock, 3000 - start);
    float* ins[2] = {in.data() + start, in.data() + start};
    std::vector<float> right(static_cast<std::size_t>(n));
    float* outs[2] = {out.data() + start, right.data()};
    p.fx->GetAEffect()->processReplacing(p.fx->GetAEffect(), ins, outs, n);
  }
  return out;
}

TEST_F(Binding, OversizedBlocksEqualTheirSlices) {
  ombrisk::SetBlockSeedProvider(&ConstantSeed, nullptr);
  // A 1000-frame host block with 100 announced is processed as ten blocks of
  // 100: the same as a host that keeps to its announcement.
  EXPECT_EQ(Render(100, 1000), Render(100, 100));
  ombrisk::SetBlockSeedProvider(nullptr, nullptr);
}

TEST_F(Binding, InstancesOnSeveralThreadsDoNotInterfere) {
  ombrisk::SetBlockSeedProvider(&ConstantSeed, nullptr);
  constexpr int kInstances = 16;
  std::vector<std::unique_ptr<Plugin>> plugins;
  for (int i = 0; i < kInstances; ++i) plugins.push_back(std::make_unique<Plugin>());
  std::vector<std::vector<double>> results(kInstances);
  std::vector<std::thread> threads;
  for (int t = 0; t < kInstances; ++t) {
    threads.emplace_back([&, t] {
      vst2::AEffect* e = plugins[static_cast<std::size_t>(t)]->fx->GetAEffect();
      // Inputs never fall under the noise guard, so the shared noise counter
      // plays no part and every instance must produce the same output.
      std::vector<double> in(256), o0(256), o1(256);
      for (int i = 0; i < 256; ++i) in[i] = 0.5 + 0.45 * std::sin(i * 0.2);
      double* ins[2] = {in.data(), in.data()};
      double* outs[2] = {o0.data(), o1.data()};
      for (int block = 0; block < 100; ++block) {
        e->processDoubleReplacing(e, ins, outs, 256);
        results[static_cast<std::size_t>(t)].insert(results[static_cast<std::size_t>(t)].end(), o0.begin(), o0.end());
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 1; t < kInstances; ++t) EXPECT_EQ(results[static_cast<std::size_t>(t)], results[0]) << t;
  ombrisk::SetBlockSeedProvider(nullptr, nullptr);
}

}  // namespace
