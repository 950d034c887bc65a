// tarnvale-cli path and mechanisms: the options made into the core's path
// request, which runs and reports the path as the Python module does.
#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/ModelOptions.h"
#include "session/PathRun.h"

namespace tarnvale::cli {
namespace {

/// The request of the options, the ends resolved and a supplied profile
/// read; a status other than kExitOk (its message told) ends the run.
int requestFrom(const PathOptions& o, bool mechanisms, PathRequest& r, Io& io) {
  const bool p452 = o.model.isP452();
  // P.452-18's bounds come first: the ten percentages of the curves lie within them.
  if (p452)
    if (const int status = CheckP452Radio(o.frequency, mechanisms ? kP452MaxPercent : o.percent, io);
        status != kExitOk)
      return status;
  r.linkGiven = o.link.given();
  std::string error;
  if (r.linkGiven && !LinkRecordFrom(o.link, r.link, error)) {
    io.err << "tarnvale-cli: " << error << "\n";
    return kExitUsage;
  }
  r.choice = o.model.choice();
  r.txHeight = o.txHeight;
  r.rxHeight = o.rxHeight;
  r.frequency = o.frequency;
  r.percent = o.percent;
  r.temperature = o.temperature;
  r.pressure = o.pressure;
  r.humidity = o.humidity;
  r.kFactor = o.kFactor;
  r.interpolate = o.interpolate;
  r.terrain = o.terrain;
  r.climate = o.climate;
  if (!o.profileFile.empty()) {
    r.supplied = true;
    r.latitude = o.latitude;
    r.n0 = o.n0;
    r.deltaN = o.deltaN;
    if (!ReadProfileCsv(o.profileFile, SuppliedProfileLimits(p452), r.profile, error)) {
      io.err << "tarnvale-cli: " << error << "\n";
      return kExitUsage;
    }
    return kExitOk;
  }
  const bool byRange = o.ends.rx.empty();
  if (o.ends.tx.empty() || (byRange && (o.rangeKm < 0 || o.bearingDeg < 0))) {
    io.err << "tarnvale-cli: give --tx and either --rx or --range and --bearing (or --profile FILE)\n";
    return kExitUsage;
  }
  EndsOptions ends = o.ends;
  if (byRange) ends.rx = ends.tx;  // the receiver follows from the range and bearing
  if (const int status = ResolveEnds(ends, r.tx, r.rx, io); status != kExitOk) return status;
  r.byRange = byRange;
  r.rangeKm = o.rangeKm;
  r.bearingDeg = o.bearingDeg;
  return kExitOk;
}

}  // namespace

int RunPath(const PathOptions& o, Io& io) {
  PathRequest request;
  if (const int status = requestFrom(o, false, request, io); status != kExitOk) return status;
  PathRunOutput output{io.out, io.err, "tarnvale-cli: "};
  return RunPathReport(request, o.json, output);
}

int RunMechanisms(const PathOptions& o, Io& io) {
  PathRequest request;
  if (const int status = requestFrom(o, true, request, io); status != kExitOk) return status;
  PathRunOutput output{io.out, io.err, "tarnvale-cli: "};
  return RunMechanismsReport(request, o.json, output);
}

}  // namespace tarnvale::cli
