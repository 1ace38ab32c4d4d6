#include "core/IParam.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace fx {

IParam::IParam() : shape_(new ShapeLinear) {}

IParam::~IParam() = default;

void IParam::InitReal(const char* name, double defaultValue, double min, double max, double step,
                      const char* label, const Shape& shape, DisplayFunction displayFunction) {
  if (type_ == ParamKind::None) type_ = ParamKind::Real;
  CopyBounded(name_, kTextSize, name);
  CopyBounded(label_, kTextSize, label);
  group_[0] = '\0';
  min_ = min;
  step_ = step;
  default_ = defaultValue;
  unit_ = kUnitCustom;
  flags_ = 0;
  max_ = (min + step > max) ? min + step : max;
  displayFunction_ = std::move(displayFunction);
  SetValue(defaultValue);

  displayPrecision_ = 0;
  double s = step;
  // A non-finite step would never reach a whole number; six decimals at most.
  while (std::isfinite(s) && s != std::floor(s) && displayPrecision_ < 6) {
    s *= 10.0;
    ++displayPrecision_;
  }

  shape_.reset(shape.MakeCopy());
  shape_->AttachTo(*this);
}

void IParam::SetDisplayText(double value, const char* text) {
  DisplayTextEntry entry{value, {}};
  CopyBounded(entry.text, kTextSize, text);
  displayTexts_.push_back(entry);
}

void IParam::SetNormalizedValue(double normalized) {
  value_.store(ClampToRange(shape_->UnitToReal(normalized, *this)));
}

double IParam::ClampToRange(double v) const {
  // Broken hosts send NaN; it must never reach the stored value, so it reads
  // as "no number", which the clamp below turns into the minimum.
  if (std::isnan(v)) v = 0.0;
  if ((flags_ & kParamStepped) && step_ != 0.0) {
    const double snapped = std::round(v / step_) * step_;
    if (!std::isnan(snapped)) v = snapped;
  }
  if (v < min_) v = min_;
  if (v > max_) v = max_;
  return v;
}

double IParam::RealFromNormalized(double normalized) const {
  return ClampToRange(shape_->UnitToReal(normalized, *this));
}

double IParam::NormalizedFromReal(double real) const {
  double n = shape_->RealToUnit(ClampToRange(real), *this);
  if (std::isnan(n)) n = 0.0;
  if (n < 0.0) n = 0.0;
  if (n > 1.0) n = 1.0;
  return n;
}

void IParam::FormatValueText(double value, bool isNormalized, TextBuffer& out, bool useDisplayTexts) const {
  if (isNormalized) value = RealFromNormalized(value);
  if (displayFunction_) {
    displayFunction_(value, out);
    if (out.GetLength() > kTextSize) out.Set(out.View(), kTextSize);
    return;
  }
  if (useDisplayTexts) {
    for (const DisplayTextEntry& entry : displayTexts_) {
      if (entry.value == value) {
        if (entry.text[0] != '\0') {
          out.Set(entry.text, kTextSize);
          return;
        }
        break;
      }
    }
  }
  if (flags_ & kParamNegatedDisplay) value = -value;
  if (value == 0.0) value = 0.0;  // never show a negative zero
  if (displayPrecision_ == 0) {
    const double nearest = std::round(value);
    if (nearest >= static_cast<double>(INT_MIN) && nearest <= static_cast<double>(INT_MAX)) {
      out.SetFormatted(kTextSize, "%d", static_cast<int>(nearest));
    } else {
      // Outside the int range "%d" cannot hold it; the same digits as text.
      out.SetFormatted(kTextSize, "%.0f", nearest);
    }
  } else if ((flags_ & kParamSignedDisplay) && value != 0.0) {
    char format[16];
    std::snprintf(format, sizeof format, "%%+.%df", displayPrecision_);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    out.SetFormatted(kTextSize, format, value);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  } else {
    out.SetFormatted(kTextSize, "%.*f", displayPrecision_, value);
  }
}

const char* IParam::GetUnitLabel() const {
  const double v = GetValue();
  // Truncation of a value outside the int range would be undefined.
  const double t = std::isfinite(v) ? std::trunc(v) : v;
  for (const DisplayTextEntry& entry : displayTexts_) {
    if (entry.value == t) {
      if (entry.text[0] != '\0') return "";
      break;
    }
  }
  return label_;
}

double IParam::ParseValueText(const char* text) const {
  if (!text) text = "";
  for (const DisplayTextEntry& entry : displayTexts_) {
    if (std::strcmp(entry.text, text) == 0) return entry.value;
  }
  if (type_ == ParamKind::Boolean || type_ == ParamKind::Enumerated) return 0.0;

  // The leading decimal number, read the same way whatever locale the host
  // process has set.
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
  const char* end = p + std::strlen(p);
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = (*p == '-');
    ++p;
  }
  double v = 0.0;
  if (*p != '+' && *p != '-') {
    const auto result = std::from_chars(p, end, v, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
      // Too large or too small for a double: keep its direction.
      v = HUGE_VAL;
      for (const char* q = p; q < result.ptr; ++q) {
        if (*q == 'e' || *q == 'E') {
          if (q + 1 < result.ptr && q[1] == '-') v = 0.0;
          break;
        }
      }
    } else if (result.ec != std::errc()) {
      v = 0.0;
    }
  }
  if (negative) v = -v;
  if (flags_ & kParamNegatedDisplay) v = -v;
  return ClampToRange(v);
}

}  // namespace fx
