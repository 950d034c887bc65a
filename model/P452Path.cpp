#include "model/P452Path.h"

#include <cmath>

#include "geo/Path.h"
#include "model/ModelDriver.h"
#include "model/P452Parts.h"
#include "terrain/ProfileSampler.h"

namespace tarnvale {

namespace {
constexpr int kMinSamples = 4;
constexpr double kDisplayKFactor = 4.0 / 3.0;
}  // namespace

bool P452ProfileInputs(const double* dist, const double* height, const std::uint8_t* zone, int n,
                       double clutterHeight, double dct, double dcr, P452Inputs& inputs) {
  if (n < kMinSamples) return false;
  inputs.d.assign(dist, dist + n);
  inputs.h.assign(height, height + n);
  inputs.zone.resize(n);
  inputs.R.resize(n);
  int firstSea = -1, lastSea = -1;
  for (int i = 0; i < n; ++i) {
    const bool sea = zone[i] == zones::kSea;
    inputs.zone[i] = ItuZone(zone[i]);
    inputs.R[i] = sea ? 0.0 : clutterHeight;
    if (sea) {
      if (firstSea < 0) firstSea = i;
      lastSea = i;
    }
  }
  // The coast lies halfway between the last land sample and the first sea
  // sample, as the classic model puts it; the receiver is the last sample.
  const double length = dist[n - 1];
  if (dct < 0.0)
    inputs.dct = firstSea < 0 ? kP452NoCoastKm : firstSea == 0 ? 0.0 : (dist[firstSea - 1] + dist[firstSea]) / 2.0;
  else
    inputs.dct = dct;
  if (dcr < 0.0)
    inputs.dcr =
        lastSea < 0 ? kP452NoCoastKm : lastSea == n - 1 ? 0.0 : length - (dist[lastSea] + dist[lastSea + 1]) / 2.0;
  else
    inputs.dcr = dcr;
  return true;
}

void P452PathCentre(const P452Inputs& inputs, double& latitude, double& longitude) {
  if (inputs.centreGiven) {
    latitude = inputs.phim_n;
    longitude = inputs.phim_e;
    return;
  }
  const double dtot = inputs.d.empty() ? 0.0 : inputs.d.back() - inputs.d.front();
  p452::GreatCirclePoint(inputs.phir_e, inputs.phit_e, inputs.phir_n, inputs.phit_n, p452::kEarthRadiusKm, 0.5 * dtot,
                         longitude, latitude);
  longitude = p452::WrapLongitude(longitude);
}

bool P452ClimateAtCentre(const CRefractivity& climate, double kFactor, P452Inputs& inputs) {
  double latitude = 0.0, longitude = 0.0;
  P452PathCentre(inputs, latitude, longitude);
  double n0 = kP452FallbackN0, deltaN = kP452FallbackDeltaN;
  climate.loadTogether({CRefractivity::kN0, CRefractivity::kDeltaN});
  double mapN0 = 0.0, mapDeltaN = 0.0;
  const bool found =
      climate.n0At(latitude, longitude, true, mapN0) && climate.dnAt(latitude, longitude, true, mapDeltaN);
  if (found) {
    n0 = mapN0;
    deltaN = mapDeltaN;
  }
  if (kFactor > 0.0) deltaN = DeltaNForKFactor(kFactor);
  inputs.N0 = n0;
  inputs.DN = deltaN;
  return found;
}

bool P452PathInputs(const CSRTM& terrain, const CZONES& zones, const CRefractivity& climate, const CLocator& tx,
                    const CLocator& rx, const P452PathOptions& options, TerrainProfile& profile, P452Inputs& inputs,
                    bool* climateFound) {
  CPath path;
  path.setEnds(tx, rx);
  const double k = options.kFactor > 0.0 ? options.kFactor : kDisplayKFactor;
  if (!SampleProfile(profile, path, k, false, options.interpolate, terrain, zones)) return false;
  if (!P452ProfileInputs(profile.dist.data(), profile.height.data(), profile.zone.data(), profile.n,
                         options.clutterHeight, options.dct, options.dcr, inputs))
    return false;
  inputs.phit_n = tx.latitude();
  inputs.phit_e = tx.longitude();
  inputs.phir_n = rx.latitude();
  inputs.phir_e = rx.longitude();
  inputs.centreGiven = false;
  const bool found = P452ClimateAtCentre(climate, options.kFactor, inputs);
  if (climateFound) *climateFound = found;
  return true;
}

double P452PathVapourDensity(double omega) { return p452::kVapourLand + p452::kVapourSeaExtra * omega; }

double P452PathGasLoss(const P452Inputs& inputs, const P452Results& results) {
  double oxygen = 0.0, water = 0.0;
  p452::GasAttenuation(inputs.f, inputs.press, P452PathVapourDensity(results.omega),
                       inputs.temp + p452::kKelvinOffset, oxygen, water);
  const double rise = (results.hts - results.hrs) / 1000.0;
  return (oxygen + water) * std::sqrt(results.dtot * results.dtot + rise * rise);
}

}  // namespace tarnvale
