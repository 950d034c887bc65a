#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "geo/LocationText.h"
#include "geo/Path.h"

namespace tarnvale::cli {

int ResolveEnds(const EndsOptions& ends, CLocator& tx, CLocator& rx, Io& io) {
  const int txFormat = ends.txFormat >= 0 ? ends.txFormat : ends.format;
  const int rxFormat = ends.rxFormat >= 0 ? ends.rxFormat : ends.format;
  tx = LocationIn(ends.tx, txFormat);
  rx = LocationIn(ends.rx, rxFormat);
  if (!rx.isValid()) io.err << "Invalid RX Locator\n";
  if (!tx.isValid()) io.err << "Invalid TX Locator\n";
  return (tx.isValid() && rx.isValid()) ? kExitOk : kExitInvalid;
}

int RunRange(const RangeOptions& options, Io& io) {
  CLocator tx, rx;
  if (const int status = ResolveEnds(options.ends, tx, rx, io); status != kExitOk) return status;
  CPath path;
  path.setEnds(tx, rx);
  double rangeKm = 0.0, bearingDeg = 0.0;
  path.rangeBearing(rangeKm, bearingDeg);
  if (options.json) {
    nlohmann::json j;
    j["range_km"] = rangeKm;
    j["bearing_deg"] = bearingDeg;
    io.out << j.dump(2) << "\n";
  } else {
    char buf[128];
    std::snprintf(buf, sizeof buf, "range    %.6f km\nbearing  %.6f deg\n", rangeKm, bearingDeg);
    io.out << buf;
  }
  return kExitOk;
}

}  // namespace tarnvale::cli
