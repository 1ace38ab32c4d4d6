#include "platform/KeyScan.h"

namespace fx::platform {

// Without a Windows keyboard layout, the US layout's answers for the keys
// whose virtual-key codes are their characters.
std::int16_t KeyScanForCharacter(char character) {
  const unsigned char c = static_cast<unsigned char>(character);
  if (c >= 'a' && c <= 'z') return static_cast<std::int16_t>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return static_cast<std::int16_t>(0x100 | c);
  if (c >= '0' && c <= '9') return static_cast<std::int16_t>(c);
  if (c == ' ') return 0x20;
  if (c == '=') return 0xBB;  // the OEM plus/equals key
  if (c == '+') return 0x1BB;
  return -1;
}

}  // namespace fx::platform
