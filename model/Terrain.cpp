// The model object's construction, the order of a calculation and the path
// parameters shared by every mechanism.
#include "model/Terrain.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "geo/CpuClones.h"
#include "model/LossFunctions.h"
#include "model/Searches.h"
#include "terrain/ProfileSampler.h"

namespace tarnvale {

namespace {
using profile::kEarthRadiusKm;  // the mean Earth radius the sampler uses too
constexpr double kEarthDiameterM = 12742000.0;
constexpr unsigned char kZoneSea = 1;
constexpr unsigned char kZoneInland = 3;
// A zero distance to the terminal would make an elevation angle infinite.
constexpr double kMinAngleDistanceKm = 1e-5;
constexpr double kNoAngle = -3141.5;  // below any elevation angle (mrad)
}  // namespace

CTerrain::CTerrain()
    : hullIndex_(TerrainProfile::kCapacity, -1),
      fresnelRadius_(TerrainProfile::kCapacity, 0.0),
      rayHeight_(TerrainProfile::kCapacity, 0.0),
      scratch_(2 * TerrainProfile::kCapacity, 0.0) {
  initialised_ = static_cast<int>(profile_.dist.size()) == TerrainProfile::kCapacity &&
                 static_cast<int>(hullIndex_.size()) == TerrainProfile::kCapacity &&
                 static_cast<int>(scratch_.size()) == 2 * TerrainProfile::kCapacity;
}

bool CTerrain::start(bool coverage, double N0, double deltaN, double frequency, double percent,
                     double txAntennaHeight, double rxAntennaHeight) {
  r_.ok = false;
  if (!initialised_) return false;
  r_.coverageMode = coverage;
  profile_.maxHeight = 0.0;
  profile_.midBulge = 0.0;
  profile_.n = 0;
  r_.kBeta = 3.0;
  r_.N0 = N0;
  r_.deltaN = deltaN;
  r_.k50 = 157.0 / (157.0 - deltaN);
  r_.frequency = frequency;
  r_.percent = percent;
  r_.txAntennaHeight = txAntennaHeight;
  r_.rxAntennaHeight = rxAntennaHeight;
  r_.hullCount = 0;
  updateInputTerms();
  // A lapse of 157 N-units/km or more has no effective Earth (flat or
  // concave); such a path has no valid result.
  return std::isfinite(r_.k50) && r_.k50 > 0.0;
}

void CTerrain::updateInputTerms() {
  // Compared bit for bit: a zero of the other sign gives other powers.
  const auto same = [](double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); };
  const double f = r_.frequency;
  if (!termsSet_ || !same(f, terms_.frequency)) {
    terms_.frequency = f;
    terms_.log10Frequency = std::log10(f);
    terms_.cubeRootFrequency = std::pow(f, 1.0 / 3.0);
    const double logHalfF = std::log10(f / 2.0);
    terms_.troposcatterFrequency = 25.0 * std::log10(f) - 2.5 * logHalfF * logHalfF;
  }
  const double p = r_.percent;
  if (!termsSet_ || !same(p, terms_.percent)) {
    terms_.percent = p;
    terms_.enhancementLog = loss::EnhancementLog(p);
    terms_.troposcatterPercent = 10.125 * std::pow(std::log10(50.0 / p), 0.7);
    terms_.inverseNormal = loss::InverseNormal(p / 100.0);
  }
  termsSet_ = true;
}

bool CTerrain::CalculatePath(const CSRTM& terrain, const CZONES& zones, const CLocator& tx, const CLocator& rx,
                             bool interpolate, double N0, double deltaN, double frequency, double percent,
                             double txAntennaHeight, double rxAntennaHeight) {
  if (!start(false, N0, deltaN, frequency, percent, txAntennaHeight, rxAntennaHeight)) return false;
  return sampleAndAnalyse(terrain, zones, tx, rx, false, interpolate);
}

