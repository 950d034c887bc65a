// The texts of the result labels and the profile table on the cases a user
// meets: no data at an end, feet, losses with the gaseous loss, miles, and
// ground below sea level.
#include <gtest/gtest.h>

#include <string>

#include "session/ResultText.h"

using namespace tarnvale::text;

TEST(ResultText, GroundHeightAtAnEnd) {
  struct Case {
    int height;
    bool metric;
    const char* text;
  };
  const Case cases[] = {
      {-32767, true, "Sea or missing data"}, {-9999, true, "Sea or missing data"},
      {-9999, false, "Sea or missing data"}, {-9998, true, "ASL -9998 m"},
      {0, true, "ASL 0 m"},                  {0, false, "ASL 0 ft"},
      {123, true, "ASL 123 m"},              {123, false, "ASL 404 ft"},  // 403.54 ft
      {-5, false, "ASL -16 ft"},             // floor(-16.40 + 0.5)
      {8848, false, "ASL 29029 ft"},         // 29028.87 ft
  };
  for (const Case& c : cases) EXPECT_EQ(GroundHeightText(c.height, c.metric), c.text) << c.height << " " << c.metric;
}

TEST(ResultText, LossesIncludeTheGaseousLossAndShowNoDecimals) {
  struct Case {
    double model, gas;
    const char* text;
  };
  const Case cases[] = {
      {123.4, 0.6, "Line of sight loss 124 dB"},  // 123.4 dB + 0.6 dB of gas
      {123.4, 0.04, "Line of sight loss 123 dB"},
      {149.6, 0.3, "Line of sight loss 150 dB"},
      {99.7, 0.0, "Line of sight loss 100 dB"},
      {143.12146491792143, 0.4574210716450146, "Line of sight loss 144 dB"},  // the default path
  };
  for (const Case& c : cases) EXPECT_EQ(LossText("Line of sight loss", c.model, c.gas), c.text) << c.model;
  EXPECT_EQ(GasLossText(0.4574210716450146), "Gaseous Loss 0.5 dB");
  EXPECT_EQ(GasLossText(12.25), "Gaseous Loss 12.3 dB");
  // P.452-18 holds its gaseous loss within each loss; none before it has run.
  EXPECT_EQ(P452GasLossText(12.25), "Gaseous Loss 12.3 dB (within each loss)");
  EXPECT_EQ(P452GasLossText(std::nullopt), "Gaseous Loss -");
  EXPECT_EQ(WaterVapourText(std::optional<double>(9.04)), "9.0 g/m3");
  EXPECT_EQ(WaterVapourText(std::nullopt), "-");
  EXPECT_EQ(OneDecimal(1.979013750546147, 3, " %"), "2.0 %");
  EXPECT_EQ(OneDecimal(-1.0, 4, " km"), "-1.0 km");
  EXPECT_EQ(OneDecimal(32.989691733145605, 4, " km"), "33.0 km");
}

TEST(ResultText, ProfileTableLines) {
  EXPECT_EQ(ProfileTableHeader(true), "meters");
  EXPECT_EQ(ProfileTableHeader(false), "Range (m)  Height (ft)");
  struct Case {
    double distKm, heightM;
    bool metric;
    const char* text;
  };
  constexpr double kKmPerMile = 1.0 / 0.6213881811967936552;
  const Case cases[] = {
      {1.25, 87.4, true, "1250, 87"},
      {1.25, 87.5, true, "1250, 88"},
      // Below sea level the height is rounded by truncating h + 0.5 toward zero.
      {0.0, -100.7, true, "0, -100"},
      {0.0, -1.5, true, "0, -1"},
      {0.0, -0.7, true, "0, 0"},
      {0.0, -0.3, true, "0, 0"},
      // Miles with at most four significant digits and two decimals, then ten spaces.
      {12.3456 * kKmPerMile, 100.0, false, "12.35          328"},
      {123.456 * kKmPerMile, 100.0, false, "123.50          328"},
      {0.78 * kKmPerMile, 86.9, false, "0.78          285"},
      {0.0, -10.0, false, "0.00          -32"},  // -32.81 ft + 0.5 toward zero
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProfileTableLine(c.distKm, c.heightM, c.metric), c.text) << c.distKm << " " << c.heightM;
}
