#pragma once
// CSRTM: the terrain tile store. Ground height at any latitude and longitude
// from SRTM 3-arc-second tiles, with a small cache of tiles in memory.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "terrain/MissingTiles.h"
#include "terrain/SharedTileSet.h"
#include "terrain/SrtmConstants.h"
#include "terrain/SrtmTile.h"
#include "terrain/TerrainGrid.h"

namespace tarnvale {

/// Reads ground heights from the .hgt tiles of one terrain directory (one file
/// per 1 x 1 degree cell, named after the cell's south-west corner, e.g.
/// n51w002.hgt for 51..52 N, 2..1 W) and keeps up to slotCount of them in
/// memory. The least used tile is replaced when another is needed. A cell
/// whose tile cannot be read is remembered and never tried again.
///
/// Heights come back in whole metres; sea is seaValue() (0) and no data is
/// missingValue() (-32767). Per-point calls never throw and never fail
/// loudly: a point outside -90 <= latitude < 90, -180 <= longitude < 180, or
/// without a readable tile, gives the missing value.
///
/// Memory: 2 884 802 bytes per slot (about 26 MB for the program's nine),
/// reserved at construction and reused by every load, plus 64 800 bytes of
/// availability flags and the grid of the last sampleGrid (2 bytes a cell).
/// Lookups allocate nothing.
///
/// A store made over a SharedTileSet instead reads every tile through the
/// set: it has no slots of its own, and several stores on several threads
/// share the tiles the set has read, each read once (a coverage run's
/// workers). Its heights are those of a store with slots on the same
/// directory. Such a store holds no tile itself while the set takes its
/// cells in: beside the availability flags it keeps 4 kB of pointers to the
/// tiles it used last, so that the set (and its lock) is asked only for a
/// cell not seen lately.
///
/// Thread safety: none. Lookups are const but move tiles in and out of the
/// cache and update usage scores; use one store from one thread at a time.
/// Copying is deleted.
class CSRTM {
 public:
  /// @param slotCount number of tiles held in memory (the program uses 9); a
  ///        store with no slots answers every lookup with the missing value
  /// @param terrainDirectory directory of the .hgt files, with or without a
  ///        trailing '/'; empty for the working directory
  CSRTM(int slotCount, std::string terrainDirectory);
  /// A store that reads through @p tiles. Its slots serve only the cells
  /// the set will not take in (beyond its limit), and take no memory until
  /// one is needed.
  /// @param tiles the shared set; a null set answers every lookup with the
  ///        missing value
  /// @param slotCount slots for the cells beyond the set's limit
  explicit CSRTM(std::shared_ptr<const SharedTileSet> tiles, int slotCount = srtm::kDefaultSlots);
  virtual ~CSRTM() = default;
  CSRTM(const CSRTM&) = delete;
  CSRTM& operator=(const CSRTM&) = delete;

  /// False when a slot, a slot's sample array or the availability map could
  /// not be allocated (the caller reports "Bad memory allocation"). The store
  /// still works; cells it cannot load read as missing.
  bool isValid() const { return valid_; }

  /// Ground height at a point.
  /// @param latitude degrees, north positive
  /// @param longitude degrees, east positive
  /// @param interpolate false: the grid node at or south-west of the point;
  ///        true: the mean of the four nodes around the point, weighted by
  ///        closeness, leaving out sea and missing nodes where land is present
  /// @return height (m), or seaValue(), or missingValue()
  int heightAt(double latitude, double longitude, bool interpolate) const;

  /// Fills a grid of heights for a map image, replacing any grid held.
  /// Row 0 lies at south + rows x step (at south itself when the corner was
  /// folded over the South Pole), each following row one step further south;
  /// column j lies at west + j x step.
  /// @param west longitude of column 0 (degrees)
  /// @param south southern latitude of the area (degrees)
  /// @param columns, rows grid size (cells)
  /// @param step spacing of the cells (degrees)
  /// @param interpolate passed to heightAt
  /// @return the grid, or nullptr for a step that is not positive, a size that
  ///         is not positive, a corner that is not finite or out of memory
  const TerrainGrid* sampleGrid(double west, double south, int columns, int rows, double step, bool interpolate);
  /// Frees the grid; grid() is null again.
  void releaseGrid();
  /// The grid of the last sampleGrid, or nullptr.
  const TerrainGrid* grid() const { return grid_ ? &*grid_ : nullptr; }
  int gridRows() const { return gridRows_; }        ///< as asked of the last sampleGrid
  int gridColumns() const { return gridColumns_; }  ///< as asked of the last sampleGrid
  /// Highest and lowest land height of the grid (m); 0 when there is none, so
  /// the maximum is never below 0 and the minimum never above it.
  int gridMaximum() const { return gridMaximum_; }
  int gridMinimum() const { return gridMinimum_; }

