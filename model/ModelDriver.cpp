#include "model/ModelDriver.h"

#include <cmath>

namespace tarnvale {
namespace {
constexpr double kHalfTurnDeg = 180.0;
constexpr double kLapseScale = 157.0;  // N-units/km: k = 157 / (157 - delta-N)
// Climate the Mechanisms curves fall back to when the maps have no value.
constexpr double kMechanismsN0 = 320.0;
constexpr double kMechanismsDeltaN = 40.0;

}  // namespace

CLocator MidPoint(const CLocator& tx, const CLocator& rx) {
  double longitude = (tx.longitude() + rx.longitude()) / 2.0;
  // Ends more than half the world apart in longitude are joined across the
  // 180 degree meridian: the middle lies on that side, not near Greenwich.
  if (std::fabs(tx.longitude() - rx.longitude()) > kHalfTurnDeg) {
    longitude += kHalfTurnDeg;
    if (longitude > kHalfTurnDeg) longitude -= 2.0 * kHalfTurnDeg;
  }
  return CLocator((tx.latitude() + rx.latitude()) / 2.0, longitude);
}

bool ClimateAtMidPath(const CRefractivity& climate, const CLocator& tx, const CLocator& rx, double& n0,
                      double& deltaN) {
  const CLocator middle = MidPoint(tx, rx);
  climate.loadTogether({CRefractivity::kN0, CRefractivity::kDeltaN});
  double mapN0 = 0.0, mapDeltaN = 0.0;
  if (!climate.n0At(middle.latitude(), middle.longitude(), true, mapN0) ||
      !climate.dnAt(middle.latitude(), middle.longitude(), true, mapDeltaN))
    return false;
  n0 = mapN0;
  deltaN = mapDeltaN;
  return true;
}

double DeltaNForKFactor(double k) { return (1.0 - 1.0 / k) * kLapseScale; }

double KFactorForDeltaN(double deltaN) { return kLapseScale / (kLapseScale - deltaN); }

bool ModelDriver::RunModel(bool coverage, ModelData data, const CLocator& tx, const CLocator& rx,
                           const ModelInputs& inputs, double* kFactorInUse, ClimateSource* climateSource) const {
  double n0 = fallbackN0, deltaN = fallbackDeltaN;
  ClimateSource source = ClimateSource::kCoverage;
  if (!coverage) {
    if (ClimateAtMidPath(data.climate, tx, rx, n0, deltaN))
      source = ClimateSource::kMaps;
    else if (data.climate.isLoaded(CRefractivity::kN0) && data.climate.isLoaded(CRefractivity::kDeltaN))
      source = ClimateSource::kNoValue;
    else
      source = ClimateSource::kNoMaps;
  }
  if (climateSource) *climateSource = source;
  if (inputs.forcedKFactor) {
    deltaN = DeltaNForKFactor(inputs.kFactor);
  } else if (kFactorInUse) {
    *kFactorInUse = KFactorForDeltaN(deltaN);
  }
  if (coverage)
    return data.model.CalculateCoveragePoint(data.terrain, data.zones, tx, rx, n0, deltaN, inputs.frequency,
                                             inputs.percent, inputs.txHeight, inputs.rxHeight);
  return data.model.CalculatePath(data.terrain, data.zones, tx, rx, inputs.interpolate, n0, deltaN, inputs.frequency,
                                  inputs.percent, inputs.txHeight, inputs.rxHeight);
}

void ModelDriver::keepClimate(const CTerrain& model) {
  if (!model.initialised() || !model.results().ok) return;
  fallbackN0 = model.results().N0;
  fallbackDeltaN = model.results().deltaN;
}

void ModelDriver::keepClimate(double n0, double deltaN) {
  fallbackN0 = n0;
  fallbackDeltaN = deltaN;
}

std::array<MechanismPoint, 10> MechanismCurves(ModelData data, const CLocator& tx, const CLocator& rx,
                                               const ModelInputs& inputs) {
  std::array<MechanismPoint, 10> points{};
  if (!data.model.initialised()) return points;
  const CLocator middle = MidPoint(tx, rx);
  double n0 = kMechanismsN0, deltaN = kMechanismsDeltaN;
  data.climate.loadTogether({CRefractivity::kN0, CRefractivity::kDeltaN});
  if (!data.climate.n0At(middle.latitude(), middle.longitude(), true, n0)) n0 = kMechanismsN0;
  if (!data.climate.dnAt(middle.latitude(), middle.longitude(), true, deltaN)) deltaN = kMechanismsDeltaN;
  for (size_t i = 0; i < kMechanismPercentages.size(); ++i) {
    MechanismPoint& point = points[i];
    point.percent = kMechanismPercentages[i];
    point.ok = data.model.CalculatePath(data.terrain, data.zones, tx, rx, inputs.interpolate, n0, deltaN,
                                        inputs.frequency, point.percent, inputs.txHeight, inputs.rxHeight);
    if (!point.ok) continue;
    const PathModelResults& r = data.model.results();
    point.diffraction = r.Lbd;
    point.troposcatter = r.Lbs;
    point.ducting = r.Lba;
    point.overall = r.Lb;
  }
  return points;
}

}  // namespace tarnvale
