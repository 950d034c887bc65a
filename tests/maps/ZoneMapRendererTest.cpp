// The Zone Map picture on a zone map file written by the test.
#include <gtest/gtest.h>

#include <cmath>

#include "climate/Zones.h"
#include "maps/ZoneMapRenderer.h"
#include "support/DataFiles.h"

using namespace tarnvale;
using tarnvale::test::TempDir;

namespace {

// Rows 2337..2342 cover 51.05 N .. 50.95 N; byte 2685 of a row holds the
// cells from 1.0 W eastwards, four cells of one arc-minute each.
constexpr int kFirstRow = 2337, kLastRow = 2342;
constexpr int kByteInRow = 2685;
// Sea, coastal land, inland, none: 01 10 11 00.
constexpr std::uint8_t kFourCodes = 0x6C;

class ZoneMapPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::pair<std::uint64_t, std::uint8_t>> bytes;
    for (int row = kFirstRow; row <= kLastRow; ++row)
      bytes.emplace_back(std::uint64_t(row) * tarnvale::test::kZoneBytesPerRow + kByteInRow, kFourCodes);
    tarnvale::test::WriteSparseZones(dir_.path() / "zones01.dem", bytes);
  }
  TempDir dir_;
};

// Pixel of an end as the zone map arithmetic places it (400 x 400, 200 x 200 cells).
struct Pixel {
  int x, y;
};
Pixel endPixel(double lat, double lon, double lat1, double lon1, double lat2, double lon2) {
  const double spanLat = 1.2 * std::fabs(lat1 - lat2), spanLon = 1.2 * std::fabs(lon1 - lon2);
  const double span = std::max(spanLat, spanLon);
  const double south = (lat1 + lat2) / 2 - span / 2, west = (lon1 + lon2) / 2 - span / 2;
  const double scale = std::max(spanLat / 200, spanLon / 200);
  return {static_cast<int>(std::trunc((lon - west) / scale * 2)),
          static_cast<int>(std::trunc((200 - (lat - south) / scale) * 2))};
}

TEST_F(ZoneMapPictureTest, ColoursOfEachCodeAndTheEnds) {
  CZONES zones(dir_.str());
  // Along the parallel 51.01 N from 1.0 W to 0.92 W: span 0.096 degrees.
  const double lat1 = 51.01, lon1 = -1.0, lat2 = 51.01, lon2 = -0.92;
  const ZoneMapPicture p = RenderZoneMap(zones, lat1, lon1, lat2, lon2);
  ASSERT_EQ(p.status, ZoneMapPicture::Status::kDrawn);
  EXPECT_EQ(p.image.width(), 400);
  EXPECT_EQ(p.image.height(), 400);
  EXPECT_EQ(p.columns, 200);
  EXPECT_EQ(p.rows, 200);
  EXPECT_NEAR(p.step, 0.096 / 200, 1e-15);
  EXPECT_NEAR(p.west, -1.008, 1e-12);
  EXPECT_NEAR(p.south, 50.962, 1e-12);
  EXPECT_EQ(zones.image(), nullptr);  // the codes are released again

  // A quarter of the way down, away from the path: the middle of each of the
  // four cells shows its code's colour.
  const int y = 100;
  const Colour expected[4] = {kNavy, kAqua, kGreen, kBlack};
  for (int cell = 0; cell < 4; ++cell) {
    const double lon = -1.0 + (cell + 0.5) / 60.0;
    const int x = 2 * static_cast<int>((lon - p.west) / p.step);
    EXPECT_EQ(p.image.pixel(x, y), expected[cell]) << "cell " << cell;
  }
  // West of 1.0 W the map holds nothing: black.
  EXPECT_EQ(p.image.pixel(2, y), kBlack);

  const Pixel tx = endPixel(lat1, lon1, lat1, lon1, lat2, lon2);
  const Pixel rx = endPixel(lat2, lon2, lat1, lon1, lat2, lon2);
  EXPECT_EQ(p.txX, tx.x);
  EXPECT_EQ(p.txY, tx.y);
  EXPECT_EQ(p.rxX, rx.x);
  EXPECT_EQ(p.rxY, rx.y);
  EXPECT_EQ(tx.x, 33);  // 1.2 x span puts the ends a twelfth of the way in
  EXPECT_EQ(rx.x, 366);
  EXPECT_EQ(p.image.pixel(tx.x, tx.y), kRed);
  EXPECT_EQ(p.image.pixel(rx.x, rx.y), kBlue);
  // Discs of 10 pixels: 4 pixels out still coloured, 6 out not.
  EXPECT_EQ(p.image.pixel(tx.x - 4, tx.y), kRed);
  EXPECT_NE(p.image.pixel(tx.x - 6, tx.y), kRed);
  EXPECT_EQ(p.image.pixel(rx.x + 4, rx.y), kBlue);
  EXPECT_NE(p.image.pixel(rx.x + 6, rx.y), kBlue);
  // The white path between them.
  EXPECT_EQ(p.image.pixel(200, tx.y), kWhite);
}

TEST_F(ZoneMapPictureTest, ReceiverIsDrawnOverTheTransmitter) {
  CZONES zones(dir_.str());
  // On a 4 x 4 picture the ends are 3 pixels apart and their discs overlap:
  // the receiver's blue covers the transmitter's centre.
  const ZoneMapPicture p = RenderZoneMap(zones, 51.0, -1.0, 51.0, -0.9, 4, 4);
  ASSERT_EQ(p.status, ZoneMapPicture::Status::kDrawn);
  ASSERT_LT(std::abs(p.rxX - p.txX), 10);
  EXPECT_EQ(p.image.pixel(p.txX, p.txY), kBlue);
}

TEST_F(ZoneMapPictureTest, IdenticalEndsGiveNoPicture) {
  CZONES zones(dir_.str());
  const ZoneMapPicture p = RenderZoneMap(zones, 51.0, -1.0, 51.0, -1.0);
  EXPECT_EQ(p.status, ZoneMapPicture::Status::kNoPicture);
  EXPECT_TRUE(p.image.empty());
  EXPECT_EQ(p.step, 0.0);
}

TEST(ZoneMapPictureNoFile, EveryCellBlackWithTheEndsStillDrawn) {
  TempDir empty;
  CZONES zones(empty.str());
  const ZoneMapPicture p = RenderZoneMap(zones, 51.0, -1.0, 51.1, -1.0);
  ASSERT_EQ(p.status, ZoneMapPicture::Status::kDrawn);
  EXPECT_EQ(p.image.pixel(0, 0), kBlack);
  EXPECT_EQ(p.image.pixel(399, 399), kBlack);
  EXPECT_EQ(p.image.pixel(p.txX, p.txY), kRed);
  EXPECT_EQ(p.image.pixel(p.rxX, p.rxY), kBlue);
  EXPECT_EQ(ZoneColour(zones::kNoData), kBlack);
  EXPECT_EQ(ZoneColour(zones::kNone), kBlack);
}

}  // namespace
