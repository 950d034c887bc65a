// tarnvale-cli sites and zonemap.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "cli/RunCli.h"
#include "support/DataFiles.h"

using tarnvale::test::RunCli;
using tarnvale::test::TempDir;
namespace fs = std::filesystem;

namespace {

TEST(SitesCommand, JsonListsTheAcceptedSitesWithTheirDetails) {
  TempDir dir;
  tarnvale::test::WriteTile(dir.path() / "N51W002.hgt", tarnvale::test::Tile(77));
  const fs::path file = dir.path() / "list.dat";
  std::ofstream(file, std::ios::binary) << "Mast A~SU374616\nHill~SU 374 616\nHome~io91jo26~note\n"
                                        << "Loc14~IO91JO26AB12CD\n";
  const auto r = RunCli({"sites", file.string(), "--terrain", dir.str(), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  ASSERT_EQ(j["count"], 2);
  ASSERT_EQ(j["sites"].size(), 2u);
  const auto& mast = j["sites"][0];
  EXPECT_EQ(mast["name"], "Mast A");
  EXPECT_NEAR(mast["latitude"].get<double>(), 51.3523, 1e-4);
  EXPECT_NEAR(mast["longitude"].get<double>(), -1.4643, 1e-4);
  ASSERT_EQ(mast["details"].size(), 5u);
  EXPECT_EQ(mast["details"][0], "Mast A");
  EXPECT_EQ(mast["details"][1], "Height    77 m");
  EXPECT_EQ(mast["details"][2], "NGR       SU374616");
  EXPECT_EQ(mast["details"][3], "Locator   IO91GI44");
  EXPECT_EQ(j["sites"][1]["name"], "Home");
  EXPECT_EQ(j["sites"][1]["details"][3], "Locator   IO91JO26");

  const auto text = RunCli({"sites", file.string(), "--terrain", dir.str()});
  ASSERT_EQ(text.status, 0);
  EXPECT_EQ(text.out.rfind("2 Sites\n", 0), 0u) << text.out;
  EXPECT_NE(text.out.find("Height    77 m"), std::string::npos);
}

TEST(SitesCommand, NoSitesAndMissingFile) {
  TempDir dir;
  const fs::path file = dir.path() / "bad.dat";
  std::ofstream(file, std::ios::binary) << "X~IO91\n";
  const auto none = RunCli({"sites", file.string(), "--terrain", dir.str(), "--json"});
  ASSERT_EQ(none.status, 0);
  EXPECT_EQ(nlohmann::json::parse(none.out)["count"], 0);
  EXPECT_TRUE(nlohmann::json::parse(none.out)["sites"].empty());
  EXPECT_EQ(RunCli({"sites", (dir.path() / "absent.dat").string()}).status, 2);
}

class ZoneMapCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    // Inland all round 51 N, 1 W except one sea byte.
    std::vector<std::pair<std::uint64_t, std::uint8_t>> bytes;
    for (int row = 2330; row <= 2350; ++row)
      for (int b = 2680; b <= 2690; ++b) bytes.emplace_back(std::uint64_t(row) * 5400 + b, b == 2685 ? 0x55 : 0xFF);
    tarnvale::test::WriteSparseZones(dir_.path() / "zones01.dem", bytes);
  }
  TempDir dir_;
};

TEST_F(ZoneMapCommand, WritesThePictureAndReportsWhereItLies) {
  const fs::path png = dir_.path() / "zones.png";
  const auto r = RunCli({"zonemap", "--tx", "51.01,-1.0", "--rx", "51.01,-0.92", "--format", "deg", "--terrain",
                         dir_.str(), "--out", png.string(), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(png));
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_NEAR(j["west"].get<double>(), -1.008, 1e-12);
  EXPECT_NEAR(j["south"].get<double>(), 50.962, 1e-12);
  EXPECT_NEAR(j["step"].get<double>(), 0.00048, 1e-15);
  EXPECT_EQ(j["columns"], 200);
  EXPECT_EQ(j["rows"], 200);
  // Halfway down is (200 - 0.048 / 0.00048) x 2, a hair under 200 in binary
  // arithmetic, and positions are truncated.
  EXPECT_EQ(j["tx"], nlohmann::json::array({33, 199}));
  EXPECT_EQ(j["rx"], nlohmann::json::array({366, 199}));
}

TEST_F(ZoneMapCommand, IdenticalEndsWriteNoFile) {
  const fs::path png = dir_.path() / "same.png";
  const auto r = RunCli({"zonemap", "--tx", "IO91JO26", "--rx", "IO91JO26", "--format", "loc", "--terrain",
                         dir_.str(), "--out", png.string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("identical"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(png));
}

TEST_F(ZoneMapCommand, BadEndsAndMissingOptions) {
  const fs::path png = dir_.path() / "bad.png";
  const auto bad = RunCli({"zonemap", "--tx", "IO91ZZ", "--rx", "IO91JO26", "--format", "loc", "--terrain",
                           dir_.str(), "--out", png.string()});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("Invalid TX Locator"), std::string::npos);
  EXPECT_FALSE(fs::exists(png));
  EXPECT_EQ(RunCli({"zonemap", "--tx", "IO91GI44", "--rx", "IO91JO26", "--terrain", dir_.str()}).status, 2);
  EXPECT_EQ(RunCli({"zonemap", "--tx", "IO91GI44", "--rx", "IO91JO26", "--out", png.string()}).status, 2);
}

}  // namespace
