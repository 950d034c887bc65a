// The profile sampler on synthetic terrain and zone files.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "climate/Zones.h"
#include "geo/Path.h"
#include "support/DataFiles.h"
#include "terrain/ProfileSampler.h"
#include "terrain/Srtm.h"

using tarnvale::ChooseSpacing;
using tarnvale::CPath;
using tarnvale::CSRTM;
using tarnvale::CZONES;
using tarnvale::SampleProfile;
using tarnvale::TerrainProfile;
using tarnvale::test::TempDir;
using tarnvale::test::Tile;

namespace {

// Sentinel left in every field a failed run must not touch.
constexpr double kUntouched = -12345.0;

void fillUntouched(TerrainProfile& p) {
  p.n = -1;
  p.pathLength = kUntouched;
  p.dist.assign(TerrainProfile::kCapacity, kUntouched);
  p.height.assign(TerrainProfile::kCapacity, kUntouched);
  p.zone.assign(TerrainProfile::kCapacity, 77);
  p.curvature.assign(TerrainProfile::kCapacity, kUntouched);
  p.maxHeight = kUntouched;
  p.midBulge = kUntouched;
}

// A path of about @p lengthKm due north from (@p latitude, @p longitude).
CPath northward(double latitude, double longitude, double lengthKm) {
  CPath start;
  start.setStart(latitude, longitude);
  double lat2 = 0, lon2 = 0;
  start.pointAlong(0.0, lengthKm, lat2, lon2);
  CPath path;
  path.setEnds(latitude, longitude, lat2, longitude);
  return path;
}

double lengthOf(const CPath& path) {
  double range = 0, bearing = 0;
  path.rangeBearing(range, bearing);
  return range;
}

}  // namespace

TEST(ProfileSpacing, SpacingAndSampleCount) {
  struct Case {
    double lengthKm;
    int limit;
    double spacingKm;
    int samples;
  };
  const Case cases[] = {
      {1.0, 999, 0.05, 20},     // 20 intervals below 2 km
      {0.1, 999, 0.005, 19},    // 0.1 / (0.05 x 0.1) falls a hair below 20
      {2.0, 999, 0.025, 80},    //
      {10.0, 999, 0.025, 400},  //
      {24.975, 999, 0.025, 999},
      {30.0, 999, 0.05, 600},   // 1200 samples would be too many
      {30.0, 250, 0.125, 240},  // grown until 30 / s <= 250
      {6.25, 250, 0.025, 250},
      {100.0, 999, 0.125, 800},
      {20000.0, 250, 80.0, 249},  // 3199 sums of 0.025 overshoot 80 a little
  };
  for (const Case& c : cases) {
    const auto spacing = ChooseSpacing(c.lengthKm, c.limit);
    EXPECT_NEAR(spacing.spacingKm, c.spacingKm, 1e-9) << c.lengthKm << " km, limit " << c.limit;
    EXPECT_EQ(spacing.samples, c.samples) << c.lengthKm << " km, limit " << c.limit;
  }
}

class ProfileSampling : public ::testing::Test {
 protected:
  void SetUp() override {
    // Height rises northwards by 1 m a row; a band of sea and a void.
    Tile tile(0);
    for (int r = 0; r < 1201; ++r)
      for (int c = 0; c < 1201; ++c) tile.at(r, c) = static_cast<std::int16_t>(1200 - r);
    for (int r = 900; r < 920; ++r)
      for (int c = 0; c < 1201; ++c) tile.at(r, c) = -500;
    tile.at(650, 600) = -32768;
    tarnvale::test::WriteTile(dir.path() / "n10e010.hgt", tile);
    // Zones on the path's column: coastal land from row 4785 northwards, sea
    // from row 4786 (south of kZoneBoundary) southwards.
    std::vector<std::pair<std::uint64_t, std::uint8_t>> bytes;
    for (int row = 4775; row <= 4795; ++row)
      bytes.push_back({std::uint64_t(row) * 5400 + kColumn / 4, std::uint8_t(row <= 4785 ? 0xAA : 0x55)});
    tarnvale::test::WriteSparseZones(dir.path() / "zones01.dem", bytes);
  }

  static constexpr double kLongitude = 10.5003;
  static constexpr int kColumn = 11430;  // of kLongitude in the zone map
  static constexpr double kZoneBoundary = 90.0 - 4786 / 60.0;
  TempDir dir;
};

TEST_F(ProfileSampling, PointToPointProfile) {
  CSRTM terrain(9, dir.str());
  CZONES zones(dir.str());
  const CPath path = northward(10.2, kLongitude, 10.001);
  const double length = lengthOf(path);
  TerrainProfile profile;
  const double k = 4.0 / 3.0;
  ASSERT_TRUE(SampleProfile(profile, path, k, false, false, terrain, zones));
  EXPECT_DOUBLE_EQ(profile.pathLength, length);
  ASSERT_EQ(profile.n, 400);
  EXPECT_NEAR(profile.dist[399], 9.975, 1e-12);
  const double radius = 6371.0 * k;
  double highest = -1;
  for (int i = 0; i < profile.n; ++i) {
    EXPECT_NEAR(profile.dist[i], i * 0.025, 1e-12);
    double lat = 0, lon = 0;
    path.pointAt(profile.dist[i], lat, lon);
    const int row = 1200 - static_cast<int>(std::trunc((lat - 10.0) * 1200));
    const bool sea = row >= 900 && row < 920;
    EXPECT_EQ(profile.height[i], sea ? 0.0 : 1200 - row) << i;
    highest = std::max(highest, profile.height[i]);
    if (std::fabs(lat - kZoneBoundary) > 1e-6) {
      EXPECT_EQ(profile.zone[i], lat > kZoneBoundary ? 2 : 1) << i;
    }
    // Bulge above the chord, against the parabola d (L - d) / 2 Re; the chord
    // depth is taken in whole metres, so within 1 m.
    if (i > 0 && i < profile.n - 1) {
      EXPECT_NEAR(profile.curvature[i], 1000.0 * profile.dist[i] * (length - profile.dist[i]) / (2 * radius), 1.0);
    }
  }
  EXPECT_EQ(profile.curvature[0], 0.0);
  EXPECT_EQ(profile.curvature[profile.n - 1], 0.0);
  EXPECT_EQ(profile.maxHeight, highest);
  EXPECT_NEAR(profile.midBulge, 1000.0 * length * length / (8 * radius), 1e-9);
  EXPECT_GT(profile.midBulge, 1.0);
}

