#pragma once
// tarnvale-cli mosaic: the best-server map of many coverage GeoTIFFs. The
// work is done by MakeMosaic in the GDAL module; this is its options and
// what it prints.
#include <functional>

#include "exports/Mosaic.h"

namespace CLI {
class App;
}

namespace tarnvale::cli {

struct Io;

struct MosaicCommandOptions {
  MosaicOptions mosaic;
  bool json = false;  ///< print the output grid as one JSON object
  /// The inputs are the parts of one map (coverage --part I/N): join them
  /// into the GeoTIFF of the whole map instead of a best-server mosaic.
  bool join = false;
};

/// Makes the mosaic (or joins the parts) and prints its grid (JSON) or why
/// it failed: exit 1, or 2 for parts that do not belong together.
int RunMosaic(const MosaicCommandOptions& options, Io& io);

/// Registers the subcommand on @p app; its callback sets @p action.
void AddMosaicCommand(CLI::App& app, MosaicCommandOptions& options, std::function<int()>& action, Io& io);

}  // namespace tarnvale::cli
