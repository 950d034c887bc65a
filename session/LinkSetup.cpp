#include "session/LinkSetup.h"

#include <algorithm>
#include <cmath>

#include "geo/Path.h"
#include "link/LinkConstants.h"
#include "link/LinkUnits.h"
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

}  // namespace tarnvale
