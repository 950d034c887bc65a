// The model driver and the Mechanisms curves over hand-made climate maps:
// which N0 and delta-N reach the model when a map is missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "climate/ClimateConstants.h"
#include "climate/Refractivity.h"
#include "climate/Zones.h"
#include "model/ModelDriver.h"
#include "model/Terrain.h"
#include "support/DataFiles.h"
#include "terrain/Srtm.h"

using namespace tarnvale;
using tarnvale::test::TempDir;

namespace {

constexpr double kMapN0 = 333.5;      // every node of the hand-made n0.txt
constexpr double kMapDeltaN = 51.25;  // every node of the hand-made dn.txt

void WriteFlatMap(const std::filesystem::path& file, double value) {
  std::ofstream out(file);
  const auto& g = climate::kGridB;
  for (int r = 0; r < g.rows; ++r) {
    for (int c = 0; c < g.columns; ++c) out << value << ' ';
    out << '\n';
  }
}

// A 20 km path over flat ground (no tiles: every height reads 0) in England.
class Driver : public ::testing::Test {
 protected:
  void useMaps(bool n0, bool dn) {
    if (n0) WriteFlatMap(climateDir.path() / "n0.txt", kMapN0);
    if (dn) WriteFlatMap(climateDir.path() / "dn.txt", kMapDeltaN);
    climate = std::make_unique<CRefractivity>(climateDir.path());
  }
  ModelData data() { return ModelData{model, terrain, zones, *climate}; }

  TempDir terrainDir, climateDir;
  CSRTM terrain{9, terrainDir.str()};
  CZONES zones{terrainDir.str()};
  CTerrain model;
  std::unique_ptr<CRefractivity> climate;
  CLocator tx{51.0, -1.5};
  CLocator rx{51.18, -1.5};
};

}  // namespace

TEST_F(Driver, BothMapsFoundAreUsedAndTheFieldShowsTheirFactor) {
  useMaps(true, true);
  ModelDriver driver;
  double kInUse = 0.0;
  ASSERT_TRUE(driver.RunModel(false, data(), tx, rx, ModelInputs{}, &kInUse));
  EXPECT_DOUBLE_EQ(model.results().N0, kMapN0);
  EXPECT_DOUBLE_EQ(model.results().deltaN, kMapDeltaN);
  EXPECT_DOUBLE_EQ(kInUse, 157.0 / (157.0 - kMapDeltaN));
}

TEST_F(Driver, NoDeltaNMapFallsBackToBothStoredValues) {
  // N0 is found at mid-path, delta-N is not: the look-up counts as failed and
  // both values come from the stored pair, not N0 from the map.
  for (auto [n0, dn] : {std::pair{true, false}, {false, true}, {false, false}}) {
    useMaps(n0, dn);
    ModelDriver driver;
    driver.fallbackN0 = 301.0;
    driver.fallbackDeltaN = 47.5;
    ASSERT_TRUE(driver.RunModel(false, data(), tx, rx, ModelInputs{}));
    EXPECT_DOUBLE_EQ(model.results().N0, 301.0) << n0 << dn;
    EXPECT_DOUBLE_EQ(model.results().deltaN, 47.5) << n0 << dn;
    std::filesystem::remove(climateDir.path() / "n0.txt");
    std::filesystem::remove(climateDir.path() / "dn.txt");
  }
  // Before any profile run the pair holds 320 and 45.
  useMaps(true, false);
  ModelDriver fresh;
  ASSERT_TRUE(fresh.RunModel(false, data(), tx, rx, ModelInputs{}));
  EXPECT_DOUBLE_EQ(model.results().N0, 320.0);
  EXPECT_DOUBLE_EQ(model.results().deltaN, 45.0);
}

TEST_F(Driver, ForcedKFactorSetsDeltaN) {
  useMaps(true, true);
  ModelDriver driver;
  ModelInputs inputs;
  inputs.forcedKFactor = true;
  inputs.kFactor = 1.333;
  ASSERT_TRUE(driver.RunModel(false, data(), tx, rx, inputs));
  EXPECT_NEAR(model.results().deltaN, 39.22, 0.005);  // 157 (1 - 1/1.333) = 39.2206
  EXPECT_DOUBLE_EQ(model.results().deltaN, 157.0 * (1.0 - 1.0 / 1.333));
  EXPECT_NEAR(model.results().k50, 1.333, 1e-12);
  EXPECT_DOUBLE_EQ(model.results().N0, kMapN0);  // N0 still from the map
}

TEST_F(Driver, MechanismsDefaultsAre320And40EachOnItsOwn) {
  struct Case {
    bool n0, dn;
    double expectedN0, expectedDeltaN;
  };
  const Case cases[] = {
      {true, true, kMapN0, kMapDeltaN},
      {true, false, kMapN0, 40.0},  // a found N0 is kept when delta-N is missing
      {false, true, 320.0, kMapDeltaN},
      {false, false, 320.0, 40.0},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(climateDir.path() / "n0.txt");
    std::filesystem::remove(climateDir.path() / "dn.txt");
    useMaps(c.n0, c.dn);
    ModelInputs inputs;
    inputs.forcedKFactor = true;  // plays no part in the curves
    inputs.kFactor = 3.0;
    const auto points = MechanismCurves(data(), tx, rx, inputs);
    for (const MechanismPoint& p : points) EXPECT_TRUE(p.ok) << p.percent;
    EXPECT_DOUBLE_EQ(model.results().N0, c.expectedN0) << c.n0 << c.dn;
    EXPECT_DOUBLE_EQ(model.results().deltaN, c.expectedDeltaN) << c.n0 << c.dn;
    EXPECT_DOUBLE_EQ(model.results().percent, 50.0);
  }
}
