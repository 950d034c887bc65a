// Great-circle geometry on the 6371 km sphere held against GeographicLib's
// geodesic with flattening 0.
#include <GeographicLib/Geodesic.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "geo/Locator.h"
#include "geo/Path.h"

using tarnvale::CLocator;
using tarnvale::CPath;

namespace {
const GeographicLib::Geodesic& sphere6371() {
  static const GeographicLib::Geodesic g(6371000.0, 0.0);
  return g;
}
double wrap360(double a) { return a < 0 ? a + 360 : a; }
}  // namespace

// The acos forms lose digits for short and for meridional paths. Measured:
// ranges agree to 6e-7 m, bearings to 3e-8 degrees and points along the path
// to 7e-9 degrees (acos near 1 in the longitude step); asserted with margin.
TEST(SphereOracle, RangeBearingAndPointAtMatchGeographicLib) {
  std::mt19937 random(20261210);
  std::uniform_real_distribution<double> lat(-80, 80), lon(-179, 179), offset(-3, 3);
  double worstRange = 0, worstBearing = 0, worstPoint = 0;
  for (int i = 0; i < 2000; ++i) {
    const double lat1 = lat(random), lon1 = lon(random);
    const double lat2 = std::clamp(lat1 + offset(random), -89.0, 89.0);
    const double lon2 = std::clamp(lon1 + offset(random), -180.0, 180.0);
    CPath path;
    path.setEnds(lat1, lon1, lat2, lon2);
    double range = 0, bearing = 0;
    path.rangeBearing(range, bearing);
    double s12 = 0, azi1 = 0, azi2 = 0;
    sphere6371().Inverse(lat1, lon1, lat2, lon2, s12, azi1, azi2);
    worstRange = std::max(worstRange, std::abs(range * 1000 - s12));
    if (s12 > 1000) worstBearing = std::max(worstBearing, std::abs(bearing - wrap360(azi1)));

    const double along = range * 0.37;
    double pLat = 0, pLon = 0, gLat = 0, gLon = 0;
    path.pointAt(along, pLat, pLon);
    sphere6371().Direct(lat1, lon1, azi1, along * 1000, gLat, gLon);
    worstPoint = std::max({worstPoint, std::abs(pLat - gLat), std::abs(pLon - gLon)});
  }
  std::printf("range %.3g m, bearing %.3g deg, point %.3g deg\n", worstRange, worstBearing, worstPoint);
  EXPECT_LT(worstRange, 1e-5);
  EXPECT_LT(worstBearing, 1e-7);
  EXPECT_LT(worstPoint, 3e-8);
}

TEST(SphereOracle, DestinationMatchesGeographicLibOnTheWgs84Sphere) {
  const GeographicLib::Geodesic wgsSphere(6378137.0, 0.0);
  std::mt19937 random(7);
  std::uniform_real_distribution<double> lat(-70, 70), lon(-170, 170), bearing(0, 359.99), range(1, 3000);
  double worst = 0;
  for (int i = 0; i < 2000; ++i) {
    CLocator from(lat(random), lon(random));
    const double b = bearing(random), r = range(random);
    double ourLat = 0, ourLon = 0, gLat = 0, gLon = 0;
    ASSERT_TRUE(from.destination(r, b, ourLat, ourLon));
    wgsSphere.Direct(from.latitude(), from.longitude(), b, r * 1000, gLat, gLon);
    worst = std::max({worst, std::abs(ourLat - gLat), std::abs(std::remainder(ourLon - gLon, 360.0))});
  }
  // Measured 1.7e-9 degrees (the same acos step).
  std::printf("destination worst %.3g deg\n", worst);
  EXPECT_LT(worst, 3e-8);
}
