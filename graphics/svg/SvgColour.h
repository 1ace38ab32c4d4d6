#pragma once
// Colour values: #rgb, #rrggbb, rgb(r, g, b) and rgba(r, g, b, a) with
// integers or percentages (clamped to the channel's range), and the named
// colours of HTML plus common ones such as orange, gray/grey, transparent.
// Names and function names are matched without regard to case.

#include <string_view>

#include "graphics/IArgb.h"

namespace fx::igraphics::svg {

// False (out unchanged) if the text is none of the above; "none",
// "currentColor" and url() references are the paint reader's business.
bool ParseColour(std::string_view text, IArgb& out);

// Case-insensitive comparison of ASCII text.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace fx::igraphics::svg
