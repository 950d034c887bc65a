// tarnvale-cli mosaic: its options and what it prints. The work (the
// best-server mosaic, or the join of a map's parts) is done in the GDAL module.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/MosaicCommand.h"
#include "exports/GdalModule.h"
#include "io/OutputFile.h"

namespace tarnvale::cli {

namespace {

int RunJoin(const MosaicCommandOptions& o, Io& io) {
  std::string why;
  if (!CanWriteFile(o.mosaic.out, why)) {
    io.err << "tarnvale-cli mosaic: " << why << "\n";
    return kExitInvalid;
  }
  const CoverageJoinResult r = gdal::JoinCoverageParts(o.mosaic.inputs, o.mosaic.out);
  if (!r.ok) {
    io.err << "tarnvale-cli mosaic --join: " << r.error << "\n";
    return r.mismatch ? kExitUsage : kExitInvalid;
  }
  if (o.json) {
    nlohmann::json j = {{"parts", r.parts}, {"columns", r.columns}, {"rows", r.rows}};
    io.out << j.dump(2) << "\n";
  }
  return kExitOk;
}

}  // namespace

int RunMosaic(const MosaicCommandOptions& o, Io& io) {
  if (o.join) return RunJoin(o, io);
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
  CLI::App* cmd = app.add_subcommand(
      "mosaic", "best-server map: the lowest loss of many coverage GeoTIFFs; with --join, the parts of one map joined");
  cmd->add_option("inputs", o.inputs, "coverage GeoTIFFs, one per site (with --join: the parts, in any order)")
      ->required()
      ->check(CLI::ExistingFile);
  cmd->add_option("--out", o.out, "GeoTIFF of the lowest loss per pixel (dB); with --join, of the whole map")
      ->required();
  CLI::Option* server = cmd->add_option("--server", o.server, "GeoTIFF of the index of the site giving it");
  CLI::Option* resolution =
      cmd->add_option("--resolution", o.resolution, "output step in degrees (default: the finest input step)")
          ->check(CLI::PositiveNumber);
  CLI::Option* bounds = cmd->add_option("--bounds", o.bounds, "W,S,E,N in degrees (default: the union of the inputs)")
                            ->delimiter(',')
                            ->expected(4);
  CLI::Option* join = cmd->add_flag(
      "--join", options.join,
      "the inputs are parts 1/N ... N/N of one map (coverage --part): write the GeoTIFF that coverage writes for "
      "the whole map in one process, byte for byte; parts of another map, a part given twice or a missing one "
      "are refused (exit 2)");
  for (CLI::Option* gridOption : {server, resolution, bounds}) join->excludes(gridOption);
  cmd->add_flag("--json", options.json, "print the output grid as one JSON object");
  cmd->callback([&] {
    if (o.bounds.size() == 4 && (o.bounds[0] >= o.bounds[2] || o.bounds[1] >= o.bounds[3]))
      throw CLI::ValidationError("--bounds", "west must be below east and south below north");
    action = [&] { return RunMosaic(options, io); };
  });
}

}  // namespace tarnvale::cli
