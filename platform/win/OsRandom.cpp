#include "platform/OsRandom.h"

#include <windows.h>

// RtlGenRandom, exported by advapi32 under this name on every Windows since XP.
extern "C" BOOLEAN NTAPI SystemFunction036(PVOID buffer, ULONG length);

namespace fx::platform {

bool OsRandom32(std::uint32_t& out) { return SystemFunction036(&out, sizeof out) != FALSE; }

}  // namespace fx::platform
