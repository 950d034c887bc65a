#pragma once
// tarnvale-cli mosaic: the best-server map of many coverage GeoTIFFs.
#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace tarnvale::cli {

struct Io;

struct MosaicOptions {
  std::vector<std::string> inputs;  ///< coverage GeoTIFFs, one per site
  std::string out;                  ///< lowest loss per pixel (float32, dB)
  std::string server;               ///< index of the site giving it (int32), optional
  double resolution = 0.0;          ///< output step in degrees; 0: the finest input step
  std::vector<double> bounds;       ///< west, south, east, north; empty: the union of the inputs
  bool json = false;
};

/// Combines the inputs on one EPSG:4326 grid: per pixel the lowest loss of all
/// sites and the index of the site that gives it (the SITE_INDEX metadata item
/// of its GeoTIFF, else the number before the first '-' of its file name, else
/// its place on the command line). Equal losses go to the lower index. Works
/// through the output in bands of rows, so memory does not grow with the
/// number or size of the inputs.
int RunMosaic(const MosaicOptions& options, Io& io);

/// Registers the subcommand on @p app; its callback sets @p action.
void AddMosaicCommand(CLI::App& app, MosaicOptions& options, std::function<int()>& action, Io& io);

}  // namespace tarnvale::cli
