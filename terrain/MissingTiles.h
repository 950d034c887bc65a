#pragma once
// Tiles the terrain store needed but could not read, and how the program
// tells the user about them. Ground without a tile reads as 0 m, the same as
// sea; saying which tile was missing keeps that from passing unnoticed.
#include <cstddef>
#include <string>
#include <vector>

#include "io/Archive.h"

namespace tarnvale {

/// One tile a lookup needed that the terrain directory did not supply.
struct MissingTile {
  int south = 0;         ///< corner latitude of the cell (whole degrees)
  int west = 0;          ///< corner longitude of the cell (whole degrees)
  std::string name;      ///< the tile's name by the naming rule, "n52w002.hgt"
  std::string file;      ///< the file found but refused; equal to name when none was found
  TileRead problem = TileRead::kAbsent;  ///< kAbsent, kWrongSize or kDamaged
};

/// One sentence about one missing tile, naming the tile and the directory:
/// "Terrain tile n52w002.hgt is not in /data/srtm/; heights there read as 0 m".
/// @param directory the terrain directory as the store was given it (empty
///        for the working directory)
std::string MissingTileText(const MissingTile& tile, const std::string& directory);

/// The sentences of tiles [@p from, end) of @p tiles, joined by "; ", or an
/// empty text when there are none.
std::string MissingTilesText(const std::vector<MissingTile>& tiles, std::size_t from, const std::string& directory);

}  // namespace tarnvale
