// tarnvale-cli climate and gas, called as the program would be.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "cli/RunCli.h"
#include "climate/MapFiles.h"
#include "climate/Refractivity.h"
#include "model/P676.h"

namespace {

using tarnvale::climate::kGridA;
using tarnvale::climate::kGridB;
using tarnvale::testing::ScratchDir;
using tarnvale::testing::WriteConstantGrid;

using Result = tarnvale::test::CliResult;

Result runCli(std::vector<std::string> args) { return tarnvale::test::RunCli(std::move(args)); }

/// A map directory with constant N0, delta-N and two of the gradient maps.
class ClimateCli : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteConstantGrid(dir_ / "n0.txt", kGridB, 320.0);
    WriteConstantGrid(dir_ / "dn.txt", kGridB, 40.0);
    WriteConstantGrid(dir_ / "DNDZ_50.TXT", kGridA, -42.0);
    WriteConstantGrid(dir_ / "DNDZ_01.TXT", kGridA, -120.0);
  }
  std::string dir() const { return dir_.path().string(); }

  ScratchDir dir_;
};

TEST_F(ClimateCli, JsonHoldsEveryValueOrNull) {
  Result r = runCli({"climate", "51.5", "-1.5", "--climate", dir(), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_NEAR(j["N0"].get<double>(), 320.0, 1e-9);
  EXPECT_NEAR(j["deltaN"].get<double>(), 40.0, 1e-9);
  EXPECT_TRUE(j["surfaceDuct"].is_null());
  EXPECT_TRUE(j["elevatedDuct"].is_null());
  EXPECT_NEAR(j["gradient"].get<double>(), -42.0, 1e-9);

  const struct {
    const char* percent;
    bool found;
    double gradient;
  } cases[] = {{"1", true, -120.0}, {"0.01", true, -120.0}, {"20", false, 0.0}, {"0.005", false, 0.0}};
  for (const auto& c : cases) {
    r = runCli({"climate", "51.5", "-1.5", "--climate", dir(), "--json", "--percent", c.percent});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto g = nlohmann::json::parse(r.out)["gradient"];
    if (c.found) {
      EXPECT_NEAR(g.get<double>(), c.gradient, 1e-9) << c.percent;
    } else {
      EXPECT_TRUE(g.is_null()) << c.percent;  // DNDZ_10.TXT and DNDZ_90.TXT are not here
    }
  }
}

TEST_F(ClimateCli, PlainTextAndNegativeCoordinates) {
  Result r = runCli({"climate", "-33.9", "-151.2", "--climate", dir()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("N0            320.000 N-units"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("surfaceDuct   no data"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("DNDZ_50.TXT"), std::string::npos) << r.out;
  EXPECT_EQ(runCli({"climate", "--climate", dir(), "--", "-33.9", "151.2"}).status, 0);
}

TEST_F(ClimateCli, TheWorkingDirectoryByDefault) {
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path());
  const Result r = runCli({"climate", "0", "0", "--json"});
  std::filesystem::current_path(previous);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NEAR(nlohmann::json::parse(r.out)["N0"].get<double>(), 320.0, 1e-9);
}

TEST(ClimateCliNoMaps, NullsAndANoteWhenNothingCanBeRead) {
  ScratchDir empty;
  const Result r = runCli({"climate", "51.5", "-1.5", "--climate", empty.path().string(), "--json"});
  EXPECT_EQ(r.status, 0);
  const auto j = nlohmann::json::parse(r.out);
  for (const char* key : {"N0", "deltaN", "surfaceDuct", "elevatedDuct", "gradient"})
    EXPECT_TRUE(j[key].is_null()) << key;
  EXPECT_NE(r.err.find("no radio-climate map"), std::string::npos);
}

TEST(ClimateCliRealData, SouthernEngland) {
  const auto data = tarnvale::testing::SharedData();
  if (data.empty() || !std::filesystem::exists(data / "climate" / "n0.txt"))
    GTEST_SKIP() << "real radio-climate maps not found: set TARNVALE_SHARED_DATA";
  const Result r = runCli({"climate", "51.3523", "-1.4643", "--climate", (data / "climate").string(), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  // climate/PROVENANCE.md: the source maps give N0 = 326.914 and delta-N = 42.656 here.
  EXPECT_NEAR(j["N0"].get<double>(), 326.914, 0.05);
  EXPECT_NEAR(j["deltaN"].get<double>(), 42.656, 0.05);
  EXPECT_LT(j["gradient"].get<double>(), -30.0);
}

TEST(GasCli, DefaultsAreTheProgramsStartUpInputs) {
  const Result r = runCli({"gas", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  const double rho = tarnvale::WaterVapourDensity(40.0, 20.0, true);
  double oxygen, waterVapour, continuum;
  const double gamma = tarnvale::SpecificAttenuation(10.368, 1000.0, 20.0, rho, oxygen, waterVapour, continuum);
  EXPECT_DOUBLE_EQ(j["rho"].get<double>(), rho);
  EXPECT_DOUBLE_EQ(j["gamma"].get<double>(), gamma);
  EXPECT_DOUBLE_EQ(j["oxygen"].get<double>(), oxygen);
  EXPECT_DOUBLE_EQ(j["waterVapour"].get<double>(), waterVapour);
  EXPECT_DOUBLE_EQ(j["dryContinuum"].get<double>(), continuum);
}

TEST(GasCli, WorkedValueAndPlainText) {
  Result r =
      runCli({"gas", "--freq", "10.368", "--pressure", "1000", "--temperature", "20", "--humidity", "50", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_NEAR(j["rho"].get<double>(), 8.643, 0.0005);
  EXPECT_NEAR(j["gamma"].get<double>(), 0.0157, 0.00005);

  r = runCli({"gas", "--temperature", "-5", "--humidity", "100"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("rho "), std::string::npos);
  EXPECT_NE(r.out.find(" dB/km"), std::string::npos);
}

TEST(GasCli, TheEntryFieldsLimitsAreAcceptedAndNothingBeyond) {
  const std::vector<std::vector<std::string>> good = {
      {"--freq", "0.025"},      {"--freq", "300"},        {"--temperature", "-100"},
      {"--temperature", "100"}, {"--pressure", "0.0001"}, {"--pressure", "2000"},
      {"--humidity", "0"},      {"--humidity", "100"},    {"--temperature=-20"},
  };
  for (auto args : good) {
    args.insert(args.begin(), "gas");
    args.push_back("--json");
    const Result r = runCli(args);
    EXPECT_EQ(r.status, 0) << testing::PrintToString(args) << r.err;
    if (r.status == 0) {
      EXPECT_TRUE(nlohmann::json::parse(r.out)["gamma"].is_number());
    }
  }
  const std::vector<std::vector<std::string>> bad = {
      {"--freq", "0.02"},
      {"--freq", "301"},
      {"--freq", "nan"},
      {"--freq", "inf"},
      {"--temperature", "-101"},
      {"--temperature", "100.5"},
      {"--pressure", "0"},
      {"--pressure", "2001"},
      {"--humidity", "-1"},
      {"--humidity", "101"},
      {"--humidity", "fifty"},
      {"--freq", ""},
      {"--freq"},
      {"--bogus"},
      {"51.5"},
  };
  for (auto args : bad) {
    args.insert(args.begin(), "gas");
    const Result r = runCli(args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
    EXPECT_FALSE(r.err.empty()) << testing::PrintToString(args);
  }
  EXPECT_NE(runCli({"gas", "--freq", "400"}).err.find("FREQ must be a number from 0.025 to 300"), std::string::npos);
}

TEST(ClimateCliUsage, WrongUsageGivesStatusTwoAndAMessage) {
  ScratchDir dir;
  const std::string d = dir.path().string();
  const std::vector<std::vector<std::string>> cases = {
      {"climate"},
      {"climate", "51.5"},
      {"climate", "91", "0", "--climate", d},
      {"climate", "0", "180.5", "--climate", d},
      {"climate", "nan", "0", "--climate", d},
      {"climate", "0", "inf", "--climate", d},
      {"climate", "north", "0", "--climate", d},
      {"climate", "51", "0", "--climate", d + "/no-such-directory"},
      {"climate", "51", "0", "--climate", d, "--percent", "101"},
      {"climate", "51", "0", "--climate", d, "--percent", "-1"},
      {"climate", "51", "0", "1", "--climate", d},
      {"climate", std::string(100000, '9'), "0", "--climate", d},
  };
  for (const auto& args : cases) {
    const Result r = runCli(args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args).substr(0, 80);
    EXPECT_FALSE(r.err.empty());
  }
  EXPECT_EQ(runCli({"climate", "--help"}).status, 0);
  EXPECT_EQ(runCli({"gas", "--help"}).status, 0);
}

}  // namespace
