#include "renderer/PathBuilder.h"

#include <algorithm>
#include <cmath>

namespace fx::vg {

namespace {
// Coordinates beyond this are treated as invalid: float precision is gone
// long before, and the GPU could not place them anyway.
constexpr float kCoordinateLimit = 1.0e7f;

bool valid(Point p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::fabs(p.x) < kCoordinateLimit &&
         std::fabs(p.y) < kCoordinateLimit;
}

float distanceToSegment(Point p, Point a, Point b) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float len2 = dx * dx + dy * dy;
  float t = 0.0f;
  if (len2 > 1e-12f) t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0f, 1.0f);
  const float ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
  return std::sqrt(ex * ex + ey * ey);
}

void flattenBezier(Point p0, Point p1, Point p2, Point p3, float tol, int level, std::vector<Point>& out) {
  const float flat = std::max(distanceToSegment(p1, p0, p3), distanceToSegment(p2, p0, p3));
  if (flat <= tol || level >= 10) {
    out.push_back(p3);
    return;
  }
  const Point p01{(p0.x + p1.x) * 0.5f, (p0.y + p1.y) * 0.5f};
  const Point p12{(p1.x + p2.x) * 0.5f, (p1.y + p2.y) * 0.5f};
  const Point p23{(p2.x + p3.x) * 0.5f, (p2.y + p3.y) * 0.5f};
  const Point p012{(p01.x + p12.x) * 0.5f, (p01.y + p12.y) * 0.5f};
  const Point p123{(p12.x + p23.x) * 0.5f, (p12.y + p23.y) * 0.5f};
  const Point mid{(p012.x + p123.x) * 0.5f, (p012.y + p123.y) * 0.5f};
  flattenBezier(p0, p01, p012, mid, tol, level + 1, out);
  flattenBezier(mid, p123, p23, p3, tol, level + 1, out);
}

void finish(Contour& c, std::vector<Contour>& out) {
  std::vector<Point> pts;
  pts.reserve(c.points.size());
  constexpr float kEps = 0.01f;
  for (Point p : c.points) {
    if (!pts.empty() && std::fabs(pts.back().x - p.x) < kEps && std::fabs(pts.back().y - p.y) < kEps) continue;
    pts.push_back(p);
  }
  while (pts.size() > 1 && std::fabs(pts.back().x - pts.front().x) < kEps &&
         std::fabs(pts.back().y - pts.front().y) < kEps) {
    pts.pop_back();
    c.closed = true;
  }
  if (!pts.empty()) {
    c.points = std::move(pts);
    out.push_back(std::move(c));
  }
  c = Contour{};
}
}  // namespace

void PathBuilder::clear() {
  commands_.clear();
  hasCurrent_ = false;
}

void PathBuilder::moveTo(Point p) {
  if (!valid(p)) return;
  commands_.push_back({Op::Move, {p, {}, {}}});
  current_ = p;
  hasCurrent_ = true;
}

void PathBuilder::lineTo(Point p) {
  if (!valid(p)) return;
  if (!hasCurrent_) {
    moveTo(p);
    return;
  }
  commands_.push_back({Op::Line, {p, {}, {}}});
  current_ = p;
}

void PathBuilder::bezierTo(Point c1, Point c2, Point p) {
  if (!valid(c1) || !valid(c2) || !valid(p)) return;
  if (!hasCurrent_) {
    moveTo(p);
    return;
  }
  commands_.push_back({Op::Bezier, {c1, c2, p}});
  current_ = p;
}

void PathBuilder::close() {
  if (hasCurrent_) commands_.push_back({Op::Close, {}});
}

void PathBuilder::setWinding(Winding w) {
  if (w != Winding::Solid && w != Winding::Hole) return;
  Command c{Op::Wind, {}};
  c.winding = w;
  commands_.push_back(c);
}

std::vector<Contour> PathBuilder::flatten(float tolerance) const {
  std::vector<Contour> out;
  Contour cur;
  Point last;
  const float tol = tolerance > 1e-3f ? tolerance : 1e-3f;
  for (const Command& c : commands_) {
    switch (c.op) {
      case Op::Move:
        finish(cur, out);
        cur.points.push_back(c.p[0]);
        last = c.p[0];
        break;
      case Op::Line:
        cur.points.push_back(c.p[0]);
        last = c.p[0];
        break;
      case Op::Bezier:
        if (cur.points.empty()) cur.points.push_back(last);
        flattenBezier(last, c.p[0], c.p[1], c.p[2], tol, 0, cur.points);
        last = c.p[2];
        break;
      case Op::Close:
        cur.closed = true;
        break;
      case Op::Wind:
        cur.winding = c.winding;
        break;
    }
  }
  finish(cur, out);
  return out;
}

}  // namespace fx::vg
