// The --profile CSV of tarnvale-cli path: where the distances start, and
// every malformed file refused with a message and exit status 2.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <string>

#include "cli/RunCli.h"
#include "support/DataFiles.h"

using tarnvale::test::RunCli;
using tarnvale::test::TempDir;

namespace {

class ProfileCsv : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& content) {
    const std::string path = (dir.path() / name).string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  nlohmann::json run(const std::string& file) {
    const auto r = RunCli({"path", "--profile", file, "--lat", "51", "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? nlohmann::json::parse(r.out) : nlohmann::json();
  }
  TempDir dir;
};

}  // namespace

TEST_F(ProfileCsv, DistancesCountFromTheFirstSample) {
  // The same hill 20 km long, once from 0 km and once from 12.5 km: the same
  // path, every number alike. Before, the moved file kept its distances and
  // the ducting loss came out as NaN (null in the JSON).
  std::string fromZero = "dist_km,height_m,zone\n", moved = fromZero;
  for (int i = 0; i <= 40; ++i) {
    const double h = 50 + 200 * (i > 15 && i < 25 ? 1 : 0);
    const int zone = i < 5 ? 1 : 3;
    fromZero += std::to_string(i * 0.5) + "," + std::to_string(h) + "," + std::to_string(zone) + "\n";
    moved += std::to_string(12.5 + i * 0.5) + "," + std::to_string(h) + "," + std::to_string(zone) + "\n";
  }
  const auto a = run(write("zero.csv", fromZero));
  const auto b = run(write("moved.csv", moved));
  ASSERT_FALSE(a.is_null());
  ASSERT_FALSE(b.is_null());
  EXPECT_NEAR(b["pathLength"].get<double>(), 20.0, 1e-9);
  for (const char* key : {"Lb0p", "Lbd", "Lbs", "Lba", "Lb", "dtm", "dlm", "dlt", "dlr", "theta", "hm", "gasLoss"}) {
    ASSERT_TRUE(b[key].is_number()) << key << " is " << b[key];
    EXPECT_NEAR(b[key].get<double>(), a[key].get<double>(), 1e-9) << key;
  }
}

TEST_F(ProfileCsv, MalformedFilesAreRefusedWithAMessage) {
  std::string tooMany;
  for (int i = 0; i <= 1000; ++i) tooMany += std::to_string(i * 0.01) + ",10\n";
  std::string thousand;
  for (int i = 0; i < 1000; ++i) thousand += std::to_string(i * 0.01) + ",10\n";
  struct Case {
    const char* name;
    std::string content;
    const char* message;  // a part of the message on the error stream
  };
  const Case cases[] = {
      {"empty", "", "at least 3 samples"},
      {"header only", "dist_km,height_m,zone\n", "at least 3 samples"},
      {"two samples", "0,10\n5,10\n", "at least 3 samples"},
      {"1001 rows", tooMany, "at most 1000 samples"},
      {"not a number", "0,100\n5,oops\n10,3\n", "line 2"},
      {"one column", "0,100\n5\n10,3\n", "line 2"},
      {"zone 0", "0,10,3\n5,10,0\n10,10,3\n", "zone must be 1"},
      {"zone 4", "0,10,3\n5,10,4\n10,10,3\n", "zone must be 1"},
      {"zone 255", "0,10,3\n5,10,255\n10,10,3\n", "zone must be 1"},
      {"zone 2.5", "0,10,3\n5,10,2.5\n10,10,3\n", "zone must be 1"},
      {"falling distance", "0,10\n5,10\n4,10\n", "distances must increase"},
      {"repeated distance", "0,10\n5,10\n5,10\n", "distances must increase"},
      {"nan", "0,10\n5,nan\n10,10\n", "line 2"},
      {"infinite", "0,10\n1e999,10\n2e999,10\n", "line 2"},
      {"absurd height", "0,10\n5,1e300\n10,10\n", "height must lie between"},
      {"too deep", "0,10\n5,-11000\n10,10\n", "height must lie between"},
      {"longer than any range", "0,10\n5,10\n3000.5,10\n", "at most 3000 km"},
      {"indistinct after shift", "-1e17,10\n1,10\n1.0000000000000002,10\n",
       "too close to tell apart"},
      {"binary junk", std::string("\x7f\x45\x4c\x46\x02\x01\x01\x00\x00\x00", 10) + "0,10\n5,20\n10,5\n", "not text"},
      {"NUL in a header", std::string("dist\0km,height\n0,10\n5,20\n10,5\n", 29), "line 1 of the profile is not text"},
  };
  for (const Case& c : cases) {
    const std::string file = write("bad.csv", c.content);
    for (bool json : {false, true}) {
      std::vector<std::string> args = {"path", "--profile", file};
      if (json) args.push_back("--json");
      const auto r = RunCli(args);
      EXPECT_EQ(r.status, 2) << c.name;
      EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
      EXPECT_TRUE(r.out.empty()) << c.name;
    }
  }
  EXPECT_EQ(RunCli({"path", "--profile", (dir.path() / "absent.csv").string()}).status, 2);
  // The limits themselves are accepted: 1000 rows, zones 1 to 3, CR LF ends.
  EXPECT_EQ(RunCli({"path", "--profile", write("thousand.csv", thousand)}).status, 0);
  EXPECT_EQ(RunCli({"path", "--profile", write("zones.csv", "0,10,1\r\n5,-500,2\r\n10,10000,3\r\n")}).status, 0);
}
