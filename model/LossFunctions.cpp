#include "model/LossFunctions.h"

#include <algorithm>
#include <cmath>

namespace tarnvale::loss {

namespace {
// Below this diffraction parameter the knife edge adds no loss.
constexpr double kKnifeEdgeThreshold = -0.78;
constexpr double kMinPercent = 0.0001;
constexpr double kMaxPercent = 100.0;
}  // namespace

double KnifeEdgeLoss(double nu) {
  if (!(nu > kKnifeEdgeThreshold)) return 0.0;
  const double v = nu - 0.1;
  return 6.9 + 20.0 * std::log10(std::sqrt(v * v + 1.0) + v);
}

namespace {
double inverseNormalLowerHalf(double x) {
  const double t = std::sqrt(-2.0 * std::log(x));
  const double c = (2.515516698 + 0.802853 * t + 0.010328 * t * t) /
                   (1.0 + 1.432788 * t + 0.189269 * t * t + 0.001308 * t * t * t);
  return t - c;
}
}  // namespace

double InverseNormal(double x) {
  if (x <= 0.5) return inverseNormalLowerHalf(x);
  return -inverseNormalLowerHalf(1.0 - x);
}

double EnhancementScale(double dlt, double dlr) { return 2.6 * (1.0 - std::exp(-0.1 * (dlt + dlr))); }

double EnhancementLog(double q) {
  q = std::clamp(q, kMinPercent, kMaxPercent);
  return std::log10(q / 50.0);
}

double Enhancement(double q, double dlt, double dlr) { return EnhancementScale(dlt, dlr) * EnhancementLog(q); }

double InterpolationFactorOf(double p, double inverseNormalP, double beta0) {
  if (p > 50.0) return 0.0;
  if (p <= beta0) return 1.0;
  return inverseNormalP / InverseNormal(beta0 / 100.0);
}

double InterpolationFactor(double p, double beta0) {
  if (p > 50.0) return 0.0;
  if (p <= beta0) return 1.0;
  return InterpolationFactorOf(p, InverseNormal(p / 100.0), beta0);
}

double AngularBlend(double theta) { return 1.0 - 0.5 * (1.0 + std::tanh(3.0 * 0.8 * (theta - 0.3) / 0.3)); }

double DistanceBlend(double d) { return 1.0 - 0.5 * (1.0 + std::tanh(3.0 * 0.5 * (d - 20.0) / 20.0)); }

double FreeSpaceLossOfLog(double log10Frequency, double d) {
  if (!(d > 0.0)) return 0.0;
  return 92.44 + 20.0 * log10Frequency + 20.0 * std::log10(d);
}

double FreeSpaceLoss(double frequency, double d) {
  if (!(d > 0.0)) return 0.0;
  return FreeSpaceLossOfLog(std::log10(frequency), d);
}

double InlandTau(double dlm) { return 1.0 - std::exp(-4.12e-4 * std::pow(dlm, 2.41)); }

double Beta0(double meanLatitude, double dtm, double dlm) { return Beta0OfTau(meanLatitude, dtm, InlandTau(dlm)); }

double Beta0OfTau(double meanLatitude, double dtm, double tau) {
  double mu1 = std::pow(std::pow(10.0, -dtm / (16.0 - 6.6 * tau)) + std::pow(10.0, -5.0 * (0.496 + 0.354 * tau)), 0.2);
  if (mu1 > 1.0) mu1 = 1.0;
  const double phi = std::fabs(meanLatitude);
  if (phi > 70.0) return 4.17 * mu1 * std::pow(mu1, 0.3);
  return std::pow(10.0, -0.015 * phi + 1.67) * mu1 * std::pow(mu1, 0.0176 * phi - 0.935);
}

}  // namespace tarnvale::loss
