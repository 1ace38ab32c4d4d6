#pragma once
// The native text entry's rules that need no window: its states between
// creation and the frame tick that closes it, and which typed characters
// reach the edit box for a parameter of each kind.

#include <cstdint>

#include "core/IParam.h"

namespace fx::win {

enum class TextEntryState : std::int32_t {
  None = 0,      // no entry, or closed by the last tick
  Focused = 1,   // the edit window has the focus
  Shown = 2,     // shown, and left out of the last repaint
  Discard = 3,   // close without applying at the next tick
  Apply = 4,     // apply the text and close at the next tick
};

// True when the character goes on to the edit box. Backspace always does;
// Boolean, Integer and Enumerated parameters take digits, '-' and '+';
// Real ones also '.'; other kinds (and no parameter) are not filtered.
bool TextEntryAccepts(const IParam* param, std::uint32_t character);
bool TextEntryAcceptsForKind(ParamKind kind, std::uint32_t character);

}  // namespace fx::win
