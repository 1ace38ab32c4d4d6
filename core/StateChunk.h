#pragma once
// The plug-in's persistent state as bytes: a growable little-endian buffer
// with positional reads. Every read takes a start position and returns the
// position after the item, or -1 when the chunk does not hold the item (the
// target is then left unchanged). Reads never touch a byte outside the chunk,
// whatever the position or the stored lengths say.

#include <cstdint>
#include <string>
#include <vector>

namespace fx {

// The header written in front of every chunk handed to a host.
inline constexpr std::int32_t ChunkMagic = 0x70666674;  // bytes 74 66 66 70, "tffp"
inline constexpr std::int32_t ChunkFormatVersion = 0x00010000;  // major << 16 | minor << 8 | patch

class StateChunk {
 public:
  static constexpr std::size_t kGrowStep = 4096;

  StateChunk() = default;

  std::int32_t Size() const { return static_cast<std::int32_t>(bytes_.size()); }
  const std::uint8_t* Data() const { return bytes_.data(); }
  std::uint8_t* Data() { return bytes_.data(); }

  void Clear() { bytes_.clear(); }
  // New bytes are zero. False (size unchanged) when the size is negative or
  // memory cannot be had.
  bool Resize(std::int32_t size);

  // Appends; false (nothing appended) when the chunk would outgrow 2^31 - 1
  // bytes or memory cannot be had.
  bool PutBytes(const void* data, std::int32_t size);
  bool PutInt32(std::int32_t value);
  bool PutFloat(float value);
  bool PutDouble(double value);
  bool PutByte(std::uint8_t value);
  // 32-bit length, then the bytes, no terminator. A null text is empty.
  bool PutText(const char* text);
  bool PutChunk(const StateChunk& other) { return PutBytes(other.Data(), other.Size()); }

  std::int32_t GetBytes(void* out, std::int32_t size, std::int32_t position) const;
  std::int32_t GetInt32(std::int32_t& out, std::int32_t position) const;
  std::int32_t GetFloat(float& out, std::int32_t position) const;
  std::int32_t GetDouble(double& out, std::int32_t position) const;
  std::int32_t GetByte(std::uint8_t& out, std::int32_t position) const;
  // Reads a text written by PutText. A negative stored length, or one whose
  // bytes run past the end of the chunk, gives -1 and leaves out unchanged.
  std::int32_t GetText(std::string& out, std::int32_t position) const;

 private:
  bool Reserve(std::size_t size);

  std::vector<std::uint8_t> bytes_;
};

}  // namespace fx
