#pragma once
// Making the program's 3-arc-second tiles from any elevation raster GDAL
// reads: GeoTIFF, 1-arc-second SRTM, Copernicus GLO-30, netCDF and the like,
// in latitude and longitude or in a projection GDAL can take back to them.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace tarnvale {

/// One tile written by ImportDem.
struct ImportedTile {
  std::string name;        ///< file name by the naming rule, "n50e008.hgt"
  std::string path;        ///< where it was written
  int south = 0;           ///< corner latitude (whole degrees)
  int west = 0;            ///< corner longitude (whole degrees)
  std::size_t voids = 0;   ///< nodes left as voids (-32768): no input covered them with data
};

/// Outcome of an import: the tiles written, or the reason none could be.
struct ImportResult {
  bool ok = false;
  std::string error;                 ///< a sentence for the user when !ok
  std::vector<ImportedTile> tiles;   ///< in the order written (north to south, west to east)
};

/// Called as the work goes on: @p done of @p total steps, and the tile being made.
using ImportProgress = std::function<void(std::size_t done, std::size_t total, const std::string& tile)>;

/// Writes a 1201 x 1201 tile (big-endian int16, voids -32768, 1/1200 degree
/// spacing, rows from the north edge) into @p outDirectory for every 1 degree
/// cell whose inside the inputs cover. A node of the tile that falls on a
/// node of an input takes that node's value exactly; any other node is the
/// bilinear mean of the four input nodes around it, rounded to whole metres,
/// and a void when any of them with a share in the mean is a void. Where
/// inputs overlap, the first one in @p inputs with data at a node gives it.
/// Every node is computed from its own latitude and longitude alone, so the
/// edge rows and columns that neighbouring tiles share hold the same values.
///
/// Every input is opened and checked before anything is written: one that is
/// not a raster, has no georeferencing or coordinate system, or cannot be
/// taken to latitude and longitude fails the whole import. Each tile is
/// written under a temporary name in @p outDirectory and renamed when whole,
/// so a failure never leaves part of a tile behind; an existing tile of the
/// same name is replaced.
/// @param inputs raster files; names ending in .gz or .zip are also read through them
/// @param outDirectory made when it does not exist
/// @param progress may be empty
ImportResult ImportDem(const std::vector<std::string>& inputs, const std::string& outDirectory,
                       const ImportProgress& progress = {});

}  // namespace tarnvale