TEST_F(ProfileSampling, CoverageProfileHasNoBulge) {
  CSRTM terrain(9, dir.str());
  CZONES zones(dir.str());
  const CPath path = northward(10.2, kLongitude, 30.0);
  TerrainProfile profile;
  fillUntouched(profile);
  ASSERT_TRUE(SampleProfile(profile, path, 4.0 / 3.0, true, false, terrain, zones));
  EXPECT_EQ(profile.n, 240);
  EXPECT_NEAR(profile.dist[1], 0.125, 1e-12);
  for (int i = 0; i < profile.n; ++i) EXPECT_EQ(profile.curvature[i], 0.0) << i;
  EXPECT_EQ(profile.midBulge, kUntouched);
  EXPECT_EQ(profile.dist[240], kUntouched);  // nothing written past the samples
}

TEST_F(ProfileSampling, SeaAndMissingReadAsZero) {
  CSRTM terrain(9, dir.str());
  CZONES zones(dir.str());
  // From the void at row 650, column 600 eastwards along row 650 (550 m).
  const double voidLat = 10 + (1200 - 650 + 0.5) / 1200.0, voidLon = 10 + 600.5 / 1200.0;
  CPath path;
  path.setEnds(voidLat, voidLon, voidLat, voidLon + 0.012);
  TerrainProfile profile;
  ASSERT_TRUE(SampleProfile(profile, path, 1.0, false, false, terrain, zones));
  EXPECT_EQ(profile.height[0], 0.0);
  for (int i = 1; i < profile.n; ++i) EXPECT_EQ(profile.height[i], 550.0) << i;
  EXPECT_EQ(profile.maxHeight, 550.0);
  // Without tiles or zone map: flat at 0 m, zones no data.
  TempDir empty;
  CSRTM none(9, empty.str());
  CZONES noZones(empty.str());
  ASSERT_TRUE(SampleProfile(profile, path, 1.0, false, true, none, noZones));
  for (int i = 0; i < profile.n; ++i) {
    EXPECT_EQ(profile.height[i], 0.0);
    EXPECT_EQ(profile.zone[i], 255);
  }
  EXPECT_EQ(profile.maxHeight, 0.0);
}

TEST_F(ProfileSampling, ShortPathsHaveNoProfile) {
  CSRTM terrain(9, dir.str());
  CZONES zones(dir.str());
  for (double km : {0.0, 0.05, 0.099}) {
    TerrainProfile profile;
    fillUntouched(profile);
    EXPECT_FALSE(SampleProfile(profile, northward(10.2, kLongitude, km), 1.0, false, false, terrain, zones)) << km;
    EXPECT_EQ(profile.maxHeight, 0.0);
    EXPECT_EQ(profile.n, -1);
    EXPECT_EQ(profile.pathLength, kUntouched);
    EXPECT_EQ(profile.dist[0], kUntouched);
    EXPECT_EQ(profile.height[0], kUntouched);
    EXPECT_EQ(profile.zone[0], 77);
    EXPECT_EQ(profile.curvature[1], kUntouched);
    EXPECT_EQ(profile.midBulge, kUntouched);
  }
  TerrainProfile profile;
  // 0.1 km (a hair over, as the path measures it) is enough: 20 samples.
  EXPECT_TRUE(SampleProfile(profile, northward(10.2, kLongitude, 0.100001), 1.0, false, false, terrain, zones));
  EXPECT_EQ(profile.n, 20);
  EXPECT_FALSE(SampleProfile(profile, CPath(), 1.0, false, false, terrain, zones));
}

TEST_F(ProfileSampling, EarthTooSmallForThePathGivesNoProfile) {
  CSRTM terrain(9, dir.str());
  CZONES zones(dir.str());
  TerrainProfile profile;
  const CPath path = northward(10.2, kLongitude, 30.0);
  for (double k : {0.0, 1e-3, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
    EXPECT_FALSE(SampleProfile(profile, path, k, false, false, terrain, zones)) << k;
  // Half way round the world is longer than the diameter of a k = 1 earth.
  CPath longPath;
  longPath.setEnds(0.0, 0.0, 0.0, 179.0);
  EXPECT_FALSE(SampleProfile(profile, longPath, 1.0, false, false, terrain, zones));
  EXPECT_TRUE(SampleProfile(profile, longPath, 2.0, true, false, terrain, zones));
  EXPECT_LE(profile.n, 250);
}
