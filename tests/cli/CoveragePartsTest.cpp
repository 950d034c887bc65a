// One map in parts: the bands of rows, a band computed alone against the
// same rows of the whole map, and coverage --part with mosaic --join against
// the GeoTIFF of the whole map made in one process, on the sample tile.
#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "cli/RunCli.h"
#include "maps/CoveragePart.h"
#include "session/CoverageSetup.h"
#include "support/DataFiles.h"

namespace tarnvale {
namespace {

using test::RunCli;
using test::TempDir;

TEST(CoveragePart, BandsFollowOneAnotherAndTextsAreRead) {
  const struct {
    int rows, index, count, first, size;
  } bands[] = {
      {125, 1, 3, 0, 41}, {125, 2, 3, 41, 42}, {125, 3, 3, 83, 42},  // floor((I-1)R/N) to floor(IR/N)-1
      {10, 1, 1, 0, 10},  {10, 10, 10, 9, 1},  {7, 3, 4, 3, 2},
      {5, 1, 6, 0, 0},    {5, 0, 3, 0, 0},     {5, 4, 3, 0, 0},      // N > R, I out of 1...N: no band
      {100000, 3, 7, 28571, 14286},                                  // I R beyond 32 bits' int
  };
  for (const auto& b : bands) {
    const CoverageRowBand band = CoveragePartRows(b.rows, {b.index, b.count});
    EXPECT_EQ(band.first, b.first) << b.index << "/" << b.count << " of " << b.rows;
    EXPECT_EQ(band.count, b.size) << b.index << "/" << b.count << " of " << b.rows;
  }
  // Every row in exactly one band.
  for (int count : {1, 2, 3, 7, 50}) {
    int next = 0;
    for (int i = 1; i <= count; ++i) {
      const CoverageRowBand band = CoveragePartRows(50, {i, count});
      EXPECT_EQ(band.first, next);
      next += band.count;
    }
    EXPECT_EQ(next, 50);
  }
  CoveragePart part;
  ASSERT_TRUE(ParseCoveragePart("12/40", part));
  EXPECT_EQ(part.index, 12);
  EXPECT_EQ(part.count, 40);
  for (const char* bad : {"", "3", "/3", "1/", "0/3", "4/3", "-1/3", "+1/3", " 1/3", "1/3 ", "1/3/3", "a/3",
                          "1.0/3", "1/99999999999"})
    EXPECT_FALSE(ParseCoveragePart(bad, part)) << "'" << bad << "'";
}

// A small map of the sample tile: 16 x 16 points.
CoverageRequest SmallMap() {
  CoverageRequest r;
  r.transmitter = CLocator(51.42, -1.55);
  r.rangeKm = 3.0;
  r.resolution = 4;
  r.widthPx = r.heightPx = 64;
  r.terrainDirectory = test::SampleData().string();
  r.threads = 2;
  return r;
}

TEST(CoveragePart, ABandHoldsTheWholeMapsValuesOfItsRows) {
  const CZONES zones(test::SampleData().string());
  const CoverageValues whole = RunCoverage(CoverageJobFor(SmallMap()), zones);
  ASSERT_EQ(whole.n, 16);
  CoverageRequest request = SmallMap();
  request.part = CoveragePart{2, 3};
  const CoverageJob job = CoverageJobFor(request);
  EXPECT_EQ(job.firstRow, 5);
  EXPECT_EQ(job.rowCount, 5);
  const CoverageValues band = RunCoverage(job, zones);
  ASSERT_EQ(band.n, 16);
  EXPECT_EQ(band.firstRow, 5);
  EXPECT_EQ(band.rows(), 5);
  EXPECT_EQ(band.loss.size(), 16u * 5u);
  EXPECT_EQ(band.pointsDone, 16 * 5);
  EXPECT_FALSE(band.cancelled);
  for (int j = 0; j < 16; ++j)
    for (int k = 5; k < 10; ++k) {
      ASSERT_EQ(band.state[band.index(j, k)], whole.state[whole.index(j, k)]);
      if (band.state[band.index(j, k)] == PointState::Ok) {
        EXPECT_EQ(band.loss[band.index(j, k)], whole.loss[whole.index(j, k)]) << j << "," << k;  // bit for bit
      }
    }
  // A band beyond the grid is refused.
  CoverageJob beyond = job;
  beyond.firstRow = 12;
  EXPECT_EQ(RunCoverage(beyond, zones).n, 0);
}

std::string Bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CoverageParts : public ::testing::Test {
 protected:
  std::string file(const std::string& name) const { return (dir_.path() / name).string(); }
  /// coverage of a 3 km map, 125 x 125 points, on the sample tile.
  static std::vector<std::string> coverage(std::vector<std::string> more) {
    std::vector<std::string> args = {"coverage", "--tx",    "51.42 -1.55", "--format", "deg", "--terrain",
                                     test::SampleData().string(), "--range", "3", "--resolution", "4",
                                     "--threads", "2"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }
  TempDir dir_;
};

TEST_F(CoverageParts, JoinedPartsAreTheWholeMapByteForByte) {
  auto r = RunCli(coverage({"--geotiff", file("whole.tif")}));
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* part : {"1/3", "2/3", "3/3"}) {
    r = RunCli(coverage({"--part", part, "--geotiff", file(std::string("part") + part[0] + ".tif")}));
    ASSERT_EQ(r.status, 0) << part << ": " << r.err;
  }
  EXPECT_NE(r.out.find("Part 3/3: rows 83 to 124 of 125"), std::string::npos) << r.out;

  // Part 2 lies where its rows lie in the whole map and says which it is.
  GDALAllRegister();
  {
    std::unique_ptr<GDALDataset> whole(static_cast<GDALDataset*>(GDALOpen(file("whole.tif").c_str(), GA_ReadOnly)));
    std::unique_ptr<GDALDataset> part(static_cast<GDALDataset*>(GDALOpen(file("part2.tif").c_str(), GA_ReadOnly)));
    ASSERT_TRUE(whole && part);
    EXPECT_EQ(part->GetRasterXSize(), 125);
    EXPECT_EQ(part->GetRasterYSize(), 42);
    double w[6], p[6];
    whole->GetGeoTransform(w);
    part->GetGeoTransform(p);
    EXPECT_EQ(p[0], w[0]);
    EXPECT_EQ(p[1], w[1]);
    EXPECT_EQ(p[5], w[5]);
    EXPECT_NEAR(p[3], w[3] + 41 * w[5], 1e-12);  // degrees: far below a pixel of 0.0007
    EXPECT_STREQ(part->GetMetadataItem("PART"), "2/3");
    EXPECT_STREQ(part->GetMetadataItem("PART_FIRST_ROW"), "41");
    EXPECT_STREQ(part->GetMetadataItem("PART_WHOLE_ROWS"), "125");
    EXPECT_STREQ(part->GetMetadataItem("TX_LATITUDE"), whole->GetMetadataItem("TX_LATITUDE"));
    whole.reset();
    part.reset();
  }

  // In any order.
  r = RunCli({"mosaic", "--join", file("part3.tif"), file("part1.tif"), file("part2.tif"), "--out",
              file("joined.tif")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string whole = Bytes(file("whole.tif"));
  ASSERT_FALSE(whole.empty());
  EXPECT_TRUE(Bytes(file("joined.tif")) == whole) << "the joined map differs from the whole map's file";
}

TEST_F(CoverageParts, MistakesAndPartsThatDoNotBelongTogetherExitWithTwo) {
  std::vector<std::vector<std::string>> usage = {
      coverage({"--part", "0/3", "--geotiff", file("x.tif")}),
      coverage({"--part", "4/3", "--geotiff", file("x.tif")}),
      coverage({"--part", "one/3", "--geotiff", file("x.tif")}),
      coverage({"--part", "1/126", "--geotiff", file("x.tif")}),  // more parts than the map's 125 rows
      coverage({"--part", "1/3"}),                                // no --geotiff
      coverage({"--part", "1/3", "--geotiff", file("x.tif"), "--out", file("x.png")}),
      coverage({"--part", "1/3", "--geotiff", file("x.tif"), "--scale", file("s.png")}),
      coverage({"--part", "1/3", "--geotiff", file("x.tif"), "--kml", file("x.kml")}),
      coverage({"--part", "1/3", "--geotiff", file("x.tif"), "--kmz", file("x.kmz")}),
  };
  std::ofstream(file("sites.dat")) << "A~SU374616\n";
  usage.push_back({"coverage", "--sites", file("sites.dat"), "--outdir", file("out"), "--terrain",
                   test::SampleData().string(), "--part", "1/3", "--geotiff", file("x.tif")});
  for (const auto& args : usage) {
    const auto r = RunCli(args);
    EXPECT_EQ(r.status, 2) << args[args.size() - 3] << " " << args[args.size() - 2] << "\n" << r.err;
    EXPECT_FALSE(std::filesystem::exists(file("x.tif")));
  }
  // An output that cannot be written stops a part before it computes.
  auto r = RunCli(coverage({"--part", "1/3", "--geotiff", file("no/such/x.tif")}));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(file("no/such/x.tif")), std::string::npos) << r.err;

  // Bands 1 and 2 of three, band 2 of another frequency, band 2 of four, the whole map.
  for (const auto& [part, name, more] :
       {std::tuple{"1/3", "p1.tif", "10.368"}, std::tuple{"2/3", "p2.tif", "10.368"},
        std::tuple{"2/3", "other.tif", "5.7"}, std::tuple{"2/4", "quarter.tif", "10.368"}}) {
    r = RunCli(coverage({"--part", part, "--geotiff", file(name), "--freq", more}));
    ASSERT_EQ(r.status, 0) << r.err;
  }
  ASSERT_EQ(RunCli(coverage({"--geotiff", file("whole.tif")})).status, 0);
  const struct {
    std::vector<std::string> parts;
    std::string named;  ///< what the message must name
  } joins[] = {
      {{file("p1.tif"), file("p2.tif")}, "band 3/3 is missing"},
      {{file("p1.tif"), file("p2.tif"), file("p2.tif")}, file("p2.tif") + ": band 2/3 again"},
      {{file("p1.tif"), file("other.tif")}, file("other.tif") + ": a part of another map"},
      {{file("p1.tif"), file("quarter.tif")}, file("quarter.tif") + ": a part of another map"},
      {{file("p1.tif"), file("whole.tif")}, file("whole.tif") + ": no PART item"},
  };
  for (const auto& join : joins) {
    std::vector<std::string> args = {"mosaic", "--join", "--out", file("joined.tif")};
    args.insert(args.end(), join.parts.begin(), join.parts.end());
    r = RunCli(args);
    EXPECT_EQ(r.status, 2) << join.named;
    EXPECT_NE(r.err.find(join.named), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(file("joined.tif")));
  }
  r = RunCli({"mosaic", "--join", file("p1.tif"), "--out", file("joined.tif"), "--server", file("s.tif")});
  EXPECT_EQ(r.status, 2) << r.err;
}

}  // namespace
}  // namespace tarnvale
