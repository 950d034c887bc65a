#pragma once
// The texts of the Radio Refractivity Data page: the climate at both ends
// and the path's median K factor, looked up afresh each time it is shown.
#include <string>

#include "climate/Refractivity.h"
#include "geo/Locator.h"

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

}  // namespace tarnvale
