// tarnvale-cli path and mechanisms: one path through the same session the
// desktop program's Calculate uses.
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/MissingTilesReport.h"
#include "cli/NumberArgs.h"
#include "climate/Zones.h"
#include "model/ModelDriver.h"
#include "model/P676.h"
#include "session/ResultText.h"
#include "session/Session.h"

namespace tarnvale::cli {
namespace {

InputValues fieldsFrom(const PathOptions& o) {
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

void printResults(const CTerrain& model, double gasLoss, Io& io) {
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
int pathTooShort(bool json, Io& io, const CSRTM* terrain = nullptr) {
  if (json) {
    nlohmann::json j;
    j["ok"] = false;
    j["message"] = "Path too short";
    if (terrain) j["missingTiles"] = MissingTilesJson(*terrain);
    io.out << j.dump(2) << "\n";
  } else {
    io.out << "Path too short\n";
  }
  return kExitInvalid;
}

/// Ground heights a supplied profile may hold (m): below the lowest shore
/// and above the highest summit there is no terrain to describe.
constexpr double kLowestProfileHeightM = -500.0;
constexpr double kHighestProfileHeightM = 10000.0;

/// Reads "dist_km,height_m[,zone]" lines (a header line is skipped). The
/// distances are counted from the first sample, whatever the file starts at.
bool readProfileCsv(const std::string& file, TerrainProfile& profile, Io& io) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    io.err << "tarnvale-cli: cannot read the profile file '" << file << "'\n";
    return false;
  }
  std::string line;
  int n = 0, lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // A profile is text: a control byte (a NUL, say) means some other file.
    for (unsigned char c : line) {
      if (c < 0x20 && c != '\t') {
        io.err << "tarnvale-cli: line " << lineNumber << " of the profile is not text\n";
        return false;
      }
    }
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    std::vector<std::string> cells;
    std::stringstream row(line);
    for (std::string cell; std::getline(row, cell, ',');) {
      const size_t first = cell.find_first_not_of(" \t"), last = cell.find_last_not_of(" \t");
      cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
    }
    const auto dist = cells.size() >= 2 ? ParsePlainNumber(cells[0]) : std::nullopt;
    const auto height = cells.size() >= 2 ? ParsePlainNumber(cells[1]) : std::nullopt;
    if (!dist || !height) {
      if (n == 0 && lineNumber == 1) continue;  // the header
      io.err << "tarnvale-cli: line " << lineNumber << " of the profile is not dist_km,height_m[,zone]\n";
      return false;
    }
    int zone = zones::kInland;
    if (cells.size() >= 3 && !cells[2].empty()) {
      const auto z = ParsePlainNumber(cells[2]);
      if (!z || (*z != zones::kSea && *z != zones::kCoastalLand && *z != zones::kInland)) {
        io.err << "tarnvale-cli: line " << lineNumber
               << ": the zone must be 1 (sea), 2 (coastal land) or 3 (inland)\n";
        return false;
      }
      zone = static_cast<int>(*z);
    }
    if (*height < kLowestProfileHeightM || *height > kHighestProfileHeightM) {
      io.err << "tarnvale-cli: line " << lineNumber << ": the height must lie between " << kLowestProfileHeightM
             << " and " << kHighestProfileHeightM << " m\n";
      return false;
    }
    if (n >= TerrainProfile::kCapacity) {
      io.err << "tarnvale-cli: a profile holds at most " << TerrainProfile::kCapacity << " samples\n";
      return false;
    }
    if (n > 0 && !(*dist > profile.dist[n - 1])) {
      io.err << "tarnvale-cli: line " << lineNumber << ": distances must increase\n";
      return false;
    }
    profile.dist[n] = *dist;
    profile.height[n] = *height;
    profile.zone[n] = static_cast<std::uint8_t>(zone);
    ++n;
  }
  if (n < 3) {
    io.err << "tarnvale-cli: a profile needs at least 3 samples\n";
    return false;
  }
  // The model measures every distance from the transmitter at the first
  // sample: a file that starts at 12.5 km is moved back to start at 0.
  const double first = profile.dist[0];
  for (int i = 0; i < n; ++i) profile.dist[i] -= first;
  // Shifting big distances can merge neighbours; they must still increase.
  for (int i = 1; i < n; ++i) {
    if (!(profile.dist[i] > profile.dist[i - 1])) {
      io.err << "tarnvale-cli: the profile's distances are too close to tell apart\n";
      return false;
    }
  }
  profile.n = n;
  profile.pathLength = profile.dist[n - 1];
  if (profile.pathLength > kRangeLimits.max) {
    io.err << "tarnvale-cli: a profile covers at most " << kRangeLimits.max << " km\n";
    return false;
  }
  return true;
}

int runSuppliedProfile(const PathOptions& o, Io& io) {
  TerrainProfile profile;
  if (!readProfileCsv(o.profileFile, profile, io)) return kExitUsage;
  if (profile.pathLength < 0.1) return pathTooShort(o.json, io);
  const double deltaN = o.kFactor > 0.0 ? DeltaNForKFactor(o.kFactor) : o.deltaN;
  CTerrain model;
  const bool ok = model.CalculateProfile(profile, o.latitude, o.n0, deltaN, o.frequency, o.percent, o.txHeight,
                                         o.rxHeight);
  const double rho = WaterVapourDensity(o.humidity, o.temperature, true);
  const double gamma = SpecificAttenuation(o.frequency, o.pressure, o.temperature, rho);
  const double gasLoss = gamma * profile.pathLength;
  if (!ok) return pathTooShort(o.json, io);
  if (o.json) {
    nlohmann::json j = modelJson(model);
    j["gasLoss"] = gasLoss;
    j["rho"] = rho;
    j["gamma"] = gamma;
    j["range_km"] = profile.pathLength;
    j["bearing_deg"] = nullptr;
    io.out << j.dump(2) << "\n";
  } else {
    io.out << text::GasLossText(gasLoss) << "\n";
    printResults(model, gasLoss, io);
  }
  return kExitOk;
}

/// Sets up the session and the two ends; a status other than kExitOk ends the run.
int prepare(const PathOptions& o, Session& session, CLocator& tx, CLocator& rx, Io& io) {
  const bool byRange = o.ends.rx.empty();
  if (o.ends.tx.empty() || (byRange && (o.rangeKm < 0 || o.bearingDeg < 0))) {
    io.err << "tarnvale-cli: give --tx and either --rx or --range and --bearing (or --profile FILE)\n";
    return kExitUsage;
  }
  EndsOptions ends = o.ends;
  if (byRange) ends.rx = ends.tx;  // resolved below from the range and bearing
  if (const int status = ResolveEnds(ends, tx, rx, io); status != kExitOk) return status;
  if (byRange) {
    rx = Session::ReceiverFromRangeBearing(tx, o.bearingDeg, o.rangeKm);
    if (!rx.isValid()) {
      io.err << "Invalid RX Locator\n";
      return kExitInvalid;
    }
  }
  session.interpolateHeights = o.interpolate;
  if (session.CreateDataObjects(o.terrain) != StartupFailure::kNone) {
    io.err << "tarnvale-cli: Initialisation Failure\n";
    return kExitInvalid;
  }
  return kExitOk;
}

}  // namespace

