// The tile store on real SRTM tiles against GDAL's reading of the same files.
#include <gdal.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "climate/Zones.h"
#include "geo/Path.h"
#include "support/DataFiles.h"
#include "terrain/ProfileSampler.h"
#include "terrain/Srtm.h"

using tarnvale::CSRTM;

namespace {

std::filesystem::path srtmDir() {
  const auto data = tarnvale::test::SharedData();
  return data.empty() ? data : data / "srtm";
}

// The real 3-arc-second tiles, named N51W002.hgt style.
std::vector<std::filesystem::path> realTiles() {
  std::vector<std::filesystem::path> tiles;
  const auto dir = srtmDir();
  if (dir.empty() || !std::filesystem::is_directory(dir)) return tiles;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.path().extension() == ".hgt" && entry.file_size() == 2884802) tiles.push_back(entry.path());
  std::sort(tiles.begin(), tiles.end());
  return tiles;
}

// Raw samples as GDAL reads them: row 0 the northern edge.
bool readWithGdal(const std::filesystem::path& file, std::vector<std::int16_t>& samples) {
  GDALAllRegister();
  GDALDatasetH ds = GDALOpen(file.c_str(), GA_ReadOnly);
  if (!ds) return false;
  bool ok = GDALGetRasterXSize(ds) == 1201 && GDALGetRasterYSize(ds) == 1201;
  samples.assign(1201 * 1201, 0);
  if (ok)
    ok = GDALRasterIO(GDALGetRasterBand(ds, 1), GF_Read, 0, 0, 1201, 1201, samples.data(), 1201, 1201, GDT_Int16, 0,
                      0) == CE_None;
  GDALClose(ds);
  return ok;
}

int asLookupReturns(int stored) {
  if (stored <= -32767) return -32767;
  if (stored < -150) return 0;
  return stored;
}

}  // namespace

TEST(SrtmRealTiles, EveryNodeMatchesGdal) {
  const auto tiles = realTiles();
  if (tiles.empty()) GTEST_SKIP() << "no real SRTM tiles: set TARNVALE_SHARED_DATA to the shared data directory";
  CSRTM store(9, srtmDir().string());
  int voids = 0, negatives = 0;
  for (const auto& file : tiles) {
    const std::string name = file.filename().string();
    SCOPED_TRACE(name);
    const int south = (name[0] == 'N' ? 1 : -1) * std::stoi(name.substr(1, 2));
    const int west = (name[3] == 'E' ? 1 : -1) * std::stoi(name.substr(4, 3));
    std::vector<std::int16_t> gdal;
    ASSERT_TRUE(readWithGdal(file, gdal));
    int mismatches = 0;
    auto check = [&](int row, int column, double lat, double lon) {
      const int stored = gdal[row * 1201 + column];
      voids += stored <= -32767;
      negatives += stored < 0 && stored > -32767;
      const int got = store.heightAt(lat, lon, false);
      if (got != asLookupReturns(stored) && ++mismatches <= 5)
        ADD_FAILURE() << "row " << row << " column " << column << ": " << got << " vs GDAL " << stored;
    };
    // Each node from a quarter spacing inside its cell (north-east of it):
    // rows 1..1200 and columns 0..1199 are reached this way.
    for (int row = 1; row <= 1200; ++row) {
      const double lat = south + (1200 - row + 0.25) / 1200.0;
      for (int column = 0; column < 1200; ++column) check(row, column, lat, west + (column + 0.25) / 1200.0);
    }
    // The northern row and eastern column belong to the next cells, except on
    // exact negative whole degrees, which name this tile.
    if (south < 0)
      for (int column = 0; column < 1200; column += 7) check(0, column, south + 1.0, west + (column + 0.25) / 1200.0);
    if (west < 0)
      for (int row = 1; row <= 1200; row += 7) check(row, 1200, south + (1200 - row + 0.25) / 1200.0, west + 1.0);
    EXPECT_EQ(mismatches, 0);
  }
  // The set holds voids and land below sea level, so the value mapping was exercised.
  EXPECT_GT(voids, 0);
  EXPECT_GT(negatives, 0);
}

TEST(SrtmRealTiles, KnownSummitsAndInterpolation) {
  const auto dir = srtmDir();
  if (dir.empty() || !std::filesystem::exists(dir / "N51W002.hgt"))
    GTEST_SKIP() << "N51W002.hgt not found: set TARNVALE_SHARED_DATA to the shared data directory";
  CSRTM store(9, dir.string());
  // Walbury Hill (297 m): the node south-west of the summit point, and an
  // interpolated height within the heights of the surrounding nodes (270..296 m).
  EXPECT_EQ(store.heightAt(51.3523, -1.4643, false), 293);
  const int interpolated = store.heightAt(51.3523, -1.4643, true);
  EXPECT_GE(interpolated, 270);
  EXPECT_LE(interpolated, 296);
  // Mount Washington, 1917 m; GDAL's nearest node there is 1908..1917 m.
  if (std::filesystem::exists(dir / "N44W072.hgt")) {
    const int washington = store.heightAt(44.2706, -71.3033, false);
    EXPECT_GE(washington, 1880);
    EXPECT_LE(washington, 1917);
  }
  // Open sea off Kauai is sea, not missing.
  if (std::filesystem::exists(dir / "N22W160.hgt")) {
    EXPECT_EQ(store.heightAt(22.05, -159.95, true), 0);
  }
}

TEST(SrtmRealTiles, ProfileOverRealTerrain) {
  const auto dir = srtmDir();
  if (dir.empty() || !std::filesystem::exists(dir / "N51W002.hgt"))
    GTEST_SKIP() << "N51W002.hgt not found: set TARNVALE_SHARED_DATA to the shared data directory";
  CSRTM store(9, dir.string());
  tarnvale::test::TempDir noZones;
  tarnvale::CZONES zones(noZones.str());
  tarnvale::CPath path;
  path.setEnds(51.3523, -1.4643, 51.75, -1.25);  // Walbury Hill towards Oxford, about 47 km
  tarnvale::TerrainProfile profile;
  ASSERT_TRUE(tarnvale::SampleProfile(profile, path, 4.0 / 3.0, false, true, store, zones));
  EXPECT_EQ(profile.n, static_cast<int>(std::floor(profile.pathLength / 0.05)));
  EXPECT_GE(profile.maxHeight, 285.0);  // the hill at the start
  EXPECT_LE(profile.maxHeight, 321.0);  // the tile's highest node
  for (int i = 0; i < profile.n; ++i) {
    EXPECT_GE(profile.height[i], 13.0) << i;  // the tile's lowest land
    EXPECT_EQ(profile.zone[i], 255) << i;
  }
}
