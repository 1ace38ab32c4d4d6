#pragma once
// A 2x3 affine matrix [a c e; b d f]: x' = a x + c y + e, y' = b x + d y + f.
namespace fx::vg {

struct Point {
  float x = 0.0f, y = 0.0f;
};

struct Transform {
  float m[6] = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};

  static Transform identity() { return {}; }
  static Transform translation(float tx, float ty);
  static Transform scaling(float sx, float sy);
  static Transform rotation(float radians);
  static Transform of(float a, float b, float c, float d, float e, float f);

  // this = this * rhs: rhs is applied to points first.
  Transform& premultiplyBy(const Transform& rhs);
  Transform operator*(const Transform& rhs) const;
  // False for singular or non-finite matrices (the inverse is then identity).
  bool inverse(Transform& out) const;
  Point apply(float x, float y) const;
  Point applyVector(float x, float y) const;
  // Mean of the lengths of the images of the unit axes: the factor that
  // converts user lengths into device pixels.
  float averageScale() const;
  bool isFinite() const;
};

}  // namespace fx::vg
