// The Earth bulge the profile chart shows on a 100 km path, where the
// effective Earth radius in use makes tens of metres of difference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "session/Session.h"
#include "support/DataFiles.h"

using namespace tarnvale;

namespace {

// A path of about 100 km due north over ground that reads 0 everywhere (no
// tiles) and without climate maps, so that the stored pair 320 / 45 applies.
struct BulgeRun {
  test::TempDir terrain, climate;
  Session session{climate.str()};
  BulgeRun() { EXPECT_EQ(session.CreateDataObjects(terrain.withSlash()), StartupFailure::kNone); }
  CalculateOutcome run(const InputValues& f) {
    return session.CalculateEnds(CLocator(51.0, -1.0), CLocator(51.9, -1.0), f);
  }
};

}  // namespace

TEST(EarthBulge, FollowsTheEffectiveRadiusInUseOnA100KmPath) {
  struct Case {
    bool forced;
    double k;  // the factor the model must use
  };
  const Case cases[] = {{false, 157.0 / (157.0 - 45.0)}, {true, 1.333}, {true, 1.0}, {true, 0.5}, {true, 100.0}};
  BulgeRun r;
  double previousMid = -1.0;
  for (const Case& c : cases) {
    InputValues f;
    f.forcedKFactor = c.forced;
    f.kFactor = c.k;
    const CalculateOutcome out = r.run(f);
    ASSERT_TRUE(out.pathValid);
    ASSERT_TRUE(out.chart);
    const TerrainProfile& p = r.session.model()->profile();
    const double length = p.pathLength;
    ASSERT_NEAR(length, 100.08, 0.01);
    const double radius = 6371.0 * c.k;  // km
    // The mid-path bulge: L^2 / 8 Re, in metres; the axis makes room for it.
    const double mid = 125.0 * length * length / radius;
    EXPECT_NEAR(p.midBulge, mid, 1e-9) << c.k;
    const double top = std::max({p.height[0], p.height[p.n - 1], p.maxHeight});
    EXPECT_NEAR(out.chart->leftMaximum, 1.5 * top + 1.5 * mid, 1e-9) << c.k;
    // Every sample: the height of the arc above the chord, the chord's depth
    // taken in whole metres; and so within 1.1 m of the parabola d (L - d) / 2 Re.
    const double chord = std::trunc(1000.0 * std::sqrt(radius * radius - length * length / 4));
    for (int i = 1; i + 1 < p.n; ++i) {
      const double d = out.chart->x[i];
      const double arc = 1000.0 * std::sqrt(radius * radius - (d - length / 2) * (d - length / 2)) - chord;
      ASSERT_NEAR(out.chart->bulge[i], arc, 1e-4) << c.k << " sample " << i;  // rounding of a 637 100 km radius
      ASSERT_NEAR(out.chart->bulge[i], 1000.0 * d * (length - d) / (2 * radius), 1.1) << c.k << " sample " << i;
      // Flat ground: the terrain drawn is the bulge itself.
      ASSERT_EQ(out.chart->terrain[i], out.chart->bulge[i]);
    }
    EXPECT_EQ(out.chart->bulge.front(), 0.0);
    EXPECT_EQ(out.chart->bulge.back(), 0.0);
    // A factor taken for another shows: each case lies metres apart.
    if (previousMid >= 0) {
      EXPECT_GT(std::fabs(previousMid - mid), 5.0);
    }
    previousMid = mid;
  }
}

TEST(EarthBulge, ImperialAndFlatEarth) {
  BulgeRun r;
  InputValues f;
  f.forcedKFactor = true;
  f.kFactor = 4.0 / 3.0;
  f.metric = false;
  CalculateOutcome out = r.run(f);
  ASSERT_TRUE(out.chart);
  const TerrainProfile& p = r.session.model()->profile();
  const double mid = 125.0 * p.pathLength * p.pathLength / (6371.0 * 4.0 / 3.0);
  EXPECT_NEAR(p.midBulge, mid, 1e-9);
  EXPECT_NEAR(out.chart->leftMaximum, 4.9 * 10.0 + 4.9 * mid, 1e-9);  // antennas of 10 m on flat ground
  const int half = p.n / 2;
  EXPECT_NEAR(out.chart->bulge[half], p.curvature[half] * 3.28084, 1e-9);
  EXPECT_NEAR(out.chart->x[half], p.dist[half] * 0.6213881811967936552, 1e-12);

  f.flatEarth = true;
  out = r.run(f);
  ASSERT_TRUE(out.chart);
  for (double b : out.chart->bulge) ASSERT_EQ(b, 0.0);
  EXPECT_NEAR(out.chart->leftMaximum, 4.9 * 10.0, 1e-9);
}
