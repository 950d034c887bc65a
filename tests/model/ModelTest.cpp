#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "model/LossFunctions.h"
#include "model/Terrain.h"
#include "model/ProfileBuilders.h"

using tarnvale::CTerrain;
using tarnvale::PathModelResults;
using tarnvale::TerrainProfile;
using tarnvale::test::Inland;
using tarnvale::test::MakeProfile;
using tarnvale::test::Sea;
namespace loss = tarnvale::loss;

namespace {

double flat(double) { return 0.0; }

/// A ridge of @p height metres standing on samples within 20 m of @p at km.
std::function<double(double)> ridges(std::vector<std::pair<double, double>> peaks) {
  return [peaks](double x) {
    for (auto [at, height] : peaks)
      if (std::fabs(x - at) < 0.02) return height;
    return 0.0;
  };
}

// The program's default radio inputs.
constexpr double kFreq = 10.368, kN0 = 320, kDeltaN = 45, kLat = 51;

}  // namespace

TEST(LossFunctions, WorkedValues) {
  EXPECT_NEAR(loss::KnifeEdgeLoss(0.0), 6.03, 0.005);
  EXPECT_EQ(loss::KnifeEdgeLoss(-0.78), 0.0);
  EXPECT_NEAR(loss::KnifeEdgeLoss(-0.7799), 0.004, 0.001);  // the loss rises almost continuously
  EXPECT_EQ(loss::Enhancement(50, 10, 10), 0.0);
  EXPECT_LT(loss::Enhancement(1, 10, 10), 0.0);
  EXPECT_EQ(loss::Enhancement(0.00001, 10, 10), loss::Enhancement(0.0001, 10, 10));
  EXPECT_DOUBLE_EQ(loss::DistanceBlend(20), 0.5);
  EXPECT_DOUBLE_EQ(loss::AngularBlend(0.3), 0.5);
  EXPECT_NEAR(loss::InverseNormal(0.5), 0.0, 1e-8);  // the approximation leaves about 1.3e-9
  EXPECT_NEAR(loss::InverseNormal(0.01), 2.326, 0.001);  // standard normal tables
  EXPECT_NEAR(loss::InverseNormal(0.99), -2.326, 0.001);
  EXPECT_EQ(loss::InterpolationFactor(50.5, 5), 0.0);
  EXPECT_EQ(loss::InterpolationFactor(4, 5), 1.0);
  EXPECT_EQ(loss::InterpolationFactor(5, 5), 1.0);
  const double between = loss::InterpolationFactor(20, 5);
  EXPECT_GT(between, 0.0);
  EXPECT_LT(between, 1.0);
}

TEST(LossFunctions, FreeSpaceLossIsTheInverseSquareLaw) {
  // 20 log10(4 pi d f / c) with d in km and f in GHz.
  for (double f : {0.1, 10.368, 300.0})
    for (double d : {0.1, 30.0, 3000.0}) {
      const double exact = 20 * std::log10(4 * M_PI * d * 1e3 * f * 1e9 / 299792458.0);
      EXPECT_NEAR(loss::FreeSpaceLoss(f, d), exact, 0.01);
    }
  EXPECT_EQ(loss::FreeSpaceLoss(10, 0), 0.0);
}

TEST(CTerrainModel, MedianFactorFromLapseRate) {
  CTerrain model;
  ASSERT_TRUE(model.initialised());
  auto p = MakeProfile(10, 9.975, 400, flat, Inland);
  ASSERT_TRUE(model.CalculateProfile(p, kLat, kN0, 40, kFreq, 50, 10, 10));
  EXPECT_NEAR(model.results().k50, 1.3418, 1e-4);  // 157/117
  // A forced factor of 4/3 is passed as a lapse of 157 (1 - 3/4).
  ASSERT_TRUE(model.CalculateProfile(p, kLat, kN0, 157 * (1 - 0.75), kFreq, 50, 10, 10));
  EXPECT_NEAR(model.results().k50, 4.0 / 3.0, 1e-12);
  // No effective Earth for a lapse of 157 or more: no valid path.
  EXPECT_FALSE(model.CalculateProfile(p, kLat, kN0, 157, kFreq, 50, 10, 10));
  EXPECT_FALSE(model.results().ok);
}

