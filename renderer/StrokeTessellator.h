#pragma once
// Turns flattened contours into stroke triangles: a body quad per segment,
// join fans on the outer side of each corner and caps at open ends, each
// with a one-pixel coverage fringe on its outline.
#include <vector>

#include "renderer/PathBuilder.h"
#include "renderer/StrokeStyle.h"
#include "renderer/Vertex.h"

namespace fx::vg {

class StrokeTessellator {
 public:
  // `style.width` is in device pixels; widths under one pixel are drawn one
  // pixel wide and the caller scales alpha by the width. `tolerance` bounds
  // the error of round joins and caps.
  static std::vector<Vertex> tessellate(const std::vector<Contour>& contours, const StrokeStyle& style,
                                        float tolerance);
};

}  // namespace fx::vg