bool CTerrain::CalculateCoveragePoint(const CSRTM& terrain, const CZONES& zones, const CLocator& tx,
                                      const CLocator& rx, double N0, double deltaN, double frequency, double percent,
                                      double txAntennaHeight, double rxAntennaHeight) {
  if (!start(true, N0, deltaN, frequency, percent, txAntennaHeight, rxAntennaHeight)) return false;
  return sampleAndAnalyse(terrain, zones, tx, rx, true, false);
}

bool CTerrain::sampleAndAnalyse(const CSRTM& terrain, const CZONES& zones, const CLocator& tx, const CLocator& rx,
                                bool coverage, bool interpolate) {
  path_.setEnds(tx, rx);
  tx_ = tx;
  rx_ = rx;
  r_.meanLatitude = (tx.latitude() + rx.latitude()) / 2.0;
  if (!SampleProfile(profile_, path_, r_.k50, coverage, interpolate, terrain, zones)) return false;
  return analyse();
}

bool CTerrain::suppliedProfileFits(const TerrainProfile& supplied) const {
  const int n = supplied.n;
  if (n < 1 || n > TerrainProfile::kCapacity) return false;
  // Checked in a plain loop without early exits, which the compiler
  // vectorises: a coverage run passes every point's profile through here.
  bool increasing = true;
  for (int i = 1; i < n; ++i) increasing &= supplied.dist[i] > supplied.dist[i - 1];
  return increasing && supplied.pathLength >= 0.1;
}

bool CTerrain::CalculateProfile(const TerrainProfile& supplied, double meanLatitude, double N0, double deltaN,
                                double frequency, double percent, double txAntennaHeight, double rxAntennaHeight,
                                bool coverage) {
  if (!start(coverage, N0, deltaN, frequency, percent, txAntennaHeight, rxAntennaHeight)) return false;
  r_.meanLatitude = meanLatitude;
  if (!suppliedProfileFits(supplied)) return false;
  const int n = supplied.n;
  const double length = supplied.pathLength;
  profile_.n = n;
  profile_.pathLength = length;
  std::copy_n(supplied.dist.begin(), n, profile_.dist.begin());
  std::copy_n(supplied.height.begin(), n, profile_.height.begin());
  std::copy_n(supplied.zone.begin(), n, profile_.zone.begin());
  double maxHeight = -9999.0;
  for (int i = 0; i < n; ++i) maxHeight = std::max(maxHeight, profile_.height[i]);
  profile_.maxHeight = maxHeight;
  // The same earth bulge a sampled path carries, for display.
  const double re = kEarthRadiusKm * r_.k50;
  std::fill_n(profile_.curvature.begin(), n, 0.0);
  if (!coverage) {
    const double chord = std::trunc(1000.0 * std::sqrt(std::max(0.0, re * re - (length / 2) * (length / 2))));
    for (int i = 1; i < n - 1; ++i) {
      const double x = supplied.dist[i] - length / 2;
      profile_.curvature[i] = 1000.0 * std::sqrt(std::max(0.0, re * re - x * x)) - chord;
    }
  }
  if (!coverage) profile_.midBulge = 125.0 * length * length / re;
  return analyse();
}

