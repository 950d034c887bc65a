#pragma once
// Layout of an SRTM 3-arc-second tile file and the figures of the tile store.
// Every number the store works with is named here, once.
#include <cstddef>
#include <cstdint>

namespace tarnvale::srtm {

/// Samples along each edge of a tile: 1200 spacings plus the shared edge.
inline constexpr int kTileEdge = 1201;
/// Spacings per degree (3 arc-seconds).
inline constexpr int kSamplesPerDegree = 1200;
/// Last row and column index of a tile.
inline constexpr int kLastIndex = kTileEdge - 1;
/// Samples in one tile (1 442 401).
inline constexpr std::size_t kTileSamples = std::size_t{kTileEdge} * kTileEdge;
/// Bytes read from the start of a tile file (big-endian int16 samples).
inline constexpr std::size_t kTileBytes = kTileSamples * sizeof(std::int16_t);

/// Sample spacing (degrees), held as the double 1/1200: the index arithmetic
/// divides by this value, not multiplies by 1200, so rounding matches at the
/// grid lines.
inline constexpr double kSpacingDeg = 1.0 / kSamplesPerDegree;
/// Half a spacing: the offset to the four corners of an interpolation cell.
inline constexpr double kHalfSpacingDeg = 1.0 / (2.0 * kSamplesPerDegree);

/// Returned heights (m).
inline constexpr int kSeaValue = 0;
inline constexpr int kMissingValue = -32767;
/// Stored values at or below this are voids; between it and kLowestLand they
/// are taken as sea.
inline constexpr int kVoidLimit = -32767;
inline constexpr int kLowestLand = -150;

/// Usage scores of the cache slots: the step applied when a score passes
/// either limit, and the limits themselves.
inline constexpr std::int32_t kScoreStep = 100;
inline constexpr std::int32_t kScoreLimit = 100000;

/// The availability map: one flag per 1 degree cell of the world.
inline constexpr int kCellRows = 180;
inline constexpr int kCellColumns = 360;
inline constexpr int kSouthmostCell = -90;  ///< corner latitude of map row 0
inline constexpr int kWestmostCell = -180;  ///< corner longitude of map column 0

/// Points answered by the store: -90 <= latitude < 90, -180 <= longitude < 180.
inline constexpr double kMinLatitude = -90.0;
inline constexpr double kMaxLatitude = 90.0;
inline constexpr double kMinLongitude = -180.0;
inline constexpr double kMaxLongitude = 180.0;

/// Turns used when a grid corner is folded back onto the map (degrees).
inline constexpr double kHalfTurnDeg = 180.0;
inline constexpr double kFullTurnDeg = 360.0;

/// Slots of the program's store.
inline constexpr int kDefaultSlots = 9;

}  // namespace tarnvale::srtm
