#pragma once
// What the Area Coverage page hands the coverage engine: the limits of its
// fields, the model inputs taken from the Input Data page with the climate
// pair of the last profile run, and the text of the map's centre.
#include <string>

#include "geo/Locator.h"
#include "maps/Coverage.h"
#include "model/ModelDriver.h"
#include "session/InputLimits.h"
#include "session/Session.h"

namespace tarnvale {

inline constexpr InputLimits kCoverageRangeLimits{"CoverageRange", 1.0, 3000.0, 0};          ///< km
inline constexpr InputLimits kCoverageResolutionLimits{"CoverageResolution", 1.0, 16.0, 0};  ///< pixels a sample
inline constexpr InputLimits kMaxLossLimits{"MaxLoss", 1.0, 400.0, 0};                       ///< dB
inline constexpr InputLimits kMinLossLimits{"MinLoss", 0.0, 399.0, 0};                       ///< dB
inline constexpr InputLimits kMaxHeightLimits{"MaxHeight", 0.0, 10000.0, 0};                 ///< m
inline constexpr InputLimits kMinHeightLimits{"MinHeight", -1000.0, 10000.0, 0};             ///< m

/// The inputs of every model run of a map: frequency, time percentage,
/// antenna heights and the forced K factor from @p fields (terrain never
/// interpolated), N0 and delta-N from the fallback pair that the last
/// successful profile run stored in @p driver, and the specific gaseous
/// attenuation of the page's weather, computed once for the map.
CoverageInputs CoverageInputsFrom(const InputValues& fields, const ModelDriver& driver);

/// The map centre as "System Data" shows it: the transmitter in
/// degrees-minutes-seconds.
std::string CoverageCentreText(const CLocator& transmitter);

}  // namespace tarnvale
