// Audio held in memory as one float vector per channel, and reading and
// writing of audio files in whatever formats the platform's reader knows.
// The WAV codec is in WavCodec.h, the level figures in AudioLevels.h.
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

// Every format the platform's reader knows (natively libsndfile's; WAV only
// where libsndfile is not available). The output format follows the file name.
bool ReadAudioFile(const std::string& path, AudioData& audio, std::string& error);
bool WriteAudioFile(const std::string& path, const AudioData& audio, std::string& error);
bool AudioFileLibraryAvailable();

}  // namespace ombrisk::host
