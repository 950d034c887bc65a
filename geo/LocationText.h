#pragma once
// A location text and a format name (as the command line and scripts give
// them) turned into a CLocator, with the format found when none is given.
#include <map>
#include <string>

#include "geo/Locator.h"

namespace tarnvale {

/// Format names accepted by --format and friends, with their InputFormat codes.
const std::map<std::string, int>& FormatNames();

/// The location that @p text denotes in @p format. In the decimal-degrees
/// format two plain signed numbers ("51.35,-1.46" or "51.35 -1.46") are taken
/// as latitude and longitude too.
CLocator ParseLocation(const std::string& text, int format);

/// @p text in @p format, or, when @p format is negative, in the first format
/// that reads it: locator, grid reference, decimal degrees,
/// degrees-minutes-seconds. Not valid when none does.
CLocator LocationIn(const std::string& text, int format);

/// A point written in every format, as locate shows it.
struct LocationTexts {
  std::string loc;        ///< Maidenhead locator at the display precision
  std::string ngr;        ///< National Grid reference
  std::string deg;        ///< decimal degrees
  std::string dms;        ///< degrees, minutes, seconds
  long long easting = 0;  ///< National Grid easting (whole m); 0 where the point has no grid reference
  long long northing = 0; ///< National Grid northing (whole m); 0 likewise
};

/// @p location (valid) in the four formats at the program's display
/// precisions, and its grid coordinates.
LocationTexts DescribeLocation(const CLocator& location);

}  // namespace tarnvale
