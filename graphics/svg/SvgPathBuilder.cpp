#include "graphics/svg/SvgPathBuilder.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/svg/SvgLimits.h"

namespace fx::igraphics::svg {
namespace {

using Kind = SvgPathCommand::Kind;

// Where along 0 < t < 1 one coordinate of a cubic has its extremes: roots of
// the derivative a t^2 + b t + c (divided by 3).
int CubicExtremes(double p0, double p1, double p2, double p3, double t[2]) {
  const double a = -p0 + 3.0 * p1 - 3.0 * p2 + p3;
  const double b = 2.0 * (p0 - 2.0 * p1 + p2);
  const double c = p1 - p0;
  int n = 0;
  auto keep = [&](double r) {
    if (r > 0.0 && r < 1.0) t[n++] = r;
  };
  if (std::fabs(a) < 1e-12) {
    if (std::fabs(b) > 1e-12) keep(-c / b);
    return n;
  }
  const double disc = b * b - 4.0 * a * c;
  if (disc < 0.0) return 0;
  const double s = std::sqrt(disc);
  keep((-b + s) / (2.0 * a));
  keep((-b - s) / (2.0 * a));
  return n;
}

double CubicAt(double p0, double p1, double p2, double p3, double t) {
  const double u = 1.0 - t;
  return u * u * u * p0 + 3.0 * u * u * t * p1 + 3.0 * u * t * t * p2 + t * t * t * p3;
}

}  // namespace

void SvgBounds::Add(double x, double y) {
  if (empty) {
    minX = maxX = x;
    minY = maxY = y;
    empty = false;
    return;
  }
  minX = std::min(minX, x);
  maxX = std::max(maxX, x);
  minY = std::min(minY, y);
  maxY = std::max(maxY, y);
}

bool SvgPathBuilder::Reserve() {
  if (full_ || budget_ == 0) {
    full_ = true;
    return false;
  }
  --budget_;
  return true;
}

float SvgPathBuilder::Out(double v) {
  if (!(std::fabs(v) <= kMaxMagnitude)) {
    outOfRange_ = true;
    return 0.0f;
  }
  return static_cast<float>(v);
}

void SvgPathBuilder::Emit(Kind kind, double x1, double y1, double x2, double y2, double x3, double y3) {
  if (!Reserve()) return;
  transform_.Apply(x1, y1);
  transform_.Apply(x2, y2);
  transform_.Apply(x3, y3);
  SvgPathCommand c;
  c.kind = kind;
  if (kind == Kind::Cubic) {
    c.x1 = Out(x1);
    c.y1 = Out(y1);
    c.x2 = Out(x2);
    c.y2 = Out(y2);
  }
  if (kind != Kind::Close) {
    c.x3 = Out(x3);
    c.y3 = Out(y3);
  }
  out_.push_back(c);
}

void SvgPathBuilder::StartSegment() {
  if (!open_) {
    Emit(Kind::Move, 0.0, 0.0, 0.0, 0.0, x_, y_);
    startX_ = x_;
    startY_ = y_;
    open_ = true;
  }
  bounds_.Add(x_, y_);
}

void SvgPathBuilder::MoveTo(double x, double y) {
  Emit(Kind::Move, 0.0, 0.0, 0.0, 0.0, x, y);
  x_ = startX_ = x;
  y_ = startY_ = y;
  open_ = true;
}

void SvgPathBuilder::LineTo(double x, double y) {
  StartSegment();
  Emit(Kind::Line, 0.0, 0.0, 0.0, 0.0, x, y);
  bounds_.Add(x, y);
  x_ = x;
  y_ = y;
}

void SvgPathBuilder::CubicTo(double x1, double y1, double x2, double y2, double x, double y) {
  StartSegment();
  Emit(Kind::Cubic, x1, y1, x2, y2, x, y);
  bounds_.Add(x, y);
  double t[2];
  const int nx = CubicExtremes(x_, x1, x2, x, t);
  for (int i = 0; i < nx; ++i) bounds_.Add(CubicAt(x_, x1, x2, x, t[i]), y_);
  const int ny = CubicExtremes(y_, y1, y2, y, t);
  for (int i = 0; i < ny; ++i) bounds_.Add(x_, CubicAt(y_, y1, y2, y, t[i]));
  x_ = x;
  y_ = y;
}

void SvgPathBuilder::QuadTo(double qx, double qy, double x, double y) {
  CubicTo(x_ + 2.0 / 3.0 * (qx - x_), y_ + 2.0 / 3.0 * (qy - y_), x + 2.0 / 3.0 * (qx - x), y + 2.0 / 3.0 * (qy - y), x, y);
}

void SvgPathBuilder::Close() {
  if (!open_) return;
  Emit(Kind::Close, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0);
  x_ = startX_;
  y_ = startY_;
  open_ = false;
}

void SvgPathBuilder::ArcTo(double rx, double ry, double rotationDegrees, bool largeArc, bool sweep, double x, double y) {
  const double x0 = x_, y0 = y_;
  if (x0 == x && y0 == y) return;
  rx = std::fabs(rx);
  ry = std::fabs(ry);
  if (rx == 0.0 || ry == 0.0) {
    LineTo(x, y);
    return;
  }
  const double phi = std::fmod(rotationDegrees, 360.0) * std::numbers::pi / 180.0;
  const double cosPhi = std::cos(phi), sinPhi = std::sin(phi);
  // The start point in a frame centred between the end points, aligned with the axes.
  const double dx = (x0 - x) / 2.0, dy = (y0 - y) / 2.0;
  const double px = cosPhi * dx + sinPhi * dy;
  const double py = -sinPhi * dx + cosPhi * dy;
  const double lambda = (px * px) / (rx * rx) + (py * py) / (ry * ry);
  if (lambda > 1.0) {
    const double s = std::sqrt(lambda);
    rx *= s;
    ry *= s;
  }
  const double rx2 = rx * rx, ry2 = ry * ry;
  const double num = rx2 * ry2 - rx2 * py * py - ry2 * px * px;
  const double den = rx2 * py * py + ry2 * px * px;
  if (!(den > 0.0) || !std::isfinite(num)) {
    LineTo(x, y);
    return;
  }
  double coef = std::sqrt(std::max(0.0, num / den));
  if (largeArc == sweep) coef = -coef;
  const double cxp = coef * rx * py / ry;
  const double cyp = -coef * ry * px / rx;
  const double cx = cosPhi * cxp - sinPhi * cyp + (x0 + x) / 2.0;
  const double cy = sinPhi * cxp + cosPhi * cyp + (y0 + y) / 2.0;
  const double ux = (px - cxp) / rx, uy = (py - cyp) / ry;
  const double vx = (-px - cxp) / rx, vy = (-py - cyp) / ry;
  const double theta = std::atan2(uy, ux);
  double delta = std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
  if (!sweep && delta > 0.0) delta -= 2.0 * std::numbers::pi;
  if (sweep && delta < 0.0) delta += 2.0 * std::numbers::pi;
  if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(delta)) {
    LineTo(x, y);
    return;
  }
  const int segments = std::clamp(static_cast<int>(std::ceil(std::fabs(delta) / (std::numbers::pi / 2.0) - 1e-9)), 1, 4);
  const double step = delta / segments;
  const double k = 4.0 / 3.0 * std::tan(step / 4.0);
  // A point of the unit circle's frame mapped onto the ellipse.
  auto map = [&](double ex, double ey, double& ox, double& oy) {
    ox = cx + rx * cosPhi * ex - ry * sinPhi * ey;
    oy = cy + rx * sinPhi * ex + ry * cosPhi * ey;
  };
  double t1 = theta;
  for (int i = 0; i < segments; ++i) {
    const double t2 = theta + step * (i + 1);
    const double c1 = std::cos(t1), s1 = std::sin(t1), c2 = std::cos(t2), s2 = std::sin(t2);
    double ax, ay, bx, by, ex, ey;
    map(c1 - k * s1, s1 + k * c1, ax, ay);
    map(c2 + k * s2, s2 - k * c2, bx, by);
    if (i == segments - 1) {
      ex = x;
      ey = y;
    } else {
      map(c2, s2, ex, ey);
    }
    CubicTo(ax, ay, bx, by, ex, ey);
    t1 = t2;
  }
}

}  // namespace fx::igraphics::svg
