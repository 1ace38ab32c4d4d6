#pragma once
// One pointer of a mouse or touch event, in layout units. The mouse is
// pointer id 0; dx, dy is the movement since the previous event.

#include <cstdint>

#include "graphics/IMouseMod.h"

namespace fx::igraphics {

struct IMouseInfo {
  float x = 0.0f;
  float y = 0.0f;
  float dx = 0.0f;
  float dy = 0.0f;
  IMouseMod ms;
  std::int32_t pointerId = 0;
  bool touch = false;
};

}  // namespace fx::igraphics
