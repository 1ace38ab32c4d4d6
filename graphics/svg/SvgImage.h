#pragma once
// A parsed document: its size, the view box its shapes are drawn through and
// the shapes in painting order. Shapes are in document units, the
// coordinate system the view box is given in.

#include <cstdint>
#include <vector>

#include "graphics/svg/SvgShape.h"

namespace fx::igraphics::svg {

struct SvgImage {
  // preserveAspectRatio: how the view box is placed in a viewport of another
  // aspect. None stretches; the others keep the aspect and align the box.
  enum class Align : std::int32_t { None, XMinYMin, XMidYMin, XMaxYMin, XMinYMid, XMidYMid, XMaxYMid,
                                    XMinYMax, XMidYMax, XMaxYMax };
  enum class MeetOrSlice : std::int32_t { Meet = 0, Slice = 1 };

  float width = 0.0f;   // the root's width (view box width when absent)
  float height = 0.0f;  // the root's height (view box height when absent)
  bool hasViewBox = false;
  float viewBoxX = 0.0f, viewBoxY = 0.0f, viewBoxWidth = 0.0f, viewBoxHeight = 0.0f;
  Align align = Align::XMidYMid;
  MeetOrSlice meetOrSlice = MeetOrSlice::Meet;
  std::vector<SvgShape> shapes;

  bool operator==(const SvgImage&) const = default;
};

}  // namespace fx::igraphics::svg
