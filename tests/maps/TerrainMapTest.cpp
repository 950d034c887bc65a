// The map routine over a small synthetic tile, the link-map arithmetic and
// the Terrain Map page's label texts.
#include "maps/TerrainMap.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "maps/Colours.h"
#include "support/DataFiles.h"

namespace tarnvale {
namespace {

using test::TempDir;
using test::Tile;

// n51w002: 300 m north of 51.5 N, 100 m south of it, and a strip of sea
// from 1.75 W to 1.70 W. No tile north of 52 N.
class TerrainMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Tile tile(100);
    for (int row = 0; row < 600; ++row)
      for (int column = 0; column < test::kTileEdge; ++column) tile.at(row, column) = 300;
    for (int row = 0; row < test::kTileEdge; ++row)
      for (int column = 300; column < 360; ++column) tile.at(row, column) = 0;
    test::WriteTile(dir_.path() / "n51w002.hgt", tile);
  }
  TempDir dir_;
  CSRTM terrain_{9, dir_.withSlash()};
};

TEST(LinkMapArithmetic, EndsOfAHalfByTwoTenthsDegreePath) {
  // 0.5 degree of latitude and 0.2 of longitude: side 0.6 degree, the ends 200
  // pixels above and below the centre and 80 to either side (trunc may take
  // one pixel off where the division is not exact in binary).
  const CLocator tx(51.25, -1.6), rx(51.75, -1.4);
  const LinkMapArea area = LinkMapAreaOf(tx, rx);
  EXPECT_NEAR(area.side, 0.6, 1e-12);
  EXPECT_NEAR(area.centreLatitude, 51.5, 1e-12);
  EXPECT_NEAR(area.centreLongitude, -1.5, 1e-12);
  const PixelPoint a = LinkMapPixel(area, 480, 480, tx.latitude(), tx.longitude());
  const PixelPoint b = LinkMapPixel(area, 480, 480, rx.latitude(), rx.longitude());
  EXPECT_LE(std::abs(a.x - (240 - 80)), 1);
  EXPECT_LE(std::abs(a.y - (240 + 200)), 1);
  EXPECT_LE(std::abs(b.x - (240 + 80)), 1);
  EXPECT_LE(std::abs(b.y - (240 - 200)), 1);
  EXPECT_NEAR(LocalMapSide(240, 240), 0.1, 1e-15);
}

TEST(TerrainMapTexts, LabelsInWholeMetres) {
  EXPECT_EQ(MapHText(312, -4), "Map heights - maximum 312m,  minimum -4m");
  EXPECT_EQ(TXAreaText(0, 0), "TX Area     (max 0m,  min 0m)");
  EXPECT_EQ(RXAreaText(1345, 0), "RX Area     (max 1345m,  min 0m)");
}

TEST_F(TerrainMapTest, ThreeMapsShareTheLinkMapsColours) {
  const CLocator tx(51.25, -1.6), rx(51.75, -1.4);
  const TerrainMapSet set = DrawTerrainMaps(terrain_, tx, rx, false);
  ASSERT_TRUE(set.complete);
  ASSERT_TRUE(set.link.drawn);
  EXPECT_EQ(set.link.image.width(), 480);
  EXPECT_EQ(set.link.image.height(), 480);
  EXPECT_EQ(set.mapH, "Map heights - maximum 300m,  minimum 0m");
  EXPECT_EQ(set.txArea, "TX Area     (max 100m,  min 0m)");
  EXPECT_EQ(set.rxArea, "RX Area     (max 300m,  min 0m)");
  // Row 0 is the north: high ground at the top, low at the bottom, sea between.
  EXPECT_EQ(set.link.image.pixel(10, 10), heightColour(300, 300, 0));
  EXPECT_EQ(set.link.image.pixel(10, 470), heightColour(100, 300, 0));
  const PixelPoint sea = LinkMapPixel(LinkMapAreaOf(tx, rx), 480, 480, 51.3, -1.72);
  EXPECT_EQ(set.link.image.pixel(sea.x, sea.y), kNavy);
  // The path in white between a red and a blue marker.
  const PixelPoint a = LinkMapPixel(LinkMapAreaOf(tx, rx), 480, 480, 51.25, -1.6);
  const PixelPoint b = LinkMapPixel(LinkMapAreaOf(tx, rx), 480, 480, 51.75, -1.4);
  EXPECT_EQ(set.link.image.pixel(a.x, a.y), kRed);
  EXPECT_EQ(set.link.image.pixel(b.x, b.y), kBlue);
  const int midY = (a.y + b.y) / 2, midX = (a.x + b.x) / 2;
  int whites = 0;
  for (int x = midX - 1; x <= midX + 1; ++x) whites += set.link.image.pixel(x, midY) == kWhite;
  EXPECT_EQ(whites, 1);
  // Local maps: coloured on the link map's range, marker at the centre.
  EXPECT_EQ(set.tx.image.width(), 240);
  EXPECT_EQ(set.tx.image.pixel(120, 120), kRed);
  EXPECT_EQ(set.tx.image.pixel(5, 5), heightColour(100, 300, 0));
  EXPECT_EQ(set.rx.image.pixel(120, 120), kBlue);
  EXPECT_EQ(set.rx.image.pixel(5, 5), heightColour(300, 300, 0));
}

