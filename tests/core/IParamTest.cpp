#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "core/IParam.h"

namespace {

using fx::IParam;

const IParam::ShapeLinear kLinear;

TEST(IParam, ConstructionValues) {
  IParam p;
  EXPECT_EQ(p.GetKind(), fx::ParamKind::None);
  EXPECT_EQ(p.GetUnit(), 21);
  EXPECT_EQ(p.GetValue(), 0.0);
  EXPECT_EQ(p.GetMin(), 0.0);
  EXPECT_EQ(p.GetMax(), 1.0);
  EXPECT_EQ(p.GetStep(), 1.0);
  EXPECT_STREQ(p.GetName(), "");
  EXPECT_EQ(p.GetShape().GetCurveKind(), 0);
}

TEST(IParam, InitRealSetsRangeDefaultAndPrecision) {
  IParam p;
  p.InitReal("Drive", 12.0, 0.0, 100.0, 0.01, "%", kLinear);
  EXPECT_EQ(p.GetKind(), fx::ParamKind::Real);
  EXPECT_EQ(p.GetValue(), 12.0);
  EXPECT_EQ(p.GetDefault(), 12.0);
  EXPECT_EQ(p.GetDisplayPrecision(), 2);
  EXPECT_STREQ(p.GetLabel(), "%");
  EXPECT_STREQ(p.GetGroup(), "");

  IParam degenerate;
  degenerate.InitReal("x", 0.0, 0.0, 0.0, 1.0, "", kLinear);
  EXPECT_EQ(degenerate.GetMax(), 1.0);  // max raised to min + step

  const struct {
    double step;
    int precision;
  } cases[] = {{1.0, 0}, {0.5, 1}, {0.1, 1}, {0.25, 2}, {0.01, 2}, {0.001, 3}, {1e-9, 6}, {0.0, 0}};
  for (const auto& c : cases) {
    IParam q;
    q.InitReal("q", 0.0, 0.0, 10.0, c.step, "", kLinear);
    EXPECT_EQ(q.GetDisplayPrecision(), c.precision) << "step " << c.step;
  }
}

TEST(IParam, NamesLongerThanTheFieldAreCut) {
  IParam p;
  p.InitReal("A parameter name that is far too long for the field", 0.0, 0.0, 1.0, 0.1,
             "a label that is also much too long to fit", kLinear);
  EXPECT_EQ(std::strlen(p.GetName()), 31u);
  EXPECT_EQ(std::strlen(p.GetLabel()), 31u);
}

TEST(IParam, NormalisationFollowsTheLinearShapeAndStaysInRange) {
  IParam p;
  p.InitReal("Gain", 32.0, 0.0, 200.0, 0.01, "%", kLinear);
  p.SetNormalizedValue(0.5);
  EXPECT_EQ(p.GetValue(), 100.0);
  p.SetNormalizedValue(1.5);
  EXPECT_EQ(p.GetValue(), 200.0);
  EXPECT_EQ(p.GetNormalizedValue(), 1.0);
  p.SetNormalizedValue(-0.25);
  EXPECT_EQ(p.GetValue(), 0.0);
  EXPECT_EQ(p.GetNormalizedValue(), 0.0);
  EXPECT_DOUBLE_EQ(p.NormalizedFromReal(32.0), 0.16);
  EXPECT_EQ(p.NormalizedFromReal(1e9), 1.0);
  EXPECT_EQ(p.RealFromNormalized(0.25), 50.0);
}

TEST(IParam, NanFromBrokenHostsNeverReachesTheValue) {
  IParam p;
  p.InitReal("Gain", 32.0, 10.0, 200.0, 0.01, "%", kLinear);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  p.SetNormalizedValue(nan);
  EXPECT_EQ(p.GetValue(), 10.0);
  p.SetValue(nan);
  EXPECT_EQ(p.GetValue(), 10.0);
  p.SetValue(std::numeric_limits<double>::infinity());
  EXPECT_EQ(p.GetValue(), 200.0);
  EXPECT_EQ(p.ParseValueText("nan"), 10.0);
  EXPECT_EQ(p.ParseValueText("-inf"), 10.0);
  EXPECT_EQ(p.ParseValueText("1e999"), 200.0);
  EXPECT_EQ(p.ParseValueText("1e-999"), 10.0);
}

TEST(IParam, SteppedValuesSnapHalvesAwayFromZero) {
  IParam p;
  p.InitReal("Steps", 0.0, -10.0, 10.0, 0.5, "", kLinear);
  p.SetFlags(fx::kParamStepped);
  EXPECT_EQ(p.ClampToRange(1.3), 1.5);
  EXPECT_EQ(p.ClampToRange(1.2), 1.0);
  EXPECT_EQ(p.ClampToRange(-1.25), -1.5);
  EXPECT_EQ(p.ClampToRange(99.0), 10.0);
}

std::string Format(const IParam& p, double v, bool normalized = false) {
  fx::TextBuffer out;
  p.FormatValueText(v, normalized, out);
  return std::string(out.View());
}

TEST(IParam, DisplayTextsFollowPrecisionSignAndRounding) {
  IParam p;
  p.InitReal("P", 0.0, -100.0, 100.0, 0.01, "", kLinear);
  EXPECT_EQ(Format(p, 12.3456), "12.35");
  EXPECT_EQ(Format(p, -0.0), "0.00");
  EXPECT_EQ(Format(p, 0.5, true), "0.00");  // normalised 0.5 of -100..100

  IParam whole;
  whole.InitReal("W", 0.0, -10.0, 10.0, 1.0, "", kLinear);
  EXPECT_EQ(Format(whole, 2.5), "3");
  EXPECT_EQ(Format(whole, -2.5), "-3");
  EXPECT_EQ(Format(whole, -0.4), "0");
  whole.SetFlags(fx::kParamSignedDisplay);
  EXPECT_EQ(Format(whole, 2.0), "2");  // no sign at precision 0
  // Outside the int range: the same digits, cut to 32 characters, no overflow.
  EXPECT_EQ(Format(whole, 1e300), "10000000000000000525047602552044");

  IParam signedP;
  signedP.InitReal("S", 0.0, -1.0, 1.0, 0.1, "", kLinear);
  signedP.SetFlags(fx::kParamSignedDisplay);
  EXPECT_EQ(Format(signedP, 0.5), "+0.5");
  EXPECT_EQ(Format(signedP, 0.0), "0.0");
  EXPECT_EQ(Format(signedP, -0.5), "-0.5");

  IParam negated;
  negated.InitReal("N", 0.0, -10.0, 10.0, 0.1, "", kLinear);
  negated.SetFlags(fx::kParamNegatedDisplay);
  EXPECT_EQ(Format(negated, 2.0), "-2.0");
  EXPECT_EQ(negated.ParseValueText("2"), -2.0);
}

TEST(IParam, DisplayFunctionWinsOverTextsAndNumbers) {
  IParam p;
  p.InitReal("F", 0.0, 0.0, 10.0, 1.0, "Hz", kLinear,
             [](double v, fx::TextBuffer& out) { out.SetFormatted(100, "custom %g %s", v, std::string(60, 'x').c_str()); });
  p.SetDisplayText(3.0, "three");
  const std::string text = Format(p, 3.0);
  EXPECT_EQ(text.rfind("custom 3", 0), 0u);
  EXPECT_EQ(text.size(), 32u);  // cut to the display length
}

TEST(IParam, DisplayTextTableDrivesDisplayLabelAndParsing) {
  IParam p;
  p.InitReal("Mode", 0.0, 0.0, 3.0, 1.0, "dB", kLinear);
  p.SetDisplayText(1.0, "one");
  p.SetDisplayText(2.0, "");
  p.SetDisplayText(2.0, "two, never reached");
  EXPECT_EQ(Format(p, 1.0), "one");
  EXPECT_EQ(Format(p, 2.0), "2");  // an empty first match falls through to the number
  fx::TextBuffer out;
  p.FormatValueText(1.0, false, out, false);
  EXPECT_STREQ(out.Get(), "1");
  p.SetValue(1.0);
  EXPECT_STREQ(p.GetUnitLabel(), "");
  p.SetValue(2.0);
  EXPECT_STREQ(p.GetUnitLabel(), "dB");
  EXPECT_EQ(p.ParseValueText("one"), 1.0);
  EXPECT_EQ(p.ParseValueText("One"), 0.0);  // case-sensitive; no number gives 0
}

TEST(IParam, ParsingReadsTheLeadingNumber) {
  IParam p;
  p.InitReal("P", 50.0, 20.0, 100.0, 0.01, "", kLinear);
  EXPECT_EQ(p.ParseValueText("abc"), 20.0);
  EXPECT_EQ(p.ParseValueText(" 42xyz"), 42.0);
  EXPECT_EQ(p.ParseValueText("\t+55.5 %"), 55.5);
  EXPECT_EQ(p.ParseValueText("1e1"), 20.0);
  EXPECT_EQ(p.ParseValueText("7.5e1"), 75.0);
  EXPECT_EQ(p.ParseValueText(""), 20.0);
  EXPECT_EQ(p.ParseValueText(nullptr), 20.0);
  EXPECT_EQ(p.ParseValueText("--5"), 20.0);
  // Hexadecimal is not a form of parameter text: "0x10" is its leading
  // decimal number, 0 (clamped here to the minimum), never 16.
  EXPECT_EQ(p.ParseValueText("0x10"), 20.0);
  EXPECT_EQ(p.ParseValueText("0X1p6"), 20.0);
  EXPECT_EQ(p.ParseValueText("30x10"), 30.0);
  // A decimal comma is read as the decimal point; a second separator ends
  // the number.
  EXPECT_EQ(p.ParseValueText("42,5"), 42.5);
  EXPECT_EQ(p.ParseValueText("-0,5e2"), 20.0);
  EXPECT_EQ(p.ParseValueText("62,5e0"), 62.5);
  EXPECT_EQ(p.ParseValueText("42,5.5"), 42.5);
  EXPECT_EQ(p.ParseValueText("42.5,5"), 42.5);
}

// Sets a process locale with a decimal comma for one test and restores the
// previous one; the host process may have set any locale before loading us.
class CommaLocale {
 public:
  CommaLocale() {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    previous_ = previous ? previous : "C";
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de-DE", "German_Germany.1252"}) {
      if (std::setlocale(LC_ALL, name)) {
        name_ = name;
        break;
      }
    }
  }
  ~CommaLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  const std::string& Name() const { return name_; }
  char DecimalPoint() const { return *std::localeconv()->decimal_point; }

