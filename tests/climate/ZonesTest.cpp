// The radio-climatic zone map on sparse zone files written by the tests.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "climate/Zones.h"
#include "support/DataFiles.h"

using tarnvale::CZONES;
using tarnvale::test::TempDir;
using tarnvale::test::WriteSparseZones;

namespace {

constexpr int kNoData = 255;
// Four cells in one byte, westernmost in the top bits: codes 2, 1, 3, 0.
constexpr std::uint8_t kPattern = 0b10'01'11'00;

}  // namespace

TEST(ZonesNormalise, PointsAreBroughtOntoTheMap) {
  struct Case {
    double lat, lon, wantLat, wantLon;
    bool crossed;
  };
  const Case cases[] = {
      {51.0, -1.0, 51.0, -1.0, false},  {90.0, -180.0, 90.0, -180.0, false}, {0.0, 181.0, 0.0, -179.0, false},
      {0.0, 180.0, 0.0, 180.0, false},  {0.0, -181.0, 0.0, 179.0, false},    {91.0, 0.0, 89.0, -180.0, false},
      {-91.0, 0.0, -89.0, -180.0, true}, {0.0, 900.0, 0.0, 180.0, false},    {0.0, 360.0 * 1099511627776.0 + 90.0, 0.0, 90.0, false},
  };
  for (const Case& c : cases) {
    double lat = c.lat, lon = c.lon;
    EXPECT_EQ(CZONES::normalise(lat, lon), c.crossed) << c.lat << ", " << c.lon;
    EXPECT_DOUBLE_EQ(lat, c.wantLat) << c.lat << ", " << c.lon;
    EXPECT_NEAR(lon, c.wantLon, 1e-9) << c.lat << ", " << c.lon;
  }
}

class ZoneFile : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return dir.path() / "zones01.dem"; }
  TempDir dir;
};

TEST_F(ZoneFile, CellByteAndBitPosition) {
  // (51.005, -0.995): row 2339, column 10740, byte 2339 x 5400 + 2685.
  const std::uint64_t byte = 12633285;
  WriteSparseZones(file(), {{byte, kPattern}, {byte - 1, 0xFF}, {byte + 1, 0xFF}, {byte + 5400, 0xFF}});
  CZONES zones(dir.str());
  EXPECT_FALSE(zones.isOpen());
  const double minute = 1.0 / 60;
  EXPECT_EQ(zones.zoneAt(51.005, -0.995), 2);
  EXPECT_TRUE(zones.isOpen());
  EXPECT_EQ(zones.zoneAt(51.005, -0.995 + 1 * minute), 1);
  EXPECT_EQ(zones.zoneAt(51.005, -0.995 + 2 * minute), 3);
  EXPECT_EQ(zones.zoneAt(51.005, -0.995 + 3 * minute), 0);
  EXPECT_EQ(zones.zoneAt(51.005, -0.995 - minute), 3);      // previous byte
  EXPECT_EQ(zones.zoneAt(51.005, -0.995 + 4 * minute), 3);  // next byte
  EXPECT_EQ(zones.zoneAt(51.005 - minute, -0.995), 3);      // the row to the south
  EXPECT_EQ(zones.zoneAt(51.005 + minute, -0.995), 0);
  // Each cell covers its whole arc-minute: 51.00001 .. 51.01666 N, 1 W .. 0.98333 W.
  EXPECT_EQ(zones.zoneAt(51.0 + 0.0001, -1.0 + 0.0001), 2);
  EXPECT_EQ(zones.zoneAt(51.0 + minute - 0.0001, -1.0 + minute - 0.0001), 2);
}

TEST_F(ZoneFile, MapCornersAndWrapping) {
  // Row 0 column 0; row 60 column 0 (89 N at 180 W); row 5346 column 60 (0.89 N, 179 W).
  WriteSparseZones(file(), {{0, kPattern}, {60 * 5400, 0b11'00'00'00}, {5346ull * 5400 + 15, 0b01'00'00'00}});
  CZONES zones(dir.str());
  EXPECT_EQ(zones.zoneAt(90.0, -180.0), 2);
  EXPECT_EQ(zones.zoneAt(89.995, -179.995), 2);
  EXPECT_EQ(zones.zoneAt(90.0, -180.0 + 1.5 / 60), 1);
  // 91 N at 0 E is 89 N at 180 W; 89.0 lies on a row edge, so 88.995 is used.
  EXPECT_EQ(zones.zoneAt(88.995, -180.0), 3);
  EXPECT_EQ(zones.zoneAt(91.005, 0.0), 3);
  EXPECT_EQ(zones.zoneAt(91.0, 0.0), zones.zoneAt(89.0, -180.0));
  // 181 E is 179 W.
  EXPECT_EQ(zones.zoneAt(0.89, -178.995), 1);
  EXPECT_EQ(zones.zoneAt(0.89, 181.005), 1);
  EXPECT_EQ(zones.zoneAt(0.89, 181.005 + 720), 1);
  // Exactly 180 E rounds to column 21600, beyond the map.
  EXPECT_EQ(zones.zoneAt(0.89, 180.0), kNoData);
  EXPECT_EQ(zones.zoneAt(-89.995, 179.995), 0);
}

