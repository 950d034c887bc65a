// Which fields an action insists on, and the unit switch of a typed range.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "session/InputLimits.h"
#include "session/ResultText.h"
#include "session/Session.h"

namespace tarnvale {
namespace {

using Names = std::vector<std::string_view>;

TEST(FieldsToCheck, PageOrderWithTheFieldsThatAreInUse) {
  EXPECT_EQ(FieldsToCheck(kByLocation, false),
            (Names{"FREQ", "TX_H", "RX_H", "Percent", "TEMPERATURE", "PRESSURE", "RH"}));
  EXPECT_EQ(FieldsToCheck(kByRangeBearing, false),
            (Names{"Range", "Bearing", "FREQ", "TX_H", "RX_H", "Percent", "TEMPERATURE", "PRESSURE", "RH"}));
  EXPECT_EQ(FieldsToCheck(kByLocation, true),
            (Names{"FREQ", "TX_H", "RX_H", "Percent", "K_FACT", "TEMPERATURE", "PRESSURE", "RH"}));
  // The Model group's fields follow under P.452-18, its coastal distances
  // only when given.
  EXPECT_EQ(FieldsToCheck(kByLocation, false, true),
            (Names{"FREQ", "TX_H", "RX_H", "Percent", "TEMPERATURE", "PRESSURE", "RH", "CLUTTER_H"}));
  EXPECT_EQ(FieldsToCheck(kByLocation, false, true, true),
            (Names{"FREQ", "TX_H", "RX_H", "Percent", "TEMPERATURE", "PRESSURE", "RH", "CLUTTER_H", "DCT_KM",
                   "DCR_KM"}));
  EXPECT_EQ(FieldsToCheck(kByLocation, false, false, true), FieldsToCheck(kByLocation, false));
}

TEST(RangeInUnits, ASwitchThereAndBackKeepsTheDistance) {
  EXPECT_NEAR(text::RangeInUnits(16.25, false), 16.25 / 1.6093, 1e-12);
  EXPECT_NEAR(text::RangeInUnits(10.0, true), 16.093, 1e-12);
  for (double km : {0.1, 0.3, 16.25, 998.9, 3000.0})
    EXPECT_NEAR(text::RangeInUnits(text::RangeInUnits(km, false), true), km, 1e-12 * km);
}

TEST(RangeLimits, OneDecimalAsARunWritesIt) {
  EXPECT_EQ(kRangeLimits.decimals, 1);
  EXPECT_EQ(kRangeLimits.min, 0.1);
}

}  // namespace
}  // namespace tarnvale
