#pragma once
// linearGradient and radialGradient definitions as read, and their
// resolution into an SvgPaint for one shape. Resolution happens after the
// whole document is read, so a gradient may be defined after its use and
// may take attributes and stops through href from one defined anywhere.
// Resolution follows at most kMaxGradientLinks links, which also ends
// cycles.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "graphics/svg/SvgNumber.h"
#include "graphics/svg/SvgPaint.h"
#include "graphics/svg/SvgPathBuilder.h"
#include "graphics/svg/SvgTransform.h"

namespace fx::igraphics::svg {

struct SvgGradientDef {
  bool radial = false;
  // Attributes as given; absent ones come through href or take defaults.
  std::optional<SvgLength> x1, y1, x2, y2, cx, cy, r, fx, fy;
  std::optional<bool> userSpaceOnUse;
  std::optional<SvgMatrix> gradientTransform;
  std::string href;  // id of the gradient named by href or xlink:href
  std::vector<SvgGradientStop> stops;

  // Takes one of the element's attributes; others and bad values are ignored.
  void ReadAttribute(std::string_view name, std::string_view value);
  // Appends a stop; the offset (a number or percentage, clamped to 0..1) is
  // raised to the previous stop's. Stops past kMaxStopsPerGradient are dropped.
  void AddStop(std::string_view offset, IArgb colour);
};

class SvgGradientTable {
 public:
  // The index of a new definition under id, or -1 when the id is empty,
  // longer than kMaxIdLength or already taken (the first definition wins),
  // or the table holds kMaxGradients.
  int Add(std::string_view id, bool radial);
  SvgGradientDef& At(int index) { return defs_[static_cast<std::size_t>(index)]; }

  // The paint of the gradient named id for a shape with the given user-space
  // bounds and transform; percentages of userSpaceOnUse gradients are taken
  // of the viewport (viewportWidth x viewportHeight). False if no gradient
  // has that id. A gradient that cannot paint (no stops, zero-size bounds
  // with objectBoundingBox, a negative radius) gives Kind::None; one with a
  // single stop or no extent, the last stop's colour. A radial focus
  // outside its circle is moved towards the centre to just inside it
  // (0.999 of the radius). opacity is left as is.
  bool Resolve(std::string_view id, const SvgBounds& bounds, const SvgMatrix& transform, double viewportWidth,
               double viewportHeight, SvgPaint& out) const;

 private:
  const SvgGradientDef* Find(std::string_view id) const;

  std::vector<SvgGradientDef> defs_;
  std::unordered_map<std::string, std::size_t> ids_;
};

}  // namespace fx::igraphics::svg
