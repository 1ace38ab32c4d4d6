// The knobs. A body turns with its parameter, so its shading must look the
// same at every angle: only radially symmetric light on it, with the knurls
// and the pointer as the parts that show the turn. The static highlight
// drawn over it carries the directional light (from the upper left).
#include <cmath>
#include <cstdint>
#include <numbers>

#include "tools/artwork/Artwork.h"
#include "tools/artwork/Engraving.h"
#include "tools/artwork/PanelTexture.h"

namespace fx::artwork {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// Concentric turning marks of a machined face: thin rings of varied
// brightness, the same at any rotation.
void TurnedFace(vg::Renderer& r, float cx, float cy, float radius, float step) {
  int i = 0;
  for (float rad = step; rad < radius; rad += step, ++i) {
    const std::uint32_t h = PixelHash(static_cast<std::uint32_t>(i), 77u);
    const bool light = (h & 1u) != 0;
    const int alpha = 5 + static_cast<int>((h >> 8) % 16u);
    r.beginPath();
    r.circle(cx, cy, rad);
    r.strokeWidth(step * 0.6f);
    r.strokeColor(light ? Grey(255, alpha) : Grey(0, alpha));
    r.stroke();
  }
}

// Ridges around the skirt: `count` alternating dark and light lines.
void Knurls(vg::Renderer& r, float cx, float cy, float inner, float outer, int count, float width) {
  r.lineCap(vg::LineCap::Butt);
  for (int i = 0; i < count; ++i) {
    const float a = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(count);
    const float s = std::sin(a), c = -std::cos(a);
    const float a2 = a + kPi / static_cast<float>(count) * 0.45f;
    const float s2 = std::sin(a2), c2 = -std::cos(a2);
    r.beginPath();
    r.moveTo(cx + s * inner, cy + c * inner);
    r.lineTo(cx + s * outer, cy + c * outer);
    r.strokeWidth(width);
    r.strokeColor(Grey(0, 150));
    r.stroke();
    r.beginPath();
    r.moveTo(cx + s2 * inner, cy + c2 * inner);
    r.lineTo(cx + s2 * outer, cy + c2 * outer);
    r.strokeWidth(width * 0.6f);
    r.strokeColor(Grey(255, 34));
    r.stroke();
  }
}

// A pointer cut into the face and filled with white: straight up from near
// the centre out over the skirt. The cut is wide and dark so that the knob's
// angle reads at a glance (and shows in many pixels when it turns).
void Pointer(vg::Renderer& r, float cx, float cy, float from, float to, float width, float cut) {
  r.lineCap(vg::LineCap::Round);
  r.beginPath();
  r.moveTo(cx, cy - from);
  r.lineTo(cx, cy - to);
  r.strokeWidth(width + cut);
  r.strokeColor(Grey(10, 240));
  r.stroke();
  r.beginPath();
  r.moveTo(cx, cy - from - cut * 0.25f);
  r.lineTo(cx, cy - to + cut * 0.25f);
  r.strokeWidth(width);
  r.strokeColor(vg::Color::rgba8(250, 246, 236, 255));
  r.stroke();
}

void KnobBody(vg::Renderer& r, float c, float radius, float faceRadius, int knurls, float knurlWidth,
              float pointerWidth, float pointerCut) {
  // Skirt: dark anodised metal, slightly darker at its rim.
  r.beginPath();
  r.circle(c, c, radius);
  r.fillPaint(vg::Paint::radialGradient(c, c, faceRadius, radius, Grey(44), Grey(22)));
  r.fill();
  Knurls(r, c, c, faceRadius + radius * 0.08f, radius - 0.5f, knurls, knurlWidth);
  r.beginPath();
  r.circle(c, c, radius - 0.75f);
  r.strokeWidth(1.5f);
  r.strokeColor(Grey(0, 200));
  r.stroke();
  // Bevel between skirt and face.
  r.beginPath();
  r.circle(c, c, faceRadius + radius * 0.07f);
  r.fillPaint(vg::Paint::radialGradient(c, c, faceRadius, faceRadius + radius * 0.07f, Grey(150), Grey(40)));
  r.fill();
  // Face: turned aluminium, a touch darker towards its edge.
  r.beginPath();
  r.circle(c, c, faceRadius);
  r.fillPaint(vg::Paint::radialGradient(c, c, faceRadius * 0.2f, faceRadius, Grey(156), Grey(118)));
  r.fill();
  TurnedFace(r, c, c, faceRadius, radius > 60.0f ? 1.6f : 1.2f);
  // Centre dimple.
  r.beginPath();
  r.circle(c, c, faceRadius * 0.12f);
  r.fillPaint(vg::Paint::radialGradient(c, c, 0.0f, faceRadius * 0.12f, Grey(100), Grey(170)));
  r.fill();
  Pointer(r, c, c, faceRadius * 0.26f, radius * 0.955f, pointerWidth, pointerCut);
}

}  // namespace

