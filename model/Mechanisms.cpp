// The loss mechanisms of a calculation: line of sight and three-edge
// diffraction, ducting/layer reflection, troposcatter and the overall blend.
#include <algorithm>
#include <cmath>
#include <limits>

#include "geo/CpuClones.h"
#include "model/LossFunctions.h"
#include "model/Searches.h"
#include "model/Terrain.h"
#include "terrain/ProfileSampler.h"

namespace tarnvale {

namespace {
using profile::kEarthRadiusKm;  // the mean Earth radius the sampler uses too
constexpr double kNoEdge = -99999.0;          // below any diffraction parameter
constexpr double kNoReceiverEdge = -99990.0;  // the receiver-side search starts here
// Sampled spans shorter than this get free-space loss only.
constexpr double kShortSpanKm = 0.1;
// Above this the exponentials of the ducting blend would overflow.
constexpr double kBlendLimitDb = 500.0;
// Bounds of the ducting time percentage beta (%): positive, so that its
// logarithms stay finite and p / beta cannot overflow, and at most 100.
constexpr double kMinBeta = 1e-300;
constexpr double kMaxBeta = 100.0;

// The clearance is measured across the inclined ray from A to B, not across
// the vertical: the cosine of the ray's slope. The same for every edge
// between one pair of ends, so the edge searches work it out once.
double rayCosine(const double* x, const double* h, int a, int b) {
  return std::cos(std::atan2(0.001 * (h[b] - h[a]), x[b] - x[a]));
}

inline double edgeParameterOf(const double* x, const double* h, int i, int a, int b, double radiusKm, double wavelengthM,
                       double cosAlpha) {
  const double u = x[i] - x[a];
  const double w = x[b] - x[i];
  const double span = x[b] - x[a];
  const double clearance = 1000.0 * u * w / (2.0 * radiusKm) + h[i] - (h[a] * w + h[b] * u) / span;
  return cosAlpha * clearance * std::sqrt(0.002 * span / (wavelengthM * u * w));
}

// The first sample of first..last whose parameter is greater than @p best
// and than every earlier one: its index, or -1 with @p best unchanged. The
// parameters go into nu[first..last] in a loop the compiler vectorises.
int greatestEdgeOfAll(const double* __restrict x, const double* __restrict h, double* __restrict nu, int first,
                      int last, int a, int b, double radiusKm, double wavelengthM, double cosAlpha, double& best) {
  for (int i = first; i <= last; ++i) nu[i] = edgeParameterOf(x, h, i, a, b, radiusKm, wavelengthM, cosAlpha);
  int edge = -1;
  double greatest = best;  // a local, so the search keeps it in a register
  for (int i = first; i <= last; ++i) {
    if (nu[i] > greatest) {
      greatest = nu[i];
      edge = i;
    }
  }
  best = greatest;
  return edge;
}

// The same search with far fewer divisions and square roots, which bound the
// time of every coverage point. For a positive ray cosine the parameter
// orders the samples as the key c|c| / (u w) does (c the clearance), as both
// are the parameter's signed square over one positive constant. The key
// needs one division and no root, and is bracketed below and above with
// room for every rounding of both ways of working it out; only the samples
// whose upper bound reaches the greatest lower bound can hold the greatest
// parameter, and only those are worked out exactly, in order. The index and
// value found are therefore those of greatestEdgeOfAll, to the last bit.
TARNVALE_CPU_CLONES int greatestEdge(const double* __restrict x, const double* __restrict h, double* __restrict lower,
                 double* __restrict upper, int first, int last, int a, int b, double radiusKm, double wavelengthM,
                 double cosAlpha, double& best) {
  const auto all = [&] {
    return greatestEdgeOfAll(x, h, lower, first, last, a, b, radiusKm, wavelengthM, cosAlpha, best);
  };
  if (last < first) return -1;
  const double xa = x[a], xb = x[b], ha = h[a], hb = h[b];
  const double span = xb - xa;
  // Products u w below this would magnify the absolute slack of underflowed
  // keys past kTiny. u w is least at an end of the range.
  constexpr double kLeastProduct = 1e-12;
  const double endProducts = std::min((x[first] - xa) * (xb - x[first]), (x[last] - xa) * (xb - x[last]));
  if (!(cosAlpha > 0.0) || !(radiusKm > 0.0) || !(wavelengthM > 0.0) || !(span > 0.0) || !std::isfinite(ha) ||
      !std::isfinite(hb) || !(endProducts >= kLeastProduct))
    return all();

  constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
  constexpr double kClearanceSlack = 64.0 * kEpsilon;  // both clearances lie within ~12 epsilon of the true one
  constexpr double kWiden = 1e-12;                     // relative room for the roundings of the keys
  constexpr double kTiny = 1e-290;                     // absolute room for keys that underflow
  const double inverseDiameter = 1.0 / (2.0 * radiusKm);
  const double inverseSpan = 1.0 / span;
  for (int i = first; i <= last; ++i) {
    const double u = x[i] - xa;
    const double w = xb - x[i];
    const double bulge = 1000.0 * u * w * inverseDiameter;
    const double chord = (ha * w + hb * u) * inverseSpan;
    const double clearance = bulge + h[i] - chord;
    const double slack =
        kClearanceSlack * (std::fabs(bulge) + std::fabs(h[i]) + (std::fabs(ha * w) + std::fabs(hb * u)) * inverseSpan);
    const double inverseProduct = 1.0 / (u * w);
    const double low = clearance - slack;
    const double high = clearance + slack;
    const double keyLow = low * std::fabs(low) * inverseProduct;
    const double keyHigh = high * std::fabs(high) * inverseProduct;
    lower[i] = keyLow - std::fabs(keyLow) * kWiden - kTiny;
    upper[i] = keyHigh + std::fabs(keyHigh) * kWiden + kTiny;
  }
  const double floor = search::GreatestFinite(lower, first, last);
  int edge = -1;
  double greatest = best;
  const auto candidate = [&](int i) {
    const double nu = edgeParameterOf(x, h, i, a, b, radiusKm, wavelengthM, cosAlpha);
    if (nu > greatest) {
      greatest = nu;
      edge = i;
    }
  };
  // A sample whose upper bound lies below the floor is certainly below
  // another sample; a NaN bound is never skipped.
  search::ForEachNotBelow(upper, first, last, floor, candidate);
  best = greatest;
  return edge;
}

}  // namespace

double CTerrain::edgeParameter(int i, int a, int b, double radiusKm, double wavelengthM) const {
  const double* x = profile_.dist.data();
  const double* h = profile_.height.data();
  return edgeParameterOf(x, h, i, a, b, radiusKm, wavelengthM, rayCosine(x, h, a, b));
}

bool CTerrain::diffraction() {
  const TerrainProfile& p = profile_;
  const int n = p.n;
  const double f = r_.frequency;
  const double d = p.pathLength;
  const double lambda = 0.3 / f;
  const double ae = kEarthRadiusKm * r_.k50;

  r_.Lbfsg = loss::FreeSpaceLossOfLog(terms_.log10Frequency, d);
  r_.Lm = r_.Lt = r_.Lr = 0.0;

  // Principal edge: the sample with the greatest diffraction parameter over
  // the whole span; the first of equal maxima wins.
  const double span = n >= 2 ? p.dist[n - 1] - p.dist[0] : 0.0;
  int e = n >= 3 ? 1 : 0;
  double best = kNoEdge;
  const double* x = p.dist.data();
  const double* h = p.height.data();
  const double cosWhole = n >= 2 ? rayCosine(x, h, 0, n - 1) : 0.0;
  double* lower = scratch_.data();
  double* upper = scratch_.data() + TerrainProfile::kCapacity;
  if (const int edge = greatestEdge(x, h, lower, upper, 1, n - 2, 0, n - 1, ae, lambda, cosWhole, best); edge >= 0)
    e = edge;
  r_.principalEdge = e;
  r_.txEdge = e;
  r_.rxEdge = e;

  // A very short span is free space only; its horizons are still found so
  // that the ducting step reads defined distances and angles.
  if (n < 2 || span < kShortSpanKm) {
    if (!horizonAnalysis(e)) return false;
    r_.lineOfSight = true;
    r_.Lb0p = r_.Lb0beta = r_.Lbd50 = r_.Lbd = r_.Lbfsg;
    r_.Ldp = 0.0;
    return true;
  }

  const double lm = loss::KnifeEdgeLoss(best);
  r_.Lm = lm;
  if (!horizonAnalysis(e)) return false;

  // Es at 50 %, beta0 and p: one scale for the three.
  const double scale = loss::EnhancementScale(r_.dlt, r_.dlr);
  auto es = [&](double q) { return scale * (q == r_.percent ? terms_.enhancementLog : loss::EnhancementLog(q)); };
  if (lm == 0.0) {
    r_.lineOfSight = true;
    r_.Lbd50 = r_.Lbfsg + es(50.0);
    r_.Lb0beta = r_.Lbfsg + es(r_.beta0);
    r_.Lb0p = r_.Lbfsg + es(r_.percent);
    r_.Ldp = 0.0;
    r_.Lbd = r_.Lb0p;
    return true;
  }
  r_.lineOfSight = false;

  // Secondary edges either side of the principal one.
  double lt = 0.0;
  if (e != 1) {
    double bestT = kNoEdge;
    int edge = e;
    const double cosTx = rayCosine(x, h, 0, e);
    if (const int found = greatestEdge(x, h, lower, upper, 1, e - 1, 0, e, ae, lambda, cosTx, bestT); found >= 0) edge = found;
    lt = loss::KnifeEdgeLoss(bestT);
    r_.txEdge = lt > 0.0 ? edge : e;
  }
  double lr = 0.0;
  if (e != n - 2) {
    double bestR = kNoReceiverEdge;
    int edge = e;
    const double cosRx = rayCosine(x, h, e, n - 1);
    if (const int found = greatestEdge(x, h, lower, upper, e + 1, n - 2, e, n - 1, ae, lambda, cosRx, bestR); found >= 0)
      edge = found;
    lr = loss::KnifeEdgeLoss(bestR);
    r_.rxEdge = lr > 0.0 ? edge : e;
  }
  r_.Lt = lt;
  r_.Lr = lr;

  r_.Lb0p = r_.Lbfsg + es(r_.percent);
  r_.Lb0beta = r_.Lbfsg + es(r_.beta0);
  const double ld50 = lm + (1.0 - std::exp(-lm / 6.0)) * (lt + lr + 10.0 + 0.04 * span);
  r_.Lbd50 = r_.Lbfsg + ld50;
  if (r_.percent == 50.0) {
    r_.Ldp = ld50;
    r_.Lbd = r_.Lbd50;
    return true;
  }

  // The same edges on the earth exceeded for beta0 % of the time.
  const double aBeta = kEarthRadiusKm * r_.kBeta;
  const double nuBeta = edgeParameter(e, 0, n - 1, aBeta, lambda);
  const double lmBeta = loss::KnifeEdgeLoss(nuBeta);
  const double ltBeta =
      (lt > 0.0 && r_.txEdge >= 1) ? loss::KnifeEdgeLoss(edgeParameter(r_.txEdge, 0, e, aBeta, lambda)) : 0.0;
  const double lrBeta =
      (lr > 0.0 && r_.rxEdge >= 1) ? loss::KnifeEdgeLoss(edgeParameter(r_.rxEdge, e, n - 1, aBeta, lambda)) : 0.0;
  const double ldBeta =
      nuBeta > -0.78 ? lmBeta + (1.0 - std::exp(-lmBeta / 6.0)) * (0.04 * span + ltBeta + lrBeta + 10.0) : 0.0;
  r_.Ldp = ld50 + interpolation_ * (ldBeta - ld50);
  r_.Lbd = r_.Lb0p + r_.Ldp;
  return true;
}

void CTerrain::ducting() {
  const TerrainProfile& p = profile_;
  const int n = p.n;
  const double f = r_.frequency;
  const double d = p.pathLength;
  const double ae = kEarthRadiusKm * r_.k50;
  const double dlt = r_.dlt, dlr = r_.dlr;

  // Site shielding by the horizons.
  const double thetaT2 = r_.theta_t - 0.1 * dlt;
  const double thetaR2 = r_.theta_r - 0.1 * dlr;
  const double ast = thetaT2 > 0.0 ? 20.0 * std::log10(1.0 + 0.361 * thetaT2 * std::sqrt(f * dlt)) +
                                         0.264 * thetaT2 * terms_.cubeRootFrequency
                                   : 0.0;
  const double asr = thetaR2 > 0.0 ? 20.0 * std::log10(1.0 + 0.361 * thetaR2 * std::sqrt(f * dlr)) +
                                         0.264 * thetaR2 * terms_.cubeRootFrequency
                                   : 0.0;
  // Over-sea coupling near the coast.
  const double act = (r_.omega >= 0.75 && r_.dct <= dlt && r_.dct <= 5.0)
                         ? -3.0 * std::exp(-0.25 * r_.dct * r_.dct) * (1.0 + std::tanh(0.07 * (50.0 - p.height[0])))
                         : 0.0;
  const double acr = (r_.omega >= 0.75 && r_.dcr <= dlr && r_.dcr <= 5.0)
                         ? -3.0 * std::exp(-0.25 * r_.dcr * r_.dcr) *
                               (1.0 + std::tanh(0.07 * (50.0 - p.height[n - 1])))
                         : 0.0;
  const double af = 102.45 + 20.0 * terms_.log10Frequency + 20.0 * std::log10(dlt + dlr) + ast + asr + act + acr;

  const double tau = tau_;
  double alpha = -0.6 - 3.5e-9 * std::pow(d, 3.1) * tau;
  if (alpha < -3.4) alpha = -3.4;
  const double rootSum = std::sqrt(r_.hte) + std::sqrt(r_.hre);
  double mu2 = std::pow(500.0 / ae * d * d / (rootSum * rootSum), alpha);
  if (mu2 > 1.0) mu2 = 1.0;
  const double di = std::min(d - dlt - dlr, 40.0);
  const double mu3 = r_.hm > 10.0 ? std::exp(-4.6e-5 * (r_.hm - 10.0) * (43.0 + 6.0 * di)) : 1.0;
  // Both antennas at zero height above the smooth surface would make beta 0
  // and every logarithm below infinite: a tiny positive beta gives a very
  // large but finite ducting loss instead. Above 100 % beta would have no
  // meaning and would make the base of gamma's power negative.
  const double beta = std::clamp(r_.beta0 * mu2 * mu3, kMinBeta, kMaxBeta);

  const double thetaT1 = r_.theta_t <= 0.1 * dlt ? r_.theta_t : 0.1 * dlt;
  const double thetaR1 = r_.theta_r <= 0.1 * dlr ? r_.theta_r : 0.1 * dlr;
  const double thetaPrime = 1000.0 * d / ae + thetaT1 + thetaR1;

  const double logBeta = std::log10(beta);
  const double gamma = 1.076 / std::pow(2.0058 - logBeta, 1.012) *
                       std::exp(-(9.51 - 4.8 * logBeta + 0.198 * logBeta * logBeta) * 1e-6 * std::pow(d, 1.13));
  const double ratio = r_.percent / beta;
  const double ap = -12.0 + (1.2 + 0.0037 * d) * std::log10(ratio) + 12.0 * std::pow(ratio, gamma);
  const double gammaD = 5e-5 * ae * terms_.cubeRootFrequency;
  r_.Lba = af + gammaD * thetaPrime + ap;
}

bool CTerrain::troposcatter() {
  if (!initialised_) return false;
  const double d = profile_.pathLength;
  const double ae = kEarthRadiusKm * r_.k50;
  r_.theta = 1000.0 * d / ae + r_.theta_t + r_.theta_r;
  if (d > 0.0) {
    r_.Lbs = 190.1 + terms_.troposcatterFrequency + 20.0 * std::log10(d) + 0.573 * r_.theta - 0.15 * r_.N0 -
             terms_.troposcatterPercent;
  } else {
    r_.Lbs = 0.0;
  }
  return true;
}

void CTerrain::overall() {
  const double d = profile_.pathLength;
  const double fj = loss::AngularBlend(r_.theta);
  const double fk = loss::DistanceBlend(d);
  const double fi = interpolation_;
  const double lminb0p = r_.percent >= r_.beta0
                             ? r_.Lbd50 + (r_.Lb0beta + (1.0 - r_.omega) * r_.Ldp - r_.Lbd50) * fi
                             : r_.Lb0p + (1.0 - r_.omega) * r_.Ldp;
  const double lminbap = (r_.Lba >= kBlendLimitDb || r_.Lb0p >= kBlendLimitDb)
                             ? std::max(r_.Lba, r_.Lb0p)
                             : 2.5 * std::log(std::exp(0.4 * r_.Lba) + std::exp(0.4 * r_.Lb0p));
  const double lbda = lminbap > r_.Lbd ? r_.Lbd : lminbap + (r_.Lbd - lminbap) * fk;
  const double lbam = lbda + (lminb0p - lbda) * fj;
  r_.Lb = -5.0 * std::log10(std::pow(10.0, -0.2 * r_.Lbs) + std::pow(10.0, -0.2 * lbam));
}

}  // namespace tarnvale
