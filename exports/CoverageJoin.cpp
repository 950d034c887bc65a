// The parts of one coverage map joined into the whole map's GeoTIFF. Part of
// the GDAL module.
#include "exports/CoverageJoin.h"

#include <cpl_error.h>
#include <gdal_priv.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "exports/GeoTiff.h"
#include "exports/MapExport.h"
#include "maps/CoveragePart.h"

namespace tarnvale {

namespace {

using Items = std::vector<std::pair<std::string, std::string>>;

/// GDAL derives this item from the file's georeferencing; the coverage
/// writer never sets it, so it is no item of the whole map.
constexpr const char* kAreaOrPoint = "AREA_OR_POINT";

struct DatasetCloser {
  void operator()(GDALDataset* d) const {
    if (d) GDALClose(d);
  }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

/// GDAL's messages stay with the caller.
class QuietGdal {
 public:
  QuietGdal() { CPLPushErrorHandler(CPLQuietErrorHandler); }
  ~QuietGdal() { CPLPopErrorHandler(); }
};

/// One part as its file describes it.
struct Part {
  std::string path;
  CoveragePartInfo info;
  Items whole;  ///< the whole map's items: the file's, without the part's own
  CoverageBand band;
  int columns = 0, rows = 0;
};

Dataset Open(const std::string& path) {
  return Dataset(static_cast<GDALDataset*>(
      GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
}

/// Reads what a part says of itself; false with @p why (and @p mismatch for
/// a readable raster that is no part of a map).
bool Describe(const std::string& path, Part& part, std::string& why, bool& mismatch) {
  const Dataset dataset = Open(path);
  if (!dataset) {
    why = "not a raster GDAL can read";
    return false;
  }
  mismatch = true;
  Items items;
  for (char** item = dataset->GetMetadata(); item && *item; ++item) {
    const char* equals = std::strchr(*item, '=');
    if (!equals) continue;
    items.emplace_back(std::string(static_cast<const char*>(*item), equals), std::string(equals + 1));
  }
  if (!ReadCoveragePartInfo(items, part.info, why)) return false;
  for (auto& item : items)
    if (!IsCoveragePartItem(item.first) && item.first != kAreaOrPoint) part.whole.push_back(std::move(item));
  if (dataset->GetRasterCount() != 1 || dataset->GetRasterBand(1)->GetRasterDataType() != GDT_Float32) {
    why = "not the one float32 band of a coverage GeoTIFF";
    return false;
  }
  GDALRasterBand* band = dataset->GetRasterBand(1);
  part.band.description = band->GetDescription();
  part.band.unit = band->GetUnitType();
  part.columns = dataset->GetRasterXSize();
  part.rows = dataset->GetRasterYSize();
  if (part.columns != part.info.wholeColumns || part.rows != part.info.rows.count) {
    why = std::to_string(part.columns) + " x " + std::to_string(part.rows) + " pixels, not the " +
          std::to_string(part.info.wholeColumns) + " x " + std::to_string(part.info.rows.count) + " of its band";
    return false;
  }
  // Its own corner where its band lies in the whole map, to a millionth of a
  // pixel (the two are computed differently, so they may differ in the last bits).
  double t[6];
  const double* w = part.info.wholeTransform;
  const double tolerance = 1e-6 * std::fabs(w[1]);
  if (dataset->GetGeoTransform(t) != CE_None || t[1] != w[1] || t[5] != w[5] || t[2] != 0.0 || t[4] != 0.0 ||
      std::fabs(t[0] - w[0]) > tolerance || std::fabs(t[3] - (w[3] + part.info.rows.first * w[5])) > tolerance) {
    why = "its georeferencing is not that of its band of the whole map";
    return false;
  }
  mismatch = false;
  return true;
}

/// Where @p part's whole map differs from @p first's; empty when it is the same map.
std::string Difference(const Part& part, const Part& first) {
  const CoveragePartInfo& a = part.info;
  const CoveragePartInfo& b = first.info;
  if (a.part.count != b.part.count)
    return "a band of " + std::to_string(a.part.count) + " parts, not of " + std::to_string(b.part.count);
  if (a.wholeColumns != b.wholeColumns || a.wholeRows != b.wholeRows) return "its whole map's size";
  if (!std::equal(a.wholeTransform, a.wholeTransform + 6, b.wholeTransform)) return "its whole map's georeferencing";
  if (part.band.description != first.band.description || part.band.unit != first.band.unit)
    return "its band's description or unit";
  for (const auto& item : part.whole) {
    const std::string& name = item.first;  // a plain name: clang's lambdas cannot capture a structured binding
    const auto same = std::find_if(first.whole.begin(), first.whole.end(),
                                   [&](const auto& other) { return other.first == name; });
    if (same == first.whole.end()) return "its item " + name + ", which the other has not";
    if (same->second != item.second) return "its " + name;
  }
  if (part.whole != first.whole) return "its metadata items";
  return {};
}

}  // namespace

CoverageJoinResult JoinCoverageParts(const std::vector<std::string>& paths, const std::string& out) {
  CoverageJoinResult result;
  QuietGdal quiet;
  GDALAllRegister();
  if (paths.empty()) {
    result.mismatch = true;
    result.error = "no part to join";
    return result;
  }
  std::vector<Part> parts(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    parts[i].path = paths[i];
    std::string why;
    if (!Describe(paths[i], parts[i], why, result.mismatch)) {
      result.error = paths[i] + ": " + why;
      return result;
    }
  }
  const Part& first = parts.front();
  const int count = first.info.part.count;
  std::vector<const Part*> byBand(static_cast<std::size_t>(count), nullptr);
  for (const Part& part : parts) {
    result.mismatch = true;
    if (const std::string difference = Difference(part, first); !difference.empty()) {
      result.error = part.path + ": a part of another map than " + first.path + " (" + difference + " differs)";
      return result;
    }
    const Part*& slot = byBand[static_cast<std::size_t>(part.info.part.index - 1)];
    if (slot) {
      result.error = part.path + ": band " + CoveragePartText(part.info.part) + " again (" + slot->path +
                     " is that band too)";
      return result;
    }
    slot = &part;
  }
  for (int i = 0; i < count; ++i)
    if (!byBand[static_cast<std::size_t>(i)]) {
      result.error = "band " + CoveragePartText({i + 1, count}) + " is missing; given:";
      for (const Part& part : parts) result.error += " " + part.path + " (" + CoveragePartText(part.info.part) + ")";
      return result;
    }
  result.mismatch = false;

  const int columns = first.info.wholeColumns;
  const int rows = first.info.wholeRows;
  std::vector<float> pixels;
  try {
    pixels.resize(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
  } catch (const std::exception&) {  // bad_alloc, or length_error beyond what a vector can hold
    result.error = "no memory for a map of " + std::to_string(columns) + " x " + std::to_string(rows) + " pixels";
    return result;
  }
  for (const Part* part : byBand) {
    const Dataset dataset = Open(part->path);
    float* band = pixels.data() + static_cast<std::size_t>(part->info.rows.first) * static_cast<std::size_t>(columns);
    if (!dataset || dataset->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, columns, part->rows, band, columns,
                                                        part->rows, GDT_Float32, 0, 0, nullptr) != CE_None) {
      result.error = part->path + ": could not be read";
      return result;
    }
  }
  if (!WriteFloatGeoTiff(out, columns, rows, pixels, first.info.wholeTransform, first.whole, first.band,
                         result.error))
    return result;
  result.ok = true;
  result.parts = count;
  result.columns = columns;
  result.rows = rows;
  return result;
}

}  // namespace tarnvale
