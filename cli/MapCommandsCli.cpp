// Options of tarnvale-cli coverage and terrainmap.
#include <cstdio>

#include <tuple>

#include "geo/LocationText.h"
#include "cli/MapCommands.h"
#include "cli/ModelOptions.h"
#include "session/CoverageSetup.h"

namespace tarnvale::cli {
namespace {

/// A finite number within the field's limits (bounds included), named in the message.
CLI::Validator Limits(const char* name, double min, double max) {
  char description[96];
  std::snprintf(description, sizeof description, "FLOAT in [%g, %g]", min, max);
  const std::string field = name;
  return CLI::Validator(
      [=](std::string& input) -> std::string {
        double value = 0.0;
        if (CLI::detail::lexical_cast(input, value) && value >= min && value <= max) return {};
        char message[160];
        std::snprintf(message, sizeof message, "%s must be a number from %g to %g, not '", field.c_str(), min, max);
        return message + input.substr(0, 40) + "'";
      },
      description);
}
CLI::Validator Limits(const InputLimits& limits) {
  return Limits(std::string(limits.name).c_str(), limits.min, limits.max);
}

CLI::Option* addFormat(CLI::App* app, const std::string& name, int& target, const std::string& help) {
  return app->add_option(name, target, help)
      ->transform(CLI::CheckedTransformer(FormatNames(), CLI::ignore_case))
      ->option_text("loc|ngr|deg|dms");
}

}  // namespace

void AddMapCommands(CLI::App& app, MapCommandOptions& options, std::function<int()>& action, Io& io) {
  CoverageOptions& c = options.coverage;
  CLI::App* cmd = app.add_subcommand("coverage", "area-coverage map of the loss around a transmitter");
  CLI::Option* tx = cmd->add_option("--tx", c.tx, "transmitter location");
  CLI::Option* sites =
      cmd->add_option("--sites", c.sites, "map every site of a site list (.dat) instead of one --tx")
          ->check(CLI::ExistingFile);
  tx->excludes(sites);
  cmd->add_option("--site-index", c.siteIndex, "only the N-th accepted site of --sites (0-based)")
      ->check(CLI::NonNegativeNumber)
      ->needs(sites);
  CLI::Option* outdir =
      cmd->add_option("--outdir", c.outdir, "folder of the sites' outputs: <index>-<name>.tif and .json")
          ->needs(sites);
  sites->needs(outdir);
  cmd->add_flag("--force", c.force, "map sites whose outputs are complete already")->needs(sites);
  addFormat(cmd, "--format", c.format, "format of the location");
  cmd->add_option("--terrain", c.terrain, "directory of the .hgt tiles and zones01.dem")
      ->required()
      ->check(CLI::ExistingDirectory);
  cmd->add_option("--climate", c.climate, "directory of the radio-climate maps (default: working directory)")
      ->check(CLI::ExistingDirectory);
  cmd->add_option("--freq", c.frequency, "frequency, GHz")->capture_default_str()->check(Limits(kFrequencyLimits));
  cmd->add_option("--percent", c.percent, "percentage of time")->capture_default_str()->check(Limits(kPercentLimits));
  cmd->add_option("--tx-height", c.txHeight, "transmitter antenna above ground, m")
      ->capture_default_str()
      ->check(Limits(kAntennaHeightLimits));
  cmd->add_option("--rx-height", c.rxHeight, "receiver antenna above ground, m")
      ->capture_default_str()
      ->check(Limits(kAntennaHeightLimits));
  cmd->add_option("--temperature", c.temperature, "surface temperature, degrees C")
      ->capture_default_str()
      ->check(Limits(kTemperatureLimits));
  cmd->add_option("--pressure", c.pressure, "surface pressure, hPa (mB)")
      ->capture_default_str()
      ->check(Limits(kPressureLimits));
  cmd->add_option("--humidity", c.humidity, "relative humidity, %")
      ->capture_default_str()
      ->check(Limits(kHumidityLimits));
  cmd->add_option("--k-factor", c.kFactor, "force the median K factor")->check(Limits(kKFactorLimits));
  cmd->add_option("--range", c.rangeKm, "range of the map, km")
      ->capture_default_str()
      ->check(Limits("CoverageRange", 1, 3000));
  cmd->add_option("--resolution", c.resolution, "pixels per sample")
      ->capture_default_str()
      ->check(CLI::Range(1, 16));
  cmd->add_option("--size", c.size, "width and height of the picture, pixels")
      ->capture_default_str()
      ->check(CLI::Range(16, 8192));
  cmd->add_option("--style", c.style, "mono, colour or terrain")
      ->capture_default_str()
      ->check(CLI::IsMember({"mono", "colour", "terrain"}));
  CLI::Option* maxLoss = cmd->add_option("--max-loss", c.maxLoss, "maximum loss shown, dB")
                             ->capture_default_str()
                             ->check(Limits("MaxLoss", 1, 400));
  CLI::Option* minLoss = cmd->add_option("--min-loss", c.minLoss, "minimum loss shown, dB")
                             ->capture_default_str()
                             ->check(Limits("MinLoss", 0, 399));
  cmd->add_option("--quantity", c.quantity,
                  "what the map shows: loss (dB), power (received, dBm), field (field strength, dBuV/m) or margin "
                  "(over --threshold, dB)")
      ->capture_default_str()
      ->check(CLI::IsMember({"loss", "power", "field", "margin"}));
  cmd->add_option("--scale-max", c.scaleMax,
                  "the scale's largest value in the quantity's unit (default: power -40, field 100, margin 40)")
      ->excludes(maxLoss);
  cmd->add_option("--scale-min", c.scaleMin,
                  "the scale's smallest value in the quantity's unit (default: power -120, field 0, margin -20)")
      ->excludes(minLoss);
  AddLinkOptions(cmd, c.link);
  cmd->add_flag("--contrast", c.contrast, "white below the maximum loss, 40 % grey at and above it");
  cmd->add_option("--max-height", c.maxHeight, "maximum terrain height, m")
      ->capture_default_str()
      ->check(Limits("MaxHeight", 0, 10000));
  cmd->add_option("--min-height", c.minHeight, "minimum terrain height, m")
      ->capture_default_str()
      ->check(Limits("MinHeight", -1000, 10000));
  CLI::Option* n0 = cmd->add_option("--n0", c.n0, "N0 (default: the climate maps at the transmitter, else 320)")
                        ->check(CLI::Range(150.0, 500.0));
  CLI::Option* dn = cmd->add_option("--delta-n", c.deltaN, "delta-N (default: the climate maps, else 45)")
                        ->check(CLI::Range(-300.0, 156.0));
  n0->needs(dn);
  dn->needs(n0);
  const std::vector<CLI::Option*> p452Only =
      AddModelOptions(cmd, c.model, "p452-18: clutter height of every land sample, m");
  CLI::Option* out = cmd->add_option("--out", c.out, "write the map picture as PNG");
  CLI::Option* scale = cmd->add_option("--scale", c.scale, "write the colour scale as PNG");
  CLI::Option* geotiff = cmd->add_option("--geotiff", c.geotiff, "write the losses as a GeoTIFF (dB, EPSG:4326)");
  CLI::Option* kml = cmd->add_option("--kml", c.kml, "write a KML ground overlay of the picture");
  CLI::Option* kmz = cmd->add_option("--kmz", c.kmz, "write a KMZ ground overlay holding the picture");
  kml->excludes(kmz);
  CLI::Option* part =
      cmd->add_option_function<std::string>(
             "--part",
             [&c](const std::string& text) {
               CoveragePart p;
               if (!ParseCoveragePart(text, p))
                 throw CLI::ValidationError("--part", "'" + text.substr(0, 40) +
                                                          "' is not I/N with whole numbers 1 <= I <= N");
               c.part = p;
             },
             "compute only band I of N equal bands of the map's R rows (north first): rows floor((I-1)R/N) to "
             "floor(IR/N)-1, 1 <= I <= N <= R; writes --geotiff georeferenced where the band lies, with PART items "
             "in its metadata; join the N files with mosaic --join")
          ->type_name("I/N")
          ->needs(geotiff);
  for (CLI::Option* picture : {out, scale, kml, kmz, sites}) part->excludes(picture);
  cmd->add_option("--threads", c.threads, "worker threads (default: one per processor)")->check(CLI::Range(1, 256));
  cmd->add_flag("--json", c.json, "print one JSON object");
  cmd->callback([&, cmd, p452Only] {
    CoverageOptions& o = options.coverage;
    if (o.tx.empty() && o.sites.empty()) throw CLI::RequiredError("--tx or --sites");
    RefuseP452OnlyOptions(p452Only, o.model);
    LinkQuantity quantity = LinkQuantity::Loss;
    ParseLinkQuantity(o.quantity, quantity);
    if (quantity != LinkQuantity::Loss && (cmd->count("--max-loss") > 0 || cmd->count("--min-loss") > 0))
      throw CLI::ValidationError("--max-loss/--min-loss", "give the scale of a " + o.quantity +
                                                              " map by --scale-max and --scale-min");
    const CoverageScaleLimits limits = ScaleLimitsFor(quantity);
    for (auto [name, value, range] : {std::tuple{"--scale-max", o.scaleMax, limits.max},
                                      std::tuple{"--scale-min", o.scaleMin, limits.min}})
      if (value && !(*value >= range.min && *value <= range.max)) {
        char message[128];
        std::snprintf(message, sizeof message, "must be from %g to %g for a %s map", range.min, range.max,
                      o.quantity.c_str());
        throw CLI::ValidationError(name, message);
      }
    action = [&] { return RunCoverageCommand(options.coverage, io); };
  });

  TerrainMapOptions& t = options.terrainMap;
  CLI::App* map = app.add_subcommand("terrainmap", "the Terrain Map page's link map and local maps as PNG");
  map->add_option("--tx", t.ends.tx, "transmitter location")->required();
  map->add_option("--rx", t.ends.rx, "receiver location")->required();
  addFormat(map, "--format", t.ends.format, "format of both locations");
  addFormat(map, "--tx-format", t.ends.txFormat, "format of the transmitter location");
  addFormat(map, "--rx-format", t.ends.rxFormat, "format of the receiver location");
  map->add_option("--terrain", t.terrain, "directory of the .hgt tiles")->required()->check(CLI::ExistingDirectory);
  map->add_flag("--interpolate", t.interpolate, "interpolate terrain heights");
  map->add_option("--out-link", t.outLink, "write the link map (480 x 480) as PNG");
  map->add_option("--out-tx", t.outTx, "write the transmitter's local map (240 x 240) as PNG");
  map->add_option("--out-rx", t.outRx, "write the receiver's local map (240 x 240) as PNG");
  map->add_flag("--json", t.json, "print one JSON object");
  map->callback([&] { action = [&] { return RunTerrainMap(options.terrainMap, io); }; });
}

}  // namespace tarnvale::cli
