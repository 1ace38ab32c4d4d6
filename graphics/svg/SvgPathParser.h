#pragma once
// Path data (the d attribute): absolute and relative M L H V C S Q T A Z,
// repeated arguments without repeating the letter (after a moveto they are
// linetos), numbers in every spelling SvgNumber reads and arc flags written
// without separators ("a1 1 0 00 1 1"). As browsers do, the path is drawn up
// to the first error; what follows it is ignored.

#include <string_view>

#include "graphics/svg/SvgPathBuilder.h"

namespace fx::igraphics::svg {

// True if the whole text was read without error.
bool ParsePathData(std::string_view text, SvgPathBuilder& out);

}  // namespace fx::igraphics::svg
