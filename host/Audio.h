// Audio held in memory as one float vector per channel, its level figures, and
// reading and writing of audio files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ombrisk::host {

// Sample formats a file may carry; Default lets the writer choose.
enum class SampleFormat { Default, Pcm16, Pcm24, Pcm32, Float32 };

struct AudioData {
  double sampleRate = 44100.0;
  std::vector<std::vector<float>> channels;
  SampleFormat format = SampleFormat::Default;  // what the file held, kept for writing

  std::size_t Frames() const { return channels.empty() ? 0 : channels.front().size(); }
  std::size_t NumChannels() const { return channels.size(); }
};

struct Levels {
  double peak = 0.0;  // largest magnitude, linear
  double rms = 0.0;   // over every sample of every channel
  std::size_t nonFinite = 0;
  // Peak over RMS in dB; 0 for silence.
  double CrestDb() const;
};

Levels MeasureLevels(const AudioData& audio);
// Linear amplitude in dBFS, "-inf" for zero.
std::string FormatDb(double linear);

// WAV: PCM 16/24/32-bit and 32-bit float, plain or extensible header.
bool ReadWav(const std::string& path, AudioData& audio, std::string& error);
bool ReadWavBytes(const std::vector<std::uint8_t>& bytes, AudioData& audio, std::string& error);
bool WriteWav(const std::string& path, const AudioData& audio, SampleFormat format, std::string& error);
std::vector<std::uint8_t> EncodeWav(const AudioData& audio, SampleFormat format);

// Every format the platform's reader knows (natively libsndfile's; WAV only
// where libsndfile is not available). The output format follows the file name.
bool ReadAudioFile(const std::string& path, AudioData& audio, std::string& error);
bool WriteAudioFile(const std::string& path, const AudioData& audio, std::string& error);
bool AudioFileLibraryAvailable();

}  // namespace ombrisk::host
