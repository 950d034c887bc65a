#include <gtest/gtest.h>

#include "text/Format.h"

using tarnvale::FormatExponent;
using tarnvale::FormatFixed;
using tarnvale::FormatGeneral;

struct FixedCase {
  double value;
  int precision;
  int decimals;
  const char* expected;
};

TEST(FormatFixed, RoundsToSignificantDigitsThenPadsDecimals) {
  const FixedCase cases[] = {
      {123.456, 4, 2, "123.50"},  // the worked example: digits beyond precision are zeros
      {123.456, 3, 0, "123"},
      {123.456, 4, 1, "123.5"},
      {1234.56, 6, 1, "1234.6"},
      {12.3456, 4, 2, "12.35"},
      {157.0 / 117.0, 4, 1, "1.3"},
      {8.6432, 3, 1, "8.6"},
      {-1.0, 4, 1, "-1.0"},
      {-0.04, 3, 1, "0.0"},  // rounds to zero: no minus sign
      {0.0, 2, 0, "0"},
      {0.0, 4, 1, "0.0"},
      {0.06, 3, 1, "0.1"},
      {0.004, 3, 1, "0.0"},
      {59.96, 3, 1, "60.0"},   // seconds that round up to 60
      {9.96, 3, 1, "10.0"},
      {0.125, 3, 2, "0.13"},   // an exact tie rounds away from zero
      {-0.125, 3, 2, "-0.13"},
      {2.675, 4, 2, "2.67"},   // the double lies just below 2.675
      {1.005, 4, 2, "1.00"},   // likewise below 1.005
      {51.35234, 7, 3, "51.352"},
      {151.21, 8, 3, "151.210"},
      {437400.0, 8, 0, "437400"},
  };
  for (const FixedCase& c : cases)
    EXPECT_EQ(FormatFixed(c.value, c.precision, c.decimals), c.expected)
        << c.value << " p=" << c.precision << " d=" << c.decimals;
}

TEST(FormatFixed, UsesScientificWhenIntegerPartExceedsPrecision) {
  EXPECT_EQ(FormatFixed(12345.6, 4, 1), "1.235E4");
  EXPECT_EQ(FormatFixed(1234.4, 3, 0), "1.23E3");
  EXPECT_EQ(FormatFixed(-1234.4, 3, 0), "-1.23E3");
  // Rounding that adds a digit to the integer part switches form too.
  EXPECT_EQ(FormatFixed(999.7, 3, 0), "1E3");
  EXPECT_EQ(FormatFixed(999.4, 3, 0), "999");
}

TEST(FormatFixed, NonFiniteValuesHaveWords) {
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 4, 1), "NAN");
  EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 4, 1), "-INF");
}

TEST(FormatGeneral, ShortestOfPlainAndScientific) {
  const struct {
    double value;
    int precision;
    const char* expected;
  } cases[] = {
      {50.0, 5, "50"},
      {0.0001, 5, "0.0001"},
      {0.00001, 5, "0.00001"},  // scientific only below 0.00001
      {0.0000099, 5, "9.9E-6"},
      {1.5e-7, 2, "1.5E-7"},
      {10.368, 5, "10.368"},
      {40.0, 5, "40"},
      {-2.5, 3, "-2.5"},
      {123456.0, 5, "1.2346E5"},
      {12345.0, 5, "12345"},
      {1.0 / 3.0, 4, "0.3333"},
      {0.0, 5, "0"},
      {2.0e10, 4, "2E10"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatGeneral(c.value, c.precision), c.expected) << c.value;
}

TEST(FormatExponent, SignedExponentWithMinimumDigits) {
  EXPECT_EQ(FormatExponent(5e-7, 3, 1), "5.00E-7");
  EXPECT_EQ(FormatExponent(1.25e7, 5, 3), "1.2500E+007");
  EXPECT_EQ(FormatExponent(-3.0e-9, 2, 0), "-3.0E-9");
}
