#pragma once
// Drawing helpers for details cut into or fixed onto the panel: engraved
// lettering with its light and dark edges, grooves, screws and knob scales.
#include <string_view>

#include "renderer/Renderer.h"

namespace fx::artwork {

struct TextLook {
  int font = -1;
  float size = 24.0f;
  float spacing = 0.0f;  // extra units between letters
  vg::Color fill = vg::Color::rgba8(216, 210, 196, 235);
};

// Width of a line of text with the letter spacing (the last letter carries none).
float SpacedTextWidth(vg::Renderer& r, const TextLook& look, std::string_view text);
// Draws text centred on (cx, cy) with its letter spacing, in `colour`.
void SpacedText(vg::Renderer& r, const TextLook& look, float cx, float cy, std::string_view text, vg::Color colour);
// Lettering cut into the panel and filled with paint: a dark edge above, a
// light edge below, then the paint.
void EngravedText(vg::Renderer& r, const TextLook& look, float cx, float cy, std::string_view text);

// A straight groove cut into the panel: a dark cut with a lit lower edge.
void Groove(vg::Renderer& r, float x0, float y0, float x1, float y1, float width);
// The same along a rounded rectangle.
void GrooveRoundedRect(vg::Renderer& r, float x, float y, float w, float h, float radius, float width);
// A grey of level v (0 to 255), opacity a.
inline vg::Color Grey(int v, int a = 255) { return vg::Color::rgba8(v, v, v, a); }
// A rounded rectangle path (the renderer has circles and rectangles only).
void RoundedRectPath(vg::Renderer& r, float x, float y, float w, float h, float radius);

// A countersunk cross-head screw; `turn` rotates the slots (radians).
void Screw(vg::Renderer& r, float cx, float cy, float radius, float turn);

// Tick marks around a knob from -sweep to +sweep degrees (0 = up), `count`
// ticks, every `majorEvery`-th one longer and brighter.
void KnobScale(vg::Renderer& r, float cx, float cy, float inner, float outer, float sweepDegrees, int count,
               int majorEvery, float width);

}  // namespace fx::artwork
