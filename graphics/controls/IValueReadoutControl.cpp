#include "graphics/controls/IValueReadoutControl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/TextBuffer.h"
#include "graphics/IGraphics.h"

namespace fx::igraphics {
namespace {

// The display text of a normalised value with its unit, as a host shows the
// parameter; a value the parameter names with a text of its own ("On")
// carries no unit.
std::string DisplayWithUnit(const fx::IParam& param, double normalized) {
  fx::TextBuffer shown;
  param.FormatValueText(normalized, true, shown);
  std::string text = shown.Get();
  fx::TextBuffer numeric;
  param.FormatValueText(normalized, true, numeric, false);
  if (param.GetLabel()[0] != '\0' && std::strcmp(shown.Get(), numeric.Get()) == 0) {
    text += ' ';
    text += param.GetLabel();
  }
  return text;
}

ITextStyle DefaultNameStyle() {
  ITextStyle s;
  s.size = 22.0f;
  s.colour = {255, 190, 190, 186};
  s.hAlign = ITextStyle::kLeft;
  s.vAlign = ITextStyle::kMiddle;
  return s;
}

ITextStyle DefaultValueStyle() {
  ITextStyle s = DefaultNameStyle();
  s.colour = {255, 255, 255, 255};
  s.hAlign = ITextStyle::kRight;
  return s;
}

IValueReadoutControl::Look DefaultLook() {
  IValueReadoutControl::Look look;
  look.name = DefaultNameStyle();
  look.value = DefaultValueStyle();
  return look;
}

ITextStyle Scaled(ITextStyle style, float k) {
  style.size *= k;
  return style;
}

// A rectangle with rounded corners as the current path (0 degrees up, clockwise).
void AddRoundedRect(IGraphics& g, const IBounds& b, float radius) {
  const float r = std::clamp(radius, 0.0f, 0.5f * std::min(b.W(), b.H()));
  g.PathReset();
  g.PathMove(b.left + r, b.top);
  g.PathAddLine(b.right - r, b.top);
  if (r > 0.0f) g.PathAddArc(b.right - r, b.top + r, r, 0.0f, 90.0f, 0);
  g.PathAddLine(b.right, b.bottom - r);
  if (r > 0.0f) g.PathAddArc(b.right - r, b.bottom - r, r, 90.0f, 180.0f, 0);
  g.PathAddLine(b.left + r, b.bottom);
  if (r > 0.0f) g.PathAddArc(b.left + r, b.bottom - r, r, 180.0f, 270.0f, 0);
  g.PathAddLine(b.left, b.top + r);
  if (r > 0.0f) g.PathAddArc(b.left + r, b.top + r, r, 270.0f, 360.0f, 0);
  g.PathCloseShape();
}

}  // namespace

IValueReadoutControl::IValueReadoutControl() : IValueReadoutControl(DefaultLook()) {}

IValueReadoutControl::IValueReadoutControl(const Look& look)
    : IControl(IBounds{}), look_(look), clock_(&IControl::NowMs) {
  ignoreMouse_ = true;
  hidden_ = true;
  dirty_ = false;
}

std::string IValueReadoutControl::GetText() const {
  if (!shown_) return {};
  return name_ + "  " + value_;
}

float IValueReadoutControl::TextScale() const {
  const float s = graphics_ ? graphics_->GetTotalScale() : 1.0f;
  const float nominal = std::min(look_.name.size, look_.value.size);
  if (!(s > 0.0f) || !std::isfinite(s) || !(nominal > 0.0f)) return 1.0f;
  return std::max(1.0f, look_.minPixelSize / (nominal * s));
}

bool IValueReadoutControl::TargetOf(const IControl& control, Target& out) const {
  if (!graphics_ || control.IsHidden() || control.IsDisabled()) return false;
  for (std::int32_t j = 0; j < control.NValues(); ++j) {
    const std::int32_t idx = control.GetParamIdx(j);
    if (idx < 0 || !control.GetParam(j)) continue;
    out.paramIdx = idx;
    out.value = control.GetValue(j);
    // The controls drawn as one with this one: on its parameter, centred inside it.
    const IBounds own = control.GetBounds();
    out.stack = own;
    for (std::int32_t i = 0; i < graphics_->NControls(); ++i) {
      const IControl* other = graphics_->GetControl(i);
      if (!other || other == &control || other->IsHidden()) continue;
      bool same = false;
      for (std::int32_t k = 0; k < other->NValues() && !same; ++k) same = other->GetParamIdx(k) == idx;
      const IBounds& ob = other->GetBounds();
      if (same && own.Contains(ob.MW(), ob.MH())) out.stack = out.stack.Union(ob);
    }
    return true;
  }
  return false;
}

void IValueReadoutControl::NoteUserValueChange(const IControl& control) {
  Target t;
  if (!TargetOf(control, t)) return;
  edit_ = t;
  edited_ = true;
}

IBounds IValueReadoutControl::Follow() {
  IBounds vacated;
  if (!graphics_) return vacated;
  if (shown_ && laidOutScale_ != graphics_->GetTotalScale()) {
    const IBounds old = bounds_;
    Layout();
    if (old != bounds_) vacated = old;
    MarkDirty(false, -1);
  }
  IControl* held = graphics_->GetCapturedControl(0);
  IControl* candidate = held ? held : graphics_->GetHoverControl();
  Target t;
  if (candidate && TargetOf(*candidate, t)) {
    edited_ = false;
    lingering_ = false;
    Show(t, vacated);
  } else if (edited_) {
    // Changed without the pointer on it (a typed value, a platform that
    // reports no hovering): shown for the linger time.
    edited_ = false;
    Show(edit_, vacated);
    lingering_ = true;
    hideAtMs_ = Now() + lingerMs_;
  } else if (shown_) {
    if (!lingering_) {
      lingering_ = true;
      hideAtMs_ = Now() + lingerMs_;
    } else if (Now() >= hideAtMs_) {
      Hide(vacated);
    }
  }
  return vacated;
}

void IValueReadoutControl::Show(const Target& target, IBounds& vacated) {
  const fx::IParam* param = delegate_ ? delegate_->GetParam(target.paramIdx) : nullptr;
  if (!param) return;
  const bool sameTarget = shown_ && target.paramIdx == shownParam_ && target.stack == stack_;
  if (sameTarget && target.value == shownValue_) return;
  shownValue_ = target.value;
  std::string value = DisplayWithUnit(*param, target.value);
  if (sameTarget && value == value_) return;  // a move too small to show
  const IBounds old = shown_ ? bounds_ : IBounds{};
  value_ = std::move(value);
  if (!sameTarget) {
    shownParam_ = target.paramIdx;
    stack_ = target.stack;
    name_ = param->GetName();
  }
  shown_ = true;
  hidden_ = false;
  Layout();
  if (!old.Empty() && old != bounds_) vacated = vacated.Union(old);
  MarkDirty(false, -1);
}

void IValueReadoutControl::Hide(IBounds& vacated) {
  vacated = vacated.Union(bounds_);
  shown_ = false;
  lingering_ = false;
  hidden_ = true;
  shownParam_ = -1;
  name_.clear();
  value_.clear();
  bounds_ = {};
  targetBounds_ = {};
  dirty_ = false;
}

void IValueReadoutControl::OnBoundsChanged() {
  // A resize moves the page under the box: place it again for the new scale.
  if (shown_) Layout();
}

void IValueReadoutControl::Layout() {
  if (!graphics_) return;
  laidOutScale_ = graphics_->GetTotalScale();
  const float k = TextScale();
  const ITextStyle nameStyle = Scaled(look_.name, k), valueStyle = Scaled(look_.value, k);
  IBounds r;
  nameWidth_ = graphics_->MeasureString(nameStyle, name_.c_str(), r);
  textHeight_ = std::max({r.H(), nameStyle.size, valueStyle.size});
  // The box keeps one width for a parameter: as wide as its widest value.
  float widest = graphics_->MeasureString(valueStyle, value_.c_str(), r);
  if (const fx::IParam* param = delegate_ ? delegate_->GetParam(shownParam_) : nullptr) {
    for (double v : {0.0, 1.0})
      widest = std::max(widest, graphics_->MeasureString(valueStyle, DisplayWithUnit(*param, v).c_str(), r));
  }
  valueWidth_ = widest;
  const float pad = look_.padding * k;
  const float space = 0.8f * valueStyle.size;
  const float w = std::ceil(pad + nameWidth_ + space + valueWidth_ + pad);
  const float h = std::ceil(textHeight_ + 2.0f * 0.6f * pad);
  const IBounds box = PlaceBox(stack_, w, h, static_cast<float>(graphics_->Width()),
                               static_cast<float>(graphics_->Height()), look_.gap * k, look_.margin);
  bounds_ = box;
  targetBounds_ = {};  // never hit
}

void IValueReadoutControl::Paint(IGraphics& graphics) {
  if (!shown_ || bounds_.Empty()) return;
  const float k = TextScale();
  const float s = graphics.GetTotalScale() > 0.0f ? graphics.GetTotalScale() : 1.0f;
  const float line = 1.0f / s;  // one pixel
  AddRoundedRect(graphics, bounds_, look_.cornerRadius * k);
  graphics.PathFillWith(IPattern::Solid(look_.fill), IFillOptions{}, &blend_);
  AddRoundedRect(graphics, bounds_.GetPadded(-0.5f * line), look_.cornerRadius * k - 0.5f * line);
  graphics.PathStrokeWith(IPattern::Solid(look_.frame), line, IStrokeOptions{}, &blend_);
  const float pad = look_.padding * k;
  const IBounds inner{bounds_.left + pad, bounds_.top, bounds_.right - pad, bounds_.bottom};
  graphics.DrawString(Scaled(look_.name, k), name_.c_str(), inner, &blend_);
  graphics.DrawString(Scaled(look_.value, k), value_.c_str(), inner, &blend_);
}

IBounds IValueReadoutControl::PlaceBox(const IBounds& avoid, float w, float h, float width, float height, float gap,
                                       float margin) {
  if (!(w > 0.0f) || !(h > 0.0f) || !std::isfinite(w) || !std::isfinite(h) || !std::isfinite(gap) ||
      !std::isfinite(margin))
    return {};
  const IBounds page{margin, margin, width - margin, height - margin};
  const auto slide = [](float v, float lo, float hi) { return hi < lo ? lo : std::clamp(v, lo, hi); };
  const float x = slide(avoid.MW() - 0.5f * w, page.left, page.right - w);
  const float y = slide(avoid.MH() - 0.5f * h, page.top, page.bottom - h);
  const IBounds candidates[] = {
      {x, avoid.top - gap - h, x + w, avoid.top - gap},                  // above
      {x, avoid.bottom + gap, x + w, avoid.bottom + gap + h},            // below
      {avoid.right + gap, y, avoid.right + gap + w, y + h},              // right
      {avoid.left - gap - w, y, avoid.left - gap, y + h},                // left
  };
  for (const IBounds& c : candidates)
    if (c.IsFinite() && page.Contains(c) && !c.Intersects(avoid)) return c;
  // Nowhere beside it: the page corner farthest from it.
  const IBounds corners[] = {
      {page.left, page.top, page.left + w, page.top + h},
      {page.right - w, page.top, page.right, page.top + h},
      {page.left, page.bottom - h, page.left + w, page.bottom},
      {page.right - w, page.bottom - h, page.right, page.bottom},
  };
  const IBounds* best = &corners[0];
  float bestDistance = -1.0f;
  for (const IBounds& c : corners) {
    const float dx = c.MW() - avoid.MW(), dy = c.MH() - avoid.MH();
    const float d = dx * dx + dy * dy;
    if (d > bestDistance) {
      bestDistance = d;
      best = &c;
    }
  }
  return *best;
}

}  // namespace fx::igraphics