int RunPath(const PathOptions& o, Io& io) {
  if (o.model == kP452ModelName) return RunPathP452(o, io);
  if (!o.profileFile.empty()) return runSuppliedProfile(o, io);
  Session session(o.climate);
  CLocator tx, rx;
  if (const int status = prepare(o, session, tx, rx, io); status != kExitOk) return status;
  const CalculateOutcome outcome = session.CalculateEnds(tx, rx, fieldsFrom(o));
  const CTerrain& model = *session.model();
  WarnMissingTiles(*session.terrain(), io);
  if (!outcome.pathValid) return pathTooShort(o.json, io, session.terrain());
  if (o.json) {
    nlohmann::json j = modelJson(model);
    j["missingTiles"] = MissingTilesJson(*session.terrain());
    j["gasLoss"] = session.totalGasLoss;
    j["rho"] = session.rho;
    j["gamma"] = session.gamma;
    j["range_km"] = session.rangeKm;
    j["bearing_deg"] = session.bearingDeg;
    j["startHeight"] = outcome.startHeight;
    j["endHeight"] = outcome.endHeight;
    io.out << j.dump(2) << "\n";
  } else {
    io.out << outcome.startHeight << "\n" << outcome.endHeight << "\n";
    char line[128];
    std::snprintf(line, sizeof line, "Range %s km, bearing %s degrees\n", outcome.range->c_str(),
                  outcome.bearing->c_str());
    io.out << line << "Water vapour density " << *outcome.rho << "\n" << *outcome.gasLoss << "\n";
    printResults(model, session.totalGasLoss, io);
  }
  return kExitOk;
}

int RunMechanisms(const PathOptions& o, Io& io) {
  if (!o.profileFile.empty()) {
    io.err << "tarnvale-cli: mechanisms runs on two ends, not on a supplied profile\n";
    return kExitUsage;
  }
  Session session(o.climate);
  CLocator tx, rx;
  if (const int status = prepare(o, session, tx, rx, io); status != kExitOk) return status;
  // The gaseous loss of the path, as Calculate leaves it before the chart is drawn.
  const CalculateOutcome outcome = session.CalculateEnds(tx, rx, fieldsFrom(o));
  if (!outcome.locationsValid) return kExitInvalid;
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
  WarnMissingTiles(*session.terrain(), io);
  if (!any) return pathTooShort(o.json, io, session.terrain());
  if (o.json) {
    nlohmann::json j;
    j["gasLoss"] = gas;
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
    io.out << j.dump(2) << "\n";
    return kExitOk;
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
  return kExitOk;
}

}  // namespace tarnvale::cli
