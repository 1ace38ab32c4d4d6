#pragma once
namespace fx::vg {

// Sub-path winding: solid shapes add coverage, holes take it away (each
// sub-path is re-oriented to match before the nonzero fill).
enum class Winding { Solid = 1, Hole = 2 };

// Direction of arcs, as seen on screen (y pointing down).
enum class ArcDirection { CounterClockwise = 1, Clockwise = 2 };

}  // namespace fx::vg
