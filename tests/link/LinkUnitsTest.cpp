#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "link/LinkConstants.h"
#include "link/LinkUnits.h"

using namespace tarnvale;

namespace {

struct PowerCase {
  const char* text;
  double dBm;
};

}  // namespace

TEST(LinkUnits, PowerTextsInEveryUnit) {
  // Exact decibel values of round powers (tolerance 1e-12 dB).
  const PowerCase cases[] = {
      {"10W", 40.0},        {"10 W", 40.0},       {"1w", 30.0},          {" 2.5 W ", 30.0 + 10.0 * std::log10(2.5)},
      {"500mW", 26.989700043360187}, {"1 mW", 0.0}, {"1.5 kW", 30.0 + 10.0 * std::log10(1500.0)},
      {"40dBm", 40.0},      {"-3 dBW", 27.0},     {"+7 dbm", 7.0},       {"0 DBW", 30.0},
      {"1e-3W", 0.0},
  };
  for (const PowerCase& c : cases) {
    double dBm = -999.0;
    std::string error;
    ASSERT_TRUE(ParsePower(c.text, dBm, &error)) << c.text << ": " << error;
    EXPECT_NEAR(dBm, c.dBm, 1e-12) << c.text;
  }
}

TEST(LinkUnits, PowerTextsRefusedWithAReason) {
  for (const char* text : {"", "10", "W", "10 MW", "10 watts", "0 W", "-1 W", "10 dB", "nan W", "inf dBm", "1e400 W",
                           "10 W W"}) {
    double dBm = 12.5;
    std::string error;
    EXPECT_FALSE(ParsePower(text, dBm, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
    EXPECT_EQ(dBm, 12.5) << text << " must leave the value untouched";
  }
}

TEST(LinkUnits, WattsAndDbmBothWays) {
  EXPECT_DOUBLE_EQ(WattsFromDbm(40.0), 10.0);
  EXPECT_DOUBLE_EQ(WattsFromDbm(0.0), 1e-3);
  EXPECT_DOUBLE_EQ(WattsFromDbm(30.0), 1.0);
  EXPECT_DOUBLE_EQ(DbmFromWatts(1e-3), 0.0);
  for (double w : {1e-9, 0.5, 1.0, 7.3, 250.0, 1e5}) EXPECT_NEAR(WattsFromDbm(DbmFromWatts(w)) / w, 1.0, 1e-14);
}

TEST(LinkUnits, DipoleAndIsotropicGains) {
  EXPECT_DOUBLE_EQ(DbiFromDbd(0.0), 2.15);
  EXPECT_DOUBLE_EQ(DbiFromDbd(15.35), 17.5);
  EXPECT_DOUBLE_EQ(DbdFromDbi(17.5), 15.35);
  // The half-wave dipole's directivity is 1.64 (10 log10 1.64 = 2.148 dB).
  EXPECT_NEAR(link::kDipoleGainDbi, 10.0 * std::log10(1.64), 0.005);

  const struct {
    const char* text;
    double dBi;
  } cases[] = {{"14", 14.0}, {"14 dBi", 14.0}, {"14dBI", 14.0}, {"11.85dBd", 14.0}, {"-2 dBd", 0.15}};
  for (const auto& c : cases) {
    double dBi = 0.0;
    ASSERT_TRUE(ParseGain(c.text, dBi)) << c.text;
    EXPECT_NEAR(dBi, c.dBi, 1e-12) << c.text;
  }
  double dBi = 3.0;
  std::string error;
  EXPECT_FALSE(ParseGain("14 dB", dBi, &error));
  EXPECT_FALSE(ParseGain("dBi", dBi, &error));
  EXPECT_EQ(dBi, 3.0);
}

TEST(LinkUnits, WattsForDisplay) {
  const struct {
    double watts;
    const char* text;
  } cases[] = {{10.0, "10 W"}, {0.5, "500 mW"}, {1500.0, "1.5 kW"}, {2e-5, "20 uW"}, {0.99996, "1 W"},
               {0.0, "0 W"},   {-1.0, "-"},     {NAN, "-"},         {1.0, "1 W"},   {3.16227766, "3.162 W"}};
  for (const auto& c : cases) EXPECT_EQ(FormatWatts(c.watts), c.text) << c.watts;
}
