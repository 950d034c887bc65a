#pragma once
// A rectangular grid of radio-climatic zone codes sampled for the zone map.
#include <cstdint>
#include <vector>

namespace tarnvale {

/// rows x columns zone codes, row 0 the northernmost, each row running west to
/// east. One block of memory, row after row.
struct ZoneImage {
  int rows = 0;
  int columns = 0;
  std::vector<std::uint8_t> codes;

  /// The first code of row @p r (0 <= r < rows).
  const std::uint8_t* row(int r) const { return codes.data() + static_cast<std::size_t>(r) * columns; }
  /// The code at row @p r, column @p c.
  int at(int r, int c) const { return row(r)[c]; }
};

}  // namespace tarnvale
