#pragma once
// One preset: a name, whether it holds a state, and that state's body.

#include <cstddef>

#include "core/StateChunk.h"
#include "core/TextBuffer.h"

namespace fx {

struct PresetSlot {
  static constexpr std::size_t kNameSize = 256;  // bytes, terminator included

  bool initialized = false;
  char name[kNameSize] = "empty";
  StateChunk chunk;  // state body, without header

  // Longer names are cut to 255 characters; null is the empty name.
  void SetName(const char* text) { CopyBounded(name, kNameSize, text); }
};

}  // namespace fx
