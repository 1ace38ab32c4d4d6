#pragma once
// What a path is filled or stroked with: a solid colour, or a linear or
// radial gradient through colour stops (offsets 0..1, in order).

#include <cstdint>
#include <vector>

#include "graphics/IArgb.h"

namespace fx::igraphics {

struct IPattern {
  enum class Kind : std::int32_t { Solid = 0, Linear = 1, Radial = 2 };
  struct Stop {
    IArgb colour;
    float offset = 0.0f;
    bool operator==(const Stop&) const = default;
  };

  Kind kind = Kind::Solid;
  IArgb colour;  // the solid colour
  // Linear: from (x1, y1) to (x2, y2). Radial: centre (x1, y1), radii r1 (inner) and r2 (outer).
  float x1 = 0.0f, y1 = 0.0f, x2 = 0.0f, y2 = 0.0f, r1 = 0.0f, r2 = 0.0f;
  std::vector<Stop> stops;

  static IPattern Solid(const IArgb& colour) {
    IPattern p;
    p.colour = colour;
    return p;
  }
  static IPattern Linear(float x1, float y1, float x2, float y2, std::vector<Stop> stops) {
    IPattern p;
    p.kind = Kind::Linear;
    p.x1 = x1, p.y1 = y1, p.x2 = x2, p.y2 = y2;
    p.stops = std::move(stops);
    return p;
  }
  static IPattern Radial(float cx, float cy, float r1, float r2, std::vector<Stop> stops) {
    IPattern p;
    p.kind = Kind::Radial;
    p.x1 = cx, p.y1 = cy, p.r1 = r1, p.r2 = r2;
    p.stops = std::move(stops);
    return p;
  }

  bool operator==(const IPattern&) const = default;
};

}  // namespace fx::igraphics
