#pragma once
// Turning a great-circle path into a terrain profile: equally spaced samples
// from the transmitter towards the receiver with their ground height, zone
// code and earth bulge.
#include "climate/Zones.h"
#include "geo/Path.h"
#include "terrain/Srtm.h"
#include "terrain/TerrainProfile.h"

namespace tarnvale {

/// Figures of the profile sampler.
namespace profile {

/// Paths shorter than this (km) have no profile.
inline constexpr double kMinPathKm = 0.1;
/// Spacing of the samples on paths of 2 km and more (km), and the amount it
/// grows by, one step at a time, until the samples fit the point limit.
inline constexpr double kBaseSpacingKm = 0.025;
/// Below this length (km) the path is cut into kShortPathFraction parts.
inline constexpr double kShortPathKm = 2.0;
inline constexpr double kShortPathFraction = 0.05;
/// Mean Earth radius (km) scaled by the effective earth-radius factor.
inline constexpr double kEarthRadiusKm = 6371.0;
inline constexpr double kMetresPerKm = 1000.0;
/// Mid-path bulge L^2 / (8 Re) with L and Re in km, in metres: 1000 / 8.
inline constexpr double kMidBulgeFactor = 125.0;
/// maxHeight before the first sample (m).
inline constexpr double kNoHeight = -9999.0;

}  // namespace profile

/// Spacing of the samples of a path and how many there are.
struct ProfileSpacing {
  double spacingKm = 0.0;  ///< s (km)
  int samples = 0;         ///< N = floor(L / s)
};

/// The spacing for a path of @p lengthKm (at least 0.1 km, finite): 0.025 km,
/// or 0.05 L below 2 km, then grown by 0.025 km at a time while L / s exceeds
/// @p pointLimit (samples).
ProfileSpacing ChooseSpacing(double lengthKm, int pointLimit);

/// Fills @p profile from @p path. Allocates nothing: the profile's arrays are
/// used as they are (they must hold TerrainProfile::kCapacity samples).
///
/// The samples lie at 0, s, 2s ... (N - 1) s km from the transmitter, with
/// s = 0.025 km (0.05 L below 2 km) grown by 0.025 km at a time while L / s
/// exceeds the point limit (999, or 250 for a coverage run), and N = floor(L/s).
/// Sea and missing heights are stored as 0. The bulge is measured above the
/// chord between the ends on a sphere of radius 6371 k km, and is 0 at the
/// first and last samples and throughout a coverage run.
///
/// @param profile filled in place; on failure n, pathLength and the arrays
///        keep their contents (maxHeight is reset to 0)
/// @param path the great circle from the transmitter (km, degrees)
/// @param k effective earth-radius factor (dimensionless)
/// @param coverage true for one point of an area-coverage map: 250 samples at
///        most, no bulge, midBulge left as it is
/// @param interpolate passed to CSRTM::heightAt
/// @param terrain ground heights
/// @param zones zone codes
/// @return false for a path shorter than 0.1 km, a path not set, or an earth
///         radius (6371 k km) that cannot hold a chord of the path's length
bool SampleProfile(TerrainProfile& profile, const CPath& path, double k, bool coverage, bool interpolate,
                   const CSRTM& terrain, const CZONES& zones);

}  // namespace tarnvale
