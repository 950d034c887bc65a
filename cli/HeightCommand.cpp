#include <nlohmann/json.hpp>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/MissingTilesReport.h"
#include "text/PlainNumber.h"
#include "terrain/Srtm.h"

namespace tarnvale::cli {

bool ParsePoint(const std::string& latitudeText, const std::string& longitudeText, double& latitude,
                double& longitude, Io& io) {
  const auto lat = ParsePlainNumber(latitudeText);
  const auto lon = ParsePlainNumber(longitudeText);
  if (!lat) io.err << "tarnvale-cli: LAT must be a plain decimal number of degrees, not '" << latitudeText << "'\n";
  if (!lon) io.err << "tarnvale-cli: LON must be a plain decimal number of degrees, not '" << longitudeText << "'\n";
  if (!lat || !lon) return false;
  latitude = *lat;
  longitude = *lon;
  return true;
}

int RunHeight(const HeightOptions& options, Io& io) {
  double latitude = 0.0, longitude = 0.0;
  if (!ParsePoint(options.latitude, options.longitude, latitude, longitude, io)) return kExitUsage;
  CSRTM terrain(srtm::kDefaultSlots, options.terrain);
  const int height = terrain.heightAt(latitude, longitude, options.interpolate);
  const bool missing = height == terrain.missingValue();
  WarnMissingTiles(terrain, io);
  if (options.json) {
    nlohmann::json j;
    j["height_m"] = height;
    j["missing"] = missing;
    j["missingTiles"] = MissingTilesJson(terrain);
    io.out << j.dump(2) << "\n";
  } else if (missing) {
    io.out << "height   no data\n";
  } else {
    io.out << "height   " << height << " m\n";
  }
  return kExitOk;
}

}  // namespace tarnvale::cli
