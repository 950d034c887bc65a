// The program's default path (SU374616 to IO91JO26) over the real tiles, zone
// map and climate maps, end to end: the numbers of tarnvale-cli path --json and
// the texts of the result labels, pinned. A change here changes what users see.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <string>

#include "cli/RunCli.h"
#include "session/Session.h"
#include "support/DataFiles.h"
#include "support/RealTerrain.h"

using namespace tarnvale;

namespace {

class DefaultPath : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::MakeRealTerrain(terrain)) GTEST_SKIP() << "shared data not found: set TARNVALE_SHARED_DATA";
    climate = test::RealClimateDirectory();
  }
  test::TempDir terrain, programDir;
  std::string climate;
};

}  // namespace

/// The pinned numbers of the default path over @p terrainDirectory.
void ExpectPinnedDefaultPath(const std::string& terrainDirectory, const std::string& climate) {
  const auto r = test::RunCli({"path", "--tx", "SU374616", "--rx", "IO91JO26", "--terrain", terrainDirectory,
                               "--climate", climate, "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["climate_source"], "maps");
  struct Pin {
    const char* key;
    double value;
    double tolerance;
  };
  // Losses in dB to a micro-dB; climate figures and geometry to their last
  // printed digits.
  const Pin pins[] = {
      {"N0", 326.85047281495775, 1e-9},        {"deltaN", 42.63065227409435, 1e-9},
      {"k50", 1.3727454350466506, 1e-12},      {"beta0", 1.979013750546147, 1e-9},
      {"Lbfsg", 143.12146491792143, 1e-6},     {"Lb0p", 143.12146491792143, 1e-6},
      {"Lbd", 212.33957797171172, 1e-6},       {"Lbs", 201.48650587863932, 1e-6},
      {"Lba", 270.2808949266911, 1e-6},        {"Lb", 201.47189494445877, 1e-6},
      {"gasLoss", 0.4574210716450146, 1e-9},   {"gamma", 0.013865575809107416, 1e-12},
      {"rho", 6.914655983271812, 1e-9},        {"range_km", 32.989691733145605, 1e-9},
      {"bearing_deg", 29.463759636229238, 1e-9}, {"omega", 0.0, 0.0},
      {"dtm", 32.9, 1e-9},                     {"dlm", 32.9, 1e-9},
      {"dct", -1.0, 0.0},                      {"dcr", -1.0, 0.0},
      {"theta", 10.35078895355494, 1e-9},      {"theta_t", -6.563708662444189, 1e-9},
      {"theta_r", 13.142419794022592, 1e-9},   {"dlt", 20.85, 1e-9},
      {"dlr", 4.989691733145605, 1e-9},        {"hst", 159.1973040367185, 1e-6},
      {"hsr", 51.0, 1e-9},                     {"hte", 143.8026959632815, 1e-6},
      {"hre", 10.0, 1e-9},                     {"hm", 100.18508060069252, 1e-6},
  };
  for (const Pin& p : pins) {
    ASSERT_TRUE(j[p.key].is_number()) << p.key;
    EXPECT_NEAR(j[p.key].get<double>(), p.value, p.tolerance) << p.key;
  }
  EXPECT_EQ(j["n"].get<int>(), 659);
  EXPECT_FALSE(j["lineOfSight"].get<bool>());
  EXPECT_EQ(j["startHeight"].get<std::string>(), "TX ASL 293 m");
  EXPECT_EQ(j["endHeight"].get<std::string>(), "RX ASL 50 m");
}

TEST_F(DefaultPath, CommandLineJson) { ExpectPinnedDefaultPath(terrain.str(), climate); }

TEST_F(DefaultPath, TheShippedSampleGivesTheSameNumbers) {
  // The compressed tile and zone map of data/sample hold the same ground and zones.
  ExpectPinnedDefaultPath(test::SampleData().string(), climate);
}

TEST(DefaultPathOnTheSample, WithoutClimateMapsTheDefaultsAreUsedAndSaidSo) {
  // Runs in every clone: the sample ships, the climate maps do not.
  test::TempDir noMaps;
  const auto r = test::RunCli({"path", "--terrain", test::SampleData().string(), "--tx", "SU374616", "--rx",
                               "IO91JO26", "--climate", noMaps.str(), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["climate_source"], "default");
  EXPECT_EQ(j["N0"], 320.0);
  EXPECT_EQ(j["deltaN"], 45.0);
  for (const char* key : {"Lbfsg", "Lb0p", "Lbd", "Lbs", "Lba", "Lb", "gasLoss"}) {
    ASSERT_TRUE(j[key].is_number()) << key;
    EXPECT_TRUE(std::isfinite(j[key].get<double>())) << key;
  }
  EXPECT_EQ(j["startHeight"], "TX ASL 293 m");
  const auto text = test::RunCli({"path", "--terrain", test::SampleData().string(), "--climate", noMaps.str(),
                                  "--tx", "SU374616", "--rx", "IO91JO26"});
  EXPECT_NE(text.out.find("No radio-climate maps found: N0 320 and \u0394N 45 used"), std::string::npos) << text.out;
}

TEST_F(DefaultPath, ResultLabelsAfterStartUp) {
  // No profile.ini: the built-in default sites, as the window starts.
  Session session(climate);
  RestoredInputs in = session.RestoreInputs(programDir.withSlash());
  ASSERT_FALSE(in.fromFile);
  ASSERT_EQ(session.CreateDataObjects(terrain.withSlash()), StartupFailure::kNone);
  const CalculateOutcome out = session.CalculateEnds(session.tx, session.rx, in.fields);
  ASSERT_TRUE(out.pathValid);
  ASSERT_TRUE(out.labels);
  EXPECT_EQ(out.startHeight, "TX ASL 293 m");
  EXPECT_EQ(out.endHeight, "RX ASL 50 m");
  EXPECT_EQ(*out.rho, "6.9 g/m3");
  EXPECT_EQ(*out.gasLoss, "Gaseous Loss 0.5 dB");
  EXPECT_EQ(*out.range, "33.0");
  EXPECT_EQ(*out.bearing, "29.5");
  ASSERT_TRUE(out.kFactor);
  EXPECT_NEAR(*out.kFactor, 1.3727454350466506, 1e-12);
  const auto& l = *out.labels;
  EXPECT_EQ(l.beta0, "2.0 %");
  EXPECT_EQ(l.seaFraction, "0.0 %");
  EXPECT_EQ(l.dct, "-1.0 km");
  EXPECT_EQ(l.dcr, "-1.0 km");
  EXPECT_EQ(l.pathLength, "33.0 km");
  EXPECT_EQ(l.fsLoss, "Line of sight loss 144 dB");
  EXPECT_EQ(l.diffLoss, "Diffraction path loss 213 dB");
  EXPECT_EQ(l.tropoLoss, "Troposcatter path loss 202 dB");
  EXPECT_EQ(l.ductLoss, "Ducting path loss 271 dB");
  EXPECT_EQ(l.overallLoss, "Overall path loss 202 dB");
  ASSERT_EQ(out.table.size(), 660u);
  EXPECT_EQ(out.table.front(), "meters");
  EXPECT_EQ(out.table[1], "0, 303");  // 293 m of ground and the 10 m mast
  EXPECT_EQ(out.table.back(), "32900, 61");  // the last sample, 90 m short of the receiver: 51 m and its mast
}
