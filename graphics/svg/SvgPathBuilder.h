#pragma once
// Builds one shape's outline: takes moves, lines, cubics, quadratics, arcs
// and closes in the element's user space, writes absolute commands in
// document units (through the element's transform) and keeps the tight
// bounding box in user space, curve extremes included, which
// objectBoundingBox gradients are laid on.
//
// The number of commands is bounded by a budget shared by all shapes of a
// document; once it runs out, commands are dropped and Full() says so.

#include <cstddef>

#include "graphics/svg/SvgPath.h"
#include "graphics/svg/SvgTransform.h"

namespace fx::igraphics::svg {

struct SvgBounds {
  double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
  bool empty = true;

  void Add(double x, double y);
};

class SvgPathBuilder {
 public:
  SvgPathBuilder(const SvgMatrix& transform, SvgPath& out, std::size_t& budget)
      : transform_(transform), out_(out), budget_(budget) {}

  void MoveTo(double x, double y);
  void LineTo(double x, double y);
  void CubicTo(double x1, double y1, double x2, double y2, double x, double y);
  // Turned into the one cubic with the same curve.
  void QuadTo(double qx, double qy, double x, double y);
  // An elliptical arc in endpoint form to (x, y): radii corrected up when too
  // small to reach, a zero radius gives a line, a zero-length arc nothing.
  // Written as cubics of at most 90 degrees each.
  void ArcTo(double rx, double ry, double rotationDegrees, bool largeArc, bool sweep, double x, double y);
  void Close();

  // The current point in user space.
  double X() const { return x_; }
  double Y() const { return y_; }
  bool Full() const { return full_; }
  // Some transformed coordinate passed kMaxMagnitude (or was not finite).
  bool OutOfRange() const { return outOfRange_; }
  const SvgBounds& Bounds() const { return bounds_; }

 private:
  bool Reserve();
  float Out(double v);
  void Emit(SvgPathCommand::Kind kind, double x1, double y1, double x2, double y2, double x3, double y3);
  // After a close, a drawing command starts from the subpath's start.
  void StartSegment();

  SvgMatrix transform_;
  SvgPath& out_;
  std::size_t& budget_;
  SvgBounds bounds_;
  double x_ = 0.0, y_ = 0.0, startX_ = 0.0, startY_ = 0.0;
  bool open_ = false;  // a subpath is started and not closed
  bool full_ = false;
  bool outOfRange_ = false;
};

}  // namespace fx::igraphics::svg
