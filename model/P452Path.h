#pragma once
// The P.452-18 inputs of a terrain path between two ends: the radio profile
// from the program's sampled profile (the one `tarnvale-cli profile` prints
// for the same ends), the coastal distances from its zones, and N0 and DN
// from the climate maps at the path centre.
#include <cstdint>

#include "climate/Refractivity.h"
#include "climate/Zones.h"
#include "geo/Locator.h"
#include "model/P452Inputs.h"
#include "model/P452Results.h"
#include "terrain/Srtm.h"
#include "terrain/TerrainProfile.h"

namespace tarnvale {

/// Distance to the coast (km) given to a terminal on a path that meets no
/// sea, as ITU's examples do: beyond 5 km any value gives the same loss.
inline constexpr double kP452NoCoastKm = 500.0;
/// N0 (N-units) and DN (N-units/km) where the maps have no value.
inline constexpr double kP452FallbackN0 = 320.0;
inline constexpr double kP452FallbackDeltaN = 45.0;

/// What a terrain path takes besides the ends and the radio figures.
struct P452PathOptions {
  bool interpolate = false;     ///< interpolate the terrain heights, as `profile --interpolate`
  double clutterHeight = 0.0;   ///< representative clutter height R of every land point (m)
  double dct = -1.0;            ///< transmitter's distance to the coast (km); negative: from the zones
  double dcr = -1.0;            ///< receiver's distance to the coast (km); negative: from the zones
  double kFactor = 0.0;         ///< forced median effective Earth-radius factor; 0: DN from the maps
};

/// Fills the profile part of @p inputs from @p n samples of a profile: d,
/// h, the zones in ITU's codes (see ItuZone), R = @p clutterHeight (m) on
/// land and 0 at sea, and dct/dcr (km) unless given (not negative): from the
/// first sample to the middle of the step into the first sea sample and from
/// the middle of the step out of the last sea sample to the last sample (0
/// for a terminal at sea), kP452NoCoastKm on a path that meets no sea. The
/// ends and the radio figures are left as they are. Allocates only when the
/// profile is longer than any before.
/// @param dist km from the first sample @param height m @param zone the
///   program's codes (1 sea, 2 coastal land, 3 inland, others coastal land)
/// @return false for fewer than 4 samples
bool P452ProfileInputs(const double* dist, const double* height, const std::uint8_t* zone, int n,
                       double clutterHeight, double dct, double dcr, P452Inputs& inputs);

/// The path centre of @p inputs (degrees): half the profile's length from
/// the transmitter along the great circle towards the receiver, as the
/// model finds it; the longitude within -180 to 180.
void P452PathCentre(const P452Inputs& inputs, double& latitude, double& longitude);

/// Sets N0 and DN of @p inputs from the maps at the path centre,
/// interpolated; both count only when both are found, else
/// kP452FallbackN0 and kP452FallbackDeltaN. A forced factor @p kFactor > 0
/// replaces DN by 157 (1 - 1 / k).
/// @return true when the maps gave both values
bool P452ClimateAtCentre(const CRefractivity& climate, double kFactor, P452Inputs& inputs);

/// All of the above for the path from @p tx to @p rx: samples it into
/// @p profile as `tarnvale-cli profile` does (its earth bulge, for display
/// only, drawn for the forced factor or 4/3), then fills the profile part,
/// the ends (the path centre from them) and the climate of @p inputs.
/// @param[out] climateFound when given: whether the maps gave N0 and DN
/// @return false for a path too short to sample or of fewer than 4 samples
bool P452PathInputs(const CSRTM& terrain, const CZONES& zones, const CRefractivity& climate, const CLocator& tx,
                    const CLocator& rx, const P452PathOptions& options, TerrainProfile& profile, P452Inputs& inputs,
                    bool* climateFound = nullptr);

/// Water-vapour density (g/m^3) the model takes on a path of which
/// @p omega is over sea: 7.5 + 2.5 omega.
double P452PathVapourDensity(double omega);

/// The gaseous loss (dB) within the line-of-sight loss Lbfsg of a result:
/// the specific attenuation at P452PathVapourDensity(omega), the inputs'
/// dry-air pressure and temperature, over the slant distance between the
/// antennas. Diffraction and ducting carry the same; troposcatter its own
/// (3 g/m^3).
double P452PathGasLoss(const P452Inputs& inputs, const P452Results& results);

}  // namespace tarnvale