TEST(CTerrainModel, SeaFractionAndCoastalDistances) {
  CTerrain model;
  // All sea, 10 km path sampled to 9.975 km.
  ASSERT_TRUE(model.CalculateProfile(MakeProfile(10, 9.975, 400, flat, Sea), kLat, kN0, kDeltaN, kFreq, 50, 10, 10));
  EXPECT_NEAR(model.results().omega, 0.9975, 1e-12);
  EXPECT_EQ(model.results().dct, 0.0);
  EXPECT_EQ(model.results().dcr, 0.0);
  EXPECT_EQ(model.results().dtm, 0.0);
  EXPECT_EQ(model.results().dlm, 0.0);
  // No sea.
  ASSERT_TRUE(model.CalculateProfile(MakeProfile(10, 9.975, 400, flat, Inland), kLat, kN0, kDeltaN, kFreq, 50, 10, 10));
  EXPECT_EQ(model.results().omega, 0.0);
  EXPECT_EQ(model.results().dct, -1.0);
  EXPECT_EQ(model.results().dcr, -1.0);
  EXPECT_NEAR(model.results().dlm, 9.975, 1e-9);
  // Land 0..3 km (coastal from 2 km), sea 3..7 km, inland again after: shares
  // are half the distance between neighbours, coasts halfway between samples.
  auto mixed = MakeProfile(10, 10, 11, flat, [](double x) { return x < 2.5 ? 3 : x < 3.5 ? 2 : x < 7.5 ? 1 : 3; });
  ASSERT_TRUE(model.CalculateProfile(mixed, kLat, kN0, kDeltaN, kFreq, 50, 10, 10));
  const PathModelResults& r = model.results();
  EXPECT_NEAR(r.omega, 0.4, 1e-12);   // samples 4..7
  EXPECT_NEAR(r.dct, 3.5, 1e-12);     // between samples 3 and 4
  EXPECT_NEAR(r.dcr, 10 - 7.5, 1e-12);
  EXPECT_NEAR(r.dtm, 3.5, 1e-12);     // samples 0..3: 0.5 + 1 + 1 + 1
  EXPECT_NEAR(r.dlm, 2.5, 1e-12);     // samples 0..2, and 8..10 likewise
}

TEST(CTerrainModel, ClearLineOfSightIsFreeSpaceWithEnhancement) {
  CTerrain model;
  auto p = MakeProfile(10, 9.975, 400, flat, Inland);
  for (double percent : {50.0, 1.0}) {
    ASSERT_TRUE(model.CalculateProfile(p, kLat, kN0, kDeltaN, kFreq, percent, 30, 30));
    const PathModelResults& r = model.results();
    EXPECT_TRUE(r.lineOfSight);
    EXPECT_EQ(r.Ldp, 0.0);
    EXPECT_EQ(r.Lbd, r.Lb0p);
    EXPECT_DOUBLE_EQ(r.Lb0p, r.Lbfsg + loss::Enhancement(percent, r.dlt, r.dlr));
    EXPECT_NEAR(r.Lb, r.Lb0p, 0.01);  // far below troposcatter and ducting
  }
}

TEST(CTerrainModel, SingleKnifeEdge) {
  CTerrain model;
  auto p = MakeProfile(20, 19.975, 800, ridges({{10, 200}}), Inland);
  ASSERT_TRUE(model.CalculateProfile(p, kLat, kN0, kDeltaN, kFreq, 50, 10, 10));
  const PathModelResults& r = model.results();
  EXPECT_FALSE(r.lineOfSight);
  EXPECT_EQ(r.principalEdge, 400);
  EXPECT_EQ(r.txEdge, 400);
  EXPECT_EQ(r.rxEdge, 400);
  EXPECT_EQ(r.Lt, 0.0);
  EXPECT_EQ(r.Lr, 0.0);
  EXPECT_GT(r.Lm, 30.0);
  // p = 50 takes the median loss as it is.
  EXPECT_DOUBLE_EQ(r.Ldp, r.Lm + (1 - std::exp(-r.Lm / 6)) * (10 + 0.04 * 19.975));
  EXPECT_DOUBLE_EQ(r.Lbd, r.Lbd50);
  EXPECT_DOUBLE_EQ(r.Lbd50, r.Lbfsg + r.Ldp);
  // Horizons on the ridge from both ends.
  EXPECT_EQ(r.ilt, 400);
  EXPECT_EQ(r.ilr, 400);
  EXPECT_NEAR(r.dlt, 10, 1e-9);
  EXPECT_NEAR(r.dlr, 10, 1e-9);
  EXPECT_NEAR(r.hm, 200, 1e-9);
}

