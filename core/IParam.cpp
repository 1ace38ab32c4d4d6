#include "core/IParam.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

namespace fx {
namespace {

// value with `decimals` digits after a point, never a comma, never grouped;
// a leading '+' on request for positive values.
void FormatFixed(double value, int decimals, bool plusSign, std::size_t maxChars, TextBuffer& out) {
  char text[512];  // the largest double has 309 digits before the point
  char* first = text;
  if (plusSign && value > 0.0) *first++ = '+';
  const auto result = std::to_chars(first, text + sizeof text - 1, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) {
    out.Set("", maxChars);
    return;
  }
  out.Set(std::string_view(text, static_cast<std::size_t>(result.ptr - text)), maxChars);
}

}  // namespace

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
    // The nearest whole number, halves away from zero; no sign at this
    // precision, and -0.4 rounds to a zero shown as "0".
    double nearest = std::round(value);
    if (nearest == 0.0) nearest = 0.0;
    FormatFixed(nearest, 0, false, kTextSize, out);
  } else {
    FormatFixed(value, displayPrecision_, (flags_ & kParamSignedDisplay) != 0, kTextSize, out);
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
  // process has set; the first separator may be a comma.
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = (*p == '-');
    ++p;
  }
  std::string number(p);
  if (const std::size_t separator = number.find_first_of(".,");
      separator != std::string::npos && number[separator] == ',')
    number[separator] = '.';
  const char* digits = number.c_str();
  const char* end = digits + number.size();
  double v = 0.0;
  if (*digits != '+' && *digits != '-') {
    const auto result = std::from_chars(digits, end, v, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
      // Too large or too small for a double: keep its direction.
      v = HUGE_VAL;
      for (const char* q = digits; q < result.ptr; ++q) {
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