  int seaValue() const { return srtm::kSeaValue; }          ///< 0
  int missingValue() const { return srtm::kMissingValue; }  ///< -32767

  /// Visits every slot, raising the usage score of those holding the tile of
  /// the point's cell and lowering the others.
  /// @param latitude, longitude the point (degrees)
  /// @return the last slot holding the tile, or -1
  int findSlot(double latitude, double longitude) const;
  /// Reads the tile of the point's cell into the slot with the lowest usage
  /// score (the lowest index among equals). A failure marks the cell
  /// unavailable for the rest of the store's life.
  /// @param latitude, longitude the point (degrees)
  /// @return the slot index, or -1 when the tile could not be read
  int loadSlot(double latitude, double longitude) const;

  /// False once reading the tile of the cell holding the point has failed
  /// (and for points with no cell).
  bool cellAvailable(double latitude, double longitude) const;

  /// The tile of the cell with this south-west corner, loaded as a lookup of
  /// a point in the cell would load it (and moving the usage scores alike),
  /// for reading many of its nodes at once; nullptr when the cell has no
  /// readable tile. A slot's tile stays valid until the next lookup that
  /// loads a tile, a shared set's for the set's life.
  /// @param cellSouthDeg, cellWestDeg the corner (whole degrees)
  const CSRTMTILE* cellTile(int cellSouthDeg, int cellWestDeg) const {
    return tileFor(Cell{cellSouthDeg, cellWestDeg});
  }
  /// The set a store made over one reads through, or nullptr.
  const SharedTileSet* sharedTiles() const { return shared_.get(); }

  int slotCount() const { return slotCount_; }
  /// Slot @p index (0 <= index < slotCount()).
  const CSRTMTILE& slot(int index) const { return slots_[index]; }
  /// The directory the tiles are read from, as given.
  const std::string& terrainDirectory() const { return terrainDirectory_; }

  /// Every tile a lookup needed and could not read, in the order they were
  /// first needed. A cell is tried once, so each tile appears once; callers
  /// remember how many they have already reported and tell the user about
  /// the rest.
  const std::vector<MissingTile>& missingTiles() const { return missingTiles_; }

 private:
  /// The cell holding a point: the corner of the tile named for it. Keyed the
  /// same way for the file name, the cache and the availability flags.
  struct Cell {
    int south;  ///< corner latitude (whole degrees)
    int west;   ///< corner longitude (whole degrees)
  };
  static std::optional<Cell> cellOf(double latitude, double longitude);
  /// Index of the cell's availability flag, or -1 when the cell lies off the map.
  static int flagIndex(Cell cell);

  int plainHeight(double latitude, double longitude) const;
  int interpolatedHeight(double latitude, double longitude) const;
  /// The height at the grid node latitudeIndex / 1200, longitudeIndex / 1200
  /// (degrees): from the tile of @p home when the node lies on it, else from
  /// the tile of the cell a point exactly on the node names.
  int nodeHeight(Cell home, int latitudeIndex, int longitudeIndex) const;
  /// The slot holding the cell's tile, loading it if need be; -1 when the
  /// cell is unavailable or its tile cannot be read.
  int slotFor(Cell cell) const;
  /// The tile of the cell: from the slots (loading it if need be) or from
  /// the shared set; nullptr when the cell is unavailable or its tile cannot
  /// be read.
  const CSRTMTILE* tileFor(Cell cell) const;
  /// tileFor for a store over a shared set: recently used tiles are kept by
  /// cell, so that the set (and its lock) is asked only for a cell not seen
  /// lately.
  const CSRTMTILE* sharedTile(Cell cell) const;
  int findCell(Cell cell) const;
  int loadCell(Cell cell) const;
  bool available(Cell cell) const;

  std::optional<TerrainGrid> grid_;
  int gridRows_ = 0, gridColumns_ = 0;
  int gridMaximum_ = 0, gridMinimum_ = 0;
  int slotCount_ = 0;
  mutable std::vector<std::uint8_t> availability_;
  mutable std::unique_ptr<CSRTMTILE[]> slots_;
  mutable std::vector<MissingTile> missingTiles_;
  std::string terrainDirectory_;
  bool valid_ = true;
  // The shared set and the tiles this store has used lately from it, by a
  // hash of the cell that keeps any 15 x 15 block of cells apart.
  std::shared_ptr<const SharedTileSet> shared_;
  struct RecentTile {
    int flag = -1;  // flagIndex of the cell, -1 for none
    const CSRTMTILE* tile = nullptr;
  };
  static constexpr int kRecentTiles = 256;  // a power of two
  // An availability flag of a store over a set: the cell is read into the
  // store's own slots (the set would not take it in).
  static constexpr std::uint8_t kOwnSlots = 2;
  mutable std::array<RecentTile, kRecentTiles> recent_{};
};

}  // namespace tarnvale
