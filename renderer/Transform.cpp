#include "renderer/Transform.h"

#include <cmath>

namespace fx::vg {

Transform Transform::translation(float tx, float ty) { return of(1, 0, 0, 1, tx, ty); }
Transform Transform::scaling(float sx, float sy) { return of(sx, 0, 0, sy, 0, 0); }
Transform Transform::rotation(float radians) {
  const float c = std::cos(radians), s = std::sin(radians);
  return of(c, s, -s, c, 0, 0);
}
Transform Transform::of(float a, float b, float c, float d, float e, float f) {
  Transform t;
  t.m[0] = a; t.m[1] = b; t.m[2] = c; t.m[3] = d; t.m[4] = e; t.m[5] = f;
  return t;
}

Transform Transform::operator*(const Transform& r) const {
  Transform t;
  t.m[0] = m[0] * r.m[0] + m[2] * r.m[1];
  t.m[1] = m[1] * r.m[0] + m[3] * r.m[1];
  t.m[2] = m[0] * r.m[2] + m[2] * r.m[3];
  t.m[3] = m[1] * r.m[2] + m[3] * r.m[3];
  t.m[4] = m[0] * r.m[4] + m[2] * r.m[5] + m[4];
  t.m[5] = m[1] * r.m[4] + m[3] * r.m[5] + m[5];
  return t;
}

Transform& Transform::premultiplyBy(const Transform& rhs) {
  *this = *this * rhs;
  return *this;
}

bool Transform::inverse(Transform& out) const {
  const double a = m[0], b = m[1], c = m[2], d = m[3], e = m[4], f = m[5];
  const double det = a * d - c * b;
  if (!std::isfinite(det) || std::fabs(det) < 1e-12) {
    out = Transform{};
    return false;
  }
  const double inv = 1.0 / det;
  out.m[0] = static_cast<float>(d * inv);
  out.m[1] = static_cast<float>(-b * inv);
  out.m[2] = static_cast<float>(-c * inv);
  out.m[3] = static_cast<float>(a * inv);
  out.m[4] = static_cast<float>((c * f - d * e) * inv);
  out.m[5] = static_cast<float>((b * e - a * f) * inv);
  return out.isFinite();
}

Point Transform::apply(float x, float y) const {
  return {m[0] * x + m[2] * y + m[4], m[1] * x + m[3] * y + m[5]};
}

Point Transform::applyVector(float x, float y) const { return {m[0] * x + m[2] * y, m[1] * x + m[3] * y}; }

float Transform::averageScale() const {
  const float sx = std::sqrt(m[0] * m[0] + m[1] * m[1]);
  const float sy = std::sqrt(m[2] * m[2] + m[3] * m[3]);
  return 0.5f * (sx + sy);
}

bool Transform::isFinite() const {
  for (float v : m)
    if (!std::isfinite(v)) return false;
  return true;
}

}  // namespace fx::vg
