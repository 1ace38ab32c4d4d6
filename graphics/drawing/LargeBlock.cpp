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
    raw = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
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

}  // namespace fx::igraphics
