// The middle of a path, where its climate is looked up.
#include <gtest/gtest.h>

#include <cmath>

#include "climate/MapFiles.h"
#include "climate/Refractivity.h"
#include "model/ModelDriver.h"

namespace tarnvale {
namespace {

TEST(MidPoint, MeanOfTheEndsOnTheShortSide) {
  const struct {
    double lat1, lon1, lat2, lon2;
    double latitude, longitude;
  } cases[] = {
      {51.0, -1.5, 52.0, 0.5, 51.5, -0.5},        // ordinary path: the plain mean, exactly
      {10.0, 170.0, 12.0, 179.0, 11.0, 174.5},    // near 180 but not across
      {-20.0, -100.0, 20.0, 60.0, 0.0, -20.0},    // 160 degrees apart: still the plain mean
      {0.0, 179.9, 0.0, -179.9, 0.0, 180.0},      // across 180 degrees
      {5.0, -179.0, 7.0, 177.0, 6.0, 179.0},      // across, the middle on the east side
      {5.0, 178.0, 7.0, -176.0, 6.0, -179.0},     // across, the middle on the west side
  };
  for (const auto& c : cases) {
    const CLocator middle = MidPoint(CLocator(c.lat1, c.lon1), CLocator(c.lat2, c.lon2));
    EXPECT_TRUE(middle.isValid()) << c.lon1 << " " << c.lon2;
    EXPECT_NEAR(middle.latitude(), c.latitude, 1e-12) << c.lon1 << " " << c.lon2;
    EXPECT_NEAR(middle.longitude(), c.longitude, 1e-12) << c.lon1 << " " << c.lon2;
  }
  // Paths that do not cross 180 degrees keep the plain mean bit for bit.
  const CLocator a(51.25, -1.37), b(51.73, -0.21);
  EXPECT_EQ(MidPoint(a, b).longitude(), (a.longitude() + b.longitude()) / 2.0);
}

TEST(MidPoint, PathAcrossTheDateLineTakesItsClimateThere) {
  // Surface refractivity that grows with the distance from Greenwich, so the
  // value found tells where it was looked up.
  testing::ScratchDir dir;
  const climate::GridLattice& grid = climate::kGridB;
  const auto byLongitude = [&grid](int, int column) {
    return 300.0 + std::fabs(grid.longitudeOrigin + column * grid.longitudeStep) / 2.0;
  };
  testing::WriteGrid(dir / "n0.txt", grid, byLongitude);
  testing::WriteConstantGrid(dir / "dn.txt", grid, 40.0);
  CRefractivity climate(dir.path());
  double n0 = 0.0, deltaN = 0.0;
  ASSERT_TRUE(ClimateAtMidPath(climate, CLocator(-17.0, 179.9), CLocator(-17.2, -179.9), n0, deltaN));
  EXPECT_NEAR(n0, 390.0, 0.5);  // 180 degrees from Greenwich, not 300 at 0 degrees
  EXPECT_NEAR(deltaN, 40.0, 1e-9);
}

}  // namespace
}  // namespace tarnvale