 private:
  std::string previous_;
  std::string name_;
};

TEST(IParam, DisplayAndParsingAgreeInACommaLocale) {
  CommaLocale locale;
  // scripts/install-deps.sh generates de_DE.UTF-8.
  ASSERT_FALSE(locale.Name().empty()) << "no German locale available";
  ASSERT_EQ(locale.DecimalPoint(), ',') << locale.Name();
  char printed[32];
  std::snprintf(printed, sizeof printed, "%.2f", 32.0);
  ASSERT_STREQ(printed, "32,00");  // what printf-style display would show here

  IParam gain;
  gain.InitReal("Input Gain", 32.0, 0.0, 200.0, 0.01, "%", kLinear);
  EXPECT_EQ(Format(gain, 32.0), "32.00");
  EXPECT_EQ(Format(gain, 12.5), "12.50");
  EXPECT_EQ(gain.ParseValueText("12,5"), 12.5);
  EXPECT_EQ(gain.ParseValueText("12.5"), 12.5);
  IParam signedP;
  signedP.InitReal("S", 0.0, -1.0, 1.0, 0.001, "", kLinear);
  signedP.SetFlags(fx::kParamSignedDisplay);
  EXPECT_EQ(Format(signedP, 0.25), "+0.250");
  IParam whole;
  whole.InitReal("W", 0.0, -1e300, 1e300, 1.0, "", kLinear);
  EXPECT_EQ(Format(whole, 1e300), "10000000000000000525047602552044");

  // Every shown text reads back as the value shown, at every precision.
  for (const double step : {1.0, 0.1, 0.01, 0.001, 0.000001}) {
    IParam p;
    p.InitReal("P", 0.0, -1000.0, 1000.0, step, "", kLinear);
    for (const double v : {-999.875, -1.5, -0.25, 0.0, 0.015, 0.5, 3.14159, 42.42, 999.999}) {
      const std::string shown = Format(p, v);
      EXPECT_EQ(shown.find(','), std::string::npos) << shown;
      EXPECT_EQ(Format(p, p.ParseValueText(shown.c_str())), shown) << "step " << step << " value " << v;
    }
  }
}

}  // namespace
