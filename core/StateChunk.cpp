#include "core/StateChunk.h"

#include <cstring>
#include <limits>
#include <new>

namespace fx {
namespace {

constexpr std::int64_t kMaxSize = std::numeric_limits<std::int32_t>::max();

// True when [position, position + size) lies within a chunk of chunkSize bytes.
bool Holds(std::int32_t chunkSize, std::int32_t position, std::int64_t size) {
  return position >= 0 && size >= 0 && static_cast<std::int64_t>(position) + size <= chunkSize;
}

std::uint32_t ReadLE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint64_t ReadLE64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(ReadLE32(p)) | static_cast<std::uint64_t>(ReadLE32(p + 4)) << 32;
}

void WriteLE32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void WriteLE64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

bool StateChunk::Reserve(std::size_t size) {
  if (size <= bytes_.capacity()) return true;
  // Grow in whole steps so that a chunk written value by value does not
  // reallocate for every value.
  const std::size_t steps = (size + kGrowStep - 1) / kGrowStep;
  try {
    bytes_.reserve(steps * kGrowStep);
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

bool StateChunk::Resize(std::int32_t size) {
  if (size < 0 || !Reserve(static_cast<std::size_t>(size))) return false;
  bytes_.resize(static_cast<std::size_t>(size), 0);
  return true;
}

bool StateChunk::PutBytes(const void* data, std::int32_t size) {
  if (size < 0 || static_cast<std::int64_t>(bytes_.size()) + size > kMaxSize) return false;
  if (size == 0) return true;
  if (!data) return false;
  const std::size_t old = bytes_.size();
  if (!Reserve(old + static_cast<std::size_t>(size))) return false;
  bytes_.resize(old + static_cast<std::size_t>(size));
  std::memcpy(bytes_.data() + old, data, static_cast<std::size_t>(size));
  return true;
}

bool StateChunk::PutInt32(std::int32_t value) {
  std::uint8_t b[4];
  WriteLE32(b, static_cast<std::uint32_t>(value));
  return PutBytes(b, 4);
}

bool StateChunk::PutFloat(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, 4);
  std::uint8_t b[4];
  WriteLE32(b, bits);
  return PutBytes(b, 4);
}

bool StateChunk::PutDouble(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, 8);
  std::uint8_t b[8];
  WriteLE64(b, bits);
  return PutBytes(b, 8);
}

bool StateChunk::PutByte(std::uint8_t value) { return PutBytes(&value, 1); }

bool StateChunk::PutText(const char* text) {
  const std::size_t length = text ? std::strlen(text) : 0;
  if (length > static_cast<std::size_t>(kMaxSize - 4) ||
      static_cast<std::int64_t>(bytes_.size()) + 4 + static_cast<std::int64_t>(length) > kMaxSize)
    return false;
  const auto n = static_cast<std::int32_t>(length);
  return PutInt32(n) && PutBytes(text, n);
}

std::int32_t StateChunk::GetBytes(void* out, std::int32_t size, std::int32_t position) const {
  if (!out || !Holds(Size(), position, size)) return -1;
  std::memcpy(out, bytes_.data() + position, static_cast<std::size_t>(size));
  return position + size;
}

std::int32_t StateChunk::GetInt32(std::int32_t& out, std::int32_t position) const {
  if (!Holds(Size(), position, 4)) return -1;
  out = static_cast<std::int32_t>(ReadLE32(bytes_.data() + position));
  return position + 4;
}

std::int32_t StateChunk::GetFloat(float& out, std::int32_t position) const {
  if (!Holds(Size(), position, 4)) return -1;
  const std::uint32_t bits = ReadLE32(bytes_.data() + position);
  std::memcpy(&out, &bits, 4);
  return position + 4;
}

std::int32_t StateChunk::GetDouble(double& out, std::int32_t position) const {
  if (!Holds(Size(), position, 8)) return -1;
  const std::uint64_t bits = ReadLE64(bytes_.data() + position);
  std::memcpy(&out, &bits, 8);
  return position + 8;
}

std::int32_t StateChunk::GetByte(std::uint8_t& out, std::int32_t position) const {
  if (!Holds(Size(), position, 1)) return -1;
  out = bytes_[static_cast<std::size_t>(position)];
  return position + 1;
}

std::int32_t StateChunk::GetText(std::string& out, std::int32_t position) const {
  std::int32_t n = 0;
  const std::int32_t start = GetInt32(n, position);
  if (start < 0 || !Holds(Size(), start, n)) return -1;
  try {
    out.assign(reinterpret_cast<const char*>(bytes_.data()) + start, static_cast<std::size_t>(n));
  } catch (const std::exception&) {
    return -1;
  }
  return start + n;
}

}  // namespace fx
