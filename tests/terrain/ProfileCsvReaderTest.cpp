// Reading a supplied profile with its optional clutter column.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/DataFiles.h"
#include "terrain/ProfileCsv.h"

namespace tarnvale {
namespace {

class ProfileCsvReader : public ::testing::Test {
 protected:
  bool read(const std::string& text, ProfileColumns& columns, std::string& message, ProfileCsvLimits limits = {}) {
    const auto file = dir.path() / "profile.csv";
    std::ofstream(file, std::ios::binary) << text;
    return ReadProfileCsv(file.string(), limits, columns, message);
  }
  test::TempDir dir;
};

TEST_F(ProfileCsvReader, ColumnsAndTheClutterHeader) {
  ProfileColumns c;
  std::string message;
  ASSERT_TRUE(read("dist_km,height_m,zone,clutter_m\r\n12.5,10,1,0\n13,20,2,12.5\n\n13.5,30,,\n14,40\n", c, message))
      << message;
  EXPECT_EQ(c.dist, (std::vector<double>{0, 0.5, 1, 1.5}));  // counted from the first sample
  EXPECT_EQ(c.height, (std::vector<double>{10, 20, 30, 40}));
  EXPECT_EQ(c.zone, (std::vector<std::uint8_t>{1, 2, 3, 3}));  // a missing zone is inland
  EXPECT_EQ(c.clutter, (std::vector<double>{0, 12.5, 0, 0}));
  // Without a header naming it, a 4th column (the profile command's earth bulge) is no clutter.
  ASSERT_TRUE(read("dist_km,height_m,zone,curvature_m\n0,10,3,5\n1,20,3,7\n2,30,3,0\n", c, message)) << message;
  EXPECT_TRUE(c.clutter.empty());
  ASSERT_TRUE(read("0,10,3,5\n1,20,3,7\n2,30,3,0\n", c, message)) << message;
  EXPECT_TRUE(c.clutter.empty());
}

TEST_F(ProfileCsvReader, RefusalsSayWhy) {
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {"dist_km,height_m,zone,clutter_m\n0,10,3,0\n1,10,3,-2\n2,10,3,0\n", "line 3: the clutter height"},
      {"dist_km,height_m,zone,clutter_m\n0,10,3,0\n1,10,3,x\n2,10,3,0\n", "line 3: the clutter height"},
      {"0,10\n1,10,4\n2,10\n", "line 2: the zone must be 1"},
      {"0,10\n1,10\n1,10\n", "line 3: distances must increase"},
      {"0,10\n1,10\n2,20000\n", "line 3: the height must lie between -500 and 10000 m"},
      {"0,10\n1,10\nnan,10\n", "line 3 of the profile is not dist_km,height_m[,zone]"},
      {"0,10\n1,10\n", "at least 3 samples"},
      {"0,10\n1,10\n2,10\n3,10\n", "at most 3 samples"},
      {"0,10\n1,10\n4000,10\n", "at most 3000 km"},
      {std::string("0,10\n1,1\0,0\n2,10\n", 17), "line 2 of the profile is not text"},
  };
  ProfileCsvLimits limits;
  limits.maxSamples = 3;
  for (const auto& c : cases) {
    ProfileColumns columns;
    std::string message;
    EXPECT_FALSE(read(c.text, columns, message, limits)) << c.text;
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
  }
  ProfileColumns columns;
  std::string message;
  EXPECT_FALSE(ReadProfileCsv((dir.path() / "absent.csv").string(), limits, columns, message));
  EXPECT_NE(message.find("cannot read the profile file"), std::string::npos);
}

}  // namespace
}  // namespace tarnvale