TEST(CTerrainModel, ThreeEdgesAndTimePercentageRegimes) {
  CTerrain model;
  auto p = MakeProfile(20, 19.975, 800, ridges({{5, 120}, {10, 200}, {15, 120}}), Inland);
  ASSERT_TRUE(model.CalculateProfile(p, kLat, kN0, kDeltaN, kFreq, 50, 10, 10));
  const PathModelResults median = model.results();
  EXPECT_EQ(median.principalEdge, 400);
  EXPECT_EQ(median.txEdge, 200);
  EXPECT_EQ(median.rxEdge, 600);
  EXPECT_GT(median.Lt, 0.0);
  EXPECT_GT(median.Lr, 0.0);
  const double beta0 = median.beta0;
  ASSERT_GT(beta0, 1.0);
  ASSERT_LT(beta0, 20.0);

  // p below beta0: the beta0 earth alone.
  ASSERT_TRUE(model.CalculateProfile(p, kLat, kN0, kDeltaN, kFreq, beta0 / 2, 10, 10));
  const PathModelResults low = model.results();
  // p between beta0 and 50: between the two.
  ASSERT_TRUE(model.CalculateProfile(p, kLat, kN0, kDeltaN, kFreq, (beta0 + 50) / 2, 10, 10));
  const PathModelResults mid = model.results();
  EXPECT_LT(low.Ldp, median.Ldp);  // a flatter earth clears the edges more
  EXPECT_GT(mid.Ldp, low.Ldp);
  EXPECT_LT(mid.Ldp, median.Ldp);
  ASSERT_TRUE(model.CalculateProfile(p, kLat, kN0, kDeltaN, kFreq, beta0 / 10, 10, 10));
  EXPECT_DOUBLE_EQ(model.results().Ldp, low.Ldp);  // Fi = 1 for every p <= beta0
  EXPECT_DOUBLE_EQ(low.Lbd, low.Lb0p + low.Ldp);
}

TEST(CTerrainModel, TransHorizonTroposcatter) {
  CTerrain model;
  auto hills = [](double x) { return 100 + 80 * std::sin(x / 3) + (x < 10 ? 200 : 0) + (x > 140 ? 200 : 0); };
  auto p = MakeProfile(150, 149.85, 999, hills, Inland);
  ASSERT_TRUE(model.CalculateProfile(p, kLat, kN0, kDeltaN, 2.0, 50, 10, 10));
  const PathModelResults& r = model.results();
  EXPECT_FALSE(r.lineOfSight);
  EXPECT_GT(r.theta_t, 0.0);
  EXPECT_GT(r.theta_r, 0.0);
  EXPECT_LT(r.ilt, r.ilr);
  EXPECT_NEAR(r.theta, 1000 * 150 / (6371 * r.k50) + r.theta_t + r.theta_r, 1e-9);
  // Troposcatter dominates the blend on this long obstructed path.
  EXPECT_LT(r.Lbs, r.Lbd);
  EXPECT_NEAR(r.Lb, r.Lbs, 0.1);
  EXPECT_GE(model.results().hullCount, 3);
}

