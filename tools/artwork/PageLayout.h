#pragma once
// Where the editor page puts each control, in layout units of the 1630 x 1010
// page (one unit = one pixel of the artwork). The panel's labels, scales and
// bezels are drawn around these rectangles, so they must match the layout
// the effect builds.

namespace fx::artwork {

struct Box {
  float x, y, w, h;
  constexpr float CentreX() const { return x + w * 0.5f; }
  constexpr float CentreY() const { return y + h * 0.5f; }
};

inline constexpr int kPanelWidth = 1630, kPanelHeight = 1012;

// Large knob bodies (246 x 246); the shadow lies 80 units lower, the
// highlight 11 units out to the sides and 14 up.
inline constexpr Box kInputGainKnob{137, 206, 246, 246};
inline constexpr Box kTameKnob{137, 603, 246, 246};
inline constexpr Box kOutputGainKnob{891, 603, 246, 246};
inline constexpr Box kWetKnob{1246, 603, 246, 246};
inline constexpr Box kBiasKnob{558, 630, 58, 58};
inline constexpr Box kReactSwitch{516, 752, 254, 154};
inline constexpr Box kBypassSwitch{1339, 354, 66, 151};
inline constexpr Box kLamp{824, 0, 806, 935};
// The version label is drawn by the editor into this corner.
inline constexpr Box kVersionLabel{1480, 980, 150, 30};

// A rotating knob turns from -130 degrees (value 0) to +130 degrees (value 1)
// about its centre, 0 degrees pointing straight up.
inline constexpr float kKnobSweepDegrees = 130.0f;

// The bypass lamp's jewel, in page units (the lamp image lights it).
inline constexpr float kJewelX = 1372.0f, kJewelY = 262.0f, kJewelRadius = 19.0f;

}  // namespace fx::artwork
