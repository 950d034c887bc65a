#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "geo/LocationText.h"

namespace tarnvale::cli {
namespace {

std::string fixed9(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.9f", value);
  return buf;
}

}  // namespace

int RunLocate(const LocateOptions& options, Io& io) {
  CLocator location = ParseLocation(options.text, options.format);
  const bool valid = location.isValid();
  nlohmann::json j;
  j["valid"] = valid;
  if (!valid) {
    for (const char* key : {"latitude", "longitude", "loc", "ngr", "deg", "dms", "easting", "northing"})
      j[key] = nullptr;
    if (options.json)
      io.out << j.dump(2) << "\n";
    else
      io.out << "valid      no\n";
    return kExitInvalid;
  }
  const LocationTexts t = DescribeLocation(location);

  if (options.json) {
    j["latitude"] = location.latitude();
    j["longitude"] = location.longitude();
    j["loc"] = t.loc;
    j["ngr"] = t.ngr;
    j["deg"] = t.deg;
    j["dms"] = t.dms;
    // Whole metres; 0 where the point has no grid reference.
    j["easting"] = t.easting;
    j["northing"] = t.northing;
    io.out << j.dump(2) << "\n";
  } else {
    io.out << "valid      yes\n"
           << "latitude   " << fixed9(location.latitude()) << "\n"
           << "longitude  " << fixed9(location.longitude()) << "\n"
           << "loc        " << t.loc << "\n"
           << "ngr        " << t.ngr << "\n"
           << "deg        " << t.deg << "\n"
           << "dms        " << t.dms << "\n"
           << "easting    " << t.easting << "\n"
           << "northing   " << t.northing << "\n";
  }
  return kExitOk;
}

}  // namespace tarnvale::cli
