// The binding driven directly, with the effect linked in: host queries,
// transport, capabilities, vendor queries, keys and deterministic processing.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FakeHost.h"
#include "effect/BlockRandom.h"
#include "effect/DenormalNoise.h"
#include "effect/Ombrisk.h"
#include "effect/OmbriskParameters.h"
#include "effect/RateCoefficientTable.h"
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

  // An empty product string: no version is asked for, the host is unknown.
  FakeHost::Instance().Reset();
  FakeHost::Instance().product = "";
  Plugin unknown;
  unknown.Call(vst2::effOpen);
  EXPECT_EQ(unknown.fx->GetHostId(), fx::kHostUnknown);
  EXPECT_EQ(unknown.fx->GetHostVersion(), 0);
  EXPECT_EQ(FakeHost::Instance().Count(vst2::audioMasterGetProductString), 1);
  EXPECT_EQ(FakeHost::Instance().Count(vst2::audioMasterGetVendorVersion), 0);
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
  EXPECT_FALSE(p.fx->ResizeEditorWindow(815, 505));  // unchanged: the size the editor opens at
  EXPECT_TRUE(p.fx->ResizeEditorWindow(900, 600));
  EXPECT_EQ(p.fx->GetEditorRect().right, 900);
  EXPECT_EQ(FakeHost::Instance().Count(vst2::audioMasterSizeWindow), 1);
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

// ------------------------------------------------------------------------
// Host-observable answers of the dispatcher and the block callbacks.

namespace observable {

// A bare binding with two presets, two parameters, MIDI both ways and a
// key-name hook: what the effect itself does not exercise.
class Bare : public fx::IFxVST2 {
 public:
  Bare() : fx::IFxVST2(fx::HostLaunchInfo{&FakeHost::Callback}, Config()) {
    GetParam(0)->InitReal("Level", 10.0, 0.0, 100.0, 0.5, "dB", fx::IParam::ShapeLinear());
    GetParam(1)->InitReal("Mode", 0.0, 0.0, 3.0, 1.0, "", fx::IParam::ShapeLinear());
    SeedUninitializedPresets();
  }
  std::intptr_t Call(std::int32_t op, std::int32_t index = 0, std::intptr_t value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
    return GetAEffect()->dispatcher(GetAEffect(), op, index, value, ptr, opt);
  }
  bool GetMidiNoteName(std::int32_t note, fx::TextBuffer& name) override {
    if (note != 60) return fx::IFxVST2::GetMidiNoteName(note, name);
    name.Set(std::string(100, 'C'));  // longer than the host's field
    return true;
  }
  void ProcessSysExMessage(const fx::SysExMessage& message) override {
    sysex.assign(message.data, message.data + message.size);
  }
  std::vector<std::uint8_t> sysex;

