// tarnvale-cli coverage and terrainmap over a synthetic tile: options and
// exit statuses, the JSON keys, and the exports read back with GDAL.
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "exports/GdalModule.h"
#include "exports/MapExport.h"
#include "cli/RunCli.h"
#include "maps/Coverage.h"
#include "model/P676.h"
#include "support/DataFiles.h"

namespace tarnvale {
namespace {

using test::RunCli;
using test::TempDir;
using test::Tile;

struct DatasetCloser {
  void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;
Dataset Open(const std::string& path) {
  GDALAllRegister();
  return Dataset(static_cast<GDALDataset*>(GDALOpen(path.c_str(), GA_ReadOnly)));
}

// Rolling ground: a ridge east of the transmitter.
class MapCommands : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<TempDir>();
    Tile tile(60);
    for (int row = 0; row < test::kTileEdge; ++row)
      for (int column = 640; column < 660; ++column) tile.at(row, column) = 350;
    test::WriteTile(dir_->path() / "n51w002.hgt", tile);
  }
  static void TearDownTestSuite() { dir_.reset(); }
  std::string file(const std::string& name) const { return (out_.path() / name).string(); }
  std::vector<std::string> coverage(std::vector<std::string> more) const {
    std::vector<std::string> args = {"coverage", "--tx", "51.42 -1.55", "--format", "deg", "--terrain",
                                     dir_->str(), "--climate", dir_->str(), "--threads", "2"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }
  static std::unique_ptr<TempDir> dir_;
  TempDir out_;
};
std::unique_ptr<TempDir> MapCommands::dir_;

TEST_F(MapCommands, UsageMistakesExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"coverage", "--terrain", dir_->str()},                     // no --tx
      {"coverage", "--tx", "IO91", "--format", "loc"},            // no --terrain
      coverage({"--kml", file("a.kml"), "--kmz", file("a.kmz")}), // one overlay only
      coverage({"--resolution", "0"}),
      coverage({"--resolution", "17"}),
      coverage({"--style", "sepia"}),
      coverage({"--n0", "320"}),  // without --delta-n
      coverage({"--max-loss", "401"}),
      coverage({"--range", "0.5"}),
      {"terrainmap", "--tx", "51.4 -1.5", "--terrain", dir_->str()},  // no --rx
  };
  for (const auto& args : cases) {
    const auto r = RunCli(args);
    EXPECT_EQ(r.status, 2) << args.back() << "\n" << r.err;
  }
}

