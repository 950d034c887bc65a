#pragma once
// The coverage GeoTIFF written through GDAL. Built into the GDAL module only:
// the programs call it through gdal::WriteCoverageGeoTiff (GdalModule.h).
#include <string>
#include <utility>
#include <vector>

#include "exports/MapExport.h"
#include "maps/Coverage.h"

namespace tarnvale {

/// Writes the map's values (CoverageValues::shown: the losses, Lb plus the
/// gaseous loss in dB, or the quantity mapped) as a one-band float32 GeoTIFF
/// of n x n pixels in EPSG:4326, row 0 the northern row, pixel centres on the
/// sample points (origin at west edge - step / 2, north edge + step / 2).
/// Values that hold a band of rows give n columns by the band's rows, the
/// same pixel size and the band's own top-left corner
/// (CoverageBandGeoTransform). Failed and never computed samples hold
/// kGeoTiffNoData, which the file declares. The band takes @p band's
/// description and unit. @p metadata items (name, value) are stored in the
/// file's default metadata domain. Written by WriteFloatGeoTiff. Returns false
/// with a reason in @p error.
bool WriteCoverageGeoTiff(const std::string& path, const CoverageGrid& grid, const CoverageValues& values,
                          std::string& error,
                          const std::vector<std::pair<std::string, std::string>>& metadata = {},
                          const CoverageBand& band = CoverageBandFor(LinkQuantity::Loss));

/// The one layout of every coverage GeoTIFF, whole or joined from parts, so
/// that the same values, georeferencing and items give the same bytes: one
/// float32 band of @p columns x @p rows pixels, @p pixels row after row (north
/// first), DEFLATE-compressed in GDAL's default strips, EPSG:4326 in
/// longitude-latitude order, the GDAL geotransform @p transform, no-data
/// kGeoTiffNoData, @p band's description and unit, then @p metadata in its
/// order. The file is written under a temporary name and renamed into place
/// when complete, so that an interrupted write leaves no half file. Returns
/// false with a reason in @p error.
bool WriteFloatGeoTiff(const std::string& path, int columns, int rows, const std::vector<float>& pixels,
                       const double transform[6], const std::vector<std::pair<std::string, std::string>>& metadata,
                       const CoverageBand& band, std::string& error);

}  // namespace tarnvale
