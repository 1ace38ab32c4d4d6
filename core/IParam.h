#pragma once
// One automatable value of the plug-in: a named real number with a range, a
// step, a default, a display precision, a unit label and a shape that maps it
// to and from the normalised 0..1 range in which hosts and controls talk.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/TextBuffer.h"

namespace fx {

enum class ParamKind : std::int32_t { None = 0, Boolean = 1, Integer = 2, Enumerated = 3, Real = 4 };

// Bits of IParam::GetFlags().
enum ParamFlags : std::uint32_t {
  kParamNotAutomatable = 0x1,
  kParamStepped = 0x2,
  kParamNegatedDisplay = 0x4,
  kParamSignedDisplay = 0x8,
};

class IParam {
 public:
  static constexpr std::size_t kTextSize = 32;  // bytes of name, label, group and display texts
  static constexpr std::int32_t kUnitCustom = 21;

  class Shape {
   public:
    virtual ~Shape() = default;
    virtual Shape* MakeCopy() const = 0;
    virtual void AttachTo(IParam& /*param*/) {}
    virtual std::int32_t GetCurveKind() const = 0;
    virtual double UnitToReal(double normalized, const IParam& param) const = 0;
    virtual double RealToUnit(double real, const IParam& param) const = 0;

   protected:
    Shape() = default;
    Shape(const Shape&) = default;
    Shape& operator=(const Shape&) = default;
  };

  class ShapeLinear final : public Shape {
   public:
    Shape* MakeCopy() const override { return new ShapeLinear(*this); }
    std::int32_t GetCurveKind() const override { return 0; }
    double UnitToReal(double n, const IParam& p) const override { return (p.max_ - p.min_) * n + p.min_; }
    double RealToUnit(double v, const IParam& p) const override { return (v - p.min_) / (p.max_ - p.min_); }
  };

  // Writes the display text of a real value; replaces the numeric display.
  using DisplayFunction = std::function<void(double value, TextBuffer& out)>;

  struct DisplayTextEntry {
    double value;
    char text[kTextSize];
  };

  IParam();
  ~IParam();
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  void InitReal(const char* name, double defaultValue, double min, double max, double step,
                const char* label, const Shape& shape, DisplayFunction displayFunction = {});

  // Adds an entry to the value-to-text table (entries keep their order).
  void SetDisplayText(double value, const char* text);

  double GetValue() const { return value_.load(); }
  void SetValue(double real) { value_.store(ClampToRange(real)); }
  void SetNormalizedValue(double normalized);
  double GetNormalizedValue() const { return NormalizedFromReal(GetValue()); }

  double ClampToRange(double real) const;
  double RealFromNormalized(double normalized) const;
  double NormalizedFromReal(double real) const;

  // Display and parsing agree in every process locale: numbers are always
  // shown with a decimal point and no grouping, whatever locale the host has
  // set, and parsing reads a decimal point or a decimal comma (what a user
  // in a comma locale types). Hexadecimal is not a parameter text form:
  // "0x10" reads as its leading decimal number, 0.
  void FormatValueText(double value, bool isNormalized, TextBuffer& out, bool useDisplayTexts = true) const;
  const char* GetUnitLabel() const;
  double ParseValueText(const char* text) const;

  const char* GetName() const { return name_; }
  const char* GetLabel() const { return label_; }
  const char* GetGroup() const { return group_; }
  ParamKind GetKind() const { return type_; }
  std::int32_t GetUnit() const { return unit_; }
  double GetDefault() const { return default_; }
  double GetMin() const { return min_; }
  double GetMax() const { return max_; }
  double GetStep() const { return step_; }
  std::int32_t GetDisplayPrecision() const { return displayPrecision_; }
  std::uint32_t GetFlags() const { return flags_; }
  void SetFlags(std::uint32_t flags) { flags_ = flags; }
  const Shape& GetShape() const { return *shape_; }
  std::size_t GetDisplayTextCount() const { return displayTexts_.size(); }

 private:
  ParamKind type_ = ParamKind::None;
  std::int32_t unit_ = kUnitCustom;
  std::atomic<double> value_{0.0};
  double min_ = 0.0;
  double max_ = 1.0;
  double step_ = 1.0;
  double default_ = 0.0;
  std::int32_t displayPrecision_ = 0;
  std::uint32_t flags_ = 0;
  char name_[kTextSize] = {};
  char label_[kTextSize] = {};
  char group_[kTextSize] = {};
  std::unique_ptr<Shape> shape_;
  DisplayFunction displayFunction_;
  std::vector<DisplayTextEntry> displayTexts_;
};

}  // namespace fx
