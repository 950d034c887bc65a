#pragma once
// The best-server map of many coverage GeoTIFFs (tarnvale-cli mosaic), made
// through GDAL in the module of GdalModule.h.
#include <cstddef>
#include <string>
#include <vector>

namespace tarnvale {

struct MosaicOptions {
  std::vector<std::string> inputs;  ///< coverage GeoTIFFs, one per site
  std::string out;                  ///< best value per pixel (float32: lowest loss, dB, or largest power, field, margin)
  std::string server;               ///< index of the site giving it (int32), optional
  double resolution = 0.0;          ///< output step in degrees; 0: the finest input step
  std::vector<double> bounds;       ///< west, south, east, north; empty: the union of the inputs
};

/// The grid a mosaic was written on, or why it was not.
struct MosaicResult {
  bool ok = false;
  std::string error;  ///< "PATH: why" for an input that cannot be used, else why the output failed
  std::size_t inputs = 0;
  int columns = 0, rows = 0;
  double stepX = 0.0, stepY = 0.0;  ///< degrees
  double west = 0.0, south = 0.0, east = 0.0, north = 0.0;  ///< degrees
};

/// Combines the inputs on one EPSG:4326 grid: per pixel the lowest loss of all
/// sites (or, for maps of received power, field strength or margin, as their
/// QUANTITY metadata item says, the largest value; inputs of different
/// quantities are refused) and the index of the site that gives it (the SITE_INDEX metadata item
/// of its GeoTIFF, else the number before the first '-' of its file name, else
/// its place in the list). Equal losses go to the lower index. Works through
/// the output in bands of rows, so memory does not grow with the number or
/// size of the inputs. The outputs are written under temporary names and
/// renamed into place when whole.
MosaicResult MakeMosaic(const MosaicOptions& options);

}  // namespace tarnvale