TEST_F(MapCommands, UnreadableTransmitterExitsWithOne) {
  const auto r = RunCli({"coverage", "--tx", "nowhere", "--format", "loc", "--terrain", dir_->str()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Invalid TX Locator\n");
}

TEST_F(MapCommands, JsonGivesTheGridTheClimateAndTheCount) {
  auto r = RunCli(coverage({"--resolution", "8", "--size", "200", "--json"}));
  ASSERT_EQ(r.status, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  const CoverageGrid grid = CoverageGridFor(CLocator(51.42, -1.55), 10.0, 8, 200, 200);
  EXPECT_EQ(j["n"], 25);
  EXPECT_EQ(j["points"], 625);
  EXPECT_EQ(j["threads"], 2);
  EXPECT_DOUBLE_EQ(j["step"].get<double>(), grid.step);
  EXPECT_DOUBLE_EQ(j["d"].get<double>(), grid.d);
  EXPECT_DOUBLE_EQ(j["northEdge"].get<double>(), grid.northEdge);
  EXPECT_DOUBLE_EQ(j["westEdge"].get<double>(), grid.westEdge);
  EXPECT_GE(j["seconds"].get<double>(), 0.0);
  // No climate maps in this directory: the fallback pair.
  EXPECT_EQ(j["N0"], 320.0);
  EXPECT_EQ(j["deltaN"], 45.0);
  EXPECT_EQ(j["climateSource"], "default");

  r = RunCli(coverage({"--resolution", "8", "--size", "200", "--n0", "301.5", "--delta-n", "38", "--json"}));
  ASSERT_EQ(r.status, 0) << r.err;
  j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["N0"], 301.5);
  EXPECT_EQ(j["deltaN"], 38.0);
  EXPECT_EQ(j["climateSource"], "options");
}

TEST_F(MapCommands, GeoTiffHoldsTheLossesOnTheSamplePoints) {
  // n = 50 is even: sample (25, 25) is the transmitter's own, with no path.
  const std::string tif = file("loss.tif");
  const auto r = RunCli(coverage({"--resolution", "2", "--size", "100", "--geotiff", tif, "--json"}));
  ASSERT_EQ(r.status, 0) << r.err;
  const CLocator tx(51.42, -1.55);
  const CoverageGrid grid = CoverageGridFor(tx, 10.0, 2, 100, 100);
  ASSERT_EQ(grid.n, 50);

  Dataset ds = Open(tif);
  ASSERT_TRUE(ds) << tif;
  EXPECT_EQ(ds->GetRasterXSize(), 50);
  EXPECT_EQ(ds->GetRasterYSize(), 50);
  ASSERT_EQ(ds->GetRasterCount(), 1);
  double t[6];
  ASSERT_EQ(ds->GetGeoTransform(t), CE_None);
  EXPECT_DOUBLE_EQ(t[0], grid.westEdge - grid.step / 2);
  EXPECT_DOUBLE_EQ(t[1], grid.step);
  EXPECT_EQ(t[2], 0.0);
  EXPECT_DOUBLE_EQ(t[3], grid.northEdge + grid.step / 2);
  EXPECT_EQ(t[4], 0.0);
  EXPECT_DOUBLE_EQ(t[5], -grid.step);
  const OGRSpatialReference* srs = ds->GetSpatialRef();
  ASSERT_NE(srs, nullptr);
  ASSERT_NE(srs->GetAuthorityCode(nullptr), nullptr);
  EXPECT_STREQ(srs->GetAuthorityName(nullptr), "EPSG");
  EXPECT_STREQ(srs->GetAuthorityCode(nullptr), "4326");
  GDALRasterBand* band = ds->GetRasterBand(1);
  EXPECT_EQ(band->GetRasterDataType(), GDT_Float32);
  int hasNoData = 0;
  EXPECT_EQ(band->GetNoDataValue(&hasNoData), kGeoTiffNoData);
  EXPECT_TRUE(hasNoData);
  std::vector<float> values(50 * 50);
  ASSERT_EQ(band->RasterIO(GF_Read, 0, 0, 50, 50, values.data(), 50, 50, GDT_Float32, 0, 0), CE_None);

  // Row y, column x is the sample at (north edge - y step, west edge + x step).
  EXPECT_EQ(values[25 * 50 + 25], static_cast<float>(kGeoTiffNoData));
  CTerrain model;
  CSRTM terrain(9, dir_->str());
  CZONES zones(dir_->str());
  CoverageInputs inputs;
  inputs.gasPerKm = SpecificAttenuation(10.368, 1000, 20, WaterVapourDensity(40, 20, true));
  for (auto [x, y] : {std::pair{0, 0}, {49, 0}, {0, 49}, {10, 37}, {30, 25}, {25, 2}}) {
    double loss = 0.0;
    ASSERT_TRUE(CoveragePointLoss(model, terrain, zones, tx, grid.latitude(y), grid.longitude(x), inputs, loss));
    EXPECT_FLOAT_EQ(values[static_cast<std::size_t>(y) * 50 + x], static_cast<float>(loss)) << x << ", " << y;
    // The pixel centre GDAL gives is the sample point.
    EXPECT_NEAR(t[0] + (x + 0.5) * t[1], grid.longitude(x), 1e-12);
    EXPECT_NEAR(t[3] + (y + 0.5) * t[5], grid.latitude(y), 1e-12);
  }
}

TEST_F(MapCommands, GeoTiffMarksSamplesNeverComputedAsNoData) {
  // A map cut short: only column 0 was computed.
  const CoverageGrid grid = CoverageGridFor(CLocator(51.42, -1.55), 10.0, 100, 400, 400);
  ASSERT_EQ(grid.n, 4);
  CoverageValues values;
  values.n = 4;
  values.loss.assign(16, std::nan(""));
  values.state.assign(16, PointState::NotComputed);
  for (int k = 0; k < 4; ++k) {
    values.loss[values.index(0, k)] = 120.0 + k;
    values.state[values.index(0, k)] = PointState::Ok;
  }
  values.state[values.index(1, 0)] = PointState::Failed;
  const std::string tif = file("partial.tif");
  std::string error;
  ASSERT_TRUE(gdal::WriteCoverageGeoTiff(tif, grid, values, error)) << error;
  Dataset ds = Open(tif);
  ASSERT_TRUE(ds);
  std::vector<float> v(16);
  ASSERT_EQ(ds->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, 4, 4, v.data(), 4, 4, GDT_Float32, 0, 0), CE_None);
  const float none = static_cast<float>(kGeoTiffNoData);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(v[y * 4 + x], x == 0 ? 120.0f + y : none) << x << ", " << y;
}

TEST_F(MapCommands, PictureScaleAndOverlays) {
  // Resolution 3 on 200 pixels: n = 66, the last two pixel rows and columns unfilled.
  const std::string png = file("map.png"), scale = file("scale.png"), kml = file("map.kml");
  auto r = RunCli(coverage({"--resolution", "3", "--size", "200", "--style", "colour", "--out", png, "--scale", scale,
                            "--kml", kml}));
  ASSERT_EQ(r.status, 0) << r.err;
  Dataset picture = Open(png);
  ASSERT_TRUE(picture);
  ASSERT_EQ(picture->GetRasterXSize(), 200);
  ASSERT_EQ(picture->GetRasterCount(), 3);
  std::vector<unsigned char> red(200 * 200), green(200 * 200);
  ASSERT_EQ(picture->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, 200, 200, red.data(), 200, 200, GDT_Byte, 0, 0),
            CE_None);
  ASSERT_EQ(picture->GetRasterBand(2)->RasterIO(GF_Read, 0, 0, 200, 200, green.data(), 200, 200, GDT_Byte, 0, 0),
            CE_None);
  for (int i = 0; i < 200; ++i)
    for (int edge : {198, 199}) {
      ASSERT_EQ(red[edge * 200 + i] + green[edge * 200 + i], 0) << "row " << edge;
      ASSERT_EQ(red[i * 200 + edge] + green[i * 200 + edge], 0) << "column " << edge;
    }
  EXPECT_EQ(red[100 * 200 + 100], 255);  // the marker
  EXPECT_EQ(green[100 * 200 + 100], 0);
  Dataset scaleImage = Open(scale);
  ASSERT_TRUE(scaleImage);
  EXPECT_EQ(scaleImage->GetRasterXSize(), 33);
  EXPECT_EQ(scaleImage->GetRasterYSize(), 225);

  // The overlay names the picture beside it and the box of the samples.
  std::ifstream in(kml);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("<href>map.png</href>"), std::string::npos);
  const CoverageGrid grid = CoverageGridFor(CLocator(51.42, -1.55), 10.0, 3, 200, 200);
  const OverlayBox box = CoverageOverlayBox(grid, 200, 200);
  EXPECT_DOUBLE_EQ(box.west, grid.westEdge - grid.step / 2);
  EXPECT_DOUBLE_EQ(box.north, grid.northEdge + grid.step / 2);
  EXPECT_NEAR(box.east - box.west, 200.0 / 3 * grid.step, 1e-12);
  EXPECT_NEAR(box.north - box.south, 200.0 / 3 * grid.step, 1e-12);
  char north[64];
  std::snprintf(north, sizeof north, "<north>%.10f</north>", box.north);
  EXPECT_NE(text.find(north), std::string::npos) << text;
  // Its legend is the scale with its labels, beside it.
  EXPECT_NE(text.find("<ScreenOverlay>"), std::string::npos);
  EXPECT_NE(text.find("<name>Loss (dB)</name>"), std::string::npos);
  EXPECT_NE(text.find("<href>map-legend.png</href>"), std::string::npos);
  Dataset legend = Open(file("map-legend.png"));
  ASSERT_TRUE(legend);
  EXPECT_GT(legend->GetRasterXSize(), 33);

  // A KMZ holds the document and the same picture.
  const std::string kmz = file("map.kmz");
  r = RunCli(coverage({"--resolution", "3", "--size", "200", "--style", "colour", "--kmz", kmz}));
  ASSERT_EQ(r.status, 0) << r.err;
  Dataset zipped = Open("/vsizip/" + kmz + "/map.png");
  ASSERT_TRUE(zipped);
  std::vector<unsigned char> zippedRed(200 * 200);
  ASSERT_EQ(zipped->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, 200, 200, zippedRed.data(), 200, 200, GDT_Byte, 0, 0),
            CE_None);
  EXPECT_EQ(zippedRed, red);
  VSIStatBufL stat;
  EXPECT_EQ(VSIStatL(("/vsizip/" + kmz + "/doc.kml").c_str(), &stat), 0);
  EXPECT_EQ(VSIStatL(("/vsizip/" + kmz + "/legend.png").c_str(), &stat), 0);
}

