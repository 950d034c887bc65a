#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/LocationArgs.h"

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
  double easting = 0.0, northing = 0.0;
  const bool onGrid = location.gridEastingNorthing(easting, northing);
  const std::string loc = location.toText(kFormatLocator, DisplayPrecision(kFormatLocator));
  const std::string ngr = location.toText(kFormatGridReference, DisplayPrecision(kFormatGridReference));
  const std::string deg = location.toText(kFormatDegrees, DisplayPrecision(kFormatDegrees));
  const std::string dms = location.toText(kFormatDms, DisplayPrecision(kFormatDms));

  if (options.json) {
    j["latitude"] = location.latitude();
    j["longitude"] = location.longitude();
    j["loc"] = loc;
    j["ngr"] = ngr;
    j["deg"] = deg;
    j["dms"] = dms;
    // Whole metres; 0 where the point has no grid reference.
    j["easting"] = static_cast<long long>(onGrid ? easting : 0.0);
    j["northing"] = static_cast<long long>(onGrid ? northing : 0.0);
    io.out << j.dump(2) << "\n";
  } else {
    io.out << "valid      yes\n"
           << "latitude   " << fixed9(location.latitude()) << "\n"
           << "longitude  " << fixed9(location.longitude()) << "\n"
           << "loc        " << loc << "\n"
           << "ngr        " << ngr << "\n"
           << "deg        " << deg << "\n"
           << "dms        " << dms << "\n"
           << "easting    " << static_cast<long long>(onGrid ? easting : 0.0) << "\n"
           << "northing   " << static_cast<long long>(onGrid ? northing : 0.0) << "\n";
  }
  return kExitOk;
}

}  // namespace tarnvale::cli
