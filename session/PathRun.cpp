// One path and its mechanism curves under the classic model, through the same
// session the desktop program's Calculate uses.
#include "session/PathRun.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "climate/Zones.h"
#include "model/ModelDriver.h"
#include "model/P676.h"
#include "session/ClimateTexts.h"
#include "session/LinkSetup.h"
#include "session/PathRunParts.h"
#include "session/Reports.h"
#include "session/ResultText.h"
#include "session/Session.h"

namespace tarnvale {
namespace {

InputValues fieldsFrom(const PathRequest& o) {
  InputValues f;
  f.metric = true;
  f.frequency = o.frequency;
  f.percent = o.percent;
  f.temperature = o.temperature;
  f.pressure = o.pressure;
  f.humidity = o.humidity;
  f.txHeight = o.txHeight;
  f.rxHeight = o.rxHeight;
  f.forcedKFactor = o.kFactor > 0.0;
  f.kFactor = o.kFactor;
  return f;
}

/// The model's numbers under the keys the model calls them by.
nlohmann::json modelJson(const CTerrain& model) {
  const PathModelResults& r = model.results();
  nlohmann::json j;
  j["ok"] = r.ok;
  j["Lbfsg"] = r.Lbfsg;
  j["Lb0p"] = r.Lb0p;
  j["Lbd"] = r.Lbd;
  j["Lbs"] = r.Lbs;
  j["Lba"] = r.Lba;
  j["Lb"] = r.Lb;
  j["pathLength"] = model.profile().pathLength;
  j["n"] = model.profile().n;
  j["beta0"] = r.beta0;
  j["omega"] = r.omega;
  j["dtm"] = r.dtm;
  j["dlm"] = r.dlm;
  j["dct"] = r.dct;
  j["dcr"] = r.dcr;
  j["N0"] = r.N0;
  j["deltaN"] = r.deltaN;
  j["k50"] = r.k50;
  j["theta"] = r.theta;
  j["theta_t"] = r.theta_t;
  j["theta_r"] = r.theta_r;
  j["dlt"] = r.dlt;
  j["dlr"] = r.dlr;
  j["hte"] = r.hte;
  j["hre"] = r.hre;
  j["hst"] = r.hst;
  j["hsr"] = r.hsr;
  j["hm"] = r.hm;
  j["lineOfSight"] = r.lineOfSight;
  return j;
}

void printResults(const CTerrain& model, double gasLoss, PathRunOutput& io) {
  const PathModelResults& r = model.results();
  io.out << text::LossText("Line of sight loss", r.Lb0p, gasLoss) << "\n"
         << text::LossText("Diffraction path loss", r.Lbd, gasLoss) << "\n"
         << text::LossText("Troposcatter path loss", r.Lbs, gasLoss) << "\n"
         << text::LossText("Ducting path loss", r.Lba, gasLoss) << "\n"
         << text::LossText("Overall path loss", r.Lb, gasLoss) << "\n";
  char line[256];
  std::snprintf(line, sizeof line,
                "Path length %.3f km, %d samples, %s\nMedian K factor %.4f (N0 %.2f, delta-N %.3f)\n"
                "Path Beta0 %s, fraction over sea %s, coastal distances %s / %s\n",
                model.profile().pathLength, model.profile().n, r.lineOfSight ? "line of sight" : "trans-horizon",
                r.k50, r.N0, r.deltaN, text::OneDecimal(r.beta0, 3, " %").c_str(),
                text::OneDecimal(r.omega * 100.0, 3, " %").c_str(), text::OneDecimal(r.dct, 4, " km").c_str(),
                text::OneDecimal(r.dcr, 4, " km").c_str());
  io.out << line;
}

/// @param terrain the store the run read, or null for a supplied profile
int pathTooShort(bool json, PathRunOutput& io, const CSRTM* terrain = nullptr) {
  if (json) {
    nlohmann::json j;
    j["ok"] = false;
    j["message"] = "Path too short";
    if (terrain) j["missingTiles"] = MissingTilesJson(*terrain);
    pathrun::Emit(io, std::move(j));
  } else {
    io.out << "Path too short\n";
  }
  return kPathRunInvalid;
}

int runSuppliedProfile(const PathRequest& o, bool json, PathRunOutput& io) {
  const LinkRecord& link = o.link;
  TerrainProfile profile;
  if (!ColumnsToProfile(o.profile, profile)) {
    io.err << io.prefix << "a profile holds at most " << TerrainProfile::kCapacity << " samples\n";
    return kPathRunUsage;
  }
  if (profile.pathLength < 0.1) return pathTooShort(json, io);
  const double deltaN = o.kFactor > 0.0 ? DeltaNForKFactor(o.kFactor) : o.deltaN;
  CTerrain model;
  const bool ok = model.CalculateProfile(profile, o.latitude, o.n0, deltaN, o.frequency, o.percent, o.txHeight,
                                         o.rxHeight);
  const double rho = WaterVapourDensity(o.humidity, o.temperature, true);
  const double gamma = SpecificAttenuation(o.frequency, o.pressure, o.temperature, rho);
  const double gasLoss = gamma * profile.pathLength;
  if (!ok) return pathTooShort(json, io);
  const PathModelResults& results = model.results();
  const LinkBudget budget = PathLinkBudgetOf(link, results, gasLoss, BoresightLinkGeometry(link, results));
  if (json) {
    nlohmann::json j = modelJson(model);
    j["gasLoss"] = gasLoss;
    j["rho"] = rho;
    j["gamma"] = gamma;
    j["range_km"] = profile.pathLength;
    j["bearing_deg"] = nullptr;
    if (o.linkGiven) j["link"] = LinkJson(budget);
    pathrun::Emit(io, std::move(j));
  } else {
    io.out << text::GasLossText(gasLoss) << "\n";
    printResults(model, gasLoss, io);
    if (o.linkGiven) PrintLinkBudget(budget, io.out);
  }
  return kPathRunOk;
}

/// Sets up the session and the receiver of a run by range and bearing; a
/// status other than kPathRunOk ends the run.
int prepare(const PathRequest& o, Session& session, CLocator& rx, PathRunOutput& io) {
  if (o.byRange) {
    rx = Session::ReceiverFromRangeBearing(o.tx, o.bearingDeg, o.rangeKm);
    if (!rx.isValid()) {
      io.err << "Invalid RX Locator\n";
      return kPathRunInvalid;
    }
  }
  session.interpolateHeights = o.interpolate;
  if (session.CreateDataObjects(o.terrain) != StartupFailure::kNone) {
    io.err << io.prefix << "Initialisation Failure\n";
    return kPathRunInvalid;
  }
  return kPathRunOk;
}

}  // namespace

int RunPathReport(const PathRequest& o, bool json, PathRunOutput& io) {
  if (o.choice.isP452()) return pathrun::RunP452Path(o, json, io);
  if (o.supplied) return runSuppliedProfile(o, json, io);
  Session session(o.climate);
  session.link = o.link;
  const CLocator tx = o.tx;
  CLocator rx = o.rx;
  if (const int status = prepare(o, session, rx, io); status != kPathRunOk) return status;
  const CalculateOutcome outcome = session.CalculateEnds(tx, rx, fieldsFrom(o));
  const CTerrain& model = *session.model();
  const bool printLink = o.linkGiven && outcome.linkBudget;
  WarnMissingTiles(*session.terrain(), io.err, io.prefix);
  WarnZoneMapProblem(*session.zones(), io.err, io.prefix);
  if (!outcome.pathValid) return pathTooShort(json, io, session.terrain());
  if (json) {
    nlohmann::json j = modelJson(model);
    j["climate_source"] = ClimateSourceName(outcome.climateSource);
    j["missingTiles"] = MissingTilesJson(*session.terrain());
    j["gasLoss"] = session.totalGasLoss;
    j["rho"] = session.rho;
    j["gamma"] = session.gamma;
    j["range_km"] = session.rangeKm;
    j["bearing_deg"] = session.bearingDeg;
    j["startHeight"] = outcome.startHeight;
    j["endHeight"] = outcome.endHeight;
    if (printLink) j["link"] = LinkJson(*outcome.linkBudget);
    pathrun::Emit(io, std::move(j));
  } else {
    io.out << outcome.startHeight << "\n" << outcome.endHeight << "\n";
    char line[128];
    std::snprintf(line, sizeof line, "Range %s km, bearing %s degrees\n", outcome.range->c_str(),
                  outcome.bearing->c_str());
    io.out << line << "Water vapour density " << *outcome.rho << "\n" << *outcome.gasLoss << "\n";
    printResults(model, session.totalGasLoss, io);
    if (!outcome.climateStatus.empty()) io.out << outcome.climateStatus << "\n";
    if (printLink) PrintLinkBudget(*outcome.linkBudget, io.out);
  }
  return kPathRunOk;
}

int RunMechanismsReport(const PathRequest& o, bool json, PathRunOutput& io) {
  if (o.supplied) {
    io.err << io.prefix << "mechanisms runs on two ends, not on a supplied profile\n";
    return kPathRunUsage;
  }
  if (o.choice.isP452()) return pathrun::RunP452Mechanisms(o, json, io);
  Session session(o.climate);
  const CLocator tx = o.tx;
  CLocator rx = o.rx;
  if (const int status = prepare(o, session, rx, io); status != kPathRunOk) return status;
  // The gaseous loss of the path, as Calculate leaves it before the chart is drawn.
  const CalculateOutcome outcome = session.CalculateEnds(tx, rx, fieldsFrom(o));
  if (!outcome.locationsValid) return kPathRunInvalid;
  ModelInputs inputs;
  inputs.frequency = o.frequency;
  inputs.txHeight = o.txHeight;
  inputs.rxHeight = o.rxHeight;
  inputs.interpolate = o.interpolate;
  const auto points = MechanismCurves(
      ModelData{*session.model(), *session.terrain(), *session.zones(), session.climate()}, tx, rx, inputs);
  const double gas = session.totalGasLoss;
  bool any = false;
  for (const MechanismPoint& p : points) any = any || p.ok;
  WarnMissingTiles(*session.terrain(), io.err, io.prefix);
  WarnZoneMapProblem(*session.zones(), io.err, io.prefix);
  if (!any) return pathTooShort(json, io, session.terrain());
  if (json) {
    nlohmann::json j;
    j["model"] = PathModelName(PathModel::kClassic);
    j["gasLoss"] = gas;
    j["climate_source"] = ClimateSourceName(outcome.climateSource);
    j["missingTiles"] = MissingTilesJson(*session.terrain());
    j["points"] = nlohmann::json::array();
    for (const MechanismPoint& p : points) {
      nlohmann::json point;
      point["percent"] = p.percent;
      point["ok"] = p.ok;
      point["Diffraction"] = p.ok ? nlohmann::json(p.diffraction + gas) : nlohmann::json();
      point["Troposcatter"] = p.ok ? nlohmann::json(p.troposcatter + gas) : nlohmann::json();
      point["Ducting"] = p.ok ? nlohmann::json(p.ducting + gas) : nlohmann::json();
      point["Overall"] = p.ok ? nlohmann::json(p.overall + gas) : nlohmann::json();
      j["points"].push_back(point);
    }
    pathrun::Emit(io, std::move(j));
    return kPathRunOk;
  }
  io.out << "percent  Diffraction  Troposcatter  Ducting  Overall   (dB, gaseous loss included)\n";
  for (const MechanismPoint& p : points) {
    char line[160];
    if (p.ok)
      std::snprintf(line, sizeof line, "%7g  %11.2f  %12.2f  %7.2f  %7.2f\n", p.percent, p.diffraction + gas,
                    p.troposcatter + gas, p.ducting + gas, p.overall + gas);
    else
      std::snprintf(line, sizeof line, "%7g  no valid path\n", p.percent);
    io.out << line;
  }
  return kPathRunOk;
}

ProfileCsvLimits SuppliedProfileLimits(bool p452) {
  ProfileCsvLimits limits;
  limits.maxSamples = p452 ? pathrun::kP452MaxProfileSamples : static_cast<std::size_t>(TerrainProfile::kCapacity);
  limits.maxLengthKm = kRangeLimits.max;
  return limits;
}

}  // namespace tarnvale
