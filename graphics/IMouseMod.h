#pragma once
// Buttons and modifier keys held with a mouse event.

namespace fx::igraphics {

struct IMouseMod {
  bool L = false;  // left button
  bool R = false;  // right button
  bool S = false;  // shift
  bool C = false;  // control
  bool A = false;  // alt

  bool operator==(const IMouseMod&) const = default;
};

}  // namespace fx::igraphics
