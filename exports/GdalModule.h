#pragma once
// GDAL, and the hundred or so libraries it brings, take longer to load than
// most commands take to run. The programs therefore keep everything that
// calls GDAL (the coverage GeoTIFF, the mosaic, DEM import) in a module of its
// own, loaded the first time one of those is needed.
#include <string>
#include <utility>
#include <vector>

#include "exports/CoverageJoin.h"
#include "exports/MapExport.h"
#include "exports/Mosaic.h"
#include "maps/Coverage.h"
#include "terrain/DemImport.h"

namespace tarnvale {

/// What the module offers: the functions of the same names, called through
/// pointers. A module built from other sources says so by its version.
struct GdalApi {
  /// 3: the coverage GeoTIFF takes the band's description and unit, and the
  /// values it writes may be another quantity than the loss. 4: the values
  /// may hold a band of rows, and the parts of a map can be joined.
  static constexpr int kVersion = 4;
  int version = kVersion;
  bool (*writeCoverageGeoTiff)(const std::string& path, const CoverageGrid& grid, const CoverageValues& values,
                               std::string& error, const std::vector<std::pair<std::string, std::string>>& metadata,
                               const CoverageBand& band) = nullptr;
  MosaicResult (*makeMosaic)(const MosaicOptions& options) = nullptr;
  ImportResult (*importDem)(const std::vector<std::string>& inputs, const std::string& outDirectory,
                            const ImportProgress& progress) = nullptr;
  CoverageJoinResult (*joinCoverageParts)(const std::vector<std::string>& parts, const std::string& out) = nullptr;
};

/// The symbol the module exports, and its file name.
inline constexpr const char* kGdalApiSymbol = "tarnvale_gdal_api";
inline constexpr const char* kGdalModuleFile = "libtarnvale-gdal.so";

namespace gdal {

/// The module's functions, or nullptr with @p error saying why it could not
/// be loaded. Looked for in $TARNVALE_GDAL_MODULE when set, otherwise in the
/// library folder <libdir>/tarnvale of the prefix that holds the program or
/// the Python module (the same layout in the build tree as installed).
/// Loaded once; thread-safe.
const GdalApi* Api(std::string& error);

/// The module's functions; when it cannot be loaded they fail with the reason.
bool WriteCoverageGeoTiff(const std::string& path, const CoverageGrid& grid, const CoverageValues& values,
                          std::string& error,
                          const std::vector<std::pair<std::string, std::string>>& metadata = {},
                          const CoverageBand& band = CoverageBandFor(LinkQuantity::Loss));
MosaicResult MakeMosaic(const MosaicOptions& options);
ImportResult ImportDem(const std::vector<std::string>& inputs, const std::string& outDirectory,
                       const ImportProgress& progress = {});
CoverageJoinResult JoinCoverageParts(const std::vector<std::string>& parts, const std::string& out);

}  // namespace gdal
}  // namespace tarnvale
