#include "cli/MissingTilesReport.h"

namespace tarnvale::cli {

void WarnMissingTiles(const CSRTM& terrain, Io& io) {
  WarnMissingTiles(terrain.missingTiles(), terrain.terrainDirectory(), io);
}

void WarnMissingTiles(const std::vector<MissingTile>& tiles, const std::string& directory, Io& io) {
  for (const MissingTile& tile : tiles) io.err << "tarnvale-cli: warning: " << MissingTileText(tile, directory) << "\n";
}

void WarnZoneMapProblem(const CZONES& zones, Io& io) { WarnZoneMapProblem(zones.problem(), io); }

void WarnZoneMapProblem(const std::string& problem, Io& io) {
  if (!problem.empty()) io.err << "tarnvale-cli: warning: " << problem << "\n";
}

nlohmann::json MissingTilesJson(const CSRTM& terrain) {
  nlohmann::json names = nlohmann::json::array();
  for (const MissingTile& tile : terrain.missingTiles()) names.push_back(tile.name);
  return names;
}

}  // namespace tarnvale::cli
