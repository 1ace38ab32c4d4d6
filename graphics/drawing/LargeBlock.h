#pragma once
// Memory for decoded artwork, which a worker thread decodes while an editor
// opens: blocks of 32 kB and more are mapped from the system and unmapped
// when freed, whatever the C library's allocator has learnt. (glibc raises
// its mapping threshold after the process frees a large mapped block; a
// worker's megabytes would then land in the worker's own heap arena, where
// freeing them does not give them back, and every editor opened would leave
// more behind.) Smaller blocks, and every block on Windows (whose heap maps
// large blocks itself), come from malloc. Any thread may allocate and free.

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace fx::igraphics {

// Null when out of memory (a size of 0 gets a block of 1). Blocks are
// 16-byte aligned.
void* AllocateBlock(std::size_t size);
// realloc's contract, for blocks of AllocateBlock.
void* ReallocateBlock(void* block, std::size_t size);
// Null does nothing.
void FreeBlock(void* block);

template <class T>
struct LargeBlockAllocator {
  using value_type = T;
  LargeBlockAllocator() = default;
  template <class U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    void* p = AllocateBlock(n * sizeof(T));
    if (!p && n) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t) noexcept { FreeBlock(p); }
  template <class U>
  bool operator==(const LargeBlockAllocator<U>&) const noexcept {
    return true;
  }
};

using PixelBytes = std::vector<std::uint8_t, LargeBlockAllocator<std::uint8_t>>;

}  // namespace fx::igraphics
