#include <nlohmann/json.hpp>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/MissingTilesReport.h"
#include "climate/Zones.h"

namespace tarnvale::cli {
namespace {

const char* zoneName(int code) {
  switch (code) {
    case zones::kSea: return "sea";
    case zones::kCoastalLand: return "coastal land";
    case zones::kInland: return "inland";
    case zones::kNoData: return "no data";
    default: return "none";
  }
}

}  // namespace

int RunZone(const ZoneOptions& options, Io& io) {
  double latitude = 0.0, longitude = 0.0;
  if (!ParsePoint(options.latitude, options.longitude, latitude, longitude, io)) return kExitUsage;
  CZONES zoneMap(options.terrain);
  const int code = zoneMap.zoneAt(latitude, longitude);
  WarnZoneMapProblem(zoneMap, io);
  if (options.json) {
    nlohmann::json j;
    j["zone"] = code;
    j["name"] = zoneName(code);
    io.out << j.dump(2) << "\n";
  } else {
    io.out << "zone     " << code << " " << zoneName(code) << "\n";
  }
  return kExitOk;
}

}  // namespace tarnvale::cli
