#include "renderer/StrokeTessellator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fx::vg {

namespace {
constexpr float kFringe = 0.5f;

struct Emitter {
  std::vector<Vertex>& out;
  void tri(Point a, float ca, Point b, float cb, Point c, float cc) {
    out.push_back(make(a, ca));
    out.push_back(make(b, cb));
    out.push_back(make(c, cc));
  }
  void quad(Point a, float ca, Point b, float cb, Point c, float cc, Point d, float cd) {
    tri(a, ca, b, cb, c, cc);
    tri(a, ca, c, cc, d, cd);
  }
  static Vertex make(Point p, float c) {
    Vertex v;
    v.x = p.x;
    v.y = p.y;
    v.cover = c;
    return v;
  }
};

Point add(Point p, Point d, float s) { return {p.x + d.x * s, p.y + d.y * s}; }
Point leftOf(Point d) { return {-d.y, d.x}; }

struct Widths {
  float inner;  // full coverage out to here
  float outer;  // zero coverage from here
};

// Body of one segment from a to b along unit direction d: three strips across.
void body(Emitter& e, Point a, Point b, Point d, Widths w) {
  const Point n = leftOf(d);
  const float offs[4] = {w.outer, w.inner, -w.inner, -w.outer};
  const float cov[4] = {0.0f, 1.0f, 1.0f, 0.0f};
  for (int i = 0; i < 3; ++i)
    e.quad(add(a, n, offs[i]), cov[i], add(b, n, offs[i]), cov[i], add(b, n, offs[i + 1]), cov[i + 1],
           add(a, n, offs[i + 1]), cov[i + 1]);
}

// A fan about p through the outline directions `dirs` (each scaled so that
// p + dir * halfWidth lies on the outline).
void fan(Emitter& e, Point p, const std::vector<Point>& dirs, Widths w) {
  for (std::size_t k = 0; k + 1 < dirs.size(); ++k) {
    const Point i0 = add(p, dirs[k], w.inner), i1 = add(p, dirs[k + 1], w.inner);
    const Point o0 = add(p, dirs[k], w.outer), o1 = add(p, dirs[k + 1], w.outer);
    e.tri(p, 1.0f, i0, 1.0f, i1, 1.0f);
    e.quad(i0, 1.0f, o0, 0.0f, o1, 0.0f, i1, 1.0f);
  }
}

int arcSteps(float angle, float radius, float tolerance) {
  const float r = std::max(radius, 0.5f);
  const float da = 2.0f * std::acos(std::clamp(r / (r + tolerance), -1.0f, 1.0f));
  const int n = da > 1e-4f ? static_cast<int>(std::ceil(std::fabs(angle) / da)) : 64;
  return std::clamp(n, 2, 64);
}

// Directions sweeping from `from` by `angle` radians. They reach a little
// past the unit circle so that the fan of chords has the area of the sector.
std::vector<Point> arcDirs(Point from, float angle, int steps) {
  std::vector<Point> dirs;
  const float base = std::atan2(from.y, from.x);
  const float step = std::fabs(angle) / static_cast<float>(steps);
  const float grow = step > 1e-4f ? std::sqrt(step / std::sin(step)) : 1.0f;
  for (int k = 0; k <= steps; ++k) {
    const float a = base + angle * static_cast<float>(k) / static_cast<float>(steps);
    dirs.push_back({std::cos(a) * grow, std::sin(a) * grow});
  }
  return dirs;
}

// Cap at endpoint p; `out` points away from the stroke.
void cap(Emitter& e, Point p, Point out, LineCap style, Widths w, float hw, float tolerance) {
  const Point n = leftOf(out);
  if (style == LineCap::Round) {
    // From the left side through the tip to the right side.
    const Point from{n.x, n.y};
    // Sweeping from n towards out: out = rotate(n, -90deg) in this handedness.
    const float sweep = (n.x * out.y - n.y * out.x) > 0 ? std::numbers::pi_v<float> : -std::numbers::pi_v<float>;
    fan(e, p, arcDirs(from, sweep, arcSteps(std::numbers::pi_v<float>, hw, tolerance)), w);
    return;
  }
  // Butt: the body stops half a fringe short and this strip ramps to zero
  // half a fringe beyond. Square: the same, pushed out by the half width.
  const float extra = style == LineCap::Square ? hw : 0.0f;
  const Point a = add(p, out, extra - kFringe), b = add(p, out, extra + kFringe);
  const float offs[4] = {w.outer, w.inner, -w.inner, -w.outer};
  const float cov[4] = {0.0f, 1.0f, 1.0f, 0.0f};
  for (int i = 0; i < 3; ++i)
    e.quad(add(a, n, offs[i]), cov[i], add(b, n, offs[i]), 0.0f, add(b, n, offs[i + 1]), 0.0f,
           add(a, n, offs[i + 1]), cov[i + 1]);
}

void join(Emitter& e, Point p, Point d0, Point d1, const StrokeStyle& style, Widths w, float hw, float tolerance) {
  const float cross = d0.x * d1.y - d0.y * d1.x;
  const float dot = d0.x * d1.x + d0.y * d1.y;
  if (std::fabs(cross) < 1e-4f && dot > 0) return;  // straight on
  if (std::fabs(cross) < 1e-4f) {
    // Folds back: only a round join has anything to show.
    if (style.join == LineJoin::Round) cap(e, p, d0, LineCap::Round, w, hw, tolerance);
    return;
  }
  const float s = cross > 0 ? -1.0f : 1.0f;
  const Point l0 = leftOf(d0), l1 = leftOf(d1);
  const Point o0{l0.x * s, l0.y * s}, o1{l1.x * s, l1.y * s};
  const float turn = std::atan2(cross, dot);  // signed turning angle
  std::vector<Point> dirs;
  if (style.join == LineJoin::Round) {
    // The outer side sweeps the same way as the path turns.
    dirs = arcDirs(o0, turn, arcSteps(std::fabs(turn), hw, tolerance));
  } else {
    dirs = {o0, o1};
    if (style.join == LineJoin::Miter) {
      Point m{o0.x + o1.x, o0.y + o1.y};
      const float len = std::sqrt(m.x * m.x + m.y * m.y);
      const float cosHalf = len * 0.5f;  // cos of half the turning angle
      if (cosHalf > 1e-4f && 1.0f / cosHalf <= style.miterLimit) {
        m = {m.x / len / cosHalf, m.y / len / cosHalf};
        dirs = {o0, m, o1};
      }
    }
  }
  fan(e, p, dirs, w);
}

Point direction(Point a, Point b) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float len = std::sqrt(dx * dx + dy * dy);
  if (len < 1e-9f) return {1.0f, 0.0f};
  return {dx / len, dy / len};
}
}  // namespace

