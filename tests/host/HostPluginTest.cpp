#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "host/PluginHost.h"
#include "host/Render.h"
#include "host/Signals.h"

namespace ombrisk::host {
namespace {

std::unique_ptr<PluginInstance> OpenOrFail(const char* path) {
  std::string error;
  auto plugin = PluginInstance::Open(path, error);
  EXPECT_TRUE(plugin) << error;
  return plugin;
}

TEST(PluginLoading, ReadsTheRecordAndTextsOfAPlugin) {
  auto plugin = OpenOrFail(OMBRISK_TESTFX_PATH);
  ASSERT_TRUE(plugin);
  EXPECT_EQ(plugin->Text(vst2::effGetEffectName), "TestFx Gain");
  EXPECT_EQ(plugin->Text(vst2::effGetVendorString), "Ombrisk Tests");
  EXPECT_EQ(plugin->NumParams(), 2);
  EXPECT_EQ(plugin->NumInputs(), 2);
  EXPECT_EQ(plugin->Effect().uniqueID, vst2::FourCharCode('O', 'T', 'f', 'x'));
  EXPECT_TRUE(plugin->CanReplacing());
  EXPECT_TRUE(plugin->CanDouble());
  EXPECT_EQ(plugin->ParamName(0), "Gain");
  EXPECT_EQ(plugin->ParamDisplay(0), "100.0");
  EXPECT_EQ(plugin->ParamLabel(0), "%");
}

TEST(PluginLoading, FindsParametersByNameOrNumber) {
  auto plugin = OpenOrFail(OMBRISK_TESTFX_PATH);
  ASSERT_TRUE(plugin);
  EXPECT_EQ(plugin->FindParameter("Gain"), 0);
  EXPECT_EQ(plugin->FindParameter(" polarity "), 1);
  EXPECT_EQ(plugin->FindParameter("1"), 1);
  EXPECT_EQ(plugin->FindParameter("2"), -1);
  EXPECT_EQ(plugin->FindParameter("-1"), -1);
  EXPECT_EQ(plugin->FindParameter("Volume"), -1);
  EXPECT_EQ(plugin->FindParameter(""), -1);
}

TEST(PluginLoading, ExplainsEachWayAPluginCanFailToLoad) {
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"/nonexistent/plugin.so", "no such file"},
      {OMBRISK_TESTFX_NOENTRY_PATH, "is not a VST2 plug-in"},
      {OMBRISK_TESTFX_BADMAGIC_PATH, "wrong magic number"},
      {OMBRISK_TESTFX_NULLMAIN_PATH, "failed to open"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(PluginInstance::Open(c.path, error)) << c.path;
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << "one line: " << error;
  }
  // A file that is not a library at all.
  const std::string text = ::testing::TempDir() + "not-a-library.so";
  std::ofstream(text) << "hello";
  std::string error;
  EXPECT_FALSE(PluginInstance::Open(text, error));
  EXPECT_NE(error.find("cannot load"), std::string::npos) << error;
}

AudioData Ramp(std::size_t frames, std::size_t channels) {
  AudioData audio;
  audio.sampleRate = 44100.0;
  audio.channels.assign(channels, std::vector<float>(frames));
  for (std::size_t c = 0; c < channels; ++c) {
    for (std::size_t i = 0; i < frames; ++i) {
      audio.channels[c][i] = static_cast<float>(std::sin(0.01 * static_cast<double>(i) + static_cast<double>(c))) * 0.5F;
    }
  }
  return audio;
}

TEST(Rendering, AppliesTheGainInEveryModeAndBlockSize) {
  auto plugin = OpenOrFail(OMBRISK_TESTFX_PATH);
  ASSERT_TRUE(plugin);
  char text[] = "150";
  ASSERT_EQ(plugin->Dispatch(vst2::effString2Parameter, 0, 0, text), 1);
  EXPECT_FLOAT_EQ(plugin->GetParameter(0), 0.75F);
  const AudioData in = Ramp(3001, 2);
  for (const ProcessMode mode : {ProcessMode::Replacing, ProcessMode::Double, ProcessMode::Accumulating}) {
    for (const std::int32_t block : {1, 7, 512, 4096}) {
      RenderOptions options;
      options.mode = mode;
      options.blockSize = block;
      AudioData out;
      RenderReport report;
      std::string error;
      ASSERT_TRUE(Render(*plugin, in, out, options, report, error)) << error;
      ASSERT_EQ(out.NumChannels(), 2U);
      ASSERT_EQ(out.Frames(), in.Frames());
      for (std::size_t c = 0; c < 2; ++c) {
        for (std::size_t i = 0; i < in.Frames(); ++i) {
          ASSERT_NEAR(out.channels[c][i], 1.5F * in.channels[c][i], 1e-6F)
              << ProcessModeName(mode) << " block " << block << " frame " << i;
        }
      }
    }
  }
}

TEST(Rendering, FeedsAMonoFileToEveryInputAndKeepsItMono) {
  auto plugin = OpenOrFail(OMBRISK_TESTFX_PATH);
  ASSERT_TRUE(plugin);
  plugin->SetParameter(1, 1.0F);  // inverted polarity, unity gain
  const AudioData in = Ramp(1000, 1);
  AudioData out;
  RenderReport report;
  std::string error;
  ASSERT_TRUE(Render(*plugin, in, out, RenderOptions{}, report, error)) << error;
  ASSERT_EQ(out.NumChannels(), 1U);
  EXPECT_EQ(report.outputChannels, 1);
  for (std::size_t i = 0; i < in.Frames(); ++i) ASSERT_FLOAT_EQ(out.channels[0][i], -in.channels[0][i]);
}

TEST(Rendering, RemovesTheReportedLatency) {
  auto plugin = OpenOrFail(OMBRISK_TESTFX_LATENCY_PATH);
  ASSERT_TRUE(plugin);
  const AudioData in = Ramp(2000, 2);
  RenderOptions options;
  options.blockSize = 100;
  AudioData out;
  RenderReport report;
  std::string error;
  ASSERT_TRUE(Render(*plugin, in, out, options, report, error)) << error;
  EXPECT_EQ(report.latency, 32);
  ASSERT_EQ(out.Frames(), in.Frames());
  for (std::size_t i = 0; i < in.Frames(); ++i) ASSERT_FLOAT_EQ(out.channels[1][i], in.channels[1][i]) << i;
}

TEST(Rendering, RefusesABlockSizeOfZero) {
  auto plugin = OpenOrFail(OMBRISK_TESTFX_PATH);
  ASSERT_TRUE(plugin);
  RenderOptions options;
  options.blockSize = 0;
  AudioData out;
  RenderReport report;
  std::string error;
  EXPECT_FALSE(Render(*plugin, Ramp(10, 1), out, options, report, error));
  EXPECT_FALSE(error.empty());
}

TEST(HostCallback, AnswersTimeRateAndIdentityAndCountsAutomation) {
  auto plugin = OpenOrFail(OMBRISK_TESTFX_BADAUTOMATE_PATH);
  ASSERT_TRUE(plugin);
  plugin->Configure(48000.0, 256);
  plugin->SetParameter(0, 0.3F);
  EXPECT_EQ(plugin->Counters().automate.load(), 1);
  EXPECT_EQ(plugin->Counters().automateBadIndex.load(), 1);
}

// What TestFx repeats to the host through effVendorSpecific ('Echo').
struct EchoCall {
  std::int32_t opcode;
  std::int32_t index;
  std::intptr_t value;
  float opt;
  void* ptr;
};

std::intptr_t Echo(PluginInstance& plugin, std::int32_t opcode, std::int32_t index, std::intptr_t value, float opt,
                   void* ptr = nullptr) {
  EchoCall call{opcode, index, value, opt, ptr};
  return plugin.Dispatch(vst2::effVendorSpecific, vst2::FourCharCode('E', 'c', 'h', 'o'), 0, &call);
}

class RecordingListener final : public EditorListener {
 public:
  bool SizeWindow(std::int32_t width, std::int32_t height) override {
    calls.push_back("size " + std::to_string(width) + " " + std::to_string(height));
    return acceptSize;
  }
  void Automate(std::int32_t index, float value) override {
    calls.push_back("automate " + std::to_string(index) + " " + std::to_string(value));
  }
  void BeginEdit(std::int32_t index) override { calls.push_back("begin " + std::to_string(index)); }
  void EndEdit(std::int32_t index) override { calls.push_back("end " + std::to_string(index)); }

