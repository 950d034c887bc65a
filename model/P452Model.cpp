// The order of a P.452-18 calculation: checks, zones and the path centre, the
// smooth-earth geometry, each mechanism and the overall blend.
#include "model/P452Model.h"

#include <cmath>
#include <limits>
#include <new>

#include "model/P452Parts.h"

namespace tarnvale {

using namespace p452;

namespace {

constexpr double kMinFrequencyGHz = kP452MinFrequencyGHz;
constexpr double kMaxFrequencyGHz = kP452MaxFrequencyGHz;
constexpr double kMinPercent = kP452MinPercent;
constexpr double kMaxPercent = kP452MaxPercent;
constexpr double kMedianPercent = 50.0;
constexpr int kMinPoints = 4;
// Points nearer either end than this (km) carry no clutter.
constexpr double kClutterFreeEndKm = 50.0 / 1000;
// Blend factors: angular (Fj) and by distance (Fk), and the ducting blend's eta.
constexpr double kFjTheta = 0.3, kFjKsi = 0.8;
constexpr double kFkDistanceKm = 20.0, kFkKappa = 0.5;
constexpr double kEta = 2.5;
constexpr double kNoAngle = -std::numeric_limits<double>::infinity();

/// The smooth-earth geometry of a profile: horizons, effective heights,
/// roughness and angular distance.
struct SmoothEarth {
  double hst, hsr, hstd, hsrd, hte, hre, hm, dlt, dlr, theta_t, theta_r, theta;
  bool transHorizon;
};

// The greatest of x[first..last], numbers only (kNoAngle when none): what a
// loop that keeps the greater of each value and the greatest so far gives.
// The searches below write their values into an array first, in loops the
// compiler vectorises, and then pass over it with this.
double greatestOf(const double* x, int first, int last) {
  double most = kNoAngle;
  for (int i = first; i <= last; ++i)
    if (x[i] > most) most = x[i];
  return most;
}

// Returns false when no horizon could be found (angles that are not numbers).
// @p tangent and @p work hold n values of working space each; @p scale is
// the profile's DiffractionScale.
bool smoothEarth(const double* d, const double* h, int n, double htg, double hrg, double ae, const double* scale,
                 double* tangent, double* work, SmoothEarth& s) {
  const double dtot = d[n - 1];
  const double hts = h[0] + htg;
  const double hrs = h[n - 1] + hrg;

  // The least-squares surface through the terrain.
  double v1 = 0.0, v2 = 0.0;
  for (int i = 1; i < n; ++i) v1 = v1 + (d[i] - d[i - 1]) * (h[i] + h[i - 1]);
  for (int i = 1; i < n; ++i)
    v2 = v2 + (d[i] - d[i - 1]) * (h[i] * (2 * d[i] + d[i - 1]) + h[i - 1] * (d[i] + 2 * d[i - 1]));
  double hst = (2 * v1 * dtot - v2) / (dtot * dtot);
  double hsr = (v2 - v1 * dtot) / (dtot * dtot);

  // The highest obstruction above the straight ray, and its steepest rise
  // seen from each end.
  double* HH = work;
  for (int i = 1; i < n - 1; ++i) HH[i] = h[i] - (hts * (dtot - d[i]) + hrs * d[i]) / dtot;
  const double hobs = greatestOf(HH, 1, n - 2);
  for (int i = 1; i < n - 1; ++i) tangent[i] = HH[i] / d[i];
  const double alphaObt = greatestOf(tangent, 1, n - 2);
  for (int i = 1; i < n - 1; ++i) tangent[i] = HH[i] / (dtot - d[i]);
  const double alphaObr = greatestOf(tangent, 1, n - 2);
  const double gt = alphaObt / (alphaObt + alphaObr);
  const double gr = alphaObr / (alphaObt + alphaObr);
  const double hstp = hobs <= 0 ? hst : hst - hobs * gt;
  const double hsrp = hobs <= 0 ? hsr : hsr - hobs * gr;
  s.hstd = hstp >= h[0] ? h[0] : hstp;
  s.hsrd = hsrp > h[n - 1] ? h[n - 1] : hsrp;

  // Horizon seen from the transmitter: the first of equal greatest angles.
  for (int i = 1; i < n - 1; ++i) tangent[i] = (h[i] - hts) / (1000 * d[i]) - d[i] / (2 * ae);
  double thetaMax = kNoAngle;
  int lt = GreatestElevation(tangent, 1, n - 2, false, thetaMax);
  const double thetaTd = 1000 * std::atan((hrs - hts) / (1000 * dtot) - dtot / (2 * ae));
  const double thetaRd = 1000 * std::atan((hts - hrs) / (1000 * dtot) - dtot / (2 * ae));
  s.theta_t = thetaMax > thetaTd ? thetaMax : thetaTd;
  s.transHorizon = s.theta_t > thetaTd;
  // Horizon seen from the receiver: the last of equal greatest angles.
  for (int i = 1; i < n - 1; ++i) tangent[i] = (h[i] - hrs) / (1000 * (dtot - d[i])) - (dtot - d[i]) / (2 * ae);
  double thetaMaxR = kNoAngle;
  int lr = GreatestElevation(tangent, 1, n - 2, true, thetaMaxR);
  if (lt < 0 || lr < 0) return false;
  s.theta_r = thetaMaxR > thetaRd ? thetaMaxR : thetaRd;
  s.dlt = d[lt];
  s.dlr = dtot - d[lr];

  if (!s.transHorizon) {
    // Line of sight: both horizons at the point of greatest diffraction
    // parameter (the last of equal ones).
    s.theta_t = thetaTd;
    s.theta_r = thetaRd;
    const double Ce = 1 / ae;
    double* nu = work;
    for (int i = 1; i < n - 1; ++i)
      nu[i] = (h[i] + 500 * Ce * d[i] * (dtot - d[i]) - (hts * (dtot - d[i]) + hrs * d[i]) / dtot) * scale[i];
    double numax = kNoAngle;
    lt = -1;
    for (int i = 1; i < n - 1; ++i) {
      if (nu[i] >= numax) {
        numax = nu[i];
        lt = i;
      }
    }
    if (lt < 0) return false;
    s.dlt = d[lt];
    s.dlr = dtot - s.dlt;
    lr = -1;
    for (int i = 1; i < n - 1; ++i)
      if (s.dlr <= dtot - d[i]) lr = i;
    if (lr < 0) return false;
  }
  s.theta = 1e3 * dtot / ae + s.theta_t + s.theta_r;

  // The smooth surface of the ducting model and the roughness above it
  // between the horizons (none when they cross).
  hst = hst < h[0] ? hst : h[0];
  hsr = hsr < h[n - 1] ? hsr : h[n - 1];
  const double m = (hsr - hst) / dtot;
  s.hst = hst;
  s.hsr = hsr;
  s.hte = htg + h[0] - hst;
  s.hre = hrg + h[n - 1] - hsr;
  double hm = kNoAngle;
  for (int i = lt; i <= lr; ++i) {
    const double above = h[i] - (hst + m * d[i]);
    if (above > hm) hm = above;
  }
  s.hm = lt <= lr ? hm : std::numeric_limits<double>::quiet_NaN();
  return true;
}

bool finite(double v) { return std::isfinite(v); }

const char* checkInputs(const P452Inputs& in) {
  const size_t n = in.d.size();
  if (n < static_cast<size_t>(kMinPoints)) return "a profile needs at least 4 points";
  if (in.h.size() != n || in.zone.size() != n || (!in.R.empty() && in.R.size() != n))
    return "the profile's arrays differ in length";
  if (in.d[0] != 0.0) return "the profile must start at distance 0";
  for (size_t i = 0; i < n; ++i) {
    if (!finite(in.d[i]) || !finite(in.h[i]) || (!in.R.empty() && !finite(in.R[i])))
      return "the profile holds a value that is not a number";
    if (i > 0 && !(in.d[i] > in.d[i - 1])) return "the profile's distances must increase";
    if (in.zone[i] != itu_zone::kCoastalLand && in.zone[i] != itu_zone::kInland && in.zone[i] != itu_zone::kSea)
      return "a zone code is not 1, 2 or 3";
  }
  if (!(in.f >= kMinFrequencyGHz && in.f <= kMaxFrequencyGHz)) return "the frequency must lie between 0.1 and 50 GHz";
  if (!(in.p >= kMinPercent && in.p <= kMaxPercent)) return "the time percentage must lie between 0.001 and 50 %";
  if (!finite(in.htg) || !finite(in.hrg) || !finite(in.Gt) || !finite(in.Gr))
    return "an antenna height or gain is not a number";
  if (in.polarisation != P452Polarisation::kHorizontal && in.polarisation != P452Polarisation::kVertical)
    return "the polarisation is neither horizontal nor vertical";
  if (!(in.dct >= 0.0) || !(in.dcr >= 0.0)) return "a distance to the coast is negative or not a number";
  if (!(in.press > 0.0) || !finite(in.press)) return "the dry-air pressure must be above 0 hPa";
  if (!(in.temp > -kKelvinOffset) || !finite(in.temp)) return "the temperature must be above -273.15 C";
  if (!(in.DN < kLapseScale) || !finite(in.DN)) return "the refractivity lapse must be below 157 N-units/km";
  if (!finite(in.N0)) return "N0 is not a number";
  if (in.centreGiven ? !(std::fabs(in.phim_n) <= 90.0)
                     : !(std::fabs(in.phit_n) <= 90.0 && std::fabs(in.phir_n) <= 90.0 && finite(in.phit_e) &&
                         finite(in.phir_e)))
    return "a latitude or longitude is not valid";
  return nullptr;
}

}  // namespace

double P452Model::gasAttenuation(GasMemo& memo, double f, double press, double temperatureK, double rho) {
  if (memo.valid && memo.f == f && memo.press == press && memo.temperatureK == temperatureK && memo.rho == rho)
    return memo.gamma;
  double oxygen = 0.0, water = 0.0;
  GasAttenuation(f, press, rho, temperatureK, oxygen, water);
  memo = {true, f, press, temperatureK, rho, oxygen + water};
  return memo.gamma;
}

bool P452Model::Calculate(const P452Inputs& in, P452Results& r) {
  r = P452Results{};
  if (const char* problem = checkInputs(in)) {
    r.error = problem;
    return false;
  }
  const int n = static_cast<int>(in.d.size());
  const double* d = in.d.data();
  const double* h = in.h.data();
  const double f = in.f;
  const double p = in.p;
  const double dtot = d[n - 1] - d[0];

  // The radio profile: clutter on the terrain, except near either end.
  if (g_.size() < static_cast<size_t>(n) || tangent_.size() < static_cast<size_t>(n) ||
      work_.size() < static_cast<size_t>(n) || scale_.size() < static_cast<size_t>(n)) {
    try {
      g_.resize(n);
      tangent_.resize(n);
      work_.resize(n);
      scale_.resize(n);
    } catch (const std::bad_alloc&) {
      r.error = "no memory for the profile";
      return false;
    }
  }
  double* g = g_.data();
  const double endFrom = d[n - 1] - kClutterFreeEndKm;
  for (int i = 0; i < n; ++i) {
    const bool bare = in.R.empty() || d[i] < kClutterFreeEndKm || d[i] > endFrom;
    g[i] = bare ? h[i] : h[i] + in.R[i];
  }

  r.dtm = LongestRun(d, in.zone.data(), n, true);
  r.dlm = LongestRun(d, in.zone.data(), n, false);
  if (in.centreGiven) {
    r.phim_n = in.phim_n;
    r.phim_e = std::isfinite(in.phim_e) ? WrapLongitude(in.phim_e) : P452Results::kNone;
  } else {
    double east = 0.0, north = 0.0;
    GreatCirclePoint(in.phir_e, in.phit_e, in.phir_n, in.phit_n, kEarthRadiusKm, 0.5 * dtot, east, north);
    r.phim_n = north;
    r.phim_e = WrapLongitude(east);
  }
  r.DN = in.DN;
  r.N0 = in.N0;
  r.dct = in.dct;
  r.dcr = in.dcr;
  r.b0 = Beta0(r.phim_n, r.dtm, r.dlm);
  const double k50 = kLapseScale / (kLapseScale - in.DN);
  const double ae = kEarthRadiusKm * k50;
  const double ab = kEarthRadiusKm * kBetaKFactor;
  r.ae = ae;
  r.omega = SeaFraction(d, in.zone.data(), n);

  SmoothEarth s{};
  double* scale = scale_.data();
  DiffractionScale(d, n, f, scale);
  if (!smoothEarth(d, h, n, in.htg, in.hrg, ae, scale, tangent_.data(), work_.data(), s)) {
    r.error = "the path's horizons could not be found";
    return false;
  }
  r.dtot = dtot;
  r.hts = h[0] + in.htg;
  r.hrs = h[n - 1] + in.hrg;
  r.hst = s.hst;
  r.hsr = s.hsr;
  r.hstd = s.hstd;
  r.hsrd = s.hsrd;
  r.hte = s.hte;
  r.hre = s.hre;
  r.hm = s.hm;
  r.dlt = s.dlt;
  r.dlr = s.dlr;
  r.theta_t = s.theta_t;
  r.theta_r = s.theta_r;
  r.theta = s.theta;
  r.transHorizon = s.transHorizon;
  const double hts = r.hts, hrs = r.hrs, omega = r.omega, b0 = r.b0;

  // The angular blend Fj from the steepest sight line over the terrain
  // (without clutter), and the blend by distance Fk.
  const double Ce = 1 / ae;
  double* slope = work_.data();
  for (int i = 1; i < n - 1; ++i) slope[i] = (h[i] + 500 * Ce * d[i] * (dtot - d[i]) - hts) / d[i];
  const double Stim = greatestOf(slope, 1, n - 2);
  const double Str = (hrs - hts) / dtot;
  const double Fj = 1.0 - 0.5 * (1.0 + std::tanh(3.0 * kFjKsi * (Stim - Str) / kFjTheta));
  const double Fk = 1.0 - 0.5 * (1.0 + std::tanh(3.0 * kFkKappa * (dtot - kFkDistanceKm) / kFkDistanceKm));

  // Line of sight over the slant distance between the antennas.
  const double temperatureK = in.temp + kKelvinOffset;
  const double rise = (hts - hrs) / 1000.0;
  const double d3D = std::sqrt(dtot * dtot + rise * rise);
  const double pathGamma = gasAttenuation(pathGas_, f, in.press, temperatureK, kVapourLand + kVapourSeaExtra * omega);
  const LineOfSight los = LineOfSightLoss(d3D, f, p, b0, pathGamma, s.dlt, s.dlr);
  r.Lbfsg = los.Lbfsg;
  r.Lb0p = los.Lb0p;
  r.Lb0b = los.Lb0b;

  // The interpolation factor of both blends where p lies at or above b0.
  const bool useFi = p >= b0;
  const double FiAbove = useFi ? InverseCumulativeNormal(p / 100) / InverseCumulativeNormal(b0 / 100) : 0.0;

  // Diffraction: median, and for p % between the median and the b0 % earth.
  double* work = work_.data();
  const DeltaBullington median = DeltaBullingtonLoss(d, g, n, hts, hrs, s.hstd, s.hsrd, ae, f, omega, work, scale);
  PerPolarisation Ldp = median.Ld;
  if (p < kMedianPercent) {
    const DeltaBullington beta = DeltaBullingtonLoss(d, g, n, hts, hrs, s.hstd, s.hsrd, ab, f, omega, work, scale);
    const double Fi = p > b0 ? FiAbove : 1.0;
    for (int i = 0; i < 2; ++i) Ldp[i] = median.Ld[i] + Fi * (beta.Ld[i] - median.Ld[i]);
  }

  // Ducting/layer reflection and troposcatter.
  const AnomalousPath anomalous{dtot,  s.dlt, s.dlr, in.dct,   in.dcr,    r.dlm, hts, hrs,
                                s.hte, s.hre, s.hm,  s.theta_t, s.theta_r, omega, ae,  b0};
  r.Lba = AnomalousLoss(anomalous, f, p, pathGamma);
  const double tropoGamma = gasAttenuation(troposcatterGas_, f, in.press, temperatureK, kVapourTroposcatter);
  r.Lbs = TroposcatterLoss(dtot, s.theta, f, p, in.N0, in.Gt, in.Gr, tropoGamma);
  r.Lminbap = kEta * std::log(std::exp(r.Lba / kEta) + std::exp(r.Lb0p / kEta));

  // The blend, for both polarisations: the ducting enhancement of the
  // diffraction loss applies only when it lowers the loss of both.
  PerPolarisation Lbd50, Lbd, Lminb0p, Lbda, Lbam, Lb;
  const double Fi = FiAbove;
  for (int i = 0; i < 2; ++i) {
    Lbd50[i] = r.Lbfsg + median.Ld[i];
    Lbd[i] = r.Lb0p + Ldp[i];
    Lminb0p[i] = useFi ? Lbd50[i] + (r.Lb0b + (1 - omega) * Ldp[i] - Lbd50[i]) * Fi : r.Lb0p + (1 - omega) * Ldp[i];
  }
  const bool enhance = r.Lminbap <= Lbd[0] && r.Lminbap <= Lbd[1];
  const double troposcatterPower = std::pow(10.0, -0.2 * r.Lbs);
  for (int i = 0; i < 2; ++i) {
    Lbda[i] = enhance ? r.Lminbap + (Lbd[i] - r.Lminbap) * Fk : Lbd[i];
    Lbam[i] = Lbda[i] + (Lminb0p[i] - Lbda[i]) * Fj;
    Lb[i] = -5 * std::log10(troposcatterPower + std::pow(10.0, -0.2 * Lbam[i]));
  }

  const int k = in.polarisation == P452Polarisation::kVertical ? 1 : 0;
  r.Ldsph = median.Ldsph[k];
  r.Ld50 = median.Ld[k];
  r.Ldp = Ldp[k];
  r.Lbd50 = Lbd50[k];
  r.Lbd = Lbd[k];
  r.Lminb0p = Lminb0p[k];
  r.Lbda = Lbda[k];
  r.Lbam = Lbam[k];
  r.Lb = Lb[k];
  if (!std::isfinite(r.Lb)) {
    r.error = "the loss is not a finite number";
    return false;
  }
  r.ok = true;
  return true;
}

}  // namespace tarnvale
