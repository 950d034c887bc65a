#pragma once
// ClimateGrid: one radio-climate map, its lattice and (once read) its values.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "climate/ClimateConstants.h"

namespace tarnvale {

/// One map of a radio-climate quantity on a regular latitude/longitude
/// lattice, read from a plain-text file of rows x columns numbers (row 0 the
/// northernmost, each row west to east; any white space between numbers).
///
/// Memory: rows x columns doubles once loaded (1.9 MB for a 0.5-degree map,
/// 228 KB for a 1.5-degree one), nothing before. A value type; load() is the
/// only mutating operation, valueAt() is safe to call from several threads
/// on a grid that is not being loaded at the same time.
struct ClimateGrid {
  double percentage = 0.0;  ///< percentage of time the map stands for (%)
  std::array<char, climate::kFileNameSize> fileName{};  ///< zero-terminated
  double latitudeOrigin = 0.0;   ///< latitude of the southernmost row (degrees)
  double latitudeStep = 0.0;     ///< row spacing (degrees)
  std::int32_t rows = 0;
  double longitudeOrigin = 0.0;  ///< longitude of column 0 (degrees east)
  double longitudeStep = 0.0;    ///< column spacing (degrees)
  std::int32_t columns = 0;
  std::vector<double> data;      ///< rows x columns values row by row; empty until loaded

  ClimateGrid() = default;
  /// A map named @p name (truncated to 23 characters) standing for
  /// @p percentage % of time on @p lattice, not loaded.
  ClimateGrid(std::string_view name, double percentage, const climate::GridLattice& lattice);

  std::string_view name() const;
  bool isLoaded() const;

  /// Reads the file named fileName in @p directory (an empty path means the
  /// working directory): rows x columns numbers as C's "%lf" reads them,
  /// separated by any white space; anything after the last needed value is
  /// ignored. On success the values replace data and true is returned. A
  /// missing file, a token that is not a number or too few numbers leave data
  /// untouched and return false.
  bool load(const std::filesystem::path& directory);

  /// The map's value at a point.
  /// @param[in] latitude degrees, north positive
  /// @param[in] longitude degrees, east positive (a 0..360 map also takes -180..0)
  /// @param[in] interpolate false: the stored value of the nearest node,
  ///   missing-data marker included; true: the cone-weighted mean of the four
  ///   nodes around the point that hold data
  /// @param[out] value the result, in the map's unit; untouched on failure
  /// @return false when the map is not loaded, the point lies off the map or
  ///   (interpolating) no node around it holds data
  bool valueAt(double latitude, double longitude, bool interpolate, double& value) const;

  /// Latitude of @p row and longitude of @p column (degrees).
  double rowLatitude(int row) const;
  double columnLongitude(int column) const;
  /// Stored value at @p row, @p column; the caller keeps both in range.
  double at(int row, int column) const { return data[static_cast<std::size_t>(row) * columns + column]; }

 private:
  bool nearestValue(double latitude, double longitude, double& value) const;
  bool interpolatedValue(double latitude, double longitude, double& value) const;
  /// Stored column of the (possibly one-past-the-seam) column index @p k;
  /// -1 when there is none.
  int storedColumn(long k) const;
};

}  // namespace tarnvale
