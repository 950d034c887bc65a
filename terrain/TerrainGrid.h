#pragma once
// A rectangular grid of ground heights sampled for a map image.
#include <cstdint>
#include <vector>

namespace tarnvale {

/// rows x columns heights (m; sea 0, missing -32767), row 0 the northernmost,
/// each row running west to east. One block of memory, row after row.
struct TerrainGrid {
  int rows = 0;
  int columns = 0;
  std::vector<std::int16_t> heights;

  /// The first height of row @p r (0 <= r < rows).
  const std::int16_t* row(int r) const { return heights.data() + static_cast<std::size_t>(r) * columns; }
  /// The height at row @p r, column @p c.
  int at(int r, int c) const { return row(r)[c]; }
};

}  // namespace tarnvale
