#include "renderer/Paint.h"

#include <cmath>

namespace fx::vg {

Paint Paint::solid(Color c) {
  Paint p;
  p.inner = p.outer = c;
  return p;
}

Paint Paint::linearGradient(float sx, float sy, float ex, float ey, Color inner, Color outer) {
  Paint p;
  p.kind = PaintKind::Linear;
  float dx = ex - sx, dy = ey - sy;
  const float len = std::sqrt(dx * dx + dy * dy);
  if (len > 1e-4f && std::isfinite(len)) {
    dx /= len;
    dy /= len;
  } else {
    dx = 1.0f;
    dy = 0.0f;
  }
  // Paint x runs along the gradient from its start.
  p.transform = Transform::of(dx, dy, -dy, dx, sx, sy);
  p.extent[0] = std::isfinite(len) && len > 1e-4f ? len : 1e-4f;
  p.inner = inner;
  p.outer = outer;
  return p;
}

Paint Paint::radialGradient(float cx, float cy, float r0, float r1, Color inner, Color outer) {
  Paint p;
  p.kind = PaintKind::Radial;
  p.transform = Transform::translation(cx, cy);
  p.extent[0] = r0;
  const float ring = r1 - r0;
  p.extent[1] = std::fabs(ring) > 1e-4f ? ring : 1e-4f;
  p.inner = inner;
  p.outer = outer;
  return p;
}

Paint Paint::boxGradient(float x, float y, float w, float h, float r, float feather, Color inner,
                         Color outer) {
  Paint p;
  p.kind = PaintKind::Box;
  p.transform = Transform::translation(x + w * 0.5f, y + h * 0.5f);
  p.extent[0] = w * 0.5f;
  p.extent[1] = h * 0.5f;
  p.radius = r;
  p.feather = feather > 1e-3f ? feather : 1e-3f;
  p.inner = inner;
  p.outer = outer;
  return p;
}

Paint Paint::imagePattern(float ox, float oy, float w, float h, float angle, int image, float alpha) {
  Paint p;
  p.kind = PaintKind::Image;
  p.transform = Transform::translation(ox, oy) * Transform::rotation(angle);
  p.extent[0] = w;
  p.extent[1] = h;
  p.image = image;
  p.inner = p.outer = Color::rgba(1, 1, 1, alpha);
  return p;
}

}  // namespace fx::vg
