#pragma once
// tarnvale-cli coverage and terrainmap: the Area Coverage and Terrain Map
// pages' pictures and numbers from the command line.
#include <CLI/CLI.hpp>
#include <functional>
#include <optional>
#include <string>

#include "cli/Commands.h"
#include "cli/LinkOptions.h"
#include "maps/CoveragePart.h"

namespace tarnvale::cli {

/// Inputs of a coverage map: the transmitter, the path inputs of
/// tarnvale-cli path and the Area Coverage page's fields, with their defaults.
struct CoverageOptions {
  std::string tx;
  int format = -1;
  std::string terrain;       ///< directory of the .hgt tiles and zones01.dem
  std::string climate;       ///< directory of the radio-climate maps; empty = working directory
  double frequency = 10.368; ///< GHz
  double percent = 50.0;     ///< % of time
  double txHeight = 10.0;    ///< m above ground
  double rxHeight = 10.0;
  double temperature = 20.0; ///< degrees C
  double pressure = 1000.0;  ///< hPa
  double humidity = 40.0;    ///< %
  double kFactor = 0.0;      ///< forced median K factor; 0 = none
  double rangeKm = 10.0;     ///< CoverageRange
  int resolution = 4;        ///< CoverageResolution (pixels per sample)
  int size = 500;            ///< width and height of the picture (pixels)
  std::string style = "terrain";  ///< mono | colour | terrain
  double maxLoss = 200.0, minLoss = 100.0;     ///< dB (a loss map's scale)
  /// What the map shows: loss, power, field or margin; the link options turn
  /// each point's loss into it.
  std::string quantity = "loss";
  LinkOptions link;
  /// The scale's ends in the quantity's unit; default: --max-loss and
  /// --min-loss for the loss, ScaleLimitsFor's start values for the others.
  std::optional<double> scaleMax, scaleMin;
  bool contrast = false;
  double maxHeight = 500.0, minHeight = 0.0;   ///< m
  std::optional<double> n0;      ///< N-units
  std::optional<double> deltaN;  ///< N-units/km
  /// The model, and the inputs of P.452-18 alone (as path takes them).
  ModelOptions model;
  std::string out, scale, geotiff, kml, kmz;
  int threads = 0;           ///< 0: one per hardware thread
  bool json = false;
  /// Many sites: the accepted sites of a site list as transmitters, each
  /// writing outdir/<index>-<name>.tif and .json; all of them, or only the
  /// one at siteIndex (0-based), so that a job array maps a task to a site.
  std::string sites;
  int siteIndex = -1;
  std::string outdir;
  bool force = false;  ///< map sites whose outputs are complete already
  /// One band of the map's rows (--part I/N), written by --geotiff alone; the
  /// parts are joined by mosaic --join.
  std::optional<CoveragePart> part;
};
int RunCoverageCommand(const CoverageOptions& options, Io& io);

/// The Terrain Map page's three pictures for a path.
struct TerrainMapOptions {
  EndsOptions ends;
  std::string terrain;
  bool interpolate = false;
  std::string outLink, outTx, outRx;
  bool json = false;
};
int RunTerrainMap(const TerrainMapOptions& options, Io& io);

/// Adds the coverage and terrainmap subcommands to @p app; the chosen one
/// sets @p action.
struct MapCommandOptions {
  CoverageOptions coverage;
  TerrainMapOptions terrainMap;
};
void AddMapCommands(CLI::App& app, MapCommandOptions& options, std::function<int()>& action, Io& io);

}  // namespace tarnvale::cli
