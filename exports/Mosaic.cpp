#include "exports/Mosaic.h"

#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal.h>
#include <gdal_utils.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>


namespace tarnvale {
namespace {

// Rows of the output handled at a time: bounds memory to a band of
// columns x kBandRows values per input read, whatever the map's size.
constexpr int kBandRows = 256;
constexpr float kLossNoData = -9999.0f;
constexpr std::int32_t kServerNoData = -1;
// Edges closer than this fraction of a step count as on the grid line, so
// that the union of inputs on one lattice does not gain a spurious column.
constexpr double kEdgeTolerance = 1e-6;

struct DatasetCloser {
  void operator()(void* handle) const {
    if (handle) GDALClose(static_cast<GDALDatasetH>(handle));
  }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

struct Input {
  std::string path;
  int siteIndex = 0;
  std::string quantity = "loss";  ///< the QUANTITY metadata item of a coverage GeoTIFF, "loss" without one
  std::string unit;               ///< the band's unit
  double west = 0, south = 0, east = 0, north = 0;
  double stepX = 0, stepY = 0;
};

int SiteIndexOf(GDALDatasetH dataset, const std::string& path, int position) {
  if (const char* item = GDALGetMetadataItem(dataset, "SITE_INDEX", nullptr)) {
    char* end = nullptr;
    const long value = std::strtol(item, &end, 10);
    if (end != item && *end == '\0' && value >= 0 && value <= std::numeric_limits<int>::max())
      return static_cast<int>(value);
  }
  const std::string name = std::filesystem::path(path).filename().string();
  const std::size_t dash = name.find('-');
  if (dash != std::string::npos && dash > 0 && dash < 10 &&
      std::all_of(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(dash), [](char c) { return c >= '0' && c <= '9'; }))
    return std::stoi(name.substr(0, dash));
  return position;
}

/// Reads the georeferencing of one input; false with a message when it is
/// not a geographic raster this command can place.
bool Describe(const std::string& path, int position, Input& input, std::string& why) {
  Dataset dataset(GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
  if (!dataset) {
    why = "not a raster GDAL can read";
    return false;
  }
  GDALDatasetH ds = dataset.get();
  if (GDALGetRasterCount(ds) < 1) {
    why = "has no raster band";
    return false;
  }
  double t[6];
  if (GDALGetGeoTransform(ds, t) != CE_None || t[2] != 0.0 || t[4] != 0.0 || t[1] <= 0.0 || t[5] >= 0.0) {
    why = "has no north-up georeferencing";
    return false;
  }
  OGRSpatialReferenceH srs = GDALGetSpatialRef(ds);
  if (!srs || !OSRIsGeographic(srs)) {
    why = "is not in geographic coordinates (EPSG:4326)";
    return false;
  }
  input.path = path;
  input.siteIndex = SiteIndexOf(ds, path, position);
  if (const char* item = GDALGetMetadataItem(ds, "QUANTITY", nullptr)) input.quantity = item;
  if (const char* unit = GDALGetRasterUnitType(GDALGetRasterBand(ds, 1))) input.unit = unit;
  input.west = t[0];
  input.north = t[3];
  input.stepX = t[1];
  input.stepY = -t[5];
  input.east = t[0] + t[1] * GDALGetRasterXSize(ds);
  input.south = t[3] + t[5] * GDALGetRasterYSize(ds);
  return true;
}

int CellsAcross(double span, double step) {
  return std::max(1, static_cast<int>(std::ceil(span / step - kEdgeTolerance)));
}

std::string Number(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

/// The part of @p input that falls on the output band from @p north down
/// @p rows rows, resampled by GDAL (nearest neighbour) onto the output
/// lattice; no-data where the input has none or does not reach.
bool ReadBand(const Input& input, double west, double north, double stepX, double stepY, int columns, int rows,
              std::vector<float>& values, std::string& why) {
  Dataset source(GDALOpenEx(input.path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
  if (!source) {
    why = "could not be opened again";
    return false;
  }
  int hasNoData = 0;
  const double sourceNoData = GDALGetRasterNoDataValue(GDALGetRasterBand(source.get(), 1), &hasNoData);
  const double east = west + stepX * columns;
  const double south = north - stepY * rows;
  std::vector<std::string> words = {"-of", "VRT", "-ot", "Float32", "-r", "near",
                                    "-te", Number(west), Number(south), Number(east), Number(north),
                                    "-ts", std::to_string(columns), std::to_string(rows),
                                    "-dstnodata", Number(kLossNoData), "-wo", "INIT_DEST=NO_DATA", "-q"};
  if (hasNoData) {
    words.push_back("-srcnodata");
    words.push_back(std::isnan(sourceNoData) ? std::string("nan") : Number(sourceNoData));
  }
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  GDALWarpAppOptions* options = GDALWarpAppOptionsNew(argv.data(), nullptr);
  if (!options) {
    why = "warp options refused";
    return false;
  }
  GDALDatasetH sources[] = {source.get()};
  int usageError = 0;
  Dataset warped(GDALWarp("", nullptr, 1, sources, options, &usageError));
  GDALWarpAppOptionsFree(options);
  if (!warped) {
    why = "could not be resampled";
    return false;
  }
  values.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), kLossNoData);
  if (GDALRasterIO(GDALGetRasterBand(warped.get(), 1), GF_Read, 0, 0, columns, rows, values.data(), columns, rows,
                   GDT_Float32, 0, 0) != CE_None) {
    why = "could not be read";
    return false;
  }
  return true;
}

Dataset CreateOutput(const std::string& path, int columns, int rows, GDALDataType type, double noData,
                     const double transform[6], std::string& why) {
  GDALDriverH driver = GDALGetDriverByName("GTiff");
  const char* creation[] = {"TILED=YES", "COMPRESS=DEFLATE", "BIGTIFF=IF_SAFER", nullptr};
  Dataset dataset(GDALCreate(driver, path.c_str(), columns, rows, 1, type, const_cast<char**>(creation)));
  if (!dataset) {
    why = CPLGetLastErrorMsg();
    return nullptr;
  }
  GDALSetGeoTransform(dataset.get(), const_cast<double*>(transform));
  OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
  OSRImportFromEPSG(srs, 4326);
  OSRSetAxisMappingStrategy(srs, OAMS_TRADITIONAL_GIS_ORDER);
  GDALSetSpatialRef(dataset.get(), srs);
  OSRDestroySpatialReference(srs);
  GDALSetRasterNoDataValue(GDALGetRasterBand(dataset.get(), 1), noData);
  return dataset;
}

/// Renames the finished temporary files into place, or removes them.
bool Finish(Dataset& dataset, const std::string& temporary, const std::string& path, bool ok, std::string& why) {
  if (!dataset) return ok;
  GDALFlushCache(dataset.get());
  dataset.reset();
  if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  if (ok) why = "could not rename " + temporary + " to " + path;
  std::remove(temporary.c_str());
  return false;
}

}  // namespace

MosaicResult MakeMosaic(const MosaicOptions& o) {
  MosaicResult result;
  GDALAllRegister();
  CPLSetErrorHandler(CPLQuietErrorHandler);
  std::vector<Input> inputs;
  for (std::size_t i = 0; i < o.inputs.size(); ++i) {
    Input input;
    std::string why;
    if (!Describe(o.inputs[i], static_cast<int>(i), input, why)) {
      result.error = o.inputs[i] + ": " + why;
      return result;
    }
    inputs.push_back(input);
  }
  if (inputs.empty()) {
    result.error = "no input to combine";
    return result;
  }
  // Maps of received power, field strength or margin: the best server is the
  // site giving the largest value, not the smallest. Quantities never mix.
  const std::string quantity = inputs[0].quantity;
  for (const Input& in : inputs)
    if (in.quantity != quantity) {
      result.error = in.path + ": holds " + in.quantity + ", not " + quantity + " as " + inputs[0].path + " does";
      return result;
    }
  const bool largerIsBetter = quantity == "power" || quantity == "field" || quantity == "margin";
  std::stable_sort(inputs.begin(), inputs.end(),
                   [](const Input& a, const Input& b) { return a.siteIndex < b.siteIndex; });

  double west, south, east, north;
  if (o.bounds.size() == 4) {
    west = o.bounds[0], south = o.bounds[1], east = o.bounds[2], north = o.bounds[3];
  } else {
    west = inputs[0].west, south = inputs[0].south, east = inputs[0].east, north = inputs[0].north;
    for (const Input& in : inputs) {
      west = std::min(west, in.west);
      south = std::min(south, in.south);
      east = std::max(east, in.east);
      north = std::max(north, in.north);
    }
  }
  double stepX = o.resolution, stepY = o.resolution;
  if (stepX <= 0.0) {
    stepX = inputs[0].stepX;
    stepY = inputs[0].stepY;
    for (const Input& in : inputs) {
      stepX = std::min(stepX, in.stepX);
      stepY = std::min(stepY, in.stepY);
    }
  }
  const int columns = CellsAcross(east - west, stepX);
  const int rows = CellsAcross(north - south, stepY);
  const double transform[6] = {west, stepX, 0.0, north, 0.0, -stepY};

  std::string why;
  const std::string lossTemporary = o.out + ".part";
  const std::string serverTemporary = o.server + ".part";
  Dataset loss = CreateOutput(lossTemporary, columns, rows, GDT_Float32, kLossNoData, transform, why);
  Dataset server;
  if (loss && !o.server.empty())
    server = CreateOutput(serverTemporary, columns, rows, GDT_Int32, kServerNoData, transform, why);
  bool ok = loss && (o.server.empty() || server);
  if (loss && quantity != "loss") {
    GDALSetMetadataItem(loss.get(), "QUANTITY", quantity.c_str(), nullptr);
    if (!inputs[0].unit.empty()) GDALSetRasterUnitType(GDALGetRasterBand(loss.get(), 1), inputs[0].unit.c_str());
  }

  std::vector<float> best, values;
  std::vector<std::int32_t> owner;
  for (int top = 0; ok && top < rows; top += kBandRows) {
    const int bandRows = std::min(kBandRows, rows - top);
    const double bandNorth = north - stepY * top;
    const double bandSouth = bandNorth - stepY * bandRows;
    best.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(bandRows), kLossNoData);
    owner.assign(best.size(), kServerNoData);
    for (const Input& in : inputs) {
      if (in.south >= bandNorth || in.north <= bandSouth || in.west >= west + stepX * columns || in.east <= west)
        continue;
      if (!ReadBand(in, west, bandNorth, stepX, stepY, columns, bandRows, values, why)) {
        why = in.path + ": " + why;
        ok = false;
        break;
      }
      for (std::size_t p = 0; p < values.size(); ++p) {
        const float v = values[p];
        if (v == kLossNoData || std::isnan(v)) continue;
        if (owner[p] == kServerNoData || (largerIsBetter ? v > best[p] : v < best[p])) {
          best[p] = v;
          owner[p] = in.siteIndex;
        }
      }
    }
    if (!ok) break;
    ok = GDALRasterIO(GDALGetRasterBand(loss.get(), 1), GF_Write, 0, top, columns, bandRows, best.data(), columns,
                      bandRows, GDT_Float32, 0, 0) == CE_None;
    if (ok && server)
      ok = GDALRasterIO(GDALGetRasterBand(server.get(), 1), GF_Write, 0, top, columns, bandRows, owner.data(),
                        columns, bandRows, GDT_Int32, 0, 0) == CE_None;
    if (!ok && why.empty()) why = "could not write the output";
  }
  ok = Finish(loss, lossTemporary, o.out, ok, why) && ok;
  if (!o.server.empty()) ok = Finish(server, serverTemporary, o.server, ok, why) && ok;
  if (!ok) {
    result.error = why.empty() ? std::string("failed") : why;
    return result;
  }
  result.ok = true;
  result.inputs = inputs.size();
  result.columns = columns;
  result.rows = rows;
  result.stepX = stepX;
  result.stepY = stepY;
  result.west = west;
  result.south = north - stepY * rows;
  result.east = west + stepX * columns;
  result.north = north;
  return result;
}

}  // namespace tarnvale
