#pragma once
// One shape's outline as the reader leaves it: absolute move, line, cubic and
// close commands in document units (every transform of the element and its
// groups already applied; quadratics and arcs already turned into cubics).

#include <cstdint>
#include <vector>

namespace fx::igraphics::svg {

struct SvgPathCommand {
  enum class Kind : std::int32_t { Move = 0, Line = 1, Cubic = 2, Close = 3 };
  Kind kind = Kind::Move;
  // Move/Line: (x, y) in x3, y3. Cubic: control points (x1, y1), (x2, y2), end (x3, y3).
  float x1 = 0.0f, y1 = 0.0f, x2 = 0.0f, y2 = 0.0f, x3 = 0.0f, y3 = 0.0f;

  bool operator==(const SvgPathCommand&) const = default;
};

using SvgPath = std::vector<SvgPathCommand>;

}  // namespace fx::igraphics::svg
