// Numbers, lengths and colours as attribute text spells them, also under a
// process locale with a decimal comma.

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

#include "SvgTestSupport.h"
#include "graphics/svg/SvgColour.h"
#include "graphics/svg/SvgNumber.h"

namespace svg_test {
namespace {

// Every number of text, as far as they are numbers.
std::vector<double> Numbers(std::string_view text) {
  std::vector<double> out;
  std::size_t pos = 0;
  SkipSpace(text, pos);
  double v = 0.0;
  while (ScanNumber(text, pos, v)) {
    out.push_back(v);
    SkipCommaSpace(text, pos);
  }
  return out;
}

TEST(SvgNumber, EveryLegalSpelling) {
  EXPECT_EQ(Numbers("1 -2 +3 .5 -.5 +.5 7. 1e3 1E+2 1e-3 2.5e1"),
            (std::vector<double>{1, -2, 3, 0.5, -0.5, 0.5, 7, 1000, 100, 0.001, 25}));
  EXPECT_EQ(Numbers(".5.5"), (std::vector<double>{0.5, 0.5}));
  EXPECT_EQ(Numbers("-1-2"), (std::vector<double>{-1, -2}));
  EXPECT_EQ(Numbers("1,2 , 3"), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(Numbers("0.1"), (std::vector<double>{0.1}));
  EXPECT_EQ(Numbers("123456789.125"), (std::vector<double>{123456789.125}));
  EXPECT_EQ(Numbers("0.000001"), (std::vector<double>{0.000001}));
}

TEST(SvgNumber, WhatIsNotANumber) {
  double v = 42.0;
  std::size_t pos = 0;
  for (std::string_view bad : {"", ".", "-", "+.", "e5", "nan", "NaN", "inf", "-inf", "Infinity", "x1"}) {
    pos = 0;
    EXPECT_FALSE(ScanNumber(bad, pos, v)) << bad;
    EXPECT_EQ(pos, 0u) << bad;
  }
  EXPECT_EQ(v, 42.0);
  // An exponent without digits is not part of the number.
  pos = 0;
  ASSERT_TRUE(ScanNumber("2e+", pos, v));
  EXPECT_EQ(v, 2.0);
  EXPECT_EQ(pos, 1u);
  EXPECT_FALSE(ParseNumber("2e", v));
  EXPECT_FALSE(ParseNumber("1 2", v));
  EXPECT_TRUE(ParseNumber("  -4.5 ", v));
  EXPECT_EQ(v, -4.5);
}

TEST(SvgNumber, HugeTinyAndLongNumbers) {
  double v = 0.0;
  EXPECT_FALSE(ParseNumber("1e31", v));
  EXPECT_FALSE(ParseNumber("1e39", v));
  EXPECT_FALSE(ParseNumber("-1e308", v));
  EXPECT_FALSE(ParseNumber("1e999999999999999999999", v));
  EXPECT_FALSE(ParseNumber(std::string(400, '9'), v));
  ASSERT_TRUE(ParseNumber("1e30", v));
  EXPECT_EQ(v, 1e30);
  ASSERT_TRUE(ParseNumber("1e-999999999999", v));
  EXPECT_EQ(v, 0.0);
  ASSERT_TRUE(ParseNumber("0." + std::string(500, '0') + "1", v));
  EXPECT_EQ(v, 0.0);
  // Digits past the nineteenth only move the exponent.
  ASSERT_TRUE(ParseNumber("12345678901234567890123", v));
  EXPECT_NEAR(v, 1.2345678901234567e22, 1e8);
  ASSERT_TRUE(ParseNumber("0." + std::string(30, '3'), v));
  EXPECT_NEAR(v, 1.0 / 3.0, 1e-15);
  ASSERT_TRUE(ParseNumber("000000000000000000000000000001.5", v));
  EXPECT_EQ(v, 1.5);
}

TEST(SvgNumber, Lengths) {
  SvgLength l;
  ASSERT_TRUE(ParseLength("12", l));
  EXPECT_EQ(l.value, 12.0);
  EXPECT_FALSE(l.percent);
  ASSERT_TRUE(ParseLength(" 12px ", l));
  EXPECT_EQ(l.value, 12.0);
  ASSERT_TRUE(ParseLength("50%", l));
  EXPECT_EQ(l.value, 50.0);
  EXPECT_TRUE(l.percent);
  ASSERT_TRUE(ParseLength("1in", l));
  EXPECT_EQ(l.value, 96.0);
  ASSERT_TRUE(ParseLength("72pt", l));
  EXPECT_EQ(l.value, 96.0);
  ASSERT_TRUE(ParseLength("25.4mm", l));
  EXPECT_NEAR(l.value, 96.0, 1e-12);
  EXPECT_FALSE(ParseLength("12 px", l));
  EXPECT_FALSE(ParseLength("2em", l));
  EXPECT_FALSE(ParseLength("px", l));
  double v = 0.0;
  ASSERT_TRUE(ParseLength("25%", 200.0, v));
  EXPECT_EQ(v, 50.0);
}

TEST(SvgColour, HexFunctionalAndNamed) {
  IArgb c;
  ASSERT_TRUE(ParseColour("#f80", c));
  EXPECT_EQ(c, (IArgb{255, 255, 136, 0}));
  ASSERT_TRUE(ParseColour("#1A2b3C", c));
  EXPECT_EQ(c, (IArgb{255, 0x1A, 0x2B, 0x3C}));
  ASSERT_TRUE(ParseColour("rgb(10, 20,30)", c));
  EXPECT_EQ(c, (IArgb{255, 10, 20, 30}));
  ASSERT_TRUE(ParseColour("rgb(100%, 50%, 0%)", c));
  EXPECT_EQ(c, (IArgb{255, 255, 128, 0}));
  ASSERT_TRUE(ParseColour("RGB( 300 , -5 , 255 )", c));
  EXPECT_EQ(c, (IArgb{255, 255, 0, 255}));
  ASSERT_TRUE(ParseColour("rgba(0, 0, 255, 0.5)", c));
  EXPECT_EQ(c, (IArgb{128, 0, 0, 255}));
  ASSERT_TRUE(ParseColour("orange", c));
  EXPECT_EQ(c, (IArgb{255, 255, 165, 0}));
  ASSERT_TRUE(ParseColour("Grey", c));
  EXPECT_EQ(c, (IArgb{255, 128, 128, 128}));
  ASSERT_TRUE(ParseColour("gray", c));
  EXPECT_EQ(c, (IArgb{255, 128, 128, 128}));
  // The sixteen basic colours.
  const std::pair<const char*, IArgb> basic[] = {
      {"black", {255, 0, 0, 0}},       {"silver", {255, 192, 192, 192}}, {"gray", {255, 128, 128, 128}},
      {"white", {255, 255, 255, 255}}, {"maroon", {255, 128, 0, 0}},     {"red", {255, 255, 0, 0}},
      {"purple", {255, 128, 0, 128}},  {"fuchsia", {255, 255, 0, 255}},  {"green", {255, 0, 128, 0}},
      {"lime", {255, 0, 255, 0}},      {"olive", {255, 128, 128, 0}},    {"yellow", {255, 255, 255, 0}},
      {"navy", {255, 0, 0, 128}},      {"blue", {255, 0, 0, 255}},       {"teal", {255, 0, 128, 128}},
      {"aqua", {255, 0, 255, 255}}};
  for (const auto& [name, colour] : basic) {
    ASSERT_TRUE(ParseColour(name, c)) << name;
    EXPECT_EQ(c, colour) << name;
  }
}

TEST(SvgColour, WhatIsNotAColour) {
  IArgb c{1, 2, 3, 4};
  for (std::string_view bad : {"", "#", "#12", "#1234", "#12345g", "rgb(1,2)", "rgb(1,2,3,4)", "rgb(1 2 3)",
                               "rgb(1,2,3", "hsl(0,0%,0%)", "reddish", "none", "currentColor", "url(#a)"})
    EXPECT_FALSE(ParseColour(bad, c)) << bad;
  EXPECT_EQ(c, (IArgb{1, 2, 3, 4}));
}

// Sets a process locale with a decimal comma for one test and restores the
// previous one; the host may have set any locale before loading us.
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

 private:
  std::string previous_;
  std::string name_;
};

TEST(SvgNumber, ReadsTheSameUnderADecimalCommaLocale) {
  CommaLocale locale;
  // scripts/install-deps.sh generates de_DE.UTF-8.
  ASSERT_FALSE(locale.Name().empty()) << "no German locale available";
  ASSERT_EQ(*std::localeconv()->decimal_point, ',');
  EXPECT_EQ(Numbers("1.5 .25 2,5"), (std::vector<double>{1.5, 0.25, 2, 5}));
  const SvgImage image = Read(
      "<svg width='10.5' height='20.25' viewBox='0 0 10.5 20.25'>"
      "<path d='M.5.5L1.5e1 2.25' stroke-width='0.5' stroke='rgb(50%,0%,0%)' transform='scale(1.5)'/></svg>");
  EXPECT_EQ(image.width, 10.5f);
  EXPECT_EQ(image.height, 20.25f);
  ASSERT_EQ(image.shapes.size(), 1u);
  EXPECT_EQ(image.shapes[0].path, (SvgPath{M(0.75f, 0.75f), L(22.5f, 3.375f)}));
  EXPECT_EQ(image.shapes[0].strokeWidth, 0.75f);
  EXPECT_EQ(image.shapes[0].stroke.colour, (IArgb{255, 128, 0, 0}));
}

}  // namespace
}  // namespace svg_test
