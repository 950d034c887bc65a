// tarnvale-cli coverage and terrainmap over a synthetic tile: options and
// exit statuses, the JSON keys, and the exports read back with GDAL.
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <cstdio>
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
#include "model/P452Path.h"
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

// A map under P.452-18: each point is the Lb that `path --model p452-18`
// gives over the profile `profile --coverage` prints for it, with the map's
// N0 and delta-N and the path centre's latitude; the GeoTIFF names the model
// and its inputs, where a classic one keeps the items it always had.
TEST_F(MapCommands, P452PointIsThePathOverTheCoverageProfile) {
  // The ridge, inland zones around the transmitter and a strip of sea east
  // of it, near 1.5 W.
  TempDir terrain;
  std::filesystem::create_symlink(dir_->path() / "n51w002.hgt", terrain.path() / "n51w002.hgt");
  std::vector<std::pair<std::uint64_t, std::uint8_t>> bytes;
  for (int row = 2300; row < 2330; ++row)
    for (int byte = 2665; byte < 2690; ++byte)
      bytes.emplace_back(std::uint64_t(row) * test::kZoneBytesPerRow + byte, byte == 2677 ? 0x55 : 0xff);
  test::WriteSparseZones(terrain.path() / "zones01.dem", bytes);
  const auto coverage = [&](std::vector<std::string> more) {
    std::vector<std::string> args = {"coverage", "--tx", "51.42 -1.55", "--format", "deg", "--terrain",
                                     terrain.str(), "--climate", dir_->str(), "--threads", "2"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  const std::string tif = file("p452.tif"), classicTif = file("classic.tif");
  const std::vector<std::string> radio = {"--freq", "1.2", "--percent", "5", "--polarisation", "v",
                                          "--clutter-height", "10", "--tx-gain", "3"};
  std::vector<std::string> args = {"--model", "p452-18", "--range", "5", "--resolution", "16", "--size", "160",
                                   "--n0", "330", "--delta-n", "40", "--geotiff", tif, "--json"};
  args.insert(args.end(), radio.begin(), radio.end());
  const auto r = RunCli(coverage(args));
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["model"], "p452-18");
  const CLocator tx(51.42, -1.55);
  const CoverageGrid grid = CoverageGridFor(tx, 5.0, 16, 160, 160);
  ASSERT_EQ(j["n"], grid.n);

  Dataset ds = Open(tif);
  ASSERT_TRUE(ds) << tif;
  const std::pair<const char*, const char*> items[] = {
      {"MODEL", "p452-18"},         {"POLARISATION", "v"},      {"TX_HORIZON_GAIN_DBI", "3"},
      {"RX_HORIZON_GAIN_DBI", "0"},         {"CLUTTER_HEIGHT_M", "10"}, {"DCT_KM", "from the zones"},
      {"DCR_KM", "from the zones"}, {"HUMIDITY_USED", "no"},    {"N0", "330"}};
  for (const auto& [name, value] : items) {
    const char* item = ds->GetMetadataItem(name);
    ASSERT_NE(item, nullptr) << name;
    EXPECT_STREQ(item, value) << name;
  }
  const int n = grid.n;
  std::vector<float> values(static_cast<std::size_t>(n) * n);
  ASSERT_EQ(ds->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, n, n, values.data(), n, n, GDT_Float32, 0, 0), CE_None);
  const auto exact = [](double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return std::string(text);
  };
  bool seaSeen = false;
  for (auto [x, y] : {std::pair{0, 0}, {9, 2}, {3, 8}, {7, 5}, {8, 9}}) {
    SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
    const double latitude = grid.latitude(y), longitude = grid.longitude(x);
    const auto profile = RunCli({"profile", "--coverage", "--tx", "51.42 -1.55", "--rx",
                                 exact(latitude) + " " + exact(longitude), "--format", "deg", "--terrain",
                                 terrain.str()});
    ASSERT_EQ(profile.status, 0) << profile.err;
    const std::string csv = file("point.csv");
    std::ofstream(csv) << profile.out;
    // The centre half the profile's length along the great circle.
    P452Inputs ends;
    ends.d = {0.0, std::stod(profile.out.substr(profile.out.rfind('\n', profile.out.size() - 2) + 1))};
    ends.phit_n = tx.latitude();
    ends.phit_e = tx.longitude();
    ends.phir_n = latitude;
    ends.phir_e = longitude;
    double centreLatitude = 0.0, centreLongitude = 0.0;
    P452PathCentre(ends, centreLatitude, centreLongitude);
    std::vector<std::string> path = {"path", "--model", "p452-18", "--profile", csv, "--lat", exact(centreLatitude),
                                     "--n0", "330", "--delta-n", "40", "--json"};
    path.insert(path.end(), radio.begin(), radio.end());
    const auto one = RunCli(path);
    ASSERT_EQ(one.status, 0) << one.err;
    const auto p = nlohmann::json::parse(one.out);
    EXPECT_EQ(values[static_cast<std::size_t>(y) * n + x], static_cast<float>(p["Lb"].get<double>()));
    seaSeen = seaSeen || p["omega"].get<double>() > 0.0;
  }
  EXPECT_TRUE(seaSeen);

  // The classic map of the same grid: no model items, and the losses of the other model.
  args = {"--range", "5", "--resolution", "16", "--size", "160", "--n0", "330", "--delta-n", "40", "--geotiff",
          classicTif, "--freq", "1.2", "--percent", "5"};
  ASSERT_EQ(RunCli(coverage(args)).status, 0);
  Dataset classic = Open(classicTif);
  ASSERT_TRUE(classic);
  EXPECT_EQ(classic->GetMetadataItem("MODEL"), nullptr);
  EXPECT_EQ(classic->GetMetadataItem("POLARISATION"), nullptr);
  EXPECT_NE(classic->GetMetadataItem("GAS_DB_PER_KM"), nullptr);
  // Misuse: an input of P.452-18 alone without it, a frequency it does not take.
  EXPECT_EQ(RunCli(coverage({"--clutter-height", "3"})).status, 2);
  const auto outside = RunCli(coverage({"--model", "p452-18", "--freq", "60"}));
  EXPECT_EQ(outside.status, 2);
  EXPECT_NE(outside.err.find("from 0.1 to 50 GHz"), std::string::npos) << outside.err;
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
