#pragma once
// One drawable element of a document: its outline and how it is painted.
// Stroke width is in document units (scaled by the element's transforms).

#include <cstdint>

#include "graphics/svg/SvgPaint.h"
#include "graphics/svg/SvgPath.h"

namespace fx::igraphics::svg {

struct SvgShape {
  enum class FillRule : std::int32_t { NonZero = 0, EvenOdd = 1 };
  enum class LineCap : std::int32_t { Butt = 0, Round = 1, Square = 2 };
  enum class LineJoin : std::int32_t { Miter = 0, Round = 1, Bevel = 2 };

  SvgPath path;
  SvgPaint fill;    // default black
  SvgPaint stroke;  // default none
  float strokeWidth = 1.0f;
  LineCap cap = LineCap::Butt;
  LineJoin join = LineJoin::Miter;
  float miterLimit = 4.0f;
  FillRule fillRule = FillRule::NonZero;

  bool operator==(const SvgShape&) const = default;
};

}  // namespace fx::igraphics::svg
