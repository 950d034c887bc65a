#include "cli/MissingTilesReport.h"

namespace tarnvale::cli {

void WarnMissingTiles(const CSRTM& terrain, Io& io) { tarnvale::WarnMissingTiles(terrain, io.err, "tarnvale-cli: "); }

void WarnMissingTiles(const std::vector<MissingTile>& tiles, const std::string& directory, Io& io) {
  for (const MissingTile& tile : tiles) io.err << "tarnvale-cli: warning: " << MissingTileText(tile, directory) << "\n";
}

void WarnZoneMapProblem(const CZONES& zones, Io& io) { tarnvale::WarnZoneMapProblem(zones, io.err, "tarnvale-cli: "); }

void WarnZoneMapProblem(const std::string& problem, Io& io) {
  if (!problem.empty()) io.err << "tarnvale-cli: warning: " << problem << "\n";
}

}  // namespace tarnvale::cli