bool CTerrain::CalculateCoverageProfile(TerrainProfile& profile, double meanLatitude, double N0, double deltaN,
                                        double frequency, double percent, double txAntennaHeight,
                                        double rxAntennaHeight) {
  const auto full = [](const TerrainProfile& q) {
    const auto capacity = static_cast<std::size_t>(TerrainProfile::kCapacity);
    return q.dist.size() == capacity && q.height.size() == capacity && q.zone.size() == capacity &&
           q.curvature.size() == capacity;
  };
  if (!full(profile))
    return CalculateProfile(profile, meanLatitude, N0, deltaN, frequency, percent, txAntennaHeight, rxAntennaHeight,
                            true);
  if (!start(true, N0, deltaN, frequency, percent, txAntennaHeight, rxAntennaHeight)) return false;
  r_.meanLatitude = meanLatitude;
  if (!suppliedProfileFits(profile)) return false;
  const int n = profile.n;
  profile_.n = n;
  profile_.pathLength = profile.pathLength;
  profile_.dist.swap(profile.dist);
  profile_.height.swap(profile.height);
  profile_.zone.swap(profile.zone);
  profile_.curvature.swap(profile.curvature);
  // The highest sample as CalculateProfile's loop finds it, four at a time:
  // a sampler's heights are whole metres (no NaN, no negative zero), whose
  // greatest is the same in any order.
  const double* h = profile_.height.data();
  double lanes[4] = {-9999.0, -9999.0, -9999.0, -9999.0};
  int i = 0;
  for (; i + 4 <= n; i += 4)
    for (int l = 0; l < 4; ++l) lanes[l] = lanes[l] < h[i + l] ? h[i + l] : lanes[l];
  double maxHeight = std::max(std::max(lanes[0], lanes[1]), std::max(lanes[2], lanes[3]));
  for (; i < n; ++i) maxHeight = std::max(maxHeight, h[i]);
  profile_.maxHeight = maxHeight;
  std::fill_n(profile_.curvature.begin(), n, 0.0);
  return analyse();
}

bool CTerrain::analyse() {
  TerrainProfile& p = profile_;
  const int n = p.n;
  p.height[0] += r_.txAntennaHeight;
  p.height[n - 1] += r_.rxAntennaHeight;

  zoneStatistics();
  if (!beta0Step()) return false;
  if (!diffraction()) return false;
  // The horizons were found during the diffraction step, on the same
  // profile and principal edge; a coverage run takes their line-of-sight
  // verdict in place of the diffraction one.
  if (r_.coverageMode) r_.lineOfSight = horizonSight_;
  if (!smoothEarthHeights()) return false;
  if (!r_.coverageMode) lineOfSightString();
  if (!roughness()) return false;
  ducting();
  if (!troposcatter()) return false;
  overall();
  r_.ok = true;
  return true;
}

void CTerrain::zoneStatistics() {
  const TerrainProfile& p = profile_;
  const int n = p.n;
  const double d = p.pathLength;
  // Plain pointers and local sums: the zone codes are bytes, which may alias
  // anything, so members would be read and written again at every sample.
  const double* dist = p.dist.data();
  const std::uint8_t* zone = p.zone.data();
  // Each sample stands for half the distance between its neighbours, the
  // ends for half their one spacing; worked out first, in a loop free of
  // branches.
  double* share = scratch_.data();
  if (n >= 2) {
    share[0] = (dist[1] - dist[0]) / 2.0;
    for (int i = 1; i < n - 1; ++i) share[i] = (dist[i + 1] - dist[i - 1]) / 2.0;
    share[n - 1] = (dist[n - 1] - dist[n - 2]) / 2.0;
  } else if (n == 1) {
    share[0] = 0.0;
  }
  // The sums run sample by sample in order, run by run of one zone code. The
  // shares are positive (the distances increase), so a land or inland run
  // grows along a run of codes and is at its longest at the run's end.
  double sea = 0.0, landRun = 0.0, inlandRun = 0.0;
  double dtm = 0.0, dlm = 0.0;
  int firstSea = -1, lastSea = -1;
  for (int i = 0; i < n;) {
    const std::uint8_t code = zone[i];
    int end = i + 1;
    while (end < n && zone[end] == code) ++end;
    if (code == kZoneSea) {
      for (int k = i; k < end; ++k) sea += share[k];
      landRun = 0.0;
      if (firstSea < 0) firstSea = i;
      lastSea = end - 1;
      inlandRun = 0.0;
    } else if (code == kZoneInland) {
      for (int k = i; k < end; ++k) {
        landRun += share[k];
        inlandRun += share[k];
      }
      dtm = std::max(dtm, landRun);
      dlm = std::max(dlm, inlandRun);
    } else {
      for (int k = i; k < end; ++k) landRun += share[k];
      dtm = std::max(dtm, landRun);
      inlandRun = 0.0;
    }
    i = end;
  }
  r_.dtm = dtm;
  r_.dlm = dlm;
  r_.omega = sea / d;
  if (r_.omega == 0.0) {
    r_.dct = -1.0;
    r_.dcr = -1.0;
    return;
  }
  r_.dct = firstSea == 0 ? 0.0 : (dist[firstSea - 1] + dist[firstSea]) / 2.0;
  r_.dcr = lastSea == n - 1 ? 0.0 : d - (dist[lastSea] + dist[lastSea + 1]) / 2.0;
}

