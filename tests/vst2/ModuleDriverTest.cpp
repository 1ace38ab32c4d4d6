// Plays host to the built plug-in module: loads it, creates instances through
// its entry points and drives them through the AEffect record only.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "FakeHost.h"
#include "ModuleLoader.h"

namespace {

using vst2::AEffect;

class Instance {
 public:
  explicit Instance(vst2::VstPluginMainProc entry) : effect_(entry ? entry(&vst2_test::FakeHost::Callback) : nullptr) {}
  ~Instance() {
    if (effect_) Call(vst2::effClose);
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  AEffect* operator->() const { return effect_; }
  AEffect* Get() const { return effect_; }
  std::intptr_t Call(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0, void* ptr = nullptr,
                     float opt = 0.0f) const {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
  }
  std::string Text(std::int32_t opcode, std::int32_t index = 0) const {
    char buffer[256] = {};
    Call(opcode, index, 0, buffer);
    return buffer;
  }
  void Start(float rate = 44100.0f, std::intptr_t block = 512) const {
    Call(vst2::effOpen);
    Call(vst2::effSetSampleRate, 0, 0, nullptr, rate);
    Call(vst2::effSetBlockSize, 0, block);
    Call(vst2::effMainsChanged, 0, 1);
  }
  std::vector<std::uint8_t> Chunk(bool program) const {
    void* data = nullptr;
    const std::intptr_t size = Call(vst2::effGetChunk, program ? 1 : 0, 0, &data);
    if (size <= 0 || !data) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
  }

 private:
  AEffect* effect_;
};

class ModuleDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    vst2_test::FakeHost::Instance().Reset();
    ASSERT_TRUE(module_.Loaded()) << OMBRISK_MODULE_PATH;
    entry_ = module_.Entry("VSTPluginMain");
    ASSERT_NE(entry_, nullptr);
  }
  vst2_test::ModuleLoader module_{OMBRISK_MODULE_PATH};
  vst2::VstPluginMainProc entry_ = nullptr;
};

TEST_F(ModuleDriver, AnnouncesItselfAsTheEffect) {
  EXPECT_NE(module_.Entry("main"), nullptr);
  Instance fx(entry_);
  ASSERT_NE(fx.Get(), nullptr);
  EXPECT_EQ(fx->magic, vst2::kEffectMagic);
  EXPECT_EQ(fx->numParams, 7);
  EXPECT_EQ(fx->numPrograms, 1);
  EXPECT_EQ(fx->numInputs, 2);
  EXPECT_EQ(fx->numOutputs, 2);
  EXPECT_EQ(fx->flags, 0x1019);
  EXPECT_EQ(fx->uniqueID, vst2::FourCharCode('u', 'j', 'p', 'a'));
  EXPECT_EQ(fx->version, 10000);
  EXPECT_EQ(fx->initialDelay, 0);
  EXPECT_EQ(fx->ioRatio, 1.0f);
  EXPECT_EQ(fx.Call(vst2::effGetVstVersion), 2400);
  EXPECT_EQ(fx.Call(vst2::effIdentify), 0x4E764566);
  EXPECT_EQ(fx.Call(vst2::effGetVendorVersion), 10000);
  EXPECT_EQ(fx.Call(vst2::effGetPlugCategory), vst2::kPlugCategEffect);
  EXPECT_EQ(fx.Text(vst2::effGetEffectName), "Ombrisk");
  EXPECT_EQ(fx.Text(vst2::effGetVendorString), "Halvorant");
  EXPECT_EQ(fx.Text(vst2::effGetProductString), "Ombrisk");
  EXPECT_EQ(fx.Text(vst2::effGetProgramName), "Empty");
  EXPECT_EQ(fx.Call(vst2::effGetProgram), 0);
  EXPECT_EQ(fx.Call(vst2::effGetTailSize), 0);

  fx.Call(vst2::effOpen);
  const char* names[] = {"Input Gain", "Wet", "Tame", "React", "Bypass", "Output Gain", "Bias"};
  const char* displays[] = {"32.00", "87.00", "0.500", "1", "0", "100.00", "0.500"};
  const char* labels[] = {"%", "%", "", "", "", "%", ""};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(fx.Text(vst2::effGetParamName, i), names[i]);
    EXPECT_EQ(fx.Text(vst2::effGetParamDisplay, i), displays[i]);
    EXPECT_EQ(fx.Text(vst2::effGetParamLabel, i), labels[i]);
    EXPECT_EQ(fx.Call(vst2::effCanBeAutomated, i), 1);
  }
  EXPECT_FLOAT_EQ(fx->getParameter(fx.Get(), 0), 0.16f);
  EXPECT_FLOAT_EQ(fx->getParameter(fx.Get(), 5), 0.5f);
}

