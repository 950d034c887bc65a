// Interpolated heights on every real tile against the four nodes around the
// point as GDAL reads them: random points anywhere inside each tile.
#include <gdal.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/DataFiles.h"
#include "terrain/Srtm.h"

namespace {

int asLookupReturns(int stored) {
  if (stored <= -32767) return -32767;
  if (stored < -150) return 0;
  return stored;
}

}  // namespace

TEST(SrtmRealInterpolation, RandomPointsComeFromTheirOwnFourNodes) {
  const auto data = tarnvale::test::SharedData();
  if (data.empty()) GTEST_SKIP() << "no real SRTM tiles: set TARNVALE_SHARED_DATA to the shared data directory";
  GDALAllRegister();
  std::mt19937_64 rng(3000);
  int tiles = 0;
  for (const auto& entry : std::filesystem::directory_iterator(data / "srtm")) {
    if (entry.path().extension() != ".hgt" || entry.file_size() != 2884802) continue;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    ++tiles;
    const int south = (name[0] == 'N' ? 1 : -1) * std::stoi(name.substr(1, 2));
    const int west = (name[3] == 'E' ? 1 : -1) * std::stoi(name.substr(4, 3));
    std::vector<std::int16_t> nodes(1201 * 1201);
    GDALDatasetH ds = GDALOpen(entry.path().c_str(), GA_ReadOnly);
    ASSERT_TRUE(ds);
    ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(ds, 1), GF_Read, 0, 0, 1201, 1201, nodes.data(), 1201, 1201, GDT_Int16,
                           0, 0),
              CE_None);
    GDALClose(ds);
    // Only this tile in the directory, so that every node comes from it.
    tarnvale::test::TempDir dir;
    std::filesystem::create_symlink(entry.path(), dir.path() / name);
    tarnvale::CSRTM store(9, dir.str());

    int wrong = 0;
    for (int k = 0; k < 3000; ++k) {
      // Strictly inside a cell of the tile: its south-west node at (row, column).
      const int row = std::uniform_int_distribution<int>(1, 1200)(rng);
      const int column = std::uniform_int_distribution<int>(0, 1199)(rng);
      const double north = std::uniform_real_distribution<double>(0.001, 0.999)(rng);
      const double east = std::uniform_real_distribution<double>(0.001, 0.999)(rng);
      const double lat = south + (1200 - row + north) / 1200.0, lon = west + (column + east) / 1200.0;
      // North-west, north-east, south-west, south-east; cone weights in spacings.
      const int h[4] = {asLookupReturns(nodes[(row - 1) * 1201 + column]),
                        asLookupReturns(nodes[(row - 1) * 1201 + column + 1]),
                        asLookupReturns(nodes[row * 1201 + column]), asLookupReturns(nodes[row * 1201 + column + 1])};
      const double off[4][2] = {{1 - north, east}, {1 - north, 1 - east}, {north, east}, {north, 1 - east}};
      int sea = 0, missing = 0;
      double sum = 0, weights = 0;
      for (int c = 0; c < 4; ++c) {
        sea += h[c] == 0;
        missing += h[c] == -32767;
        if (h[c] == 0 || h[c] == -32767) continue;
        const double w = std::sqrt(2.0) - std::hypot(off[c][0], off[c][1]);
        if (w < 0) continue;
        sum += w * h[c];
        weights += w;
      }
      int expected = 0;
      if (sea == 4) expected = 0;
      else if (missing == 4 || weights == 0) expected = -32767;
      else expected = static_cast<int>(std::trunc(sum / weights + 0.5));
      const int got = store.heightAt(lat, lon, true);
      // A mean landing within 1e-9 m of a half metre may round either way.
      const double mean = weights > 0 ? sum / weights : 0;
      if (got != expected && std::fabs(std::fabs(mean - std::trunc(mean)) - 0.5) > 1e-9 && ++wrong <= 5)
        ADD_FAILURE() << "cell row " << row << " column " << column << " at " << north << "," << east << ": " << got
                      << " vs " << expected;
    }
    EXPECT_EQ(wrong, 0);
  }
  EXPECT_GT(tiles, 0);
}
