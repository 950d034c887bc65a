// Diffraction of the P.452-18 model: the Bullington construction, the
// spherical-earth loss and the delta-Bullington method that joins them.
#include <cmath>
#include <limits>
#include <numbers>

#include "model/P452Parts.h"

namespace tarnvale::p452 {

namespace {

constexpr double kNone = -std::numeric_limits<double>::infinity();
// Below this diffraction parameter a knife edge adds no loss.
constexpr double kKnifeEdgeThreshold = -0.78;

// Ground constants of the first-term spherical-earth loss.
constexpr double kLandPermittivity = 22.0;
constexpr double kLandConductivity = 0.003;  // S/m
constexpr double kSeaPermittivity = 80.0;
constexpr double kSeaConductivity = 5.0;     // S/m

double knifeEdgeLoss(double nu) {
  if (!(nu > kKnifeEdgeThreshold)) return 0.0;
  return 6.9 + 20 * std::log10(std::sqrt((nu - 0.1) * (nu - 0.1) + 1) + nu - 0.1);
}

// The height-gain term of the first-term loss for a normalised height B,
// never below 2 + 20 log10 K.
double heightGain(double B, double K) {
  const double gain = B > 2 ? 17.6 * std::sqrt(B - 1.1) - 5 * std::log10(B - 1.1) - 8
                            : 20 * std::log10(B + 0.1 * std::pow(B, 3));
  const double floor = 2 + 20 * std::log10(K);
  return gain < floor ? floor : gain;
}

// The powers of the first-term loss that depend neither on the ground nor
// on the polarisation: taken once for all four, with the same arguments.
struct FirstTermScales {
  double k;       // (adft f)^(-1/3)
  double x;       // (f / adft^2)^(1/3)
  double height;  // (f^2 / adft)^(1/3)
};

FirstTermScales firstTermScales(double adft, double f) {
  return {std::pow(adft * f, -1.0 / 3), std::pow(f / (adft * adft), 1.0 / 3), std::pow(f * f / adft, 1.0 / 3)};
}

// First-term spherical-earth diffraction over one kind of ground.
PerPolarisation firstTermOver(double epsr, double sigma, double d, double hte, double hre, const FirstTermScales& scale,
                              double f) {
  const double s = 18 * sigma / f;
  PerPolarisation K;
  K[0] = 0.036 * scale.k * std::pow((epsr - 1) * (epsr - 1) + s * s, -1.0 / 4);
  K[1] = K[0] * std::pow(epsr * epsr + s * s, 1.0 / 2);
  PerPolarisation loss;
  for (int i = 0; i < 2; ++i) {
    const double K2 = K[i] * K[i], K4 = std::pow(K[i], 4);
    const double beta = (1 + 1.6 * K2 + 0.67 * K4) / (1 + 4.5 * K2 + 1.53 * K4);
    const double X = 21.88 * beta * scale.x * d;
    const double Yt = 0.9575 * beta * scale.height * hte;
    const double Yr = 0.9575 * beta * scale.height * hre;
    const double Fx = X >= 1.6 ? 11 + 10 * std::log10(X) - 17.6 * X : -20 * std::log10(X) - 5.6488 * std::pow(X, 1.425);
    loss[i] = -Fx - heightGain(beta * Yt, K[i]) - heightGain(beta * Yr, K[i]);
  }
  return loss;
}

// First-term loss of a path of which omega is over sea.
PerPolarisation firstTerm(double d, double hte, double hre, double adft, double f, double omega) {
  const FirstTermScales scale = firstTermScales(adft, f);
  const PerPolarisation land = firstTermOver(kLandPermittivity, kLandConductivity, d, hte, hre, scale, f);
  const PerPolarisation sea = firstTermOver(kSeaPermittivity, kSeaConductivity, d, hte, hre, scale, f);
  return {omega * sea[0] + (1 - omega) * land[0], omega * sea[1] + (1 - omega) * land[1]};
}

}  // namespace

namespace {

// The Bullington loss with the intermediate heights from g (kBare false) or
// all zero (kBare true). Each search first writes its quantity for every
// point into work, in a loop the compiler vectorises (the divisions and
// square roots take most of the time), then finds the greatest in a plain
// pass: every value is computed as the single loop computed it.
template <bool kBare>
double bullington(const double* d, const double* g, int n, double hts, double hrs, double ap, double f,
                  double* work, const double* scale) {
  const auto height = [g](int i) { return kBare ? 0.0 : g[i]; };
  const auto greatest = [work, n] {
    double most = kNone;
    for (int i = 1; i < n - 1; ++i)
      if (work[i] > most) most = work[i];
    return most;
  };
  const double Ce = 1 / ap;
  const double lambda = kWavelengthGHzM / f;
  const double dtot = d[n - 1] - d[0];
  // The greatest slope from the transmitter to an intermediate point.
  for (int i = 1; i < n - 1; ++i) work[i] = (height(i) + 500 * Ce * d[i] * (dtot - d[i]) - hts) / d[i];
  const double Stim = greatest();
  const double Str = (hrs - hts) / dtot;

  double Luc = 0.0;
  if (Stim < Str) {
    // Line of sight: the intermediate point of greatest diffraction parameter.
    for (int i = 1; i < n - 1; ++i)
      work[i] = (height(i) + 500 * Ce * d[i] * (dtot - d[i]) - (hts * (dtot - d[i]) + hrs * d[i]) / dtot) * scale[i];
    Luc = knifeEdgeLoss(greatest());
  } else {
    // Trans-horizon: the Bullington point where the steepest rays meet.
    for (int i = 1; i < n - 1; ++i) work[i] = (height(i) + 500 * Ce * d[i] * (dtot - d[i]) - hrs) / (dtot - d[i]);
    const double Srim = greatest();
    const double dbp = (hrs - hts + Srim * dtot) / (Stim + Srim);
    const double nub = (hts + Stim * dbp - (hts * (dtot - dbp) + hrs * dbp) / dtot) *
                       std::sqrt(0.002 * dtot / (lambda * dbp * (dtot - dbp)));
    Luc = knifeEdgeLoss(nub);
  }
  return Luc + (1 - std::exp(-Luc / 6.0)) * (10 + 0.02 * dtot);
}

}  // namespace

void DiffractionScale(const double* d, int n, double f, double* scale) {
  const double lambda = kWavelengthGHzM / f;
  const double dtot = d[n - 1] - d[0];
  for (int i = 1; i < n - 1; ++i) scale[i] = std::sqrt(0.002 * dtot / (lambda * d[i] * (dtot - d[i])));
}

double BullingtonLoss(const double* d, const double* g, int n, double hts, double hrs, double ap, double f,
                      double* work, const double* scale) {
  return g ? bullington<false>(d, g, n, hts, hrs, ap, f, work, scale)
           : bullington<true>(d, g, n, hts, hrs, ap, f, work, scale);
}

PerPolarisation SphericalEarthLoss(double distance, double hte, double hre, double ap, double f, double omega) {
  const double d = distance;
  const double lambda = kWavelengthGHzM / f;
  // Beyond the marginal line-of-sight distance the first term alone.
  const double dlos = std::sqrt(2 * ap) * (std::sqrt(0.001 * hte) + std::sqrt(0.001 * hre));
  if (d >= dlos) return firstTerm(d, hte, hre, ap, f, omega);

  // The smallest clearance between the curved earth and the ray.
  const double c = (hte - hre) / (hte + hre);
  const double m = 250 * d * d / (ap * (hte + hre));
  const double q = 3 * c / 2 * std::sqrt(3 * m / std::pow(m + 1, 3));
  const double b = 2 * std::sqrt((m + 1) / (3 * m)) * std::cos(std::numbers::pi / 3 + 1.0 / 3 * std::acos(q));
  const double dse1 = d / 2 * (1 + b);
  const double dse2 = d - dse1;
  double hse = (hte - 500 * dse1 * dse1 / ap) * dse2 + (hre - 500 * dse2 * dse2 / ap) * dse1;
  hse = hse / d;
  // The clearance that gives no diffraction loss.
  const double hreq = 17.456 * std::sqrt(dse1 * dse2 * lambda / d);
  if (hse > hreq) return {0.0, 0.0};

  // The effective radius that makes the path marginally line of sight.
  const double root = d / (std::sqrt(hte) + std::sqrt(hre));
  const double aem = 500 * (root * root);
  const PerPolarisation Ldft = firstTerm(d, hte, hre, aem, f, omega);
  PerPolarisation Ldsph;
  for (int i = 0; i < 2; ++i) Ldsph[i] = Ldft[i] < 0 ? 0.0 : (1 - hse / hreq) * Ldft[i];
  return Ldsph;
}

DeltaBullington DeltaBullingtonLoss(const double* d, const double* g, int n, double hts, double hrs, double hstd,
                                    double hsrd, double ap, double f, double omega, double* work,
                                    const double* scale) {
  // The actual profile, then the smooth one: all heights zero, the antennas
  // above the smooth surface of the diffraction model.
  const double Lbulla = BullingtonLoss(d, g, n, hts, hrs, ap, f, work, scale);
  const double hts1 = hts - hstd;
  const double hrs1 = hrs - hsrd;
  const double Lbulls = BullingtonLoss(d, nullptr, n, hts1, hrs1, ap, f, work, scale);
  const double dtot = d[n - 1] - d[0];
  DeltaBullington result;
  result.Ldsph = SphericalEarthLoss(dtot, hts1, hrs1, ap, f, omega);
  for (int i = 0; i < 2; ++i) {
    const double excess = result.Ldsph[i] - Lbulls;
    result.Ld[i] = Lbulla + (excess > 0 ? excess : 0.0);
  }
  return result;
}

}  // namespace tarnvale::p452
