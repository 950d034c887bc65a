#include "terrain/MissingTiles.h"

namespace tarnvale {

std::string MissingTileText(const MissingTile& tile, const std::string& directory) {
  const std::string where = directory.empty() ? std::string("the working directory") : directory;
  const std::string consequence = "; heights there read as 0 m";
  switch (tile.problem) {
    case TileRead::kWrongSize:
      return "Terrain tile " + tile.file + " in " + where + " is not a 3\" tile of 1201 x 1201 samples" +
             consequence;
    case TileRead::kDamaged:
      return "Terrain tile " + tile.file + " in " + where + " is damaged or holds no tile" + consequence;
    case TileRead::kAbsent:
    case TileRead::kOk:
      break;
  }
  return "Terrain tile " + tile.name + " is not in " + where + consequence;
}

std::string MissingTilesText(const std::vector<MissingTile>& tiles, std::size_t from, const std::string& directory) {
  std::string text;
  for (std::size_t i = from; i < tiles.size(); ++i) {
    if (!text.empty()) text += "; ";
    text += MissingTileText(tiles[i], directory);
  }
  return text;
}

}  // namespace tarnvale
