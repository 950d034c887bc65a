#pragma once
// Lattices of the radio-climate maps and the numbers that govern their lookups,
// in one place so that the grid code carries no bare 360, 90 or -9999.
#include <cstdint>

namespace tarnvale::climate {

/// A regular latitude/longitude lattice (degrees). Row 0 is the northernmost
/// row, at latitudeOrigin + (rows - 1) * latitudeStep; column 0 lies at
/// longitudeOrigin and columns run eastwards.
struct GridLattice {
  double latitudeOrigin;   ///< latitude of the southernmost row (degrees)
  double latitudeStep;     ///< row spacing (degrees)
  std::int32_t rows;
  double longitudeOrigin;  ///< longitude of column 0 (degrees east)
  double longitudeStep;    ///< column spacing (degrees)
  std::int32_t columns;
};

/// The 1.5-degree maps (refractivity gradients, duct statistics): 90N..90S,
/// 0E..360E with the last column repeating 0E.
inline constexpr GridLattice kGridA{-90.0, 1.5, 121, 0.0, 1.5, 241};
/// The 0.5-degree maps (N0, delta-N): 83N..90S, 180W..179.5E.
inline constexpr GridLattice kGridB{-90.0, 0.5, 347, -180.0, 0.5, 720};

/// Stored values at or below this mark a node without data.
inline constexpr double kMissingData = -9999.0;

/// Longitudes repeat every full circle (degrees); differences beyond half of
/// it are measured the other way round.
inline constexpr double kFullCircleDeg = 360.0;
inline constexpr double kHalfCircleDeg = 180.0;

/// A time percentage selects a gradient map when p + margin exceeds the map's
/// percentage, so that a typed 0.01 picks the 0.01 % map despite rounding.
inline constexpr double kPercentageMargin = 1e-10;

/// Longest map file name, its terminating zero included.
inline constexpr int kFileNameSize = 24;

}  // namespace tarnvale::climate
