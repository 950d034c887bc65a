#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geo/Locator.h"
#include "geo/Path.h"

using tarnvale::CLocator;
using tarnvale::CPath;

TEST(CPath, RangeAndBearingOfWorkedPath) {
  CPath path;
  path.setEnds(CLocator(51, -1), CLocator(51, 1));
  double range = 0, bearing = 0;
  path.rangeBearing(range, bearing);
  EXPECT_NEAR(range, 139.95, 0.005);
  EXPECT_NEAR(bearing, 89.22, 0.005);  // leaves slightly north of east
  EXPECT_TRUE(path.isValid());
}

TEST(CPath, BearingQuadrants) {
  const struct {
    double lat1, lon1, lat2, lon2;
    double bearing;
  } cases[] = {
      {51, -1, 50, -1, 180},        // due south
      {50, -1, 51, -1, 0},          // due north
      {0, 0, 0, 1, 90},             // east along the equator
      {0, 1, 0, 0, 270},            // west along the equator
      {51, 1, 51, -1, 360 - 89.22}, // lon2 < lon1: above 180
  };
  for (const auto& c : cases) {
    CPath path;
    path.setEnds(c.lat1, c.lon1, c.lat2, c.lon2);
    double range = 0, bearing = 0;
    path.rangeBearing(range, bearing);
    EXPECT_NEAR(bearing, c.bearing, 0.005) << c.lat1 << "," << c.lon1 << " -> " << c.lat2 << "," << c.lon2;
  }
}

TEST(CPath, NearlyCoincidentEndsHaveBearingZeroOr360) {
  CPath path;
  double range = 0, bearing = 0;
  path.setEnds(51.0, -1.0, 51.0 + 1e-5, -1.0 + 1e-5);  // about 1.3 m apart
  path.rangeBearing(range, bearing);
  EXPECT_EQ(bearing, 0.0);
  EXPECT_LT(range, 0.002);
  path.setEnds(51.0, -1.0, 51.0, -1.0 - 1e-6);
  path.rangeBearing(range, bearing);
  EXPECT_NEAR(bearing, 360.0, 1e-9);
  path.setEnds(51.0, -1.0, 51.0, -1.0);
  path.rangeBearing(range, bearing);
  EXPECT_EQ(range, 0.0);
  EXPECT_EQ(bearing, 0.0);
}

TEST(CPath, PointAtFullRangeIsEndTwo) {
  const double ends[][4] = {{51, -1, 51, 1}, {51.35, -1.46, 51.61, -1.23}, {10, 20, -30, 60}, {60, -3, 58, -5}};
  for (const auto& e : ends) {
    CPath path;
    path.setEnds(e[0], e[1], e[2], e[3]);
    double range = 0, bearing = 0, lat = 0, lon = 0;
    path.rangeBearing(range, bearing);
    path.pointAt(range, lat, lon);
    EXPECT_NEAR(lat, e[2], 1e-9);
    EXPECT_NEAR(lon, e[3], 1e-9);
    // At distance 0 the longitude comes from acos of a value within an ulp
    // of 1, which leaves up to about 1e-6 degrees (0.1 m).
    path.pointAt(0, lat, lon);
    EXPECT_NEAR(lat, e[0], 1e-12);
    EXPECT_NEAR(lon, e[1], 2e-6);
  }
}

TEST(CPath, DestinationAndPointAlongUseDifferentSpheres) {
  CLocator origin(0.0, 0.0);
  double lat = 1, lon = 0;
  ASSERT_TRUE(origin.destination(100, 90, lat, lon));
  EXPECT_NEAR(lat, 0, 1e-12);
  EXPECT_NEAR(lon, 0.8983, 5e-5);  // 6378.137 km sphere
  EXPECT_NEAR(lon, 100 / 6378.137 * 180 / M_PI, 1e-9);

  CPath path;
  path.setEnds(origin, CLocator(0.0, 1.0));
  path.pointAlong(90, 100, lat, lon);
  EXPECT_NEAR(lon, 0.8993, 5e-5);  // 6371 km sphere
  EXPECT_NEAR(lon, 100 / 6371.0 * 180 / M_PI, 1e-9);
}

TEST(CPath, SetStartAloneMakesPointAlongMeaningful) {
  CPath fromStart;
  fromStart.setStart(CLocator(51, -1));
  CPath solved;
  solved.setEnds(CLocator(51, -1), CLocator(52, 0));
  for (double bearing : {0.0, 45.0, 135.0, 200.0, 315.0}) {
    double lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
    fromStart.pointAlong(bearing, 25, lat1, lon1);
    solved.pointAlong(bearing, 25, lat2, lon2);
    EXPECT_EQ(lat1, lat2);
    EXPECT_EQ(lon1, lon2);
  }
}

TEST(CPath, WestwardPointsAreNotWrapped) {
  CPath path;
  path.setStart(0, -179.5);
  double lat = 0, lon = 0;
  path.pointAlong(270, 111.19492664455873, lat, lon);  // one degree on the 6371 km sphere
  EXPECT_NEAR(lon, -180.5, 1e-9);
}

TEST(CLocatorDestination, InvalidLocationGivesZeroAndFalse) {
  CLocator invalid("not a place", 0);
  double lat = 5, lon = 5;
  EXPECT_FALSE(invalid.destination(10, 10, lat, lon));
  EXPECT_EQ(lat, 0);
  EXPECT_EQ(lon, 0);
}

TEST(CPath, SteadyPointsKeepTheLatitudeAndStopTheWavering) {
  // Paths in every direction from a site on whole node lines, due north and
  // south among them, where pointAt's arc cosine wavers most.
  const double bearings[] = {0.0, 1e-7, 0.01, 37.0, 90.0, 179.99999, 180.0, 181.0, 270.0, 359.9999};
  for (double startLat : {51.42, -33.9, 0.0, 64.9}) {
    CPath start;
    start.setStart(startLat, -1.55);
    for (double bearing : bearings) {
      double endLat = 0, endLon = 0;
      start.pointAlong(bearing, 85.0, endLat, endLon);
      CPath path;
      path.setEnds(startLat, -1.55, endLat, endLon);
      for (double d = 0.0; d <= 85.0; d += 0.35) {
        double lat = 0, lon = 0, steadyLat = 0, steadyLon = 0;
        path.pointAt(d, lat, lon);
        path.steadyPointAt(d, steadyLat, steadyLon);
        ASSERT_EQ(steadyLat, lat) << startLat << " bearing " << bearing << " at " << d;
        // pointAt's wavering, as the steady point's documentation bounds it
        // (in radians, here with room of two).
        const double toRad = std::numbers::pi / 180.0;
        const double dLon = std::fabs(std::sin((steadyLon + 1.55) * toRad));
        const double bound =
            2.0 * (5e-16 / (std::cos(lat * toRad) * std::cos(startLat * toRad)) + 3.3e-16);
        const double wavering = std::fabs(lon - steadyLon) * toRad;
        if (dLon > 1e-6)
          ASSERT_LE(wavering * dLon, bound) << startLat << " bearing " << bearing << " at " << d;
        else
          ASSERT_LE(wavering * wavering, 2.0 * bound) << startLat << " bearing " << bearing << " at " << d;
      }
    }
  }
  // Away from the meridian the two agree to rounding.
  CPath path;
  path.setEnds(51.0, -1.0, 51.3, 1.0);
  double lat = 0, lon = 0, steadyLat = 0, steadyLon = 0;
  path.pointAt(100.0, lat, lon);
  path.steadyPointAt(100.0, steadyLat, steadyLon);
  EXPECT_NEAR(steadyLon, lon, 1e-12);
}
