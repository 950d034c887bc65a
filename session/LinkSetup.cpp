#include "session/LinkSetup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>
#include <utility>

#include "geo/Path.h"
#include "link/LinkConstants.h"
#include "link/LinkUnits.h"
#include "link/PatternReader.h"
#include "text/Format.h"

namespace tarnvale {
namespace {

/// Digits of a budget figure: whole dB to hundreds of dB, two decimals.
constexpr int kBudgetPrecision = 6;
constexpr int kBudgetDecimals = 2;

std::string decibels(double value, std::string_view unit) {
  if (!std::isfinite(value)) return "-";
  return FormatFixed(value, kBudgetPrecision, kBudgetDecimals) + " " + std::string(unit);
}

}  // namespace

double PathLinkLoss(const PathModelResults& results, double gasLossDb) { return results.Lb + gasLossDb; }

LinkGeometry PathLinkGeometry(const CLocator& tx, const CLocator& rx, double thetaTMrad, double thetaRMrad) {
  LinkGeometry g;
  double rangeKm = 0.0;
  CPath forward;
  forward.setEnds(tx, rx);
  forward.rangeBearing(rangeKm, g.bearingFromTxDeg);
  CPath back;
  back.setEnds(rx, tx);
  back.rangeBearing(rangeKm, g.bearingFromRxDeg);
  g.txElevationDeg = DegreesFromMrad(thetaTMrad);
  g.rxElevationDeg = DegreesFromMrad(thetaRMrad);
  return g;
}

LinkGeometry PathLinkGeometry(const CLocator& tx, const CLocator& rx, const PathModelResults& results) {
  return PathLinkGeometry(tx, rx, results.theta_t, results.theta_r);
}

LinkGeometry BoresightLinkGeometry(const LinkRecord& record, double thetaTMrad, double thetaRMrad) {
  LinkGeometry g;
  g.bearingFromTxDeg = record.tx.azimuthDeg;
  g.bearingFromRxDeg = record.rx.azimuthDeg;
  g.txElevationDeg = DegreesFromMrad(thetaTMrad);
  g.rxElevationDeg = DegreesFromMrad(thetaRMrad);
  return g;
}

LinkGeometry BoresightLinkGeometry(const LinkRecord& record, const PathModelResults& results) {
  return BoresightLinkGeometry(record, results.theta_t, results.theta_r);
}

LinkBudget PathLinkBudgetOf(const LinkRecord& record, const PathModelResults& results, double gasLossDb,
                            const LinkGeometry& geometry) {
  return ComputeLinkBudget(record, PathLinkLoss(results, gasLossDb), results.frequency, geometry);
}

std::vector<PolarPoint> PatternPolarCut(const AntennaPattern& pattern, bool vertical, double downtiltDeg) {
  using namespace patternplot;
  const int steps = static_cast<int>(link::kFullTurnDeg / kStepDeg);
  std::vector<PolarPoint> points;
  points.reserve(static_cast<std::size_t>(steps) + 1);
  for (int i = 0; i <= steps; ++i) {
    const double plot = i * kStepDeg;
    // The vertical cut's angle runs clockwise seen from the left, from
    // boresight, as the plot's does from the top: a turn by boresight's place
    // and by the mechanical tilt.
    const double attenuation = vertical ? pattern.verticalAttenuationDb(plot - kBoresightPlotDeg - downtiltDeg)
                                        : pattern.horizontalAttenuationDb(plot);
    points.push_back({plot, std::max(-attenuation, kFloorDb)});
  }
  return points;
}

PolarDirection PolarDirectionOf(double bearingDeg, double elevationDeg, double antennaAzimuthDeg) {
  using patternplot::kBoresightPlotDeg;
  PolarDirection d;
  d.horizontalPlotDeg = WrapDegrees(bearingDeg - antennaAzimuthDeg);
  const bool ahead = d.horizontalPlotDeg <= kBoresightPlotDeg || d.horizontalPlotDeg >= 3.0 * kBoresightPlotDeg;
  d.verticalPlotDeg = ahead ? kBoresightPlotDeg - elevationDeg : 3.0 * kBoresightPlotDeg + elevationDeg;
  return d;
}

std::string PatternSummary(const AntennaPattern& pattern) {
  if (!pattern.loaded()) return "No pattern";
  const PatternInfo& info = pattern.info();
  std::string text = info.name.empty() ? std::string("Unnamed pattern") : info.name;
  if (info.gainDbi) text += ", " + FormatFixed(*info.gainDbi, 6, 2) + " dBi";
  if (std::isfinite(info.frequencyMHz)) text += ", " + FormatGeneral(info.frequencyMHz, 6) + " MHz";
  if (std::isfinite(info.horizontalWidthDeg) && std::isfinite(info.verticalWidthDeg))
    text += ", beam " + FormatGeneral(info.horizontalWidthDeg, 4) + " x " + FormatGeneral(info.verticalWidthDeg, 4) +
            " degrees";
  if (std::isfinite(info.electricalTiltDeg))
    text += ", electrical tilt " + FormatGeneral(info.electricalTiltDeg, 4) + " degrees";
  return text;
}

std::vector<LinkBudgetLine> LinkBudgetLines(const LinkBudget& b, bool micro) {
  const std::string_view fieldUnit =
      micro ? LinkQuantityDisplayUnit(LinkQuantity::Field) : LinkQuantityUnit(LinkQuantity::Field);
  std::string eirp = decibels(b.eirpDbm, "dBm");
  if (std::isfinite(b.eirpW)) eirp += " (" + FormatWatts(b.eirpW) + ")";
  return {{"Loss", decibels(b.lossDb, "dB")},
          {"EIRP", eirp},
          {"TX gain toward RX", decibels(b.txGainTowardDbi, "dBi")},
          {"RX gain toward TX", decibels(b.rxGainTowardDbi, "dBi")},
          {"Received power", decibels(b.receivedDbm, "dBm")},
          {"Field strength", decibels(b.fieldDbuVPerM, fieldUnit)},
          {"Margin", decibels(b.marginDb, "dB")}};
}

bool LinkInputs::given() const {
  return !power.empty() || !txGain.empty() || !rxGain.empty() || txFeederLoss || rxFeederLoss ||
         !txPattern.empty() || !rxPattern.empty() || txAzimuth || txDowntilt || rxAzimuth || rxDowntilt || threshold;
}

namespace {

/// Why @p text, read by @p parse, is not a value within @p limits (named
/// @p what, in @p unit); empty when it is.
template <typename Parse>
std::string valueTextProblem(const std::string& text, Parse parse, const InputLimits& limits, const char* what,
                             const char* unit) {
  double value = 0.0;
  std::string why;
  if (!parse(text, value, &why)) return why;
  if (value < limits.min || value > limits.max) {
    char message[128];
    std::snprintf(message, sizeof message, "%s must be from %g to %g %s", what, limits.min, limits.max, unit);
    return message;
  }
  return {};
}

}  // namespace

std::string PowerTextProblem(const std::string& text) {
  return valueTextProblem(
      text, [](std::string_view t, double& v, std::string* e) { return ParsePower(t, v, e); }, kTxPowerLimits,
      "power", "dBm");
}

std::string GainTextProblem(const std::string& text) {
  return valueTextProblem(
      text, [](std::string_view t, double& v, std::string* e) { return ParseGain(t, v, e); }, kAntennaGainLimits,
      "gain", "dBi");
}

namespace {

/// Why @p value (named @p what) lies outside @p limits; empty when it does not.
std::string outside(const std::optional<double>& value, const InputLimits& limits, const char* what) {
  if (!value || (*value >= limits.min && *value <= limits.max)) return {};
  char message[160];
  std::snprintf(message, sizeof message, "%s must be a number from %g to %g, not '%g'", what, limits.min, limits.max,
                *value);
  return message;
}

bool loadPattern(const std::string& path, LinkAntenna& antenna, std::string& error) {
  if (path.empty()) return true;
  if (!LoadPatternFile(path, antenna.pattern, error)) return false;
  antenna.patternPath = path;
  return true;
}

}  // namespace

bool LinkRecordFrom(const LinkInputs& in, LinkRecord& record, std::string& error) {
  const std::pair<const std::optional<double>*, std::pair<const InputLimits*, const char*>> numbers[] = {
      {&in.txFeederLoss, {&kFeederLossLimits, "--tx-feeder-loss"}},
      {&in.rxFeederLoss, {&kFeederLossLimits, "--rx-feeder-loss"}},
      {&in.txAzimuth, {&kAntennaAzimuthLimits, "--azimuth"}},
      {&in.txDowntilt, {&kDowntiltLimits, "--downtilt"}},
      {&in.rxAzimuth, {&kAntennaAzimuthLimits, "--rx-azimuth"}},
      {&in.rxDowntilt, {&kDowntiltLimits, "--rx-downtilt"}},
      {&in.threshold, {&kThresholdLimits, "--threshold"}}};
  for (const auto& [value, check] : numbers)
    if (std::string why = outside(*value, *check.first, check.second); !why.empty()) {
      error = std::move(why);
      return false;
    }
  for (const auto& [text, name, problem] :
       {std::tuple{&in.power, "--power", &PowerTextProblem}, std::tuple{&in.txGain, "--tx-gain", &GainTextProblem},
        std::tuple{&in.rxGain, "--rx-gain", &GainTextProblem}})
    if (!text->empty())
      if (std::string why = problem(*text); !why.empty()) {
        error = std::string(name) + ": " + why;
        return false;
      }
  LinkRecord r;
  double value = 0.0;
  if (!in.power.empty() && ParsePower(in.power, value)) r.powerDbm = value;
  if (!in.txGain.empty() && ParseGain(in.txGain, value)) r.tx.gainDbi = value;
  if (!in.rxGain.empty() && ParseGain(in.rxGain, value)) r.rx.gainDbi = value;
  r.tx.feederLossDb = in.txFeederLoss.value_or(0.0);
  r.rx.feederLossDb = in.rxFeederLoss.value_or(0.0);
  r.tx.azimuthDeg = in.txAzimuth.value_or(0.0);
  r.tx.downtiltDeg = in.txDowntilt.value_or(0.0);
  r.rxPointsAtTx = !in.rxAzimuth;
  r.rx.azimuthDeg = in.rxAzimuth.value_or(0.0);
  r.rx.downtiltDeg = in.rxDowntilt.value_or(0.0);
  if (in.threshold) r.rxThresholdDbm = *in.threshold;
  if (!loadPattern(in.txPattern, r.tx, error) || !loadPattern(in.rxPattern, r.rx, error)) return false;
  record = std::move(r);
  return true;
}

bool CalculateP452WithLink(P452Model& model, P452Inputs& in, P452Results& results, const LinkRecord& link,
                           const std::function<LinkGeometry(const P452Results&)>& geometry, LinkBudget& budget) {
  in.Gt = link.tx.peakGainDbi();
  in.Gr = link.rx.peakGainDbi();
  if (!model.Calculate(in, results)) return false;
  budget = ComputeLinkBudget(link, results.Lb, in.f, geometry(results));
  if (std::isfinite(budget.txGainTowardDbi) && std::isfinite(budget.rxGainTowardDbi) &&
      (budget.txGainTowardDbi != in.Gt || budget.rxGainTowardDbi != in.Gr)) {
    in.Gt = budget.txGainTowardDbi;
    in.Gr = budget.rxGainTowardDbi;
    if (!model.Calculate(in, results)) return false;
    budget = ComputeLinkBudget(link, results.Lb, in.f, geometry(results));
  }
  return true;
}

}  // namespace tarnvale
