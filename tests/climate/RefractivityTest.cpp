// CRefractivity: the built-in map table, loading on first use, and which map
// each lookup reads.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "climate/MapFiles.h"
#include "climate/Refractivity.h"

namespace tarnvale {
namespace {

using climate::kGridA;
using climate::kGridB;
using testing::ScratchDir;
using testing::WriteConstantGrid;
using testing::WriteGrid;

TEST(RefractivityMaps, TheSixteenMapsInTheirOrder) {
  struct Expected {
    const char* name;
    double percentage;
    bool gridB;
  } const expected[] = {
      {"DNDZ_90.TXT", 90, false}, {"DNDZ_50.TXT", 50, false}, {"DNDZ_10.TXT", 10, false},
      {"DNDZ_01.TXT", 0.01, false}, {"ESATEMP.TXT", 50, false}, {"ESANWET.TXT", 50, false},
      {"S_OCCUR.TXT", 50, false}, {"S_THICK.TXT", 50, false}, {"S_STREN.TXT", 50, false},
      {"E_OCCUR.TXT", 0, false}, {"E_THICK.TXT", 50, false}, {"E_STREN.TXT", 50, false},
      {"E_base.TXT", 50, false}, {"E__MAX_m.TXT", 50, false}, {"n0.txt", 50, true},
      {"dn.txt", 50, true},
  };
  const auto& table = CRefractivity::Descriptors();
  ASSERT_EQ(std::size(expected), table.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    const ClimateGrid& grid = table[i];
    EXPECT_EQ(grid.name(), expected[i].name) << i;
    EXPECT_EQ(grid.percentage, expected[i].percentage) << i;
    EXPECT_FALSE(grid.isLoaded());
    // Grid A: 90N..90S by 1.5, 0E..360E; grid B: 83N..90S by 0.5, 180W..179.5E.
    EXPECT_EQ(grid.rowLatitude(0), expected[i].gridB ? 83.0 : 90.0) << i;
    EXPECT_EQ(grid.rowLatitude(grid.rows - 1), -90.0) << i;
    EXPECT_EQ(grid.columnLongitude(0), expected[i].gridB ? -180.0 : 0.0) << i;
    EXPECT_EQ(grid.columnLongitude(grid.columns - 1), expected[i].gridB ? 179.5 : 360.0) << i;
    EXPECT_EQ(grid.latitudeStep, expected[i].gridB ? 0.5 : 1.5) << i;
    EXPECT_EQ(grid.longitudeStep, expected[i].gridB ? 0.5 : 1.5) << i;
  }
  EXPECT_EQ(CRefractivity::Descriptors()[CRefractivity::kN0].name(), "n0.txt");
  EXPECT_EQ(CRefractivity::Descriptors()[CRefractivity::kSurfaceDuct].name(), "S_OCCUR.TXT");
}

TEST(RefractivityGradient, TimePercentageChoosesTheMap) {
  ScratchDir dir;
  WriteConstantGrid(dir / "DNDZ_90.TXT", kGridA, -90.0);
  WriteConstantGrid(dir / "DNDZ_50.TXT", kGridA, -50.0);
  WriteConstantGrid(dir / "DNDZ_10.TXT", kGridA, -10.0);
  WriteConstantGrid(dir / "DNDZ_01.TXT", kGridA, -1.0);
  const CRefractivity maps(dir.path());
  const struct {
    double percent;
    double map;
  } cases[] = {{50, -50},   {20, -10},    {1, -1},   {0.01, -1}, {0.005, -90}, {90, -90},
               {100, -90},  {89.999, -50}, {10, -10}, {9.99999999995, -10},     {0.0099, -90},
               {0, -90},    {-5, -90},    {std::numeric_limits<double>::quiet_NaN(), -90}};
  for (const auto& c : cases) {
    double value = 0.0;
    ASSERT_TRUE(maps.gradientAt(c.percent, 51.5, -0.5, value)) << c.percent;
    EXPECT_NEAR(value, c.map, 1e-12) << c.percent;
  }
}

TEST(RefractivityGradient, IsAlwaysInterpolated) {
  ScratchDir dir;
  WriteGrid(dir / "DNDZ_50.TXT", kGridA, [](int r, int c) { return r * 1000.0 + c; });
  const CRefractivity maps(dir.path());
  double gradient = 0.0, interpolated = 1.0, nearest = 2.0;
  ASSERT_TRUE(maps.gradientAt(50, 51.5, -0.5, gradient));
  ASSERT_TRUE(maps.valueAt(CRefractivity::kGradient50, 51.5, -0.5, true, interpolated));
  ASSERT_TRUE(maps.valueAt(CRefractivity::kGradient50, 51.5, -0.5, false, nearest));
  EXPECT_EQ(gradient, interpolated);
  EXPECT_NE(gradient, nearest);
}

TEST(RefractivityLookups, EachReadsItsOwnFile) {
  ScratchDir dir;
  WriteConstantGrid(dir / "S_OCCUR.TXT", kGridA, 11.0);
  WriteConstantGrid(dir / "E_OCCUR.TXT", kGridA, 22.0);
  WriteConstantGrid(dir / "n0.txt", kGridB, 333.0);
  WriteConstantGrid(dir / "dn.txt", kGridB, 44.0);
  const CRefractivity maps(dir.path());
  for (bool interpolate : {false, true}) {
    double surface = 0, elevated = 0, n0 = 0, dn = 0;
    EXPECT_TRUE(maps.surfaceDuctAt(51.5, -1.5, interpolate, surface));
    EXPECT_TRUE(maps.elevatedDuctAt(51.5, -1.5, interpolate, elevated));
    EXPECT_TRUE(maps.n0At(51.5, -1.5, interpolate, n0));
    EXPECT_TRUE(maps.dnAt(51.5, -1.5, interpolate, dn));
    EXPECT_NEAR(surface, 11.0, 1e-12);
    EXPECT_NEAR(elevated, 22.0, 1e-12);
    EXPECT_NEAR(n0, 333.0, 1e-12);
    EXPECT_NEAR(dn, 44.0, 1e-12);
  }
  double gradient = 7.0;
  EXPECT_FALSE(maps.gradientAt(50, 51.5, -1.5, gradient));  // no DNDZ files here
  EXPECT_EQ(gradient, 7.0);
  EXPECT_FALSE(maps.isLoaded(CRefractivity::kGradient50));
  EXPECT_TRUE(maps.isLoaded(CRefractivity::kN0));
  EXPECT_FALSE(maps.load(-1));
  EXPECT_FALSE(maps.load(CRefractivity::kMapCount));
  double value = 5.0;
  EXPECT_FALSE(maps.valueAt(CRefractivity::kMapCount, 0, 0, true, value));
  EXPECT_EQ(value, 5.0);
}

TEST(RefractivityLookups, AShortFileFailsEveryLookupAndIsReadAgainNextTime) {
  ScratchDir dir;
  WriteGrid(dir / "n0.txt", kGridB, [](int, int) { return 320.0; }, 1);  // one number too few
  const CRefractivity maps(dir.path());
  double value = 1.0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    EXPECT_FALSE(maps.n0At(51.5, -1.5, false, value));
    EXPECT_FALSE(maps.n0At(51.5, -1.5, true, value));
    EXPECT_EQ(value, 1.0);
    EXPECT_FALSE(maps.isLoaded(CRefractivity::kN0));
  }
  // Once the file is whole the next lookup reads it, and the map is kept.
  WriteConstantGrid(dir / "n0.txt", kGridB, 320.0);
  EXPECT_TRUE(maps.n0At(51.5, -1.5, true, value));
  EXPECT_NEAR(value, 320.0, 1e-12);
  std::filesystem::remove(dir / "n0.txt");
  EXPECT_TRUE(maps.n0At(10.0, 10.0, false, value));
  EXPECT_EQ(value, 320.0);
}

TEST(RefractivityLookups, AnEmptyDirectoryMeansTheWorkingDirectory) {
  ScratchDir dir;
  WriteConstantGrid(dir / "dn.txt", kGridB, 45.0);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const CRefractivity maps;
  double value = 0.0;
  const bool found = maps.dnAt(51.5, -1.5, true, value);
  std::filesystem::current_path(previous);
  EXPECT_TRUE(found);
  EXPECT_NEAR(value, 45.0, 1e-12);
  EXPECT_TRUE(maps.directory().empty());
}

TEST(RefractivityLookups, ConcurrentFirstLookupsAgree) {
  ScratchDir dir;
  WriteGrid(dir / "n0.txt", kGridB, [](int r, int c) { return 300.0 + r * 0.1 + c * 0.01; });
  const CRefractivity maps(dir.path());
  std::vector<double> results(4, 0.0);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < results.size(); ++i)
    threads.emplace_back([&maps, &results, i] { maps.n0At(51.3, -1.4, true, results[i]); });
  for (std::thread& t : threads) t.join();
  for (double r : results) EXPECT_EQ(r, results[0]);
  EXPECT_GT(results[0], 300.0);
}

