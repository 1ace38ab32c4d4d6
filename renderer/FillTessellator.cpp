#include "renderer/FillTessellator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fx::vg {

namespace {
constexpr float kHalfFringe = 0.5f;

Vertex vert(Point p, float cover) {
  Vertex v;
  v.x = p.x;
  v.y = p.y;
  v.cover = cover;
  return v;
}

Point normalOf(Point a, Point b) {
  // Outward for positive-area contours in y-down space.
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float len = std::sqrt(dx * dx + dy * dy);
  if (len < 1e-9f) return {0.0f, 0.0f};
  return {dy / len, -dx / len};
}

// Miter offset of a vertex: moving the vertex by it moves both adjacent edges
// outward by one unit. Clamped so that needle-sharp corners stay bounded.
Point miterOffset(Point prev, Point p, Point next) {
  const Point n0 = normalOf(prev, p), n1 = normalOf(p, next);
  Point d{(n0.x + n1.x) * 0.5f, (n0.y + n1.y) * 0.5f};
  const float d2 = d.x * d.x + d.y * d.y;
  if (d2 < 1e-6f) return n0;
  float s = 1.0f / d2;
  constexpr float kMaxLength = 4.0f;
  if (s * std::sqrt(d2) > kMaxLength) s = kMaxLength / std::sqrt(d2);
  return {d.x * s, d.y * s};
}

void addFringe(const std::vector<Point>& pts, std::vector<Vertex>& out) {
  const std::size_t n = pts.size();
  std::vector<Point> inner(n), outer(n);
  for (std::size_t i = 0; i < n; ++i) {
    const Point m = miterOffset(pts[(i + n - 1) % n], pts[i], pts[(i + 1) % n]);
    inner[i] = {pts[i].x - m.x * kHalfFringe, pts[i].y - m.y * kHalfFringe};
    outer[i] = {pts[i].x + m.x * kHalfFringe, pts[i].y + m.y * kHalfFringe};
  }
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t j = (i + 1) % n;
    out.push_back(vert(inner[i], 1.0f));
    out.push_back(vert(outer[i], 0.0f));
    out.push_back(vert(outer[j], 0.0f));
    out.push_back(vert(inner[i], 1.0f));
    out.push_back(vert(outer[j], 0.0f));
    out.push_back(vert(inner[j], 1.0f));
  }
}
}  // namespace

float FillTessellator::signedArea(const std::vector<Point>& pts) {
  double area = 0.0;
  const std::size_t n = pts.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Point a = pts[i], b = pts[(i + 1) % n];
    area += static_cast<double>(a.x) * static_cast<double>(b.y) - static_cast<double>(b.x) * static_cast<double>(a.y);
  }
  return static_cast<float>(area * 0.5);
}

bool FillTessellator::isConvex(const std::vector<Point>& pts) {
  const std::size_t n = pts.size();
  if (n < 3) return false;
  int sign = 0;
  double turning = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const Point a = pts[i], b = pts[(i + 1) % n], c = pts[(i + 2) % n];
    const double ux = static_cast<double>(b.x - a.x), uy = static_cast<double>(b.y - a.y);
    const double vx = static_cast<double>(c.x - b.x), vy = static_cast<double>(c.y - b.y);
    const double cross = ux * vy - uy * vx;
    const double dot = ux * vx + uy * vy;
    if (std::fabs(cross) > 1e-9 * (std::fabs(ux) + std::fabs(uy)) * (std::fabs(vx) + std::fabs(vy))) {
      const int s = cross > 0 ? 1 : -1;
      if (sign != 0 && s != sign) return false;
      sign = s;
    } else if (dot < 0) {
      return false;  // folds back on itself
    }
    turning += std::atan2(cross, dot);
  }
  // A star turns twice around; a convex outline exactly once.
  return sign != 0 && std::fabs(std::fabs(turning) - 2.0 * std::numbers::pi) < 0.1;
}

FillGeometry FillTessellator::tessellate(std::vector<Contour>& contours, bool antialias) {
  FillGeometry g;
  std::vector<Contour*> usable;
  for (Contour& c : contours) {
    if (c.points.size() < 3) continue;
    const float area = signedArea(c.points);
    if (!std::isfinite(area)) continue;
    const bool wantPositive = c.winding == Winding::Solid;
    if ((area > 0) != wantPositive) std::reverse(c.points.begin(), c.points.end());
    usable.push_back(&c);
  }
  if (usable.empty()) return g;

  g.convex = usable.size() == 1 && isConvex(usable[0]->points);
  if (g.convex) {
    const std::vector<Point>& pts = usable[0]->points;
    const std::size_t n = pts.size();
    std::vector<Point> ring(pts);
    if (antialias) {
      for (std::size_t i = 0; i < n; ++i) {
        const Point m = miterOffset(pts[(i + n - 1) % n], pts[i], pts[(i + 1) % n]);
        ring[i] = {pts[i].x - m.x * kHalfFringe, pts[i].y - m.y * kHalfFringe};
      }
    }
    for (std::size_t i = 1; i + 1 < n; ++i) {
      g.interior.push_back(vert(ring[0], 1.0f));
      g.interior.push_back(vert(ring[i], 1.0f));
      g.interior.push_back(vert(ring[i + 1], 1.0f));
    }
    if (antialias) addFringe(pts, g.fringe);
    return g;
  }

  float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
  for (Contour* c : usable) {
    const std::vector<Point>& pts = c->points;
    for (std::size_t i = 1; i + 1 < pts.size(); ++i) {
      g.interior.push_back(vert(pts[0], 1.0f));
      g.interior.push_back(vert(pts[i], 1.0f));
      g.interior.push_back(vert(pts[i + 1], 1.0f));
    }
    for (Point p : pts) {
      minX = std::min(minX, p.x);
      minY = std::min(minY, p.y);
      maxX = std::max(maxX, p.x);
      maxY = std::max(maxY, p.y);
    }
    if (antialias) addFringe(pts, g.fringe);
  }
  // The cover reaches past the fringe so that it also clears the fringe's marks.
  const float pad = antialias ? 4.0f * kHalfFringe + 1.0f : 1.0f;
  const Point a{minX - pad, minY - pad}, b{maxX + pad, minY - pad}, c{maxX + pad, maxY + pad},
      d{minX - pad, maxY + pad};
  for (Point p : {a, b, c, a, c, d}) g.cover.push_back(vert(p, 1.0f));
  return g;
}

}  // namespace fx::vg
