#include <gtest/gtest.h>

#include <gdal.h>
#include <ogr_srs_api.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/RunCli.h"
#include "support/DataFiles.h"

namespace tarnvale::test {
namespace {

namespace fs = std::filesystem;
constexpr float kNoData = -9999.0f;

/// A float32 EPSG:4326 GeoTIFF with its top-left corner at (west, north).
void WriteTiff(const fs::path& path, double west, double north, double step, int columns, int rows,
               const std::vector<float>& values, const char* siteIndex = nullptr, const char* quantity = nullptr) {
  GDALAllRegister();
  GDALDatasetH ds = GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), columns, rows, 1, GDT_Float32, nullptr);
  ASSERT_NE(ds, nullptr);
  double t[6] = {west, step, 0, north, 0, -step};
  GDALSetGeoTransform(ds, t);
  OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
  OSRImportFromEPSG(srs, 4326);
  GDALSetSpatialRef(ds, srs);
  OSRDestroySpatialReference(srs);
  GDALRasterBandH band = GDALGetRasterBand(ds, 1);
  GDALSetRasterNoDataValue(band, kNoData);
  if (siteIndex) GDALSetMetadataItem(ds, "SITE_INDEX", siteIndex, nullptr);
  if (quantity) GDALSetMetadataItem(ds, "QUANTITY", quantity, nullptr);
  ASSERT_EQ(GDALRasterIO(band, GF_Write, 0, 0, columns, rows, const_cast<float*>(values.data()), columns, rows,
                         GDT_Float32, 0, 0),
            CE_None);
  GDALClose(ds);
}

template <typename T>
std::vector<T> ReadTiff(const fs::path& path, GDALDataType type, int& columns, int& rows, double t[6]) {
  GDALDatasetH ds = GDALOpen(path.c_str(), GA_ReadOnly);
  if (!ds) return {};
  columns = GDALGetRasterXSize(ds);
  rows = GDALGetRasterYSize(ds);
  GDALGetGeoTransform(ds, t);
  std::vector<T> values(static_cast<std::size_t>(columns) * rows);
  if (GDALRasterIO(GDALGetRasterBand(ds, 1), GF_Read, 0, 0, columns, rows, values.data(), columns, rows, type, 0,
                   0) != CE_None)
    values.clear();
  GDALClose(ds);
  return values;
}

// Two sites on one 0.01 degree lattice, overlapping by two columns; the
// second is given its index by metadata, the first by its file name.
TEST(Mosaic, EveryPixelHoldsTheLowerLossAndItsSite) {
  TempDir dir;
  const fs::path a = fs::path(dir.path()) / "3-alpha.tif";
  const fs::path b = fs::path(dir.path()) / "beta.tif";
  // a: 4 x 3 from west 0.00; b: 4 x 3 from west 0.02, one row lower.
  std::vector<float> va(12), vb(12);
  for (int i = 0; i < 12; ++i) {
    va[i] = 100.0f + i;
    vb[i] = 111.0f - i;
  }
  va[5] = kNoData;  // a hole in a where b does not reach: no site covers it
  WriteTiff(a, 0.00, 51.03, 0.01, 4, 3, va);
  WriteTiff(b, 0.02, 51.02, 0.01, 4, 3, vb, "7");
  const fs::path out = fs::path(dir.path()) / "best.tif";
  const fs::path server = fs::path(dir.path()) / "server.tif";
  const CliResult r = RunCli({"mosaic", a.string(), b.string(), "--out", out.string(), "--server", server.string()});
  ASSERT_EQ(r.status, 0) << r.err;

  int columns = 0, rows = 0;
  double t[6];
  const std::vector<float> best = ReadTiff<float>(out, GDT_Float32, columns, rows, t);
  int sc = 0, sr = 0;
  double st[6];
  const std::vector<std::int32_t> owner = ReadTiff<std::int32_t>(server, GDT_Int32, sc, sr, st);
  ASSERT_EQ(columns, 6);  // union: west 0.00 to east 0.06
  ASSERT_EQ(rows, 4);     // north 51.03 to south 50.99
  ASSERT_EQ(sc, 6);
  ASSERT_EQ(sr, 4);
  EXPECT_NEAR(t[0], 0.0, 1e-12);
  EXPECT_NEAR(t[3], 51.03, 1e-12);
  EXPECT_NEAR(t[1], 0.01, 1e-12);

  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) {
      const bool inA = x < 4 && y < 3 && va[y * 4 + x] != kNoData;
      const bool inB = x >= 2 && y >= 1;
      const float la = inA ? va[y * 4 + x] : 0.0f;
      const float lb = inB ? vb[(y - 1) * 4 + (x - 2)] : 0.0f;
      const std::size_t p = static_cast<std::size_t>(y) * columns + x;
      SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
      if (!inA && !inB) {
        EXPECT_EQ(best[p], kNoData);
        EXPECT_EQ(owner[p], -1);
      } else if (inA && (!inB || la <= lb)) {
        EXPECT_EQ(best[p], la);
        EXPECT_EQ(owner[p], 3);
      } else {
        EXPECT_EQ(best[p], lb);
        EXPECT_EQ(owner[p], 7);
      }
    }
  }
}

// Maps of received power: the best server gives the most power; maps of
// different quantities do not mix.
TEST(Mosaic, PowerMapsTakeTheLargestValue) {
  TempDir dir;
  const fs::path a = fs::path(dir.path()) / "0-a.tif";
  const fs::path b = fs::path(dir.path()) / "1-b.tif";
  WriteTiff(a, 0.00, 51.01, 0.01, 2, 1, {-90.0f, -70.0f}, nullptr, "power");
  WriteTiff(b, 0.00, 51.01, 0.01, 2, 1, {-80.0f, -75.0f}, nullptr, "power");
  const fs::path out = fs::path(dir.path()) / "best.tif";
  const fs::path server = fs::path(dir.path()) / "server.tif";
  CliResult r = RunCli({"mosaic", a.string(), b.string(), "--out", out.string(), "--server", server.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  int columns = 0, rows = 0;
  double t[6];
  EXPECT_EQ(ReadTiff<float>(out, GDT_Float32, columns, rows, t), (std::vector<float>{-80.0f, -70.0f}));
  EXPECT_EQ(ReadTiff<std::int32_t>(server, GDT_Int32, columns, rows, t), (std::vector<std::int32_t>{1, 0}));
  GDALDatasetH best = GDALOpen(out.c_str(), GA_ReadOnly);
  ASSERT_NE(best, nullptr);
  EXPECT_STREQ(GDALGetMetadataItem(best, "QUANTITY", nullptr), "power");
  GDALClose(best);

  WriteTiff(b, 0.00, 51.01, 0.01, 2, 1, {120.0f, 130.0f});  // a loss map
  r = RunCli({"mosaic", a.string(), b.string(), "--out", out.string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("holds loss, not power"), std::string::npos) << r.err;
}

TEST(Mosaic, BadInputsGiveExitOneAndNoFile) {
  TempDir dir;
  const fs::path text = fs::path(dir.path()) / "notes.tif";
  std::ofstream(text) << "not a raster\n";
  const fs::path out = fs::path(dir.path()) / "best.tif";
  CliResult r = RunCli({"mosaic", text.string(), "--out", out.string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("notes.tif"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(out));

  r = RunCli({"mosaic", text.string(), "--out", out.string(), "--bounds", "1,2,0,3"});
  EXPECT_EQ(r.status, 2) << "west above east is a usage error";
}

}  // namespace
}  // namespace tarnvale::test
