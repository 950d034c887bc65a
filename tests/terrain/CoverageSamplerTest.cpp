// The coverage sampler against the general sampler on the real tiles and zone
// map: the same samples, heights and zone codes to the last bit, for paths in
// every direction, of every length, from tile edges and corners and off the
// tiles present.
#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "climate/Zones.h"
#include "geo/Path.h"
#include "support/DataFiles.h"
#include "support/RealTerrain.h"
#include "terrain/CoverageSampler.h"
#include "terrain/ProfileSampler.h"
#include "terrain/Srtm.h"

namespace tarnvale {
namespace {

TEST(CoverageSamplerOnRealGround, GivesTheGeneralSamplersProfileToTheLastBit) {
  test::TempDir dir;
  std::vector<std::pair<int, int>> cells;
  if (!test::MakeRealTerrain(dir, &cells)) GTEST_SKIP() << "shared real data absent (set TARNVALE_SHARED_DATA)";
  const std::string terrainDir = dir.path().string();
  CSRTM generalStore(srtm::kDefaultSlots, terrainDir);
  CSRTM coverageStore(srtm::kDefaultSlots, terrainDir);
  CZONES zones(terrainDir);
  zones.zoneAt(0.0, 0.0);  // opened before the sampler is made, as the coverage run does
  CoverageSampler sampler(coverageStore, zones);

  // Due north and south and close to them (where the exact point wavers),
  // east and west, and a seeded spread of others.
  std::vector<double> bearings = {0.0, 180.0, 90.0, 270.0, 1e-4, 179.9999, 359.9999, 0.01, 45.0};
  std::mt19937_64 random(452);
  std::uniform_real_distribution<double> anyBearing(0.0, 360.0);
  for (int i = 0; i < 12; ++i) bearings.push_back(anyBearing(random));
  // Odd and even sample counts, every fit, and paths too long for one.
  const double lengths[] = {0.1, 0.137, 0.5, 3.3, 10.0, 29.99, 30.5, 59.9, 85.0, 149.0, 299.0, 449.0, 599.0, 610.0};
  const double k = 4.0 / 3.0;

  // Beside the tiles' own cells, places towards the poles without tiles,
  // where only the zone codes tell (Svalbard's coasts among them): pointAt
  // wavers most there.
  cells.emplace_back(64, 10);
  cells.emplace_back(78, 11);
  cells.emplace_back(-67, 110);
  TerrainProfile general, fast;
  long paths = 0;
  for (const auto& [south, west] : cells) {
    // Middle of the tile, a point on its corner node, and one a hair inside
    // its north-east corner.
    const std::pair<double, double> transmitters[] = {
        {south + 0.42, west + 0.55}, {static_cast<double>(south), static_cast<double>(west)},
        {south + 1.0 - 1e-9, west + 1.0 - 1e-9}};
    for (const auto& [txLat, txLon] : transmitters) {
      CPath start;
      start.setStart(txLat, txLon);
      for (double bearing : bearings) {
        for (double length : lengths) {
          double rxLat = 0.0, rxLon = 0.0;
          start.pointAlong(bearing, length, rxLat, rxLon);
          CPath path;
          path.setEnds(txLat, txLon, rxLat, rxLon);
          const bool ok = SampleProfile(general, path, k, true, false, generalStore, zones);
          ASSERT_EQ(sampler.sample(fast, txLat, txLon, rxLat, rxLon, k), ok);
          if (!ok) continue;
          ++paths;
          const auto where = ::testing::Message() << "from " << txLat << ' ' << txLon << " bearing " << bearing
                                                  << " length " << length;
          ASSERT_EQ(fast.n, general.n) << where;
          ASSERT_EQ(fast.pathLength, general.pathLength) << where;
          ASSERT_EQ(fast.maxHeight, general.maxHeight) << where;
          for (int i = 0; i < general.n; ++i) {
            ASSERT_EQ(fast.dist[i], general.dist[i]) << where << " sample " << i;
            ASSERT_EQ(fast.height[i], general.height[i]) << where << " sample " << i;
            ASSERT_EQ(fast.zone[i], general.zone[i]) << where << " sample " << i;
            ASSERT_EQ(fast.curvature[i], general.curvature[i]) << where << " sample " << i;
          }
        }
      }
    }
  }
  EXPECT_GT(paths, 1000);
  EXPECT_GT(sampler.fittedPaths(), 0);
  EXPECT_GT(sampler.exactPaths(), 0);
}


TEST(CoverageSamplerOnRealGround, PathsFromSvalbardKeepTheGeneralSamplersZones) {
  // Two paths (found by search) whose first sample pointAt placed across a
  // zone cell's edge from the transmitter: at 80 N it wavers in longitude by
  // more than 4e-6 degree, where the coverage sampler's fit once trusted the
  // transmitter's own position. Sea against coastal land.
  test::TempDir dir;
  if (!test::MakeRealTerrain(dir)) GTEST_SKIP() << "shared real data absent (set TARNVALE_SHARED_DATA)";
  CSRTM generalStore(srtm::kDefaultSlots, dir.path().string());
  CSRTM coverageStore(srtm::kDefaultSlots, dir.path().string());
  CZONES zones(dir.path().string());
  zones.zoneAt(0.0, 0.0);
  CoverageSampler sampler(coverageStore, zones);
  const double paths[][4] = {{79.895435029503403, 16.733337569424403, 80.134504468162078, 15.239069957342954},
                             {79.791220154251889, 13.950004612861088, 79.697975066180447, 12.220988120397614}};
  TerrainProfile general, fast;
  for (const auto& p : paths) {
    CPath path;
    path.setEnds(p[0], p[1], p[2], p[3]);
    ASSERT_TRUE(SampleProfile(general, path, 4.0 / 3.0, true, false, generalStore, zones));
    ASSERT_TRUE(sampler.sample(fast, p[0], p[1], p[2], p[3], 4.0 / 3.0));
    ASSERT_EQ(fast.n, general.n);
    EXPECT_NE(general.zone[0], zones.zoneAt(p[0], p[1]));  // the wavering made a difference
    for (int i = 0; i < general.n; ++i) ASSERT_EQ(fast.zone[i], general.zone[i]) << p[0] << " sample " << i;
  }
}

}  // namespace
}  // namespace tarnvale
