#pragma once
// Reading a terrain profile supplied as CSV text: one sample a line,
// "dist_km,height_m[,zone[,clutter_m]]".
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "terrain/TerrainProfile.h"

namespace tarnvale {

/// The columns of a supplied profile, its distances counted from the first sample.
struct ProfileColumns {
  std::vector<double> dist;          ///< km from the first sample: 0 first, strictly increasing
  std::vector<double> height;        ///< ground height (m above mean sea level)
  std::vector<std::uint8_t> zone;    ///< the program's zone codes (1 sea, 2 coastal land, 3 inland)
  std::vector<double> clutter;       ///< clutter height per sample (m); empty when the file has no such column
};

/// Limits of a supplied profile.
struct ProfileCsvLimits {
  std::size_t maxSamples = 1000;     ///< most samples
  double maxLengthKm = 3000.0;       ///< longest distance from the first to the last sample
  double lowestHeightM = -500.0;     ///< no terrain below the lowest shore
  double highestHeightM = 10000.0;   ///< nor above the highest summit
  double highestClutterM = 1000.0;   ///< tallest clutter
};

/// Reads a profile file. A first line that does not start with two numbers
/// is a header; the 4th column is read as clutter height only when the
/// header names it "clutter_m" (the profile command's 4th column, the earth
/// bulge, is not clutter). Blank lines are skipped; a missing zone means
/// inland. The distances are moved to start at 0, whatever the file starts at.
/// Never throws.
/// @param[out] table filled on success
/// @param[out] message why the file was refused (one line, "line 12: ...")
/// @return false for an unreadable file, a line that is not text or not
///   numbers, a zone other than 1, 2 or 3, a height or clutter outside the
///   limits, distances that do not increase, fewer than 3 or more than
///   maxSamples samples, or a profile longer than maxLengthKm
bool ReadProfileCsv(const std::string& file, const ProfileCsvLimits& limits, ProfileColumns& table,
                    std::string& message);

/// Checks columns given as arrays (not read from a file) as ReadProfileCsv
/// checks a file's lines, and moves the distances to start at 0. The four
/// arrays must be of one length (clutter may be empty). Never throws.
/// @param[out] message why not, naming the sample ("sample 12: distances must increase")
bool CheckProfileColumns(ProfileColumns& columns, const ProfileCsvLimits& limits, std::string& message);

/// @p columns as the classic model's profile: distances, heights and zones,
/// n and the path length (the last distance). False, leaving @p profile as
/// it was, for more samples than TerrainProfile::kCapacity.
bool ColumnsToProfile(const ProfileColumns& columns, TerrainProfile& profile);

}  // namespace tarnvale
