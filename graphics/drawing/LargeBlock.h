#pragma once
// Memory for decoded artwork, which a worker thread decodes while an editor
// opens: blocks of 32 kB and more are mapped from the system and unmapped
// when freed, whatever the C library's allocator has learnt. (glibc raises
// its mapping threshold after the process frees a large mapped block; a
// worker's megabytes would then land in the worker's own heap arena, where
// freeing them does not give them back, and every editor opened would leave
// more behind.) Smaller blocks, and every block on Windows (whose heap maps
// large blocks itself), come from malloc. Any thread may allocate and free.
// A mapped block comes with its pages already in place: one call rather than
// a fault per page as a decoder first writes them.

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace fx::igraphics {

// Null when out of memory (a size of 0 gets a block of 1). Blocks are
// 16-byte aligned.
void* AllocateBlock(std::size_t size);
// realloc's contract, for blocks of AllocateBlock.
void* ReallocateBlock(void* block, std::size_t size);
// Null does nothing.
void FreeBlock(void* block);

// Bytes in one block of AllocateBlock, which a decoder's own output becomes
// without a copy (Adopt). Copies are deep; a moved-from block is empty.
class PixelBytes {
 public:
  PixelBytes() = default;
  PixelBytes(std::size_t count, std::uint8_t value);
  PixelBytes(std::initializer_list<std::uint8_t> bytes);
  // Takes over `block` (from AllocateBlock, or null for empty) holding at
  // least `size` bytes.
  static PixelBytes Adopt(void* block, std::size_t size);
  PixelBytes(const PixelBytes& other);
  PixelBytes& operator=(const PixelBytes& other);
  PixelBytes(PixelBytes&& other) noexcept;
  PixelBytes& operator=(PixelBytes&& other) noexcept;
  ~PixelBytes();

  // Keeps the first bytes; new ones are zero. False (and unchanged) when
  // out of memory.
  bool Resize(std::size_t size);
  std::uint8_t* data() { return data_; }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::uint8_t* begin() { return data_; }
  std::uint8_t* end() { return data_ + size_; }
  const std::uint8_t* begin() const { return data_; }
  const std::uint8_t* end() const { return data_ + size_; }
  std::uint8_t& operator[](std::size_t i) { return data_[i]; }
  const std::uint8_t& operator[](std::size_t i) const { return data_[i]; }
  bool operator==(const PixelBytes& other) const;

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace fx::igraphics
