// tarnvale-cli path, mechanisms and profile.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/RunCli.h"

namespace {

using Result = tarnvale::test::CliResult;

Result runCli(std::vector<std::string> args) { return tarnvale::test::RunCli(std::move(args)); }

/// The shared real data, or empty where it is absent.
std::string sharedData() {
  const char* d = std::getenv("TARNVALE_SHARED_DATA");
  return d && std::filesystem::exists(std::string(d) + "/srtm/N51W002.hgt") ? std::string(d) : std::string();
}

std::string emptyDir() {
  static const std::string dir = [] {
    auto p = std::filesystem::temp_directory_path() / ("tarnvale-cli-empty-" + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    return p.string();
  }();
  return dir;
}

}  // namespace

TEST(CliPath, DefaultSitesOverRealTerrain) {
  const std::string data = sharedData();
  if (data.empty()) GTEST_SKIP() << "shared SRTM data not found (TARNVALE_SHARED_DATA)";
  Result r = runCli({"path", "--tx", "SU374616", "--rx", "IO91JO26", "--terrain", data + "/srtm", "--climate",
                     data + "/climate", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  for (const char* key : {"Lbfsg", "Lb0p", "Lbd", "Lbs", "Lba", "Lb", "gasLoss", "rho", "gamma", "range_km",
                          "bearing_deg", "pathLength", "n", "beta0", "omega", "dtm", "dlm", "dct", "dcr", "N0",
                          "deltaN", "k50", "theta", "theta_t", "theta_r", "dlt", "dlr", "hte", "hre", "hst", "hsr",
                          "hm", "lineOfSight", "ok"})
    EXPECT_TRUE(j.contains(key)) << key;
  EXPECT_TRUE(j["ok"].get<bool>());
  EXPECT_NEAR(j["gasLoss"].get<double>(), j["gamma"].get<double>() * j["range_km"].get<double>(), 1e-12);
  EXPECT_NEAR(j["k50"].get<double>(), 157 / (157 - j["deltaN"].get<double>()), 1e-12);
  EXPECT_EQ(j["pathLength"].get<double>(), j["range_km"].get<double>());
  EXPECT_GT(j["n"].get<int>(), 600);
  EXPECT_LE(j["Lb"].get<double>(), std::min(j["Lbs"].get<double>(), j["Lbd"].get<double>()) + 1e-9);

  Result plain = runCli({"path", "--tx", "SU374616", "--rx", "IO91JO26", "--terrain", data + "/srtm"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_NE(plain.out.find("TX ASL "), std::string::npos);
  EXPECT_NE(plain.out.find("Overall path loss "), std::string::npos);
}

TEST(CliPath, ForcedKFactorAndRangeBearing) {
  Result r = runCli({"path", "--tx", "51 N 1 W", "--format", "deg", "--range", "20", "--bearing", "45", "--k-factor",
                     "1.333", "--terrain", emptyDir(), "--climate", emptyDir(), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  EXPECT_NEAR(j["deltaN"].get<double>(), 39.22, 0.005);  // 157 (1 - 1/1.333)
  EXPECT_NEAR(j["range_km"].get<double>(), 20, 1e-9);     // the receiver on the range's own sphere
  EXPECT_NEAR(j["N0"].get<double>(), 320, 0);             // no maps: the fallback pair
}

TEST(CliPath, ShortPathAndBadUsage) {
  Result r = runCli({"path", "--tx", "51 N 1 W", "--rx", "51.0004 N 1 W", "--terrain", emptyDir()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Path too short"), std::string::npos);
  EXPECT_EQ(runCli({"path", "--tx", "SU374616"}).status, 2);
  EXPECT_EQ(runCli({"path", "--tx", "SU374616", "--rx", "IO91JO26", "--freq", "500"}).status, 2);
  EXPECT_EQ(runCli({"path", "--tx", "SU374616", "--rx", "IO91JO26", "--percent", "60"}).status, 2);
  EXPECT_EQ(runCli({"path", "--tx", "XX", "--rx", "IO91JO26", "--terrain", emptyDir()}).status, 1);
}

TEST(CliPath, SuppliedProfile) {
  const std::string file = emptyDir() + "/sea.csv";
  {
    std::ofstream csv(file);
    csv << "dist_km,height_m,zone\n";
    for (int i = 0; i <= 400; ++i) csv << i * 0.025 << ",0,1\n";
  }
  Result r = runCli({"path", "--profile", file, "--lat", "51", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  EXPECT_NEAR(j["omega"].get<double>(), 1.0, 1e-12);  // the last sample is the receiver
  EXPECT_EQ(j["dct"].get<double>(), 0.0);
  EXPECT_NEAR(j["pathLength"].get<double>(), 10, 1e-9);
  EXPECT_TRUE(j["lineOfSight"].get<bool>());
  EXPECT_EQ(j["N0"].get<double>(), 320);
  EXPECT_EQ(j["deltaN"].get<double>(), 45);

  // Without a zone column every sample is inland.
  const std::string plain = emptyDir() + "/plain.csv";
  {
    std::ofstream csv(plain);
    csv << "0,100\n5,250\n10,80\n";
  }
  Result inland = runCli({"path", "--profile", plain, "--lat", "51", "--n0", "330", "--delta-n", "50", "--json"});
  ASSERT_EQ(inland.status, 0) << inland.err;
  EXPECT_EQ(nlohmann::json::parse(inland.out)["omega"].get<double>(), 0.0);

  const std::string bad = emptyDir() + "/bad.csv";
  {
    std::ofstream csv(bad);
    csv << "0,100\n5,oops\n";
  }
  EXPECT_EQ(runCli({"path", "--profile", bad}).status, 2);
}

TEST(CliMechanisms, TenPointsInTableOrder) {
  Result r = runCli({"mechanisms", "--tx", "51 N 1 W", "--rx", "51.2 N 0.8 W", "--terrain", emptyDir(), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  const double expected[] = {0.001, 0.01, 0.05, 0.1, 0.5, 1, 5, 10, 20, 50};
  ASSERT_EQ(j["points"].size(), 10u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(j["points"][i]["percent"].get<double>(), expected[i]);
    EXPECT_TRUE(j["points"][i]["ok"].get<bool>());
  }
  // Losses grow with the time percentage.
  EXPECT_LT(j["points"][0]["Overall"].get<double>(), j["points"][9]["Overall"].get<double>());
}

TEST(CliProfile, CsvOfTheSampledPath) {
  // About 30 km along a meridian: 0.05 km spacing for a path run, 0.125 km as a coverage point.
  Result r = runCli({"profile", "--tx", "51 N 1 W", "--rx", "51.27 N 1 W", "--terrain", emptyDir(), "--climate",
                     emptyDir()});
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "dist_km,height_m,zone,curvature_m");
  int rows = 0;
  while (std::getline(lines, line)) ++rows;
  EXPECT_EQ(rows, 600);
  Result coverage = runCli({"profile", "--tx", "51 N 1 W", "--rx", "51.27 N 1 W", "--terrain", emptyDir(),
                            "--coverage"});
  EXPECT_EQ(std::count(coverage.out.begin(), coverage.out.end(), '\n') - 1, 240);
  EXPECT_EQ(runCli({"profile", "--tx", "51 N 1 W", "--rx", "51.0004 N 1 W", "--terrain", emptyDir()}).status, 1);
}
