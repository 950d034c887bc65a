#include "terrain/DemImport.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <ogr_srs_api.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <mutex>
#include <numbers>

#include "terrain/SrtmConstants.h"
#include "terrain/SrtmTile.h"

namespace tarnvale {
namespace {

using namespace srtm;

/// The data void of a tile file.
constexpr std::int16_t kVoid = -32768;
/// Highest and lowest heights a tile can hold apart from the void.
constexpr double kHighestStored = 32767.0;
constexpr double kLowestStored = -32767.0;
/// How far (in input pixels) a tile node may lie from an input node and still
/// be taken as falling on it: far below any real offset, far above the
/// rounding of the coordinate arithmetic.
constexpr double kOnNode = 1e-6;
/// Points along each edge of an input when its outline is taken to latitude
/// and longitude to find the cells it touches.
constexpr int kOutlinePoints = 64;
/// Largest block of input pixels read for one row of tile nodes; a finer
/// input than this would need a resampling step first.
constexpr std::size_t kMaxWindowPixels = std::size_t{64} << 20;

/// Node state while a tile is put together.
enum : std::uint8_t { kUncovered = 0, kCoveredVoid = 1, kHasValue = 2 };

struct GdalCloser {
  void operator()(void* dataset) const { GDALClose(static_cast<GDALDatasetH>(dataset)); }
};
struct SrsDeleter {
  void operator()(void* srs) const { OSRDestroySpatialReference(static_cast<OGRSpatialReferenceH>(srs)); }
};
struct TransformDeleter {
  void operator()(void* t) const { OCTDestroyCoordinateTransformation(static_cast<OGRCoordinateTransformationH>(t)); }
};
using DatasetPtr = std::unique_ptr<void, GdalCloser>;
using SrsPtr = std::unique_ptr<void, SrsDeleter>;
using TransformPtr = std::unique_ptr<void, TransformDeleter>;

/// GDAL's own messages go nowhere while an import runs; the last one is
/// added to ours where it explains a failure.
class QuietGdal {
 public:
  QuietGdal() {
    static std::once_flag registered;
    std::call_once(registered, [] { GDALAllRegister(); });
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
  }
  ~QuietGdal() { CPLPopErrorHandler(); }
  QuietGdal(const QuietGdal&) = delete;
  QuietGdal& operator=(const QuietGdal&) = delete;
};

std::string gdalDetail() {
  const char* message = CPLGetLastErrorMsg();
  return message && *message ? std::string(" (") + message + ")" : std::string();
}

bool endsWithNoCase(const std::string& text, const std::string& ending) {
  if (text.size() < ending.size()) return false;
  for (std::size_t i = 0; i < ending.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[text.size() - ending.size() + i])) != ending[i]) return false;
  return true;
}

/// One input raster, opened and checked.
struct Input {
  std::string name;  ///< as given
  DatasetPtr dataset;
  GDALRasterBandH band = nullptr;
  int width = 0, height = 0;
  double toPixel[6] = {};  ///< longitude/latitude or projected x/y to pixel-edge coordinates
  bool hasNoData = false;
  double noData = 0.0;
  /// Latitude/longitude (WGS84, longitude first) to the input's own
  /// coordinates; null when those are already latitude and longitude.
  TransformPtr fromWgs84;
  double south = 0, north = 0, west = 0, east = 0;  ///< outline in degrees

  bool isVoid(double value) const {
    return std::isnan(value) || (hasNoData && value == noData) || value == kVoid;
  }
};

