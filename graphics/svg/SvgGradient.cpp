#include "graphics/svg/SvgGradient.h"

#include <algorithm>
#include <cmath>

#include "graphics/svg/SvgLimits.h"

namespace fx::igraphics::svg {
namespace {

void ReadLength(std::string_view value, std::optional<SvgLength>& out) {
  SvgLength length;
  if (ParseLength(value, length)) out = length;
}

// The attributes a gradient ends up with after href and defaults.
struct Effective {
  SvgLength x1{0.0, true}, y1{0.0, true}, x2{100.0, true}, y2{0.0, true};
  SvgLength cx{50.0, true}, cy{50.0, true}, r{50.0, true};
  std::optional<SvgLength> fx, fy;
  bool userSpaceOnUse = false;
  SvgMatrix gradientTransform;
  const std::vector<SvgGradientStop>* stops = nullptr;
};

template <typename T>
void Take(T& target, bool& taken, const std::optional<T>& source) {
  if (!taken && source) {
    target = *source;
    taken = true;
  }
}

bool FitsFloat(double v) { return std::fabs(v) <= kMaxMagnitude; }

}  // namespace

void SvgGradientDef::ReadAttribute(std::string_view name, std::string_view value) {
  if (name == "x1") ReadLength(value, x1);
  else if (name == "y1") ReadLength(value, y1);
  else if (name == "x2") ReadLength(value, x2);
  else if (name == "y2") ReadLength(value, y2);
  else if (name == "cx") ReadLength(value, cx);
  else if (name == "cy") ReadLength(value, cy);
  else if (name == "r") ReadLength(value, r);
  else if (name == "fx") ReadLength(value, fx);
  else if (name == "fy") ReadLength(value, fy);
  else if (name == "gradientUnits") {
    value = TrimSpace(value);
    if (value == "userSpaceOnUse") userSpaceOnUse = true;
    if (value == "objectBoundingBox") userSpaceOnUse = false;
  } else if (name == "gradientTransform") {
    SvgMatrix m;
    if (ParseTransform(value, m)) gradientTransform = m;
  } else if (name == "href" || name == "xlink:href") {
    value = TrimSpace(value);
    if (value.size() > 1 && value[0] == '#') href = std::string(value.substr(1));
  }
}

void SvgGradientDef::AddStop(std::string_view offset, IArgb colour) {
  if (stops.size() >= kMaxStopsPerGradient) return;
  SvgLength length;
  double v = 0.0;
  if (ParseLength(offset, length)) {
    v = length.percent ? length.value / 100.0 : length.value;
  }
  v = std::clamp(v, 0.0, 1.0);
  float f = static_cast<float>(v);
  if (!stops.empty()) f = std::max(f, stops.back().offset);
  stops.push_back({colour, f});
}

int SvgGradientTable::Add(std::string_view id, bool radial) {
  if (id.empty() || defs_.size() >= kMaxGradients) return -1;
  if (!ids_.emplace(std::string(id), defs_.size()).second) return -1;
  defs_.emplace_back();
  defs_.back().radial = radial;
  return static_cast<int>(defs_.size() - 1);
}

const SvgGradientDef* SvgGradientTable::Find(std::string_view id) const {
  const auto it = ids_.find(std::string(id));
  return it == ids_.end() ? nullptr : &defs_[it->second];
}

bool SvgGradientTable::Resolve(std::string_view id, const SvgBounds& bounds, const SvgMatrix& transform,
                               double viewportWidth, double viewportHeight, SvgPaint& out) const {
  const SvgGradientDef* first = Find(id);
  if (first == nullptr) return false;
  Effective e;
  bool has[14] = {};
  const SvgGradientDef* d = first;
  for (int link = 0; d != nullptr && link <= kMaxGradientLinks; ++link) {
    Take(e.x1, has[0], d->x1);
    Take(e.y1, has[1], d->y1);
    Take(e.x2, has[2], d->x2);
    Take(e.y2, has[3], d->y2);
    Take(e.cx, has[4], d->cx);
    Take(e.cy, has[5], d->cy);
    Take(e.r, has[6], d->r);
    if (!has[7] && d->fx) {
      e.fx = d->fx;
      has[7] = true;
    }
    if (!has[8] && d->fy) {
      e.fy = d->fy;
      has[8] = true;
    }
    Take(e.userSpaceOnUse, has[9], d->userSpaceOnUse);
    Take(e.gradientTransform, has[10], d->gradientTransform);
    if (e.stops == nullptr && !d->stops.empty()) e.stops = &d->stops;
    d = d->href.empty() ? nullptr : Find(d->href);
  }

  SvgPaint p;
  p.opacity = out.opacity;
  if (e.stops == nullptr) {
    out = p;  // nothing to paint with
    return true;
  }
  SvgMatrix space = transform;
  double w = viewportWidth, h = viewportHeight;
  if (!e.userSpaceOnUse) {
    const double bw = bounds.maxX - bounds.minX, bh = bounds.maxY - bounds.minY;
    if (bounds.empty || !(bw > 0.0) || !(bh > 0.0)) {
      out = p;
      return true;
    }
    space = space * SvgMatrix{bw, 0.0, 0.0, bh, bounds.minX, bounds.minY};
    w = h = 1.0;
  }
  space = space * e.gradientTransform;
  const double diagonal = std::sqrt((w * w + h * h) / 2.0);
  // In bounding box units a percentage is a fraction of the box, which is 1 here.
  auto value = [](const SvgLength& l, double reference) { return l.percent ? l.value / 100.0 * reference : l.value; };
  const IArgb last = e.stops->back().colour;
  bool degenerate = e.stops->size() == 1;
  if (first->radial) {
    const double cx = value(e.cx, w), cy = value(e.cy, h), r = value(e.r, diagonal);
    const double fx = e.fx ? value(*e.fx, w) : cx, fy = e.fy ? value(*e.fy, h) : cy;
    if (r < 0.0) {
      out = p;
      return true;
    }
    if (!(FitsFloat(cx) && FitsFloat(cy) && FitsFloat(r) && FitsFloat(fx) && FitsFloat(fy))) {
      out = p;
      return true;
    }
    degenerate = degenerate || r == 0.0;
    p.kind = SvgPaint::Kind::RadialGradient;
    p.cx = static_cast<float>(cx);
    p.cy = static_cast<float>(cy);
    p.r = static_cast<float>(r);
    p.fx = static_cast<float>(fx);
    p.fy = static_cast<float>(fy);
  } else {
    const double x1 = value(e.x1, w), y1 = value(e.y1, h), x2 = value(e.x2, w), y2 = value(e.y2, h);
    if (!(FitsFloat(x1) && FitsFloat(y1) && FitsFloat(x2) && FitsFloat(y2))) {
      out = p;
      return true;
    }
    degenerate = degenerate || (x1 == x2 && y1 == y2);
    p.kind = SvgPaint::Kind::LinearGradient;
    p.x1 = static_cast<float>(x1);
    p.y1 = static_cast<float>(y1);
    p.x2 = static_cast<float>(x2);
    p.y2 = static_cast<float>(y2);
  }
  if (degenerate) {
    SvgPaint solid;
    solid.kind = SvgPaint::Kind::Colour;
    solid.colour = last;
    solid.opacity = p.opacity;
    out = solid;
    return true;
  }
  if (!ToIMatrix(space, p.transform) || std::fabs(space.Determinant()) == 0.0) {
    SvgPaint none;
    none.opacity = p.opacity;
    out = none;
    return true;
  }
  p.stops = *e.stops;
  out = std::move(p);
  return true;
}

}  // namespace fx::igraphics::svg