bool CTerrain::beta0Step() {
  if (profile_.pathLength < 0.001) return false;
  tau_ = loss::InlandTau(r_.dlm);
  r_.beta0 = loss::Beta0OfTau(r_.meanLatitude, r_.dtm, tau_);
  interpolation_ = loss::InterpolationFactorOf(r_.percent, terms_.inverseNormal, r_.beta0);
  return true;
}

TARNVALE_CPU_CLONES bool CTerrain::horizonAnalysis(int principalEdge) {
  const TerrainProfile& p = profile_;
  const int n = p.n;
  const double d = p.pathLength;
  const int e = principalEdge;
  if (d < 0.001 || n < 3) {
    r_.lineOfSight = true;
    r_.theta_t = 0.0;
    r_.theta_r = 0.0;
    return false;
  }
  const double ae = kEarthRadiusKm * r_.k50;
  const double* h = p.height.data();
  const double* x = p.dist.data();
  double* angle = scratch_.data();

  const double thetaTd = (h[n - 1] - h[0]) / d - 1000.0 * d / (2.0 * ae);
  r_.ilt = e;
  r_.dlt = x[e] - x[0];
  // The angles first, in a loop free of branches that the compiler turns
  // into vector arithmetic, then the search for the greatest.
  for (int i = 1; i <= n - 2; ++i) {
    const double run = x[i] - x[0];
    const double di = run + (run == 0.0 ? kMinAngleDistanceKm : 0.0);  // run itself when not 0
    angle[i] = (h[i] - h[0]) / di - 1000.0 * di / (2.0 * ae);
  }
  double maximum = kNoAngle;
  const int horizon = search::LastGreatest(angle, 1, n - 2, maximum);  // the last of equal maxima wins
  if (horizon >= 0) {
    r_.ilt = horizon;
    r_.dlt = x[horizon] - x[0] == 0.0 ? kMinAngleDistanceKm : x[horizon] - x[0];
  }
  r_.lineOfSight = maximum <= thetaTd;
  r_.theta_t = std::max(maximum, thetaTd);
  horizonSight_ = r_.lineOfSight;

  const double thetaRd = (h[0] - h[n - 1]) / d - 1000.0 * d / (2.0 * ae);
  if (r_.lineOfSight) {
    r_.theta_r = thetaRd;
    r_.ilt = e;
    r_.ilr = e;
    r_.dlt = x[e];
    r_.dlr = d - x[e];
    return true;
  }
  r_.ilr = e;
  r_.dlr = d - x[e];
  for (int j = 1; j <= n - 2; ++j) {
    const double run = d - x[j];
    const double dj = run + (run == 0.0 ? kMinAngleDistanceKm : 0.0);
    angle[j] = (h[j] - h[n - 1]) / dj - 1000.0 * dj / (2.0 * ae);
  }
  double maximumR = kNoAngle;
  const int horizonR = search::LastGreatest(angle, 1, n - 2, maximumR);
  if (horizonR >= 0) {
    r_.ilr = horizonR;
    r_.dlr = d - x[horizonR] == 0.0 ? kMinAngleDistanceKm : d - x[horizonR];
  }
  r_.theta_r = std::max(maximumR, thetaRd);
  return true;
}

