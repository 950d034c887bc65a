#pragma once
// The reports the command line prints with --json and the Python module
// returns as dicts: one builder for both, so they hold the same keys and the
// same numbers to the last bit.
#include <nlohmann/json.hpp>

#include <ostream>
#include <string>

#include "climate/Zones.h"
#include "geo/Locator.h"
#include "link/LinkBudget.h"
#include "terrain/Srtm.h"

namespace tarnvale {

/// A location in every format ("valid", "latitude", "longitude", "loc",
/// "ngr", "deg", "dms", "easting", "northing"); an invalid one has
/// "valid": false and null for the rest.
nlohmann::json LocateReport(const CLocator& location);

/// The names of the tiles a run wanted and did not find, as a JSON array.
nlohmann::json MissingTilesJson(const CSRTM& terrain);

/// One warning line for each tile @p terrain wanted and did not find
/// ("<prefix>warning: <why>").
void WarnMissingTiles(const CSRTM& terrain, std::ostream& err, const std::string& prefix);
/// The zone map's problem, when it has one, as a warning line.
void WarnZoneMapProblem(const CZONES& zones, std::ostream& err, const std::string& prefix);

/// The budget under the keys loss_dB, eirp_dBm, eirp_W, tx_gain_toward_dBi,
/// rx_gain_toward_dBi, received_dBm, field_dBuV_m, margin_dB (null for a
/// value that is not finite).
nlohmann::json LinkJson(const LinkBudget& budget);

/// The budget as a short block of text: a heading and one line a figure.
void PrintLinkBudget(const LinkBudget& budget, std::ostream& out);

}  // namespace tarnvale
