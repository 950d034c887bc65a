#pragma once
// The texts of the Radio Refractivity Data page: the climate at both ends
// and the path's median K factor, looked up afresh each time it is shown.
#include <string>

#include "climate/Refractivity.h"
#include "geo/Locator.h"
#include "model/ModelDriver.h"

namespace tarnvale {

struct SiteClimateTexts {
  std::string n0;            ///< "326.9 N units" or "No data"
  std::string deltaN;        ///< "42.6 N units/km" or "No data"
  std::string surfaceDuct;   ///< "12.3 %" or "No data"
  std::string elevatedDuct;  ///< "45.6 %" or "No data"
};

struct ClimatePageTexts {
  std::string percentTime;   ///< PTime: FormatGeneral(p, 5) + " %"
  std::string kFactor;       ///< Kfact: FormatFixed(k, 4, 1) or "Defaulting to 1.333"
  SiteClimateTexts transmitter;
  SiteClimateTexts receiver;
};

/// The page's texts for the two ends as they are now (valid or not) and the
/// time percentage @p percent. The forced K factor plays no part.
ClimatePageTexts ClimatePage(const CRefractivity& climate, const CLocator& tx, const CLocator& rx, double percent);

/// The line that says where a path's N0 and delta-N came from when not from
/// the maps: "No radio-climate maps found: N0 320 and ΔN 45 used" (n0.txt or
/// dn.txt missing), "No radio-climate data at mid-path: N0 320 and ΔN 45
/// used" (the maps have no value there); with a forced K factor "…: N0 320
/// used, ΔN from the K factor". Empty when the maps gave both.
/// @param n0 N-units @param deltaN N-units/km, as the model used them
std::string ClimateStatusText(ClimateSource source, double n0, double deltaN, bool forcedKFactor);

/// The command line's name of a source: "maps" when the maps gave N0 and
/// delta-N, "default" otherwise.
const char* ClimateSourceName(ClimateSource source);

}  // namespace tarnvale
