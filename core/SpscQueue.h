#pragma once
// A fixed-capacity ring for exactly one producer thread and one consumer
// thread. The array is allocated at construction; Push and Pop never
// allocate, lock or call the system. An array of capacity c holds at most
// c - 1 entries: a push that would make the write index meet the read index
// is dropped.
//
// Each side publishes its own index with release after touching the entry,
// and reads the other side's index with acquire, so an entry is complete
// before the consumer can see it and free before the producer reuses it.

#include <atomic>
#include <cstdint>
#include <memory>

namespace fx {

template <typename T>
class SpscQueue {
 public:
  explicit SpscQueue(std::int32_t capacity)
      : capacity_(capacity < 2 ? 2 : capacity), entries_(std::make_unique<T[]>(static_cast<std::size_t>(capacity_))) {}
  SpscQueue(const SpscQueue&) = delete;
  SpscQueue& operator=(const SpscQueue&) = delete;

  // Producer side. False when the queue is full (the entry is dropped).
  bool Push(const T& entry) {
    const std::int32_t write = write_.load(std::memory_order_relaxed);
    const std::int32_t next = Next(write);
    if (next == read_.load(std::memory_order_acquire)) return false;
    entries_[static_cast<std::size_t>(write)] = entry;
    write_.store(next, std::memory_order_release);
    return true;
  }

  // Consumer side. False when the queue is empty (out is left alone).
  bool Pop(T& out) {
    const std::int32_t read = read_.load(std::memory_order_relaxed);
    if (read == write_.load(std::memory_order_acquire)) return false;
    out = entries_[static_cast<std::size_t>(read)];
    read_.store(Next(read), std::memory_order_release);
    return true;
  }

  std::int32_t Capacity() const { return capacity_; }
  // Exact only when neither side is running.
  std::int32_t Count() const {
    const std::int32_t n = write_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire);
    return n < 0 ? n + capacity_ : n;
  }

 private:
  std::int32_t Next(std::int32_t index) const { return index + 1 == capacity_ ? 0 : index + 1; }

  const std::int32_t capacity_;
  std::unique_ptr<T[]> entries_;
  // On separate cache lines so the two sides do not share one.
  alignas(64) std::atomic<std::int32_t> write_{0};
  alignas(64) std::atomic<std::int32_t> read_{0};
};

}  // namespace fx
