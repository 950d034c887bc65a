#pragma once
// A terrain profile supplied as text: "dist_km,height_m[,zone[,clutter_m]]"
// lines, as tarnvale-cli profile writes them and as other tools export them.
#include <string>
#include <vector>

#include "terrain/TerrainProfile.h"

namespace tarnvale {

/// Ground heights a supplied profile may hold (m): below the lowest shore
/// and above the highest summit there is no terrain to describe.
inline constexpr double kLowestProfileHeightM = -500.0;
inline constexpr double kHighestProfileHeightM = 10000.0;
/// Representative clutter heights a profile may give (m).
inline constexpr double kHighestClutterM = 1000.0;

/// What a profile file holds beyond the profile itself.
struct SuppliedProfileExtras {
  /// Representative clutter height of each sample (m), from a fourth column;
  /// empty when no line gives one (a line without it then means 0).
  std::vector<double> clutterM;
};

/// Reads "dist_km,height_m[,zone[,clutter_m]]" lines from @p path into
/// @p profile: a first line that is not numbers is a header; blank lines are
/// skipped; zones are 1 (sea), 2 (coastal land) or 3 (inland), 3 when
/// absent. The distances are counted from the first sample, whatever the file
/// starts at, and must increase; at least 3 and at most
/// TerrainProfile::kCapacity samples, covering at most @p maxLengthKm.
/// @return false with the reason in @p error (naming the line where there is
///         one), the profile then not meaningful
bool ReadProfileCsv(const std::string& path, double maxLengthKm, TerrainProfile& profile,
                    SuppliedProfileExtras& extras, std::string& error);

}  // namespace tarnvale
