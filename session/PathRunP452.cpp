// One path and its mechanism curves under ITU-R P.452-18, over the terrain
// between two ends or over a supplied profile.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "climate/Zones.h"
#include "model/ModelDriver.h"
#include "model/P452Curves.h"
#include "model/P452Model.h"
#include "model/P452Path.h"
#include "model/P452Values.h"
#include "session/InputLimits.h"
#include "session/LinkSetup.h"
#include "session/PathRunParts.h"
#include "session/Reports.h"
#include "session/Session.h"

namespace tarnvale::pathrun {
namespace {

constexpr int kMinSamples = 4;
const char* const kP452ModelName = PathModelName(PathModel::kP452v18);
constexpr int kTerrainSlots = 9;  // tiles kept in memory, as the profile command keeps

/// The radio figures of the request, with the antennas' peak gains of its
/// link record; the profile, ends and climate come later.
P452Inputs radioInputs(const PathRequest& o) {
  P452Inputs in;
  in.f = o.frequency;
  in.p = o.percent;
  in.htg = o.txHeight;
  in.hrg = o.rxHeight;
  ModelChoice choice = o.choice;
  // The antennas' gains are the link record's (peak, or toward the horizons
  // with a pattern: CalculateP452WithLink).
  choice.txGainDbi = o.link.tx.peakGainDbi();
  choice.rxGainDbi = o.link.rx.peakGainDbi();
  ApplyModelChoice(choice, in);
  in.press = o.pressure;
  in.temp = o.temperature;
  return in;
}

/// The supplied profile: its zones in the program's codes, its clutter_m
/// column or the clutter height on land, the centre at --lat.
int readProfile(const PathRequest& o, P452Inputs& in, PathRunOutput& io) {
  const ProfileColumns& table = o.profile;
  const int n = static_cast<int>(table.dist.size());
  if (!P452ProfileInputs(table.dist.data(), table.height.data(), table.zone.data(), n, o.choice.clutterHeightM,
                         o.choice.dctOrZones(), o.choice.dcrOrZones(), in)) {
    io.err << io.prefix << "--model " << kP452ModelName << " needs a profile of at least " << kMinSamples
           << " samples\n";
    return kPathRunUsage;
  }
  if (!table.clutter.empty()) in.R = table.clutter;
  in.centreGiven = true;
  in.phim_n = o.latitude;
  in.phim_e = std::numeric_limits<double>::quiet_NaN();
  in.N0 = o.n0;
  in.DN = o.kFactor > 0.0 ? DeltaNForKFactor(o.kFactor) : o.deltaN;
  return kPathRunOk;
}

int tooShort(bool json, const char* message, const CSRTM* terrain, PathRunOutput& io) {
  if (json) {
    nlohmann::json j;
    j["ok"] = false;
    j["model"] = kP452ModelName;
    j["message"] = message;
    if (terrain) j["missingTiles"] = MissingTilesJson(*terrain);
    Emit(io, std::move(j));
  } else {
    io.out << message << "\n";
  }
  return kPathRunInvalid;
}

void printJson(const P452Results& r, const PathRequest& o, const CSRTM* terrain, const LinkBudget* budget,
               PathRunOutput& io) {
  nlohmann::json j;
  j["ok"] = true;
  j["model"] = kP452ModelName;
  j["polarisation"] = PolarisationName(o.choice.polarisation);
  for (const P452Value& v : P452ValueList(r))
    j[v.name] = std::isfinite(v.value) ? nlohmann::json(v.value) : nlohmann::json();
  j["pathtype"] = P452PathTypeName(r);
  if (terrain) j["missingTiles"] = MissingTilesJson(*terrain);
  if (budget) j["link"] = LinkJson(*budget);
  Emit(io, std::move(j));
}

void printText(const P452Results& r, const P452Inputs& in, PathRunOutput& io) {
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
/// radio figures of @p in are left as they are). @p rx receives the
/// receiver, @p terrain the store the run read.
int terrainInputs(const PathRequest& o, bool json, P452Inputs& in, CLocator& rx, std::unique_ptr<CSRTM>& terrain,
                  bool& climateFound, PathRunOutput& io) {
  const CLocator& tx = o.tx;
  rx = o.rx;
  if (o.byRange) {
    rx = Session::ReceiverFromRangeBearing(tx, o.bearingDeg, o.rangeKm);
    if (!rx.isValid()) {
      io.err << "Invalid RX Locator\n";
      return kPathRunInvalid;
    }
  }
  terrain = std::make_unique<CSRTM>(kTerrainSlots, o.terrain);
  if (!terrain->isValid()) {
    io.err << io.prefix << "Initialisation Failure\n";
    return kPathRunInvalid;
  }
  const CZONES zones(o.terrain);
  const CRefractivity climate{std::filesystem::path(o.climate)};
  P452PathOptions options;
  options.interpolate = o.interpolate;
  options.clutterHeight = o.choice.clutterHeightM;
  options.dct = o.choice.dctOrZones();
  options.dcr = o.choice.dcrOrZones();
  options.kFactor = o.kFactor;
  TerrainProfile profile;
  const bool sampled = P452PathInputs(*terrain, zones, climate, tx, rx, options, profile, in, &climateFound);
  WarnMissingTiles(*terrain, io.err, io.prefix);
  WarnZoneMapProblem(zones, io.err, io.prefix);
  if (!sampled) return tooShort(json, "Path too short", terrain.get(), io);
  return kPathRunOk;
}

/// Tells the bounds problem of the request's frequency and @p percent.
bool withinBounds(const PathRequest& o, double percent, PathRunOutput& io) {
  const std::string problem = P452BoundsProblem(o.frequency, percent);
  if (problem.empty()) return true;
  io.err << io.prefix << problem << "\n";
  return false;
}

}  // namespace

int RunP452Path(const PathRequest& o, bool json, PathRunOutput& io) {
  if (!withinBounds(o, o.percent, io)) return kPathRunUsage;
  const LinkRecord& link = o.link;
  // The gains toward the horizon troposcatter couples through: the peak
  // gains until the horizon rays are known.
  P452Inputs in = radioInputs(o);
  std::unique_ptr<CSRTM> terrain;
  const CLocator& tx = o.tx;
  CLocator rx;
  if (o.supplied) {
    if (const int status = readProfile(o, in, io); status != kPathRunOk) return status;
  } else {
    bool climateFound = false;
    if (const int status = terrainInputs(o, json, in, rx, terrain, climateFound, io); status != kPathRunOk)
      return status;
  }
  P452Model model;
  P452Results results;
  LinkBudget budget;
  const auto geometry = [&](const P452Results& r) {
    return terrain ? PathLinkGeometry(tx, rx, r.theta_t, r.theta_r) : BoresightLinkGeometry(link, r.theta_t, r.theta_r);
  };
  if (!CalculateP452WithLink(model, in, results, link, geometry, budget))
    return tooShort(json, results.error, terrain.get(), io);
  const LinkBudget* shown = o.linkGiven ? &budget : nullptr;
  if (json) {
    printJson(results, o, terrain.get(), shown, io);
  } else {
    printText(results, in, io);
    if (shown) PrintLinkBudget(*shown, io.out);
  }
  return kPathRunOk;
}

int RunP452Mechanisms(const PathRequest& o, bool json, PathRunOutput& io) {
  // The ten percentages lie within the model's bounds; the frequency must too.
  if (!withinBounds(o, kP452MaxPercent, io)) return kPathRunUsage;
  P452Inputs in = radioInputs(o);
  std::unique_ptr<CSRTM> terrain;
  CLocator rx;
  bool climateFound = false;
  if (const int status = terrainInputs(o, json, in, rx, terrain, climateFound, io); status != kPathRunOk)
    return status;
  P452Model model;
  const auto points = P452MechanismCurves(model, in);
  bool any = false;
  for (const MechanismPoint& p : points) any = any || p.ok;
  if (!any) return tooShort(json, "Path too short", terrain.get(), io);
  if (json) {
    nlohmann::json j;
    j["model"] = kP452ModelName;
    j["polarisation"] = PolarisationName(o.choice.polarisation);
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
    Emit(io, std::move(j));
    return kPathRunOk;
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
  return kPathRunOk;
}

}  // namespace tarnvale::pathrun

namespace tarnvale {

std::string P452BoundsProblem(double frequencyGHz, double percent) {
  const char* const kP452ModelName = PathModelName(PathModel::kP452v18);
  std::ostringstream message;
  if (frequencyGHz < kP452MinFrequencyGHz || frequencyGHz > kP452MaxFrequencyGHz)
    message << "--model " << kP452ModelName << " takes frequencies from " << kP452MinFrequencyGHz << " to "
            << kP452MaxFrequencyGHz << " GHz, not " << frequencyGHz;
  else if (percent < kP452MinPercent || percent > kP452MaxPercent)
    message << "--model " << kP452ModelName << " takes time percentages from " << kP452MinPercent << " to "
            << kP452MaxPercent << " %, not " << percent;
  return message.str();
}

}  // namespace tarnvale
