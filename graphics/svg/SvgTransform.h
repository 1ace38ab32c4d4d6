#pragma once
// Affine transforms as the reader composes them, in double precision so that
// deep chains of groups do not lose the exactness of simple values, and the
// transform attribute's list syntax: matrix(a b c d e f), translate(x [y]),
// scale(s [t]), rotate(a [cx cy]), skewX(a), skewY(a), separated by white
// space and/or commas, applied right to left.

#include <string_view>

#include "graphics/IMatrix.h"

namespace fx::igraphics::svg {

// (x, y) -> (a*x + c*y + e, b*x + d*y + f)
struct SvgMatrix {
  double a = 1.0, b = 0.0, c = 0.0, d = 1.0, e = 0.0, f = 0.0;

  // The transform that applies m first, then this one.
  SvgMatrix operator*(const SvgMatrix& m) const {
    return {a * m.a + c * m.b, b * m.a + d * m.b, a * m.c + c * m.d,
            b * m.c + d * m.d, a * m.e + c * m.f + e, b * m.e + d * m.f + f};
  }
  void Apply(double& x, double& y) const {
    const double nx = a * x + c * y + e;
    y = b * x + d * y + f;
    x = nx;
  }
  double Determinant() const { return a * d - b * c; }

  static SvgMatrix Translation(double x, double y) { return {1.0, 0.0, 0.0, 1.0, x, y}; }
  static SvgMatrix Scaling(double x, double y) { return {x, 0.0, 0.0, y, 0.0, 0.0}; }
  // Exact for multiples of 90 degrees.
  static SvgMatrix Rotation(double degrees);
  static SvgMatrix SkewX(double degrees);
  static SvgMatrix SkewY(double degrees);

  bool operator==(const SvgMatrix&) const = default;
};

// False (out unchanged) if the text is not a well-formed transform list; an
// empty list is the identity.
bool ParseTransform(std::string_view text, SvgMatrix& out);

// The transform in single precision; false if an entry is not finite or
// passes kMaxMagnitude.
bool ToIMatrix(const SvgMatrix& m, IMatrix& out);

}  // namespace fx::igraphics::svg
