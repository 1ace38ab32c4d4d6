// The file reader of native builds: everything libsndfile reads.
#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "host/Audio.h"

namespace ombrisk::host {
namespace {

struct SndfileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfilePtr = std::unique_ptr<SNDFILE, SndfileCloser>;

std::string Extension(const std::string& path) {
  const auto dot = path.find_last_of('.');
  const auto slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext;
}

int MajorFormat(const std::string& ext) {
  struct Entry {
    const char* ext;
    int major;
  };
  static constexpr Entry kTable[] = {
      {"wav", SF_FORMAT_WAV},   {"aif", SF_FORMAT_AIFF}, {"aiff", SF_FORMAT_AIFF}, {"au", SF_FORMAT_AU},
      {"snd", SF_FORMAT_AU},    {"caf", SF_FORMAT_CAF},  {"w64", SF_FORMAT_W64},   {"flac", SF_FORMAT_FLAC},
      {"ogg", SF_FORMAT_OGG},   {"oga", SF_FORMAT_OGG},  {"rf64", SF_FORMAT_RF64}, {"raw", SF_FORMAT_RAW},
  };
  for (const Entry& e : kTable) {
    if (ext == e.ext) return e.major;
  }
  return 0;
}

int Subtype(SampleFormat format) {
  switch (format) {
    case SampleFormat::Pcm16: return SF_FORMAT_PCM_16;
    case SampleFormat::Pcm24: return SF_FORMAT_PCM_24;
    case SampleFormat::Pcm32: return SF_FORMAT_PCM_32;
    case SampleFormat::Float32: return SF_FORMAT_FLOAT;
    default: return 0;
  }
}

SampleFormat FromSubtype(int subtype) {
  switch (subtype) {
    case SF_FORMAT_PCM_16: return SampleFormat::Pcm16;
    case SF_FORMAT_PCM_24: return SampleFormat::Pcm24;
    case SF_FORMAT_PCM_32: return SampleFormat::Pcm32;
    case SF_FORMAT_FLOAT: return SampleFormat::Float32;
    default: return SampleFormat::Default;
  }
}

}  // namespace

bool AudioFileLibraryAvailable() { return true; }

bool ReadAudioFile(const std::string& path, AudioData& audio, std::string& error) {
  SF_INFO info{};
  SndfilePtr file(sf_open(path.c_str(), SFM_READ, &info));
  if (!file) {
    error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  if (info.channels <= 0 || info.channels > 256 || info.samplerate <= 0) {
    error = "cannot read " + path + ": unsupported channel count or sample rate";
    return false;
  }
  const auto channels = static_cast<std::size_t>(info.channels);
  std::vector<float> interleaved(4096 * channels);
  audio.channels.assign(channels, {});
  audio.sampleRate = info.samplerate;
  audio.format = FromSubtype(info.format & SF_FORMAT_SUBMASK);
  for (;;) {
    const sf_count_t got = sf_readf_float(file.get(), interleaved.data(), 4096);
    if (got <= 0) break;
    for (sf_count_t i = 0; i < got; ++i) {
      for (std::size_t c = 0; c < channels; ++c) {
        audio.channels[c].push_back(interleaved[static_cast<std::size_t>(i) * channels + c]);
      }
    }
  }
  if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
    error = "cannot read " + path + ": " + sf_strerror(file.get());
    return false;
  }
  return true;
}

bool WriteAudioFile(const std::string& path, const AudioData& audio, std::string& error) {
  if (audio.NumChannels() == 0) {
    error = "nothing to write to " + path + " (no channels)";
    return false;
  }
  const int major = MajorFormat(Extension(path));
  if (major == 0) {
    error = "unknown output file type (use .wav, .flac, .ogg, .aiff, .au, .caf, .w64 or .rf64): " + path;
    return false;
  }
  SF_INFO info{};
  info.samplerate = static_cast<int>(audio.sampleRate);
  info.channels = static_cast<int>(audio.NumChannels());
  // Keep the input's sample format where the container allows it.
  const int candidates[] = {Subtype(audio.format), SF_FORMAT_PCM_24, SF_FORMAT_FLOAT, SF_FORMAT_PCM_16,
                            SF_FORMAT_VORBIS};
  bool ok = false;
  for (const int subtype : candidates) {
    if (subtype == 0) continue;
    info.format = major | subtype;
    if (sf_format_check(&info) != 0) {
      ok = true;
      break;
    }
  }
  if (!ok) {
    error = "no sample format fits " + path;
    return false;
  }
  SndfilePtr file(sf_open(path.c_str(), SFM_WRITE, &info));
  if (!file) {
    error = "cannot create " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
  const std::size_t channels = audio.NumChannels();
  const std::size_t frames = audio.Frames();
  std::vector<float> interleaved(4096 * channels);
  for (std::size_t start = 0; start < frames; start += 4096) {
    const std::size_t n = std::min<std::size_t>(4096, frames - start);
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t c = 0; c < channels; ++c) interleaved[i * channels + c] = audio.channels[c][start + i];
    }
    if (sf_writef_float(file.get(), interleaved.data(), static_cast<sf_count_t>(n)) != static_cast<sf_count_t>(n)) {
      error = "cannot write " + path + ": " + sf_strerror(file.get());
      return false;
    }
  }
  return true;
}

}  // namespace ombrisk::host
