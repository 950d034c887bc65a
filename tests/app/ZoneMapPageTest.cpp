// The Zone Map page through its real widgets, offscreen, on a zone map file
// written by the test.
#include <QGroupBox>
#include <QImage>
#include <QPixmap>

#include "app/pages/ZoneMapPage.h"
#include "climate/Zones.h"
#include "maps/ZoneMapRenderer.h"
#include "support/DataFiles.h"
#include "tests/app/WindowFixture.h"
#include "tests/cli/RunCli.h"

using tarnvale::ui::TMainForm;

namespace {

// Rows 2337..2342 (51.05 N .. 50.95 N), byte 2685: from 1.0 W eastwards one
// arc-minute cell each of sea, coastal land, inland and none (01 10 11 00).
constexpr std::uint8_t kFourCodes = 0x6C;

class ZoneMapPageTest : public tarnvale::test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    std::vector<std::pair<std::uint64_t, std::uint8_t>> bytes;
    for (int row = 2337; row <= 2342; ++row)
      bytes.emplace_back(std::uint64_t(row) * tarnvale::test::kZoneBytesPerRow + 2685, kFourCodes);
    tarnvale::test::WriteSparseZones(std::filesystem::path(terrain_) / "zones01.dem", bytes);
  }
  QImage shown(TMainForm& f) {
    auto* map = find<QLabel>(f, "ZoneMap");
    return map->pixmap().toImage().convertToFormat(QImage::Format_RGB888);
  }
};

QRgb rgb(tarnvale::Colour c) { return qRgb(tarnvale::RedOf(c), tarnvale::GreenOf(c), tarnvale::BlueOf(c)); }

TEST_F(ZoneMapPageTest, ZonesAroundThePathWithBothEnds) {
  auto form = start();
  TMainForm& f = *form;
  calculateDegrees(f, "51.01 N 1.0 W", "51.01 N 0.92 W");
  showPage(f, "ZoneMapPage");
  const QImage image = shown(f);
  ASSERT_EQ(image.size(), QSize(400, 400));

  // The ends where the zone map arithmetic puts them: a span of 1.2 x 0.08
  // degrees from 1.008 W, 0.00048 degrees a cell, two pixels a cell; halfway
  // down is a hair under 200 and truncated.
  EXPECT_EQ(image.pixel(33, 199), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(366, 199), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(200, 199), qRgb(255, 255, 255));  // the path
  // Each code's colour in the middle of its cell, a quarter of the way down.
  const QRgb colours[4] = {qRgb(0, 0, 128), qRgb(0, 255, 255), qRgb(0, 128, 0), qRgb(0, 0, 0)};
  for (int cell = 0; cell < 4; ++cell) {
    const double lon = -1.0 + (cell + 0.5) / 60.0;
    const int x = 2 * static_cast<int>((lon + 1.008) / 0.00048);
    EXPECT_EQ(image.pixel(x, 100), colours[cell]) << "cell " << cell;
  }
  // The page shows what the renderer draws, pixel for pixel.
  tarnvale::CZONES zones(terrain_);
  const auto expected = tarnvale::RenderZoneMap(zones, 51.01, -1.0, 51.01, -0.92);
  ASSERT_EQ(expected.status, tarnvale::ZoneMapPicture::Status::kDrawn);
  for (int y = 0; y < 400; y += 7)
    for (int x = 0; x < 400; x += 3) ASSERT_EQ(image.pixel(x, y), rgb(expected.image.pixel(x, y))) << x << "," << y;
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(ZoneMapPageTest, KeyToZones) {
  auto form = start();
  auto* key = find<QGroupBox>(*form, "ZoneKey");
  EXPECT_EQ(key->title(), "Key to Zones");
  const struct {
    const char* swatch;
    const char* caption;
    QColor colour;
  } entries[] = {{"SeaShape", "Sea", QColor(0, 0, 128)},
                 {"CoastalShape", "Coastal", QColor(0, 255, 255)},
                 {"InlandShape", "Inland", QColor(0, 128, 0)}};
  QStringList captions;
  for (QLabel* l : key->findChildren<QLabel*>())
    if (!l->text().isEmpty()) captions << l->text();
  for (const auto& e : entries) {
    EXPECT_EQ(find<QWidget>(*form, e.swatch)->palette().color(QPalette::Window), e.colour) << e.caption;
    EXPECT_TRUE(captions.contains(e.caption)) << e.caption;
  }
}

TEST_F(ZoneMapPageTest, IdenticalEndsLeaveThePictureAsItWas) {
  auto form = start();
  TMainForm& f = *form;
  calculateDegrees(f, "51.01 N 1.0 W", "51.01 N 0.92 W");
  showPage(f, "ZoneMapPage");
  const QImage before = shown(f);
  calculateDegrees(f, "51.3 N 1.2 W", "51.3 N 1.2 W");
  showPage(f, "ZoneMapPage");
  EXPECT_EQ(shown(f), before);
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(ZoneMapPageTest, CommandLineWritesTheSamePixels) {
  auto form = start();
  TMainForm& f = *form;
  calculateDegrees(f, "51.01 N 1.0 W", "51.03 N 0.95 W");
  showPage(f, "ZoneMapPage");
  const std::string png = (dir_ / "zones.png").string();
  const auto r = tarnvale::test::RunCli({"zonemap", "--tx", field(f, "StartLoc").toStdString(), "--rx",
                                         field(f, "EndLoc").toStdString(), "--format", "deg", "--terrain", terrain_,
                                         "--out", png});
  ASSERT_EQ(r.status, 0) << r.err;
  QImage written(QString::fromStdString(png));
  ASSERT_FALSE(written.isNull());
  EXPECT_EQ(written.convertToFormat(QImage::Format_RGB888), shown(f));
}

}  // namespace
