#pragma once
// Line cap (0 butt, 1 round, 2 square), join (0 miter, 1 round, 2 bevel),
// miter limit, and whether the path is kept after the stroke.

#include <cstdint>

namespace fx::igraphics {

struct IStrokeOptions {
  std::int32_t cap = 0;
  std::int32_t join = 0;
  float miterLimit = 10.0f;
  bool preserve = false;

  bool operator==(const IStrokeOptions&) const = default;
};

}  // namespace fx::igraphics
