// tarnvale-cli path --model p452-18: ITU's 595 validation rows through the
// command line's --profile mode, the model's own limits and options, and a
// terrain path against the profile the profile command prints for its ends.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "cli/RunCli.h"
#include "model/P452Path.h"
#include "support/DataFiles.h"
#include "support/P452Validation.h"

namespace tarnvale {
namespace {

using test::RunCli;
using test::TempDir;

std::string exact(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

/// The program's zone code for one of ITU's (1 coastal land, 2 inland, 3 sea).
int programZone(int ituZone) { return ituZone == 3 ? 1 : ituZone == 1 ? 2 : 3; }

/// A validation profile as the command line reads it: zones in the program's
/// codes, the clutter in a column the header names clutter_m.
std::string writeProfile(const test::P452ValidationProfile& profile, const std::filesystem::path& file) {
  std::ofstream out(file);
  out << "dist_km,height_m,zone,clutter_m\n";
  for (size_t i = 0; i < profile.d.size(); ++i)
    out << exact(profile.d[i]) << ',' << exact(profile.h[i]) << ',' << programZone(profile.zone[i]) << ','
        << exact(profile.R[i]) << '\n';
  return file.string();
}

class P452CliValidation : public ::testing::TestWithParam<std::string> {};

TEST_P(P452CliValidation, EveryRowThroughTheCommandLine) {
  const auto profile = test::ReadP452ValidationProfile(GetParam());
  const auto rows = test::ReadP452ValidationResults(GetParam());
  ASSERT_GE(profile.d.size(), 4u) << "profile not found in " << test::P452ValidationDir();
  TempDir dir;
  const std::string file = writeProfile(profile, dir.path() / "profile.csv");
  std::map<std::string, double> worst;
  for (const test::P452ValidationRow& row : rows) {
    // The path centre the reference takes from the ends, given as --lat.
    double latitude = 0.0, longitude = 0.0;
    P452PathCentre(test::P452ValidationInputs(profile, row), latitude, longitude);
    const auto r = RunCli({"path", "--model", "p452-18", "--profile", file, "--json",
                           "--freq", row.text.at("f (GHz)"), "--percent", row.text.at("p (%)"),
                           "--tx-height", row.text.at("htg (m)"), "--rx-height", row.text.at("hrg (m)"),
                           "--tx-gain", row.text.at("Gt (dBi)"), "--rx-gain", row.text.at("Gr (dBi)"),
                           "--polarisation", row["pol (1-h/2-v)"] == 2 ? "v" : "h",
                           "--dct", row.text.at("dct (km)"), "--dcr", row.text.at("dcr (km)"),
                           "--pressure", row.text.at("press (hPa)"), "--temperature", row.text.at("temp (deg C)"),
                           "--n0", row.text.at("N0"), "--delta-n", row.text.at("DN"), "--lat", exact(latitude)});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j["model"], "p452-18");
    const auto value = [&j](const std::string& name) { return j.at(name).get<double>(); };
    test::ExpectP452Row(row, value, j["pathtype"] == "transhorizon", worst);
  }
  std::printf("%s:%s\n", GetParam().c_str(), test::P452DeviationSummary(worst).c_str());
}

INSTANTIATE_TEST_SUITE_P(Itu, P452CliValidation, ::testing::ValuesIn(test::P452ValidationNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

class P452Cli : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& content) {
    const std::string path = (dir.path() / name).string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  /// A ridge along a meridian near 1.5 W on the tile N51W002, inland zones
  /// with a strip of sea near 1.3 W between 51.58 and 51.92 N.
  void writeRidgeTerrain() {
    test::Tile tile(60);
    for (int row = 0; row < test::kTileEdge; ++row)
      for (int column = 590; column < 610; ++column) tile.at(row, column) = 260;
    test::WriteTile(dir.path() / "N51W002.hgt", tile);
    std::vector<std::pair<std::uint64_t, std::uint8_t>> bytes;
    for (int row = 2285; row < 2305; ++row)
      for (int byte = 2670; byte < 2685; ++byte)
        bytes.emplace_back(std::uint64_t(row) * test::kZoneBytesPerRow + byte, byte == 2680 ? 0x55 : 0xff);
    test::WriteSparseZones(dir.path() / "zones01.dem", bytes);
  }
  /// 20 km over a 200 m ridge at mid-path, sea over the last 4 km.
  std::string ridge(const std::string& header = "dist_km,height_m,zone") {
    std::string text = header + "\n";
    for (int i = 0; i <= 40; ++i) {
      const double d = 0.5 * i;
      text += exact(d) + "," + (std::fabs(d - 10) < 0.3 ? "200" : "20") + "," + (d > 16 ? "1" : "3") + "\n";
    }
    return write("ridge.csv", text);
  }
  TempDir dir;
};

TEST_F(P452Cli, KeysTextAndDefaults) {
  const std::string file = ridge();
  const auto r = RunCli({"path", "--model", "p452-18", "--profile", file, "--lat", "51", "--freq", "2", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  for (const char* key : {"Lb", "Lbfsg", "Lb0p", "Lb0b", "Ldsph", "Ld50", "Ldp", "Lbd50", "Lbd", "Lminb0p", "Lba",
                          "Lminbap", "Lbda", "Lbam", "Lbs", "dtot", "hts", "hrs", "ae", "theta_t", "theta_r", "theta",
                          "hte", "hre", "hstd", "hsrd", "hm", "dlt", "dlr", "b0", "omega", "DN", "N0", "dct", "dcr",
                          "phim_n", "dtm", "dlm"})
    EXPECT_TRUE(j[key].is_number()) << key;
  EXPECT_TRUE(j["phim_e"].is_null());  // a supplied profile has only its centre's latitude
  EXPECT_EQ(j["pathtype"], "transhorizon");
  EXPECT_EQ(j["model"], "p452-18");
  // The defaults: N0 320, delta-N 45, the coast from the zones (the sea
  // starts halfway between 16 and 16.5 km and reaches the receiver).
  EXPECT_EQ(j["N0"].get<double>(), 320.0);
  EXPECT_EQ(j["DN"].get<double>(), 45.0);
  EXPECT_EQ(j["dct"].get<double>(), 16.25);
  EXPECT_EQ(j["dcr"].get<double>(), 0.0);
  EXPECT_EQ(j["phim_n"].get<double>(), 51.0);

  const auto text = RunCli({"path", "--model", "p452-18", "--profile", file, "--lat", "51", "--freq", "2"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("Humidity is not used by this model"), std::string::npos);
  EXPECT_NE(text.out.find("  Lb "), std::string::npos);
  EXPECT_NE(text.out.find("trans-horizon"), std::string::npos);

  // The forced K factor sets delta-N as the classic model's profile mode does.
  const auto forced =
      RunCli({"path", "--model", "p452-18", "--profile", file, "--k-factor", "1.333", "--freq", "2", "--json"});
  ASSERT_EQ(forced.status, 0) << forced.err;
  EXPECT_NEAR(nlohmann::json::parse(forced.out)["DN"].get<double>(), 157 * (1 - 1 / 1.333), 1e-12);
}

TEST_F(P452Cli, OptionsChangeWhatTheyShould) {
  const std::string file = ridge();
  auto run = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = {"path", "--model", "p452-18", "--profile", file, "--freq", "0.6", "--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    const auto r = RunCli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? nlohmann::json::parse(r.out) : nlohmann::json();
  };
  const auto base = run({});
  // Gains couple into troposcatter only.
  const auto gains = run({"--tx-gain", "30", "--rx-gain", "30"});
  EXPECT_GT(gains["Lbs"].get<double>(), base["Lbs"].get<double>());
  EXPECT_EQ(gains["Ldp"], base["Ldp"]);
  EXPECT_EQ(gains["Lba"], base["Lba"]);
  // Polarisation matters in the spherical-earth part only; at 0.6 GHz over
  // this path the two differ.
  const auto vertical = run({"--polarisation", "V"});  // either case
  EXPECT_EQ(vertical["polarisation"], "v");
  EXPECT_EQ(vertical["Lbs"], base["Lbs"]);
  EXPECT_EQ(vertical["Lbfsg"], base["Lbfsg"]);
  // Clutter on land raises the diffraction loss; coastal distances given
  // replace those from the zones.
  const auto clutter = run({"--clutter-height", "30"});
  EXPECT_GT(clutter["Ld50"].get<double>(), base["Ld50"].get<double>());
  const auto coast = run({"--dct", "2", "--dcr", "3"});
  EXPECT_EQ(coast["dct"].get<double>(), 2.0);
  EXPECT_EQ(coast["dcr"].get<double>(), 3.0);
}

TEST_F(P452Cli, APatternGivesTroposcatterTheGainTowardTheHorizonAndTheBudgetItsLb) {
  // A supplied profile's antennas face along it: a horizontal cut 6 dB down
  // everywhere makes a 20 dBi antenna a 14 dBi one toward the horizon, for
  // the coupling loss as for the budget.
  const std::string file = ridge();
  const std::string pattern = write("flat6.csv", "azimuth_deg,attenuation_dB\n0,6\n180,6\n");
  auto run = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = {"path", "--model", "p452-18", "--profile", file, "--freq", "0.6", "--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    const auto r = RunCli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? nlohmann::json::parse(r.out) : nlohmann::json();
  };
  const auto patterned = run({"--tx-gain", "20", "--pattern", pattern, "--power", "40dBm", "--threshold", "-90"});
  const auto plain = run({"--tx-gain", "14"});
  EXPECT_EQ(patterned["Lb"], plain["Lb"]);
  EXPECT_EQ(patterned["Lbs"], plain["Lbs"]);
  const auto& link = patterned["link"];
  EXPECT_DOUBLE_EQ(link["tx_gain_toward_dBi"].get<double>(), 14.0);
  EXPECT_EQ(link["loss_dB"], patterned["Lb"]);
  // received = 40 dBm + 14 dBi - Lb + 0 dBi; margin over -90 dBm
  const double lb = patterned["Lb"].get<double>();
  EXPECT_NEAR(link["received_dBm"].get<double>(), 54.0 - lb, 1e-9);
  EXPECT_NEAR(link["margin_dB"].get<double>(), 144.0 - lb, 1e-9);
  EXPECT_FALSE(run({}).contains("link"));  // without link options, the output as before
}

TEST_F(P452Cli, ClutterColumnOnlyWhereTheHeaderNamesIt) {
  // The same numbers: as clutter_m they are clutter, as the profile
  // command's curvature_m column they are not.
  std::string clutter = "dist_km,height_m,zone,clutter_m\n", curvature = "dist_km,height_m,zone,curvature_m\n";
  std::string bare = "dist_km,height_m,zone\n";
  for (int i = 0; i <= 40; ++i) {
    const std::string row = exact(0.5 * i) + "," + (i == 20 ? "200" : "20") + ",3";
    const std::string fourth = std::string(",") + (i == 20 ? "40" : "0") + "\n";  // on the ridge
    clutter += row + fourth;
    curvature += row + fourth;
    bare += row + "\n";
  }
  auto ld50 = [&](const std::string& name, const std::string& text) {
    const auto r = RunCli({"path", "--model", "p452-18", "--profile", write(name, text), "--freq", "2", "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? nlohmann::json::parse(r.out)["Ld50"].get<double>() : 0.0;
  };
  const double withClutter = ld50("clutter.csv", clutter);
  const double withBulge = ld50("curvature.csv", curvature);
  EXPECT_GT(withClutter, withBulge);
  EXPECT_EQ(withBulge, ld50("bare.csv", bare));
}

TEST_F(P452Cli, LimitsAndMisuseExitWithStatusTwo) {
  const std::string file = ridge();
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"--freq", "0.09"}, "from 0.1 to 50 GHz"},
      {{"--freq", "50.5"}, "from 0.1 to 50 GHz"},
      {{"--percent", "0.0005"}, "from 0.001 to 50 %"},
      {{"--polarisation", "x"}, "--polarisation"},
      {{"--clutter-height", "-1"}, "clutter height"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"path", "--model", "p452-18", "--profile", file};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto r = RunCli(args);
    EXPECT_EQ(r.status, 2) << c.args[0];
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  // The classic model keeps its own range and takes none of the model's own
  // options (the antenna gains belong to the link budget of both).
  EXPECT_EQ(RunCli({"path", "--profile", file, "--freq", "60"}).status, 0);
  EXPECT_EQ(RunCli({"path", "--profile", file, "--tx-gain", "10"}).status, 0);
  const auto misuse = RunCli({"path", "--profile", file, "--polarisation", "v"});
  EXPECT_EQ(misuse.status, 2);
  EXPECT_NE(misuse.err.find("applies to --model p452-18 only"), std::string::npos) << misuse.err;
  EXPECT_EQ(RunCli({"path", "--model", "itm", "--profile", file}).status, 2);
  EXPECT_EQ(RunCli({"path", "--model", "P452-18", "--profile", file, "--tx-gain", "3"}).status, 0);  // either case
  // Three samples make a classic profile but not a P.452-18 one.
  const std::string three = write("three.csv", "0,10\n1,20\n2,10\n");
  EXPECT_EQ(RunCli({"path", "--profile", three}).status, 0);
  const auto short3 = RunCli({"path", "--model", "p452-18", "--profile", three});
  EXPECT_EQ(short3.status, 2);
  EXPECT_NE(short3.err.find("at least 4 samples"), std::string::npos) << short3.err;
}

TEST_F(P452Cli, ClassicIsTheDefaultAndUnchanged) {
  const std::string file = ridge();
  const auto plain = RunCli({"path", "--profile", file, "--lat", "51", "--json"});
  const auto classic = RunCli({"path", "--model", "classic", "--profile", file, "--lat", "51", "--json"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(classic.out, plain.out);
  EXPECT_FALSE(nlohmann::json::parse(plain.out).contains("model"));
}

// A terrain path under P.452-18 is the model over the very profile that
// `tarnvale-cli profile` prints for its ends: the same numbers, bit for bit.
// Synthetic ground (a ridge) and zones (inland, with a strip of sea).
TEST_F(P452Cli, TerrainPathIsTheProfileCommandsProfile) {
  writeRidgeTerrain();
  TempDir noClimate;
  const std::vector<std::string> ends = {"--tx", "51.75 N 1.8 W", "--rx", "51.75 N 1.22 W", "--format", "deg",
                                         "--terrain", dir.str(), "--climate", noClimate.str()};
  const std::vector<std::string> radio = {"--freq", "1.2", "--percent", "5", "--clutter-height", "10",
                                          "--tx-height", "15", "--polarisation", "v"};
  std::vector<std::string> args = {"path", "--model", "p452-18", "--json"};
  args.insert(args.end(), ends.begin(), ends.end());
  args.insert(args.end(), radio.begin(), radio.end());
  const auto terrain = RunCli(args);
  ASSERT_EQ(terrain.status, 0) << terrain.err;
  const auto t = nlohmann::json::parse(terrain.out);
  EXPECT_GT(t["omega"].get<double>(), 0.0);  // the strip of sea
  EXPECT_LT(t["dct"].get<double>(), 500.0);
  EXPECT_GT(t["dlm"].get<double>(), 0.0);
  EXPECT_EQ(t["N0"].get<double>(), 320.0);   // no maps: the fallback pair
  EXPECT_EQ(t["DN"].get<double>(), 45.0);

  std::vector<std::string> profileArgs = {"profile"};
  profileArgs.insert(profileArgs.end(), ends.begin(), ends.end());
  const auto printed = RunCli(profileArgs);
  ASSERT_EQ(printed.status, 0) << printed.err;
  args = {"path", "--model", "p452-18", "--json", "--profile", write("printed.csv", printed.out), "--lat",
          exact(t["phim_n"].get<double>())};
  args.insert(args.end(), radio.begin(), radio.end());
  const auto supplied = RunCli(args);
  ASSERT_EQ(supplied.status, 0) << supplied.err;
  const auto s = nlohmann::json::parse(supplied.out);
  for (const auto& [key, value] : t.items()) {
    if (key == "phim_e" || key == "missingTiles") continue;
    EXPECT_EQ(s[key], value) << key;
  }
}

// mechanisms --model p452-18: each point is what path --model p452-18 gives
// at its percentage, under ITU's names; the classic table says its model.
TEST_F(P452Cli, MechanismsAreThePathAtEachPercentage) {
  writeRidgeTerrain();
  TempDir noClimate;
  const std::vector<std::string> common = {"--tx", "51.75 N 1.8 W", "--rx", "51.75 N 1.22 W", "--format", "deg",
                                           "--terrain", dir.str(), "--climate", noClimate.str(), "--freq", "1.2",
                                           "--clutter-height", "10", "--polarisation", "v", "--rx-gain", "20",
                                           "--model", "p452-18", "--json"};
  std::vector<std::string> args = {"mechanisms"};
  args.insert(args.end(), common.begin(), common.end());
  const auto r = RunCli(args);
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["model"], "p452-18");
  EXPECT_EQ(j["polarisation"], "v");
  EXPECT_EQ(j["climate_source"], "default");
  ASSERT_EQ(j["points"].size(), 10u);
  for (const auto& point : j["points"]) {
    const double percent = point["percent"].get<double>();
    SCOPED_TRACE(percent);
    EXPECT_TRUE(point["ok"].get<bool>());
    args = {"path", "--percent", exact(percent)};
    args.insert(args.end(), common.begin(), common.end());
    const auto path = RunCli(args);
    ASSERT_EQ(path.status, 0) << path.err;
    const auto p = nlohmann::json::parse(path.out);
    for (const char* key : {"Lbd", "Lbs", "Lba", "Lb"}) EXPECT_EQ(point[key], p[key]) << key;
    EXPECT_FALSE(point.contains("Overall"));
  }
  const auto text = RunCli({"mechanisms", "--model", "p452-18", "--tx", "51.75 N 1.8 W", "--rx", "51.75 N 1.22 W",
                            "--format", "deg", "--terrain", dir.str(), "--freq", "1.2"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("ITU-R P.452-18"), std::string::npos);
  EXPECT_NE(text.out.find("Lbd"), std::string::npos);

  const auto classic = RunCli({"mechanisms", "--tx", "51.75 N 1.8 W", "--rx", "51.75 N 1.22 W", "--format", "deg",
                               "--terrain", dir.str(), "--json"});
  ASSERT_EQ(classic.status, 0) << classic.err;
  const auto c = nlohmann::json::parse(classic.out);
  EXPECT_EQ(c["model"], "classic");
  EXPECT_TRUE(c["points"][0].contains("Overall"));
  // The model's own limits, and its inputs refused without it.
  const struct {
    std::vector<std::string> args;
    const char* message;
  } misuse[] = {{{"--model", "p452-18", "--freq", "60"}, "from 0.1 to 50 GHz"},
                {{"--tx-gain", "3"}, "applies to --model p452-18 only"}};
  for (const auto& m : misuse) {
    args = {"mechanisms", "--tx", "51.75 N 1.8 W", "--rx", "51.75 N 1.22 W", "--format", "deg", "--terrain",
            dir.str()};
    args.insert(args.end(), m.args.begin(), m.args.end());
    const auto bad = RunCli(args);
    EXPECT_EQ(bad.status, 2) << m.message;
    EXPECT_NE(bad.err.find(m.message), std::string::npos) << bad.err;
  }
}

TEST_F(P452Cli, ATerrainPathsBudgetLooksAlongItsGreatCircleUnderEitherModel) {
  // A horizontal cut alone: the gain toward the receiver depends on the
  // bearing only, so both models give the same one.
  writeRidgeTerrain();
  TempDir noClimate;
  const std::string pattern = write("cut.csv", "azimuth_deg,attenuation_dB\n0,0\n90,10\n180,25\n270,10\n");
  const std::vector<std::string> common = {"path", "--tx", "51.75 N 1.8 W", "--rx", "51.75 N 1.22 W", "--format",
                                           "deg", "--terrain", dir.str(), "--climate", noClimate.str(), "--freq",
                                           "1.2", "--pattern", pattern, "--azimuth", "45", "--tx-gain", "15",
                                           "--json"};
  auto gainToward = [&](const char* model) {
    std::vector<std::string> args = common;
    args.insert(args.end(), {"--model", model});
    const auto r = RunCli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? nlohmann::json::parse(r.out)["link"]["tx_gain_toward_dBi"].get<double>() : 0.0;
  };
  const double classic = gainToward("classic");
  EXPECT_DOUBLE_EQ(gainToward("p452-18"), classic);
  // Due east is 45 degrees off boresight: 5 dB down, a little more for the
  // great circle's bearing north of east.
  EXPECT_NEAR(classic, 10.0, 0.2);
}

}  // namespace
}  // namespace tarnvale
