#include "graphics/svg/SvgBasicShapes.h"

#include <algorithm>
#include <cmath>

#include "graphics/svg/SvgNumber.h"

namespace fx::igraphics::svg {
namespace {

// The attribute as a length; fallback when absent or malformed.
double Length(const std::vector<XmlAttribute>& attributes, std::string_view name, double reference, double fallback) {
  const std::string_view* text = FindAttribute(attributes, name);
  double v = 0.0;
  return text != nullptr && ParseLength(*text, reference, v) ? v : fallback;
}

void Rect(const std::vector<XmlAttribute>& a, double vw, double vh, SvgPathBuilder& out) {
  const double x = Length(a, "x", vw, 0.0), y = Length(a, "y", vh, 0.0);
  const double w = Length(a, "width", vw, 0.0), h = Length(a, "height", vh, 0.0);
  if (!(w > 0.0) || !(h > 0.0)) return;
  // One radius given stands for both; negative ones count as not given.
  double rx = Length(a, "rx", vw, -1.0), ry = Length(a, "ry", vh, -1.0);
  if (rx < 0.0) rx = ry;
  if (ry < 0.0) ry = rx;
  rx = std::clamp(rx, 0.0, w / 2.0);
  ry = std::clamp(ry, 0.0, h / 2.0);
  if (rx == 0.0 || ry == 0.0) {
    out.MoveTo(x, y);
    out.LineTo(x + w, y);
    out.LineTo(x + w, y + h);
    out.LineTo(x, y + h);
    out.Close();
    return;
  }
  // Sides that the corners use up entirely are left out.
  auto line = [&](double tx, double ty) {
    if (tx != out.X() || ty != out.Y()) out.LineTo(tx, ty);
  };
  out.MoveTo(x + rx, y);
  line(x + w - rx, y);
  out.ArcTo(rx, ry, 0.0, false, true, x + w, y + ry);
  line(x + w, y + h - ry);
  out.ArcTo(rx, ry, 0.0, false, true, x + w - rx, y + h);
  line(x + rx, y + h);
  out.ArcTo(rx, ry, 0.0, false, true, x, y + h - ry);
  line(x, y + ry);
  out.ArcTo(rx, ry, 0.0, false, true, x + rx, y);
  out.Close();
}

void Ellipse(double cx, double cy, double rx, double ry, SvgPathBuilder& out) {
  if (!(rx > 0.0) || !(ry > 0.0)) return;
  out.MoveTo(cx + rx, cy);
  out.ArcTo(rx, ry, 0.0, false, true, cx, cy + ry);
  out.ArcTo(rx, ry, 0.0, false, true, cx - rx, cy);
  out.ArcTo(rx, ry, 0.0, false, true, cx, cy - ry);
  out.ArcTo(rx, ry, 0.0, false, true, cx + rx, cy);
  out.Close();
}

// As far as the list of coordinate pairs is well formed.
void Poly(const std::vector<XmlAttribute>& a, bool close, SvgPathBuilder& out) {
  const std::string_view* text = FindAttribute(a, "points");
  if (text == nullptr) return;
  std::size_t pos = 0;
  SkipSpace(*text, pos);
  bool first = true;
  while (!out.Full()) {
    double x = 0.0, y = 0.0;
    if (!ScanNumber(*text, pos, x)) break;
    SkipCommaSpace(*text, pos);
    if (!ScanNumber(*text, pos, y)) break;
    SkipCommaSpace(*text, pos);
    if (first) {
      out.MoveTo(x, y);
      first = false;
    } else {
      out.LineTo(x, y);
    }
  }
  if (close && !first) out.Close();
}

}  // namespace

bool BuildBasicShape(std::string_view element, const std::vector<XmlAttribute>& a, double vw, double vh,
                     SvgPathBuilder& out) {
  const double diagonal = std::sqrt((vw * vw + vh * vh) / 2.0);
  if (element == "rect") {
    Rect(a, vw, vh, out);
  } else if (element == "circle") {
    const double r = Length(a, "r", diagonal, 0.0);
    Ellipse(Length(a, "cx", vw, 0.0), Length(a, "cy", vh, 0.0), r, r, out);
  } else if (element == "ellipse") {
    Ellipse(Length(a, "cx", vw, 0.0), Length(a, "cy", vh, 0.0), Length(a, "rx", vw, 0.0), Length(a, "ry", vh, 0.0), out);
  } else if (element == "line") {
    out.MoveTo(Length(a, "x1", vw, 0.0), Length(a, "y1", vh, 0.0));
    out.LineTo(Length(a, "x2", vw, 0.0), Length(a, "y2", vh, 0.0));
  } else if (element == "polyline") {
    Poly(a, false, out);
  } else if (element == "polygon") {
    Poly(a, true, out);
  } else {
    return false;
  }
  return true;
}

}  // namespace fx::igraphics::svg
