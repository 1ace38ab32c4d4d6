#pragma once
// One flattened sub-path in device space: what fills and strokes are built from.
#include <vector>

#include "renderer/Transform.h"
#include "renderer/Winding.h"

namespace fx::vg {

struct Contour {
  std::vector<Point> points;
  bool closed = false;
  Winding winding = Winding::Solid;
};

}  // namespace fx::vg
