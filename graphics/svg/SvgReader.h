#pragma once
// Reads an SVG document's text into an SvgImage: the svg root, g, path, rect,
// circle, ellipse, line, polyline, polygon, their presentation attributes and
// style, transforms, colours and gradients. Unknown elements and attributes
// are skipped. Any input is safe: malformed text ends the read with a reason,
// never a crash; nesting, path length and shape count are bounded (see
// SvgLimits).
//
// Returns false with a one-line reason in *error (when given) if the text is
// not an SVG document; out is then empty.

#include <string>
#include <string_view>

#include "graphics/svg/SvgImage.h"

namespace fx::igraphics::svg {

bool ReadSvg(std::string_view text, SvgImage& out, std::string* error = nullptr);

}  // namespace fx::igraphics::svg