 private:
  static fx::IFxConfig Config() {
    fx::IFxConfig c;
    c.nParams = 2;
    c.nPresets = 2;
    c.channelIOString = "2-2";
    c.midiIn = true;
    c.midiOut = true;
    return c;
  }
};

// The first double of a preset's state body: parameter 0.
double FirstValue(const fx::PresetSlot& preset) {
  double v = -1.0;
  if (preset.chunk.Size() >= 8) std::memcpy(&v, preset.chunk.Data(), sizeof v);
  return v;
}

bool SameCoefficients(const ombrisk::BiquadCoefficients& a, const ombrisk::BiquadCoefficients& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace observable

TEST_F(Binding, RateBlockSizeAndActivationReachTheEffectsReset) {
  Plugin p;
  const auto& path = p.fx->GetSignalPath();
  const auto* r48 = ombrisk::RateCoefficientTable::Find(48000);
  const auto* r88 = ombrisk::RateCoefficientTable::Find(88200);
  const auto* r96 = ombrisk::RateCoefficientTable::Find(96000);
  ASSERT_TRUE(r48 && r88 && r96);
  p.Call(vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
  EXPECT_EQ(p.fx->GetSampleRate(), 48000.0);
  EXPECT_TRUE(observable::SameCoefficients(path.GetLowPass(), r48->lowPass));
  EXPECT_TRUE(observable::SameCoefficients(path.GetHighPass(), r48->highPass));
  // A block-size change resets too: it picks up a rate set behind its back.
  p.fx->SetSampleRate(88200.0);
  EXPECT_TRUE(observable::SameCoefficients(path.GetLowPass(), r48->lowPass));
  p.Call(vst2::effSetBlockSize, 0, 256);
  EXPECT_EQ(p.fx->GetBlockSize(), 256);
  EXPECT_TRUE(observable::SameCoefficients(path.GetLowPass(), r88->lowPass));
  // Resuming does not reset; suspending does.
  p.fx->SetSampleRate(96000.0);
  p.Call(vst2::effMainsChanged, 0, 1);
  EXPECT_TRUE(observable::SameCoefficients(path.GetLowPass(), r88->lowPass));
  p.Call(vst2::effMainsChanged, 0, 0);
  EXPECT_TRUE(observable::SameCoefficients(path.GetLowPass(), r96->lowPass));
  EXPECT_TRUE(observable::SameCoefficients(path.GetHighPass(), r96->highPass));
}

TEST_F(Binding, IncomingMidiIsEchoedAndCopiedForTheEditor) {
  observable::Bare p;
  vst2::VstMidiEvent noteOn{};
  noteOn.type = vst2::kVstMidiType;
  noteOn.byteSize = vst2::kVstEventByteSize;
  noteOn.deltaFrames = 17;
  noteOn.midiData[0] = static_cast<char>(0x90);
  noteOn.midiData[1] = 60;
  noteOn.midiData[2] = 100;
  vst2::VstEvent unknown{};
  unknown.type = 99;
  char dump[] = {static_cast<char>(0xF0), 0x41, 0x10, static_cast<char>(0xF7)};
  vst2::VstMidiSysexEvent sysex{};
  sysex.type = vst2::kVstSysExType;
  sysex.byteSize = vst2::kVstEventByteSize;
  sysex.dumpBytes = 4;
  sysex.sysexDump = dump;
  // A host's list of four: the record's declared two slots are only its head.
  struct {
    std::int32_t numEvents;
    std::intptr_t reserved;
    vst2::VstEvent* events[4];
  } list{4, 0, {reinterpret_cast<vst2::VstEvent*>(&noteOn), nullptr, &unknown,
                reinterpret_cast<vst2::VstEvent*>(&sysex)}};
  EXPECT_EQ(p.Call(vst2::effProcessEvents, 0, 0, &list), 1);
  // The note goes out to the host once (the frame's default echo) ...
  EXPECT_EQ(FakeHost::Instance().Count(vst2::audioMasterProcessEvents), 1);
  EXPECT_EQ(FakeHost::Instance().lastMidi, (std::vector<std::uint8_t>{0x90, 60, 100, 0}));
  // ... and its copy waits for the editor; the sysex reached the processor.
  fx::MidiMessage copy;
  ASSERT_TRUE(p.MidiToEditor().Pop(copy));
  EXPECT_EQ(copy.offset, 17);
  EXPECT_EQ(copy.status, 0x90);
  EXPECT_EQ(copy.data1, 60);
  EXPECT_EQ(copy.data2, 100);
  EXPECT_FALSE(p.MidiToEditor().Pop(copy));
  EXPECT_EQ(p.sysex, (std::vector<std::uint8_t>{0xF0, 0x41, 0x10, 0xF7}));

  list.numEvents = -3;
  EXPECT_EQ(p.Call(vst2::effProcessEvents, 0, 0, &list), 1);
  EXPECT_EQ(p.Call(vst2::effProcessEvents, 0, 0, nullptr), 0);
  EXPECT_EQ(FakeHost::Instance().Count(vst2::audioMasterProcessEvents), 1);
}

TEST_F(Binding, MidiCapabilitiesFollowTheConfiguration) {
  observable::Bare midi;
  auto canDo = [](auto& p, const char* text) { return p.Call(vst2::effCanDo, 0, 0, const_cast<char*>(text)); };
  EXPECT_EQ(canDo(midi, "receiveVstMidiEvent"), 1);
  EXPECT_EQ(canDo(midi, "receiveVstEvents"), 1);
  EXPECT_EQ(canDo(midi, "sendVstEvents"), 1);
  EXPECT_EQ(canDo(midi, "sendVstMidiEvent"), 1);
  Plugin effect;  // takes and makes no MIDI
  EXPECT_EQ(canDo(effect, "receiveVstMidiEvent"), 0);
  EXPECT_EQ(canDo(effect, "sendVstEvents"), 0);
}

TEST_F(Binding, ProgramsSwitchStoreAndNameTheirState) {
  observable::Bare p;
  ASSERT_EQ(p.GetAEffect()->numPrograms, 2);
  EXPECT_STREQ(p.GetPresetName(1), "Empty");
  p.GetAEffect()->setParameter(p.GetAEffect(), 0, 0.5f);  // 50 dB
  // Switching keeps what was played in the outgoing program.
  EXPECT_EQ(p.Call(vst2::effSetProgram, 0, 1), 0);
  EXPECT_EQ(p.Call(vst2::effGetProgram), 1);
  EXPECT_EQ(p.GetParam(0)->GetValue(), 10.0);
  EXPECT_EQ(observable::FirstValue(*p.GetPreset(0)), 50.0);
  p.Call(vst2::effSetProgram, 0, 0);
  EXPECT_EQ(p.GetParam(0)->GetValue(), 50.0);

  // Names round-trip, cut to the host's field; the indexed query says
  // whether there was a name.
  char name[] = "Warm Room";
  p.Call(vst2::effSetProgramName, 0, 0, name);
  char out[64] = "junk";
  p.Call(vst2::effGetProgramName, 0, 0, out);
  EXPECT_STREQ(out, "Warm Room");
  EXPECT_EQ(p.Call(vst2::effGetProgramNameIndexed, 0, 0, out), 1);
  EXPECT_STREQ(out, "Warm Room");
  EXPECT_EQ(p.Call(vst2::effGetProgramNameIndexed, 1, 0, out), 1);
  EXPECT_STREQ(out, "Empty");
  std::string longName(300, 'n');
  p.Call(vst2::effSetProgramName, 0, 0, longName.data());
  std::memset(out, 'x', sizeof out);
  p.Call(vst2::effGetProgramName, 0, 0, out);
  EXPECT_EQ(std::strlen(out), fx::IFxVST2::kProgramNameBytes - 1);
  EXPECT_EQ(std::string(p.GetPresetName(0)), std::string(255, 'n'));
  char empty[] = "";
  p.Call(vst2::effSetProgramName, 0, 0, empty);  // an empty name keeps the old one
  EXPECT_EQ(std::string(p.GetPresetName(0)), std::string(255, 'n'));
}

TEST_F(Binding, BankChunksCarryTheCurrentStateAndOldChunksReadAsOneProgram) {
  observable::Bare p;
  p.GetAEffect()->setParameter(p.GetAEffect(), 0, 0.25f);  // 25 dB, not yet in preset 0
  EXPECT_EQ(observable::FirstValue(*p.GetPreset(0)), 10.0);
  void* data = nullptr;
  const std::intptr_t size = p.Call(vst2::effGetChunk, 0, 0, &data);
  ASSERT_GT(size, 0);
  EXPECT_EQ(observable::FirstValue(*p.GetPreset(0)), 25.0);
  // The bank read back into another instance gives the same program.
  observable::Bare other;
  const std::vector<std::uint8_t> bank(static_cast<const std::uint8_t*>(data),
                                       static_cast<const std::uint8_t*>(data) + size);
  EXPECT_EQ(other.Call(vst2::effSetChunk, 0, size, const_cast<std::uint8_t*>(bank.data())), 1);
  EXPECT_EQ(other.GetParam(0)->GetValue(), 25.0);

  // As a bank (index 0), a chunk with a version below 0x10000, or with no
  // header at all, is one program's state.
  const auto program = [](bool header, std::int32_t version, double level, double mode) {
    fx::StateChunk c;
    if (header) {
      c.PutInt32(0x70666674);
      c.PutInt32(version);
    }
    c.PutDouble(level);
    c.PutDouble(mode);
    return c;
  };
  fx::StateChunk old = program(true, 0xFFFF, 70.0, 2.0);
  EXPECT_EQ(other.Call(vst2::effSetChunk, 0, old.Size(), old.Data()), 1);
  EXPECT_EQ(other.GetParam(0)->GetValue(), 70.0);
  EXPECT_EQ(other.GetParam(1)->GetValue(), 2.0);
  EXPECT_EQ(observable::FirstValue(*other.GetPreset(0)), 70.0);  // and stored in the current program
  fx::StateChunk bare = program(false, 0, 35.5, 1.0);
  EXPECT_EQ(other.Call(vst2::effSetChunk, 0, bare.Size(), bare.Data()), 1);
  EXPECT_EQ(other.GetParam(0)->GetValue(), 35.5);
  EXPECT_EQ(other.GetParam(1)->GetValue(), 1.0);
}

TEST_F(Binding, ParameterPropertiesFillOnlyTheirFields) {
  Plugin p;
  for (std::int32_t i = 0; i < ombrisk::kNumParams; ++i) {
    vst2::VstParameterProperties props;
    std::memset(&props, 0x5A, sizeof props);
    ASSERT_EQ(p.Call(vst2::effGetParameterProperties, i, 0, &props), 1);
    const fx::IParam* param = p.fx->GetParam(i);
    EXPECT_EQ(props.flags, vst2::kVstParameterUsesFloatStep) << i;
    EXPECT_EQ(props.stepFloat, static_cast<float>(param->GetStep())) << i;
    EXPECT_EQ(props.smallStepFloat, props.stepFloat);
    EXPECT_EQ(props.largeStepFloat, props.stepFloat);
    EXPECT_STREQ(props.label, param->GetUnitLabel());
    EXPECT_EQ(props.minInteger, 0x5A5A5A5A);
    EXPECT_EQ(props.stepInteger, 0x5A5A5A5A);
    EXPECT_EQ(props.shortLabel[0], 0x5A);
    EXPECT_EQ(props.category, 0x5A5A);
    EXPECT_EQ(props.categoryLabel[0], 0x5A);
  }
  vst2::VstParameterProperties props{};
  EXPECT_EQ(p.Call(vst2::effGetParameterProperties, ombrisk::kInputGain, 0, &props), 1);
  EXPECT_EQ(props.stepFloat, 0.01f);
  EXPECT_STREQ(props.label, "%");
  EXPECT_EQ(p.Call(vst2::effGetParameterProperties, ombrisk::kNumParams, 0, &props), 0);
  EXPECT_EQ(p.Call(vst2::effGetParameterProperties, -1, 0, &props), 0);
}

TEST_F(Binding, AccumulatingAddsAndDisconnectedOutputsAreLeftAlone) {
  ombrisk::SetBlockSeedProvider(&ConstantSeed, nullptr);
  std::vector<float> in(256);
  for (std::size_t i = 0; i < in.size(); ++i) in[i] = 0.7f * static_cast<float>(std::sin(static_cast<double>(i) * 0.05));
  const auto run = [&](bool accumulate, float start) {
    ombrisk::SetNoiseCounter(0);
    Plugin p;
    p.Call(vst2::effSetSampleRate, 0, 0, nullptr, 44100.0f);
    std::vector<float> left(256, start), right(256, start);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {left.data(), right.data()};
    vst2::AEffect* e = p.fx->GetAEffect();
    (accumulate ? e->process : e->processReplacing)(e, ins, outs, 256);
    left.insert(left.end(), right.begin(), right.end());
    return left;
  };
  const std::vector<float> replaced = run(false, 0.0f);
  const std::vector<float> added = run(true, 0.25f);
  for (std::size_t i = 0; i < replaced.size(); ++i) ASSERT_EQ(added[i], 0.25f + replaced[i]) << "sample " << i;

  // With one output connected, the second host buffer is never written by
  // any of the three callbacks.
  Plugin p;
  vst2::VstSpeakerArrangement mono{};
  mono.numChannels = 1;
  vst2::VstSpeakerArrangement stereo{};
  stereo.numChannels = 2;
  ASSERT_EQ(p.Call(vst2::effSetSpeakerArrangement, 0, reinterpret_cast<std::intptr_t>(&stereo), &mono), 1);
  vst2::AEffect* e = p.fx->GetAEffect();
  std::vector<float> left(256, 0.0f), right(256, 7.0f);
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {left.data(), right.data()};
  e->processReplacing(e, ins, outs, 256);
  e->process(e, ins, outs, 256);
  std::vector<double> din(in.begin(), in.end()), dleft(256, 0.0), dright(256, 7.0);
  double* dins[2] = {din.data(), din.data()};
  double* douts[2] = {dleft.data(), dright.data()};
  e->processDoubleReplacing(e, dins, douts, 256);
  EXPECT_EQ(right, std::vector<float>(256, 7.0f));
  EXPECT_EQ(dright, std::vector<double>(256, 7.0));
  EXPECT_NE(left[100], 0.0f);
  EXPECT_NE(dleft[100], 0.0);
  ombrisk::SetBlockSeedProvider(nullptr, nullptr);
}

TEST_F(Binding, EveryBlockAsksForTimeAndProcessLevelOnce) {
  Plugin p;
  FakeHost::Instance().logAudioQueries = true;
  std::vector<float> buf(64);
  float* io[2] = {buf.data(), buf.data()};
  std::vector<double> dbuf(64);
  double* dio[2] = {dbuf.data(), dbuf.data()};
  vst2::AEffect* e = p.fx->GetAEffect();
  e->processReplacing(e, io, io, 64);
  e->process(e, io, io, 64);
  e->processDoubleReplacing(e, dio, dio, 64);
  e->processReplacing(e, io, io, 0);
  FakeHost::Instance().logAudioQueries = false;
  int time = 0;
  int level = 0;
  for (const vst2_test::HostCall& c : FakeHost::Instance().Calls()) {
    if (c.opcode == vst2::audioMasterGetTime) {
      ++time;
      EXPECT_EQ(c.value, 0x3E00);  // ppq, tempo, bars, cycle and time signature
    }
    level += c.opcode == vst2::audioMasterGetCurrentProcessLevel;
  }
  EXPECT_EQ(time, 4);
  EXPECT_EQ(level, 4);
  EXPECT_EQ(FakeHost::Instance().Count(vst2::audioMasterWantMidi), 0);  // no MIDI input
}

TEST_F(Binding, DisplayAndParseAwayFromTheDefaults) {
  Plugin p;
  vst2::AEffect* e = p.fx->GetAEffect();
  const auto display = [&](std::int32_t index) {
    char text[64] = {};
    p.Call(vst2::effGetParamDisplay, index, 0, text);
    return std::string(text);
  };
  // Whole-number parameters halfway show the nearer whole number, halves up.
  e->setParameter(e, ombrisk::kReact, 0.5f);
  e->setParameter(e, ombrisk::kBypass, 0.5f);
  EXPECT_EQ(p.fx->GetParam(ombrisk::kReact)->GetValue(), 0.5);
  EXPECT_EQ(display(ombrisk::kReact), "1");
  EXPECT_EQ(display(ombrisk::kBypass), "1");
  e->setParameter(e, ombrisk::kBypass, 0.49f);
  EXPECT_EQ(display(ombrisk::kBypass), "0");
  e->setParameter(e, ombrisk::kWet, 0.333f);
  EXPECT_EQ(display(ombrisk::kWet), "33.30");
  e->setParameter(e, ombrisk::kTame, 0.1234f);
  EXPECT_EQ(display(ombrisk::kTame), "0.123");

  // Parsing clamps to the range and reads past a unit suffix.
  const auto parse = [&](std::int32_t index, const char* text) {
    std::string copy(text);
    EXPECT_EQ(p.Call(vst2::effString2Parameter, index, 0, copy.data()), 1);
    return p.fx->GetParam(index)->GetValue();
  };
  EXPECT_EQ(parse(ombrisk::kInputGain, "500"), 200.0);
  EXPECT_EQ(display(ombrisk::kInputGain), "200.00");
  EXPECT_EQ(parse(ombrisk::kInputGain, "-3"), 0.0);
  EXPECT_EQ(parse(ombrisk::kWet, "75 %"), 75.0);
  EXPECT_EQ(parse(ombrisk::kWet, "62.5%"), 62.5);
  EXPECT_EQ(parse(ombrisk::kOutputGain, "12,5"), 12.5);
  EXPECT_EQ(parse(ombrisk::kBypass, "0.5"), 0.5);
  EXPECT_EQ(display(ombrisk::kBypass), "1");
  EXPECT_FLOAT_EQ(e->getParameter(e, ombrisk::kWet), 0.625f);
}

TEST_F(Binding, MidiKeyNamesComeFromTheHook) {
  Plugin effect;
  vst2::MidiKeyName key{};
  key.thisKeyNumber = 60;
  std::strcpy(key.keyName, "junk");
  EXPECT_EQ(effect.Call(vst2::effGetMidiKeyName, 0, 0, &key), 0);  // no names: emptied
  EXPECT_STREQ(key.keyName, "");
  EXPECT_EQ(effect.Call(vst2::effGetMidiKeyName, 0, 0, nullptr), 0);

  observable::Bare named;
  std::memset(key.keyName, 'x', sizeof key.keyName);
  EXPECT_EQ(named.Call(vst2::effGetMidiKeyName, 0, 0, &key), 1);
  EXPECT_EQ(std::string(key.keyName), std::string(sizeof key.keyName - 1, 'C'));  // cut, terminated
  key.thisKeyNumber = 61;
  EXPECT_EQ(named.Call(vst2::effGetMidiKeyName, 0, 0, &key), 0);
  EXPECT_STREQ(key.keyName, "");
}
