#include "base/numbers.h"

#include <gtest/gtest.h>

#include <cfenv>

namespace {

TEST(Round2Test, HalvesGoToEven) {
  // x*100 is exactly n.5 for all of these.
  EXPECT_EQ(base::round2(0.125), 0.12);
  EXPECT_EQ(base::round2(0.135), 0.14);
  EXPECT_EQ(base::round2(0.375), 0.38);
  EXPECT_EQ(base::round2(0.625), 0.62);
  EXPECT_EQ(base::round2(0.025), 0.02);  // 2.5 hundredths
  EXPECT_EQ(base::round2(0.015), 0.02);  // 1.5
  EXPECT_EQ(base::round2(2.675), 2.68);
  EXPECT_EQ(base::round2(-0.125), -0.12);
  EXPECT_EQ(base::round2(-0.375), -0.38);
}

TEST(Round2Test, UsesTheDoubleAsGiven) {
  // Not the decimal text: x*100 lands just off the half.
  EXPECT_EQ(base::round2(0.545), 0.55);  // 54.50000000000001
  EXPECT_EQ(base::round2(0.575), 0.57);  // 57.49999999999999
  EXPECT_EQ(base::round2(1.255), 1.25);
  EXPECT_EQ(base::round2(0.035), 0.04);  // 3.5000000000000004
  // 100.085 is stored as 100.08499999..., but x*100 rounds to 10008.5.
  EXPECT_EQ(base::round2(100.085), 100.08);
  EXPECT_EQ(base::round2(50 * 1029.619833 / 514.4015941), 100.08);
  EXPECT_EQ(base::round2(51440.16 / 514.4015941), 100.0);
  EXPECT_EQ(base::round2(12.0), 12.0);
}

TEST(Round2Test, IgnoresAndKeepsTheRoundingMode) {
  ASSERT_EQ(std::fesetround(FE_UPWARD), 0);
  const double r = base::round2(0.125);
  const int mode = std::fegetround();
  std::fesetround(FE_TONEAREST);
  EXPECT_EQ(r, 0.12);
  EXPECT_EQ(mode, FE_UPWARD);
}

TEST(FmtTest, ShortestFixedPointText) {
  EXPECT_EQ(base::fmt(50), "50");
  EXPECT_EQ(base::fmt(12.5), "12.5");
  EXPECT_EQ(base::fmt(0.35), "0.35");
  EXPECT_EQ(base::fmt(100.08), "100.08");
  EXPECT_EQ(base::fmt(-12.5), "-12.5");
  EXPECT_EQ(base::fmt(51440.16), "51440.16");
  EXPECT_EQ(base::fmt(0.00001), "0.00001");
  EXPECT_EQ(base::fmt(0.1 + 0.2), "0.3");  // 15 digits hide the binary error
}

TEST(FmtTest, FifteenSignificantDigitsAtMost) {
  EXPECT_EQ(base::fmt(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(base::fmt(2.0 / 3), "0.666666666666667");
  EXPECT_EQ(base::fmt(1456.366025), "1456.366025");
  EXPECT_EQ(base::fmt(123456789012345678.0), "123456789012346000");
}

TEST(FmtTest, NoExponentAndNoNegativeZero) {
  EXPECT_EQ(base::fmt(1e20), "100000000000000000000");
  EXPECT_EQ(base::fmt(1.5e-7), "0.00000015");
  EXPECT_EQ(base::fmt(-0.0), "0");
  EXPECT_EQ(base::fmt(base::round2(-0.001)), "0");
}

TEST(ParseNumberTest, AcceptsWhatTheUserTypes) {
  EXPECT_EQ(base::tryParseNumber("1"), 1.0);
  EXPECT_EQ(base::tryParseNumber(" 2.5 "), 2.5);
  EXPECT_EQ(base::tryParseNumber("\t-0.5"), -0.5);
  EXPECT_EQ(base::tryParseNumber("+3"), 3.0);
  EXPECT_EQ(base::tryParseNumber("1e3"), 1000.0);
  EXPECT_EQ(base::tryParseNumber("1.5E-2"), 0.015);
  EXPECT_EQ(base::tryParseNumber(".5"), 0.5);
  EXPECT_EQ(base::tryParseNumber("5."), 5.0);
}

TEST(ParseNumberTest, RefusesEverythingElse) {
  for (const char* s : {"", "  ", "abc", "1,5", "1e", "e3", "1 2", "--1", "+-1", ".", "-", "inf",
                        "nan", "0x10", "１２", "12abc", "1e999"})
    EXPECT_EQ(base::tryParseNumber(s), std::nullopt) << s;
}

TEST(ParseNumberTest, ErrorMessageNamesTheText) {
  EXPECT_EQ(base::parseNumber("1e3"), 1000.0);
  try {
    base::parseNumber("abc");
    FAIL();
  } catch (const base::ConversionError& e) {
    EXPECT_STREQ(e.what(), "'abc' は浮動小数点数ではありません");
  }
  EXPECT_THROW(base::parseNumber(""), base::ConversionError);
}

TEST(ParseIntTest, WholeNumbersOnly) {
  EXPECT_EQ(base::tryParseInt("42"), 42);
  EXPECT_EQ(base::tryParseInt(" -7 "), -7);
  EXPECT_EQ(base::tryParseInt("+5"), 5);
  EXPECT_EQ(base::tryParseInt("-9223372036854775808"), INT64_MIN);
  for (const char* s : {"", "-", "+-5", "1.0", "12abc", "1e3", "99999999999999999999"})
    EXPECT_EQ(base::tryParseInt(s), std::nullopt) << s;
}

}  // namespace
