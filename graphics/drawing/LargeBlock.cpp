#include "graphics/drawing/LargeBlock.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#if !defined(_WIN32)
#include <sys/mman.h>
#endif

namespace fx::igraphics {
namespace {

// Each block starts with a header: its usable size and how it was made.
struct alignas(16) Header {
  std::size_t size;
  bool mapped;
};
constexpr std::size_t kMapFrom = 32 * 1024;

Header* HeaderOf(void* block) { return static_cast<Header*>(block) - 1; }

}  // namespace

void* AllocateBlock(std::size_t size) {
  if (size == 0) size = 1;
  if (size > static_cast<std::size_t>(-1) - sizeof(Header) - 4096) return nullptr;
  const std::size_t total = size + sizeof(Header);
  void* raw = nullptr;
  bool mapped = false;
#if !defined(_WIN32)
  if (size >= kMapFrom) {
    raw = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    mapped = true;
  }
#endif
  if (!mapped) {
    raw = std::malloc(total);
    if (!raw) return nullptr;
  }
  auto* header = static_cast<Header*>(raw);
  header->size = size;
  header->mapped = mapped;
  return header + 1;
}

void FreeBlock(void* block) {
  if (!block) return;
  Header* header = HeaderOf(block);
#if !defined(_WIN32)
  if (header->mapped) {
    munmap(header, header->size + sizeof(Header));
    return;
  }
#endif
  std::free(header);
}

void* ReallocateBlock(void* block, std::size_t size) {
  if (!block) return AllocateBlock(size);
  if (size == 0) {
    FreeBlock(block);
    return nullptr;
  }
  const std::size_t old = HeaderOf(block)->size;
  if (size <= old && (size >= kMapFrom || !HeaderOf(block)->mapped)) return block;
  void* grown = AllocateBlock(size);
  if (!grown) return nullptr;
  std::memcpy(grown, block, old < size ? old : size);
  FreeBlock(block);
  return grown;
}

PixelBytes::PixelBytes(std::size_t count, std::uint8_t value) {
  if (count && Resize(count)) std::memset(data_, value, count);
}

PixelBytes::PixelBytes(std::initializer_list<std::uint8_t> bytes) {
  if (bytes.size() && Resize(bytes.size())) std::memcpy(data_, bytes.begin(), bytes.size());
}

PixelBytes PixelBytes::Adopt(void* block, std::size_t size) {
  PixelBytes bytes;
  if (block) {
    bytes.data_ = static_cast<std::uint8_t*>(block);
    bytes.size_ = size;
  }
  return bytes;
}

PixelBytes::PixelBytes(const PixelBytes& other) {
  if (other.size_ && Resize(other.size_)) std::memcpy(data_, other.data_, other.size_);
}

PixelBytes& PixelBytes::operator=(const PixelBytes& other) {
  if (this != &other) *this = PixelBytes(other);
  return *this;
}

PixelBytes::PixelBytes(PixelBytes&& other) noexcept : data_(other.data_), size_(other.size_) {
  other.data_ = nullptr;
  other.size_ = 0;
}

PixelBytes& PixelBytes::operator=(PixelBytes&& other) noexcept {
  if (this != &other) {
    FreeBlock(data_);
    data_ = other.data_;
    size_ = other.size_;
    other.data_ = nullptr;
    other.size_ = 0;
  }
  return *this;
}

PixelBytes::~PixelBytes() { FreeBlock(data_); }

bool PixelBytes::Resize(std::size_t size) {
  if (size == size_) return true;
  if (size == 0) {
    FreeBlock(data_);
    data_ = nullptr;
    size_ = 0;
    return true;
  }
  void* block = ReallocateBlock(data_, size);
  if (!block) return false;
  data_ = static_cast<std::uint8_t*>(block);
  if (size > size_) std::memset(data_ + size_, 0, size - size_);
  size_ = size;
  return true;
}

bool PixelBytes::operator==(const PixelBytes& other) const {
  return size_ == other.size_ && (size_ == 0 || std::memcmp(data_, other.data_, size_) == 0);
}

}  // namespace fx::igraphics