TEST_F(TerrainMapTest, SamePlaceGivesNoLinkMapAndZeroHeights) {
  const CLocator here(51.25, -1.6);
  const TerrainMapSet set = DrawTerrainMaps(terrain_, here, here, false);
  EXPECT_FALSE(set.link.drawn);
  EXPECT_TRUE(set.link.image.empty());
  EXPECT_EQ(set.mapH, "Map heights - maximum 0m,  minimum 0m");
  EXPECT_TRUE(set.tx.drawn);  // the local maps have their own side
}

TEST_F(TerrainMapTest, StopBetweenMapsLeavesTheRestUndrawn) {
  std::stop_source stop;
  stop.request_stop();
  const TerrainMapSet set = DrawTerrainMaps(terrain_, CLocator(51.25, -1.6), CLocator(51.75, -1.4), false,
                                            stop.get_token());
  EXPECT_FALSE(set.complete);
  EXPECT_TRUE(set.link.drawn);
  EXPECT_FALSE(set.tx.drawn);
  EXPECT_EQ(set.txArea, "TX Area");
}

TEST_F(TerrainMapTest, SeaIsNavyAndMissingTilesBlack) {
  const TerrainMap sea = drawTerrainMap(terrain_, 51.5, -1.725, 0.02, 500, 0, 20, 20, 2, false);
  ASSERT_TRUE(sea.drawn);
  EXPECT_EQ(sea.gridMaximum, 0);
  EXPECT_EQ(sea.gridMinimum, 0);
  for (Colour c : sea.image.pixels()) ASSERT_EQ(c, kNavy);
  const TerrainMap none = drawTerrainMap(terrain_, 52.5, -1.5, 0.1, 500, 0, 30, 30, 3, false);
  ASSERT_TRUE(none.drawn);
  for (Colour c : none.image.pixels()) ASSERT_EQ(c, kBlack);
}

TEST_F(TerrainMapTest, PictureIsWholeCellsAndStepFollowsTheSmallerSide) {
  // 481 x 300 pixels in cells of 2: 240 x 150 cells; step = side / 150.
  const TerrainMap map = drawTerrainMap(terrain_, 51.3, -1.5, 0.3, 500, 0, 481, 300, 2, false);
  ASSERT_TRUE(map.drawn);
  EXPECT_EQ(map.columns, 240);
  EXPECT_EQ(map.rows, 150);
  EXPECT_EQ(map.image.width(), 480);
  EXPECT_EQ(map.image.height(), 300);
  EXPECT_NEAR(map.step, 0.002, 1e-15);
  EXPECT_NEAR(map.westEdge, -1.65, 1e-12);
  EXPECT_NEAR(map.southEdge, 51.15, 1e-12);
  // Clipping to the given range: 300 m is above the maximum of 200.
  const TerrainMap clipped = drawTerrainMap(terrain_, 51.9, -1.5, 0.05, 200, 0, 10, 10, 2, false);
  EXPECT_EQ(clipped.gridMaximum, 300);
  EXPECT_EQ(clipped.image.pixel(0, 0), heightColour(200, 200, 0));
  // A side of zero samples nothing.
  EXPECT_FALSE(drawTerrainMap(terrain_, 51.3, -1.5, 0.0, 500, 0, 20, 20, 2, false).drawn);
}

}  // namespace
}  // namespace tarnvale
