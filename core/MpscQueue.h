#pragma once
// A fixed-capacity ring that several producer threads may push to at once,
// for one consumer thread. Hosts call setParameter from their audio thread
// and from other threads, and the dispatcher's text entry queues values too,
// so the parameter queue towards the editor has more than one producer.
//
// Like SpscQueue, an array of capacity c holds at most c - 1 entries, a
// push to a full queue is dropped, and nothing allocates, locks or calls the
// system after construction. Each cell carries a sequence number: a producer
// claims a position with a compare-and-swap, stores the entry and publishes
// it with a release store of the sequence; the consumer reads the sequence
// with acquire before taking the entry, and hands the cell back with release.

#include <atomic>
#include <cstdint>
#include <memory>

namespace fx {

template <typename T>
class MpscQueue {
 public:
  explicit MpscQueue(std::int32_t capacity)
      // Two cells at least: with one, a full cell and a free one would carry
      // the same sequence number.
      : nCells_(capacity < 3 ? 2u : static_cast<std::uint64_t>(capacity) - 1u),
        cells_(std::make_unique<Cell[]>(static_cast<std::size_t>(nCells_))) {
    for (std::uint64_t i = 0; i < nCells_; ++i) cells_[static_cast<std::size_t>(i)].seq.store(i, std::memory_order_relaxed);
  }
  MpscQueue(const MpscQueue&) = delete;
  MpscQueue& operator=(const MpscQueue&) = delete;

  // Any thread. False when the queue is full (the entry is dropped).
  bool Push(const T& entry) {
    std::uint64_t pos = tail_.load(std::memory_order_relaxed);
    Cell* cell;
    for (;;) {
      cell = &cells_[static_cast<std::size_t>(pos % nCells_)];
      const std::uint64_t seq = cell->seq.load(std::memory_order_acquire);
      if (seq == pos) {
        if (tail_.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) break;
      } else if (seq < pos) {
        return false;  // the cell still holds an entry from the previous round
      } else {
        pos = tail_.load(std::memory_order_relaxed);
      }
    }
    cell->value = entry;
    cell->seq.store(pos + 1, std::memory_order_release);
    return true;
  }

  // The consumer thread only. False when nothing is ready (out is left alone).
  bool Pop(T& out) {
    const std::uint64_t head = head_.load(std::memory_order_relaxed);
    Cell& cell = cells_[static_cast<std::size_t>(head % nCells_)];
    if (cell.seq.load(std::memory_order_acquire) != head + 1) return false;
    out = cell.value;
    cell.seq.store(head + nCells_, std::memory_order_release);
    head_.store(head + 1, std::memory_order_release);
    return true;
  }

  std::int32_t Capacity() const { return static_cast<std::int32_t>(nCells_ + 1); }
  // Exact only when no thread is pushing or popping.
  std::int32_t Count() const {
    const std::uint64_t tail = tail_.load(std::memory_order_acquire);
    const std::uint64_t head = head_.load(std::memory_order_acquire);
    return tail > head ? static_cast<std::int32_t>(tail - head) : 0;
  }

 private:
  struct Cell {
    std::atomic<std::uint64_t> seq{0};
    T value{};
  };

  const std::uint64_t nCells_;
  std::unique_ptr<Cell[]> cells_;
  alignas(64) std::atomic<std::uint64_t> tail_{0};
  alignas(64) std::atomic<std::uint64_t> head_{0};  // written by the consumer only
};

}  // namespace fx
