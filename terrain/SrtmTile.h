#pragma once
// CSRTMTILE: one cache slot of the terrain tile store, holding one 1 x 1 degree
// SRTM 3-arc-second tile.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "terrain/SrtmConstants.h"
#include "io/Archive.h"

namespace tarnvale {

/// One slot of CSRTM. The sample array (1201 x 1201 int16, 2 884 802 bytes) is
/// allocated once when the slot is made and reused by every load, so loading
/// a tile allocates nothing. Samples are kept as lookups return them: voids
/// already mapped to the missing value and deep negatives to the sea value.
///
/// Not thread-safe; owned and driven by CSRTM. Copying is deleted.
class CSRTMTILE {
 public:
  /// Allocates the sample array and resets the slot. If the allocation fails
  /// the slot has no array and never loads (hasSamples() is false).
  CSRTMTILE();
  virtual ~CSRTMTILE() = default;
  CSRTMTILE(const CSRTMTILE&) = delete;
  CSRTMTILE& operator=(const CSRTMTILE&) = delete;

  /// Empties the slot: bounds and usage score 0, not loaded, score step 100.
  /// The sample array is kept for the next load.
  void reset();

  /// Resets the slot, then reads the tile of the cell whose south-west corner
  /// is (@p cellSouthDeg, @p cellWestDeg) from @p directory. The file is
  /// looked for as TileFileNames lists: plain, then zipped (n51w002.hgt.zip,
  /// the form SRTM tiles are distributed in), then gzipped, each under its
  /// lower-case name, then upper-case (N51W002.HGT) and mixed (N51W002.hgt)
  /// where the file system tells case apart. A tile is exactly 2 884 802
  /// bytes, unpacked; a file of any other size (a 1-arc-second tile, a cut
  /// download), a damaged archive or no file at all leaves the slot empty,
  /// and problem() and problemFile() say why.
  /// @param directory terrain directory, with or without a trailing '/'
  /// @param cellSouthDeg corner latitude of the cell (whole degrees)
  /// @param cellWestDeg corner longitude of the cell (whole degrees)
  /// @return true when the tile is loaded
  bool load(const std::string& directory, int cellSouthDeg, int cellWestDeg);

  /// The sample at @p row (0 = northern edge) and @p column (0 = western
  /// edge), both 0..1200, as a lookup returns it (m, sea 0, missing -32767).
  int sampleAt(int row, int column) const { return samples_[row * srtm::kTileEdge + column]; }
  /// The same by row * kTileEdge + column.
  int sampleAt(int index) const { return samples_[index]; }

  bool loaded() const { return loaded_; }
  /// Why the last load failed: kAbsent when no file of the tile was found,
  /// otherwise what was wrong with the first file found.
  TileRead problem() const { return problem_; }
  /// The file problem() is about (the lower-case plain name when absent).
  const std::string& problemFile() const { return problemFile_; }
  bool hasSamples() const { return samples_ != nullptr; }
  /// True when the slot holds the tile of the cell with this corner.
  bool holdsCell(int cellSouthDeg, int cellWestDeg) const {
    return loaded_ && cellSouth_ == cellSouthDeg && cellWest_ == cellWestDeg;
  }
  double south() const { return south_; }  ///< degrees
  double north() const { return north_; }  ///< degrees
  double west() const { return west_; }    ///< degrees
  double east() const { return east_; }    ///< degrees
  std::int32_t score() const { return score_; }
  /// The directory copied in by the last load.
  const std::string& directory() const { return directory_; }

  /// A use of the slot for the point being looked up: +1, brought back by the
  /// score step once it passes +100 000.
  void gainScore();
  /// A visit that did not serve the point: -1, brought back by the score step
  /// once it reaches -100 000.
  void loseScore();

  /// Corner of the 1 degree cell holding @p degrees: truncation toward zero
  /// for x >= 0, of (x - 1) for x < 0, so 51.7 -> 51, -0.5 -> -1 and an exact
  /// negative whole number -1.0 -> -2. @p degrees must be finite and within
  /// +-180.
  static int cellCorner(double degrees);

  /// Lower-case file name of the tile of a cell, "n51w002.hgt" style.
  /// @param cellSouthDeg corner latitude (whole degrees, -99..99)
  /// @param cellWestDeg corner longitude (whole degrees, -999..999)
  static std::string fileName(int cellSouthDeg, int cellWestDeg);
  /// Every file name a cell's tile is looked for under, in the order tried.
  static std::vector<std::string> TileFileNames(int cellSouthDeg, int cellWestDeg);
  /// True for names ending in .hgt, .hgt.zip or .hgt.gz, in any case.
  static bool IsTileFileName(std::string_view name);

 private:
  TileRead readFile(const std::string& path);

  std::string directory_;
  bool loaded_ = false;
  std::int32_t scoreStep_ = 0;
  double south_ = 0.0, north_ = 0.0, west_ = 0.0, east_ = 0.0;
  std::int32_t score_ = 0;
  int cellSouth_ = 0, cellWest_ = 0;
  TileRead problem_ = TileRead::kAbsent;
  std::string problemFile_;
  std::unique_ptr<std::int16_t[]> samples_;
};

}  // namespace tarnvale