void PaintKnobBody(vg::Renderer& r) { KnobBody(r, 123.0f, 121.0f, 96.0f, 72, 2.2f, 7.0f, 10.0f); }

void PaintSmallKnob(vg::Renderer& r) { KnobBody(r, 29.0f, 28.0f, 20.0f, 24, 1.4f, 3.0f, 3.0f); }

void PaintKnobShadow(vg::Renderer& r) {
  // Centred in its image: drawn 80 units below the body, it falls below the
  // knob; being round, it looks the same at every angle it is turned to.
  const float cx = 126.0f, cy = 123.5f;
  r.beginPath();
  r.circle(cx, cy, 123.0f);
  r.fillPaint(vg::Paint::radialGradient(cx, cy, 62.0f, 123.0f, vg::Color::rgba8(0, 0, 0, 175),
                                        vg::Color::rgba8(0, 0, 0, 0)));
  r.fill();
  r.beginPath();
  r.circle(cx, cy, 100.0f);
  r.fillPaint(vg::Paint::radialGradient(cx, cy, 20.0f, 100.0f, vg::Color::rgba8(0, 0, 0, 70),
                                        vg::Color::rgba8(0, 0, 0, 0)));
  r.fill();
}

void PaintKnobHighlight(vg::Renderer& r) {
  // The body lies 11 units in from the left and 14 down: its centre here.
  const float cx = 134.0f, cy = 137.0f, radius = 121.0f, face = 96.0f;
  // Light from the upper left: lighter top, darker bottom over the whole knob.
  r.beginPath();
  r.circle(cx, cy, radius);
  r.fillPaint(vg::Paint::linearGradient(cx - radius * 0.5f, cy - radius, cx + radius * 0.4f, cy + radius,
                                        Grey(255, 40), Grey(0, 90)));
  r.fill();
  // Broad specular patch on the face.
  r.beginPath();
  r.circle(cx, cy, face);
  r.fillPaint(vg::Paint::radialGradient(cx - 34.0f, cy - 42.0f, 0.0f, 78.0f, Grey(255, 92), Grey(255, 0)));
  r.fill();
  // A fainter reflection low on the right.
  r.beginPath();
  r.circle(cx, cy, face);
  r.fillPaint(vg::Paint::radialGradient(cx + 44.0f, cy + 48.0f, 0.0f, 44.0f, Grey(255, 30), Grey(255, 0)));
  r.fill();
  // Rim light on the upper left edge of skirt and face.
  for (const float rim : {radius - 1.2f, face + 0.5f}) {
    r.beginPath();
    r.arc(cx, cy, rim, kPi * 0.95f, kPi * 1.75f, vg::ArcDirection::Clockwise);
    r.strokeWidth(2.0f);
    r.lineCap(vg::LineCap::Round);
    r.strokePaint(vg::Paint::linearGradient(cx - radius, cy - radius * 0.2f, cx + radius * 0.2f, cy - radius,
                                            Grey(255, 20), Grey(255, 120)));
    r.stroke();
  }
  // A soft glint where the light meets the panel, just above the knob.
  r.beginPath();
  r.arc(cx, cy, radius + 3.0f, kPi * 1.2f, kPi * 1.55f, vg::ArcDirection::Clockwise);
  r.strokeWidth(2.0f);
  r.strokeColor(Grey(255, 22));
  r.stroke();
}

void PaintIcon(vg::Renderer& r, int size) {
  const float s = static_cast<float>(size);
  r.beginPath();
  RoundedRectPath(r, 0, 0, s, s, s * 0.18f);
  r.fillPaint(vg::Paint::linearGradient(0, 0, 0, s, vg::Color::rgba8(58, 60, 66, 255),
                                        vg::Color::rgba8(24, 25, 28, 255)));
  r.fill();
  r.save();
  const float scale = s / 246.0f * 0.8f;
  r.translate(s * 0.1f, s * 0.1f);
  r.scale(scale, scale);
  // Thicker pointer and fewer knurls than the real knob: it must read at 16 px.
  KnobBody(r, 123.0f, 121.0f, 96.0f, 24, 6.0f, size <= 32 ? 26.0f : 14.0f, 8.0f);
  r.restore();
}

}  // namespace fx::artwork