DatasetPtr openRaster(const std::string& path) {
  GDALDatasetH ds = GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
  // Compressed single files are read through GDAL's virtual file systems.
  if (!ds && endsWithNoCase(path, ".gz"))
    ds = GDALOpenEx(("/vsigzip/" + path).c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
  if (!ds && endsWithNoCase(path, ".zip"))
    ds = GDALOpenEx(("/vsizip/" + path).c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
  return DatasetPtr(ds);
}

/// Opens and checks one input; on failure returns false with @p error set.
bool openInput(const std::string& path, Input& in, std::string& error) {
  in.name = path;
  const std::string quoted = "'" + path + "'";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = quoted + " is not a file";
    return false;
  }
  CPLErrorReset();
  in.dataset = openRaster(path);
  if (!in.dataset) {
    error = quoted + " is not a raster that GDAL can read" + gdalDetail();
    return false;
  }
  GDALDatasetH ds = in.dataset.get();
  in.width = GDALGetRasterXSize(ds);
  in.height = GDALGetRasterYSize(ds);
  if (GDALGetRasterCount(ds) < 1 || in.width < 1 || in.height < 1) {
    error = quoted + " holds no raster band";
    return false;
  }
  in.band = GDALGetRasterBand(ds, 1);
  double toGeo[6];
  if (GDALGetGeoTransform(ds, toGeo) != CE_None) {
    error = quoted + " has no georeferencing";
    return false;
  }
  if (!GDALInvGeoTransform(toGeo, in.toPixel)) {
    error = quoted + " has georeferencing that cannot be inverted";
    return false;
  }
  OGRSpatialReferenceH given = GDALGetSpatialRef(ds);
  if (!given) {
    error = quoted + " has no coordinate reference system, so its cells cannot be placed in latitude and longitude";
    return false;
  }
  SrsPtr source(OSRClone(given));
  SrsPtr wgs84(OSRNewSpatialReference(nullptr));
  OSRSetWellKnownGeogCS(static_cast<OGRSpatialReferenceH>(wgs84.get()), "WGS84");
  OSRSetAxisMappingStrategy(static_cast<OGRSpatialReferenceH>(source.get()), OAMS_TRADITIONAL_GIS_ORDER);
  OSRSetAxisMappingStrategy(static_cast<OGRSpatialReferenceH>(wgs84.get()), OAMS_TRADITIONAL_GIS_ORDER);
  auto* src = static_cast<OGRSpatialReferenceH>(source.get());
  auto* geo = static_cast<OGRSpatialReferenceH>(wgs84.get());
  TransformPtr toWgs84;
  const bool sameDegrees = OSRIsGeographic(src) && OSRIsSameGeogCS(src, geo) &&
                           std::fabs(OSRGetAngularUnits(src, nullptr) - std::numbers::pi / 180.0) < 1e-12;
  if (!sameDegrees) {
    in.fromWgs84.reset(OCTNewCoordinateTransformation(geo, src));
    toWgs84.reset(OCTNewCoordinateTransformation(src, geo));
    if (!in.fromWgs84 || !toWgs84) {
      error = quoted + " is in a coordinate system that cannot be taken to latitude and longitude" + gdalDetail();
      return false;
    }
  }
  int hasNoData = 0;
  in.noData = GDALGetRasterNoDataValue(in.band, &hasNoData);
  in.hasNoData = hasNoData != 0;

  // The outline, in degrees, from points along the four pixel edges.
  std::vector<double> x, y;
  for (int k = 0; k <= kOutlinePoints; ++k) {
    const double t = static_cast<double>(k) / kOutlinePoints;
    const double px[4] = {t * in.width, t * in.width, 0.0, static_cast<double>(in.width)};
    const double py[4] = {0.0, static_cast<double>(in.height), t * in.height, t * in.height};
    for (int e = 0; e < 4; ++e) {
      x.push_back(toGeo[0] + px[e] * toGeo[1] + py[e] * toGeo[2]);
      y.push_back(toGeo[3] + px[e] * toGeo[4] + py[e] * toGeo[5]);
    }
  }
  std::vector<int> ok(x.size(), 1);
  if (toWgs84 && !OCTTransformEx(static_cast<OGRCoordinateTransformationH>(toWgs84.get()), static_cast<int>(x.size()),
                                 x.data(), y.data(), nullptr, ok.data())) {
    // Some points may still have gone across; those that did not are left out.
  }
  bool any = false;
  in.west = in.south = std::numeric_limits<double>::infinity();
  in.east = in.north = -std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!ok[i] || !std::isfinite(x[i]) || !std::isfinite(y[i])) continue;
    any = true;
    in.west = std::min(in.west, x[i]);
    in.east = std::max(in.east, x[i]);
    in.south = std::min(in.south, y[i]);
    in.north = std::max(in.north, y[i]);
  }
  if (!any) {
    error = quoted + " does not reach latitude and longitude" + gdalDetail();
    return false;
  }
  // Longitudes stay as the input has them (a global grid may run 0..360);
  // the cells are found from them a turn either way.
  in.south = std::max(in.south, kMinLatitude);
  in.north = std::min(in.north, kMaxLatitude);
  return true;
}

/// One tile being put together: a value and a state per node.
struct TileBuffer {
  std::vector<std::int16_t> value = std::vector<std::int16_t>(kTileSamples, kVoid);
  std::vector<std::uint8_t> state = std::vector<std::uint8_t>(kTileSamples, kUncovered);
};