TEST(RefractivityLookups, MapsReadTogetherAreTheMapsReadOneByOne) {
  ScratchDir dir;
  const auto n0 = [](int r, int c) { return 300.0 + r * 0.1 + c * 0.01; };
  const auto dn = [](int r, int c) { return 40.0 - r * 0.01 + c * 0.001; };
  WriteGrid(dir / "n0.txt", kGridB, n0);
  WriteGrid(dir / "dn.txt", kGridB, dn);
  const CRefractivity together(dir.path());
  EXPECT_TRUE(together.loadTogether({CRefractivity::kN0, CRefractivity::kDeltaN, CRefractivity::kN0}));
  const CRefractivity single(dir.path());
  for (const CRefractivity::Map map : {CRefractivity::kN0, CRefractivity::kDeltaN}) {
    ASSERT_TRUE(together.isLoaded(map));
    ASSERT_TRUE(single.load(map));
    EXPECT_EQ(together.grid(map).data, single.grid(map).data);
  }
  // Already read, or absent: the answer says whether all are there, and the
  // maps that could be read are kept.
  EXPECT_TRUE(together.loadTogether({CRefractivity::kN0, CRefractivity::kDeltaN}));
  const CRefractivity partial(dir.path());
  EXPECT_FALSE(partial.loadTogether({CRefractivity::kSurfaceDuct, CRefractivity::kDeltaN}));
  EXPECT_TRUE(partial.isLoaded(CRefractivity::kDeltaN));
  EXPECT_FALSE(partial.isLoaded(CRefractivity::kSurfaceDuct));
  EXPECT_FALSE(partial.loadTogether({CRefractivity::kN0, static_cast<CRefractivity::Map>(CRefractivity::kMapCount)}));
  EXPECT_TRUE(partial.loadTogether({}));
}

}  // namespace
}  // namespace tarnvale