std::vector<Vertex> StrokeTessellator::tessellate(const std::vector<Contour>& contours, const StrokeStyle& style,
                                                  float tolerance) {
  std::vector<Vertex> out;
  if (!std::isfinite(style.width) || style.width <= 0.0f) return out;
  const float hw = std::max(style.width * 0.5f, kFringe);
  const Widths w{std::max(hw - kFringe, 0.0f), hw + kFringe};
  Emitter e{out};
  for (const Contour& c : contours) {
    const std::vector<Point>& pts = c.points;
    const std::size_t n = pts.size();
    if (n == 1) {
      // A zero-length path still shows round and square caps.
      if (style.cap == LineCap::Butt) continue;
      const Point d{1.0f, 0.0f}, back{-1.0f, 0.0f};
      if (style.cap == LineCap::Square) body(e, add(pts[0], back, hw - kFringe), add(pts[0], d, hw - kFringe), d, w);
      cap(e, pts[0], d, style.cap, w, hw, tolerance);
      cap(e, pts[0], back, style.cap, w, hw, tolerance);
      continue;
    }
    const bool closed = c.closed && n > 2;
    const std::size_t segments = closed ? n : n - 1;
    for (std::size_t i = 0; i < segments; ++i) {
      Point a = pts[i], b = pts[(i + 1) % n];
      const Point d = direction(a, b);
      if (!closed && style.cap != LineCap::Round) {
        const float len = std::hypot(b.x - a.x, b.y - a.y);
        // Butt and square ends hand their last half fringe to the cap strip.
        const float shift = style.cap == LineCap::Square ? hw - kFringe : -std::min(kFringe, len * 0.5f);
        if (i == 0) a = add(a, d, -shift);
        if (i + 1 == segments) b = add(b, d, shift);
      }
      body(e, a, b, d, w);
    }
    if (closed) {
      for (std::size_t i = 0; i < n; ++i)
        join(e, pts[i], direction(pts[(i + n - 1) % n], pts[i]), direction(pts[i], pts[(i + 1) % n]), style, w, hw,
             tolerance);
    } else {
      for (std::size_t i = 1; i + 1 < n; ++i)
        join(e, pts[i], direction(pts[i - 1], pts[i]), direction(pts[i], pts[i + 1]), style, w, hw, tolerance);
      const Point d0 = direction(pts[0], pts[1]);
      const Point d1 = direction(pts[n - 2], pts[n - 1]);
      cap(e, pts[0], {-d0.x, -d0.y}, style.cap, w, hw, tolerance);
      cap(e, pts[n - 1], d1, style.cap, w, hw, tolerance);
    }
  }
  return out;
}

}  // namespace fx::vg
