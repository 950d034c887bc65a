#pragma once
// The reports the command line prints with --json and the Python module
// returns as dicts: one builder for both, so they hold the same keys and the
// same numbers to the last bit.
#include <nlohmann/json.hpp>

#include "geo/Locator.h"

namespace tarnvale {

/// A location in every format ("valid", "latitude", "longitude", "loc",
/// "ngr", "deg", "dms", "easting", "northing"); an invalid one has
/// "valid": false and null for the rest.
nlohmann::json LocateReport(const CLocator& location);

}  // namespace tarnvale
