// The two switches, two frames each (stacked top to bottom): the first frame
// shows the parameter at 0, the second at 1. They do not turn, so they carry
// their light (from above) in the image.
#include <cmath>

#include "tools/artwork/Artwork.h"
#include "tools/artwork/Engraving.h"

namespace fx::artwork {

namespace {

void SlideFrame(vg::Renderer& r, float top, bool on) {
  // Mounting plate.
  const float px = 4.0f, py = top + 30.0f, pw = 246.0f, ph = 94.0f;
  r.beginPath();
  RoundedRectPath(r, px + 2.0f, py + 6.0f, pw - 4.0f, ph, 16.0f);
  r.fillPaint(vg::Paint::boxGradient(px + 2.0f, py + 6.0f, pw - 4.0f, ph, 16.0f, 10.0f, Grey(0, 120), Grey(0, 0)));
  r.fill();
  r.beginPath();
  RoundedRectPath(r, px, py, pw, ph, 16.0f);
  r.fillPaint(vg::Paint::linearGradient(0, py, 0, py + ph, Grey(66), Grey(34)));
  r.fill();
  r.beginPath();
  RoundedRectPath(r, px + 0.75f, py + 0.75f, pw - 1.5f, ph - 1.5f, 15.0f);
  r.strokeWidth(1.5f);
  r.strokePaint(vg::Paint::linearGradient(0, py, 0, py + ph, Grey(255, 70), Grey(0, 120)));
  r.stroke();
  // The slot, recessed, with its inner shadow at the top.
  const float sx = 26.0f, sy = top + 58.0f, sw = 202.0f, sh = 38.0f;
  r.beginPath();
  RoundedRectPath(r, sx, sy, sw, sh, sh * 0.5f);
  r.fillColor(Grey(8));
  r.fill();
  r.beginPath();
  RoundedRectPath(r, sx, sy, sw, sh, sh * 0.5f);
  r.fillPaint(vg::Paint::boxGradient(sx, sy + 4.0f, sw, sh, sh * 0.5f, 8.0f, Grey(0, 0), Grey(0, 200)));
  r.fill();
  r.beginPath();
  RoundedRectPath(r, sx, sy + 1.0f, sw, sh, sh * 0.5f);
  r.strokeWidth(1.0f);
  r.strokeColor(Grey(255, 40));
  r.stroke();
  // An orange mark shows in the slot where the cap has left it uncovered.
  const float markX = on ? sx + 30.0f : sx + sw - 30.0f;
  r.beginPath();
  r.circle(markX, sy + sh * 0.5f, 6.0f);
  r.fillColor(on ? vg::Color::rgba8(255, 138, 40, 255) : Grey(60));
  r.fill();
  // The cap with its shadow and grip ridges.
  const float cw = 86.0f, ch = 66.0f;
  const float cx = on ? sx + sw - cw + 8.0f : sx - 8.0f, cy = top + 44.0f;
  r.beginPath();
  RoundedRectPath(r, cx - 6.0f, cy + 2.0f, cw + 12.0f, ch + 14.0f, 14.0f);
  r.fillPaint(vg::Paint::boxGradient(cx, cy + 8.0f, cw, ch, 10.0f, 12.0f, Grey(0, 170), Grey(0, 0)));
  r.fill();
  r.beginPath();
  RoundedRectPath(r, cx, cy, cw, ch, 10.0f);
  r.fillPaint(vg::Paint::linearGradient(0, cy, 0, cy + ch, Grey(206), Grey(104)));
  r.fill();
  r.beginPath();
  RoundedRectPath(r, cx + 0.75f, cy + 0.75f, cw - 1.5f, ch - 1.5f, 9.5f);
  r.strokeWidth(1.5f);
  r.strokePaint(vg::Paint::linearGradient(0, cy, 0, cy + ch, Grey(255, 200), Grey(0, 140)));
  r.stroke();
  r.lineCap(vg::LineCap::Round);
  for (int i = -3; i <= 3; ++i) {
    const float gx = cx + cw * 0.5f + static_cast<float>(i) * 9.0f;
    r.beginPath();
    r.moveTo(gx + 1.2f, cy + 14.0f);
    r.lineTo(gx + 1.2f, cy + ch - 14.0f);
    r.strokeWidth(2.0f);
    r.strokeColor(Grey(255, 110));
    r.stroke();
    r.beginPath();
    r.moveTo(gx, cy + 14.0f);
    r.lineTo(gx, cy + ch - 14.0f);
    r.strokeColor(Grey(40, 200));
    r.stroke();
  }
}

void FlipFrame(vg::Renderer& r, float top, bool up) {
  const float cx = 33.0f, cy = top + 75.5f;
  // Hex nut, lit from above.
  r.beginPath();
  for (int i = 0; i < 6; ++i) {
    const float a = static_cast<float>(i) * 3.14159265f / 3.0f;
    const float x = cx + std::cos(a) * 27.0f, y = cy + std::sin(a) * 27.0f;
    if (i == 0)
      r.moveTo(x, y);
    else
      r.lineTo(x, y);
  }
  r.closePath();
  r.fillPaint(vg::Paint::linearGradient(cx, cy - 27.0f, cx, cy + 27.0f, Grey(196), Grey(70)));
  r.fill();
  r.strokeWidth(1.2f);
  r.strokeColor(Grey(0, 150));
  r.stroke();
  // Bushing the lever comes out of.
  r.beginPath();
  r.circle(cx, cy, 15.0f);
  r.fillPaint(vg::Paint::radialGradient(cx, cy - 3.0f, 4.0f, 15.0f, Grey(120), Grey(36)));
  r.fill();
  // Lever: tapered bat from the bushing to a ball tip, seen from the front.
  const float dir = up ? -1.0f : 1.0f;
  const float tipY = cy + dir * 57.0f;
  // Its shadow on the plate, down and to the right.
  r.beginPath();
  r.moveTo(cx - 5.0f + 4.0f, cy + 6.0f);
  r.lineTo(cx + 5.0f + 4.0f, cy + 6.0f);
  r.lineTo(cx + 7.0f + 4.0f, tipY + 8.0f);
  r.lineTo(cx - 7.0f + 4.0f, tipY + 8.0f);
  r.closePath();
  r.fillColor(Grey(0, 70));
  r.fill();
  r.beginPath();
  r.moveTo(cx - 6.0f, cy);
  r.lineTo(cx + 6.0f, cy);
  r.lineTo(cx + 4.5f, tipY);
  r.lineTo(cx - 4.5f, tipY);
  r.closePath();
  r.fillPaint(vg::Paint::linearGradient(cx - 6.0f, 0, cx + 6.0f, 0, Grey(120), Grey(50)));
  r.fill();
  r.beginPath();
  r.moveTo(cx - 2.0f, cy);
  r.lineTo(cx - 1.5f, tipY);
  r.strokeWidth(2.0f);
  r.strokeColor(Grey(255, 170));
  r.stroke();
  r.beginPath();
  r.circle(cx, tipY, 10.0f);
  r.fillPaint(vg::Paint::radialGradient(cx - 3.0f, tipY - 4.0f, 1.0f, 11.0f, Grey(250), Grey(70)));
  r.fill();
  r.strokeWidth(1.0f);
  r.strokeColor(Grey(0, 140));
  r.stroke();
  // The bushing's front lip over the lever's root.
  r.beginPath();
  r.circle(cx, cy, 7.0f);
  r.fillPaint(vg::Paint::radialGradient(cx, cy - 2.0f, 1.0f, 7.0f, Grey(170), Grey(60)));
  r.fill();
}

}  // namespace

void PaintSlideSwitch(vg::Renderer& r) {
  const float frame = static_cast<float>(kSlideSwitchImage.height / kSlideSwitchImage.frames);
  SlideFrame(r, 0.0f, false);
  SlideFrame(r, frame, true);
}

void PaintFlipSwitch(vg::Renderer& r) {
  const float frame = static_cast<float>(kFlipSwitchImage.height / kFlipSwitchImage.frames);
  FlipFrame(r, 0.0f, false);
  FlipFrame(r, frame, true);
}

}  // namespace fx::artwork