  bool acceptSize = true;
  std::vector<std::string> calls;
};

TEST(HostCallback, PassesAnEditorsCallsToItsListenerWhileOneIsSet) {
  auto plugin = OpenOrFail(OMBRISK_TESTFX_PATH);
  ASSERT_TRUE(plugin);
  // No listener: a size request is refused, gestures are only counted.
  char sizeWindow[] = "sizeWindow";
  EXPECT_EQ(Echo(*plugin, vst2::audioMasterCanDo, 0, 0, 0.0F, sizeWindow), 0);
  EXPECT_EQ(Echo(*plugin, vst2::audioMasterSizeWindow, 815, 505, 0.0F), 0);
  EXPECT_EQ(Echo(*plugin, vst2::audioMasterBeginEdit, 1, 0, 0.0F), 1);
  EXPECT_EQ(plugin->Counters().beginEdit.load(), 1);

  RecordingListener listener;
  plugin->SetEditorListener(&listener);
  EXPECT_EQ(Echo(*plugin, vst2::audioMasterCanDo, 0, 0, 0.0F, sizeWindow), 1);
  EXPECT_EQ(Echo(*plugin, vst2::audioMasterBeginEdit, 1, 0, 0.0F), 1);
  EXPECT_EQ(Echo(*plugin, vst2::audioMasterAutomate, 1, 0, 0.75F), 0);
  EXPECT_EQ(Echo(*plugin, vst2::audioMasterEndEdit, 1, 0, 0.0F), 1);
  EXPECT_EQ(Echo(*plugin, vst2::audioMasterSizeWindow, 815, 505, 0.0F), 1);
  listener.acceptSize = false;
  EXPECT_EQ(Echo(*plugin, vst2::audioMasterSizeWindow, 900, 600, 0.0F), 0);
  // A height beyond 32 bits reaches the listener as the largest int, not wrapped.
  const std::intptr_t huge = sizeof(std::intptr_t) > 4 ? static_cast<std::intptr_t>(0x7FFFFFFF) * 4 : 0x7FFFFFFF;
  Echo(*plugin, vst2::audioMasterSizeWindow, 10, huge, 0.0F);
  plugin->SetEditorListener(nullptr);
  EXPECT_EQ(Echo(*plugin, vst2::audioMasterAutomate, 0, 0, 0.25F), 0);

  const std::vector<std::string> expected = {"begin 1", "automate 1 0.750000", "end 1", "size 815 505", "size 900 600",
                                             "size 10 2147483647"};
  EXPECT_EQ(listener.calls, expected);
  EXPECT_EQ(plugin->Counters().automate.load(), 2);
  EXPECT_EQ(plugin->Counters().endEdit.load(), 1);
}

}  // namespace
}  // namespace ombrisk::host
