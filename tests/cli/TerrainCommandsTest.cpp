// tarnvale-cli height and zone on small files the tests write.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/RunCli.h"
#include "support/DataFiles.h"

using tarnvale::test::TempDir;
using tarnvale::test::Tile;

namespace {

using Result = tarnvale::test::CliResult;

Result runCli(std::vector<std::string> args) { return tarnvale::test::RunCli(std::move(args)); }

class TerrainCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    Tile western(100);
    western.at(600, 600) = -32768;  // a void at 51.5 N, 1.5 W
    western.at(1200, 0) = -300;     // sea at the south-west corner
    western.at(599, 600) = 120;     // the node north of the void, for interpolation
    tarnvale::test::WriteTile(dir.path() / "N51W002.hgt", western);
    // 51.005 N, 0.995 W: row 2339, column 10740, code 2 in bits 7-6.
    tarnvale::test::WriteSparseZones(dir.path() / "zones01.dem", {{12633285, 0b10'00'00'00}});
  }
  TempDir dir;
};

}  // namespace

TEST_F(TerrainCommands, HeightInJsonAndText) {
  Result r = runCli({"height", "51.25", "-1.75", "--terrain", dir.str(), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["height_m"].get<int>(), 100);
  EXPECT_FALSE(j["missing"].get<bool>());

  r = runCli({"height", "51.25", "-1.75", "--terrain", dir.withSlash()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "height   100 m\n");
}

TEST_F(TerrainCommands, SeaMissingAndInterpolated) {
  const double voidLat = 51.5 + 0.25 / 1200, voidLon = -1.5 + 0.25 / 1200;
  auto height = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = {"height", std::to_string(voidLat), std::to_string(voidLon), "--terrain",
                                     dir.str(), "--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    Result r = runCli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return nlohmann::json::parse(r.out);
  };
  auto j = height({});
  EXPECT_EQ(j["height_m"].get<int>(), -32767);
  EXPECT_TRUE(j["missing"].get<bool>());
  // Interpolated, the void is left out and its neighbours answer.
  j = height({"--interpolate"});
  EXPECT_GE(j["height_m"].get<int>(), 100);
  EXPECT_LE(j["height_m"].get<int>(), 120);
  EXPECT_FALSE(j["missing"].get<bool>());

  Result sea = runCli({"height", "51.0001", "-1.9999", "--terrain", dir.str(), "--json"});
  ASSERT_EQ(sea.status, 0) << sea.err;
  EXPECT_EQ(nlohmann::json::parse(sea.out)["height_m"].get<int>(), 0);
  EXPECT_FALSE(nlohmann::json::parse(sea.out)["missing"].get<bool>());

  // No tile, or a point off the map: the missing value, not an error.
  for (const char* lat : {"40.5", "95", "-90.5"}) {
    Result r = runCli({"height", lat, "-1.5", "--terrain", dir.str(), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["height_m"].get<int>(), -32767) << lat;
  }
  Result text = runCli({"height", "40.5", "-1.5", "--terrain", dir.str()});
  EXPECT_EQ(text.out, "height   no data\n");
}

TEST_F(TerrainCommands, Zone) {
  Result r = runCli({"zone", "51.005", "-0.995", "--terrain", dir.str(), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(nlohmann::json::parse(r.out)["zone"].get<int>(), 2);
  r = runCli({"zone", "51.005", "-0.995", "--terrain", dir.str()});
  EXPECT_EQ(r.out, "zone     2 coastal land\n");
  // 180 E exactly lies beyond the map; 181 E is 179 W.
  r = runCli({"zone", "0.5", "180", "--terrain", dir.str(), "--json"});
  EXPECT_EQ(nlohmann::json::parse(r.out)["zone"].get<int>(), 255);
  r = runCli({"zone", "0.5", "181", "--terrain", dir.str(), "--json"});
  EXPECT_EQ(nlohmann::json::parse(r.out)["zone"].get<int>(), 0);
  // Without the map: no data.
  TempDir empty;
  r = runCli({"zone", "51.005", "-0.995", "--terrain", empty.str(), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(nlohmann::json::parse(r.out)["zone"].get<int>(), 255);
  EXPECT_EQ(r.err, "");
}

TEST_F(TerrainCommands, ADamagedZoneArchiveIsNamedAndReadsAsNoData) {
  TempDir damaged;
  std::ofstream(damaged.path() / "zones01.dem.gz", std::ios::binary) << "\x1f\x8b\x08 cut short";
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"zone", "51.005", "-0.995", "--terrain", damaged.str(), "--json"},
        std::vector<std::string>{"path", "--tx", "51.0 N 1.0 W", "--rx", "51.1 N 1.0 W", "--format", "deg",
                                 "--terrain", damaged.str(), "--json"}}) {
    const Result r = runCli(command);
    ASSERT_EQ(r.status, 0) << command[0] << ": " << r.err;
    EXPECT_NE(r.err.find("warning: The zone map " + (damaged.path() / "zones01.dem.gz").string() + " is damaged"),
              std::string::npos)
        << command[0] << ": " << r.err;
    if (command[0] == "zone") {
      EXPECT_EQ(nlohmann::json::parse(r.out)["zone"].get<int>(), 255);
    }
  }
}

TEST_F(TerrainCommands, NumbersInEveryPlainForm) {
  for (auto [lat, lon] : {std::pair{"51.25", "-1.75"}, {"+51.25", "-1.75"}, {"5.125e1", "-175e-2"}, {"51.25", "-1.75000"}}) {
    Result r = runCli({"height", lat, lon, "--terrain", dir.str(), "--json"});
    ASSERT_EQ(r.status, 0) << lat << " " << lon << ": " << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["height_m"].get<int>(), 100);
  }
  // Options may come first, and "--" ends them.
  Result r = runCli({"height", "--json", "--terrain", dir.str(), "--", "51.25", "-.75"});
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(TerrainCommands, WrongUsageGivesStatusTwoAndAMessage) {
  const std::string d = dir.str();
  const std::vector<std::vector<std::string>> cases = {
      {"height"},
      {"height", "51.5"},
      {"height", "x", "1"},
      {"height", "51.5", "1W"},
      {"height", "nan", "0"},
      {"height", "inf", "0"},
      {"height", "0x10", "0"},
      {"height", "1e999", "0"},
      {"height", "", "0"},
      {"height", " 51", "0"},
      {"height", "--5", "0"},
      {"height", "51", "1", "2"},
      {"height", "51", "1", "--terrain", d + "/no-such-directory"},
      {"height", "51", "1", "--bogus"},
      {"zone", "51"},
      {"zone", "51", "east"},
      {"zone", "51", "1", "--interpolate"},
  };
  for (const auto& args : cases) {
    Result r = runCli(args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
    EXPECT_FALSE(r.err.empty()) << testing::PrintToString(args);
  }
}

TEST_F(TerrainCommands, StrangeInputsDoNotCrash) {
  const std::vector<std::string> texts = {std::string(100000, '9'), "1" + std::string(5000, '0') + ".5",
                                          "%s%s%n", std::string("\x01\xff\x80", 3), "-", "--", ".", "-.", "1e",
                                          "1e+", "-0", "0.0000000000000000000000001"};
  for (const char* command : {"height", "zone"})
    for (const std::string& t : texts) {
      Result r = runCli({command, "--terrain", dir.str(), "--", t, t});
      EXPECT_TRUE(r.status == 0 || r.status == 2) << command << " " << t.substr(0, 20);
      r = runCli({command, "--terrain", dir.str(), "--", "51.5", t});
      EXPECT_TRUE(r.status == 0 || r.status == 2) << command << " " << t.substr(0, 20);
    }
}

TEST_F(TerrainCommands, MissingTilesAreNamedOnceInWarningsAndJson) {
  // The fixture holds only N51W002.hgt: a point east of 1 W needs n51w001.hgt.
  const std::string warning = "tarnvale-cli: warning: Terrain tile n51w001.hgt is not in " + dir.str() +
                              "; heights there read as 0 m\n";
  Result r = runCli({"height", "51.5", "-0.5", "--terrain", dir.str(), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, warning);
  EXPECT_EQ(nlohmann::json::parse(r.out)["missingTiles"], nlohmann::json::array({"n51w001.hgt"}));
  r = runCli({"height", "51.5", "-1.5", "--terrain", dir.str(), "--json"});
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(nlohmann::json::parse(r.out)["missingTiles"], nlohmann::json::array());

  // A path from the tile into the missing one: hundreds of samples, one warning.
  const std::vector<std::string> ends = {"--tx", "51.5 N 1.5 W", "--rx", "51.5 N 0.5 W", "--format", "deg",
                                         "--terrain", dir.str(), "--climate", dir.str(), "--k-factor", "1.333"};
  for (const char* command : {"path", "mechanisms"}) {
    std::vector<std::string> args = ends;
    args.insert(args.begin(), command);
    args.push_back("--json");
    r = runCli(args);
    ASSERT_EQ(r.status, 0) << command << ": " << r.err;
    EXPECT_EQ(r.err, warning) << command;
    EXPECT_EQ(nlohmann::json::parse(r.out)["missingTiles"], nlohmann::json::array({"n51w001.hgt"})) << command;
  }
  r = runCli({"profile", "--tx", "51.5 N 1.5 W", "--rx", "51.5 N 0.5 W", "--format", "deg", "--terrain", dir.str(),
              "--climate", dir.str(), "--k", "1.333"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, warning);
}
