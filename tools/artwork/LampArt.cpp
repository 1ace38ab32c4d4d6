// The bypass lamp: an image over the right half of the page, two frames.
// Off, it shows only the dark glass of the jewel; on, the jewel burns red,
// its light spills over the panel and the BYPASS lettering glows.
#include "tools/artwork/Artwork.h"
#include "tools/artwork/Engraving.h"
#include "tools/artwork/PageLayout.h"

namespace fx::artwork {

namespace {

void Jewel(vg::Renderer& r, float cx, float cy, bool lit) {
  r.beginPath();
  r.circle(cx, cy, kJewelRadius);
  if (lit) {
    r.fillPaint(vg::Paint::radialGradient(cx, cy, 2.0f, kJewelRadius, vg::Color::rgba8(255, 236, 200, 255),
                                          vg::Color::rgba8(214, 34, 14, 255)));
  } else {
    r.fillPaint(vg::Paint::radialGradient(cx, cy + 4.0f, 2.0f, kJewelRadius, vg::Color::rgba8(86, 16, 12, 255),
                                          vg::Color::rgba8(30, 6, 5, 255)));
  }
  r.fill();
  // Facets: a ring of lighter and darker wedges catching the light.
  for (int i = 0; i < 8; ++i) {
    r.beginPath();
    const float a0 = static_cast<float>(i) * 0.785398f, a1 = a0 + 0.785398f;
    r.moveTo(cx, cy);
    r.arc(cx, cy, kJewelRadius * 0.92f, a0, a1, vg::ArcDirection::Clockwise);
    r.closePath();
    r.fillColor(i % 2 ? vg::Color::rgba8(255, 255, 255, lit ? 26 : 10) : vg::Color::rgba8(0, 0, 0, lit ? 20 : 40));
    r.fill();
  }
  // Specular spot, upper left.
  r.beginPath();
  r.circle(cx - 6.0f, cy - 7.0f, 6.0f);
  r.fillPaint(vg::Paint::radialGradient(cx - 6.0f, cy - 7.0f, 0.0f, 6.0f,
                                        vg::Color::rgba8(255, 255, 255, lit ? 230 : 120),
                                        vg::Color::rgba8(255, 255, 255, 0)));
  r.fill();
}

}  // namespace

void PaintLamp(vg::Renderer& r, int font) {
  const float w = static_cast<float>(kLampImage.width);
  const float frame = static_cast<float>(kLampImage.height / kLampImage.frames);
  // Page position of the jewel, in this image's frame.
  const float jx = kJewelX - kLamp.x, jy = kJewelY - kLamp.y;

  Jewel(r, jx, jy, false);

  // The lit frame; nothing of it may spill into the first.
  r.save();
  r.scissor(0, frame, w, frame);
  const float ly = frame + jy;
  r.beginPath();
  r.rect(0, frame, w, frame);
  r.fillPaint(vg::Paint::radialGradient(jx, ly, kJewelRadius, 430.0f, vg::Color::rgba8(255, 52, 24, 62),
                                        vg::Color::rgba8(255, 40, 20, 0)));
  r.fill();
  r.beginPath();
  r.circle(jx, ly, 120.0f);
  r.fillPaint(vg::Paint::radialGradient(jx, ly, kJewelRadius, 120.0f, vg::Color::rgba8(255, 90, 50, 150),
                                        vg::Color::rgba8(255, 60, 30, 0)));
  r.fill();
  Jewel(r, jx, ly, true);
  // The BYPASS lettering under the switch bezel lit by the lamp: a halo, then
  // the letters in warm light (same place and size as the engraved ones).
  TextLook look;
  look.font = font;
  look.size = 24.0f;
  look.spacing = 4.0f;
  const float tx = kBypassSwitch.CentreX() - kLamp.x, ty = frame + kBypassSwitch.y - 22.0f;
  for (const float d : {-2.0f, 2.0f}) {
    SpacedText(r, look, tx + d, ty, "BYPASS", vg::Color::rgba8(255, 70, 30, 70));
    SpacedText(r, look, tx, ty + d, "BYPASS", vg::Color::rgba8(255, 70, 30, 70));
  }
  SpacedText(r, look, tx, ty, "BYPASS", vg::Color::rgba8(255, 196, 160, 255));
  r.restore();
}

}  // namespace fx::artwork
