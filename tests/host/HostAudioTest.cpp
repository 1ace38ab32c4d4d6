#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include "host/Args.h"
#include "host/Audio.h"
#include "host/AudioLevels.h"
#include "host/WavCodec.h"
#include "host/Signals.h"

namespace ombrisk::host {
namespace {

AudioData Sine(double rate, std::size_t frames, std::size_t channels, double amplitude) {
  AudioData audio;
  audio.sampleRate = rate;
  audio.channels.assign(channels, std::vector<float>(frames));
  for (std::size_t c = 0; c < channels; ++c) {
    for (std::size_t i = 0; i < frames; ++i) {
      audio.channels[c][i] = static_cast<float>(
          amplitude * std::sin(2.0 * std::numbers::pi * 441.0 * static_cast<double>(i) / rate + static_cast<double>(c)));
    }
  }
  return audio;
}

TEST(WavCodec, RoundTripsEveryWrittenFormatWithinItsResolution) {
  const AudioData original = Sine(48000.0, 1000, 3, 0.9);
  const struct {
    SampleFormat format;
    double tolerance;
  } cases[] = {{SampleFormat::Pcm16, 1.0 / 32768.0}, {SampleFormat::Pcm24, 1.0 / 8388608.0},
               {SampleFormat::Pcm32, 1e-7}, {SampleFormat::Float32, 0.0}};
  for (const auto& c : cases) {
    AudioData decoded;
    std::string error;
    ASSERT_TRUE(ReadWavBytes(EncodeWav(original, c.format), decoded, error)) << error;
    EXPECT_EQ(decoded.format, c.format);
    EXPECT_EQ(decoded.sampleRate, 48000.0);
    ASSERT_EQ(decoded.NumChannels(), 3U);
    ASSERT_EQ(decoded.Frames(), 1000U);
    for (std::size_t ch = 0; ch < 3; ++ch) {
      for (std::size_t i = 0; i < 1000; ++i) {
        ASSERT_NEAR(decoded.channels[ch][i], original.channels[ch][i], c.tolerance) << "channel " << ch << " frame " << i;
      }
    }
  }
}

TEST(WavCodec, ClipsOutOfRangeAndNonFiniteSamplesWhenQuantising) {
  AudioData loud;
  loud.channels = {{2.0F, -2.0F, std::nanf(""), 1.0F}};
  AudioData decoded;
  std::string error;
  ASSERT_TRUE(ReadWavBytes(EncodeWav(loud, SampleFormat::Pcm16), decoded, error)) << error;
  EXPECT_NEAR(decoded.channels[0][0], 32767.0F / 32768.0F, 1e-6F);
  EXPECT_EQ(decoded.channels[0][1], -1.0F);
  EXPECT_EQ(decoded.channels[0][2], 0.0F);
}

TEST(WavCodec, ReadsWhatATruncatedFileStillHolds) {
  std::vector<std::uint8_t> bytes = EncodeWav(Sine(44100.0, 100, 2, 0.5), SampleFormat::Pcm16);
  bytes.resize(bytes.size() - 41);  // 10 whole frames and one odd byte gone
  AudioData decoded;
  std::string error;
  ASSERT_TRUE(ReadWavBytes(bytes, decoded, error)) << error;
  EXPECT_EQ(decoded.Frames(), 89U);
}

TEST(WavCodec, ReadsTheExtensibleHeader) {
  // 1 channel, 24-bit PCM in a WAVE_FORMAT_EXTENSIBLE header.
  std::vector<std::uint8_t> b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 40, 0, 0, 0,
                                 0xFE, 0xFF, 1, 0, 0x44, 0xAC, 0, 0, 0xCC, 0x04, 0x02, 0, 3, 0, 24, 0, 22, 0, 24, 0,
                                 4, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71,
                                 'd', 'a', 't', 'a', 6, 0, 0, 0, 0, 0, 0x40, 0, 0, 0xC0};
  AudioData decoded;
  std::string error;
  ASSERT_TRUE(ReadWavBytes(b, decoded, error)) << error;
  ASSERT_EQ(decoded.Frames(), 2U);
  EXPECT_EQ(decoded.sampleRate, 44100.0);
  EXPECT_FLOAT_EQ(decoded.channels[0][0], 0.5F);
  EXPECT_FLOAT_EQ(decoded.channels[0][1], -0.5F);
}

TEST(WavCodec, RejectsWhatItCannotReadWithAReason) {
  AudioData decoded;
  std::string error;
  EXPECT_FALSE(ReadWavBytes({}, decoded, error));
  EXPECT_NE(error.find("not a WAV"), std::string::npos);

  std::vector<std::uint8_t> eightBit = EncodeWav(Sine(8000.0, 10, 1, 0.5), SampleFormat::Pcm16);
  eightBit[34] = 8;  // bits per sample
  EXPECT_FALSE(ReadWavBytes(eightBit, decoded, error));
  EXPECT_NE(error.find("unsupported WAV sample format"), std::string::npos);

  std::vector<std::uint8_t> noChannels = EncodeWav(Sine(8000.0, 10, 1, 0.5), SampleFormat::Pcm16);
  noChannels[22] = 0;
  EXPECT_FALSE(ReadWavBytes(noChannels, decoded, error));

  std::vector<std::uint8_t> headerOnly = EncodeWav(Sine(8000.0, 10, 1, 0.5), SampleFormat::Pcm16);
  headerOnly.resize(30);
  EXPECT_FALSE(ReadWavBytes(headerOnly, decoded, error));

  EXPECT_FALSE(ReadWav("/nonexistent/dir/file.wav", decoded, error));
  EXPECT_NE(error.find("cannot open"), std::string::npos);
}

TEST(AudioFiles, WriteAndReadBackThroughThePlatformReader) {
  const std::string path = ::testing::TempDir() + "host_audio_roundtrip.wav";
  AudioData original = Sine(22050.0, 500, 2, 0.25);
  original.format = SampleFormat::Pcm24;
  std::string error;
  ASSERT_TRUE(WriteAudioFile(path, original, error)) << error;
  AudioData back;
  ASSERT_TRUE(ReadAudioFile(path, back, error)) << error;
  EXPECT_EQ(back.format, SampleFormat::Pcm24);
  ASSERT_EQ(back.Frames(), 500U);
  EXPECT_NEAR(back.channels[1][123], original.channels[1][123], 1e-6);
  std::remove(path.c_str());

  EXPECT_FALSE(ReadAudioFile(::testing::TempDir() + "missing-file.wav", back, error));
  EXPECT_FALSE(WriteAudioFile(::testing::TempDir() + "out.unknownext", original, error));
}

TEST(Levels, MeasurePeakRmsAndCrestFactor) {
  const Levels sine = MeasureLevels(Sine(44100.0, 44100, 2, 0.5));
  EXPECT_NEAR(sine.peak, 0.5, 1e-4);
  EXPECT_NEAR(sine.rms, 0.5 / std::sqrt(2.0), 1e-4);
  EXPECT_NEAR(sine.CrestDb(), 3.0103, 1e-2);
  EXPECT_EQ(FormatDb(sine.peak), "-6.02");

  AudioData silence;
  silence.channels = {std::vector<float>(100, 0.0F)};
  const Levels quiet = MeasureLevels(silence);
  EXPECT_EQ(FormatDb(quiet.peak), "-inf");
  EXPECT_EQ(quiet.CrestDb(), 0.0);

  AudioData broken;
  broken.channels = {{1.0F, std::nanf(""), INFINITY}};
  EXPECT_EQ(MeasureLevels(broken).nonFinite, 2U);
  EXPECT_EQ(MeasureLevels(broken).peak, 1.0);
}

TEST(Signals, TestProgramHasTransientsBassAndASweepBelowFullScale) {
  const AudioData program = SynthesiseTestProgram(44100.0, 9.0);
  ASSERT_EQ(program.NumChannels(), 2U);
  ASSERT_EQ(program.Frames(), 9U * 44100U);
  const Levels levels = MeasureLevels(program);
  EXPECT_GT(levels.peak, 0.5);
  EXPECT_LE(levels.peak, 0.98 + 1e-6);
  // Drums and bass: a high crest factor in the first part; the sweep is a plain sine.
  AudioData drums = program;
  AudioData sweep = program;
  for (auto& c : drums.channels) c.resize(6 * 44100);
  for (auto& c : sweep.channels) c.erase(c.begin(), c.begin() + 6 * 44100 + 4410);
  for (auto& c : sweep.channels) c.resize(2 * 44100);
  EXPECT_GT(MeasureLevels(drums).CrestDb(), 8.0);
  EXPECT_NEAR(MeasureLevels(sweep).CrestDb(), 3.01, 0.2);
  EXPECT_NEAR(MeasureLevels(sweep).peak, 0.5, 0.01);
}

TEST(CommandLineArgs, ParsesValuesFlagsAndRejectsTheRest) {
  Args args;
  std::string error;
  ASSERT_TRUE(ParseArgs({"a.so", "--param", "Gain=1", "--param=Wet=2", "--offline", "b"}, {"param"}, {"offline"}, args, error));
  EXPECT_EQ(args.positional, (std::vector<std::string>{"a.so", "b"}));
  EXPECT_EQ(args.All("param"), (std::vector<std::string>{"Gain=1", "Wet=2"}));
  EXPECT_EQ(*args.Value("param"), "Wet=2");
  EXPECT_TRUE(args.Has("offline"));

  Args bad;
  EXPECT_FALSE(ParseArgs({"--nope"}, {}, {}, bad, error));
  EXPECT_NE(error.find("--nope"), std::string::npos);
  EXPECT_FALSE(ParseArgs({"--param"}, {"param"}, {}, bad, error));
  EXPECT_FALSE(ParseArgs({"--offline=1"}, {}, {"offline"}, bad, error));

  double d = 0.0;
  long long n = 0;
  EXPECT_TRUE(ParseDouble("44100.5", d));
  EXPECT_EQ(d, 44100.5);
  EXPECT_FALSE(ParseDouble("44k", d));
  EXPECT_FALSE(ParseDouble("nan", d));
  EXPECT_FALSE(ParseDouble("", d));
  EXPECT_TRUE(ParseInt("-12", n));
  EXPECT_FALSE(ParseInt("12.5", n));
  EXPECT_FALSE(ParseInt("99999999999999999999", n));
}

}  // namespace
}  // namespace ombrisk::host
