#pragma once
// SharedTileSet: the terrain tiles of one coverage run, each read once and
// then shared read-only by the run's worker threads.
#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "terrain/MissingTiles.h"
#include "terrain/SrtmTile.h"

namespace tarnvale {

/// The tiles of one terrain directory that lookups ask for, each read at most
/// once, on first need, and kept unchanged until the set goes. A coverage run
/// makes one set and gives every worker a store over it (CSRTM's shared-set
/// constructor): however many tiles the map's paths cross and however many
/// workers there are, each tile file is read once, where stores of a few
/// slots each would read the same tiles again and again.
///
/// Memory: 2 884 802 bytes for each tile read, so bounded by the tiles the
/// lookups touched, and at most tileLimit cells (kDefaultTileLimit, about
/// 740 MB of tiles) are taken in: a map wider than that (a range of several
/// hundred km) leaves the cells beyond to the stores' own slots, which read
/// them again as they need them. Nothing is released before the set goes. A
/// cell whose tile cannot be read is remembered with the reason and never
/// tried again.
///
/// Thread safety: every member may be called from any number of threads at
/// once. A thread that asks for a tile another thread is reading waits for
/// that read; tiles come back whole and never change afterwards. Copying is
/// deleted.
class SharedTileSet {
 public:
  /// Cells a set takes in unless told otherwise.
  static constexpr int kDefaultTileLimit = 256;

  /// @param terrainDirectory directory of the .hgt files, with or without a
  ///        trailing '/'; empty for the working directory
  /// @param tileLimit cells taken in at most (their tiles held or known
  ///        missing)
  explicit SharedTileSet(std::string terrainDirectory, int tileLimit = kDefaultTileLimit);
  ~SharedTileSet();
  SharedTileSet(const SharedTileSet&) = delete;
  SharedTileSet& operator=(const SharedTileSet&) = delete;

  /// The tile of the cell whose south-west corner is (@p cellSouthDeg,
  /// @p cellWestDeg), read now when no lookup has asked for it before. Never
  /// throws.
  /// @param cellSouthDeg corner latitude (whole degrees, -90 ... 89)
  /// @param cellWestDeg corner longitude (whole degrees, -180 ... 179)
  /// @param overLimit set to true when the answer is nullptr because the set
  ///        has taken in tileLimit other cells already (the cell is not
  ///        tried: read it elsewhere), else to false
  /// @return the tile, valid and unchanged for the set's life; nullptr for a
  ///         cell off the map, a tile that cannot be read, no memory, or a
  ///         cell over the limit
  const CSRTMTILE* tile(int cellSouthDeg, int cellWestDeg, bool* overLimit = nullptr) const;

  /// Why the cell's tile could not be read, once tile() has answered nullptr
  /// for it for want of a readable file; nothing otherwise (also when memory
  /// was short rather than the tile).
  std::optional<MissingTile> missing(int cellSouthDeg, int cellWestDeg) const;

  /// Cells whose tile has been looked for: one file read each, whether or
  /// not it succeeded.
  int tilesRead() const { return tilesRead_.load(std::memory_order_relaxed); }
  /// Tiles held in memory.
  int tilesHeld() const { return tilesHeld_.load(std::memory_order_relaxed); }

  /// The directory the tiles are read from, as given.
  const std::string& terrainDirectory() const { return terrainDirectory_; }

 private:
  struct Entry;
  /// The cell's entry, made when first asked for; nullptr off the map,
  /// without memory or over the limit (then @p overLimit is set).
  Entry* entryFor(int cellSouthDeg, int cellWestDeg, bool& overLimit) const;

  std::string terrainDirectory_;
  std::size_t tileLimit_;
  mutable std::mutex mutex_;  // guards entries_ (the map, not the entries)
  mutable std::unordered_map<int, std::unique_ptr<Entry>> entries_;
  mutable std::atomic<int> tilesRead_{0};
  mutable std::atomic<int> tilesHeld_{0};
};

}  // namespace tarnvale
