// tarnvale-cli mosaic: its options and what it prints. The work is done in
// the GDAL module.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/MosaicCommand.h"
#include "exports/GdalModule.h"

namespace tarnvale::cli {

int RunMosaic(const MosaicCommandOptions& o, Io& io) {
  const MosaicResult r = gdal::MakeMosaic(o.mosaic);
  if (!r.ok) {
    io.err << "tarnvale-cli mosaic: " << r.error << "\n";
    return kExitInvalid;
  }
  if (o.json) {
    nlohmann::json j = {{"inputs", r.inputs}, {"columns", r.columns}, {"rows", r.rows},
                        {"stepX", r.stepX},   {"stepY", r.stepY},     {"west", r.west},
                        {"south", r.south},   {"east", r.east},       {"north", r.north}};
    io.out << j.dump(2) << "\n";
  }
  return kExitOk;
}

void AddMosaicCommand(CLI::App& app, MosaicCommandOptions& options, std::function<int()>& action, Io& io) {
  MosaicOptions& o = options.mosaic;
  CLI::App* cmd = app.add_subcommand("mosaic", "best-server map: the lowest loss of many coverage GeoTIFFs");
  cmd->add_option("inputs", o.inputs, "coverage GeoTIFFs, one per site")->required()->check(CLI::ExistingFile);
  cmd->add_option("--out", o.out, "GeoTIFF of the lowest loss per pixel (dB)")->required();
  cmd->add_option("--server", o.server, "GeoTIFF of the index of the site giving it");
  cmd->add_option("--resolution", o.resolution, "output step in degrees (default: the finest input step)")
      ->check(CLI::PositiveNumber);
  cmd->add_option("--bounds", o.bounds, "W,S,E,N in degrees (default: the union of the inputs)")
      ->delimiter(',')
      ->expected(4);
  cmd->add_flag("--json", options.json, "print the output grid as one JSON object");
  cmd->callback([&] {
    if (o.bounds.size() == 4 && (o.bounds[0] >= o.bounds[2] || o.bounds[1] >= o.bounds[3]))
      throw CLI::ValidationError("--bounds", "west must be below east and south below north");
    action = [&] { return RunMosaic(options, io); };
  });
}

}  // namespace tarnvale::cli
