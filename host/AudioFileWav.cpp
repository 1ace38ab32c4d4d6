// The file reader of builds without libsndfile: WAV only.
#include "host/Audio.h"
#include "host/WavCodec.h"

namespace ombrisk::host {

bool AudioFileLibraryAvailable() { return false; }

bool ReadAudioFile(const std::string& path, AudioData& audio, std::string& error) {
  return ReadWav(path, audio, error);
}

bool WriteAudioFile(const std::string& path, const AudioData& audio, std::string& error) {
  const auto dot = path.find_last_of('.');
  std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (ext != "wav") {
    error = "this build writes WAV files only: " + path;
    return false;
  }
  return WriteWav(path, audio, audio.format, error);
}

}  // namespace ombrisk::host
