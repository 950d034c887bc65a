// tarnvale-cli path --model p452-18: one path under ITU-R P.452-18, over the
// terrain between two ends or over a supplied profile.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/LinkOptions.h"
#include "cli/MissingTilesReport.h"
#include "cli/ModelOptions.h"
#include "climate/Zones.h"
#include "model/ModelDriver.h"
#include "model/P452Curves.h"
#include "model/P452Model.h"
#include "model/P452Path.h"
#include "model/P452Values.h"
#include "session/LinkSetup.h"
#include "session/Session.h"
#include "terrain/ProfileCsv.h"

namespace tarnvale::cli {
namespace {

constexpr int kMinSamples = 4;
// A supplied profile may be longer than a sampled one (ITU's own examples
// reach 4252 points).
constexpr std::size_t kMaxProfileSamples = 100000;
constexpr int kTerrainSlots = 9;  // tiles kept in memory, as the profile command keeps

/// The link record of the options; false (a usage error told) when a
/// pattern file cannot be used.
bool linkRecordOf(const PathOptions& o, LinkRecord& link, Io& io) {
  std::string error;
  if (!o.link.given() || LinkRecordFrom(o.link, link, error)) return true;
  io.err << "tarnvale-cli: " << error << "\n";
  return false;
}

/// The radio figures of the options, with the antennas' peak gains of
/// @p link; the profile, ends and climate come later.
P452Inputs radioInputs(const PathOptions& o, const LinkRecord& link) {
  P452Inputs in;
  in.f = o.frequency;
  in.p = o.percent;
  in.htg = o.txHeight;
  in.hrg = o.rxHeight;
  ApplyModelChoice(o.model.choice(link), in);
  in.press = o.pressure;
  in.temp = o.temperature;
  return in;
}

/// The supplied profile: its zones in the program's codes, its clutter_m
/// column or the clutter height on land, the centre at --lat.
int readProfile(const PathOptions& o, P452Inputs& in, Io& io) {
  ProfileCsvLimits limits;
  limits.maxSamples = kMaxProfileSamples;
  limits.maxLengthKm = kRangeLimits.max;
  ProfileColumns table;
  std::string message;
  if (!ReadProfileCsv(o.profileFile, limits, table, message)) {
    io.err << "tarnvale-cli: " << message << "\n";
    return kExitUsage;
  }
  const int n = static_cast<int>(table.dist.size());
  if (!P452ProfileInputs(table.dist.data(), table.height.data(), table.zone.data(), n, o.model.clutterHeight,
                         o.model.dct, o.model.dcr, in)) {
    io.err << "tarnvale-cli: --model " << kP452ModelName << " needs a profile of at least " << kMinSamples
           << " samples\n";
    return kExitUsage;
  }
  if (!table.clutter.empty()) in.R = table.clutter;
  in.centreGiven = true;
  in.phim_n = o.latitude;
  in.phim_e = std::numeric_limits<double>::quiet_NaN();
  in.N0 = o.n0;
  in.DN = o.kFactor > 0.0 ? DeltaNForKFactor(o.kFactor) : o.deltaN;
  return kExitOk;
}

int tooShort(const PathOptions& o, const char* message, const CSRTM* terrain, Io& io) {
  if (o.json) {
    nlohmann::json j;
    j["ok"] = false;
    j["model"] = kP452ModelName;
    j["message"] = message;
    if (terrain) j["missingTiles"] = MissingTilesJson(*terrain);
    io.out << j.dump(2) << "\n";
  } else {
    io.out << message << "\n";
  }
  return kExitInvalid;
}

void printJson(const P452Results& r, const PathOptions& o, const CSRTM* terrain, const LinkBudget* budget, Io& io) {
  nlohmann::json j;
  j["ok"] = true;
  j["model"] = kP452ModelName;
  j["polarisation"] = o.model.polarisation;
  for (const P452Value& v : P452ValueList(r))
    j[v.name] = std::isfinite(v.value) ? nlohmann::json(v.value) : nlohmann::json();
  j["pathtype"] = P452PathTypeName(r);
  if (terrain) j["missingTiles"] = MissingTilesJson(*terrain);
  if (budget) j["link"] = LinkJson(*budget);
  io.out << j.dump(2) << "\n";
}

void printText(const P452Results& r, const P452Inputs& in, Io& io) {
  char line[256];
  std::snprintf(line, sizeof line, "ITU-R P.452-18, %s polarisation, %g GHz, %g %% of time, %s path\n",
                in.polarisation == P452Polarisation::kVertical ? "vertical" : "horizontal", in.f, in.p,
                r.transHorizon ? "trans-horizon" : "line-of-sight");
  io.out << line;
  std::snprintf(line, sizeof line,
                "Humidity is not used by this model: water vapour 7.5 + 2.5 x (fraction over sea) g/m3,\n"
                "3 g/m3 for troposcatter; the pressure, %g hPa, is taken as dry-air pressure.\n",
                in.press);
  io.out << line;
  const auto values = P452ValueList(r);
  for (int i = 0; i < kP452ValueCount; ++i) {
    if (i == 0) io.out << "Losses (gaseous loss included)\n";
    if (i == kP452LossCount) io.out << "Path\n";
    const P452Value& v = values[i];
    char number[32];
    if (std::isfinite(v.value))
      std::snprintf(number, sizeof number, "%.4f", v.value);
    else
      std::snprintf(number, sizeof number, "-");
    std::snprintf(line, sizeof line, "  %-8s %12s %-10s %s\n", v.name, number, v.unit, v.meaning);
    io.out << line;
  }
}

/// The inputs of the terrain path between the ends of @p o: its profile as
/// `tarnvale-cli profile` samples it and the climate at its centre (the
/// radio figures of @p in are left as they are). @p terrain receives the
/// store the run read.
int terrainInputs(const PathOptions& o, P452Inputs& in, std::unique_ptr<CSRTM>& terrain, bool& climateFound,
                  Io& io) {
  const bool byRange = o.ends.rx.empty();
  if (o.ends.tx.empty() || (byRange && (o.rangeKm < 0 || o.bearingDeg < 0))) {
    io.err << "tarnvale-cli: give --tx and either --rx or --range and --bearing (or --profile FILE)\n";
    return kExitUsage;
  }
  EndsOptions ends = o.ends;
  if (byRange) ends.rx = ends.tx;  // resolved below from the range and bearing
  CLocator tx, rx;
  if (const int status = ResolveEnds(ends, tx, rx, io); status != kExitOk) return status;
  if (byRange) {
    rx = Session::ReceiverFromRangeBearing(tx, o.bearingDeg, o.rangeKm);
    if (!rx.isValid()) {
      io.err << "Invalid RX Locator\n";
      return kExitInvalid;
    }
  }
  terrain = std::make_unique<CSRTM>(kTerrainSlots, o.terrain);
  if (!terrain->isValid()) {
    io.err << "tarnvale-cli: Initialisation Failure\n";
    return kExitInvalid;
  }
  const CZONES zones(o.terrain);
  const CRefractivity climate{std::filesystem::path(o.climate)};
  P452PathOptions options;
  options.interpolate = o.interpolate;
  options.clutterHeight = o.model.clutterHeight;
  options.dct = o.model.dct;
  options.dcr = o.model.dcr;
  options.kFactor = o.kFactor;
  TerrainProfile profile;
  const bool sampled = P452PathInputs(*terrain, zones, climate, tx, rx, options, profile, in, &climateFound);
  WarnMissingTiles(*terrain, io);
  WarnZoneMapProblem(zones, io);
  if (!sampled) return tooShort(o, "Path too short", terrain.get(), io);
  return kExitOk;
}

}  // namespace

int RunPathP452(const PathOptions& o, Io& io) {
  if (const int status = CheckP452Radio(o.frequency, o.percent, io); status != kExitOk) return status;
  LinkRecord link;
  if (!linkRecordOf(o, link, io)) return kExitUsage;
  // The gains toward the horizon troposcatter couples through: the peak
  // gains until the horizon rays are known.
  P452Inputs in = radioInputs(o, link);
  std::unique_ptr<CSRTM> terrain;
  CLocator tx, rx;
  if (!o.profileFile.empty()) {
    if (const int status = readProfile(o, in, io); status != kExitOk) return status;
  } else {
    bool climateFound = false;
    if (const int status = terrainInputs(o, in, terrain, climateFound, io); status != kExitOk) return status;
  }
  P452Model model;
  P452Results results;
  if (!model.Calculate(in, results)) return tooShort(o, results.error, terrain.get(), io);
  LinkBudget budget;
  if (o.link.given()) {
    const auto budgetOf = [&] {
      const LinkGeometry geometry = terrain ? PathLinkGeometry(tx, rx, results.theta_t, results.theta_r)
                                            : BoresightLinkGeometry(link, results.theta_t, results.theta_r);
      return ComputeLinkBudget(link, results.Lb, in.f, geometry);
    };
    budget = budgetOf();
    // With a pattern the gain toward the horizon ray differs from the peak:
    // the horizons do not depend on the gains, so one more run with the
    // gains toward them gives troposcatter's coupling loss its true gains.
    if (std::isfinite(budget.txGainTowardDbi) && std::isfinite(budget.rxGainTowardDbi) &&
        (budget.txGainTowardDbi != in.Gt || budget.rxGainTowardDbi != in.Gr)) {
      in.Gt = budget.txGainTowardDbi;
      in.Gr = budget.rxGainTowardDbi;
      if (!model.Calculate(in, results)) return tooShort(o, results.error, terrain.get(), io);
      budget = budgetOf();
    }
  }
  const LinkBudget* shown = o.link.given() ? &budget : nullptr;
  if (o.json) {
    printJson(results, o, terrain.get(), shown, io);
  } else {
    printText(results, in, io);
    if (shown) PrintLinkBudget(*shown, io.out);
  }
  return kExitOk;
}

int RunMechanismsP452(const PathOptions& o, Io& io) {
  // The ten percentages lie within the model's bounds; the frequency must too.
  if (const int status = CheckP452Radio(o.frequency, kP452MaxPercent, io); status != kExitOk) return status;
  LinkRecord link;
  if (!linkRecordOf(o, link, io)) return kExitUsage;
  P452Inputs in = radioInputs(o, link);
  std::unique_ptr<CSRTM> terrain;
  bool climateFound = false;
  if (const int status = terrainInputs(o, in, terrain, climateFound, io); status != kExitOk) return status;
  P452Model model;
  const auto points = P452MechanismCurves(model, in);
  bool any = false;
  for (const MechanismPoint& p : points) any = any || p.ok;
  if (!any) return tooShort(o, "Path too short", terrain.get(), io);
  if (o.json) {
    nlohmann::json j;
    j["model"] = kP452ModelName;
    j["polarisation"] = o.model.polarisation;
    j["climate_source"] = climateFound ? "maps" : "default";
    j["N0"] = in.N0;
    j["DN"] = in.DN;
    j["missingTiles"] = MissingTilesJson(*terrain);
    j["points"] = nlohmann::json::array();
    for (const MechanismPoint& p : points) {
      nlohmann::json point;
      point["percent"] = p.percent;
      point["ok"] = p.ok;
      const double losses[4] = {p.diffraction, p.troposcatter, p.ducting, p.overall};
      for (std::size_t i = 0; i < kP452CurveNames.size(); ++i)
        point[kP452CurveNames[i]] = p.ok ? nlohmann::json(losses[i]) : nlohmann::json();
      j["points"].push_back(point);
    }
    io.out << j.dump(2) << "\n";
    return kExitOk;
  }
  char line[160];
  std::snprintf(line, sizeof line, "ITU-R P.452-18, %s polarisation, %g GHz, N0 %.2f, DN %.3f (%s)\n",
                in.polarisation == P452Polarisation::kVertical ? "vertical" : "horizontal", in.f, in.N0, in.DN,
                climateFound ? "maps" : "default");
  io.out << line;
  io.out << "percent      Lbd      Lbs      Lba       Lb   (dB: diffraction, troposcatter, ducting, overall;\n"
            "                                                 gaseous loss within each, as P.452-18 computes it)\n";
  for (const MechanismPoint& p : points) {
    if (p.ok)
      std::snprintf(line, sizeof line, "%7g  %7.2f  %7.2f  %7.2f  %7.2f\n", p.percent, p.diffraction, p.troposcatter,
                    p.ducting, p.overall);
    else
      std::snprintf(line, sizeof line, "%7g  no valid path\n", p.percent);
    io.out << line;
  }
  return kExitOk;
}

}  // namespace tarnvale::cli
