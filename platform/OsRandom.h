#pragma once
// The operating system's random source, for one 32-bit value at a time.

#include <cstdint>

namespace fx::platform {

// Fills `out` from the system generator without blocking. Returns false when
// the system cannot deliver right now.
bool OsRandom32(std::uint32_t& out);

}  // namespace fx::platform