TEST_F(MapCommands, UnwritableOutputsStopTheRunBeforeItComputesAndAreNamed) {
  // A file in the way of a folder, and a folder in the way of a file.
  std::ofstream(file("plain")) << "x";
  std::filesystem::create_directory(file("folder"));
  const struct {
    std::vector<std::string> options;
    std::string named;  ///< the file the message names
  } cases[] = {
      {{"--out", file("no/such/dir/map.png")}, file("no/such/dir/map.png")},
      {{"--scale", file("no/such/dir/scale.png")}, file("no/such/dir/scale.png")},
      {{"--geotiff", file("plain/loss.tif")}, file("plain/loss.tif")},
      {{"--kml", file("no/map.kml")}, file("no/map.kml")},
      {{"--kmz", file("folder")}, file("folder")},
      {{"--out", file("map.png"), "--geotiff", file("no/loss.tif")}, file("no/loss.tif")},
  };
  for (const auto& c : cases) {
    std::vector<std::string> more = {"--resolution", "16", "--size", "64"};
    more.insert(more.end(), c.options.begin(), c.options.end());
    const auto r = RunCli(coverage(more));
    EXPECT_EQ(r.status, 1) << c.named;
    EXPECT_NE(r.err.find("tarnvale-cli: cannot write '" + c.named + "'"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << "nothing was computed for " << c.named;
    EXPECT_FALSE(std::filesystem::exists(file("map.png"))) << "no output is written when one cannot be";
  }
  // The batch's folder cannot be made where a file stands.
  std::ofstream(file("sites.dat")) << "A~SU374616\n";
  const auto r = RunCli({"coverage", "--sites", file("sites.dat"), "--outdir", file("plain/out"), "--terrain",
                         dir_->str(), "--resolution", "16", "--size", "64"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(file("plain/out")), std::string::npos) << r.err;
}

TEST_F(MapCommands, TerrainMapWritesThreePicturesWithTheirLabels) {
  const std::string link = file("link.png"), tx = file("tx.png"), rx = file("rx.png");
  auto r = RunCli({"terrainmap", "--tx", "51.3 -1.6", "--rx", "51.5 -1.3", "--format", "deg", "--terrain",
                   dir_->str(), "--out-link", link, "--out-tx", tx, "--out-rx", rx, "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["MapH"], "Map heights - maximum 350m,  minimum 0m");
  EXPECT_EQ(j["TXArea"], "TX Area     (max 60m,  min 0m)");
  EXPECT_EQ(j["RXArea"], "RX Area     (max 60m,  min 0m)");
  EXPECT_EQ(Open(link)->GetRasterXSize(), 480);
  EXPECT_EQ(Open(tx)->GetRasterXSize(), 240);
  EXPECT_EQ(Open(rx)->GetRasterYSize(), 240);

  r = RunCli({"terrainmap", "--tx", "51.3 -1.6", "--rx", "51.3 -1.6", "--format", "deg", "--terrain", dir_->str()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Map heights - maximum 0m,  minimum 0m\nTX Area     (max 60m,  min 0m)\n"
                   "RX Area     (max 60m,  min 0m)\n");
}

}  // namespace
}  // namespace tarnvale