TEST_F(ModuleDriver, EditorSizeIsKnownBeforeAnyEditorOpens) {
  Instance fx(entry_);
  vst2::ERect* rect = nullptr;
  ASSERT_EQ(fx.Call(vst2::effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  // The window the editor opens: the page at half scale.
  EXPECT_EQ(rect->right - rect->left, 815);
  EXPECT_EQ(rect->bottom - rect->top, 505);
  EXPECT_EQ(fx.Call(vst2::effEditClose), 1);  // close with nothing open
  EXPECT_EQ(fx.Call(vst2::effEditOpen, 0, 0, nullptr), 0);  // no parent window
}

TEST_F(ModuleDriver, HostStringsAreBoundedWithTheTerminator) {
  Instance fx(entry_);
  fx.Call(vst2::effOpen);
  std::string longName(300, 'n');
  fx.Call(vst2::effSetProgramName, 0, 0, longName.data());
  const struct {
    std::int32_t opcode;
    std::int32_t index;
    std::size_t room;
    const char* expected;
  } cases[] = {
      {vst2::effGetParamName, 5, 32, "Output Gain"},
      {vst2::effGetParamDisplay, 5, 32, "100.00"},
      {vst2::effGetParamLabel, 0, 32, "%"},
      {vst2::effGetEffectName, 0, 32, "Ombrisk"},
      {vst2::effGetVendorString, 0, 64, "Halvorant"},
      {vst2::effGetProductString, 0, 64, "Ombrisk"},
      {vst2::effGetProgramName, 0, 24, nullptr},
      {vst2::effGetProgramNameIndexed, 0, 24, nullptr},
  };
  for (const auto& c : cases) {
    std::vector<char> buffer(c.room + 16, '#');
    fx.Call(c.opcode, c.index, 0, buffer.data());
    for (std::size_t i = c.room; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '#') << "opcode " << c.opcode;
    if (c.expected) {
      EXPECT_STREQ(buffer.data(), c.expected);
    } else {
      EXPECT_EQ(std::strlen(buffer.data()), c.room - 1);  // cut, terminated
    }
  }
  vst2::VstPinProperties pin;
  std::memset(&pin, '#', sizeof pin);
  ASSERT_EQ(fx.Call(vst2::effGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Output 2");
  EXPECT_EQ(pin.flags, vst2::kVstPinIsActive);
  EXPECT_EQ(pin.shortLabel[0], '#');  // untouched
  ASSERT_EQ(fx.Call(vst2::effGetInputProperties, 0, 0, &pin), 1);
  EXPECT_EQ(pin.flags, vst2::kVstPinIsActive | vst2::kVstPinIsStereo);
  EXPECT_STREQ(pin.label, "Input 1");
}

TEST_F(ModuleDriver, BadHostCallsGetDefinedAnswers) {
  Instance fx(entry_);
  fx.Start();
  char text[64] = "unchanged";
  for (std::int32_t op = 70; op < 120; ++op) EXPECT_EQ(fx.Call(op, 0, 0, text), 0);
  for (std::int32_t op : {9, 16, 17, 18, 19, 20, 21, 28, 30, 31, 32, 36, 41, 43, 44, 46, 53, 54, 55, 57, 61, 65, 67, 68})
    EXPECT_EQ(fx.Call(op, 0, 0, nullptr), 0) << op;
  EXPECT_EQ(fx.Call(-1), 0);
  for (std::int32_t index : {-1, 7, 1000, INT32_MIN}) {
    fx.Call(vst2::effGetParamName, index, 0, text);
    fx.Call(vst2::effGetParamDisplay, index, 0, text);
    fx.Call(vst2::effGetParamLabel, index, 0, text);
    EXPECT_STREQ(text, "unchanged");
    EXPECT_EQ(fx.Call(vst2::effCanBeAutomated, index), 0);
    EXPECT_EQ(fx.Call(vst2::effString2Parameter, index, 0, text), 0);
    EXPECT_EQ(fx.Call(vst2::effGetParameterProperties, index, 0, text), 0);
    EXPECT_EQ(fx->getParameter(fx.Get(), index), 0.0f);
    fx->setParameter(fx.Get(), index, 0.5f);
    EXPECT_EQ(fx.Call(vst2::effGetInputProperties, index < 0 ? index : index + 2, 0, text), 0);
  }
  EXPECT_EQ(fx.Call(vst2::effGetProgramNameIndexed, 5, 0, text), 0);
  EXPECT_STREQ(text, "");
  // Null pointers everywhere a pointer is expected.
  for (std::int32_t op : {4, 5, 6, 7, 8, 13, 23, 24, 25, 29, 33, 34, 42, 45, 47, 48, 51, 56, 66, 69})
    fx.Call(op, 0, 0, nullptr);
  EXPECT_EQ(fx.Call(vst2::effString2Parameter, 0, 0, nullptr), 1);
  EXPECT_EQ(fx.Call(vst2::effProcessEvents, 0, 0, nullptr), 0);
  EXPECT_EQ(fx.Call(vst2::effCanDo, 0, 0, nullptr), 0);
  vst2::VstEvents none{};
  EXPECT_EQ(fx.Call(vst2::effProcessEvents, 0, 0, &none), 1);
  fx.Call(vst2::effSetProgram, 0, -3);
  fx.Call(vst2::effSetProgram, 0, 99);
  EXPECT_EQ(fx.Call(vst2::effGetProgram), 0);
  // Broken rates and block sizes leave a working effect.
  fx.Call(vst2::effSetSampleRate, 0, 0, nullptr, std::nanf(""));
  fx.Call(vst2::effSetBlockSize, 0, 0);
  fx.Call(vst2::effSetBlockSize, 0, -5);
  std::vector<float> in(1000, 0.5f), out(1000, 9.0f);
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {out.data(), out.data()};
  fx->processReplacing(fx.Get(), ins, outs, 1000);
  for (float v : out) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) <= 1.0f);
  // Null host buffers are skipped, not dereferenced.
  float* nulls[2] = {nullptr, nullptr};
  fx->processReplacing(fx.Get(), nulls, nulls, 64);
  fx->processReplacing(fx.Get(), nullptr, nullptr, 64);
  fx->process(fx.Get(), ins, outs, 0);
}

TEST_F(ModuleDriver, ChunksRoundTripAndHostileChunksAreRefused) {
  Instance fx(entry_);
  fx.Start();
  fx->setParameter(fx.Get(), 0, 0.75f);
  fx->setParameter(fx.Get(), 4, 1.0f);
  const std::vector<std::uint8_t> program = fx.Chunk(true);
  ASSERT_EQ(program.size(), 64u);
  const std::uint8_t header[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  EXPECT_EQ(std::memcmp(program.data(), header, 8), 0);
  const std::vector<std::uint8_t> bank = fx.Chunk(false);
  ASSERT_GT(bank.size(), program.size());

  Instance other(entry_);
  other.Start();
  std::vector<std::uint8_t> copy = program;
  ASSERT_EQ(other.Call(vst2::effSetChunk, 1, static_cast<std::intptr_t>(copy.size()), copy.data()), 1);
  EXPECT_FLOAT_EQ(other->getParameter(other.Get(), 0), 0.75f);  // at once
  EXPECT_EQ(other.Chunk(true), program);                         // byte-identical
  copy = bank;
  ASSERT_EQ(other.Call(vst2::effSetChunk, 0, static_cast<std::intptr_t>(copy.size()), copy.data()), 1);
  EXPECT_EQ(other.Chunk(false), bank);
  EXPECT_EQ(other.Text(vst2::effGetProgramName), "Empty");

  // Empty, truncated and foreign chunks.
  std::uint8_t byte = 0;
  EXPECT_EQ(other.Call(vst2::effSetChunk, 1, 0, &byte), 0);
  EXPECT_EQ(other.Call(vst2::effSetChunk, 0, 0, &byte), 0);
  EXPECT_EQ(other.Call(vst2::effSetChunk, 1, -8, &byte), 0);
  std::vector<std::uint8_t> shortChunk(program.begin(), program.begin() + 60);
  EXPECT_EQ(other.Call(vst2::effSetChunk, 1, 60, shortChunk.data()), 0);
  EXPECT_FLOAT_EQ(other->getParameter(other.Get(), 6), 0.0f);  // the missing one: ClampToRange(0.0)
  std::vector<std::uint8_t> garbage(333);
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 131 + 7);
  other.Call(vst2::effSetChunk, 0, static_cast<std::intptr_t>(garbage.size()), garbage.data());
  other.Call(vst2::effSetChunk, 1, static_cast<std::intptr_t>(garbage.size()), garbage.data());
  for (int i = 0; i < 7; ++i) {
    const float v = other->getParameter(other.Get(), i);
    EXPECT_TRUE(v >= 0.0f && v <= 1.0f);
  }
}

TEST_F(ModuleDriver, ProcessesWhileAnotherThreadAutomates) {
  Instance fx(entry_);
  fx.Start(48000.0f, 256);
  std::atomic<bool> stop{false};
  std::thread automation([&] {
    unsigned k = 0;
    while (!stop.load()) {
      fx->setParameter(fx.Get(), static_cast<std::int32_t>(k % 7), static_cast<float>((k * 37) % 101) / 100.0f);
      (void)fx->getParameter(fx.Get(), static_cast<std::int32_t>((k + 3) % 7));
      ++k;
    }
  });
  std::vector<float> in(256), out0(256), out1(256);
  std::vector<double> din(256), dout0(256), dout1(256);
  for (int i = 0; i < 256; ++i) din[i] = in[i] = static_cast<float>(std::sin(i * 0.07));
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {out0.data(), out1.data()};
  double* dins[2] = {din.data(), din.data()};
  double* douts[2] = {dout0.data(), dout1.data()};
  // The first output sample, of any channel and callback, that is not a
  // finite number within [-1, 1].
  std::string firstBad;
  const auto check = [&](int block, const char* callback, int channel, const auto& samples) {
    for (std::size_t i = 0; i < samples.size() && firstBad.empty(); ++i) {
      const double v = static_cast<double>(samples[i]);
      if (!(std::fabs(v) <= 1.0))  // also NaN
        firstBad = "block " + std::to_string(block) + " (" + callback + ") channel " + std::to_string(channel) +
                   " sample " + std::to_string(i) + " = " + std::to_string(v);
    }
  };
  for (int block = 0; block < 300 && firstBad.empty(); ++block) {
    switch (block % 3) {
      case 0:
        fx->processReplacing(fx.Get(), ins, outs, 256);
        check(block, "processReplacing", 0, out0);
        check(block, "processReplacing", 1, out1);
        break;
      case 1:
        fx->processDoubleReplacing(fx.Get(), dins, douts, 256);
        check(block, "processDoubleReplacing", 0, dout0);
        check(block, "processDoubleReplacing", 1, dout1);
        break;
      default:
        std::fill(out0.begin(), out0.end(), 0.0f);
        std::fill(out1.begin(), out1.end(), 0.0f);
        fx->process(fx.Get(), ins, outs, 256);
        check(block, "process", 0, out0);
        check(block, "process", 1, out1);
    }
  }
  stop.store(true);
  automation.join();
  EXPECT_EQ(firstBad, "") << "first bad output sample";
}

TEST_F(ModuleDriver, LongerBlocksThanAnnouncedAreProcessedWhole) {
  Instance fx(entry_);
  fx.Start(44100.0f, 64);
  std::vector<float> in(1000), out(1000 + 16, 42.0f);
  for (int i = 0; i < 1000; ++i) in[i] = 0.4f * static_cast<float>(std::sin(i * 0.05));
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {out.data(), out.data()};
  fx->processReplacing(fx.Get(), ins, outs, 1000);
  for (int i = 0; i < 1000; ++i) ASSERT_NE(out[i], 42.0f) << i;  // every frame written
  for (int i = 1000; i < 1016; ++i) ASSERT_EQ(out[i], 42.0f);     // nothing past the block
}

TEST_F(ModuleDriver, SixteenInstancesProcessAtOnce) {
  std::vector<std::unique_ptr<Instance>> instances;
  for (int i = 0; i < 16; ++i) {
    instances.push_back(std::make_unique<Instance>(entry_));
    ASSERT_NE(instances.back()->Get(), nullptr);
    instances.back()->Start(44100.0f, 128);
  }
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t) {
    threads.emplace_back([&, t] {
      Instance& fx = *instances[static_cast<std::size_t>(t)];
      fx->setParameter(fx.Get(), 0, static_cast<float>(t) / 15.0f);
      std::vector<float> in(128), out0(128), out1(128);
      for (int i = 0; i < 128; ++i) in[i] = 0.8f * static_cast<float>(std::sin(i * 0.1 * (t + 1)));
      float* ins[2] = {in.data(), in.data()};
      float* outs[2] = {out0.data(), out1.data()};
      for (int block = 0; block < 200; ++block) {
        fx->processReplacing(fx.Get(), ins, outs, 128);
        for (int i = 0; i < 128; ++i)
          if (!std::isfinite(out0[i]) || std::fabs(out0[i]) > 1.0f) failures.fetch_add(1);
      }
      if (std::fabs(fx->getParameter(fx.Get(), 0) - static_cast<float>(t) / 15.0f) > 1e-6f) failures.fetch_add(1);
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
  instances.clear();  // effClose on each
}

}  // namespace
