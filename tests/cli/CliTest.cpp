#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "cli/RunCli.h"

namespace {

using Result = tarnvale::test::CliResult;

Result runCli(std::vector<std::string> args) { return tarnvale::test::RunCli(std::move(args)); }

}  // namespace

TEST(CliLocate, JsonHoldsEveryFormatAndTheGridCoordinates) {
  Result r = runCli({"locate", "SU374616", "--format", "ngr", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  EXPECT_TRUE(j["valid"].get<bool>());
  EXPECT_NEAR(j["latitude"].get<double>(), 51.3523, 1e-4);
  EXPECT_NEAR(j["longitude"].get<double>(), -1.4643, 1e-4);
  EXPECT_EQ(j["ngr"], "SU37406160");
  EXPECT_EQ(j["loc"].get<std::string>().size(), 8u);
  EXPECT_EQ(j["deg"], "51.352 N   1.464 W");
  EXPECT_EQ(j["easting"].get<long long>(), 437400);
  EXPECT_EQ(j["northing"].get<long long>(), 161600);
  EXPECT_TRUE(j["dms"].get<std::string>().find(" N   ") != std::string::npos);
}

TEST(CliLocate, PlainTextAndPlainNumbers) {
  Result r = runCli({"locate", "51.35,-1.46", "--format", "deg"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("latitude   51.350000000"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("deg        51.350 N   1.460 W"), std::string::npos) << r.out;
  EXPECT_EQ(runCli({"locate", "51.35 -1.46", "--format", "deg"}).status, 0);
  // Plain numbers are a decimal-degrees convenience only.
  EXPECT_EQ(runCli({"locate", "51.35,-1.46", "--format", "dms"}).status, 1);
}

TEST(CliLocate, InvalidTextIsReportedWithStatusOne) {
  Result r = runCli({"locate", "IS00", "--format", "loc", "--json"});
  EXPECT_EQ(r.status, 1);
  auto j = nlohmann::json::parse(r.out);
  EXPECT_FALSE(j["valid"].get<bool>());
  EXPECT_EQ(runCli({"locate", "95 N 0 E", "--format", "dms"}).status, 1);
  EXPECT_EQ(runCli({"locate", "nan,nan", "--format", "deg"}).status, 1);
}

TEST(CliUsage, WrongUsageGivesStatusTwoAndAMessage) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"locate"},
      {"locate", "IO91"},
      {"locate", "IO91", "--format", "xyz"},
      {"locate", "IO91", "--format", "loc", "--bogus"},
      {"nosuchcommand"},
      {"range", "--tx", "IO91"},
  };
  for (const auto& args : cases) {
    Result r = runCli(args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
    EXPECT_FALSE(r.err.empty());
  }
  EXPECT_EQ(runCli({"--help"}).status, 0);
}

TEST(CliRange, WorkedPathInJson) {
  Result r = runCli({"range", "--tx", "51 N 1 W", "--rx", "51 N 1 E", "--format", "deg", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  EXPECT_NEAR(j["range_km"].get<double>(), 139.95, 0.005);
  EXPECT_NEAR(j["bearing_deg"].get<double>(), 89.22, 0.005);
  Result mixed = runCli({"range", "--tx", "SU374616", "--tx-format", "ngr", "--rx", "IO91JO26", "--rx-format", "loc"});
  EXPECT_EQ(mixed.status, 0) << mixed.err;
  // Without a format each text is read in the first format that takes it.
  Result detected = runCli({"range", "--tx", "SU374616", "--rx", "IO91JO26", "--json"});
  ASSERT_EQ(detected.status, 0) << detected.err;
  EXPECT_EQ(nlohmann::json::parse(detected.out)["range_km"], nlohmann::json::parse(runCli({"range", "--tx", "SU374616", "--tx-format", "ngr", "--rx", "IO91JO26", "--rx-format", "loc", "--json"}).out)["range_km"]);
  Result bad = runCli({"range", "--tx", "ZZ", "--rx", "IO91", "--format", "loc"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("Invalid TX Locator"), std::string::npos);
}

TEST(CliRobustness, LongAndStrangeInputsDoNotCrash) {
  const std::string longText(100000, 'N');
  const std::vector<std::string> texts = {longText, std::string(5000, '9') + " N " + std::string(5000, '9') + " E",
                                          "%s%s%n%d", std::string("\x01\xff\x80", 3), "-", "", " ",
                                          "99999999999999999999 N 1 E"};
  for (const char* format : {"loc", "ngr", "deg", "dms"})
    for (const std::string& t : texts) {
      Result r = runCli({"locate", "--format", format, "--", t});
      EXPECT_TRUE(r.status == 0 || r.status == 1) << format << " " << t.substr(0, 20);
    }
}

TEST(CliVersion, PrintsTheProgramsVersion) {
  // The project's version first, as About and the .deb give it.
  for (const char* flag : {"--version"}) {
    Result r = runCli({flag});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("tarnvale-cli 0.", 0), 0u) << r.out;
    EXPECT_EQ(r.out.back(), '\n');
  }
}
