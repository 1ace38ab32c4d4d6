#include "graphics/svg/SvgGradient.h"

#include <algorithm>
#include <cmath>

#include "graphics/svg/SvgLimits.h"

namespace fx::igraphics::svg {
namespace {

// The coordinate attributes, by name.
struct LengthAttribute {
  std::string_view name;
  std::optional<SvgLength> SvgGradientDef::*member;
};
constexpr LengthAttribute kLengths[] = {
    {"x1", &SvgGradientDef::x1}, {"y1", &SvgGradientDef::y1}, {"x2", &SvgGradientDef::x2},
    {"y2", &SvgGradientDef::y2}, {"cx", &SvgGradientDef::cx}, {"cy", &SvgGradientDef::cy},
    {"r", &SvgGradientDef::r},   {"fx", &SvgGradientDef::fx}, {"fy", &SvgGradientDef::fy}};

// Defaults of the coordinates: 0%, 50% and 100%.
constexpr SvgLength kZero{0.0, true}, kHalf{50.0, true}, kWhole{100.0, true};

// How far out, as a share of the radius, a radial gradient's focus may lie.
constexpr double kFocusLimit = 0.999;

bool FitsFloat(double v) { return std::fabs(v) <= kMaxMagnitude; }

}  // namespace

void SvgGradientDef::ReadAttribute(std::string_view name, std::string_view value) {
  for (const LengthAttribute& a : kLengths) {
    if (name == a.name) {
      SvgLength length;
      if (ParseLength(value, length)) this->*a.member = length;
      return;
    }
  }
  if (name == "gradientUnits") {
    value = TrimSpace(value);
    if (value == "userSpaceOnUse") userSpaceOnUse = true;
    if (value == "objectBoundingBox") userSpaceOnUse = false;
  } else if (name == "gradientTransform") {
    SvgMatrix m;
    if (ParseTransform(value, m)) gradientTransform = m;
  } else if (name == "href" || name == "xlink:href") {
    value = TrimSpace(value);
    if (value.size() > 1 && value[0] == '#' && value.size() - 1 <= kMaxIdLength) href = std::string(value.substr(1));
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
  if (id.empty() || id.size() > kMaxIdLength || defs_.size() >= kMaxGradients) return -1;
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
  // Each attribute from the first definition along the href chain that gives it.
  SvgGradientDef merged;
  const std::vector<SvgGradientStop>* stops = nullptr;
  const SvgGradientDef* d = first;
  for (int link = 0; d != nullptr && link <= kMaxGradientLinks; ++link) {
    for (const LengthAttribute& a : kLengths)
      if (!(merged.*a.member)) merged.*a.member = d->*a.member;
    if (!merged.userSpaceOnUse) merged.userSpaceOnUse = d->userSpaceOnUse;
    if (!merged.gradientTransform) merged.gradientTransform = d->gradientTransform;
    if (stops == nullptr && !d->stops.empty()) stops = &d->stops;
    d = d->href.empty() ? nullptr : Find(d->href);
  }

  SvgPaint p;
  p.opacity = out.opacity;
  if (stops == nullptr) {
    out = p;  // nothing to paint with
    return true;
  }
  SvgMatrix space = transform;
  double w = viewportWidth, h = viewportHeight;
  if (!merged.userSpaceOnUse.value_or(false)) {
    const double bw = bounds.maxX - bounds.minX, bh = bounds.maxY - bounds.minY;
    if (bounds.empty || !(bw > 0.0) || !(bh > 0.0)) {
      out = p;
      return true;
    }
    space = space * SvgMatrix{bw, 0.0, 0.0, bh, bounds.minX, bounds.minY};
    w = h = 1.0;
  }
  space = space * merged.gradientTransform.value_or(SvgMatrix{});
  const double diagonal = std::sqrt((w * w + h * h) / 2.0);
  // In bounding box units a percentage is a fraction of the box, which is 1 here.
  auto value = [](const SvgLength& l, double reference) { return l.percent ? l.value / 100.0 * reference : l.value; };
  const IArgb last = stops->back().colour;
  bool degenerate = stops->size() == 1;
  if (first->radial) {
    const double cx = value(merged.cx.value_or(kHalf), w), cy = value(merged.cy.value_or(kHalf), h);
    const double r = value(merged.r.value_or(kHalf), diagonal);
    // The focus is the centre unless given.
    double fx = merged.fx ? value(*merged.fx, w) : cx, fy = merged.fy ? value(*merged.fy, h) : cy;
    // A focus outside the circle is moved onto the line towards the centre,
    // just inside the circle, where the gradient is still defined.
    const double distance = std::hypot(fx - cx, fy - cy);
    if (r > 0.0 && distance > r * kFocusLimit) {
      fx = cx + (fx - cx) * (r * kFocusLimit / distance);
      fy = cy + (fy - cy) * (r * kFocusLimit / distance);
    }
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
    const double x1 = value(merged.x1.value_or(kZero), w), y1 = value(merged.y1.value_or(kZero), h);
    const double x2 = value(merged.x2.value_or(kWhole), w), y2 = value(merged.y2.value_or(kZero), h);
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
  p.stops = *stops;
  out = std::move(p);
  return true;
}

}  // namespace fx::igraphics::svg
