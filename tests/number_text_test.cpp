// Numbers as text: the documented examples, and random single-precision values against a
// second formatter that builds the text from the decimal digits instead of printf's layouts.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <random>

#include "text/number_text.h"

namespace {

TEST(NumberText, Examples) {
  EXPECT_EQ(Text_FromNumber(0.0f), " 0");
  EXPECT_EQ(Text_FromNumber(-0.0f), " 0");
  EXPECT_EQ(Text_FromNumber(3.0f), " 3");
  EXPECT_EQ(Text_FromNumber(-3.0f), "-3");
  EXPECT_EQ(Text_FromNumber(65.0f), " 65");
  EXPECT_EQ(Text_FromNumber(1000000.0f), " 1000000");
  EXPECT_EQ(Text_FromNumber(1234567.0f), " 1234567");
  EXPECT_EQ(Text_FromNumber(12345678.0f), " 1.234568E+07");
  EXPECT_EQ(Text_FromNumber(10000000.0f), " 1E+07");
  EXPECT_EQ(Text_FromNumber(-2.25f), "-2.25");
  EXPECT_EQ(Text_FromNumber(0.5f), " .5");
  EXPECT_EQ(Text_FromNumber(-0.5f), "-.5");
  EXPECT_EQ(Text_FromNumber(1.0f / 3.0f), " .3333333");
  EXPECT_EQ(Text_FromNumber(2.0f / 3.0f), " .6666667");
  EXPECT_EQ(Text_FromNumber(0.1f), " .1");
  EXPECT_EQ(Text_FromNumber(0.00001f), " .00001");
  EXPECT_EQ(Text_FromNumber(0.00000001f), " 1E-08");
  EXPECT_EQ(Text_FromNumber(1.5e10f), " 1.5E+10");
}

TEST(NumberText, EdgesOfTheFixedPointRange) {
  EXPECT_EQ(Text_FromNumber(9999999.0f), " 9999999");
  EXPECT_EQ(Text_FromNumber(-1.25e-7f), "-1.25E-07");
  EXPECT_EQ(Text_FromNumber(1e-7f), " .0000001");
  EXPECT_EQ(Text_FromNumber(1.2e-7f), " 1.2E-07");
  EXPECT_EQ(Text_FromNumber(std::numeric_limits<float>::max()), " 3.402823E+38");
  EXPECT_EQ(Text_FromNumber(std::numeric_limits<float>::denorm_min()), " 1.401298E-45");
  EXPECT_EQ(Text_FromNumber(0.99999994f), " .9999999");
  EXPECT_EQ(Text_FromNumber(9999999.5f), " 1E+07");
}

TEST(NumberText, NonFiniteValuesDoNotBreakTheFormatter) {
  EXPECT_EQ(Text_FromNumber(std::numeric_limits<float>::infinity()), " INF");
  EXPECT_EQ(Text_FromNumber(-std::numeric_limits<float>::infinity()), "-INF");
}

// From the rules in words: seven significant digits rounded once; s of them count after
// dropping trailing zeros; fixed-point when e <= 6 and e - s >= -8, with no "0" before the
// point; otherwise d.dddE+xx.
std::string reference(float value) {
  double v = value;
  char digits[64];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, std::fabs(v), std::chars_format::scientific, 6);
  std::string sci(digits, end);  // "d.ddddddE+xx"
  std::string mantissa = sci.substr(0, 1) + sci.substr(2, 6);
  int exponent = std::stoi(sci.substr(sci.find('e') + 1));
  while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
  int s = static_cast<int>(mantissa.size());
  if (s == 0) return " 0";
  std::string text = v < 0 ? "-" : " ";
  if (exponent <= 6 && exponent - s >= -8) {
    if (exponent >= 0) {
      for (int i = 0; i <= exponent; i++) text += i < s ? mantissa[i] : '0';
      if (s > exponent + 1) text.append(".").append(mantissa, exponent + 1);
    } else {
      text.append(".").append(static_cast<size_t>(-exponent - 1), '0').append(mantissa);
    }
    return text;
  }
  text += mantissa[0];
  if (s > 1) text.append(".").append(mantissa, 1);
  char tail[16];
  std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return text + tail;
}

TEST(NumberText, RandomValuesAgreeWithASecondFormatter) {
  std::mt19937 random(20240611);
  int mismatches = 0;
  auto check = [&](float value) {
    if (!std::isfinite(value)) return;
    std::string got = Text_FromNumber(value), want = reference(value);
    if (got != want && ++mismatches <= 10) ADD_FAILURE() << value << ": " << got << " vs " << want;
  };
  for (int i = 0; i < 200000; i++) check(std::bit_cast<float>(static_cast<uint32_t>(random())));
  for (int i = 0; i < 50000; i++) check(static_cast<float>(static_cast<int32_t>(random() % 40000000) - 20000000));
  for (int i = 0; i < 20000; i++) check(std::bit_cast<float>(static_cast<uint32_t>(random() % 0x800000u)));
  for (int i = 0; i < 20000; i++) check(static_cast<float>(random() % 1000000) / 100.0f);
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
