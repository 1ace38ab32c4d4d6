// Feeds arbitrary text to the SVG reader. Beyond what AddressSanitizer
// catches, each run checks that the answer keeps the reader's promises: a
// failed read leaves an empty image and a reason, a successful one stays
// within the document bounds with finite, in-range values.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "graphics/svg/SvgLimits.h"
#include "graphics/svg/SvgReader.h"

namespace {

using namespace fx::igraphics::svg;

void Check(bool condition) {
  if (!condition) std::abort();
}

bool InRange(float v) { return std::isfinite(v) && std::fabs(v) <= static_cast<float>(kMaxMagnitude); }

void CheckColour(const fx::igraphics::IArgb& c) {
  for (int v : {c.a, c.r, c.g, c.b}) Check(v >= 0 && v <= 255);
}

void CheckPaint(const SvgPaint& p) {
  Check(p.opacity >= 0.0f && p.opacity <= 1.0f);
  CheckColour(p.colour);
  if (p.kind != SvgPaint::Kind::LinearGradient && p.kind != SvgPaint::Kind::RadialGradient) return;
  Check(!p.stops.empty() && p.stops.size() <= kMaxStopsPerGradient);
  float previous = 0.0f;
  for (const SvgGradientStop& s : p.stops) {
    Check(s.offset >= previous && s.offset <= 1.0f);
    previous = s.offset;
    CheckColour(s.colour);
  }
  for (float v : {p.x1, p.y1, p.x2, p.y2, p.cx, p.cy, p.r, p.fx, p.fy, p.transform.xx, p.transform.yx,
                  p.transform.xy, p.transform.yy, p.transform.tx, p.transform.ty})
    Check(InRange(v));
  if (p.kind == SvgPaint::Kind::RadialGradient) Check(p.r > 0.0f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  SvgImage image;
  std::string error;
  if (!ReadSvg(text, image, &error)) {
    Check(!error.empty() && image == SvgImage{});
    return 0;
  }
  Check(error.empty());
  Check(image.width >= 0.0f && InRange(image.width) && image.height >= 0.0f && InRange(image.height));
  if (image.hasViewBox) Check(image.viewBoxWidth > 0.0f && image.viewBoxHeight > 0.0f);
  Check(image.shapes.size() <= kMaxShapes);
  std::size_t commands = 0;
  for (const SvgShape& s : image.shapes) {
    Check(!s.path.empty() && s.path.front().kind == SvgPathCommand::Kind::Move);
    bool draws = false;
    for (const SvgPathCommand& c : s.path)
      draws = draws || c.kind == SvgPathCommand::Kind::Line || c.kind == SvgPathCommand::Kind::Cubic;
    Check(draws);
    Check(s.fill.kind != SvgPaint::Kind::None || s.stroke.kind != SvgPaint::Kind::None);
    Check(s.strokeWidth >= 0.0f && InRange(s.strokeWidth) && s.miterLimit >= 1.0f);
    CheckPaint(s.fill);
    CheckPaint(s.stroke);
    commands += s.path.size();
    for (const SvgPathCommand& c : s.path)
      for (float v : {c.x1, c.y1, c.x2, c.y2, c.x3, c.y3}) Check(InRange(v));
  }
  Check(commands <= kMaxPathCommands);
  return 0;
}
