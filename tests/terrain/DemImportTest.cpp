// import-dem: rasters GDAL reads made into the program's tiles, checked on
// real tiles (an SRTM tile through GeoTIFF, a 1-arc-second tile) and on small
// rasters the tests make with GDAL.
#include <cpl_conv.h>
#include <gdal.h>
#include <gdal_utils.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <ogr_srs_api.h>
#include <zlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/RunCli.h"
#include "support/Archives.h"
#include "support/DataFiles.h"
#include "terrain/DemImport.h"
#include "terrain/Srtm.h"

using namespace tarnvale;
using test::TempDir;
namespace fs = std::filesystem;

namespace {

constexpr int kEdge = 1201;

std::vector<fs::path> FilesIn(const fs::path& dir) {
  std::vector<fs::path> files;
  if (fs::exists(dir))
    for (const auto& entry : fs::directory_iterator(dir)) files.push_back(entry.path().filename());
  return files;
}

/// The big-endian samples of a tile file.
std::vector<std::int16_t> ReadSamples(const fs::path& file) {
  const test::Bytes bytes = test::ReadBytes(file);
  std::vector<std::int16_t> samples(bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<std::int16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]);
  return samples;
}

/// A one-band Int16 (or Float32) GeoTIFF; @p wkt empty for none.
void WriteRaster(const fs::path& file, int width, int height, const double geoTransform[6], const std::string& wkt,
                 const std::vector<float>& values, bool floats = false, const double* noData = nullptr) {
  GDALAllRegister();
  GDALDriverH driver = GDALGetDriverByName("GTiff");
  GDALDatasetH ds =
      GDALCreate(driver, file.c_str(), width, height, 1, floats ? GDT_Float32 : GDT_Int16, nullptr);
  ASSERT_NE(ds, nullptr);
  GDALSetGeoTransform(ds, const_cast<double*>(geoTransform));
  if (!wkt.empty()) GDALSetProjection(ds, wkt.c_str());
  GDALRasterBandH band = GDALGetRasterBand(ds, 1);
  if (noData) GDALSetRasterNoDataValue(band, *noData);
  std::vector<float> copy = values;
  EXPECT_EQ(GDALRasterIO(band, GF_Write, 0, 0, width, height, copy.data(), width, height, GDT_Float32, 0, 0), CE_None);
  GDALClose(ds);
}

std::string Wkt(int epsg) {
  OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
  OSRImportFromEPSG(srs, epsg);
  char* text = nullptr;
  OSRExportToWkt(srs, &text);
  std::string wkt = text;
  CPLFree(text);
  OSRDestroySpatialReference(srs);
  return wkt;
}

}  // namespace

