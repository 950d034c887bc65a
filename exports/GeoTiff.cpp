// The coverage GeoTIFF, written through GDAL. Part of the GDAL module, which
// the programs load only when they need it.
#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "exports/GeoTiff.h"
#include "maps/CoveragePart.h"

namespace tarnvale {

namespace {

/// GDAL's messages go to the caller instead of standard error.
class QuietGdal {
 public:
  QuietGdal() {
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
  }
  ~QuietGdal() { CPLPopErrorHandler(); }
  std::string message(const char* what) const {
    const char* detail = CPLGetLastErrorMsg();
    return std::string(what) + (detail && *detail ? std::string(": ") + detail : std::string());
  }
};

}  // namespace

bool WriteCoverageGeoTiff(const std::string& path, const CoverageGrid& grid, const CoverageValues& values,
                          std::string& error, const std::vector<std::pair<std::string, std::string>>& metadata,
                          const CoverageBand& description) {
  const int n = values.n;
  const int rows = values.rows();
  if (!grid.valid || n <= 0 || n != grid.n || rows <= 0 || values.firstRow < 0 || values.firstRow + rows > n) {
    error = "no coverage grid to write";
    return false;
  }
  // The values run column after column; the file runs row after row.
  std::vector<float> pixels(static_cast<std::size_t>(n) * static_cast<std::size_t>(rows));
  for (int k = 0; k < rows; ++k)
    for (int j = 0; j < n; ++j) {
      const std::size_t i = values.index(j, values.firstRow + k);
      pixels[static_cast<std::size_t>(k) * n + j] = values.state[i] == PointState::Ok
                                                         ? static_cast<float>(values.shown(i))
                                                         : static_cast<float>(kGeoTiffNoData);
    }
  // Pixel centres on the sample points.
  double transform[6];
  CoverageBandGeoTransform(grid, {values.firstRow, rows}, transform);
  return WriteFloatGeoTiff(path, n, rows, pixels, transform, metadata, description, error);
}

bool WriteFloatGeoTiff(const std::string& path, int columns, int rows, const std::vector<float>& pixels,
                       const double transform[6], const std::vector<std::pair<std::string, std::string>>& metadata,
                       const CoverageBand& description, std::string& error) {
  if (columns <= 0 || rows <= 0 ||
      pixels.size() != static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows)) {
    error = "no raster to write";
    return false;
  }
  QuietGdal quiet;
  GDALAllRegister();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  if (!driver) {
    error = quiet.message("GDAL has no GeoTIFF driver");
    return false;
  }
  char** options = CSLSetNameValue(nullptr, "COMPRESS", "DEFLATE");
  const std::string temporary = path + ".part";
  GDALDataset* dataset = driver->Create(temporary.c_str(), columns, rows, 1, GDT_Float32, options);
  CSLDestroy(options);
  if (!dataset) {
    error = quiet.message(("cannot create '" + temporary + "'").c_str());
    return false;
  }
  double geoTransform[6];
  std::copy(transform, transform + 6, geoTransform);
  OGRSpatialReference wgs84;
  wgs84.importFromEPSG(4326);
  wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  GDALRasterBand* band = dataset->GetRasterBand(1);
  bool ok = dataset->SetGeoTransform(geoTransform) == CE_None && dataset->SetSpatialRef(&wgs84) == CE_None &&
            band->SetNoDataValue(kGeoTiffNoData) == CE_None &&
            band->RasterIO(GF_Write, 0, 0, columns, rows, const_cast<float*>(pixels.data()), columns, rows,
                           GDT_Float32, 0, 0) == CE_None;
  if (ok) band->SetDescription(description.description.c_str());
  if (ok && !description.unit.empty()) ok = band->SetUnitType(description.unit.c_str()) == CE_None;
  for (const auto& [name, value] : metadata)
    if (ok) ok = dataset->SetMetadataItem(name.c_str(), value.c_str()) == CE_None;
  if (!ok) error = quiet.message(("cannot write '" + path + "'").c_str());
  // GDAL 3.6 reports a failed flush on close only through its error state.
  CPLErrorReset();
  GDALClose(dataset);
  if (ok && CPLGetLastErrorType() >= CE_Failure) {
    ok = false;
    error = quiet.message(("cannot finish '" + path + "'").c_str());
  }
  if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    error = "cannot rename '" + temporary + "' to '" + path + "'";
  }
  if (!ok) std::remove(temporary.c_str());
  return ok;
}

}  // namespace tarnvale
