#include "graphics/controls/ITextControl.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "graphics/IGraphics.h"

namespace fx::igraphics {

ITextControl::ITextControl(const IBounds& bounds, const char* text, const ITextStyle& style, const IArgb& background)
    : IControl(bounds), text_(text ? text : ""), background_(background) {
  style_ = style;
  ignoreMouse_ = true;
}

void ITextControl::OnSetUp() {
  if (fitToText_) FitBoundsToText();
}

void ITextControl::FitBoundsToText() {
  if (!graphics_) return;
  IBounds measured;
  graphics_->MeasureString(style_, text_.c_str(), measured);
  const float w = measured.W(), h = measured.H();
  if (!std::isfinite(w) || !std::isfinite(h) || w < 0.0f || h < 0.0f) return;
  SetTargetAndDrawBounds(bounds_.GetCentredInside(w, h));
}

void ITextControl::SetLabel(const char* text) {
  const char* t = text ? text : "";
  if (text_ == t) return;
  text_ = t;
  if (fitToText_) FitBoundsToText();
  MarkDirty(false, -1);
}

void ITextControl::SetLabelFormatted(std::int32_t maxLength, const char* format, ...) {
  if (maxLength <= 0 || !format) {
    SetLabel("");
    return;
  }
  std::vector<char> buffer(static_cast<std::size_t>(maxLength) + 1, '\0');
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(buffer.data(), buffer.size(), format, args);
  va_end(args);
  if (written < 0) buffer[0] = '\0';
  SetLabel(buffer.data());
  MarkDirty(false, -1);
}

void ITextControl::Paint(IGraphics& graphics) {
  graphics.FillRectangle(background_, bounds_, &blend_);
  if (!text_.empty() && graphics.GetControlBeingEdited() != this)
    graphics.DrawString(style_, text_.c_str(), bounds_, &blend_);
}

}  // namespace fx::igraphics
