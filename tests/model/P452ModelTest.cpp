// The P.452-18 model beyond ITU's examples: inputs it refuses, where clutter
// counts, polarisation, one object over many paths, the inputs of a terrain
// path, and its line tables against ITU's.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>

#include "climate/MapFiles.h"
#include "model/P452Model.h"
#include "model/P452Parts.h"
#include "model/P452Path.h"
#include "model/P452Values.h"

namespace tarnvale {
namespace {

/// @p n + 1 points from 0 to @p lengthKm, ground and ITU zone by distance.
P452Inputs profile(double lengthKm, int n, const std::function<double(double)>& ground,
                   const std::function<int(double)>& zone) {
  P452Inputs in;
  for (int i = 0; i <= n; ++i) {
    const double d = lengthKm * i / n;
    in.d.push_back(d);
    in.h.push_back(ground(d));
    in.zone.push_back(static_cast<std::uint8_t>(zone(d)));
  }
  in.phit_n = 51.0;
  in.phit_e = -1.0;
  in.phir_n = 51.0;
  in.phir_e = -1.0 + lengthKm / 70.0;
  return in;
}

double flat(double) { return 0.0; }
int inland(double) { return itu_zone::kInland; }
int sea(double) { return itu_zone::kSea; }
/// A 120 m ridge at mid-path of a 30 km profile.
double ridge(double d) { return std::fabs(d - 15) < 0.3 ? 120.0 : 20.0; }

void expectSameResults(const P452Results& a, const P452Results& b, const std::string& what) {
  const auto x = P452ValueList(a), y = P452ValueList(b);
  for (size_t i = 0; i < x.size(); ++i) {
    if (std::isnan(x[i].value) && std::isnan(y[i].value)) continue;
    EXPECT_EQ(x[i].value, y[i].value) << x[i].name << " " << what;
  }
  EXPECT_EQ(a.transHorizon, b.transHorizon) << what;
}

TEST(P452Model, RefusesBadInputsWithAReason) {
  const P452Inputs good = profile(30, 60, ridge, inland);
  P452Model model;
  P452Results r;
  ASSERT_TRUE(model.Calculate(good, r)) << r.error;
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.error, nullptr);
  const std::function<void(P452Inputs&)> faults[] = {
      [](P452Inputs& in) { in.d.resize(3), in.h.resize(3), in.zone.resize(3); },
      [](P452Inputs& in) { in.h.pop_back(); },
      [](P452Inputs& in) { in.R.assign(5, 1.0); },
      [](P452Inputs& in) { in.d[0] = 0.5; },
      [](P452Inputs& in) { in.d[10] = in.d[9]; },
      [](P452Inputs& in) { in.h[7] = std::nan(""); },
      [](P452Inputs& in) { in.zone[3] = 0; },
      [](P452Inputs& in) { in.f = 0.09; },
      [](P452Inputs& in) { in.f = 50.01; },
      [](P452Inputs& in) { in.p = 0.0009; },
      [](P452Inputs& in) { in.p = 50.5; },
      [](P452Inputs& in) { in.htg = INFINITY; },
      [](P452Inputs& in) { in.polarisation = static_cast<P452Polarisation>(3); },
      [](P452Inputs& in) { in.dct = -1; },
      [](P452Inputs& in) { in.press = 0; },
      [](P452Inputs& in) { in.temp = -300; },
      [](P452Inputs& in) { in.DN = 157; },
      [](P452Inputs& in) { in.phit_n = 91; },
  };
  int i = 0;
  for (const auto& fault : faults) {
    P452Inputs in = good;
    fault(in);
    EXPECT_FALSE(model.Calculate(in, r)) << "fault " << i;
    EXPECT_FALSE(r.ok) << "fault " << i;
    EXPECT_NE(r.error, nullptr) << "fault " << i;
    EXPECT_TRUE(std::isnan(r.Lb)) << "fault " << i;  // nothing of the last good path is left
    ++i;
  }
}

TEST(P452Model, ClutterCountsOnlyBetweenTheEndsAndInDiffraction) {
  // 5 km of flat land at 10 m steps.
  P452Inputs in = profile(5, 500, flat, inland);
  in.f = 2;
  P452Model model;
  P452Results bare, cluttered;
  ASSERT_TRUE(model.Calculate(in, bare)) << bare.error;
  // Tall clutter on the points within 50 m of either end changes nothing.
  in.R.assign(in.d.size(), 0.0);
  for (size_t i = 0; i < in.d.size(); ++i)
    if (in.d[i] <= 0.04 || in.d[i] >= 4.96) in.R[i] = 30;
  ASSERT_TRUE(model.Calculate(in, cluttered)) << cluttered.error;
  expectSameResults(bare, cluttered, "clutter at the ends");
  // One point further in, it raises the diffraction loss, and only that.
  in.R[6] = 30;
  ASSERT_TRUE(model.Calculate(in, cluttered)) << cluttered.error;
  EXPECT_GT(cluttered.Ld50, bare.Ld50 + 1.0);
  EXPECT_GT(cluttered.Lb, bare.Lb);
  for (double P452Results::*value : {&P452Results::Lbfsg, &P452Results::Lba, &P452Results::Lbs, &P452Results::hm,
                                     &P452Results::theta, &P452Results::dlt})
    EXPECT_EQ(cluttered.*value, bare.*value);
}

TEST(P452Model, PolarisationOnlyInTheSphericalEarthLoss) {
  // 80 km of sea at 200 MHz: beyond the horizon of 10 m antennas.
  P452Inputs in = profile(80, 160, flat, sea);
  in.f = 0.2;
  in.dct = in.dcr = 0;
  P452Model model;
  P452Results h, v;
  ASSERT_TRUE(model.Calculate(in, h)) << h.error;
  in.polarisation = P452Polarisation::kVertical;
  ASSERT_TRUE(model.Calculate(in, v)) << v.error;
  EXPECT_TRUE(h.transHorizon);
  EXPECT_GT(std::fabs(h.Ldsph - v.Ldsph), 0.01);  // the sea's surface admittance differs by polarisation
  EXPECT_NE(h.Lb, v.Lb);
  for (double P452Results::*value : {&P452Results::Lbfsg, &P452Results::Lb0p, &P452Results::Lba, &P452Results::Lbs,
                                     &P452Results::Lminbap, &P452Results::theta})
    EXPECT_EQ(h.*value, v.*value);
}

TEST(P452Model, DuctingEnhancesDiffractionOnlyWhereItLowersBothPolarisations) {
  // 80 km of sea at 150 MHz for 0.1 % of the time: the ducting minimum lies
  // between the two polarisations' diffraction losses. The reference blends
  // it in only when it lies below both, so neither is enhanced.
  P452Inputs in = profile(80, 200, flat, sea);
  in.f = 0.15;
  in.p = 0.1;
  in.htg = in.hrg = 50;
  in.dct = in.dcr = 0;
  in.press = 1000;
  in.temp = 20;
  in.centreGiven = true;
  in.phim_n = 50;
  P452Model model;
  P452Results h, v;
  ASSERT_TRUE(model.Calculate(in, h)) << h.error;
  in.polarisation = P452Polarisation::kVertical;
  ASSERT_TRUE(model.Calculate(in, v)) << v.error;
  ASSERT_EQ(h.Lminbap, v.Lminbap);
  ASSERT_LT(h.Lbd, h.Lminbap);  // the case: below the minimum for one polarisation
  ASSERT_GE(v.Lbd, v.Lminbap);  // and above it for the other
  EXPECT_EQ(h.Lbda, h.Lbd);
  EXPECT_EQ(v.Lbda, v.Lbd);
}

TEST(P452Model, OneObjectForManyPathsGivesEachItsOwnResult) {
  // Long and short, land and sea, one after the other through one object,
  // each as a fresh object computes it: nothing is carried between paths.
  const P452Inputs paths[] = {profile(300, 3000, ridge, sea), profile(30, 60, ridge, inland),
                              profile(30, 600, ridge, sea), profile(300, 3000, ridge, sea)};
  P452Model shared;
  for (const P452Inputs& in : paths) {
    P452Results once, again;
    P452Model fresh;
    ASSERT_TRUE(fresh.Calculate(in, once)) << once.error;
    ASSERT_TRUE(shared.Calculate(in, again)) << again.error;
    expectSameResults(once, again, std::to_string(in.d.back()) + " km");
  }
}

TEST(P452Path, ProfileInputsFromTheProgramsProfile) {
  const double dist[] = {0, 1, 2, 3, 4, 5, 6};
  const double height[] = {10, 20, 0, 0, 30, 40, 50};
  const std::uint8_t zone[] = {3, 2, 1, 1, 0, 255, 3};  // inland, coastal, sea, sea, no data twice, inland
  P452Inputs in;
  ASSERT_TRUE(P452ProfileInputs(dist, height, zone, 7, 8.0, -1, -1, in));
  EXPECT_EQ(in.d, std::vector<double>(dist, dist + 7));
  EXPECT_EQ(in.h, std::vector<double>(height, height + 7));
  EXPECT_EQ(in.zone, (std::vector<std::uint8_t>{2, 1, 3, 3, 1, 1, 2}));
  EXPECT_EQ(in.R, (std::vector<double>{8, 8, 0, 0, 8, 8, 8}));  // clutter on land only
  EXPECT_EQ(in.dct, 1.5);                                      // halfway into the first sea sample
  EXPECT_EQ(in.dcr, 6 - 3.5);                                  // from halfway out of the last one
  // Given distances stay; a path without sea gets 500 km; a terminal at sea 0.
  ASSERT_TRUE(P452ProfileInputs(dist, height, zone, 7, 0.0, 2.5, 0.0, in));
  EXPECT_EQ(in.dct, 2.5);
  EXPECT_EQ(in.dcr, 0.0);
  const std::uint8_t land[] = {3, 3, 3, 2, 2, 3, 3};
  ASSERT_TRUE(P452ProfileInputs(dist, height, land, 7, 0.0, -1, -1, in));
  EXPECT_EQ(in.dct, kP452NoCoastKm);
  EXPECT_EQ(in.dcr, kP452NoCoastKm);
  const std::uint8_t seaEnds[] = {1, 3, 3, 3, 3, 3, 1};
  ASSERT_TRUE(P452ProfileInputs(dist, height, seaEnds, 7, 0.0, -1, -1, in));
  EXPECT_EQ(in.dct, 0.0);
  EXPECT_EQ(in.dcr, 0.0);
  EXPECT_FALSE(P452ProfileInputs(dist, height, zone, 3, 0.0, -1, -1, in));
}

TEST(P452Path, CentreHalfTheProfileAlongTheGreatCircle) {
  // Along the equator, the centre lies half the profile's length (not half
  // the distance between the ends) east of the transmitter.
  P452Inputs in = profile(50, 100, flat, inland);
  in.phit_n = in.phir_n = 0.0;
  in.phit_e = 10.0;
  in.phir_e = 11.0;
  double latitude = 1, longitude = 0;
  P452PathCentre(in, latitude, longitude);
  EXPECT_NEAR(latitude, 0.0, 1e-12);
  EXPECT_NEAR(longitude, 10.0 + 25.0 / 6371.0 * 180.0 / M_PI, 1e-12);
  // Across 180 degrees the longitude comes back within -180 to 180.
  in.phit_e = 179.9;
  in.phir_e = -179.5;
  P452PathCentre(in, latitude, longitude);
  EXPECT_NEAR(longitude, 179.9 + 25.0 / 6371.0 * 180.0 / M_PI - 360.0, 1e-9);
  P452Model model;
  P452Results r;
  ASSERT_TRUE(model.Calculate(in, r)) << r.error;
  EXPECT_EQ(r.phim_e, longitude);
  EXPECT_EQ(r.phim_n, latitude);
  // A centre given as such is used as it is.
  in.centreGiven = true;
  in.phim_n = 40.0;
  in.phim_e = 3.0;
  P452PathCentre(in, latitude, longitude);
  EXPECT_EQ(latitude, 40.0);
  EXPECT_EQ(longitude, 3.0);
}

TEST(P452Path, ClimateAtTheCentreOrTheFallback) {
  P452Inputs in = profile(50, 100, flat, inland);
  testing::ScratchDir empty;
  const CRefractivity none(empty.path());
  EXPECT_FALSE(P452ClimateAtCentre(none, 0.0, in));
  EXPECT_EQ(in.N0, kP452FallbackN0);
  EXPECT_EQ(in.DN, kP452FallbackDeltaN);
  testing::ScratchDir dir;
  testing::WriteConstantGrid(dir / "n0.txt", climate::kGridB, 330.0);
  testing::WriteConstantGrid(dir / "dn.txt", climate::kGridB, 52.0);
  const CRefractivity maps(dir.path());
  EXPECT_TRUE(P452ClimateAtCentre(maps, 0.0, in));
  EXPECT_NEAR(in.N0, 330.0, 1e-9);
  EXPECT_NEAR(in.DN, 52.0, 1e-9);
  // A forced factor replaces DN only, by 157 (1 - 1 / k).
  EXPECT_TRUE(P452ClimateAtCentre(maps, 4.0 / 3.0, in));
  EXPECT_NEAR(in.N0, 330.0, 1e-9);
  EXPECT_NEAR(in.DN, 157.0 / 4.0, 1e-12);
}

// The horizon search against the plain loop it stands for, over random
// tangents, runs of equal and nearly equal ones, NaNs and steep ones.
TEST(P452Parts, GreatestElevationAsThePlainLoop) {
  std::mt19937 random(452);
  std::normal_distribution<double> slope(0.0, 0.02);
  std::uniform_int_distribution<int> kind(0, 9);
  for (int trial = 0; trial < 2000; ++trial) {
    std::vector<double> x(40);
    for (double& v : x) {
      switch (kind(random)) {
        case 0: v = x[0]; break;                                  // a tie with the first
        case 1: v = std::nextafter(x[0], 1.0); break;             // an ulp apart
        case 2: v = trial % 7 == 0 ? std::nan("") : slope(random); break;
        case 3: v = trial % 5 == 0 ? 2e3 * (1 + slope(random)) : slope(random); break;  // steep
        default: v = slope(random);
      }
    }
    for (bool lastOfEqual : {false, true}) {
      double plain = -INFINITY;
      int where = -1;
      for (int i = 1; i < 39; ++i) {
        const double angle = 1000 * std::atan(x[i]);
        if (lastOfEqual ? angle >= plain : angle > plain) plain = angle, where = i;
      }
      double maximum = 0;
      EXPECT_EQ(p452::GreatestElevation(x.data(), 1, 38, lastOfEqual, maximum), where) << trial;
      EXPECT_EQ(maximum, plain) << trial;
    }
  }
}

// The line tables against ITU's own (ITU-Rpy's copy of P.676-11 Annex 1,
// in the shared data).
TEST(P452Gas, LineTablesAreThoseOfP676Edition11) {
  const auto data = testing::SharedData();
  if (data.empty()) GTEST_SKIP() << "shared data not found: set TARNVALE_SHARED_DATA";
  auto compare = [&](const char* file, auto& lines) {
    std::ifstream in(data / "itu" / "p676_itur" / file);
    ASSERT_TRUE(in) << file;
    std::string line;
    std::getline(in, line);  // the header
    size_t row = 0;
    while (std::getline(in, line)) {
      if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
      ASSERT_LT(row, lines.size()) << file;
      std::stringstream cells(line);
      std::string cell;
      for (int column = 0; column < 7 && std::getline(cells, cell, ','); ++column)
        EXPECT_EQ(lines[row][column], std::stod(cell)) << file << " row " << row << " column " << column;
      ++row;
    }
    EXPECT_EQ(row, lines.size()) << file;
  };
  compare("itur_v11_lines_oxygen.txt", p452::OxygenLines());
  compare("itur_v11_lines_water_vapour.txt", p452::WaterVapourLines());
}

}  // namespace
}  // namespace tarnvale
