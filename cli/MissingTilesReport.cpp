#include "cli/MissingTilesReport.h"

namespace tarnvale::cli {

void WarnMissingTiles(const CSRTM& terrain, Io& io) {
  for (const MissingTile& tile : terrain.missingTiles())
    io.err << "tarnvale-cli: warning: " << MissingTileText(tile, terrain.terrainDirectory()) << "\n";
}

void WarnZoneMapProblem(const CZONES& zones, Io& io) {
  if (!zones.problem().empty()) io.err << "tarnvale-cli: warning: " << zones.problem() << "\n";
}

nlohmann::json MissingTilesJson(const CSRTM& terrain) {
  nlohmann::json names = nlohmann::json::array();
  for (const MissingTile& tile : terrain.missingTiles()) names.push_back(tile.name);
  return names;
}

}  // namespace tarnvale::cli
