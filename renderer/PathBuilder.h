#pragma once
// Records path commands in device space and flattens them into polylines.
// Commands arrive already transformed, so the flattening tolerance is in
// device pixels and follows the transform's scale by construction.
#include <vector>

#include "renderer/Contour.h"
#include "renderer/Transform.h"
#include "renderer/Winding.h"

namespace fx::vg {

class PathBuilder {
 public:
  void clear();
  // Points with a non-finite coordinate are dropped with their command.
  void moveTo(Point p);
  void lineTo(Point p);
  void bezierTo(Point c1, Point c2, Point p);
  void close();
  void setWinding(Winding w);

  bool hasCurrentPoint() const { return hasCurrent_; }
  Point currentPoint() const { return current_; }
  bool empty() const { return commands_.empty(); }

  // Polylines with consecutive duplicates removed; contours left without
  // points are dropped.
  std::vector<Contour> flatten(float tolerance) const;

 private:
  enum class Op { Move, Line, Bezier, Close, Wind };
  struct Command {
    Op op;
    Point p[3];
    Winding winding = Winding::Solid;
  };
  std::vector<Command> commands_;
  Point current_;
  bool hasCurrent_ = false;
};

}  // namespace fx::vg
