// tarnvale-cli height --interpolate reads the four nodes of the cell holding
// the point, on hand-made tiles whose nodes all differ.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <string>

#include "cli/RunCli.h"
#include "support/DataFiles.h"
#include "terrain/Srtm.h"

using tarnvale::test::TempDir;
using tarnvale::test::Tile;

namespace {

// Differs between any two nodes less than 100 rows and 300 columns apart, so
// a neighbouring node read in place of the right one always shows.
std::int16_t nodeHeight(int row, int column) { return static_cast<std::int16_t>((row % 100) * 300 + column % 300 + 1); }

Tile distinctTile() {
  Tile tile;
  for (int r = 0; r < tarnvale::test::kTileEdge; ++r)
    for (int c = 0; c < tarnvale::test::kTileEdge; ++c) tile.at(r, c) = nodeHeight(r, c);
  return tile;
}

std::string exact(double x) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", x);
  return text;
}

// The cone-weighted mean of the cell's four nodes, rounded as the store
// rounds: weights are the cell diagonal less the distance, in spacings.
int expectedHeight(int southRow, int westColumn, double north, double east) {
  const double heights[4] = {double(nodeHeight(southRow - 1, westColumn)), double(nodeHeight(southRow - 1, westColumn + 1)),
                             double(nodeHeight(southRow, westColumn)), double(nodeHeight(southRow, westColumn + 1))};
  const double offsets[4][2] = {{1 - north, east}, {1 - north, 1 - east}, {north, east}, {north, 1 - east}};
  double sum = 0, weights = 0;
  for (int k = 0; k < 4; ++k) {
    const double w = std::sqrt(2.0) - std::hypot(offsets[k][0], offsets[k][1]);
    sum += w * heights[k];
    weights += w;
  }
  return static_cast<int>(std::trunc(sum / weights + 0.5));
}

}  // namespace

TEST(InterpolatedHeight, PointsJustInsideEachCornerComeFromTheirCellsFourNodes) {
  TempDir dir;
  const Tile tile = distinctTile();
  // One tile each side of the equator and of the prime meridian.
  const int tiles[][2] = {{51, -2}, {-34, 151}};
  for (const auto& t : tiles)
    tarnvale::test::WriteTile(dir.path() / tarnvale::CSRTMTILE::fileName(t[0], t[1]), tile);

  // Cells by their south-west node (row from the north edge, column from the
  // west edge), over the whole tile including its edges.
  const int southRows[] = {1, 2, 100, 483, 517, 600, 601, 999, 1199, 1200};
  const int westColumns[] = {0, 1, 333, 517, 600, 1000, 1198, 1199};
  // Fractions of a spacing north and east of the south-west node.
  constexpr double kInside = 0.02;
  const double corners[][2] = {{kInside, kInside}, {kInside, 1 - kInside}, {1 - kInside, kInside},
                               {1 - kInside, 1 - kInside}};
  tarnvale::CSRTM store(9, dir.str());
  int wrong = 0;
  for (const auto& t : tiles) {
    for (int row : southRows) {
      for (int column : westColumns) {
        for (const auto& [north, east] : corners) {
          const double latitude = t[0] + (1200 - row + north) / 1200.0;
          const double longitude = t[1] + (column + east) / 1200.0;
          const int expected = expectedHeight(row, column, north, east);
          const int direct = store.heightAt(latitude, longitude, true);
          if (direct != expected) ++wrong;
          EXPECT_EQ(direct, expected) << "tile " << t[0] << "," << t[1] << " cell row " << row << " column "
                                      << column << " at " << north << "," << east;
          // The command line answers the same, from the same numbers as text.
          if (row % 100 == 0 || row == 517) {
            const auto r = tarnvale::test::RunCli(
                {"height", exact(latitude), exact(longitude), "--interpolate", "--terrain", dir.str(), "--json"});
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(nlohmann::json::parse(r.out)["height_m"].get<int>(), expected)
                << "cli at " << exact(latitude) << " " << exact(longitude);
          }
        }
      }
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST(InterpolatedHeight, PlainLookupStillTakesTheNodeAtOrSouthWest) {
  TempDir dir;
  tarnvale::test::WriteTile(dir.path() / "n51w002.hgt", distinctTile());
  tarnvale::CSRTM store(9, dir.str());
  for (int row : {1, 517, 1200})
    for (int column : {0, 517, 1199})
      EXPECT_EQ(store.heightAt(51 + (1200 - row + 0.5) / 1200.0, -2 + (column + 0.5) / 1200.0, false),
                nodeHeight(row, column))
          << row << " " << column;
}
