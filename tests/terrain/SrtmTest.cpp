// The terrain tile store on synthetic tiles written by the tests.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

#include "support/DataFiles.h"
#include "terrain/Srtm.h"

using tarnvale::CSRTM;
using tarnvale::CSRTMTILE;
using tarnvale::test::TempDir;
using tarnvale::test::Tile;
using tarnvale::test::WriteTile;

namespace {

constexpr int kMissing = -32767;

// A point a quarter spacing north-east of the node at (row, column) of the
// tile with south-west corner (south, west): the plain lookup's node.
double nodeLat(int south, int row) { return south + (1200 - row + 0.25) / 1200.0; }
double nodeLon(int west, int column) { return west + (column + 0.25) / 1200.0; }

class SrtmStore : public ::testing::Test {
 protected:
  void write(const std::string& name, const Tile& tile) { WriteTile(dir.path() / name, tile); }
  TempDir dir;
};

}  // namespace

TEST(SrtmNaming, CellCornerAndFileName) {
  struct Case {
    double latitude, longitude;
    const char* name;
  };
  const Case cases[] = {
      {51.2, -1.6, "n51w002.hgt"},      {51.7, -0.5, "n51w001.hgt"},   {51.99999, -1.5, "n51w002.hgt"},
      {52.0, -1.5, "n52w002.hgt"},      {51.5, -1.0, "n51w002.hgt"},   {0.0, 0.0, "n00e000.hgt"},
      {-0.0, -0.0, "n00e000.hgt"},      {-0.5, 0.5, "s01e000.hgt"},    {-1.0, 166.5, "s02e166.hgt"},
      {-15.2, 166.9, "s16e166.hgt"},    {89.9, 179.9, "n89e179.hgt"},  {-89.9, -179.9, "s90w180.hgt"},
      {9.999, 99.999, "n09e099.hgt"},   {10.0, 100.0, "n10e100.hgt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CSRTMTILE::fileName(CSRTMTILE::cellCorner(c.latitude), CSRTMTILE::cellCorner(c.longitude)), c.name)
        << c.latitude << ", " << c.longitude;
  }
}

TEST_F(SrtmStore, PointsAreReadFromTheTileTheirCellNames) {
  write("n51w002.hgt", Tile(100));
  write("n52w002.hgt", Tile(200));
  write("n51w001.hgt", Tile(300));
  CSRTM store(9, dir.str());
  EXPECT_EQ(store.heightAt(51.99999, -1.5, false), 100);
  EXPECT_EQ(store.heightAt(52.0, -1.5, false), 200);
  EXPECT_EQ(store.heightAt(51.5, -0.5, false), 300);
  // On the meridian 1 W the western tile's eastern edge answers, with or
  // without the eastern tile in memory, and without reading it again.
  EXPECT_EQ(store.heightAt(51.5, -1.0, false), 100);
  EXPECT_EQ(store.heightAt(51.5, -1.0, false), 100);
  int slotsHoldingWestern = 0;
  for (int i = 0; i < store.slotCount(); ++i) slotsHoldingWestern += store.slot(i).holdsCell(51, -2) ? 1 : 0;
  EXPECT_EQ(slotsHoldingWestern, 1);
}

TEST_F(SrtmStore, StoredValuesMapToHeightsSeaAndMissing) {
  struct Case {
    int row, column;
    std::int16_t stored;
    int expected;
  };
  const Case cases[] = {
      {10, 10, -32768, kMissing}, {10, 11, -32767, kMissing}, {10, 12, -32766, 0}, {10, 13, -200, 0},
      {10, 14, -151, 0},          {10, 15, -150, -150},       {10, 16, -100, -100}, {10, 17, 0, 0},
      {10, 18, 1, 1},             {10, 19, 32767, 32767},
  };
  Tile tile(7);
  for (const Case& c : cases) tile.at(c.row, c.column) = c.stored;
  write("n10e010.hgt", tile);
  CSRTM store(9, dir.str());
  for (const Case& c : cases)
    EXPECT_EQ(store.heightAt(nodeLat(10, c.row), nodeLon(10, c.column), false), c.expected) << c.stored;
}

TEST_F(SrtmStore, PlainLookupTakesTheNodeAtOrSouthWestOfThePoint) {
  Tile tile(0);
  tile.at(600, 500) = 11;  // south-west node of the cell
  tile.at(600, 501) = 12;
  tile.at(599, 500) = 21;
  tile.at(599, 501) = 22;
  tile.at(1200, 0) = 31;   // south-west corner of the tile
  tile.at(1, 1199) = 41;   // last node reachable from inside the cell
  write("n10e010.hgt", tile);
  CSRTM store(9, dir.str());
  for (double f : {0.1, 0.5, 0.9}) {
    EXPECT_EQ(store.heightAt(10 + (600 + f) / 1200.0, 10 + (500 + f) / 1200.0, false), 11) << f;
    EXPECT_EQ(store.heightAt(10 + (601 + f) / 1200.0, 10 + (500 + f) / 1200.0, false), 21) << f;
  }
  EXPECT_EQ(store.heightAt(10.0, 10.0, false), 31);
  EXPECT_EQ(store.heightAt(10.99999, 10.99999, false), 41);
}

TEST_F(SrtmStore, ExactNegativeWholeDegreesReadTheNorthAndEastEdges) {
  Tile southern(5);
  for (int c = 0; c < 1201; ++c) southern.at(0, c) = 66;  // northern edge, at 15 S
  write("s16e166.hgt", southern);
  Tile western(5);
  for (int r = 0; r < 1201; ++r) western.at(r, 1200) = 77;  // eastern edge, at 1 W
  write("n51w002.hgt", western);
  CSRTM store(9, dir.str());
  EXPECT_EQ(store.heightAt(-15.0, 166.5, false), 66);
  EXPECT_EQ(store.heightAt(-15.0001, 166.5, false), 5);
  EXPECT_EQ(store.heightAt(51.5, -1.0, false), 77);
}

TEST_F(SrtmStore, PointsOffTheMapAreMissing) {
  write("n00e000.hgt", Tile(9));
  CSRTM store(9, dir.str());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double points[][2] = {{90.0, 0.5},  {-90.0001, 0.5}, {0.5, 180.0}, {0.5, -180.0001}, {nan, 0.5},
                              {0.5, nan},   {inf, 0.5},      {0.5, -inf},  {1e300, 1e300}};
  for (const auto& p : points)
    for (bool interpolate : {false, true})
      EXPECT_EQ(store.heightAt(p[0], p[1], interpolate), kMissing) << p[0] << ", " << p[1];
  EXPECT_EQ(store.heightAt(0.5, 0.5, false), 9);
  // Exactly 90 S and 180 W name cells beyond the map's edge: no tile can hold them.
  EXPECT_EQ(store.heightAt(-90.0, 0.5, false), kMissing);
  EXPECT_EQ(store.heightAt(0.5, -180.0, false), kMissing);
}

TEST_F(SrtmStore, TileFilesAreFoundInAnyUsualCase) {
  write("N10E010.HGT", Tile(1));
  write("N11E010.hgt", Tile(2));
  write("n12e010.hgt", Tile(3));
  write("N12E010.HGT", Tile(4));  // the lower-case name wins
  CSRTM store(9, dir.str());
  EXPECT_EQ(store.heightAt(10.5, 10.5, false), 1);
  EXPECT_EQ(store.heightAt(11.5, 10.5, false), 2);
  EXPECT_EQ(store.heightAt(12.5, 10.5, false), 3);
}

TEST_F(SrtmStore, DirectoryWorksWithAndWithoutTrailingSeparator) {
  write("n10e010.hgt", Tile(12));
  CSRTM plain(9, dir.str());
  CSRTM slashed(9, dir.withSlash());
  EXPECT_EQ(plain.heightAt(10.5, 10.5, false), 12);
  EXPECT_EQ(slashed.heightAt(10.5, 10.5, false), 12);
}

TEST_F(SrtmStore, OnlyWholeTilesLoad) {
  WriteTile(dir.path() / "n10e010.hgt", Tile(12), 2884801);
  {
    // A longer file is not a 3" tile (a 1" tile under the same name would
    // otherwise read as heights from the wrong places): no data.
    write("n11e010.hgt", Tile(13));
    std::ofstream more(dir.path() / "n11e010.hgt", std::ios::binary | std::ios::app);
    more << "trailing bytes";
  }
  std::filesystem::create_directory(dir.path() / "n12e010.hgt");
  write("n13e010.hgt", Tile(14));
  CSRTM store(9, dir.str());
  EXPECT_EQ(store.heightAt(10.5, 10.5, false), kMissing);
  EXPECT_FALSE(store.cellAvailable(10.5, 10.5));
  EXPECT_EQ(store.heightAt(11.5, 10.5, false), kMissing);
  EXPECT_EQ(store.heightAt(12.5, 10.5, false), kMissing);
  EXPECT_EQ(store.heightAt(13.5, 10.5, false), 14);
}

TEST_F(SrtmStore, AnAbsentTileIsTriedOnceOnly) {
  CSRTM store(9, dir.str());
  EXPECT_TRUE(store.cellAvailable(10.5, 10.5));
  EXPECT_EQ(store.heightAt(10.5, 10.5, false), kMissing);
  EXPECT_FALSE(store.cellAvailable(10.5, 10.5));
  // The tile arriving later is not looked for again by this store.
  write("n10e010.hgt", Tile(12));
  EXPECT_EQ(store.heightAt(10.2, 10.7, false), kMissing);
  EXPECT_EQ(store.loadSlot(10.5, 10.5), -1);
  EXPECT_EQ(CSRTM(9, dir.str()).heightAt(10.2, 10.7, false), 12);
}

TEST_F(SrtmStore, AFailedWesternTileDoesNotBlindTheEasternCell) {
  // The point on 1 W belongs to the cell of n51w002.hgt, which is absent.
  write("n51w001.hgt", Tile(300));
  CSRTM store(9, dir.str());
  EXPECT_EQ(store.heightAt(51.5, -1.0, false), kMissing);
  EXPECT_FALSE(store.cellAvailable(51.5, -1.5));
  EXPECT_TRUE(store.cellAvailable(51.5, -0.5));
  EXPECT_EQ(store.heightAt(51.5, -0.5, false), 300);
  EXPECT_EQ(store.heightAt(51.5, -0.99, true), 300);
}

TEST_F(SrtmStore, ATenthTileReplacesTheLeastUsedSlot) {
  for (int i = 0; i < 10; ++i) write(CSRTMTILE::fileName(0, i), Tile(static_cast<std::int16_t>(100 + i)));
  CSRTM store(9, dir.str());
  // The first load finds all scores equal and takes slot 0.
  EXPECT_EQ(store.heightAt(0.5, 0.5, false), 100);
  EXPECT_TRUE(store.slot(0).holdsCell(0, 0));
  for (int i = 1; i < 9; ++i) EXPECT_EQ(store.heightAt(0.5, i + 0.5, false), 100 + i);
  for (int i = 0; i < 9; ++i) EXPECT_TRUE(store.slot(i).holdsCell(0, i)) << i;
  // Slot 0 was loaded first, but using it again leaves slot 1 the least used.
  EXPECT_EQ(store.heightAt(0.5, 0.5, false), 100);
  EXPECT_EQ(store.heightAt(0.5, 9.5, false), 109);
  EXPECT_TRUE(store.slot(0).holdsCell(0, 0));
  EXPECT_TRUE(store.slot(1).holdsCell(0, 9));
  for (int i = 2; i < 9; ++i) EXPECT_TRUE(store.slot(i).holdsCell(0, i)) << i;
  EXPECT_EQ(store.heightAt(0.5, 1.5, false), 101);
}

TEST_F(SrtmStore, UsageScoresStayWithinTheirLimits) {
  write("n00e000.hgt", Tile(1));
  CSRTM store(2, dir.str());
  ASSERT_EQ(store.heightAt(0.5, 0.5, false), 1);  // slot 0 at score 0, slot 1 at -1
  for (int i = 0; i < 100001; ++i) store.heightAt(0.5, 0.5, false);
  // +1 per use, set back by 100 on passing 100 000.
  EXPECT_EQ(store.slot(0).score(), 100001 - 100);
  // -1 per visit, set forward by 100 on reaching -100 000.
  EXPECT_EQ(store.slot(1).score(), -100002 + 100);
}

TEST_F(SrtmStore, StoreWithoutSlotsAnswersMissing) {
  write("n00e000.hgt", Tile(1));
  CSRTM none(0, dir.str());
  EXPECT_EQ(none.heightAt(0.5, 0.5, false), kMissing);
  EXPECT_EQ(none.heightAt(0.5, 0.5, true), kMissing);
  EXPECT_TRUE(none.cellAvailable(0.5, 0.5));
  CSRTM negative(-3, dir.str());
  EXPECT_EQ(negative.heightAt(0.5, 0.5, false), kMissing);
}

// Interpolation inside the cell whose south-west node is at row 600, column 500
// of n10e010 (rows 599/600, columns 500/501 are its corners).
class SrtmInterpolation : public SrtmStore {
 protected:
  // Heights of the corners north-west, north-east, south-west, south-east.
  int interpolate(std::int16_t nw, std::int16_t ne, std::int16_t sw, std::int16_t se, double north, double east) {
    Tile tile(1000);
    tile.at(599, 500) = nw;
    tile.at(599, 501) = ne;
    tile.at(600, 500) = sw;
    tile.at(600, 501) = se;
    write("n10e010.hgt", tile);
    CSRTM store(9, dir.str());
    return store.heightAt(10 + (600 + north) / 1200.0, 10 + (500 + east) / 1200.0, true);
  }
};

// Expected mean by the cone weights: the cell diagonal less the distance, in
// spacings, over the corners that take part.
double coneMean(const double heights[4], const bool used[4], double north, double east) {
  const double offsets[4][2] = {{1 - north, east}, {1 - north, 1 - east}, {north, east}, {north, 1 - east}};
  double sum = 0, weights = 0;
  for (int k = 0; k < 4; ++k) {
    if (!used[k]) continue;
    const double w = std::sqrt(2.0) - std::hypot(offsets[k][0], offsets[k][1]);
    sum += w * heights[k];
    weights += w;
  }
  return sum / weights;
}

TEST_F(SrtmInterpolation, AllSeaOrAllMissingCorners) {
  EXPECT_EQ(interpolate(0, 0, 0, 0, 0.3, 0.6), 0);
  EXPECT_EQ(interpolate(0, -200, -32766, 0, 0.3, 0.6), 0);
  EXPECT_EQ(interpolate(-32768, -32768, -32768, -32767, 0.3, 0.6), kMissing);
}

TEST_F(SrtmInterpolation, LandCornersAreWeightedByCloseness) {
  const double heights[4] = {100, 200, 300, 400};
  const bool all[4] = {true, true, true, true};
  for (auto [north, east] : {std::pair{0.3, 0.6}, {0.5, 0.5}, {0.25, 0.75}, {0.7, 0.2}}) {
    const double mean = coneMean(heights, all, north, east);
    EXPECT_EQ(interpolate(100, 200, 300, 400, north, east), static_cast<int>(std::trunc(mean + 0.5)))
        << north << " " << east << " mean " << mean;
  }
}

TEST_F(SrtmInterpolation, MissingAndSeaCornersAreLeftOut) {
  const double heights[4] = {0, 100, 200, 300};
  const bool withoutNorthWest[4] = {false, true, true, true};
  const int expected = static_cast<int>(std::trunc(coneMean(heights, withoutNorthWest, 0.3, 0.6) + 0.5));
  EXPECT_EQ(interpolate(-32768, 100, 200, 300, 0.3, 0.6), expected);
  EXPECT_EQ(interpolate(0, 100, 200, 300, 0.3, 0.6), expected);
  // A coastal point takes the height of its land corners only.
  for (auto [north, east] : {std::pair{0.3, 0.6}, {0.5, 0.5}, {0.7, 0.2}}) {
    const int h = interpolate(50, 60, 0, 0, north, east);
    EXPECT_GE(h, 50);
    EXPECT_LE(h, 60);
  }
  EXPECT_EQ(interpolate(0, 0, 0, 75, 0.3, 0.6), 75);
  EXPECT_EQ(interpolate(-32768, 0, -32768, 75, 0.3, 0.6), 75);
}

TEST_F(SrtmInterpolation, NegativeMeansRoundTowardZero) {
  // A mean of -99.7 gives trunc(-99.2) = -99.
  const double heights[4] = {-100, -100, -100, -99};
  const bool all[4] = {true, true, true, true};
  const double mean = coneMean(heights, all, 0.3, 0.6);
  ASSERT_GT(mean, -100.0);
  ASSERT_LT(mean, -99.5);
  EXPECT_EQ(interpolate(-100, -100, -100, -99, 0.3, 0.6), -99);
  // So a flat -100 m reads -99 m: trunc(-99.5).
  EXPECT_EQ(interpolate(-100, -100, -100, -100, 0.3, 0.6), -99);
}

TEST_F(SrtmStore, SampleGridFillsRowsFromTheNorth) {
  Tile tile(50);
  // Columns 600.. of rows 0..1200 rise eastwards; one void, one sea node.
  for (int r = 0; r < 1201; ++r)
    for (int c = 600; c < 610; ++c) tile.at(r, c) = static_cast<std::int16_t>(c - 600 + 10 * (1200 - r));
  tile.at(600, 605) = -32768;
  tile.at(600, 606) = -500;
  write("n10e010.hgt", tile);
  CSRTM store(9, dir.str());
  const double step = 1.0 / 1200;
  const double west = 10 + 600.25 * step, south = 10 + 598.25 * step;
  const auto* grid = store.sampleGrid(west, south, 8, 3, step, false);
  ASSERT_NE(grid, nullptr);
  ASSERT_EQ(store.grid(), grid);
  EXPECT_EQ(store.gridRows(), 3);
  EXPECT_EQ(store.gridColumns(), 8);
  ASSERT_EQ(grid->rows, 3);
  ASSERT_EQ(grid->columns, 8);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 8; ++c)
      EXPECT_EQ(grid->at(r, c), store.heightAt(south + (3 - r) * step, west + c * step, false)) << r << "," << c;
  // Row 0 lies rows x step north of the south edge: node row 1200 - 601 = 599.
  EXPECT_EQ(grid->at(0, 0), 10 * 601);
  EXPECT_EQ(grid->at(1, 5), kMissing);
  EXPECT_EQ(grid->at(1, 6), 0);
  EXPECT_EQ(store.gridMaximum(), 10 * 601 + 7);
  EXPECT_EQ(store.gridMinimum(), 0);  // never above 0
  store.releaseGrid();
  EXPECT_EQ(store.grid(), nullptr);
}

