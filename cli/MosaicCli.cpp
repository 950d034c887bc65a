// tarnvale-cli mosaic: its options. The work is done in the GDAL module.
#include <CLI/CLI.hpp>

#include "cli/Commands.h"
#include "cli/GdalModule.h"
#include "cli/MosaicCommand.h"

namespace tarnvale::cli {

void AddMosaicCommand(CLI::App& app, MosaicOptions& o, std::function<int()>& action, Io& io) {
  CLI::App* cmd = app.add_subcommand("mosaic", "best-server map: the lowest loss of many coverage GeoTIFFs");
  cmd->add_option("inputs", o.inputs, "coverage GeoTIFFs, one per site")->required()->check(CLI::ExistingFile);
  cmd->add_option("--out", o.out, "GeoTIFF of the lowest loss per pixel (dB)")->required();
  cmd->add_option("--server", o.server, "GeoTIFF of the index of the site giving it");
  cmd->add_option("--resolution", o.resolution, "output step in degrees (default: the finest input step)")
      ->check(CLI::PositiveNumber);
  cmd->add_option("--bounds", o.bounds, "W,S,E,N in degrees (default: the union of the inputs)")
      ->delimiter(',')
      ->expected(4);
  cmd->add_flag("--json", o.json, "print the output grid as one JSON object");
  cmd->callback([&] {
    if (o.bounds.size() == 4 && (o.bounds[0] >= o.bounds[2] || o.bounds[1] >= o.bounds[3]))
      throw CLI::ValidationError("--bounds", "west must be below east and south below north");
    action = [&] { return gdal::RunMosaic(o, io); };
  });
}

}  // namespace tarnvale::cli
