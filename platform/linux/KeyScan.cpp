#include "platform/KeyScan.h"

#include "core/KeyCodes.h"

namespace fx::platform {

// Without a Windows keyboard layout, the US layout's answers for the keys
// whose virtual-key codes are their characters.
std::int16_t KeyScanForCharacter(char character) {
  using namespace fx::keys;
  constexpr std::int16_t kWithShift = 0x100;
  const unsigned char c = static_cast<unsigned char>(character);
  if (c >= 'a' && c <= 'z') return static_cast<std::int16_t>(Letter(static_cast<char>(c - 'a' + 'A')));
  if (c >= 'A' && c <= 'Z') return static_cast<std::int16_t>(kWithShift | Letter(static_cast<char>(c)));
  if (c >= '0' && c <= '9') return static_cast<std::int16_t>(Digit(c - '0'));
  if (c == ' ') return kSpace;
  if (c == '=') return kOemPlus;  // the plus/equals key
  if (c == '+') return static_cast<std::int16_t>(kWithShift | kOemPlus);
  return -1;
}

}  // namespace fx::platform
