#pragma once
// One channel I/O configuration: the input buses and the output buses, in the
// order they were written.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/BusDirection.h"

namespace fx {

// One bus of a layout.
struct BusSpec {
  BusDirection direction = kInput;
  std::int32_t nChannels = 0;
};

class IOLayout {
 public:
  void AddBus(BusDirection direction, std::int32_t nChannels) {
    buses_[direction].push_back(std::make_unique<BusSpec>(BusSpec{direction, nChannels}));
  }
  std::int32_t NBuses(BusDirection direction) const {
    return static_cast<std::int32_t>(buses_[direction].size());
  }
  const BusSpec* GetBus(BusDirection direction, std::int32_t index) const {
    if (index < 0 || index >= NBuses(direction)) return nullptr;
    return buses_[direction][static_cast<std::size_t>(index)].get();
  }
  std::int32_t TotalChannels(BusDirection direction) const {
    std::int32_t total = 0;
    for (const auto& bus : buses_[direction]) total += bus->nChannels;
    return total;
  }

 private:
  std::vector<std::unique_ptr<BusSpec>> buses_[2];
};

}  // namespace fx
