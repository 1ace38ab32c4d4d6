#include "host/WavCodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "host/FileBytes.h"

namespace ombrisk::host {
namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr std::size_t kMaxChannels = 256;

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

float Decode(const std::uint8_t* p, std::uint16_t bits, bool isFloat) {
  if (isFloat) {
    const std::uint32_t word = Le32(p);
    float value = 0.0F;
    std::memcpy(&value, &word, sizeof value);
    return value;
  }
  switch (bits) {
    case 16: return static_cast<float>(static_cast<std::int16_t>(Le16(p))) / 32768.0F;
    case 24: {
      const std::uint32_t u = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                              (static_cast<std::uint32_t>(p[2]) << 16);
      const std::int32_t s = static_cast<std::int32_t>(u << 8) >> 8;
      return static_cast<float>(static_cast<double>(s) / 8388608.0);
    }
    default: return static_cast<float>(static_cast<double>(static_cast<std::int32_t>(Le32(p))) / 2147483648.0);
  }
}

std::int64_t Quantise(float sample, double scale, std::int64_t lo, std::int64_t hi) {
  if (!std::isfinite(sample)) return 0;
  const double v = std::nearbyint(static_cast<double>(sample) * scale);
  return std::clamp(static_cast<std::int64_t>(std::clamp(v, -9.0e18, 9.0e18)), lo, hi);
}

}  // namespace

bool ReadWavBytes(const std::vector<std::uint8_t>& bytes, AudioData& audio, std::string& error) {
  const std::size_t size = bytes.size();
  if (size < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    error = "not a WAV file (no RIFF/WAVE header)";
    return false;
  }
  std::uint16_t format = 0;
  std::uint16_t channels = 0;
  std::uint32_t rate = 0;
  std::uint16_t bits = 0;
  bool haveFormat = false;
  const std::uint8_t* data = nullptr;
  std::size_t dataSize = 0;
  std::size_t pos = 12;
  while (pos + 8 <= size) {
    const std::uint8_t* chunk = bytes.data() + pos;
    const std::size_t chunkSize = Le32(chunk + 4);
    const std::size_t body = pos + 8;
    const std::size_t available = size - body;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (chunkSize < 16 || available < 16) {
        error = "WAV format chunk is too short";
        return false;
      }
      const std::uint8_t* f = bytes.data() + body;
      format = Le16(f);
      channels = Le16(f + 2);
      rate = Le32(f + 4);
      bits = Le16(f + 14);
      if (format == kFormatExtensible) {
        if (chunkSize < 40 || available < 40) {
          error = "WAV extensible format chunk is too short";
          return false;
        }
        format = Le16(f + 24);  // first two bytes of the sub-format GUID
      }
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      data = bytes.data() + body;
      dataSize = std::min(chunkSize, available);  // a truncated file keeps what it has
      break;
    }
    if (chunkSize > available) break;
    pos = body + chunkSize + (chunkSize & 1U);
  }
  if (!haveFormat) {
    error = "WAV file has no format chunk";
    return false;
  }
  if (data == nullptr) {
    error = "WAV file has no data chunk";
    return false;
  }
  const bool isFloat = format == kFormatFloat;
  if (!((format == kFormatPcm && (bits == 16 || bits == 24 || bits == 32)) || (isFloat && bits == 32))) {
    error = "unsupported WAV sample format (format " + std::to_string(format) + ", " + std::to_string(bits) +
            " bits; PCM 16/24/32 and float 32 are read)";
    return false;
  }
  if (channels == 0 || channels > kMaxChannels) {
    error = "WAV file has an unsupported channel count (" + std::to_string(channels) + ")";
    return false;
  }
  if (rate == 0 || rate > 10'000'000) {
    error = "WAV file has an invalid sample rate (" + std::to_string(rate) + ")";
    return false;
  }
  const std::size_t bytesPerSample = bits / 8U;
  const std::size_t frames = dataSize / (bytesPerSample * channels);
  audio.sampleRate = rate;
  audio.format = isFloat ? SampleFormat::Float32
                         : (bits == 16 ? SampleFormat::Pcm16 : (bits == 24 ? SampleFormat::Pcm24 : SampleFormat::Pcm32));
  audio.channels.assign(channels, std::vector<float>(frames));
  for (std::size_t i = 0; i < frames; ++i) {
    for (std::size_t c = 0; c < channels; ++c) {
      audio.channels[c][i] = Decode(data + (i * channels + c) * bytesPerSample, bits, isFloat);
    }
  }
  return true;
}

bool ReadWav(const std::string& path, AudioData& audio, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!ReadWavBytes(bytes, audio, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

std::vector<std::uint8_t> EncodeWav(const AudioData& audio, SampleFormat format) {
  if (format == SampleFormat::Default) format = SampleFormat::Float32;
  const std::uint32_t channels = static_cast<std::uint32_t>(audio.NumChannels());
  const std::uint32_t bits = format == SampleFormat::Pcm16 ? 16U : (format == SampleFormat::Pcm24 ? 24U : 32U);
  const std::uint32_t blockAlign = channels * bits / 8U;
  const std::size_t frames = audio.Frames();
  const std::uint32_t dataSize = static_cast<std::uint32_t>(frames * blockAlign);
  const auto rate = static_cast<std::uint32_t>(std::lround(audio.sampleRate));
  std::vector<std::uint8_t> out;
  out.reserve(44 + dataSize);
  PutTag(out, "RIFF");
  Put32(out, 36 + dataSize);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, format == SampleFormat::Float32 ? kFormatFloat : kFormatPcm);
  Put16(out, channels);
  Put32(out, rate);
  Put32(out, rate * blockAlign);
  Put16(out, blockAlign);
  Put16(out, bits);
  PutTag(out, "data");
  Put32(out, dataSize);
  for (std::size_t i = 0; i < frames; ++i) {
    for (const auto& channel : audio.channels) {
      const float s = channel[i];
      switch (format) {
        case SampleFormat::Pcm16:
          Put16(out, static_cast<std::uint32_t>(Quantise(s, 32768.0, -32768, 32767)) & 0xFFFFU);
          break;
        case SampleFormat::Pcm24: {
          const auto v = static_cast<std::uint32_t>(Quantise(s, 8388608.0, -8388608, 8388607));
          out.push_back(static_cast<std::uint8_t>(v & 0xFF));
          out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
          out.push_back(static_cast<std::uint8_t>((v >> 16) & 0xFF));
          break;
        }
        case SampleFormat::Pcm32:
          Put32(out, static_cast<std::uint32_t>(Quantise(s, 2147483648.0, INT32_MIN, INT32_MAX)));
          break;
        default: {
          std::uint32_t word = 0;
          std::memcpy(&word, &s, sizeof word);
          Put32(out, word);
        }
      }
    }
  }
  return out;
}

bool WriteWav(const std::string& path, const AudioData& audio, SampleFormat format, std::string& error) {
  if (audio.NumChannels() == 0) {
    error = "nothing to write to " + path + " (no channels)";
    return false;
  }
  return WriteFileBytes(path, EncodeWav(audio, format), error);
}

}  // namespace ombrisk::host
