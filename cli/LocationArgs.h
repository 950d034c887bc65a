#pragma once
// How the command line turns a location text and a format name into a CLocator.
#include <map>
#include <string>

#include "geo/Locator.h"

namespace tarnvale::cli {

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

}  // namespace tarnvale::cli