TEST(ImportDem, GeoTiffOfAnSrtmTileComesBackByteIdentical) {
  const auto data = test::SharedData();
  if (data.empty()) GTEST_SKIP() << "no shared data: set TARNVALE_SHARED_DATA to the shared data directory";
  TempDir work;
  const fs::path tiff = work.path() / "taunus.tif";
  {
    // gdal_translate N50E008.hgt taunus.tif
    GDALAllRegister();
    GDALDatasetH source = GDALOpen((data / "srtm" / "N50E008.hgt").c_str(), GA_ReadOnly);
    ASSERT_NE(source, nullptr);
    GDALTranslateOptions* options = GDALTranslateOptionsNew(nullptr, nullptr);
    GDALDatasetH made = GDALTranslate(tiff.c_str(), source, options, nullptr);
    ASSERT_NE(made, nullptr);
    GDALClose(made);
    GDALTranslateOptionsFree(options);
    GDALClose(source);
  }
  const fs::path out = work.path() / "tiles";
  const auto r = test::RunCli({"import-dem", tiff.string(), "--out", out.string(), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["tilesWritten"], 1);
  EXPECT_EQ(j["tiles"][0]["name"], "n50e008.hgt");
  EXPECT_EQ(j["tiles"][0]["voids"], 50);  // the tile's own voids, as its provenance counts them
  EXPECT_EQ(FilesIn(out), std::vector<fs::path>{"n50e008.hgt"});
  EXPECT_TRUE(test::ReadBytes(out / "n50e008.hgt") == test::ReadBytes(data / "srtm" / "N50E008.hgt"));
}

TEST(ImportDem, NeighbouringTilesImportedTogetherKeepTheirSharedEdge) {
  // SRTM's own neighbours repeat each other's edge column; imported together,
  // both come back as they were and no third tile is made from the margins.
  const auto data = test::SharedData();
  if (data.empty()) GTEST_SKIP() << "no shared data: set TARNVALE_SHARED_DATA to the shared data directory";
  TempDir out;
  const auto r = test::RunCli({"import-dem", (data / "srtm" / "N50E008.hgt").string(),
                               (data / "srtm" / "N50E009.hgt").string(), "--out", out.str()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "n50e008.hgt  50 voids\nn50e009.hgt  12 voids\n2 tiles written to " + out.str() +
                       ", 62 voids in all\n");
  EXPECT_EQ(FilesIn(out.path()).size(), 2u);
  EXPECT_TRUE(test::ReadBytes(out.path() / "n50e008.hgt") == test::ReadBytes(data / "srtm" / "N50E008.hgt"));
  EXPECT_TRUE(test::ReadBytes(out.path() / "n50e009.hgt") == test::ReadBytes(data / "srtm" / "N50E009.hgt"));
}

TEST(ImportDem, OneArcSecondTileGivesItsOwnNodesEveryThirdOne) {
  const auto data = test::SharedData();
  if (data.empty()) GTEST_SKIP() << "no shared data: set TARNVALE_SHARED_DATA to the shared data directory";
  const fs::path gz = data / "srtm" / "S46W066.hgt.gz";
  std::vector<std::int16_t> fine(std::size_t{3601} * 3601);
  {
    gzFile f = gzopen(gz.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<unsigned char> bytes(fine.size() * 2);
    ASSERT_EQ(gzread(f, bytes.data(), static_cast<unsigned>(bytes.size())), static_cast<int>(bytes.size()));
    gzclose(f);
    for (std::size_t i = 0; i < fine.size(); ++i)
      fine[i] = static_cast<std::int16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]);
  }
  TempDir out;
  const auto r = test::RunCli({"import-dem", gz.string(), "--out", out.str()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "s46w066.hgt  0 voids\n1 tile written to " + out.str() + ", 0 voids in all\n");
  EXPECT_EQ(r.err, "");  // no progress bar off a terminal
  const auto coarse = ReadSamples(out.path() / "s46w066.hgt");
  ASSERT_EQ(coarse.size(), std::size_t{kEdge} * kEdge);
  int differing = 0;
  for (int row = 0; row < kEdge; ++row)
    for (int column = 0; column < kEdge; ++column)
      differing += coarse[std::size_t(row) * kEdge + column] != fine[std::size_t(3 * row) * 3601 + 3 * column];
  EXPECT_EQ(differing, 0);
  // The program reads it as a whole tile.
  CSRTM store(9, out.str());
  EXPECT_NE(store.heightAt(-45.5, -65.5, false), store.missingValue());
  EXPECT_TRUE(store.missingTiles().empty());
}

TEST(ImportDem, BadInputFailsWithExitOneAndWritesNothing) {
  TempDir work;
  const fs::path text = work.path() / "notes.txt", empty = work.path() / "empty.tif",
                 noCrs = work.path() / "utm-without-crs.tif", local = work.path() / "site-grid.tif";
  {
    std::ofstream(text) << "not a raster\n";
    std::ofstream touch(empty);
  }
  const double utm[6] = {500000.0, 30.0, 0.0, 5600000.0, 0.0, -30.0};
  WriteRaster(noCrs, 20, 20, utm, "", std::vector<float>(400, 100.0f));
  WriteRaster(local, 20, 20, utm, "LOCAL_CS[\"site grid\",UNIT[\"metre\",1]]", std::vector<float>(400, 100.0f));
  const double geographic[6] = {8.1, 1.0 / 1200, 0.0, 50.9, 0.0, -1.0 / 1200};
  const fs::path good = work.path() / "good.tif";
  WriteRaster(good, 200, 200, geographic, Wkt(4326), std::vector<float>(40000, 100.0f));
  struct Case {
    std::vector<std::string> inputs;
    const char* message;
  };
  const Case cases[] = {
      {{text.string()}, "is not a raster that GDAL can read"},
      {{empty.string()}, "is not a raster that GDAL can read"},
      {{noCrs.string()}, "has no coordinate reference system"},
      {{local.string()}, "cannot be taken to latitude and longitude"},
      {{(work.path() / "absent.tif").string()}, "is not a file"},
      {{work.str()}, "is not a file"},
      // One bad input among good ones: nothing is written at all.
      {{good.string(), text.string()}, "notes.txt' is not a raster"},
  };
  for (const Case& c : cases) {
    const fs::path out = work.path() / "out";
    std::vector<std::string> args = {"import-dem"};
    args.insert(args.end(), c.inputs.begin(), c.inputs.end());
    args.insert(args.end(), {"--out", out.string()});
    const auto r = test::RunCli(args);
    EXPECT_EQ(r.status, 1) << c.inputs.back();
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_TRUE(FilesIn(out).empty()) << c.inputs.back();
    EXPECT_EQ(r.out, "");
  }
  // Usage errors are status 2, as for every command.
  EXPECT_EQ(test::RunCli({"import-dem", good.string()}).status, 2);
  EXPECT_EQ(test::RunCli({"import-dem", "--out", work.str()}).status, 2);
}

TEST(ImportDem, OffsetNodesAreBilinearAndSharedEdgesAgree) {
  // A raster in latitude and longitude whose nodes lie half a 3" spacing off
  // the tile nodes, across the meridian 9 E that two tiles share. Heights are
  // a plane in longitude and latitude, which bilinear interpolation gives
  // back exactly; one void spoils the four tile nodes around it.
  TempDir work, out;
  const double step = 1.0 / 1200;
  const int width = 1000, height = 600;
  const double west = 8.6 + step / 2, north = 50.8 + step / 2;  // pixel-area origin: nodes at +half a pixel
  const double transform[6] = {west - step / 2, step, 0.0, north + step / 2, 0.0, -step};
  // Whole metres at every tile node, fractions between them.
  auto plane = [](double lon, double lat) { return 100.0 + 1200.0 * (lon - 8.0) + 2400.0 * (lat - 50.0); };
  std::vector<float> values(std::size_t(width) * height);
  for (int j = 0; j < height; ++j)
    for (int i = 0; i < width; ++i)
      values[std::size_t(j) * width + i] = static_cast<float>(plane(west + i * step, north - j * step));
  const double noData = -9999.0;
  values[std::size_t(300) * width + 400] = -9999.0f;
  const fs::path raster = work.path() / "plane.tif";
  WriteRaster(raster, width, height, transform, Wkt(4326), values, true, &noData);

  const ImportResult result = ImportDem({raster.string()}, out.str());
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.tiles.size(), 2u);
  EXPECT_EQ(result.tiles[0].name, "n50e008.hgt");
  EXPECT_EQ(result.tiles[1].name, "n50e009.hgt");
  const auto westTile = ReadSamples(out.path() / "n50e008.hgt");
  const auto eastTile = ReadSamples(out.path() / "n50e009.hgt");
  auto node = [](const std::vector<std::int16_t>& t, int row, int column) {
    return t[std::size_t(row) * kEdge + column];
  };
  const double voidLon = west + 400 * step, voidLat = north - 300 * step;
  // Inside the raster, every node is the plane at its place.
  int wrong = 0, checked = 0;
  for (int row = 250; row <= 830; row += 7)
    for (int column = 730; column < kEdge; column += 3) {
      const double lat = 50.0 + (1200 - row) * step, lon = 8.0 + column * step;
      if (std::fabs(lat - voidLat) < 2 * step && std::fabs(lon - voidLon) < 2 * step) continue;
      ++checked;
      wrong += node(westTile, row, column) != static_cast<std::int16_t>(std::lround(plane(lon, lat)));
    }
  EXPECT_GT(checked, 10000);
  EXPECT_EQ(wrong, 0);
  // The void at pixel (400, 300) lies between four tile nodes, which are voids.
  const int voidRow = 1200 - static_cast<int>(std::floor((voidLat - 50.0) * 1200));
  const int voidColumn = static_cast<int>(std::floor((voidLon - 8.0) * 1200));
  EXPECT_EQ(node(westTile, voidRow, voidColumn), -32768);
  EXPECT_EQ(node(westTile, voidRow - 1, voidColumn + 1), -32768);
  EXPECT_NE(node(westTile, voidRow + 1, voidColumn), -32768);
  // Outside the raster: voids.
  EXPECT_EQ(node(westTile, 1200, 0), -32768);
  // The shared meridian: column 1200 of the western tile is column 0 of the eastern one.
  for (int row = 0; row < kEdge; ++row) ASSERT_EQ(node(westTile, row, 1200), node(eastTile, row, 0)) << row;
  EXPECT_NE(node(eastTile, 600, 0), -32768);
}

TEST(ImportDem, ProjectedRasterIsTakenToLatitudeAndLongitude) {
  // A UTM zone 32 raster of 90 m cells round 50.5 N 8.5 E whose height rises
  // 1 m per 100 m northward: the tile's nodes follow the northing.
  TempDir work, out;
  const double transform[6] = {450000.0, 90.0, 0.0, 5630000.0, 0.0, -90.0};
  const int size = 500;
  std::vector<float> values(std::size_t(size) * size);
  for (int j = 0; j < size; ++j)
    for (int i = 0; i < size; ++i) values[std::size_t(j) * size + i] = static_cast<float>(1000.0 - 0.9 * (j + 0.5));
  const fs::path raster = work.path() / "utm.tif";
  WriteRaster(raster, size, size, transform, Wkt(32632), values, true);
  const ImportResult result = ImportDem({raster.string()}, out.str());
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_FALSE(result.tiles.empty());
  // Northing of a node from PROJ, the height from the plane.
  OGRSpatialReferenceH wgs = OSRNewSpatialReference(nullptr), utm = OSRNewSpatialReference(nullptr);
  OSRImportFromEPSG(wgs, 4326);
  OSRImportFromEPSG(utm, 32632);
  OSRSetAxisMappingStrategy(wgs, OAMS_TRADITIONAL_GIS_ORDER);
  OSRSetAxisMappingStrategy(utm, OAMS_TRADITIONAL_GIS_ORDER);
  OGRCoordinateTransformationH toUtm = OCTNewCoordinateTransformation(wgs, utm);
  int checked = 0, wrong = 0;
  for (const ImportedTile& tile : result.tiles) {
    const auto samples = ReadSamples(tile.path);
    for (int row = 0; row < kEdge; row += 50)
      for (int column = 0; column < kEdge; column += 50) {
        double x = tile.west + column / 1200.0, y = tile.south + (1200 - row) / 1200.0;
        OCTTransform(toUtm, 1, &x, &y, nullptr);
        const double v = (5630000.0 - y) / 90.0 - 0.5, u = (x - 450000.0) / 90.0 - 0.5;
        const std::int16_t got = samples[std::size_t(row) * kEdge + column];
        if (u < 0 || v < 0 || u > size - 1 || v > size - 1) continue;
        const double expected = 1000.0 - 0.9 * (v + 0.5);
        if (std::fabs(expected - std::floor(expected) - 0.5) < 0.01) continue;  // a rounding tie
        ++checked;
        wrong += got != std::lround(expected);
      }
  }
  OCTDestroyCoordinateTransformation(toUtm);
  OSRDestroySpatialReference(wgs);
  OSRDestroySpatialReference(utm);
  EXPECT_GT(checked, 50);
  EXPECT_EQ(wrong, 0);
}

TEST(ImportDem, LongitudesNumberedToThreeHundredAndSixtyAreWrapped) {
  // Global grids often run 0..360 E: 350..351 E is the cell of 10 W.
  TempDir work, out;
  const double step = 1.0 / 1200;
  const double transform[6] = {350.0 - step / 2, step, 0.0, 11.0 + step / 2, 0.0, -step};
  std::vector<float> values(std::size_t(kEdge) * kEdge);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<float>(i % 1000);
  const fs::path raster = work.path() / "east360.tif";
  WriteRaster(raster, kEdge, kEdge, transform, Wkt(4326), values);
  const ImportResult result = ImportDem({raster.string()}, out.str());
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_EQ(result.tiles.size(), 1u);
  EXPECT_EQ(result.tiles[0].name, "n10w010.hgt");
  const auto samples = ReadSamples(out.path() / "n10w010.hgt");
  int differing = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) differing += samples[i] != static_cast<std::int16_t>(i % 1000);
  EXPECT_EQ(differing, 0);
}
