#include "tools/artwork/PagePreview.h"

#include <cmath>
#include <numbers>

#include "tools/artwork/Artwork.h"
#include "tools/artwork/ImageFiles.h"
#include "tools/artwork/PageLayout.h"

namespace fx::artwork {

namespace {

struct Loaded {
  int image = 0, width = 0, height = 0, frameHeight = 0;
};

bool Load(vg::Renderer& r, const std::string& dir, const ArtworkImage& image, Loaded& out) {
  const Picture p = ReadImage(dir + "/" + image.file);
  if (p.width != image.width || p.height != image.height) return false;
  out.image = r.createImageRGBA(p.width, p.height, 0, p.rgba);
  out.width = p.width;
  out.height = p.height;
  out.frameHeight = p.height / image.frames;
  return out.image != 0;
}

void Frame(vg::Renderer& r, const Loaded& l, float x, float y, int frame) {
  const float w = static_cast<float>(l.width), h = static_cast<float>(l.frameHeight);
  r.beginPath();
  r.rect(x, y, w, h);
  // The whole strip, shifted up so that the wanted frame lies in the rectangle.
  r.fillPaint(vg::Paint::imagePattern(x, y - h * static_cast<float>(frame), w, static_cast<float>(l.height), 0.0f,
                                      l.image, 1.0f));
  r.fill();
}

void Rotated(vg::Renderer& r, const Loaded& l, float x, float y, float value) {
  const float w = static_cast<float>(l.width), h = static_cast<float>(l.frameHeight);
  const float degrees = value * 2.0f * kKnobSweepDegrees - kKnobSweepDegrees;
  r.save();
  r.translate(x + w * 0.5f, y + h * 0.5f);
  r.rotate(degrees * std::numbers::pi_v<float> / 180.0f);
  r.beginPath();
  r.rect(-w * 0.5f, -h * 0.5f, w, h);
  r.fillPaint(vg::Paint::imagePattern(-w * 0.5f, -h * 0.5f, w, h, 0.0f, l.image, 1.0f));
  r.fill();
  r.restore();
}

}  // namespace

bool DrawPagePreview(vg::Renderer& r, const std::string& dir, float knobValue, int switchValue, Picture& out) {
  Loaded background, lamp, slide, flip, body, shadow, highlight, small;
  if (!Load(r, dir, kBackgroundImage, background) || !Load(r, dir, kLampImage, lamp) ||
      !Load(r, dir, kSlideSwitchImage, slide) || !Load(r, dir, kFlipSwitchImage, flip) ||
      !Load(r, dir, kKnobImage, body) || !Load(r, dir, kKnobShadowImage, shadow) ||
      !Load(r, dir, kKnobHighlightImage, highlight) || !Load(r, dir, kSmallKnobImage, small))
    return false;
  auto canvas = ArtworkCanvas::Create(r, 1630, 1010);
  if (!canvas) return false;
  canvas->Begin();
  Frame(r, background, 0, 0, 0);
  Frame(r, lamp, kLamp.x, kLamp.y, switchValue);
  Rotated(r, small, kBiasKnob.x, kBiasKnob.y, knobValue);
  Frame(r, slide, kReactSwitch.x, kReactSwitch.y, switchValue);
  Frame(r, flip, kBypassSwitch.x, kBypassSwitch.y, switchValue);
  const Box knobs[] = {kInputGainKnob, kTameKnob, kOutputGainKnob, kWetKnob};
  for (const Box& k : knobs) Rotated(r, shadow, k.x, k.y + 80.0f, knobValue);
  for (const Box& k : knobs) Rotated(r, body, k.x, k.y, knobValue);
  for (const Box& k : knobs) Frame(r, highlight, k.x - 11.0f, k.y - 14.0f, 0);
  out = canvas->End();
  return true;
}

}  // namespace fx::artwork
