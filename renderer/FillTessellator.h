#pragma once
// Turns flattened contours into fill triangles. A single convex contour is
// drawn directly: its interior inset by half a pixel plus a one-pixel fringe
// that ramps coverage to zero. Anything else goes through the stencil: fan
// triangles whose nonzero winding count marks the interior, the same fringe
// for the edges, and a cover quad over the bounds.
#include <vector>

#include "renderer/PathBuilder.h"
#include "renderer/Vertex.h"

namespace fx::vg {

struct FillGeometry {
  bool convex = false;
  std::vector<Vertex> interior;  // triangle list
  std::vector<Vertex> fringe;    // triangle list
  std::vector<Vertex> cover;     // two triangles over the bounds (stencil fills)
  bool empty() const { return interior.empty(); }
};

class FillTessellator {
 public:
  // Re-orients contours to their winding (solid positive area in y-down
  // space, holes negative) and builds the geometry. `antialias` adds the fringe.
  static FillGeometry tessellate(std::vector<Contour>& contours, bool antialias);

  static float signedArea(const std::vector<Point>& pts);
  static bool isConvex(const std::vector<Point>& pts);
};

}  // namespace fx::vg
