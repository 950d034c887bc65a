// The Terrain Map page through its real widgets, on tiles the tests write.
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "app/pages/TImage.h"
#include "app/pages/TerrainMapPage.h"
#include "maps/RgbImage.h"
#include "tests/app/WindowFixture.h"

using tarnvale::test::WindowTest;
using tarnvale::ui::TImage;
using tarnvale::ui::TMainForm;

namespace {

QRgb rgb(tarnvale::Colour c) { return qRgb(tarnvale::RedOf(c), tarnvale::GreenOf(c), tarnvale::BlueOf(c)); }

class TerrainMapPageTest : public WindowTest {
 protected:
  /// An all-sea tile N51W002 (every sample 0) in the terrain directory.
  void writeSeaTile() { tarnvale::test::WriteTile(dir_ / "terrain" / "N51W002.hgt", tarnvale::test::Tile(0)); }

  /// Types both ends as decimal degrees into the Input Data page.
  static void typePath(TMainForm& f, const char* start, const char* end) {
    QTest::mouseClick(find<QRadioButton>(f, "DEG"), Qt::LeftButton);
    find<QLineEdit>(f, "StartLoc")->setText(QString::fromLatin1(start));
    find<QLineEdit>(f, "EndLoc")->setText(QString::fromLatin1(end));
  }
  static const QImage& picture(TMainForm& f, const char* name) { return find<TImage>(f, name)->picture(); }
};

}  // namespace

// A path 0.5 degrees north and 0.2 degrees east: the link map's side is
// 0.6 degrees in 240 x 240 cells, so the ends lie 200 px above and below the
// centre of the 480 px map and 80 px to either side of it.
TEST_F(TerrainMapPageTest, EndsOfAHalfByTwoTenthsDegreePathOverFlatSea) {
  writeSeaTile();
  auto form = startOn(dir_ / "terrain");
  TMainForm& f = *form;
  typePath(f, "51.25 N 1.6 W", "51.75 N 1.4 W");
  selectPage(f, "map");

  const QImage& link = picture(f, "LinkMap");
  ASSERT_EQ(link.size(), QSize(480, 480));
  EXPECT_EQ(link.pixel(160, 440), rgb(tarnvale::kRed)) << "transmitter 200 px below, 80 px left of the centre";
  EXPECT_EQ(link.pixel(320, 40), rgb(tarnvale::kBlue)) << "receiver 200 px above, 80 px right of the centre";
  EXPECT_EQ(link.pixel(240, 240), rgb(tarnvale::kWhite)) << "the path passes through the centre";
  // Everything off the path and the markers is sea: navy, and the heights 0.
  for (const QPoint p : {QPoint(0, 0), QPoint(479, 0), QPoint(0, 479), QPoint(479, 479), QPoint(100, 240)})
    EXPECT_EQ(link.pixel(p), rgb(tarnvale::kNavy)) << p.x() << "," << p.y();
  EXPECT_EQ(text(f, "MapH"), "Map heights - maximum 0m,  minimum 0m");

  for (const auto& [name, marker] : {std::pair{"TXLocal", tarnvale::kRed}, std::pair{"RXLocal", tarnvale::kBlue}}) {
    const QImage& local = picture(f, name);
    ASSERT_EQ(local.size(), QSize(240, 240)) << name;
    EXPECT_EQ(local.pixel(120, 120), rgb(marker)) << name;
    EXPECT_EQ(local.pixel(10, 10), rgb(tarnvale::kNavy)) << name;
  }
  EXPECT_EQ(text(f, "TXArea"), "TX Area     (max 0m,  min 0m)");
  EXPECT_EQ(text(f, "RXArea"), "RX Area     (max 0m,  min 0m)");
}

// Leaving the page (or the coverage page) asks running work to stop; showing
// the page while that request stands leaves the maps as they were, and
// Calculate clears it.
TEST_F(TerrainMapPageTest, ShowingThePageWhileAStopIsAskedForKeepsTheMaps) {
  writeSeaTile();
  auto form = startOn(dir_ / "terrain");
  TMainForm& f = *form;
  typePath(f, "51.25 N 1.6 W", "51.75 N 1.4 W");
  selectPage(f, "map");
  const QImage first = picture(f, "LinkMap");

  typePath(f, "51.3 N 1.5 W", "51.4 N 1.3 W");
  selectPage(f, "Coverage");
  selectPage(f, "map");
  EXPECT_EQ(picture(f, "LinkMap"), first);
  EXPECT_TRUE(f.session().abortRequested);

  selectPage(f, "InputData");
  click(f, "CalculateBtn");
  EXPECT_FALSE(f.session().abortRequested);
  selectPage(f, "map");
  EXPECT_NE(picture(f, "LinkMap"), first);
  EXPECT_NEAR(f.session().tx.latitude(), 51.3, 1e-9);
}

// Both ends at one place give no link map (side 0): the map is cleared rather
// than left showing another path, and the heights read 0.
TEST_F(TerrainMapPageTest, EndsAtOnePlaceDrawNoLinkMap) {
  writeSeaTile();
  auto form = startOn(dir_ / "terrain");
  TMainForm& f = *form;
  typePath(f, "51.25 N 1.6 W", "51.75 N 1.4 W");
  selectPage(f, "map");
  ASSERT_FALSE(picture(f, "LinkMap").isNull());
  selectPage(f, "InputData");
  typePath(f, "51.5 N 1.5 W", "51.5 N 1.5 W");
  click(f, "CalculateBtn");
  selectPage(f, "map");
  EXPECT_TRUE(picture(f, "LinkMap").isNull());
  EXPECT_EQ(text(f, "MapH"), "Map heights - maximum 0m,  minimum 0m");
  EXPECT_EQ(picture(f, "TXLocal").pixel(120, 120), rgb(tarnvale::kRed));
}