/// Fills the nodes of @p row of the cell (south, west) that @p in covers and
/// that no earlier input gave a value. Returns false on a read failure.
bool sampleRow(Input& in, int south, int west, int row, TileBuffer& tile, std::vector<double>& window,
               std::string& error) {
  // Each node's position from whole multiples of the spacing, so that a node
  // on a shared edge gets exactly the same coordinates in both tiles.
  const double latitude = (static_cast<double>(south) * kSamplesPerDegree + (kLastIndex - row)) / kSamplesPerDegree;
  std::vector<double> x(kTileEdge), y(kTileEdge);
  std::vector<int> ok(kTileEdge, 1);
  for (int c = 0; c < kTileEdge; ++c) {
    x[c] = (static_cast<double>(west) * kSamplesPerDegree + c) / kSamplesPerDegree;
    y[c] = latitude;
  }
  if (in.fromWgs84)
    OCTTransformEx(static_cast<OGRCoordinateTransformationH>(in.fromWgs84.get()), kTileEdge, x.data(), y.data(),
                   nullptr, ok.data());

  // Continuous pixel coordinates with the input's nodes (pixel centres) on
  // whole numbers.
  std::vector<double> u(kTileEdge), v(kTileEdge);
  int minI = std::numeric_limits<int>::max(), maxI = -1, minJ = std::numeric_limits<int>::max(), maxJ = -1;
  const double lastU = in.width - 1, lastV = in.height - 1;
  auto inside = [&](double pu, double pv) {
    return pu >= -kOnNode && pu <= lastU + kOnNode && pv >= -kOnNode && pv <= lastV + kOnNode;
  };
  for (int c = 0; c < kTileEdge; ++c) {
    const std::size_t index = static_cast<std::size_t>(row) * kTileEdge + c;
    u[c] = v[c] = -1.0;
    if (tile.state[index] == kHasValue || !ok[c] || !std::isfinite(x[c]) || !std::isfinite(y[c])) continue;
    double pu = 0.0, pv = 0.0;
    bool found = false;
    // An input in latitude and longitude may number its longitudes 0..360
    // (or beyond 180 W): the node is looked for a turn either way too.
    for (const double turn : {0.0, kFullTurnDeg, -kFullTurnDeg}) {
      if (turn != 0.0 && in.fromWgs84) break;
      const double lon = x[c] + turn;
      pu = in.toPixel[0] + lon * in.toPixel[1] + y[c] * in.toPixel[2] - 0.5;
      pv = in.toPixel[3] + lon * in.toPixel[4] + y[c] * in.toPixel[5] - 0.5;
      if ((found = inside(pu, pv))) break;
    }
    if (!found) continue;
    pu = std::clamp(pu, 0.0, lastU);
    pv = std::clamp(pv, 0.0, lastV);
    u[c] = pu;
    v[c] = pv;
    const int i0 = static_cast<int>(std::floor(pu)), j0 = static_cast<int>(std::floor(pv));
    minI = std::min(minI, i0);
    maxI = std::max(maxI, std::min(i0 + 1, in.width - 1));
    minJ = std::min(minJ, j0);
    maxJ = std::max(maxJ, std::min(j0 + 1, in.height - 1));
  }
  if (maxI < 0) return true;  // nothing of this row lies on the input

  const int windowWidth = maxI - minI + 1, windowHeight = maxJ - minJ + 1;
  const std::size_t pixels = static_cast<std::size_t>(windowWidth) * static_cast<std::size_t>(windowHeight);
  if (pixels > kMaxWindowPixels) {
    error = "'" + in.name + "' is too fine to import directly; resample it to about 3 arc-seconds first";
    return false;
  }
  window.resize(pixels);
  CPLErrorReset();
  if (GDALRasterIO(in.band, GF_Read, minI, minJ, windowWidth, windowHeight, window.data(), windowWidth,
                   windowHeight, GDT_Float64, 0, 0) != CE_None) {
    error = "reading '" + in.name + "' failed" + gdalDetail();
    return false;
  }
  auto at = [&](int i, int j) { return window[static_cast<std::size_t>(j - minJ) * windowWidth + (i - minI)]; };

  for (int c = 0; c < kTileEdge; ++c) {
    if (u[c] < 0.0) continue;
    const std::size_t index = static_cast<std::size_t>(row) * kTileEdge + c;
    const double ru = std::round(u[c]), rv = std::round(v[c]);
    double value;
    bool isVoid;
    if (std::fabs(u[c] - ru) <= kOnNode && std::fabs(v[c] - rv) <= kOnNode) {
      // On an input node: its value as it stands.
      value = at(static_cast<int>(ru), static_cast<int>(rv));
      isVoid = in.isVoid(value);
    } else {
      int i0 = static_cast<int>(std::floor(u[c])), j0 = static_cast<int>(std::floor(v[c]));
      double fu = u[c] - i0, fv = v[c] - j0;
      if (fu <= kOnNode) fu = 0.0;
      if (fv <= kOnNode) fv = 0.0;
      if (fu >= 1.0 - kOnNode) fu = 1.0;
      if (fv >= 1.0 - kOnNode) fv = 1.0;
      const int i1 = std::min(i0 + 1, in.width - 1), j1 = std::min(j0 + 1, in.height - 1);
      const double weight[4] = {(1 - fu) * (1 - fv), fu * (1 - fv), (1 - fu) * fv, fu * fv};
      const double corner[4] = {at(i0, j0), at(i1, j0), at(i0, j1), at(i1, j1)};
      value = 0.0;
      isVoid = false;
      for (int k = 0; k < 4; ++k) {
        if (weight[k] == 0.0) continue;
        if (in.isVoid(corner[k])) isVoid = true;
        value += weight[k] * corner[k];
      }
    }
    if (isVoid) {
      tile.state[index] = kCoveredVoid;
      continue;
    }
    tile.value[index] = static_cast<std::int16_t>(std::lround(std::clamp(value, kLowestStored, kHighestStored)));
    tile.state[index] = kHasValue;
  }
  return true;
}

