#include "tools/artwork/Engraving.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fx::artwork {

namespace {
constexpr vg::Color kCutShadow = vg::Color::rgba8(0, 0, 0, 200);
constexpr vg::Color kCutLight = vg::Color::rgba8(255, 255, 255, 38);

std::string_view Letter(std::string_view text, std::size_t i) { return text.substr(i, 1); }
}  // namespace

float SpacedTextWidth(vg::Renderer& r, const TextLook& look, std::string_view text) {
  r.fontFace(look.font);
  r.fontSize(look.size);
  float width = 0.0f;
  for (std::size_t i = 0; i < text.size(); ++i) {
    width += r.textBounds(0, 0, Letter(text, i), nullptr);
    if (i + 1 < text.size()) width += look.spacing;
  }
  return width;
}

void SpacedText(vg::Renderer& r, const TextLook& look, float cx, float cy, std::string_view text, vg::Color colour) {
  const float width = SpacedTextWidth(r, look, text);
  r.fontFace(look.font);
  r.fontSize(look.size);
  r.textAlign(vg::AlignLeft | vg::AlignMiddle);
  r.fillColor(colour);
  float x = cx - width * 0.5f;
  for (std::size_t i = 0; i < text.size(); ++i) x = r.text(x, cy, Letter(text, i)) + look.spacing;
}

void EngravedText(vg::Renderer& r, const TextLook& look, float cx, float cy, std::string_view text) {
  const float edge = std::max(1.0f, look.size / 26.0f);
  SpacedText(r, look, cx, cy - edge, text, kCutShadow);
  SpacedText(r, look, cx, cy + edge, text, kCutLight);
  SpacedText(r, look, cx, cy, text, look.fill);
}

void Groove(vg::Renderer& r, float x0, float y0, float x1, float y1, float width) {
  r.lineCap(vg::LineCap::Round);
  r.strokeWidth(width);
  r.beginPath();
  r.moveTo(x0, y0 + width * 0.6f);
  r.lineTo(x1, y1 + width * 0.6f);
  r.strokeColor(kCutLight);
  r.stroke();
  r.beginPath();
  r.moveTo(x0, y0);
  r.lineTo(x1, y1);
  r.strokeColor(kCutShadow);
  r.stroke();
}

void RoundedRectPath(vg::Renderer& r, float x, float y, float w, float h, float radius) {
  constexpr float kPi = std::numbers::pi_v<float>;
  radius = std::min(radius, std::min(w, h) * 0.5f);
  r.moveTo(x + radius, y);
  r.lineTo(x + w - radius, y);
  r.arc(x + w - radius, y + radius, radius, -kPi * 0.5f, 0.0f, vg::ArcDirection::Clockwise);
  r.lineTo(x + w, y + h - radius);
  r.arc(x + w - radius, y + h - radius, radius, 0.0f, kPi * 0.5f, vg::ArcDirection::Clockwise);
  r.lineTo(x + radius, y + h);
  r.arc(x + radius, y + h - radius, radius, kPi * 0.5f, kPi, vg::ArcDirection::Clockwise);
  r.lineTo(x, y + radius);
  r.arc(x + radius, y + radius, radius, kPi, kPi * 1.5f, vg::ArcDirection::Clockwise);
  r.closePath();
}

void GrooveRoundedRect(vg::Renderer& r, float x, float y, float w, float h, float radius, float width) {
  r.strokeWidth(width);
  r.beginPath();
  RoundedRectPath(r, x, y + width * 0.6f, w, h, radius);
  r.strokeColor(kCutLight);
  r.stroke();
  r.beginPath();
  RoundedRectPath(r, x, y, w, h, radius);
  r.strokeColor(kCutShadow);
  r.stroke();
}

void Screw(vg::Renderer& r, float cx, float cy, float radius, float turn) {
  // Countersink: a dark ring a little wider than the head.
  r.beginPath();
  r.circle(cx, cy, radius + 2.5f);
  r.fillPaint(vg::Paint::radialGradient(cx, cy, radius, radius + 2.5f, vg::Color::rgba8(0, 0, 0, 170),
                                        vg::Color::rgba8(0, 0, 0, 0)));
  r.fill();
  // Head: domed, lit from above.
  r.beginPath();
  r.circle(cx, cy, radius);
  r.fillPaint(vg::Paint::linearGradient(cx, cy - radius, cx, cy + radius, vg::Color::rgba8(168, 170, 174, 255),
                                        vg::Color::rgba8(70, 72, 76, 255)));
  r.fill();
  r.beginPath();
  r.circle(cx, cy, radius - 1.5f);
  r.fillPaint(vg::Paint::radialGradient(cx - radius * 0.3f, cy - radius * 0.4f, 0.0f, radius,
                                        vg::Color::rgba8(255, 255, 255, 70), vg::Color::rgba8(255, 255, 255, 0)));
  r.fill();
  // Cross slots.
  r.lineCap(vg::LineCap::Butt);
  for (int i = 0; i < 2; ++i) {
    const float a = turn + static_cast<float>(i) * std::numbers::pi_v<float> * 0.5f;
    const float dx = std::cos(a) * radius * 0.68f, dy = std::sin(a) * radius * 0.68f;
    r.beginPath();
    r.moveTo(cx - dx, cy - dy + 0.8f);
    r.lineTo(cx + dx, cy + dy + 0.8f);
    r.strokeWidth(radius * 0.26f);
    r.strokeColor(vg::Color::rgba8(255, 255, 255, 45));
    r.stroke();
    r.beginPath();
    r.moveTo(cx - dx, cy - dy);
    r.lineTo(cx + dx, cy + dy);
    r.strokeColor(vg::Color::rgba8(18, 18, 20, 230));
    r.stroke();
  }
}

void KnobScale(vg::Renderer& r, float cx, float cy, float inner, float outer, float sweepDegrees, int count,
               int majorEvery, float width) {
  constexpr float kDeg = std::numbers::pi_v<float> / 180.0f;
  r.lineCap(vg::LineCap::Round);
  for (int i = 0; i < count; ++i) {
    const float degrees = -sweepDegrees + 2.0f * sweepDegrees * static_cast<float>(i) / static_cast<float>(count - 1);
    const bool major = i % majorEvery == 0;
    const float a = degrees * kDeg;
    const float sx = std::sin(a), sy = -std::cos(a);
    const float from = major ? inner : inner + (outer - inner) * 0.35f;
    for (int pass = 0; pass < 2; ++pass) {
      const float drop = pass == 0 ? width * 0.6f : 0.0f;
      r.beginPath();
      r.moveTo(cx + sx * from, cy + sy * from + drop);
      r.lineTo(cx + sx * outer, cy + sy * outer + drop);
      r.strokeWidth(major ? width * 1.3f : width);
      r.strokeColor(pass == 0 ? kCutShadow : (major ? vg::Color::rgba8(222, 216, 202, 230)
                                                    : vg::Color::rgba8(200, 194, 182, 170)));
      r.stroke();
    }
  }
}

}  // namespace fx::artwork
