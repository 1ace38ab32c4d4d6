#pragma once
// The virtual-key code (and shift state) that types a character on the
// current keyboard layout.

#include <cstdint>

namespace fx::platform {

// Low byte: the virtual-key code; high byte: the shift state (1 shift,
// 2 control, 4 alt). -1 when no key types the character.
std::int16_t KeyScanForCharacter(char character);

}  // namespace fx::platform
