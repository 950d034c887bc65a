// The shared tile set of a coverage run and the stores over it: the heights of
// a store with slots, each tile read once however many threads ask, and the
// tiles that could not be read reported as a store with slots reports them.
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "support/DataFiles.h"
#include "terrain/SharedTileSet.h"
#include "terrain/Srtm.h"

namespace tarnvale {
namespace {

using test::TempDir;
using test::Tile;

// A tile whose every node holds its own height, with the cell in the
// hundreds so that neighbouring tiles differ along their shared edges too.
Tile Ramp(int base) {
  Tile tile;
  for (int row = 0; row < test::kTileEdge; ++row)
    for (int column = 0; column < test::kTileEdge; ++column)
      tile.at(row, column) = static_cast<std::int16_t>(base + (row * 7 + column * 3) % 100);
  return tile;
}

class SharedTiles : public ::testing::Test {
 protected:
  void SetUp() override {
    // Four tiles around 51 N 2 W; n51w001 is absent and n52w001 is cut short.
    test::WriteTile(dir_.path() / "n51w002.hgt", Ramp(100));
    test::WriteTile(dir_.path() / "N52W002.hgt", Ramp(200));
    test::WriteTile(dir_.path() / "n52w001.hgt", Ramp(300), 1000);
  }
  TempDir dir_;
};

TEST_F(SharedTiles, AStoreOverTheSetGivesTheHeightsOfAStoreWithSlots) {
  auto set = std::make_shared<const SharedTileSet>(dir_.str());
  CSRTM shared(set);
  CSRTM slots(srtm::kDefaultSlots, dir_.str());
  EXPECT_TRUE(shared.isValid());
  EXPECT_EQ(shared.sharedTiles(), set.get());
  // Across all four cells, on their edges and corners, plain and interpolated.
  int compared = 0;
  for (double lat = 50.99; lat <= 53.0; lat += 0.0173)
    for (double lon = -2.01; lon <= -0.02; lon += 0.0291)
      for (bool interpolate : {false, true}) {
        ASSERT_EQ(shared.heightAt(lat, lon, interpolate), slots.heightAt(lat, lon, interpolate))
            << lat << ", " << lon << (interpolate ? " interpolated" : "");
        ++compared;
      }
  for (double lat : {51.0, 52.0, 53.0 - 1e-12})
    for (double lon : {-2.0, -1.0, -1e-12})
      for (bool interpolate : {false, true})
        EXPECT_EQ(shared.heightAt(lat, lon, interpolate), slots.heightAt(lat, lon, interpolate)) << lat << ", " << lon;
  EXPECT_GT(compared, 10000);
  EXPECT_EQ(shared.heightAt(95.0, 0.0, false), srtm::kMissingValue);
  // Every cell looked for once, whether or not its tile loaded: the two
  // tiles held and the cells the store with slots found no tile for.
  EXPECT_EQ(set->tilesHeld(), 2);
  EXPECT_EQ(set->tilesRead(), 2 + static_cast<int>(slots.missingTiles().size()));

  ASSERT_EQ(shared.missingTiles().size(), slots.missingTiles().size());
  for (std::size_t i = 0; i < slots.missingTiles().size(); ++i) {
    EXPECT_EQ(shared.missingTiles()[i].name, slots.missingTiles()[i].name);
    EXPECT_EQ(shared.missingTiles()[i].file, slots.missingTiles()[i].file);
    EXPECT_EQ(shared.missingTiles()[i].problem, slots.missingTiles()[i].problem);
  }
  const auto cut = set->missing(52, -1);
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->problem, TileRead::kWrongSize);
  EXPECT_FALSE(set->missing(51, -2));  // read
  EXPECT_FALSE(set->missing(10, 10));  // never asked for
  EXPECT_FALSE(shared.cellAvailable(52.5, -0.5));
  EXPECT_TRUE(shared.cellAvailable(51.5, -1.5));
}

TEST_F(SharedTiles, CellsBeyondTheLimitAreReadIntoTheStoresOwnSlots) {
  // A set that takes in two cells: the stores read the others themselves,
  // with the same heights and the same reports of missing tiles.
  auto set = std::make_shared<const SharedTileSet>(dir_.str(), 2);
  CSRTM shared(set);
  CSRTM slots(srtm::kDefaultSlots, dir_.str());
  for (double lat = 51.2; lat <= 52.9; lat += 0.0531)
    for (double lon = -1.9; lon <= -0.1; lon += 0.0417)
      for (bool interpolate : {false, true})
        ASSERT_EQ(shared.heightAt(lat, lon, interpolate), slots.heightAt(lat, lon, interpolate)) << lat << ", " << lon;
  EXPECT_EQ(set->tilesRead(), 2);
  ASSERT_EQ(shared.missingTiles().size(), slots.missingTiles().size());
  for (std::size_t i = 0; i < slots.missingTiles().size(); ++i)
    EXPECT_EQ(shared.missingTiles()[i].name, slots.missingTiles()[i].name);
  const SharedTileSet none(dir_.str(), 0);
  bool overLimit = false;
  EXPECT_EQ(none.tile(51, -2, &overLimit), nullptr);
  EXPECT_TRUE(overLimit);
  EXPECT_NE(set->tile(51, -2, &overLimit), nullptr);
  EXPECT_FALSE(overLimit);
}

TEST_F(SharedTiles, CellTilesAreTheOnesLookupsRead) {
  auto set = std::make_shared<const SharedTileSet>(dir_.str());
  CSRTM shared(set);
  CSRTM slots(srtm::kDefaultSlots, dir_.str());
  for (const CSRTM* store : {&shared, &slots}) {
    const CSRTMTILE* tile = store->cellTile(51, -2);
    ASSERT_NE(tile, nullptr);
    EXPECT_TRUE(tile->holdsCell(51, -2));
    EXPECT_EQ(tile->sampleAt(1200 - 600, 600), store->heightAt(51.5, -1.5, false));
    EXPECT_EQ(store->cellTile(51, -1), nullptr);  // absent
    EXPECT_EQ(store->cellTile(-91, 0), nullptr);  // off the map
  }
  EXPECT_EQ(shared.cellTile(52, -2), set->tile(52, -2));
  EXPECT_EQ(slots.missingTiles().size(), shared.missingTiles().size());
}

TEST_F(SharedTiles, ManyThreadsReadEachTileOnce) {
  auto set = std::make_shared<const SharedTileSet>(dir_.str());
  constexpr int kThreads = 8;
  std::vector<std::vector<const CSRTMTILE*>> seen(kThreads);
  {
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back([&, t] {
        CSRTM store(set);
        for (int i = 0; i < 200; ++i) {
          const double lat = 51.0 + (i * 37 + t * 11) % 200 / 100.0;
          store.heightAt(lat, -1.5, i % 2 == 0);
        }
        seen[t] = {set->tile(51, -2), set->tile(52, -2), set->tile(52, -1)};
      });
  }
  EXPECT_EQ(set->tilesRead(), 3);
  EXPECT_EQ(set->tilesHeld(), 2);
  for (const auto& tiles : seen) {
    EXPECT_NE(tiles[0], nullptr);
    EXPECT_EQ(tiles, seen[0]);
    EXPECT_EQ(tiles[2], nullptr);
  }
}

TEST(SharedTileSetEdges, CellsOffTheMapAndANullSet) {
  TempDir dir;
  const SharedTileSet set(dir.str());
  EXPECT_EQ(set.tile(-91, 0), nullptr);
  EXPECT_EQ(set.tile(90, 0), nullptr);
  EXPECT_EQ(set.tile(0, 180), nullptr);
  EXPECT_EQ(set.tile(0, -181), nullptr);
  EXPECT_EQ(set.tilesRead(), 0);
  EXPECT_EQ(set.tile(0, 0), nullptr);  // absent
  EXPECT_EQ(set.tilesRead(), 1);
  const auto absent = set.missing(0, 0);
  ASSERT_TRUE(absent);
  EXPECT_EQ(absent->name, "n00e000.hgt");
  EXPECT_EQ(absent->problem, TileRead::kAbsent);

  const CSRTM none(std::shared_ptr<const SharedTileSet>{});
  EXPECT_EQ(none.heightAt(51.5, -1.5, false), srtm::kMissingValue);
  EXPECT_EQ(none.heightAt(51.5, -1.5, true), srtm::kMissingValue);
  EXPECT_TRUE(none.missingTiles().empty());
}

}  // namespace
}  // namespace tarnvale
