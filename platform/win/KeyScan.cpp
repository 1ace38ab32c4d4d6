#include "platform/KeyScan.h"

#include <windows.h>

namespace fx::platform {

std::int16_t KeyScanForCharacter(char character) {
  return static_cast<std::int16_t>(VkKeyScanExA(character, GetKeyboardLayout(0)));
}

}  // namespace fx::platform
