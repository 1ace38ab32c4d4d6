#pragma once
// The painting properties of an element as presentation attributes and the
// style attribute ("fill:red; stroke : #00f") set them. An element starts
// from its parent's style (ForChild), so inherited properties flow through
// groups; opacity and display belong to the element alone. Unknown
// properties and values that do not parse are ignored, leaving the
// inherited value.

#include <string>
#include <string_view>

#include "graphics/IArgb.h"
#include "graphics/svg/SvgShape.h"

namespace fx::igraphics::svg {

// A fill or stroke as written, before currentColor and url() are resolved.
struct SvgPaintSpec {
  enum class Kind { None, Colour, CurrentColour, Url };
  Kind kind = Kind::None;
  IArgb colour;
  std::string url;  // the id a url(#id) names
  // What a url() that names no gradient falls back to: None, Colour or CurrentColour.
  Kind fallback = Kind::None;
  IArgb fallbackColour;
};

// False (out unchanged) for text that is no paint, and for a url() whose id
// is longer than kMaxIdLength.
bool ParsePaint(std::string_view text, SvgPaintSpec& out);

struct SvgStyle {
  // Inherited.
  SvgPaintSpec fill{SvgPaintSpec::Kind::Colour, {}, {}, SvgPaintSpec::Kind::None, {}};
  SvgPaintSpec stroke;
  IArgb colour;  // the color property, which currentColor names
  double fillOpacity = 1.0, strokeOpacity = 1.0;
  double strokeWidth = 1.0;  // user units
  double miterLimit = 4.0;
  SvgShape::LineCap cap = SvgShape::LineCap::Butt;
  SvgShape::LineJoin join = SvgShape::LineJoin::Miter;
  SvgShape::FillRule fillRule = SvgShape::FillRule::NonZero;
  bool visible = true;
  // The element's own.
  double opacity = 1.0;
  bool displayNone = false;
  IArgb stopColour;
  bool stopColourIsCurrent = false;
  double stopOpacity = 1.0;

  // The style a child element starts from.
  SvgStyle ForChild() const;
  // Sets one property; percentages of stroke-width are taken of
  // percentReference. Unknown names and bad values change nothing.
  void Apply(std::string_view name, std::string_view value, double percentReference);
  // Every "name: value" declaration of a style attribute, in order.
  void ApplyDeclarations(std::string_view declarations, double percentReference);
};

}  // namespace fx::igraphics::svg
