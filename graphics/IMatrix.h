#pragma once
// A 2 x 3 affine transform: (x, y) -> (xx*x + xy*y + tx, yx*x + yy*y + ty),
// member order as the renderer's transform(a, b, c, d, e, f).

#include <cmath>
#include <numbers>

namespace fx::igraphics {

struct IMatrix {
  float xx = 1.0f, yx = 0.0f, xy = 0.0f, yy = 1.0f, tx = 0.0f, ty = 0.0f;

  // This transform applied after m's argument order: the result maps p to
  // this(other(p)), so a translate then rotate reads left to right.
  IMatrix& Transform(const IMatrix& m) {
    const IMatrix p = *this;
    xx = p.xx * m.xx + p.xy * m.yx;
    yx = p.yx * m.xx + p.yy * m.yx;
    xy = p.xx * m.xy + p.xy * m.yy;
    yy = p.yx * m.xy + p.yy * m.yy;
    tx = p.xx * m.tx + p.xy * m.ty + p.tx;
    ty = p.yx * m.tx + p.yy * m.ty + p.ty;
    return *this;
  }
  IMatrix& Translate(float x, float y) { return Transform({1.0f, 0.0f, 0.0f, 1.0f, x, y}); }
  IMatrix& Scale(float x, float y) { return Transform({x, 0.0f, 0.0f, y, 0.0f, 0.0f}); }
  // Angle in degrees, converted as angle / 180 * pi in single precision.
  IMatrix& Rotate(float degrees) {
    const float radians = degrees / 180.0f * std::numbers::pi_v<float>;
    const float c = std::cos(radians), s = std::sin(radians);
    return Transform({c, s, -s, c, 0.0f, 0.0f});
  }
  void TransformPoint(float& x, float& y) const {
    const float nx = xx * x + xy * y + tx;
    y = yx * x + yy * y + ty;
    x = nx;
  }

  bool operator==(const IMatrix&) const = default;
};

}  // namespace fx::igraphics
