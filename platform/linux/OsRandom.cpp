#include "platform/OsRandom.h"

#include <sys/random.h>

namespace fx::platform {

bool OsRandom32(std::uint32_t& out) {
  // GRND_NONBLOCK: an early-boot pool that is not ready must not stall audio.
  return getrandom(&out, sizeof out, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof out);
}

}  // namespace fx::platform
