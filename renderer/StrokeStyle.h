#pragma once
namespace fx::vg {

enum class LineCap { Butt = 0, Round = 1, Square = 2 };
enum class LineJoin { Miter = 0, Round = 1, Bevel = 2 };

struct StrokeStyle {
  float width = 1.0f;
  LineCap cap = LineCap::Butt;
  LineJoin join = LineJoin::Miter;
  float miterLimit = 10.0f;
};

}  // namespace fx::vg
