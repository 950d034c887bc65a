#include <cstdio>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "geo/LocationText.h"
#include "session/Reports.h"

namespace tarnvale::cli {
namespace {

std::string fixed9(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.9f", value);
  return buf;
}

}  // namespace

int RunLocate(const LocateOptions& options, Io& io) {
  const CLocator location = ParseLocation(options.text, options.format);
  if (options.json) {
    io.out << LocateReport(location).dump(2) << "\n";
  } else if (!location.isValid()) {
    io.out << "valid      no\n";
  } else {
    const LocationTexts t = DescribeLocation(location);
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
  return location.isValid() ? kExitOk : kExitInvalid;
}

}  // namespace tarnvale::cli