bool CTerrain::smoothEarthHeights() {
  const TerrainProfile& p = profile_;
  const int n = p.n;
  const double d = p.pathLength;
  if (d < 0.0001 || n <= 2) return false;
  // Ground heights: the ends without their antennas. The sums run in sample
  // order, ends and middle alike.
  const double* h = p.height.data();
  const double* x = p.dist.data();
  const double first = h[0] - r_.txAntennaHeight;
  const double last = h[n - 1] - r_.rxAntennaHeight;
  double sum = 0.0;
  sum += first;
  for (int i = 1; i < n - 1; ++i) sum += h[i];
  sum += last;
  const double mean = sum / n;
  const double x0 = x[0] - d / 2.0;
  double numerator = 0.0, denominator = 0.0;
  numerator += (first - mean) * x0;
  denominator += x0 * x0;
  for (int i = 1; i < n - 1; ++i) {
    const double xc = x[i] - d / 2.0;
    numerator += (h[i] - mean) * xc;
    denominator += xc * xc;
  }
  const double xl = x[n - 1] - d / 2.0;
  numerator += (last - mean) * xl;
  denominator += xl * xl;
  const double slope = numerator / denominator;
  double hst = mean - slope * d / 2.0;
  double hsr = hst + slope * d;
  hst = std::min(hst, first);
  hsr = std::min(hsr, last);
  r_.hst = hst;
  r_.hsr = hsr;
  r_.slope = (hsr - hst) / d;
  r_.hte = p.height[0] - hst;
  r_.hre = p.height[n - 1] - hsr;
  return true;
}

bool CTerrain::roughness() {
  const TerrainProfile& p = profile_;
  const int n = p.n;
  if (p.pathLength < 0.0001 || n <= 2) return false;
  if (r_.lineOfSight) {
    const int e = r_.principalEdge;
    r_.hm = p.height[e] - (r_.hst + r_.slope * p.dist[e]);
    return true;
  }
  double hm = -100000.0;
  for (int i = r_.ilt; i <= r_.ilr; ++i) hm = std::max(hm, p.height[i] - (r_.hst + r_.slope * p.dist[i]));
  r_.hm = hm;
  return true;
}

void CTerrain::lineOfSightString() {
  const TerrainProfile& p = profile_;
  const int n = p.n;
  const double* h = p.height.data();
  const double* x = p.dist.data();
  // The string stretched over the terrain on an earth of radius k50 x 6371 km:
  // from each vertex the next is the sample seen at the highest angle.
  int count = 0;
  int c = 0;
  while (c < n - 1 && count < TerrainProfile::kCapacity) {
    double best = -9999.0;
    int next = n - 1;
    for (int k = c + 1; k < n; ++k) {
      const double run = 1000.0 * (x[k] - x[c]);
      const double angle = std::atan2(h[k] - h[c], run) - run / (r_.k50 * kEarthDiameterM);
      if (angle > best) {
        best = angle;
        next = k;
      }
    }
    hullIndex_[count++] = next;
    c = next;
  }
  r_.hullCount = count;

  const double wavelengthFactor = 0.2998 / r_.frequency;
  int s = 0;
  for (int v = 0; v < count; ++v) {
    const int e = hullIndex_[v];
    const double o = 1000.0 * (x[e] - x[s]);
    for (int l = s; l < e; ++l) {
      const double xl = 1000.0 * (x[l] - x[s]);
      fresnelRadius_[l] = (xl > 0.0 && xl < o) ? std::sqrt(wavelengthFactor * xl * (o - xl) / o) : 0.0;
      rayHeight_[l] = h[s] + xl * (h[e] - h[s]) / o - 0.001 * xl * (o - xl) / (2.0 * kEarthRadiusKm * r_.k50) + 0.5;
    }
    s = e;
  }
  rayHeight_[n - 1] = h[n - 1];
  fresnelRadius_[n - 1] = 0.0;
}

}  // namespace tarnvale
