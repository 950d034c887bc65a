#include "session/Reports.h"

#include "geo/LocationText.h"

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

}  // namespace tarnvale
