#include "cli/Cli.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <functional>
#include <iostream>
#include <tuple>
#include <unistd.h>

#include "cli/Commands.h"
#include "geo/LocationText.h"
#include "cli/MapCommands.h"
#include "cli/ModelOptions.h"
#include "cli/MosaicCommand.h"
#include "text/Version.h"

namespace tarnvale::cli {
namespace {

CLI::Option* addFormat(CLI::App* app, const std::string& name, int& target, const std::string& help) {
  return app->add_option(name, target, help)
      ->transform(CLI::CheckedTransformer(FormatNames(), CLI::ignore_case))
      ->option_text("loc|ngr|deg|dms");
}

void addEnds(CLI::App* app, EndsOptions& ends, bool required = true) {
  app->add_option("--tx", ends.tx, "transmitter location")->required(required);
  app->add_option("--rx", ends.rx, "receiver location")->required(required);
  addFormat(app, "--format", ends.format, "format of both locations");
  addFormat(app, "--tx-format", ends.txFormat, "format of the transmitter location");
  addFormat(app, "--rx-format", ends.rxFormat, "format of the receiver location");
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Io io{out, err};
  CLI::App app{"Tarnvale: basic transmission loss of radio paths over terrain", "tarnvale-cli"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("tarnvale-cli ") + VersionText(),
                       "print the version (as About and the .deb give it) and exit");
  std::function<int()> action;

  LocateOptions locate;
  CLI::App* locateCmd = app.add_subcommand("locate", "parse a location and show it in all four formats");
  locateCmd->add_option("text", locate.text, "location text")->required();
  addFormat(locateCmd, "--format", locate.format, "format of the text")->required();
  locateCmd->add_flag("--json", locate.json, "print one JSON object");
  locateCmd->callback([&] { action = [&] { return RunLocate(locate, io); }; });

  RangeOptions range;
  CLI::App* rangeCmd = app.add_subcommand("range", "great-circle range and bearing between two locations");
  addEnds(rangeCmd, range.ends);
  rangeCmd->add_flag("--json", range.json, "print one JSON object");
  rangeCmd->callback([&] { action = [&] { return RunRange(range, io); }; });

  PathOptions path;
  PathOptions mechanisms;
  for (auto [name, options, description] :
       {std::tuple{"path", &path, "basic transmission loss of one path, as Calculate gives it"},
        std::tuple{"mechanisms", &mechanisms, "loss of each mechanism at the ten fixed time percentages"}}) {
    CLI::App* cmd = app.add_subcommand(name, description);
    PathOptions& o = *options;
    addEnds(cmd, o.ends, false);
    cmd->add_option("--range", o.rangeKm, "receiver range from the transmitter, km (instead of --rx)")
        ->check(Within(kRangeLimits));
    cmd->add_option("--bearing", o.bearingDeg, "receiver bearing from the transmitter, degrees")
        ->check(Within(kBearingLimits));
    cmd->add_option("--tx-height", o.txHeight, "transmitter antenna above ground, m")
        ->capture_default_str()
        ->check(Within(kAntennaHeightLimits));
    cmd->add_option("--rx-height", o.rxHeight, "receiver antenna above ground, m")
        ->capture_default_str()
        ->check(Within(kAntennaHeightLimits));
    cmd->add_option("--freq", o.frequency, "frequency, GHz")->capture_default_str()->check(Within(kFrequencyLimits));
    cmd->add_option("--percent", o.percent, "percentage of time")->capture_default_str()->check(Within(kPercentLimits));
    cmd->add_option("--temperature", o.temperature, "surface temperature, degrees C")
        ->capture_default_str()
        ->check(Within(kTemperatureLimits));
    cmd->add_option("--pressure", o.pressure, "surface pressure, hPa (mB)")
        ->capture_default_str()
        ->check(Within(kPressureLimits));
    cmd->add_option("--humidity", o.humidity, "relative humidity, %")
        ->capture_default_str()
        ->check(Within(kHumidityLimits));
    cmd->add_option("--k-factor", o.kFactor, "force the median K factor (default: from the climate maps)")
        ->check(Within(kKFactorLimits));
    cmd->add_option("--terrain", o.terrain, "directory of the .hgt tiles and zones01.dem (default: working directory)")
        ->check(CLI::ExistingDirectory);
    cmd->add_option("--climate", o.climate, "directory of the radio-climate maps (default: working directory)")
        ->check(CLI::ExistingDirectory);
    cmd->add_flag("--interpolate", o.interpolate, "interpolate terrain heights");
    cmd->add_flag("--json", o.json, "print one JSON object");
    AddLinkOptions(cmd, o.link, &o == &path ? LinkOptionSet::All : LinkOptionSet::GainsOnly);
    // The model and the inputs of P.452-18 alone.
    const std::vector<CLI::Option*> p452Only = AddModelOptions(
        cmd, o.model,
        &o == &path ? "p452-18: clutter height of every land sample, m (a profile's clutter_m column wins)"
                    : "p452-18: clutter height of every land sample, m");
    if (&o == &path) {
      cmd->add_option("--profile", o.profileFile,
                      "analyse a profile CSV (dist_km,height_m[,zone[,clutter_m]]) instead")
          ->check(CLI::ExistingFile);
      cmd->add_option("--lat", o.latitude, "mean latitude of the supplied profile (p452-18: of its centre), degrees")
          ->check(Within(kLatitudeLimits));
      cmd->add_option("--n0", o.n0, "N0 of the supplied profile (default 320)")->check(CLI::Range(150.0, 500.0));
      cmd->add_option("--delta-n", o.deltaN, "delta-N of the supplied profile (default 45)")
          ->check(CLI::Range(-300.0, 156.0));
      cmd->callback([&, p452Only] {
        RefuseP452OnlyOptions(p452Only, path.model);
        action = [&] { return RunPath(path, io); };
      });
    } else {
      // The classic curves have no use for the antenna gains.
      std::vector<CLI::Option*> refused = p452Only;
      refused.push_back(cmd->get_option("--tx-gain"));
      refused.push_back(cmd->get_option("--rx-gain"));
      cmd->callback([&, refused] {
        RefuseP452OnlyOptions(refused, mechanisms.model);
        action = [&] { return RunMechanisms(mechanisms, io); };
      });
    }
  }

  ProfileOptions profile;
  CLI::App* profileCmd = app.add_subcommand("profile", "the sampled terrain profile of a path as CSV");
  addEnds(profileCmd, profile.ends);
  profileCmd->add_option("--terrain", profile.terrain, "directory of the .hgt tiles and zones01.dem")
      ->check(CLI::ExistingDirectory);
  profileCmd->add_option("--climate", profile.climate, "directory of the radio-climate maps")
      ->check(CLI::ExistingDirectory);
  profileCmd->add_flag("--interpolate", profile.interpolate, "interpolate terrain heights");
  profileCmd->add_flag("--coverage", profile.coverage, "sample as one point of an area-coverage map (250 samples)");
  profileCmd->add_option("--k", profile.k, "effective Earth-radius factor (default: the one the model would use)")
      ->check(Within(kKFactorLimits));
  profileCmd->callback([&] { action = [&] { return RunProfile(profile, io); }; });

  // Negative numbers such as -1.5 are taken as positionals, as no option is
  // named after a digit.
  HeightOptions height;
  CLI::App* heightCmd = app.add_subcommand("height", "ground height at a point from the SRTM tiles");
  heightCmd->add_option("lat", height.latitude, "latitude (decimal degrees, north positive)")->required();
  heightCmd->add_option("lon", height.longitude, "longitude (decimal degrees, east positive)")->required();
  heightCmd->add_option("--terrain", height.terrain, "directory of the .hgt tiles (default: working directory)")
      ->check(CLI::ExistingDirectory);
  heightCmd->add_flag("--interpolate", height.interpolate, "interpolate between the four nodes around the point");
  heightCmd->add_flag("--json", height.json, "print one JSON object");
  heightCmd->callback([&] { action = [&] { return RunHeight(height, io); }; });

  ZoneOptions zone;
  CLI::App* zoneCmd = app.add_subcommand("zone", "radio-climatic zone at a point from zones01.dem");
  zoneCmd->add_option("lat", zone.latitude, "latitude (decimal degrees, north positive)")->required();
  zoneCmd->add_option("lon", zone.longitude, "longitude (decimal degrees, east positive)")->required();
  zoneCmd->add_option("--terrain", zone.terrain, "directory holding zones01.dem (default: working directory)")
      ->check(CLI::ExistingDirectory);
  zoneCmd->add_flag("--json", zone.json, "print one JSON object");
  zoneCmd->callback([&] { action = [&] { return RunZone(zone, io); }; });

  ClimateOptions climate;
  CLI::App* climateCmd = app.add_subcommand(
      "climate", "radio-climate values at a point: N0, delta-N, duct occurrences, refractivity gradient");
  climateCmd->add_option("LAT", climate.latitude, "latitude in degrees, north positive")
      ->required()
      ->check(Within(kLatitudeLimits));
  climateCmd->add_option("LON", climate.longitude, "longitude in degrees, east positive")
      ->required()
      ->check(Within(kLongitudeLimits));
  climateCmd->add_option("--climate", climate.directory, "directory of the map files (default: working directory)")
      ->check(CLI::ExistingDirectory);
  climateCmd->add_option("--percent", climate.percent, "time percentage choosing the gradient map")
      ->capture_default_str()
      ->check(Within(kTimePercentLimits));
  climateCmd->add_flag("--json", climate.json, "print one JSON object");
  climateCmd->callback([&] { action = [&] { return RunClimate(climate, io); }; });

  GasOptions gas;
  CLI::App* gasCmd = app.add_subcommand("gas", "water-vapour density and specific gaseous attenuation");
  gasCmd->add_option("--freq", gas.frequency, "frequency, GHz")->capture_default_str()->check(Within(kFrequencyLimits));
  gasCmd->add_option("--pressure", gas.pressure, "surface pressure, hPa (mB)")
      ->capture_default_str()
      ->check(Within(kPressureLimits));
  gasCmd->add_option("--temperature", gas.temperature, "surface temperature, degrees C")
      ->capture_default_str()
      ->check(Within(kTemperatureLimits));
  gasCmd->add_option("--humidity", gas.humidity, "relative humidity, %")
      ->capture_default_str()
      ->check(Within(kHumidityLimits));
  gasCmd->add_flag("--json", gas.json, "print one JSON object");
  gasCmd->callback([&] { action = [&] { return RunGas(gas, io); }; });

  MapCommandOptions maps;
  AddMapCommands(app, maps, action, io);
  MosaicCommandOptions mosaic;
  AddMosaicCommand(app, mosaic, action, io);
  SitesOptions sites;
  CLI::App* sitesCmd = app.add_subcommand("sites", "the sites of a site list file with their details");
  sitesCmd->add_option("file", sites.file, "site list (.dat): NAME~LOCATION lines")
      ->required()
      ->check(CLI::ExistingFile);
  sitesCmd->add_option("--terrain", sites.terrain, "directory of the .hgt tiles (default: working directory)")
      ->check(CLI::ExistingDirectory);
  sitesCmd->add_flag("--json", sites.json, "print one JSON object");
  sitesCmd->callback([&] { action = [&] { return RunSites(sites, io); }; });

  ZoneMapOptions zoneMap;
  CLI::App* zoneMapCmd = app.add_subcommand("zonemap", "the Zone Map picture of a path as a 400 x 400 PNG");
  addEnds(zoneMapCmd, zoneMap.ends);
  zoneMapCmd->add_option("--terrain", zoneMap.terrain, "directory holding zones01.dem")
      ->required()
      ->check(CLI::ExistingDirectory);
  zoneMapCmd->add_option("--out", zoneMap.out, "PNG file to write")->required();
  zoneMapCmd->add_flag("--json", zoneMap.json, "print one JSON object");
  zoneMapCmd->callback([&] { action = [&] { return RunZoneMap(zoneMap, io); }; });

  ImportDemOptions importDem;
  CLI::App* importCmd =
      app.add_subcommand("import-dem", "make 3-arc-second .hgt tiles from elevation rasters GDAL reads");
  importCmd->add_option("INPUT", importDem.inputs, "raster files (GeoTIFF, SRTM .hgt, GLO-30, netCDF...)")
      ->required()
      ->expected(1, -1);
  importCmd->add_option("--out", importDem.out, "directory the tiles are written to (made when missing)")->required();
  importCmd->add_flag("--json", importDem.json, "print one JSON object");
  importCmd->callback([&] {
    // A progress bar only where someone watches it.
    importDem.progress = &err == &std::cerr && ::isatty(STDERR_FILENO);
    action = [&] { return RunImportDem(importDem, io); };
  });

  std::vector<const char*> argv;
  argv.reserve(args.size() + 1);
  if (args.empty()) argv.push_back("tarnvale-cli");
  for (const std::string& a : args) argv.push_back(a.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << "\n";
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    err << "tarnvale-cli: " << e.what() << "\n";
    err << "Run 'tarnvale-cli --help' for usage.\n";
    return kExitUsage;
  }
  return action ? action() : kExitUsage;
}

}  // namespace tarnvale::cli
