#include <gdal.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/RunCli.h"
#include "support/DataFiles.h"

namespace tarnvale::test {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// A hilly synthetic tile under two sites and a site list with a line the
/// list's rules skip.
class CoverageSites : public testing::Test {
 protected:
  void SetUp() override {
    Tile tile(50);
    for (int r = 0; r < kTileEdge; ++r)
      for (int c = 0; c < kTileEdge; ++c) tile.at(r, c) = static_cast<std::int16_t>(50 + (r * 7 + c * 13) % 200);
    WriteTile(fs::path(dir.path()) / "N51W002.hgt", tile);
    sites = fs::path(dir.path()) / "sites.dat";
    std::ofstream(sites) << "Walbury Hill~SU374616\nNot a site~SU 374 616\nNew/bury~SU470670\n";
  }
  CliResult Coverage(const fs::path& outdir, std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"coverage", "--sites", sites.string(), "--outdir", outdir.string(),
                                     "--terrain", dir.path().string(), "--range", "2", "--resolution", "10",
                                     "--n0", "320", "--delta-n", "45"};
    args.insert(args.end(), more.begin(), more.end());
    return RunCli(args);
  }
  TempDir dir;
  fs::path sites;
};

TEST_F(CoverageSites, EachAcceptedSiteWritesItsGeoTiffAndRecord) {
  const fs::path all = fs::path(dir.path()) / "all";
  const CliResult r = Coverage(all);
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(fs::exists(all / "0-Walbury_Hill.tif"));
  ASSERT_TRUE(fs::exists(all / "1-New_bury.tif")) << "a name's slash must not make a folder";
  EXPECT_FALSE(fs::exists(all / "2-Not_a_site.tif"));

  const std::string record = ReadAll(all / "1-New_bury.json");
  EXPECT_EQ(record.find('\n'), record.size() - 1) << "one line";
  const nlohmann::json j = nlohmann::json::parse(record);
  EXPECT_EQ(j["index"], 1);
  EXPECT_EQ(j["name"], "New/bury");
  EXPECT_EQ(j["n"], 50);

  GDALAllRegister();
  GDALDatasetH ds = GDALOpen((all / "1-New_bury.tif").c_str(), GA_ReadOnly);
  ASSERT_NE(ds, nullptr);
  EXPECT_STREQ(GDALGetMetadataItem(ds, "SITE_INDEX", nullptr), "1");
  EXPECT_STREQ(GDALGetMetadataItem(ds, "SITE_NAME", nullptr), "New/bury");
  EXPECT_STREQ(GDALGetMetadataItem(ds, "FREQUENCY_GHZ", nullptr), "10.368");
  EXPECT_STREQ(GDALGetMetadataItem(ds, "RANGE_KM", nullptr), "2");
  EXPECT_NE(GDALGetMetadataItem(ds, "TX_LATITUDE", nullptr), nullptr);
  GDALClose(ds);

  // One task of a job array maps the same site to the same bytes.
  const fs::path one = fs::path(dir.path()) / "one";
  ASSERT_EQ(Coverage(one, {"--site-index", "1"}).status, 0);
  EXPECT_FALSE(fs::exists(one / "0-Walbury_Hill.tif"));
  EXPECT_EQ(ReadAll(one / "1-New_bury.tif"), ReadAll(all / "1-New_bury.tif"));
}

TEST_F(CoverageSites, ARerunCompletesAKilledTaskAndSkipsFinishedSites) {
  const fs::path out = fs::path(dir.path()) / "out";
  ASSERT_EQ(Coverage(out).status, 0);
  const std::string whole = ReadAll(out / "1-New_bury.tif");

  // A task killed while writing: a half temporary file, no record; an older
  // half GeoTIFF under the final name from some other writer.
  std::ofstream(out / "1-New_bury.tif.part", std::ios::binary) << whole.substr(0, 100);
  std::ofstream(out / "1-New_bury.tif", std::ios::binary | std::ios::trunc) << whole.substr(0, 100);
  fs::remove(out / "1-New_bury.json");
  const CliResult rerun = Coverage(out, {"--site-index", "1"});
  ASSERT_EQ(rerun.status, 0) << rerun.err;
  EXPECT_EQ(ReadAll(out / "1-New_bury.tif"), whole);
  EXPECT_TRUE(fs::exists(out / "1-New_bury.json"));

  // Complete outputs are kept unless --force.
  const auto stamp = fs::last_write_time(out / "0-Walbury_Hill.tif");
  const CliResult again = Coverage(out, {"--site-index", "0"});
  EXPECT_EQ(again.status, 0);
  EXPECT_NE(again.err.find("done already"), std::string::npos) << again.err;
  EXPECT_EQ(fs::last_write_time(out / "0-Walbury_Hill.tif"), stamp);
  EXPECT_EQ(Coverage(out, {"--site-index", "0", "--force"}).out.find("\"index\":0") != std::string::npos, true);
}

TEST_F(CoverageSites, ContractErrors) {
  const fs::path out = fs::path(dir.path()) / "out";
  EXPECT_EQ(Coverage(out, {"--site-index", "2"}).status, 1) << "two sites accepted: index 2 is past the end";
  EXPECT_EQ(RunCli({"coverage", "--sites", sites.string(), "--terrain", dir.path().string()}).status, 2)
      << "--sites needs --outdir";
  EXPECT_EQ(Coverage(out, {"--tx", "SU374616"}).status, 2) << "--tx and --sites exclude each other";
  const fs::path empty = fs::path(dir.path()) / "empty.dat";
  std::ofstream(empty) << "nothing~here\n";
  EXPECT_EQ(RunCli({"coverage", "--sites", empty.string(), "--outdir", out.string(), "--terrain",
                    dir.path().string()})
                .status,
            1);
}

}  // namespace
}  // namespace tarnvale::test