/// Writes @p tile to @p path through a temporary file beside it.
bool writeTile(const std::string& path, const TileBuffer& tile, std::string& error) {
  std::vector<unsigned char> bytes(kTileBytes);
  for (std::size_t i = 0; i < kTileSamples; ++i) {
    const auto raw = static_cast<std::uint16_t>(tile.value[i]);
    bytes[2 * i] = static_cast<unsigned char>(raw >> 8);
    bytes[2 * i + 1] = static_cast<unsigned char>(raw & 0xff);
  }
  std::string temporary = path + ".partial-XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    error = "cannot create a file in the output directory for '" + path + "'";
    return false;
  }
  // mkstemp makes the file private; a tile is as readable as any file the user makes.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  const bool synced = written == bytes.size() && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!synced || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    error = "cannot write '" + path + "'";
    return false;
  }
  return true;
}

}  // namespace

ImportResult ImportDem(const std::vector<std::string>& inputs, const std::string& outDirectory,
                       const ImportProgress& progress) {
  ImportResult result;
  if (inputs.empty()) {
    result.error = "no input given";
    return result;
  }
  QuietGdal quiet;
  std::vector<Input> opened(inputs.size());
  for (std::size_t i = 0; i < inputs.size(); ++i)
    if (!openInput(inputs[i], opened[i], result.error)) return result;

  std::error_code ec;
  std::filesystem::create_directories(outDirectory, ec);
  if (!std::filesystem::is_directory(outDirectory, ec)) {
    result.error = "cannot make the output directory '" + outDirectory + "'";
    return result;
  }

  // The cells any input touches, north to south and west to east.
  struct Cell {
    int south, west;
  };
  std::vector<Cell> cells;
  {
    for (int s = kSouthmostCell + kCellRows - 1; s >= kSouthmostCell; --s)
      for (int w = kWestmostCell; w < kWestmostCell + kCellColumns; ++w) {
        // Only cells whose inner nodes (a spacing in from the edges) some
        // input may reach; the outline runs half a pixel beyond an input's
        // last nodes, so this never leaves out a cell that gets a tile.
        const double margin = kSpacingDeg * (1.0 - kOnNode);
        bool inside = false;
        for (const Input& in : opened)
          for (const double turn : {0.0, kFullTurnDeg, -kFullTurnDeg})
            inside = inside || (in.south < s + 1 - margin && in.north > s + margin &&
                                in.west < w + turn + 1 - margin && in.east > w + turn + margin);
        if (inside) cells.push_back({s, w});
      }
  }

  const std::size_t total = cells.size() * opened.size() * kTileEdge;
  std::size_t done = 0;
  std::vector<double> window;
  for (const Cell& cell : cells) {
    const std::string name = CSRTMTILE::fileName(cell.south, cell.west);
    TileBuffer tile;
    for (Input& in : opened) {
      for (int row = 0; row < kTileEdge; ++row) {
        if (!sampleRow(in, cell.south, cell.west, row, tile, window, result.error)) return result;
        ++done;
        if (progress && row % 64 == 0) progress(done, total, name);
      }
    }
    // A tile is made where an input reaches inside the cell, not where it
    // only touches an edge that a neighbouring tile shares.
    bool inside = false;
    std::size_t voids = 0;
    for (int r = 0; r < kTileEdge; ++r)
      for (int c = 0; c < kTileEdge; ++c) {
        const std::size_t index = static_cast<std::size_t>(r) * kTileEdge + c;
        if (tile.state[index] != kUncovered && r > 0 && r < kLastIndex && c > 0 && c < kLastIndex) inside = true;
        if (tile.value[index] == kVoid) ++voids;
      }
    if (!inside) continue;
    const std::string path = (std::filesystem::path(outDirectory) / name).string();
    if (!writeTile(path, tile, result.error)) return result;
    result.tiles.push_back({name, path, cell.south, cell.west, voids});
  }
  if (progress) progress(total, total, "");
  if (result.tiles.empty()) {
    result.error = "the input covers no 1 degree cell of latitude and longitude";
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace tarnvale