TEST_F(ZoneFile, PointsThatAreNotFiniteOrFarOff) {
  WriteSparseZones(file(), {{0, 0xFF}});
  CZONES zones(dir.str());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (auto [lat, lon] : {std::pair{nan, 0.0}, {0.0, nan}, {inf, 0.0}, {0.0, -inf}, {1e300, 0.0}, {-1e300, 5.0}})
    EXPECT_EQ(zones.zoneAt(lat, lon), kNoData) << lat << ", " << lon;
  // Latitudes are reflected once at each pole: 500 N becomes 140 N, off the map.
  EXPECT_EQ(zones.zoneAt(500.0, 0.0), kNoData);
  EXPECT_EQ(zones.zoneAt(0.0, 1e300), 0);
}

TEST_F(ZoneFile, MissingFileGivesNoDataAndIsRetried) {
  CZONES zones(dir.str());
  EXPECT_EQ(zones.zoneAt(51.005, -0.995), kNoData);
  EXPECT_EQ(zones.zoneAt(51.005, -0.995), kNoData);
  EXPECT_FALSE(zones.isOpen());
  WriteSparseZones(file(), {{12633285, kPattern}});
  EXPECT_EQ(zones.zoneAt(51.005, -0.995), 2);
  // A directory under the file's name is not a zone map.
  TempDir other;
  std::filesystem::create_directory(other.path() / "zones01.dem");
  EXPECT_EQ(CZONES(other.str()).zoneAt(0.5, 0.5), kNoData);
}

TEST_F(ZoneFile, DirectoryWithOrWithoutSeparator) {
  EXPECT_EQ(CZONES(dir.str()).filePath(), dir.str() + "/zones01.dem");
  EXPECT_EQ(CZONES(dir.withSlash()).filePath(), dir.str() + "/zones01.dem");
  EXPECT_EQ(CZONES("").filePath(), "zones01.dem");
  WriteSparseZones(file(), {{0, kPattern}});
  EXPECT_EQ(CZONES(dir.withSlash()).zoneAt(90.0, -180.0), 2);
}

TEST_F(ZoneFile, ShortFileReadsZeroPastItsEnd) {
  WriteSparseZones(file(), {{0, kPattern}, {99, 0xFF}}, 100);
  CZONES zones(dir.str());
  EXPECT_EQ(zones.zoneAt(90.0, -180.0), 2);
  EXPECT_EQ(zones.zoneAt(90.0, -180.0 + 399.5 / 60), 3);  // byte 99
  EXPECT_EQ(zones.zoneAt(90.0, -180.0 + 400.5 / 60), 0);  // byte 100, past the end
  EXPECT_EQ(zones.zoneAt(-89.995, 179.995), 0);
  // An empty file opens but holds nothing.
  TempDir other;
  WriteSparseZones(other.path() / "zones01.dem", {}, 0);
  EXPECT_EQ(CZONES(other.str()).zoneAt(0.5, 0.5), 0);
}

TEST_F(ZoneFile, ZoneImageSamplesNorthWestCorners) {
  // Rows 2339 and 2340 around (51.005, -0.995): byte 2685 holds columns 10740..10743.
  WriteSparseZones(file(), {{12633285, kPattern}, {12633285 + 5400, 0b11'11'01'01}});
  CZONES zones(dir.str());
  const double step = 1.0 / 60;
  // South edge so that row 0 lies at 51.0075 (row 2339) and row 1 a minute south.
  const auto* image = zones.zoneImage(-0.9925, 51.0075 - 2 * step, 4, 2, step);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(zones.image(), image);
  EXPECT_EQ(zones.imageRows(), 2);
  EXPECT_EQ(zones.imageColumns(), 4);
  const int expected[2][4] = {{2, 1, 3, 0}, {3, 3, 1, 1}};
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(image->at(r, c), expected[r][c]) << r << "," << c;
  // The same place a turn away in longitude.
  ASSERT_NE(zones.zoneImage(-0.9925 + 360, 51.0075 - 2 * step, 4, 2, step), nullptr);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(zones.image()->at(r, c), expected[r][c]) << r << "," << c;
  zones.releaseImage();
  EXPECT_EQ(zones.image(), nullptr);
}

TEST_F(ZoneFile, ZoneImageRefusesStepsAndSizesThatMakeNoImage) {
  WriteSparseZones(file(), {});
  CZONES zones(dir.str());
  for (double step : {0.0, -0.5, std::numeric_limits<double>::quiet_NaN()}) {
    ASSERT_NE(zones.zoneImage(0, 0, 2, 2, 0.1), nullptr);
    EXPECT_EQ(zones.zoneImage(0, 0, 2, 2, step), nullptr) << step;
    EXPECT_EQ(zones.image(), nullptr);
    EXPECT_EQ(zones.imageRows(), 2);
  }
  EXPECT_EQ(zones.zoneImage(0, 0, 0, 2, 0.1), nullptr);
  // Folded over the South Pole the first row lies at the folded corner.
  const auto* image = zones.zoneImage(0.0, -95.0, 3, 3, 0.5);
  ASSERT_NE(image, nullptr);
}
