// Line of sight, troposcatter and ducting/layer reflection of the P.452-18
// model, each with its own gaseous loss.
#include <algorithm>
#include <cmath>

#include "model/P452Parts.h"

namespace tarnvale::p452 {

namespace {
// Below this frequency (GHz) ducting couples worse the longer the wavelength.
constexpr double kLowFrequencyGHz = 0.5;
// Over-sea surface-duct coupling: terminals this close to the coast (km) on
// paths at least this much over sea.
constexpr double kDuctCoastKm = 5.0;
constexpr double kDuctSeaFraction = 0.75;
}  // namespace

LineOfSight LineOfSightLoss(double distance, double f, double p, double b0, double gasSpecific, double dlt,
                            double dlr) {
  const double Ag = gasSpecific * distance;
  LineOfSight loss;
  loss.Lbfsg = 92.4 + 20.0 * std::log10(f) + 20.0 * std::log10(distance) + Ag;
  // Multipath and focusing at p and at b0.
  const double horizonTerm = 2.6 * (1 - std::exp(-0.1 * (dlt + dlr)));
  loss.Lb0p = loss.Lbfsg + horizonTerm * std::log10(p / 50);
  loss.Lb0b = loss.Lbfsg + horizonTerm * std::log10(b0 / 50);
  return loss;
}

double TroposcatterLoss(double dtot, double theta, double f, double p, double N0, double Gt, double Gr,
                        double gasSpecific) {
  const double logHalf = std::log10(f / 2);
  const double Lf = 25 * std::log10(f) - 2.5 * (logHalf * logHalf);
  // Aperture-to-medium coupling.
  const double Lc = 0.051 * std::exp(0.055 * (Gt + Gr));
  const double Ag = gasSpecific * dtot;
  return 190 + Lf + 20 * std::log10(dtot) + 0.573 * theta - 0.15 * N0 + Lc + Ag -
         10.1 * std::pow(-std::log10(p / 50), 0.7);
}

double AnomalousLoss(const AnomalousPath& a, double f, double p, double gasSpecific) {
  const double Alf = f < kLowFrequencyGHz ? 45.375 - 137.0 * f + 92.5 * f * f : 0.0;

  // Site shielding of each terminal.
  const double cubeRootF = std::pow(f, 1.0 / 3);
  const double shieldT = a.theta_t - 0.1 * a.dlt;
  const double shieldR = a.theta_r - 0.1 * a.dlr;
  const auto shielding = [&](double excess, double dl) {
    return excess > 0 ? 20 * std::log10(1 + 0.361 * excess * std::sqrt(f * dl)) + 0.264 * excess * cubeRootF : 0.0;
  };
  const double Ast = shielding(shieldT, a.dlt);
  const double Asr = shielding(shieldR, a.dlr);

  // Over-sea surface-duct coupling.
  const bool seaPath = a.omega >= kDuctSeaFraction;
  const double Act = (a.dct <= kDuctCoastKm && a.dct <= a.dlt && seaPath)
                         ? -3 * std::exp(-0.25 * a.dct * a.dct) * (1 + std::tanh(0.07 * (50 - a.hts)))
                         : 0.0;
  const double Acr = (a.dcr <= kDuctCoastKm && a.dcr <= a.dlr && seaPath)
                         ? -3 * std::exp(-0.25 * a.dcr * a.dcr) * (1 + std::tanh(0.07 * (50 - a.hrs)))
                         : 0.0;

  const double gammaD = 5e-5 * a.ae * cubeRootF;
  // The angular distance with each horizon angle at most 0.1 d_l.
  const double thetaT1 = a.theta_t > 0.1 * a.dlt ? 0.1 * a.dlt : a.theta_t;
  const double thetaR1 = a.theta_r > 0.1 * a.dlr ? 0.1 * a.dlr : a.theta_r;
  const double theta1 = 1e3 * a.dtot / a.ae + thetaT1 + thetaR1;

  // Terrain roughness; a roughness the reference leaves empty counts as smooth.
  const double dI = std::min(a.dtot - a.dlt - a.dlr, 40.0);
  const double mu3 = a.hm > 10 ? std::exp(-4.6e-5 * (a.hm - 10) * (43 + 6 * dI)) : 1.0;
  const double tau = 1 - std::exp(-(4.12e-4 * std::pow(a.dlm, 2.41)));
  const double epsilon = 3.5;
  double alpha = -0.6 - epsilon * 1e-9 * std::pow(a.dtot, 3.1) * tau;
  if (alpha < -3.4) alpha = -3.4;
  const double rootSum = std::sqrt(a.hte) + std::sqrt(a.hre);
  double mu2 = std::pow(500 / a.ae * (a.dtot * a.dtot) / (rootSum * rootSum), alpha);
  if (mu2 > 1) mu2 = 1;
  const double beta = a.b0 * mu2 * mu3;

  const double logBeta = std::log10(beta);
  const double Gamma = 1.076 / std::pow(2.0058 - logBeta, 1.012) *
                       std::exp(-(9.51 - 4.8 * logBeta + 0.198 * (logBeta * logBeta)) * 1e-6 * std::pow(a.dtot, 1.13));
  const double Ap = -12 + (1.2 + 3.7e-3 * a.dtot) * std::log10(p / beta) + 12 * std::pow(p / beta, Gamma);
  const double Adp = gammaD * theta1 + Ap;

  const double Ag = gasSpecific * a.dtot;
  const double Af = 102.45 + 20 * std::log10(f) + 20 * std::log10(a.dlt + a.dlr) + Alf + Ast + Asr + Act + Acr;
  return Af + Adp + Ag;
}

}  // namespace tarnvale::p452
