#pragma once
// What a shape is filled or stroked with. A gradient keeps its own
// coordinates and a transform that maps them into document units, with
// objectBoundingBox units, gradientTransform and the element's transforms
// all folded in by the reader.

#include <cstdint>
#include <vector>

#include "graphics/IArgb.h"
#include "graphics/IMatrix.h"

namespace fx::igraphics::svg {

struct SvgGradientStop {
  IArgb colour;  // stop-opacity folded into the alpha
  float offset = 0.0f;  // 0..1, never decreasing along the list

  bool operator==(const SvgGradientStop&) const = default;
};

struct SvgPaint {
  enum class Kind : std::int32_t { None = 0, Colour = 1, LinearGradient = 2, RadialGradient = 3 };
  Kind kind = Kind::None;
  IArgb colour;  // Kind::Colour
  // The element's fill-opacity or stroke-opacity times its and its groups'
  // opacity, 0..1.
  float opacity = 1.0f;

  // Gradients. Linear: (x1, y1) to (x2, y2). Radial: centre (cx, cy),
  // radius r, focus (fx, fy). All in gradient space.
  float x1 = 0.0f, y1 = 0.0f, x2 = 1.0f, y2 = 0.0f;
  float cx = 0.5f, cy = 0.5f, r = 0.5f, fx = 0.5f, fy = 0.5f;
  IMatrix transform;  // gradient space -> document units
  std::vector<SvgGradientStop> stops;

  bool operator==(const SvgPaint&) const = default;
};

}  // namespace fx::igraphics::svg
