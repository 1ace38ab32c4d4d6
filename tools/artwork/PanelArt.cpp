// The page background: the panel texture, an engraved border and divider,
// corner screws, the name plate, vent slots, the scales and labels of every
// control and the lamp's bezel, all placed from the page layout.
#include <cmath>
#include <numbers>
#include <span>

#include "tools/artwork/Artwork.h"
#include "tools/artwork/Engraving.h"
#include "tools/artwork/PageLayout.h"
#include "tools/artwork/PanelTexture.h"

namespace fx::artwork {

namespace {

constexpr float kW = static_cast<float>(kPanelWidth), kH = static_cast<float>(kPanelHeight);

void Texture(vg::Renderer& r) {
  const auto pixels = MakePanelTexture(kPanelWidth, kPanelHeight);
  const int image = r.createImageRGBA(kPanelWidth, kPanelHeight, 0, pixels);
  r.beginPath();
  r.rect(0, 0, kW, kH);
  r.fillPaint(vg::Paint::imagePattern(0, 0, kW, kH, 0.0f, image, 1.0f));
  r.fill();
  // The image is read at the end of the frame: keep it until then (the
  // renderer is thrown away with the generator).
}

// A dark well a little larger than a knob, so the knob sits in the panel.
void KnobWell(vg::Renderer& r, const Box& knob, float radius) {
  const float cx = knob.CentreX(), cy = knob.CentreY();
  r.beginPath();
  r.circle(cx, cy, radius + 14.0f);
  r.fillPaint(vg::Paint::radialGradient(cx, cy, radius - 4.0f, radius + 14.0f, vg::Color::rgba8(0, 0, 0, 120),
                                        vg::Color::rgba8(0, 0, 0, 0)));
  r.fill();
  // Lit lower lip of the well.
  r.beginPath();
  r.arc(cx, cy, radius + 5.0f, 0.25f * std::numbers::pi_v<float>, 0.75f * std::numbers::pi_v<float>,
        vg::ArcDirection::Clockwise);
  r.strokeWidth(1.5f);
  r.strokeColor(vg::Color::rgba8(255, 255, 255, 22));
  r.stroke();
}

void LargeKnobDecor(vg::Renderer& r, const TextLook& label, const Box& knob, const char* name) {
  const float cx = knob.CentreX(), cy = knob.CentreY();
  KnobWell(r, knob, 123.0f);
  KnobScale(r, cx, cy, 136.0f, 152.0f, kKnobSweepDegrees, 11, 5, 3.0f);
  EngravedText(r, label, cx, knob.y - 58.0f, name);
  // Range marks at the ends of the scale.
  TextLook small = label;
  small.size = 17.0f;
  small.spacing = 1.0f;
  constexpr float kDeg = std::numbers::pi_v<float> / 180.0f;
  const float a = (kKnobSweepDegrees + 14.0f) * kDeg, rad = 166.0f;
  EngravedText(r, small, cx - std::sin(a) * rad, cy - std::cos(a) * rad, "MIN");
  EngravedText(r, small, cx + std::sin(a) * rad, cy - std::cos(a) * rad, "MAX");
}

void VentSlots(vg::Renderer& r, float x, float y, float w, int rows, float pitch) {
  for (int i = 0; i < rows; ++i) {
    const float sy = y + static_cast<float>(i) * pitch;
    r.beginPath();
    RoundedRectPath(r, x, sy, w, 12.0f, 6.0f);
    r.fillPaint(vg::Paint::linearGradient(0, sy, 0, sy + 12.0f, vg::Color::rgba8(2, 2, 3, 255),
                                          vg::Color::rgba8(22, 23, 25, 255)));
    r.fill();
    r.beginPath();
    RoundedRectPath(r, x, sy + 1.0f, w, 12.0f, 6.0f);
    r.strokeWidth(1.0f);
    r.strokeColor(vg::Color::rgba8(255, 255, 255, 20));
    r.stroke();
  }
}

void NamePlate(vg::Renderer& r, int font) {
  const float cx = kW * 0.5f, cy = 112.0f;
  TextLook logo;
  logo.font = font;
  logo.size = 96.0f;
  logo.spacing = 22.0f;
  logo.fill = vg::Color::rgba8(226, 221, 208, 245);
  EngravedText(r, logo, cx, cy, "OMBRISK");
  const float half = SpacedTextWidth(r, logo, "OMBRISK") * 0.5f;
  TextLook sub;
  sub.font = font;
  sub.size = 19.0f;
  sub.spacing = 7.0f;
  sub.fill = vg::Color::rgba8(176, 170, 158, 220);
  EngravedText(r, sub, cx, cy + 74.0f, "SATURATING  CLIPPER");
  Groove(r, cx - half - 10.0f, cy + 46.0f, cx + half + 10.0f, cy + 46.0f, 2.0f);
}

void LampBezel(vg::Renderer& r) {
  const float cx = kJewelX, cy = kJewelY;
  r.beginPath();
  r.circle(cx, cy, kJewelRadius + 16.0f);
  r.fillPaint(vg::Paint::radialGradient(cx, cy + 3.0f, kJewelRadius + 6.0f, kJewelRadius + 16.0f,
                                        vg::Color::rgba8(0, 0, 0, 150), vg::Color::rgba8(0, 0, 0, 0)));
  r.fill();
  // Chrome ring, lit from above.
  r.beginPath();
  r.circle(cx, cy, kJewelRadius + 8.0f);
  r.circle(cx, cy, kJewelRadius + 1.0f);
  r.pathWinding(vg::Winding::Hole);
  r.fillPaint(vg::Paint::linearGradient(cx, cy - kJewelRadius - 8.0f, cx, cy + kJewelRadius + 8.0f,
                                        vg::Color::rgba8(214, 216, 220, 255), vg::Color::rgba8(58, 60, 64, 255)));
  r.fill();
  r.beginPath();
  r.circle(cx, cy, kJewelRadius + 1.0f);
  r.fillColor(vg::Color::rgba8(20, 6, 5, 255));
  r.fill();
}

void SmallKnobDecor(vg::Renderer& r, const TextLook& label) {
  const float cx = kBiasKnob.CentreX(), cy = kBiasKnob.CentreY();
  // The small knob has no shadow image of its own: a static soft shadow.
  r.beginPath();
  r.circle(cx + 2.0f, cy + 9.0f, 40.0f);
  r.fillPaint(vg::Paint::radialGradient(cx + 2.0f, cy + 9.0f, 18.0f, 40.0f, vg::Color::rgba8(0, 0, 0, 150),
                                        vg::Color::rgba8(0, 0, 0, 0)));
  r.fill();
  KnobScale(r, cx, cy, 37.0f, 46.0f, kKnobSweepDegrees, 7, 3, 2.0f);
  TextLook small = label;
  small.size = 24.0f;
  EngravedText(r, small, cx, kBiasKnob.y - 34.0f, "BIAS");
}

void SwitchDecor(vg::Renderer& r, const TextLook& label) {
  TextLook small = label;
  small.size = 24.0f;
  EngravedText(r, small, kReactSwitch.CentreX(), kReactSwitch.y - 6.0f, "REACT");
  TextLook tiny = label;
  tiny.size = 16.0f;
  tiny.spacing = 2.0f;
  EngravedText(r, tiny, kReactSwitch.x + 70.0f, kReactSwitch.y + kReactSwitch.h + 4.0f, "SLOW");
  EngravedText(r, tiny, kReactSwitch.x + kReactSwitch.w - 70.0f, kReactSwitch.y + kReactSwitch.h + 4.0f, "FAST");

  EngravedText(r, small, kBypassSwitch.CentreX(), kBypassSwitch.y - 22.0f, "BYPASS");
  EngravedText(r, tiny, kBypassSwitch.x + kBypassSwitch.w + 30.0f, kBypassSwitch.y + 22.0f, "ON");
  EngravedText(r, tiny, kBypassSwitch.x + kBypassSwitch.w + 32.0f, kBypassSwitch.y + kBypassSwitch.h - 22.0f, "OFF");
}

}  // namespace

void PaintBackground(vg::Renderer& r, int font) {
  Texture(r);
  GrooveRoundedRect(r, 22.0f, 22.0f, kW - 44.0f, kH - 46.0f, 26.0f, 2.5f);
  Groove(r, kLamp.x - 14.0f, 232.0f, kLamp.x - 14.0f, kH - 70.0f, 2.0f);
  const float inset = 46.0f;
  Screw(r, inset, inset, 11.0f, 0.35f);
  Screw(r, kW - inset, inset, 11.0f, 1.1f);
  Screw(r, inset, kH - inset, 11.0f, 0.8f);
  Screw(r, kW - inset, kH - inset - 30.0f, 11.0f, 0.15f);

  NamePlate(r, font);
  VentSlots(r, 470.0f, 300.0f, 270.0f, 6, 30.0f);

  TextLook label;
  label.font = font;
  label.size = 30.0f;
  label.spacing = 4.0f;
  LargeKnobDecor(r, label, kInputGainKnob, "INPUT GAIN");
  LargeKnobDecor(r, label, kTameKnob, "TAME");
  LargeKnobDecor(r, label, kOutputGainKnob, "OUTPUT GAIN");
  LargeKnobDecor(r, label, kWetKnob, "WET");
  SmallKnobDecor(r, label);
  SwitchDecor(r, label);
  LampBezel(r);
}

}  // namespace fx::artwork
