#pragma once
// How a fill or stroke is coloured. Every paint lives in its own space,
// mapped into user space by `transform`; the renderer maps it on into device
// space with the transform current when the paint is set.
#include "renderer/Color.h"
#include "renderer/Transform.h"

namespace fx::vg {

enum class PaintKind { Solid = 0, Image = 1, Linear = 3, Radial = 4, Box = 5 };

struct Paint {
  PaintKind kind = PaintKind::Solid;
  Transform transform;
  // Linear: extent[0] is the gradient length. Radial: inner radius and ring
  // width. Box: half extents; image: pattern size.
  float extent[2] = {0.0f, 0.0f};
  float radius = 0.0f;
  float feather = 1.0f;
  Color inner = Color::rgba(1, 1, 1, 1);
  Color outer = Color::rgba(1, 1, 1, 1);
  int image = 0;

  static Paint solid(Color c);
  // Colour runs from `inner` at (sx, sy) to `outer` at (ex, ey).
  static Paint linearGradient(float sx, float sy, float ex, float ey, Color inner, Color outer);
  // Inner colour inside radius `r0`, outer beyond `r1`, blended between.
  static Paint radialGradient(float cx, float cy, float r0, float r1, Color inner, Color outer);
  // A rounded rectangle (x, y, w, h, corner radius r) whose edge is blurred
  // over `feather` units: the fast drop shadow.
  static Paint boxGradient(float x, float y, float w, float h, float r, float feather, Color inner,
                           Color outer);
  // The image laid out with its top-left at (ox, oy), `w` x `h` units large,
  // rotated by `angle` radians about that corner, at opacity `alpha`.
  static Paint imagePattern(float ox, float oy, float w, float h, float angle, int image, float alpha);
};

}  // namespace fx::vg
