#include "graphics/svg/SvgStyle.h"

#include <algorithm>

#include "graphics/svg/SvgColour.h"
#include "graphics/svg/SvgLimits.h"
#include "graphics/svg/SvgNumber.h"

namespace fx::igraphics::svg {
namespace {

// A colour or the keyword currentColor.
bool ParseColourOrCurrent(std::string_view text, SvgPaintSpec::Kind& kind, IArgb& colour) {
  if (EqualsIgnoringCase(text, "currentColor")) {
    kind = SvgPaintSpec::Kind::CurrentColour;
    return true;
  }
  if (!ParseColour(text, colour)) return false;
  kind = SvgPaintSpec::Kind::Colour;
  return true;
}

// A number, or a percentage of 1; clamped to 0..1.
bool ParseUnitInterval(std::string_view text, double& out) {
  text = TrimSpace(text);
  double v = 0.0;
  if (!text.empty() && text.back() == '%') {
    if (!ParseNumber(text.substr(0, text.size() - 1), v)) return false;
    v /= 100.0;
  } else if (!ParseNumber(text, v)) {
    return false;
  }
  out = std::clamp(v, 0.0, 1.0);
  return true;
}

}  // namespace

bool ParsePaint(std::string_view text, SvgPaintSpec& out) {
  text = TrimSpace(text);
  SvgPaintSpec p;
  if (text.starts_with("url(")) {
    const std::size_t close = text.find(')');
    if (close == std::string_view::npos) return false;
    std::string_view ref = TrimSpace(text.substr(4, close - 4));
    if (ref.size() >= 2 && (ref.front() == '"' || ref.front() == '\'') && ref.back() == ref.front())
      ref = ref.substr(1, ref.size() - 2);
    if (ref.size() < 2 || ref[0] != '#' || ref.size() - 1 > kMaxIdLength) return false;
    p.kind = SvgPaintSpec::Kind::Url;
    p.url = std::string(ref.substr(1));
    const std::string_view fallback = TrimSpace(text.substr(close + 1));
    if (!fallback.empty() && fallback != "none" &&
        !ParseColourOrCurrent(fallback, p.fallback, p.fallbackColour))
      return false;
    out = std::move(p);
    return true;
  }
  if (text == "none") {
    out = p;
    return true;
  }
  if (!ParseColourOrCurrent(text, p.kind, p.colour)) return false;
  out = p;
  return true;
}

SvgStyle SvgStyle::ForChild() const {
  SvgStyle child = *this;
  child.opacity = 1.0;
  child.displayNone = false;
  child.stopColour = IArgb{};
  child.stopColourIsCurrent = false;
  child.stopOpacity = 1.0;
  return child;
}

void SvgStyle::Apply(std::string_view name, std::string_view value, double percentReference) {
  value = TrimSpace(value);
  if (value.ends_with("!important")) value = TrimSpace(value.substr(0, value.size() - 10));
  if (value == "inherit") return;  // the parent's value is already in place
  double v = 0.0;
  if (name == "fill") {
    ParsePaint(value, fill);
  } else if (name == "stroke") {
    ParsePaint(value, stroke);
  } else if (name == "color") {
    ParseColour(value, colour);
  } else if (name == "fill-opacity") {
    ParseUnitInterval(value, fillOpacity);
  } else if (name == "stroke-opacity") {
    ParseUnitInterval(value, strokeOpacity);
  } else if (name == "opacity") {
    ParseUnitInterval(value, opacity);
  } else if (name == "stroke-width") {
    if (ParseLength(value, percentReference, v) && v >= 0.0) strokeWidth = v;
  } else if (name == "stroke-miterlimit") {
    if (ParseNumber(value, v) && v >= 1.0) miterLimit = v;
  } else if (name == "stroke-linecap") {
    if (value == "butt") cap = SvgShape::LineCap::Butt;
    if (value == "round") cap = SvgShape::LineCap::Round;
    if (value == "square") cap = SvgShape::LineCap::Square;
  } else if (name == "stroke-linejoin") {
    if (value == "miter") join = SvgShape::LineJoin::Miter;
    if (value == "round") join = SvgShape::LineJoin::Round;
    if (value == "bevel") join = SvgShape::LineJoin::Bevel;
  } else if (name == "fill-rule") {
    if (value == "nonzero") fillRule = SvgShape::FillRule::NonZero;
    if (value == "evenodd") fillRule = SvgShape::FillRule::EvenOdd;
  } else if (name == "display") {
    displayNone = value == "none";
  } else if (name == "visibility") {
    if (value == "visible") visible = true;
    if (value == "hidden" || value == "collapse") visible = false;
  } else if (name == "stop-color") {
    SvgPaintSpec::Kind kind = SvgPaintSpec::Kind::Colour;
    IArgb c;
    if (ParseColourOrCurrent(value, kind, c)) {
      stopColourIsCurrent = kind == SvgPaintSpec::Kind::CurrentColour;
      stopColour = c;
    }
  } else if (name == "stop-opacity") {
    ParseUnitInterval(value, stopOpacity);
  }
}

void SvgStyle::ApplyDeclarations(std::string_view declarations, double percentReference) {
  while (!declarations.empty()) {
    const std::size_t semicolon = std::min(declarations.find(';'), declarations.size());
    const std::string_view declaration = declarations.substr(0, semicolon);
    declarations.remove_prefix(std::min(semicolon + 1, declarations.size()));
    const std::size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    Apply(TrimSpace(declaration.substr(0, colon)), declaration.substr(colon + 1), percentReference);
  }
}

}  // namespace fx::igraphics::svg
