#pragma once
// One map computed in parts: band I of N equal bands of the grid's rows, so
// that separate processes (the tasks of a cluster job) each compute a band and
// a join puts the bands back into the file one process would have written.
// The rows of a band, the text "I/N", and the metadata items a part's
// GeoTIFF carries beside the whole map's own, by which the join checks that
// its parts belong together.
#include <string>
#include <utility>
#include <vector>

#include "maps/Coverage.h"

namespace tarnvale {

/// Band @p index of @p count.
struct CoveragePart {
  int index = 1;  ///< I, from 1 (the northernmost band)
  int count = 1;  ///< N
};

/// Rows first ... first + count - 1 of a grid, row 0 the northernmost.
struct CoverageRowBand {
  int first = 0;
  int count = 0;
};

/// Reads "I/N": two whole decimal numbers with 1 <= I <= N (no sign, space or
/// other text). False for anything else. Never throws.
bool ParseCoveragePart(const std::string& text, CoveragePart& part);

/// "I/N".
std::string CoveragePartText(const CoveragePart& part);

/// The rows of band I of N of @p rows rows: floor((I - 1) R / N) to
/// floor(I R / N) - 1, so that the bands follow one another without gap or
/// overlap and differ in size by at most one row. Count 0 when the part is
/// not one of 1 <= I <= N <= R.
CoverageRowBand CoveragePartRows(int rows, const CoveragePart& part);

/// The names of the items a part's GeoTIFF adds to the whole map's metadata.
namespace coverage_part {
inline constexpr const char* kPart = "PART";                     ///< "I/N"
inline constexpr const char* kFirstRow = "PART_FIRST_ROW";       ///< the band's first row (0: the north edge)
inline constexpr const char* kRowCount = "PART_ROW_COUNT";       ///< rows in the band
inline constexpr const char* kWholeColumns = "PART_WHOLE_COLUMNS";  ///< columns of the whole map
inline constexpr const char* kWholeRows = "PART_WHOLE_ROWS";        ///< rows of the whole map
/// The whole map's GDAL geotransform, six numbers that read back exactly.
inline constexpr const char* kWholeTransform = "PART_WHOLE_GEOTRANSFORM";
}  // namespace coverage_part

/// The GDAL geotransform of the map's GeoTIFF: pixel centres on the sample
/// points, west edge - step / 2 and north edge + step / 2 at the top left
/// (degrees), steps of step east and -step north.
void CoverageGeoTransform(const CoverageGrid& grid, double transform[6]);

/// The same for rows @p band of the map: the whole map's pixel size, the
/// band's own top-left corner.
void CoverageBandGeoTransform(const CoverageGrid& grid, const CoverageRowBand& band, double transform[6]);

/// The items (name, value) that make a GeoTIFF part @p part of the map on
/// @p grid, in this order: PART, PART_FIRST_ROW, PART_ROW_COUNT,
/// PART_WHOLE_COLUMNS, PART_WHOLE_ROWS, PART_WHOLE_GEOTRANSFORM.
std::vector<std::pair<std::string, std::string>> CoveragePartMetadata(const CoverageGrid& grid,
                                                                      const CoveragePart& part);

/// True for the name of an item CoveragePartMetadata writes ("PART" and
/// "PART_..."), which a join leaves out of the whole map's file.
bool IsCoveragePartItem(const std::string& name);

/// What a part's items say, read back.
struct CoveragePartInfo {
  CoveragePart part;
  CoverageRowBand rows;
  int wholeColumns = 0;
  int wholeRows = 0;
  double wholeTransform[6] = {0, 0, 0, 0, 0, 0};
};

/// Reads the part items among @p metadata. False, with what is wrong in
/// @p why ("no PART item: not a part of a map", "PART_FIRST_ROW ... is not
/// band 2/3's first row"), when one is missing or unreadable or the band is
/// not the one the rows rule gives for PART and PART_WHOLE_ROWS. Never throws.
bool ReadCoveragePartInfo(const std::vector<std::pair<std::string, std::string>>& metadata, CoveragePartInfo& info,
                          std::string& why);

}  // namespace tarnvale
