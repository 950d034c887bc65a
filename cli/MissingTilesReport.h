#pragma once
// How the commands that read terrain tell about tiles they needed and did not find.
#include <nlohmann/json.hpp>

#include "cli/Commands.h"
#include "climate/Zones.h"
#include "session/Reports.h"
#include "terrain/Srtm.h"

namespace tarnvale::cli {

/// One warning line on standard error for each tile @p terrain could not
/// read: "tarnvale-cli: warning: Terrain tile n52w002.hgt is not in DIR; ...".
void WarnMissingTiles(const CSRTM& terrain, Io& io);
/// The same for @p tiles missing from @p directory.
void WarnMissingTiles(const std::vector<MissingTile>& tiles, const std::string& directory, Io& io);

/// One warning line on standard error when @p zones found its zone map
/// damaged: "tarnvale-cli: warning: The zone map DIR/zones01.dem.gz is damaged …".
void WarnZoneMapProblem(const CZONES& zones, Io& io);
/// The same for a problem already taken from the zone map.
void WarnZoneMapProblem(const std::string& problem, Io& io);

/// The names of those tiles, for the JSON key "missingTiles": the core's MissingTilesJson.
}  // namespace tarnvale::cli
