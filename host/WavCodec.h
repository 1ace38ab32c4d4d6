// The WAV codec: every platform reads and writes WAV files through it (the
// only format where libsndfile is not available).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/Audio.h"

namespace ombrisk::host {

// WAV: PCM 16/24/32-bit and 32-bit float, plain or extensible header.
bool ReadWav(const std::string& path, AudioData& audio, std::string& error);
bool ReadWavBytes(const std::vector<std::uint8_t>& bytes, AudioData& audio, std::string& error);
bool WriteWav(const std::string& path, const AudioData& audio, SampleFormat format, std::string& error);
std::vector<std::uint8_t> EncodeWav(const AudioData& audio, SampleFormat format);

}  // namespace ombrisk::host
