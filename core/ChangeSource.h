#pragma once
// Who caused a parameter change; carried through the change notifications
// and written into their traces.

#include <cstdint>

namespace fx {

enum class ChangeSource : std::int32_t {
  Reset = 0,
  Host = 1,
  Preset = 2,
  UI = 3,
  Delegate = 4,
  Recompile = 5,
  Unknown = 6,
};

// The trace text of a source; values outside the enumeration read "Unknown".
const char* ChangeSourceText(ChangeSource source);

}  // namespace fx