TEST(CTerrainModel, DuctingOverSea) {
  CTerrain model;
  auto p = MakeProfile(100, 99.9, 999, flat, Sea);
  ASSERT_TRUE(model.CalculateProfile(p, kLat, kN0, kDeltaN, kFreq, 0.01, 20, 20));
  const PathModelResults& r = model.results();
  EXPECT_GE(r.omega, 0.75);
  EXPECT_EQ(r.dct, 0.0);
  // At small time percentages ducting carries the signal beyond the horizon.
  EXPECT_LT(r.Lba, r.Lbs);
  EXPECT_LT(r.Lba, r.Lbd);
  EXPECT_LT(r.Lb, r.Lbd);
  const double seaDucting = r.Lba;
  // The same path over land loses the over-sea coupling gain.
  ASSERT_TRUE(model.CalculateProfile(MakeProfile(100, 99.9, 999, flat, Inland), kLat, kN0, kDeltaN, kFreq, 0.01, 20, 20));
  EXPECT_GT(model.results().Lba, seaDucting);
}

TEST(CTerrainModel, VeryShortSpanIsFreeSpaceWithDefinedHorizons) {
  // 0.1 km sampled to 0.095 km: the span is under 0.1 km.
  CTerrain model;
  auto p = MakeProfile(0.1, 0.095, 20, flat, Inland);
  ASSERT_TRUE(model.CalculateProfile(p, kLat, kN0, kDeltaN, kFreq, 1, 10, 10));
  const PathModelResults& r = model.results();
  EXPECT_TRUE(r.lineOfSight);
  EXPECT_EQ(r.Lb0p, r.Lbfsg);
  EXPECT_EQ(r.Lbd, r.Lbfsg);
  EXPECT_EQ(r.Ldp, 0.0);
  EXPECT_GT(r.dlt + r.dlr, 0.0);
  EXPECT_TRUE(std::isfinite(r.Lba));
  EXPECT_TRUE(std::isfinite(r.Lb));
}

TEST(CTerrainModel, RejectsProfilesItCannotAnalyse) {
  CTerrain model;
  EXPECT_FALSE(model.CalculateProfile(MakeProfile(0.05, 0.05, 20, flat, Inland), kLat, kN0, kDeltaN, kFreq, 50, 10, 10));
  TerrainProfile twoPoints = MakeProfile(5, 5, 2, flat, Inland);
  EXPECT_FALSE(model.CalculateProfile(twoPoints, kLat, kN0, kDeltaN, kFreq, 50, 10, 10));
  TerrainProfile repeated = MakeProfile(5, 5, 10, flat, Inland);
  repeated.dist[5] = repeated.dist[4];
  EXPECT_FALSE(model.CalculateProfile(repeated, kLat, kN0, kDeltaN, kFreq, 50, 10, 10));
}

TEST(CTerrainModel, LineOfSightStringAndFresnelZone) {
  CTerrain model;
  auto p = MakeProfile(20, 19.975, 800, ridges({{10, 200}}), Inland);
  ASSERT_TRUE(model.CalculateProfile(p, kLat, kN0, kDeltaN, kFreq, 50, 10, 10));
  const int n = model.profile().n;
  ASSERT_EQ(model.results().hullCount, 2);  // over the ridge to the receiver
  EXPECT_EQ(model.hullIndex()[0], 400);
  EXPECT_EQ(model.hullIndex()[1], n - 1);
  EXPECT_EQ(model.rayHeight()[0], 10.5);  // the transmitter antenna, rounded up half a metre
  EXPECT_EQ(model.rayHeight()[400], 200.5);
  EXPECT_EQ(model.rayHeight()[n - 1], model.profile().height[n - 1]);
  EXPECT_EQ(model.fresnelRadius()[0], 0.0);
  EXPECT_EQ(model.fresnelRadius()[400], 0.0);
  // Mid-segment radius sqrt(lambda x (o - x) / o) at 5 km of a 10 km span.
  EXPECT_NEAR(model.fresnelRadius()[200], std::sqrt(0.2998 / kFreq * 5000 * 5000 / 10000), 1e-9);
}

