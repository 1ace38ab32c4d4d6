#include "graphics/svg/SvgDrawing.h"

#include <algorithm>
#include <cmath>

namespace fx::igraphics::svg {
namespace {

bool Finite(std::initializer_list<float> values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

// The share of the free space left of (or above) the box: min, mid, max.
void AlignFractions(SvgImage::Align align, float& fx, float& fy) {
  using A = SvgImage::Align;
  switch (align) {
    case A::XMinYMin: fx = 0.0f, fy = 0.0f; return;
    case A::XMidYMin: fx = 0.5f, fy = 0.0f; return;
    case A::XMaxYMin: fx = 1.0f, fy = 0.0f; return;
    case A::XMinYMid: fx = 0.0f, fy = 0.5f; return;
    case A::XMaxYMid: fx = 1.0f, fy = 0.5f; return;
    case A::XMinYMax: fx = 0.0f, fy = 1.0f; return;
    case A::XMidYMax: fx = 0.5f, fy = 1.0f; return;
    case A::XMaxYMax: fx = 1.0f, fy = 1.0f; return;
    default: fx = 0.5f, fy = 0.5f; return;  // XMidYMid, and anything unknown
  }
}

std::int32_t ScaledAlpha(std::int32_t alpha, float opacity) {
  const float o = opacity > 0.0f ? std::min(opacity, 1.0f) : 0.0f;  // NaN counts as 0
  const float a = static_cast<float>(std::clamp(alpha, 0, 255)) * o;
  return static_cast<std::int32_t>(std::lround(a));
}

IArgb WithOpacity(IArgb colour, float opacity) {
  colour.a = ScaledAlpha(colour.a, opacity);
  return colour;
}

// Crossing-number test of (x, y) against a closed polygon of (x, y) pairs.
bool Inside(const std::vector<float>& polygon, float x, float y) {
  const std::size_t n = polygon.size() / 2;
  bool inside = false;
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    const float xi = polygon[2 * i], yi = polygon[2 * i + 1];
    const float xj = polygon[2 * j], yj = polygon[2 * j + 1];
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside;
}

}  // namespace

bool ViewBoxTransform(const SvgImage& image, const IBounds& dest, IMatrix& out) {
  out = IMatrix{};
  float bx = 0.0f, by = 0.0f, bw = image.width, bh = image.height;
  if (image.hasViewBox) bx = image.viewBoxX, by = image.viewBoxY, bw = image.viewBoxWidth, bh = image.viewBoxHeight;
  if (!Finite({bx, by, bw, bh}) || !(bw > 0.0f) || !(bh > 0.0f) || !dest.IsFinite() || dest.Empty()) return false;
  const float sx = dest.W() / bw, sy = dest.H() / bh;
  IMatrix m;
  if (image.align == SvgImage::Align::None) {
    m = IMatrix{sx, 0.0f, 0.0f, sy, dest.left - bx * sx, dest.top - by * sy};
  } else {
    const float s = image.meetOrSlice == SvgImage::MeetOrSlice::Slice ? std::max(sx, sy) : std::min(sx, sy);
    float fx = 0.5f, fy = 0.5f;
    AlignFractions(image.align, fx, fy);
    m = IMatrix{s, 0.0f, 0.0f, s, dest.left - bx * s + (dest.W() - bw * s) * fx, dest.top - by * s + (dest.H() - bh * s) * fy};
  }
  if (!Finite({m.xx, m.yy, m.tx, m.ty}) || !(m.xx > 0.0f) || !(m.yy > 0.0f)) return false;
  out = m;
  return true;
}

IBounds TransformedBounds(const IMatrix& m, const IBounds& r) {
  float xs[4] = {r.left, r.right, r.right, r.left};
  float ys[4] = {r.top, r.top, r.bottom, r.bottom};
  for (int i = 0; i < 4; ++i) m.TransformPoint(xs[i], ys[i]);
  const IBounds b{*std::min_element(xs, xs + 4), *std::min_element(ys, ys + 4), *std::max_element(xs, xs + 4),
                  *std::max_element(ys, ys + 4)};
  return b.IsFinite() ? b : IBounds{};
}

bool PatternForPaint(const SvgPaint& paint, IPattern& out) {
  out = IPattern{};
  switch (paint.kind) {
    case SvgPaint::Kind::Colour:
      out = IPattern::Solid(WithOpacity(paint.colour, paint.opacity));
      return true;
    case SvgPaint::Kind::LinearGradient:
    case SvgPaint::Kind::RadialGradient:
      break;
    default:
      return false;
  }
  if (paint.stops.empty()) return false;
  std::vector<IPattern::Stop> stops;
  float previous = 0.0f;
  for (const SvgGradientStop& s : paint.stops) {
    previous = std::max(previous, std::isfinite(s.offset) ? std::min(s.offset, 1.0f) : 0.0f);
    stops.push_back({WithOpacity(s.colour, paint.opacity), previous});
  }
  const IPattern last = IPattern::Solid(stops.back().colour);
  const IMatrix& m = paint.transform;
  const float det = m.xx * m.yy - m.xy * m.yx;
  if (!Finite({m.xx, m.yx, m.xy, m.yy, m.tx, m.ty}) || det == 0.0f || !std::isfinite(det)) return false;
  if (stops.size() == 1) {
    out = last;
    return true;
  }

  if (paint.kind == SvgPaint::Kind::LinearGradient) {
    if (!Finite({paint.x1, paint.y1, paint.x2, paint.y2})) return false;
    const float vx = paint.x2 - paint.x1, vy = paint.y2 - paint.y1;
    const float vv = vx * vx + vy * vy;
    if (!(vv > 0.0f) || !std::isfinite(vv)) {
      out = last;
      return true;
    }
    // The colour is an affine function of the point, t = (p - p1).v / |v|^2
    // in gradient space. In document units that is t = (q - M p1).w with
    // w = M^-T v / |v|^2, a linear gradient from M p1 along w, 1/|w| long.
    // Exact for any affine M; mapping the two ends instead would tilt the
    // colour bands under a skew or an unequal scale.
    const float wx = (m.yy * vx - m.yx * vy) / (det * vv);
    const float wy = (-m.xy * vx + m.xx * vy) / (det * vv);
    const float ww = wx * wx + wy * wy;
    if (!(ww > 0.0f) || !std::isfinite(ww)) return false;
    float sx = paint.x1, sy = paint.y1;
    m.TransformPoint(sx, sy);
    const float ex = sx + wx / ww, ey = sy + wy / ww;
    if (!Finite({sx, sy, ex, ey})) return false;
    out = IPattern::Linear(sx, sy, ex, ey, std::move(stops));
    return true;
  }

  if (!Finite({paint.cx, paint.cy, paint.r}) || paint.r < 0.0f) return false;
  if (paint.r == 0.0f) {
    out = last;
    return true;
  }
  // Patterns are circles about their centre: the transform's centre is
  // exact, its radius is the mean scale sqrt(|det|), so a gradient squeezed
  // into an ellipse or skewed is drawn as the circle of equal area. The
  // focus is not drawn: patterns have none.
  float cx = paint.cx, cy = paint.cy;
  m.TransformPoint(cx, cy);
  const float r = paint.r * std::sqrt(std::fabs(det));
  if (!Finite({cx, cy, r})) return false;
  out = IPattern::Radial(cx, cy, 0.0f, r, std::move(stops));
  return true;
}

IStrokeOptions StrokeOptionsFor(const SvgShape& shape) {
  IStrokeOptions o;
  const auto cap = static_cast<std::int32_t>(shape.cap);
  const auto join = static_cast<std::int32_t>(shape.join);
  o.cap = cap >= 0 && cap <= 2 ? cap : 0;
  o.join = join >= 0 && join <= 2 ? join : 0;
  o.miterLimit = std::isfinite(shape.miterLimit) && shape.miterLimit >= 1.0f ? shape.miterLimit : 4.0f;
  return o;
}

std::vector<SvgPath> SplitSubpaths(const SvgPath& path) {
  using K = SvgPathCommand::Kind;
  std::vector<SvgPath> out;
  float startX = 0.0f, startY = 0.0f;
  bool open = false;  // the last subpath takes drawing commands
  for (const SvgPathCommand& c : path) {
    if (!Finite({c.x1, c.y1, c.x2, c.y2, c.x3, c.y3})) continue;
    switch (c.kind) {
      case K::Move:
        out.push_back({c});
        startX = c.x3, startY = c.y3;
        open = true;
        break;
      case K::Line:
      case K::Cubic:
        if (!open) {
          SvgPathCommand move;
          move.x3 = startX, move.y3 = startY;
          out.push_back({move});
          open = true;
        }
        out.back().push_back(c);
        break;
      case K::Close:
        if (open) out.back().push_back(c);
        open = false;
        break;
      default:
        break;
    }
  }
  return out;
}

std::vector<float> FlattenSubpath(const SvgPath& subpath, std::int32_t segmentsPerCubic) {
  std::vector<float> points;
  const std::int32_t n = std::max<std::int32_t>(segmentsPerCubic, 1);
  float x = 0.0f, y = 0.0f;
  for (const SvgPathCommand& c : subpath) {
    if (c.kind == SvgPathCommand::Kind::Cubic) {
      for (std::int32_t i = 1; i <= n; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(n), u = 1.0f - t;
        const float a = u * u * u, b = 3.0f * u * u * t, d = 3.0f * u * t * t, e = t * t * t;
        points.push_back(a * x + b * c.x1 + d * c.x2 + e * c.x3);
        points.push_back(a * y + b * c.y1 + d * c.y2 + e * c.y3);
      }
    } else if (c.kind == SvgPathCommand::Kind::Move || c.kind == SvgPathCommand::Kind::Line) {
      points.push_back(c.x3);
      points.push_back(c.y3);
    } else {
      continue;
    }
    x = c.x3, y = c.y3;
  }
  return points;
}

double SignedArea2(const std::vector<float>& polygon) {
  const std::size_t n = polygon.size() / 2;
  double sum = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t j = (i + 1) % n;
    const double xi = static_cast<double>(polygon[2 * i]), yi = static_cast<double>(polygon[2 * i + 1]);
    const double xj = static_cast<double>(polygon[2 * j]), yj = static_cast<double>(polygon[2 * j + 1]);
    sum += xi * yj - xj * yi;
  }
  return sum;
}

std::vector<bool> HoleSubpaths(const std::vector<SvgPath>& subpaths, SvgShape::FillRule rule) {
  // Enough chords for the orientation and nesting of icon-sized outlines.
  constexpr std::int32_t kSegments = 8;
  std::vector<std::vector<float>> outlines;
  outlines.reserve(subpaths.size());
  double points = 0.0;
  for (const SvgPath& s : subpaths) {
    outlines.push_back(FlattenSubpath(s, kSegments));
    points += static_cast<double>(outlines.back().size() / 2);
  }
  // Nesting tests a point of every subpath against every other outline; a
  // path where that would pass this many edges (thousands of subpaths) is
  // filled by orientation instead, which is right when inner contours run
  // against their outer ones, as in font outlines.
  constexpr double kMaxNestingWork = 2e7;
  const bool byNesting =
      rule == SvgShape::FillRule::EvenOdd && static_cast<double>(outlines.size()) * points <= kMaxNestingWork;
  std::vector<bool> holes(subpaths.size(), false);
  if (!byNesting) {
    // The renderer keeps a contour whose orientation matches its winding, so
    // these windings keep every relative orientation and the fill is exact.
    // All are turned together so that the largest outline is solid: the
    // renderer puts a contour's anti-aliased edge on its outer side for
    // solid windings and its inner side for holes, and an outline wound as
    // a hole but filled would come out half a pixel too fat.
    std::vector<double> areas;
    areas.reserve(outlines.size());
    double largest = 0.0;
    for (const std::vector<float>& o : outlines) {
      areas.push_back(SignedArea2(o));
      if (std::fabs(areas.back()) > std::fabs(largest)) largest = areas.back();
    }
    const double sign = largest < 0.0 ? -1.0 : 1.0;
    for (std::size_t i = 0; i < outlines.size(); ++i) holes[i] = !(sign * areas[i] > 0.0);
    return holes;
  }
  std::vector<IBounds> boxes;
  boxes.reserve(outlines.size());
  for (const std::vector<float>& o : outlines) {
    IBounds b;
    if (o.size() >= 6) {
      b = {o[0], o[1], o[0], o[1]};
      for (std::size_t k = 2; k < o.size(); k += 2)
        b = {std::min(b.left, o[k]), std::min(b.top, o[k + 1]), std::max(b.right, o[k]), std::max(b.bottom, o[k + 1])};
    }
    boxes.push_back(b);
  }
  for (std::size_t i = 0; i < outlines.size(); ++i) {
    if (outlines[i].empty()) continue;
    const float x = outlines[i][0], y = outlines[i][1];
    std::int32_t depth = 0;
    for (std::size_t j = 0; j < outlines.size(); ++j) {
      const IBounds& b = boxes[j];
      if (j == i || outlines[j].size() < 6 || x < b.left || x > b.right || y < b.top || y > b.bottom) continue;
      if (Inside(outlines[j], x, y)) ++depth;
    }
    holes[i] = depth % 2 == 1;
  }
  return holes;
}

std::vector<SvgDrawShape> PrepareShapes(const SvgImage& image) {
  std::vector<SvgDrawShape> out;
  for (const SvgShape& shape : image.shapes) {
    SvgDrawShape d;
    d.fills = PatternForPaint(shape.fill, d.fill);
    d.strokes = std::isfinite(shape.strokeWidth) && shape.strokeWidth > 0.0f && PatternForPaint(shape.stroke, d.stroke);
    if (!d.fills && !d.strokes) continue;
    d.subpaths = SplitSubpaths(shape.path);
    if (d.subpaths.empty()) continue;
    if (d.fills) {
      d.holes = HoleSubpaths(d.subpaths, shape.fillRule);
      d.fillOptions.fillRule = shape.fillRule == SvgShape::FillRule::EvenOdd ? 1 : 0;
      d.fillOptions.preserve = d.strokes;
    }
    if (d.strokes) {
      d.strokeWidth = shape.strokeWidth;
      d.strokeOptions = StrokeOptionsFor(shape);
    }
    out.push_back(std::move(d));
  }
  return out;
}

}  // namespace fx::igraphics::svg
