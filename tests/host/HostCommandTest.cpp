#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "host/Audio.h"
#include "host/Commands.h"
#include "host/EditOptions.h"
#include "host/EditorEventLog.h"
#include "host/PngFile.h"
#include "TestFiles.h"

namespace ombrisk::host {
namespace {

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

// Every command answers --help and -h with its own usage on standard output
// and exit code 0, wherever the word stands and whatever else is given, as
// long as no option takes it as its value.
TEST(Commands, HelpPrintsTheCommandsUsage) {
  const char* plugin = OMBRISK_TESTFX_PATH;
  const std::vector<std::vector<std::string>> asks = {
      {"info", "--help"},
      {"info", plugin, "-h"},
      {"process", "--help", plugin, "in.wav"},
      {"process", plugin, "in.wav", "out.wav", "--block", "0", "--help"},
      {"chunk", "-h"},
      {"bench", "--help", "--colour"},
      {"validate", "--help"},
      {"synth", "-h"},
      {"curve", "--help"},
      {"dump", "--help"},
      {"edit", "--help"},
      {"edit", plugin, "--instances", "3", "-h"},
  };
  for (const std::vector<std::string>& words : asks) {
    ::testing::internal::CaptureStdout();
    const int code = RunCommandLine(words);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, 0) << words[0] << " " << words.back();
    EXPECT_EQ(out.rfind("usage: ombrisk-host " + words[0] + " ", 0), 0u) << out;
    EXPECT_EQ(out.find("COMMAND"), std::string::npos) << "only the command's own usage: " << out;
  }
  // Taken as an option's value, the word is that value: a usage error here.
  EXPECT_EQ(RunCommandLine({"process", plugin, "in.wav", "out.wav", "--rate", "--help"}), 2);
  EXPECT_EQ(RunCommandLine({"edit", plugin, "--after-ms", "-h"}), 2);
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

TEST(EditCommand, ParsesOptionsAndRefusesWhatIsOutOfRange) {
  const auto parse = [](std::vector<std::string> words, EditOptions& options, std::string& error) {
    Args args;
    if (!ParseArgs(words, {"screenshot", "after-ms", "instances", "cycles"}, {"stdin"}, args, error)) return false;
    return ParseEditOptions(args, options, error);
  };
  EditOptions options;
  std::string error;
  ASSERT_TRUE(parse({"fx.so"}, options, error)) << error;
  EXPECT_EQ(options.instances, 1);
  EXPECT_EQ(options.afterMs, -1);
  EXPECT_EQ(options.cycles, 0);
  EXPECT_FALSE(options.commands);
  ASSERT_TRUE(parse({"fx.so", "--screenshot", "a.png"}, options, error)) << error;
  EXPECT_EQ(options.screenshot, "a.png");
  EXPECT_EQ(options.afterMs, 1000);  // a screenshot waits for a first picture
  ASSERT_TRUE(parse({"fx.so", "--after-ms=250", "--screenshot", "b.png", "--instances", "2"}, options, error)) << error;
  EXPECT_EQ(options.afterMs, 250);
  EXPECT_EQ(options.instances, 2);
  ASSERT_TRUE(parse({"fx.so", "--cycles", "100"}, options, error)) << error;
  EXPECT_EQ(options.cycles, 100);
  ASSERT_TRUE(parse({"fx.so", "--stdin", "--instances", "8"}, options, error)) << error;
  EXPECT_TRUE(options.commands);

  const std::vector<std::vector<std::string>> bad = {
      {},
      {"a.so", "b.so"},
      {"fx.so", "--instances", "0"},
      {"fx.so", "--instances", "9"},
      {"fx.so", "--instances", "two"},
      {"fx.so", "--after-ms", "-5"},
      {"fx.so", "--after-ms", "3600001"},
      {"fx.so", "--cycles", "0"},
      {"fx.so", "--screenshot="},
      {"fx.so", "--cycles", "3", "--stdin"},
      {"fx.so", "--cycles", "3", "--screenshot", "c.png"},
  };
  for (const auto& words : bad) {
    error.clear();
    EXPECT_FALSE(parse(words, options, error)) << (words.empty() ? "(no words)" : words.back());
    EXPECT_FALSE(error.empty());
  }
}

TEST(EditCommand, ParsesScriptLinesAndNamesTheInstance) {
  EditCommand c;
  std::string error;
  ASSERT_TRUE(ParseEditCommand("open", 2, c, error)) << error;
  EXPECT_EQ(c.kind, EditCommand::Kind::Open);
  EXPECT_EQ(c.instance, 0);
  ASSERT_TRUE(ParseEditCommand("  close 1 ", 2, c, error)) << error;
  EXPECT_EQ(c.kind, EditCommand::Kind::Close);
  EXPECT_EQ(c.instance, 1);
  ASSERT_TRUE(ParseEditCommand("cycles 100 1", 2, c, error)) << error;
  EXPECT_EQ(c.kind, EditCommand::Kind::Cycles);
  EXPECT_EQ(c.count, 100);
  EXPECT_EQ(c.instance, 1);
  ASSERT_TRUE(ParseEditCommand("screenshot /tmp/x.png", 1, c, error)) << error;
  EXPECT_EQ(c.kind, EditCommand::Kind::Screenshot);
  EXPECT_EQ(c.file, "/tmp/x.png");
  ASSERT_TRUE(ParseEditCommand("where", 1, c, error)) << error;
  EXPECT_EQ(c.kind, EditCommand::Kind::Where);
  ASSERT_TRUE(ParseEditCommand("count", 1, c, error)) << error;
  EXPECT_EQ(c.kind, EditCommand::Kind::Count);
  ASSERT_TRUE(ParseEditCommand("quit", 1, c, error)) << error;
  EXPECT_EQ(c.kind, EditCommand::Kind::Quit);
  ASSERT_TRUE(ParseEditCommand("frames idle 100", 1, c, error)) << error;
  EXPECT_EQ(c.kind, EditCommand::Kind::Frames);
  EXPECT_EQ(c.frameMode, EditCommand::FrameMode::Idle);
  EXPECT_EQ(c.count, 100);
  EXPECT_EQ(c.instance, 0);
  ASSERT_TRUE(ParseEditCommand("frames expose 5 1", 2, c, error)) << error;
  EXPECT_EQ(c.frameMode, EditCommand::FrameMode::ExposeAll);
  EXPECT_EQ(c.count, 5);
  EXPECT_EQ(c.instance, 1);
  ASSERT_TRUE(ParseEditCommand("frames knob 7", 1, c, error)) << error;
  EXPECT_EQ(c.frameMode, EditCommand::FrameMode::Knob);
  EXPECT_EQ(c.param, 0);
  ASSERT_TRUE(ParseEditCommand("frames knob:3 7 1", 2, c, error)) << error;
  EXPECT_EQ(c.frameMode, EditCommand::FrameMode::Knob);
  EXPECT_EQ(c.param, 3);
  EXPECT_EQ(c.count, 7);
  EXPECT_EQ(c.instance, 1);

  for (const char* line : {"", "   ", "dance", "open 2", "open -1", "close x", "cycles", "cycles 0", "cycles many",
                           "screenshot", "count 0", "quit now", "where 0 0", "open 0 1", "frames", "frames idle",
                           "frames 100", "frames spin 100", "frames idle 0", "frames idle 100001", "frames knob: 5",
                           "frames knob:-1 5", "frames knob:x 5", "frames knob:10000 5", "frames expose 5 2",
                           "frames idle 5 0 0"}) {
    error.clear();
    EXPECT_FALSE(ParseEditCommand(line, 2, c, error)) << '"' << line << '"';
    EXPECT_FALSE(error.empty()) << line;
  }
}

TEST(EditCommand, PrintsEachEditorCallOnALineAndChecksSizes) {
  std::ostringstream out;
  std::vector<std::pair<int, int>> resized;
  EditorEventLog log(out, "", [&](std::int32_t w, std::int32_t h) {
    resized.emplace_back(w, h);
    return w != 999;  // a window that will not take this width
  });
  log.BeginEdit(0);
  log.Automate(0, 0.25F);
  log.Automate(0, 0.5F);
  log.EndEdit(0);
  log.Automate(4, std::numeric_limits<float>::quiet_NaN());
  EXPECT_TRUE(log.SizeWindow(900, 560));
  EXPECT_FALSE(log.SizeWindow(999, 560));
  EXPECT_FALSE(log.SizeWindow(0, 560));
  EXPECT_FALSE(log.SizeWindow(900, -1));
  EXPECT_FALSE(log.SizeWindow(EditorEventLog::kMaxSide + 1, 10));
  EXPECT_EQ(out.str(),
            "begin-edit 0\nautomate 0 0.250000\nautomate 0 0.500000\nend-edit 0\nautomate 4 nan\n"
            "size-window 900 560\nsize-window 999 560 refused\nsize-window 0 560 refused\n"
            "size-window 900 -1 refused\nsize-window 16385 10 refused\n");
  // Nonsense sizes never reach the window.
  const std::vector<std::pair<int, int>> expected = {{900, 560}, {999, 560}};
  EXPECT_EQ(resized, expected);

  std::ostringstream second;
  EditorEventLog prefixed(second, "1: ", nullptr);
  prefixed.Automate(2, 1.0F);
  EXPECT_FALSE(prefixed.SizeWindow(100, 100));  // no window to resize
  EXPECT_EQ(second.str(), "1: automate 2 1.000000\n1: size-window 100 100 refused\n");
}

TEST(EditCommand, WritesPicturesAndRefusesEmptyOnes) {
  RgbImage image;
  image.width = 3;
  image.height = 2;
  image.pixels = {0, 0, 0, 255, 255, 255, 30, 60, 90, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_NEAR(image.Mean(), (255.0 * 3 + 180.0) / 18.0, 1e-9);
  const std::string path = Temp("edit_picture.png");
  std::string error;
  ASSERT_TRUE(WritePng(path, image, error)) << error;
  const std::vector<std::uint8_t> bytes = Bytes(path);
  ASSERT_GT(bytes.size(), 24U);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG");
  // Width and height, big-endian, in the header chunk.
  EXPECT_EQ(bytes[19], 3);
  EXPECT_EQ(bytes[23], 2);
  std::remove(path.c_str());

  RgbImage broken = image;
  broken.pixels.pop_back();
  EXPECT_FALSE(broken.Valid());
  EXPECT_EQ(broken.Mean(), 0.0);
  EXPECT_FALSE(WritePng(path, broken, error));
  EXPECT_FALSE(WritePng(Temp("no/such/dir/x.png"), image, error));
}

TEST(EditCommand, CommandLineErrorsComeBeforeAnyWindow) {
  EXPECT_EQ(RunCommandLine({"edit"}), 2);
  EXPECT_EQ(RunCommandLine({"edit", OMBRISK_TESTFX_PATH, "--instances", "0"}), 2);
  EXPECT_EQ(RunCommandLine({"edit", OMBRISK_TESTFX_PATH, "--wobble"}), 2);
  EXPECT_EQ(RunCommandLine({"edit", Temp("missing.so")}), 1);
  // The test plug-in has no editor: a failure, not a window.
  EXPECT_EQ(RunCommandLine({"edit", OMBRISK_TESTFX_PATH, "--after-ms", "0"}), 1);
  // An editor that never opens fails whether or not there is a display to
  // show it on (and in the Windows build, which shows none).
  EXPECT_EQ(RunCommandLine({"edit", OMBRISK_TESTFX_DEADEDITOR_PATH, "--after-ms", "0"}), 1);
}

}  // namespace
}  // namespace ombrisk::host