TEST(CTerrainModel, CoverageModeSkipsDisplayArrays) {
  CTerrain model;
  auto p = MakeProfile(20, 19.975, 800, ridges({{10, 200}}), Inland);
  ASSERT_TRUE(model.CalculateProfile(p, kLat, kN0, kDeltaN, kFreq, 50, 10, 10, /*coverage=*/true));
  EXPECT_EQ(model.results().hullCount, 0);
  EXPECT_EQ(model.profile().midBulge, 0.0);
  EXPECT_EQ(model.profile().curvature[400], 0.0);
  const double coverageLoss = model.results().Lb;
  ASSERT_TRUE(model.CalculateProfile(p, kLat, kN0, kDeltaN, kFreq, 50, 10, 10));
  EXPECT_DOUBLE_EQ(model.results().Lb, coverageLoss);
  EXPECT_GT(model.profile().midBulge, 0.0);
}

// Every result stays finite for any inputs the entry fields accept, over
// rough, flat, sea and mixed profiles of any length.
TEST(CTerrainModel, RandomInputsWithinFieldLimitsGiveFiniteLosses) {
  std::mt19937 random(452);
  std::uniform_real_distribution<double> unit(0, 1);
  auto logUniform = [&](double lo, double hi) { return lo * std::pow(hi / lo, unit(random)); };
  CTerrain model;
  int checked = 0;
  for (int run = 0; run < 3000; ++run) {
    const double length = logUniform(0.1, 3000);
    const int n = 3 + static_cast<int>(unit(random) * 997);
    const int shape = run % 5;
    const double relief = logUniform(1, 3000);
    const double phase = unit(random) * 10;
    TerrainProfile p = MakeProfile(length, length * (1 - unit(random) * 0.05), n,
                                   [&](double x) {
                                     switch (shape) {
                                       case 0: return 0.0;
                                       case 1: return relief * std::fabs(std::sin(x * 7 / length + phase));
                                       case 2: return relief * unit(random);
                                       case 3: return x < length / 2 ? relief : 0.0;
                                       default: return relief * (unit(random) < 0.02);
                                     }
                                   },
                                   [&](double) { return static_cast<int>(unit(random) * 4) | (unit(random) < 0.01 ? 255 : 0); });
    const double k = logUniform(0.5, 100);  // the forced factor's range, as a lapse rate
    const double deltaN = (run % 2) ? 157 * (1 - 1 / k) : unit(random) * 120 - 20;
    const double frequency = logUniform(0.025, 300);
    const double percent = run % 7 == 0 ? 50 : logUniform(0.0001, 50);
    const double txH = run % 3 == 0 ? 0 : logUniform(0.1, 10000);
    const double rxH = run % 4 == 0 ? 0 : logUniform(0.1, 10000);
    const double latitude = unit(random) * 180 - 90;
    const double n0 = 250 + unit(random) * 150;
    if (!model.CalculateProfile(p, latitude, n0, deltaN, frequency, percent, txH, rxH)) continue;
    const PathModelResults& r = model.results();
    for (double v : {r.Lbfsg, r.Lb0p, r.Lb0beta, r.Lbd50, r.Ldp, r.Lbd, r.Lbs, r.Lba, r.Lb, r.beta0, r.omega, r.theta,
                     r.theta_t, r.theta_r, r.dlt, r.dlr, r.hte, r.hre, r.hm, r.hst, r.hsr})
      ASSERT_TRUE(std::isfinite(v)) << "run " << run << " length " << length << " n " << n << " f " << frequency
                                    << " p " << percent << " txH " << txH << " rxH " << rxH << " dN " << deltaN;
    for (int i = 0; i < model.profile().n; ++i) {
      ASSERT_TRUE(std::isfinite(model.rayHeight()[i])) << "run " << run;
      ASSERT_TRUE(std::isfinite(model.fresnelRadius()[i])) << "run " << run;
    }
    ++checked;
  }
  EXPECT_GT(checked, 2500);
}

