#pragma once
// One preset: a name, whether it holds a state, and that state's body.

#include <cstddef>

#include "core/StateChunk.h"
#include "core/TextBuffer.h"

namespace fx {

struct PresetSlot {
  static constexpr std::size_t kNameSize = 256;  // bytes, terminator included
  // A slot the effect never filled is "empty"; once the entry point has
  // seeded it with the state at construction it is "Empty". Hosts show
  // either, so both spellings are kept and named only here.
  static constexpr const char kUnsetName[] = "empty";
  static constexpr const char kSeededName[] = "Empty";

  bool initialized = false;
  char name[kNameSize] = "empty";
  StateChunk chunk;  // state body, without header

  // Longer names are cut to 255 characters; null is the empty name.
  void SetName(const char* text) { CopyBounded(name, kNameSize, text); }
};

}  // namespace fx