TEST_F(SrtmStore, SampleGridExtremesAndFolding) {
  Tile tile(-100);
  for (int r = 0; r < 1201; r += 2)
    for (int c = 0; c < 1201; c += 3) tile.at(r, c) = static_cast<std::int16_t>(-120 + (r * 7 + c * 3) % 500);
  tile.at(600, 600) = -32768;
  write("n10e010.hgt", tile);
  CSRTM store(9, dir.str());
  const double step = 0.01, west = 10.1003, south = 10.1003;
  ASSERT_NE(store.sampleGrid(west, south, 5, 5, step, false), nullptr);
  const std::vector<std::int16_t> original = store.grid()->heights;
  EXPECT_EQ(store.gridMinimum(), -120);
  // Corners a whole turn away, or reflected at the North Pole (latitude 170
  // is 10 N half a turn of longitude away), read the same cells.
  for (auto [w, s] : {std::pair{west + 360.0, south}, {west - 720.0, south}, {west + 180.0, 180.0 - south}}) {
    ASSERT_NE(store.sampleGrid(w, s, 5, 5, step, false), nullptr) << w << " " << s;
    EXPECT_EQ(store.grid()->heights, original) << w << " " << s;
  }
  // Over the South Pole the first row lies at the folded corner itself.
  ASSERT_NE(store.sampleGrid(west - 180.0, -180.0 - south, 5, 5, step, false), nullptr);
  EXPECT_EQ(store.grid()->at(0, 0), store.heightAt(south, west, false));

  Tile low(-100);
  write("n20e010.hgt", low);
  ASSERT_NE(store.sampleGrid(10.5, 20.5, 3, 3, step, false), nullptr);
  EXPECT_EQ(store.gridMaximum(), 0);  // never below 0
  EXPECT_EQ(store.gridMinimum(), -100);
}

TEST_F(SrtmStore, SampleGridRefusesStepsAndSizesThatMakeNoGrid) {
  CSRTM store(9, dir.str());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double west, south;
    int columns, rows;
    double step;
  };
  const Case cases[] = {{0, 0, 4, 4, 0.0}, {0, 0, 4, 4, -0.1}, {0, 0, 4, 4, nan}, {0, 0, 4, 4, inf},
                        {nan, 0, 4, 4, 0.1}, {0, inf, 4, 4, 0.1}, {0, 0, 0, 4, 0.1}, {0, 0, 4, -1, 0.1}};
  for (const Case& c : cases) {
    ASSERT_NE(store.sampleGrid(0, 0, 2, 2, 0.1, false), nullptr);
    EXPECT_EQ(store.sampleGrid(c.west, c.south, c.columns, c.rows, c.step, false), nullptr) << c.step;
    EXPECT_EQ(store.grid(), nullptr);
    EXPECT_EQ(store.gridMaximum(), 0);
    EXPECT_EQ(store.gridMinimum(), 0);
  }
  // Far-off corners still end.
  EXPECT_NE(store.sampleGrid(1e300, -1e300, 2, 2, 0.1, false), nullptr);
}
