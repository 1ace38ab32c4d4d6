#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/Audio.h"
#include "host/Commands.h"

namespace ombrisk::host {
namespace {

std::string Temp(const char* name) { return ::testing::TempDir() + name; }

std::vector<std::uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Commands, ProcessWritesTheFileWithTheParametersGiven) {
  const std::string in = Temp("cmd_in.wav");
  const std::string out = Temp("cmd_out.wav");
  ASSERT_EQ(RunCommandLine({"synth", in, "--seconds", "0.5", "--rate", "22050"}), 0);
  ASSERT_EQ(RunCommandLine({"process", OMBRISK_TESTFX_PATH, in, out, "--param", "Gain=50", "--param-norm",
                            "Polarity=1", "--block", "333", "--mode", "double"}),
            0);
  AudioData a;
  AudioData b;
  std::string error;
  ASSERT_TRUE(ReadAudioFile(in, a, error)) << error;
  ASSERT_TRUE(ReadAudioFile(out, b, error)) << error;
  ASSERT_EQ(a.Frames(), b.Frames());
  EXPECT_EQ(b.sampleRate, 22050.0);
  // 50 % gain, inverted; the output keeps the input's 24-bit format.
  for (std::size_t i = 0; i < a.Frames(); i += 97) ASSERT_NEAR(b.channels[0][i], -0.5F * a.channels[0][i], 2e-7F);
  std::remove(in.c_str());
  std::remove(out.c_str());
}

TEST(Commands, ParameterOptionsApplyInCommandLineOrder) {
  const std::string in = Temp("cmd_order_in.wav");
  const std::string out = Temp("cmd_order_out.wav");
  ASSERT_EQ(RunCommandLine({"synth", in, "--seconds", "0.1", "--rate", "22050"}), 0);
  AudioData a;
  AudioData b;
  std::string error;
  ASSERT_TRUE(ReadAudioFile(in, a, error)) << error;
  // The last word on "Gain" wins, whichever kind of option it is: normalised
  // 0.2 is a gain of 0.4, the display text 50 a gain of 0.5.
  const struct {
    std::vector<std::string> options;
    float gain;
  } cases[] = {{{"--param-norm", "Gain=0.2", "--param", "Gain=50"}, 0.5F},
               {{"--param", "Gain=50", "--param-norm", "Gain=0.2"}, 0.4F},
               {{"--param-norm=Gain=0.3", "--param=Gain=50", "--param-norm", "Gain=0.2"}, 0.4F}};
  for (const auto& c : cases) {
    std::vector<std::string> words = {"process", OMBRISK_TESTFX_PATH, in, out, "--mode", "double"};
    words.insert(words.end(), c.options.begin(), c.options.end());
    ASSERT_EQ(RunCommandLine(words), 0);
    ASSERT_TRUE(ReadAudioFile(out, b, error)) << error;
    ASSERT_EQ(a.Frames(), b.Frames());
    std::size_t checked = 0;
    for (std::size_t i = 0; i < a.Frames(); i += 31) {
      if (std::fabs(a.channels[0][i]) < 0.01F) continue;
      ASSERT_NEAR(b.channels[0][i] / a.channels[0][i], c.gain, 1e-4F) << "frame " << i << " of " << words[6];
      ++checked;
    }
    EXPECT_GT(checked, 10U);
  }
  std::remove(in.c_str());
  std::remove(out.c_str());
}

TEST(Commands, ChunkGetAndSetRestoreTheState) {
  const std::string in = Temp("cmd_chunk_in.wav");
  const std::string chunk = Temp("cmd_state.bin");
  const std::string out = Temp("cmd_chunk_out.wav");
  ASSERT_EQ(RunCommandLine({"synth", in, "--seconds", "0.2"}), 0);
  ASSERT_EQ(RunCommandLine({"chunk", "get", OMBRISK_TESTFX_PATH, chunk}), 0);
  std::vector<std::uint8_t> state = Bytes(chunk);
  ASSERT_EQ(state.size(), 12U);
  const float quarter = 0.125F;  // normalised gain 0.125 = 25 %
  std::memcpy(state.data() + 4, &quarter, sizeof quarter);
  std::ofstream(chunk, std::ios::binary).write(reinterpret_cast<const char*>(state.data()), 12);
  EXPECT_EQ(RunCommandLine({"chunk", "set", OMBRISK_TESTFX_PATH, chunk}), 0);
  ASSERT_EQ(RunCommandLine({"process", OMBRISK_TESTFX_PATH, in, out, "--chunk", chunk}), 0);
  AudioData a;
  AudioData b;
  std::string error;
  ASSERT_TRUE(ReadAudioFile(in, a, error));
  ASSERT_TRUE(ReadAudioFile(out, b, error));
  for (std::size_t i = 0; i < a.Frames(); i += 101) ASSERT_NEAR(b.channels[1][i], 0.25F * a.channels[1][i], 2e-7F);

  // Damaged state is refused with a failure code.
  std::ofstream(chunk, std::ios::binary) << "garbage";
  EXPECT_EQ(RunCommandLine({"chunk", "set", OMBRISK_TESTFX_PATH, chunk}), 1);
  EXPECT_EQ(RunCommandLine({"process", OMBRISK_TESTFX_PATH, in, out, "--chunk", chunk}), 1);
  for (const std::string& f : {in, chunk, out}) std::remove(f.c_str());
}

TEST(Commands, BadInputGivesAFailureCode) {
  const std::string in = Temp("cmd_bad_in.wav");
  const std::string junk = Temp("cmd_junk.wav");
  const std::string out = Temp("cmd_bad_out.wav");
  ASSERT_EQ(RunCommandLine({"synth", in, "--seconds", "0.1"}), 0);
  std::ofstream(junk) << "this is not audio";
  const char* plugin = OMBRISK_TESTFX_PATH;
  // Usage errors: 2.
  EXPECT_EQ(RunCommandLine({}), 2);
  EXPECT_EQ(RunCommandLine({"frobnicate"}), 2);
  EXPECT_EQ(RunCommandLine({"info"}), 2);
  EXPECT_EQ(RunCommandLine({"info", plugin, "--colour"}), 2);
  EXPECT_EQ(RunCommandLine({"process", plugin, in}), 2);
  EXPECT_EQ(RunCommandLine({"process", plugin, in, out, "--block", "0"}), 2);
  EXPECT_EQ(RunCommandLine({"process", plugin, in, out, "--rate", "fast"}), 2);
  EXPECT_EQ(RunCommandLine({"process", plugin, in, out, "--mode", "sideways"}), 2);
  EXPECT_EQ(RunCommandLine({"validate", plugin, "--strictness", "11"}), 2);
  EXPECT_EQ(RunCommandLine({"bench", plugin, "--seconds", "-1"}), 2);
  EXPECT_EQ(RunCommandLine({"chunk", "peek", plugin, out}), 2);
  // Failures: 1.
  EXPECT_EQ(RunCommandLine({"process", plugin, Temp("missing.wav"), out}), 1);
  EXPECT_EQ(RunCommandLine({"process", plugin, junk, out}), 1);
  EXPECT_EQ(RunCommandLine({"process", OMBRISK_TESTFX_NOENTRY_PATH, in, out}), 1);
  EXPECT_EQ(RunCommandLine({"process", OMBRISK_TESTFX_NULLMAIN_PATH, in, out}), 1);
  EXPECT_EQ(RunCommandLine({"process", plugin, in, out, "--param", "Volume=3"}), 1);
  EXPECT_EQ(RunCommandLine({"process", plugin, in, out, "--param", "Polarity=sideways"}), 1);
  EXPECT_EQ(RunCommandLine({"process", plugin, in, out, "--param-norm", "Gain=1.5"}), 1);
  EXPECT_EQ(RunCommandLine({"process", plugin, in, out, "--param", "Gain"}), 1);
  EXPECT_EQ(RunCommandLine({"chunk", "get", plugin, Temp("no/such/dir/state.bin")}), 1);
  EXPECT_EQ(RunCommandLine({"info", Temp("missing.so")}), 1);
  for (const std::string& f : {in, junk, out}) std::remove(f.c_str());
}

TEST(Commands, CurveAndDumpWriteColumnsForPlotting) {
  const std::string curve = Temp("cmd_curve.txt");
  ASSERT_EQ(RunCommandLine({"curve", OMBRISK_TESTFX_PATH, curve, "--param", "Gain=50", "--peak", "0"}), 0);
  std::ifstream in(curve);
  std::string header;
  std::getline(in, header);
  EXPECT_EQ(header[0], '#');
  double x = 0.0;
  double y = 0.0;
  int rows = 0;
  double largest = 0.0;
  while (in >> x >> y) {
    ASSERT_NEAR(y, 0.5 * x, 1e-5);  // 50 % gain: a straight line of slope 0.5
    largest = std::max(largest, std::fabs(x));
    ++rows;
  }
  EXPECT_EQ(rows, 44100 / 4);  // one second, one point in four
  EXPECT_NEAR(largest, 1.0, 0.01);  // rises to 0 dBFS

  const std::string wav = Temp("cmd_dump.wav");
  const std::string text = Temp("cmd_dump.txt");
  ASSERT_EQ(RunCommandLine({"synth", wav, "--seconds", "1", "--rate", "8000"}), 0);
  ASSERT_EQ(RunCommandLine({"dump", wav, text, "--from", "0.5", "--to", "0.51"}), 0);
  std::ifstream dumped(text);
  double t = 0.0;
  double left = 0.0;
  double right = 0.0;
  int frames = 0;
  while (dumped >> t >> left >> right) ++frames;
  EXPECT_EQ(frames, 80);
  EXPECT_NEAR(t, 0.50988, 1e-4);
  EXPECT_EQ(RunCommandLine({"dump", wav, text, "--from", "0.5", "--to", "0.4"}), 2);
  for (const std::string& f : {curve, wav, text}) std::remove(f.c_str());
}

TEST(Commands, BenchComparesTwoPlugins) {
  EXPECT_EQ(RunCommandLine({"bench", OMBRISK_TESTFX_PATH, OMBRISK_TESTFX_LATENCY_PATH, "--seconds", "0.2", "--runs", "3"}), 0);
}

}  // namespace
}  // namespace ombrisk::host
