// The Radio Refractivity Data page through its real widgets, offscreen, on
// radio-climate maps written by the test into the working directory.
#include "climate/ClimateConstants.h"
#include "tests/app/WindowFixture.h"
#include "tests/climate/MapFiles.h"
#include "widgets/Numedit.h"

using tarnvale::climate::GridLattice;
using tarnvale::climate::kGridA;
using tarnvale::climate::kGridB;
using tarnvale::ui::TMainForm;

namespace {

double latitudeOfRow(const GridLattice& g, int row) { return g.latitudeOrigin + (g.rows - 1 - row) * g.latitudeStep; }

class RefractivityPageTest : public tarnvale::test::WindowTest {
 protected:
  /// Writes the four maps the page reads, each one value everywhere except
  /// where @p missing says a node has no data.
  void writeMaps(double n0, double deltaN, double surfaceDuct, double elevatedDuct, bool withDeltaN = true,
                 std::function<bool(double latitude)> missing = [](double) { return false; }) {
    auto grid = [&](const char* name, const GridLattice& g, double value) {
      tarnvale::testing::WriteGrid(dir_ / name, g, [&, value](int row, int) {
        return missing(latitudeOfRow(g, row)) ? tarnvale::climate::kMissingData : value;
      });
    };
    grid("n0.txt", kGridB, n0);
    if (withDeltaN) grid("dn.txt", kGridB, deltaN);
    grid("S_OCCUR.TXT", kGridA, surfaceDuct);
    grid("E_OCCUR.TXT", kGridA, elevatedDuct);
  }
};

TEST_F(RefractivityPageTest, WithoutDeltaNMapTheKFactorDefaults) {
  writeMaps(320, 0, 12.5, 34.5, false);
  auto form = start();
  TMainForm& f = *form;
  showPage(f, "TabSheet1");
  EXPECT_EQ(text(f, "Kfact"), "Defaulting to 1.333");
  EXPECT_EQ(text(f, "TXDNDZ"), "No data");
  EXPECT_EQ(text(f, "RXDNDZ"), "No data");
  EXPECT_EQ(text(f, "TXN_0"), "320.0 N units");
  EXPECT_EQ(text(f, "RXN_0"), "320.0 N units");
  EXPECT_EQ(text(f, "TXBETA0"), "12.5 %");
  EXPECT_EQ(text(f, "RXBETA0"), "12.5 %");
  EXPECT_EQ(text(f, "TXBETAE"), "34.5 %");
  EXPECT_EQ(text(f, "RXBETAE"), "34.5 %");
}

TEST_F(RefractivityPageTest, KFactorOfTheMidpointAndTheTimePercentage) {
  writeMaps(330, 40, 1, 2);
  auto form = start();
  TMainForm& f = *form;
  showPage(f, "TabSheet1");
  EXPECT_EQ(text(f, "Kfact"), "1.3");  // 157 / 117 = 1.3419, four digits, one decimal
  EXPECT_EQ(text(f, "TXDNDZ"), "40.0 N units/km");
  EXPECT_EQ(text(f, "PTime"), "50 %");
  find<tarnvale::ui::TNumEdit>(f, "Percent")->SetValue(0.0001);
  showPage(f, "TabSheet1");
  EXPECT_EQ(text(f, "PTime"), "0.0001 %");
}

TEST_F(RefractivityPageTest, SiteWithoutDataShowsNoDataInItsRowsOnly) {
  // Nodes south of 53 N hold the missing-data marker: the transmitter at
  // 51.2 N has none of its four, the receiver at 55.2 N and the midpoint at
  // 53.2 N have all of theirs.
  writeMaps(325, 45, 5, 6, true, [](double latitude) { return latitude < 53.0; });
  auto form = start();
  TMainForm& f = *form;
  calculateDegrees(f, "51.2 N 1.2 W", "55.2 N 1.2 W");
  showPage(f, "TabSheet1");
  for (const char* name : {"TXN_0", "TXDNDZ", "TXBETA0", "TXBETAE"}) EXPECT_EQ(text(f, name), "No data") << name;
  EXPECT_EQ(text(f, "RXN_0"), "325.0 N units");
  EXPECT_EQ(text(f, "RXDNDZ"), "45.0 N units/km");
  EXPECT_EQ(text(f, "RXBETA0"), "5.0 %");
  EXPECT_EQ(text(f, "RXBETAE"), "6.0 %");
  EXPECT_EQ(text(f, "Kfact"), "1.4");  // 157 / 112 = 1.4018
}

TEST_F(RefractivityPageTest, PathWithoutSeaHasNoCoastalDistances) {
  // No zone map in the terrain directory: no sample counts as sea.
  auto form = start();
  TMainForm& f = *form;
  ASSERT_FALSE(!find<QLabel>(f, "InvalidPath")->isHidden());
  showPage(f, "TabSheet1");
  EXPECT_EQ(text(f, "DCT"), "-1.0 km");
  EXPECT_EQ(text(f, "DCR"), "-1.0 km");
  EXPECT_EQ(text(f, "SEAFRACTION"), "0.0 %");
}

}  // namespace
