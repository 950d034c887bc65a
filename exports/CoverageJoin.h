#pragma once
// The parts of one coverage map (tarnvale-cli coverage --part I/N) joined
// into the GeoTIFF one process writes for the whole map (tarnvale-cli mosaic
// --join), through GDAL in the module of GdalModule.h.
#include <string>
#include <vector>

namespace tarnvale {

/// The whole map written, or why not.
struct CoverageJoinResult {
  bool ok = false;
  /// The parts do not belong together (not a part, another map, a band given
  /// twice or missing): the caller's mistake rather than a failure to read
  /// or write.
  bool mismatch = false;
  std::string error;  ///< names the file concerned ("PATH: why"), or the band that is missing
  int parts = 0;      ///< N
  int columns = 0, rows = 0;
};

/// Reads the part GeoTIFFs @p parts (in any order), checks that they are
/// bands 1 ... N of one map, each once (the same N, whole size and
/// georeferencing, band description and unit, and the same whole-map
/// metadata items), and writes the whole map to @p out through
/// WriteFloatGeoTiff with the whole map's georeferencing and metadata, the
/// part items left out: the same bytes as the GeoTIFF of the whole map made
/// in one process. Holds one float per pixel of the whole map in memory, as
/// writing the whole map does.
CoverageJoinResult JoinCoverageParts(const std::vector<std::string>& parts, const std::string& out);

}  // namespace tarnvale
