#pragma once
// The outlines of rect, circle, ellipse, line, polyline and polygon, from
// their attributes. Percentages are taken of the viewport: x and widths of
// its width, y and heights of its height, radii of circles of its
// normalised diagonal sqrt((w^2 + h^2) / 2).

#include <string_view>
#include <vector>

#include "graphics/svg/SvgPathBuilder.h"
#include "graphics/svg/XmlTokenizer.h"

namespace fx::igraphics::svg {

// True if element is one of the shapes above; its outline (none when its
// geometry disables it, such as a zero radius) goes to out.
bool BuildBasicShape(std::string_view element, const std::vector<XmlAttribute>& attributes, double viewportWidth,
                     double viewportHeight, SvgPathBuilder& out);

}  // namespace fx::igraphics::svg
