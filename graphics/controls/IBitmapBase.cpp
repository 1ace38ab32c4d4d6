#include "graphics/controls/IBitmapBase.h"

#include <cmath>

#include "graphics/IGraphics.h"
#include "graphics/controls/IControl.h"

namespace fx::igraphics {

IBounds CentredOnFrame(const IBounds& bounds, const IBitmapStrip& strip) {
  return bounds.GetCentredInside(static_cast<float>(strip.FrameWidth()), static_cast<float>(strip.FrameHeight()));
}

std::int32_t IBitmapBase::FrameForValue(std::int32_t nFrames, double value) {
  if (nFrames < 2 || !std::isfinite(value)) return 1;
  const double k = std::trunc(static_cast<double>(nFrames - 1) * value + 0.5) + 1.0;
  if (k < 1.0) return 1;
  if (k > nFrames) return nFrames;
  return static_cast<std::int32_t>(k);
}

void IBitmapBase::DrawFrame(IGraphics& graphics, double value) const {
  if (!strip_.IsValid()) return;  // a strip that did not load draws nothing
  const std::int32_t n = strip_.nFrames;
  const std::int32_t k = FrameForValue(n, value);
  const IBounds dest = CentredOnFrame(owner_->GetBounds(), strip_);
  std::int32_t srcX = 0, srcY = 0;
  if (strip_.framesAreHorizontal)
    srcX = (k - 1) * strip_.width / n;
  else
    srcY = strip_.height * (k - 1) / n;
  graphics.DrawBitmapRegion(strip_, dest, srcX, srcY, &owner_->GetBlend());
}

void IBitmapBase::ReloadStrip() {
  IGraphics* graphics = owner_->GetUI();
  if (!graphics || strip_.resourceName.empty()) return;
  const float up = std::ceil(graphics->GetScreenScale());
  const std::int32_t scale = (std::isfinite(up) && up >= 1.0f && up <= 64.0f) ? static_cast<std::int32_t>(up) : 1;
  strip_ = graphics->LoadBitmapStrip(strip_.resourceName.c_str(), strip_.nFrames, strip_.framesAreHorizontal, scale);
}

}  // namespace fx::igraphics
