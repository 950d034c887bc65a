#include "session/Reports.h"

#include <cmath>

#include "geo/LocationText.h"
#include "session/LinkSetup.h"
#include "terrain/MissingTiles.h"

namespace tarnvale {

nlohmann::json LocateReport(const CLocator& location) {
  nlohmann::json j;
  j["valid"] = location.isValid();
  if (!location.isValid()) {
    for (const char* key : {"latitude", "longitude", "loc", "ngr", "deg", "dms", "easting", "northing"})
      j[key] = nullptr;
    return j;
  }
  const LocationTexts t = DescribeLocation(location);
  j["latitude"] = location.latitude();
  j["longitude"] = location.longitude();
  j["loc"] = t.loc;
  j["ngr"] = t.ngr;
  j["deg"] = t.deg;
  j["dms"] = t.dms;
  // Whole metres; 0 where the point has no grid reference.
  j["easting"] = t.easting;
  j["northing"] = t.northing;
  return j;
}

nlohmann::json MissingTilesJson(const CSRTM& terrain) {
  nlohmann::json names = nlohmann::json::array();
  for (const MissingTile& tile : terrain.missingTiles()) names.push_back(tile.name);
  return names;
}

void WarnMissingTiles(const CSRTM& terrain, std::ostream& err, const std::string& prefix) {
  for (const MissingTile& tile : terrain.missingTiles())
    err << prefix << "warning: " << MissingTileText(tile, terrain.terrainDirectory()) << "\n";
}

void WarnZoneMapProblem(const CZONES& zones, std::ostream& err, const std::string& prefix) {
  if (!zones.problem().empty()) err << prefix << "warning: " << zones.problem() << "\n";
}

nlohmann::json LinkJson(const LinkBudget& b) {
  const auto number = [](double v) { return std::isfinite(v) ? nlohmann::json(v) : nlohmann::json(); };
  return {{"loss_dB", number(b.lossDb)},
          {"eirp_dBm", number(b.eirpDbm)},
          {"eirp_W", number(b.eirpW)},
          {"tx_gain_toward_dBi", number(b.txGainTowardDbi)},
          {"rx_gain_toward_dBi", number(b.rxGainTowardDbi)},
          {"received_dBm", number(b.receivedDbm)},
          {"field_dBuV_m", number(b.fieldDbuVPerM)},
          {"margin_dB", number(b.marginDb)}};
}

void PrintLinkBudget(const LinkBudget& budget, std::ostream& out) {
  out << "Link budget\n";
  for (const LinkBudgetLine& line : LinkBudgetLines(budget, false)) out << "  " << line.caption << " " << line.value << "\n";
}

}  // namespace tarnvale