namespace {

// The edge parameter straight from its definition, for a reference search.
double EdgeParameter(const TerrainProfile& p, int i, int a, int b, double radiusKm, double wavelengthM) {
  const double* x = p.dist.data();
  const double* h = p.height.data();
  const double cosAlpha = std::cos(std::atan2(0.001 * (h[b] - h[a]), x[b] - x[a]));
  const double u = x[i] - x[a], w = x[b] - x[i], span = x[b] - x[a];
  const double clearance = 1000.0 * u * w / (2.0 * radiusKm) + h[i] - (h[a] * w + h[b] * u) / span;
  return cosAlpha * clearance * std::sqrt(0.002 * span / (wavelengthM * u * w));
}

// The first sample of first..last with the greatest parameter above floor.
std::pair<int, double> FirstGreatest(const TerrainProfile& p, int first, int last, int a, int b, double radiusKm,
                                     double wavelengthM, double floor) {
  int edge = -1;
  for (int i = first; i <= last; ++i)
    if (const double nu = EdgeParameter(p, i, a, b, radiusKm, wavelengthM); nu > floor) {
      floor = nu;
      edge = i;
    }
  return {edge, floor};
}

}  // namespace

TEST(CTerrainModel, EdgeSearchesFindTheFirstGreatestParameterToTheLastBit) {
  // Mirror-image ground makes exact ties; huge and tightly spaced samples
  // stress the roundings the searches must allow for.
  std::mt19937 random(7);
  std::uniform_real_distribution<double> rough(0.0, 300.0);
  std::vector<double> noise(1000);
  for (double& v : noise) v = rough(random);
  struct Case {
    const char* name;
    TerrainProfile profile;
  };
  const Case cases[] = {
      {"flat sea", MakeProfile(10, 9.95, 200, flat, Sea)},
      {"level plateau", MakeProfile(10, 9.95, 200, [](double) { return 150.0; }, Inland)},
      {"mirror ridges", MakeProfile(10, 10.0, 201, ridges({{3, 120}, {7, 120}}), Inland)},
      {"rough", MakeProfile(12, 11.9, 240, [&](double x) { return noise[static_cast<int>(x * 80) % 1000]; }, Inland)},
      {"huge heights", MakeProfile(10, 9.95, 200, [&](double x) { return 1e7 + noise[static_cast<int>(x * 90)]; },
                                   Inland)},
      {"close samples", MakeProfile(0.2, 0.2, 250, [&](double x) { return noise[static_cast<int>(x * 4000) % 1000]; },
                                    Inland)},
  };
  for (const Case& c : cases) {
    for (double percent : {50.0, 1.0}) {
      CTerrain model;
      ASSERT_TRUE(model.CalculateProfile(c.profile, kLat, kN0, kDeltaN, kFreq, percent, 10, 10, true)) << c.name;
      const PathModelResults& r = model.results();
      const TerrainProfile& p = model.profile();  // antenna heights included
      const int n = p.n;
      const double radius = 6371.0 * r.k50, lambda = 0.3 / kFreq;
      const auto [e, nu] = FirstGreatest(p, 1, n - 2, 0, n - 1, radius, lambda, -99999.0);
      ASSERT_EQ(r.principalEdge, e < 0 ? 1 : e) << c.name;
      EXPECT_EQ(r.Lm, loss::KnifeEdgeLoss(nu)) << c.name;
      if (r.Lm == 0.0 || e < 0) continue;
      const auto [t, nuT] = e > 1 ? FirstGreatest(p, 1, e - 1, 0, e, radius, lambda, -99999.0)
                                  : std::pair<int, double>{-1, -99999.0};
      const auto [s, nuR] = e < n - 2 ? FirstGreatest(p, e + 1, n - 2, e, n - 1, radius, lambda, -99990.0)
                                      : std::pair<int, double>{-1, -99990.0};
      EXPECT_EQ(r.Lt, e > 1 ? loss::KnifeEdgeLoss(nuT) : 0.0) << c.name;
      EXPECT_EQ(r.Lr, e < n - 2 ? loss::KnifeEdgeLoss(nuR) : 0.0) << c.name;
      EXPECT_EQ(r.txEdge, r.Lt > 0.0 && t >= 0 ? t : e) << c.name;
      EXPECT_EQ(r.rxEdge, r.Lr > 0.0 && s >= 0 ? s : e) << c.name;
    }
  }
}
