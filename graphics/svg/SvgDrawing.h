#pragma once
// The arithmetic between a parsed document and the graphics context's path
// operations: where the document lands in a destination rectangle, how its
// paints become patterns, and which subpaths are drawn as holes.
//
// The renderer fills with the nonzero rule after turning every contour to
// the orientation its winding asks for (solid one way, hole the other).
// HoleSubpaths chooses those windings:
//  - NonZero: each subpath keeps its orientation relative to the others
//    (all are turned so that the largest is solid), so the fill is exact.
//    Anti-aliased edges are right where filled outlines run the largest's
//    way round and holes the other; an outline filled against that (two
//    separate outlines drawn in opposite directions) is half a pixel fatter.
//  - EvenOdd: a subpath nested inside an odd number of others is a hole.
//    That is exact for outlines that neither cross themselves nor overlap
//    each other without nesting (rings, letters, cut-outs, whatever the
//    direction of the inner contour). Where two outlines merely overlap, or
//    one crosses itself (a star drawn in one stroke), the overlap is filled
//    as nonzero would fill it. A path of thousands of subpaths, where the
//    nesting test would cost too much, is filled by orientation as for
//    NonZero (right for font-like outlines, whose holes run backwards).
//
// Where drawing approximates:
//  - A radial gradient becomes a circle about its mapped centre with its
//    radius times sqrt(|det|) of its transform: exact for rotations and
//    uniform scales, the circle of equal area for an ellipse or a skew. Its
//    focus is not drawn (patterns have none).
//  - The vector backend draws a gradient's first and last stops only.
//  - A stroke has one width: under a stretched mapping (align none) it is
//    scaled by the mean of the two scales.
//  - Under a rotated outer transform the clip is dest's bounding box.
//
// Pure functions; any input (NaN, empty boxes, bad enums) gets a defined
// answer. Platform neutral.

#include <cstdint>
#include <vector>

#include "graphics/IBounds.h"
#include "graphics/IFillOptions.h"
#include "graphics/IMatrix.h"
#include "graphics/IPattern.h"
#include "graphics/IStrokeOptions.h"
#include "graphics/svg/SvgImage.h"

namespace fx::igraphics::svg {

// The matrix from document units into dest: the view box (or 0 0 width
// height without one) placed by the document's align and meet/slice. False
// (out the identity) when the box or dest is empty or not finite: nothing
// is drawn then.
bool ViewBoxTransform(const SvgImage& image, const IBounds& dest, IMatrix& out);

// The smallest rectangle holding the corners of r under m; empty for a
// non-finite result.
IBounds TransformedBounds(const IMatrix& m, const IBounds& r);

// The pattern that paints with `paint` in document units: colours' alpha
// times the paint's opacity. False when nothing is painted (kind None, a
// gradient without stops or with a collapsed transform, a negative radius).
// A gradient of one stop, a linear one whose ends meet or a radial one of
// radius 0 paints its last stop's colour.
bool PatternForPaint(const SvgPaint& paint, IPattern& out);

// Stroke options for a shape (cap, join, miter limit; out-of-range values
// take the defaults butt, miter and 4).
IStrokeOptions StrokeOptionsFor(const SvgShape& shape);

// The path as the context draws it: one SvgPath per subpath, each starting
// with a Move. A Line or Cubic after a Close (or at the start) begins a new
// subpath at the closed one's start (or at 0, 0); commands with a
// non-finite coordinate are dropped.
std::vector<SvgPath> SplitSubpaths(const SvgPath& path);

// Per subpath: true when it is drawn with the hole winding (see above).
std::vector<bool> HoleSubpaths(const std::vector<SvgPath>& subpaths, SvgShape::FillRule rule);

// A shape as the path operations draw it, worked out once per document:
// its subpaths with their windings, then a fill (kept for the stroke when
// there is one) and a stroke.
struct SvgDrawShape {
  std::vector<SvgPath> subpaths;
  std::vector<bool> holes;  // per subpath; empty when not filled
  bool fills = false;
  bool strokes = false;
  IPattern fill;
  IFillOptions fillOptions;
  IPattern stroke;
  float strokeWidth = 0.0f;
  IStrokeOptions strokeOptions;
};

// The document's shapes in painting order, leaving out those that paint
// nothing (no fill and no stroke of positive width, or no subpath).
std::vector<SvgDrawShape> PrepareShapes(const SvgImage& image);

// The subpath's outline as a polygon: its points with each cubic replaced
// by `segmentsPerCubic` chords.
std::vector<float> FlattenSubpath(const SvgPath& subpath, std::int32_t segmentsPerCubic);
// Twice the signed area of a polygon of (x, y) pairs, positive for a
// clockwise outline on screen (y pointing down), as the renderer counts it.
double SignedArea2(const std::vector<float>& polygon);

}  // namespace fx::igraphics::svg
