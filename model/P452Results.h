#pragma once
// Every value one ITU-R P.452-18 calculation leaves behind, under ITU's names.
#include <limits>

namespace tarnvale {

/// Results of P452Model::Calculate; read them after a true result. Losses in
/// dB at the inputs' polarisation, gaseous loss included where the mechanism
/// has it; distances km; heights m above mean sea level unless said
/// otherwise; angles mrad.
struct P452Results {
  static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

  bool ok = false;
  /// Why the last calculation failed (a fixed text), or null.
  const char* error = nullptr;

  // Losses.
  double Lb = kNone;       ///< basic transmission loss not exceeded for p %
  double Lbfsg = kNone;    ///< free space over the slant distance, with gaseous loss
  double Lb0p = kNone;     ///< line of sight, p %
  double Lb0b = kNone;     ///< line of sight, b0 %
  double Ldsph = kNone;    ///< spherical-earth diffraction of the median smooth path
  double Ld50 = kNone;     ///< median diffraction loss
  double Ldp = kNone;      ///< diffraction loss not exceeded for p %
  double Lbd50 = kNone;    ///< median basic loss of diffraction
  double Lbd = kNone;      ///< basic loss of diffraction, p %
  double Lminb0p = kNone;  ///< notional minimum of line of sight and over-sea diffraction
  double Lba = kNone;      ///< ducting/layer reflection
  double Lminbap = kNone;  ///< notional minimum of line of sight and ducting; infinite, as the reference has it,
                           ///< once either passes about 1775 dB (then it enhances nothing)
  double Lbda = kNone;     ///< diffraction with line-of-sight or ducting enhancement
  double Lbam = kNone;     ///< modified basic loss before troposcatter is added
  double Lbs = kNone;      ///< troposcatter

  // The path.
  double dtot = kNone;     ///< profile length (km)
  double hts = kNone;      ///< transmitting antenna centre (m amsl)
  double hrs = kNone;      ///< receiving antenna centre (m amsl)
  double ae = kNone;       ///< median effective Earth radius (km)
  double theta_t = kNone;  ///< transmitter horizon elevation (mrad)
  double theta_r = kNone;  ///< receiver horizon elevation (mrad)
  double theta = kNone;    ///< angular distance (mrad)
  double hte = kNone;      ///< transmitter height above the smooth surface, ducting model (m)
  double hre = kNone;      ///< receiver height above the smooth surface, ducting model (m)
  double hst = kNone;      ///< smooth surface at the transmitter, ducting model (m amsl)
  double hsr = kNone;      ///< smooth surface at the receiver, ducting model (m amsl)
  double hstd = kNone;     ///< smooth surface at the transmitter, diffraction model (m amsl)
  double hsrd = kNone;     ///< smooth surface at the receiver, diffraction model (m amsl)
  double hm = kNone;       ///< terrain roughness (m)
  double dlt = kNone;      ///< transmitter horizon distance (km)
  double dlr = kNone;      ///< receiver horizon distance (km)
  double dtm = kNone;      ///< longest continuous land section (km)
  double dlm = kNone;      ///< longest continuous inland section (km)
  double b0 = kNone;       ///< time percentage of refractivity lapse over 100 N-units/km (%)
  double omega = kNone;    ///< fraction of the path over sea
  double DN = kNone;       ///< refractivity lapse used (N-units/km)
  double N0 = kNone;       ///< surface refractivity used (N-units)
  double dct = kNone;      ///< transmitter's distance to the coast used (km)
  double dcr = kNone;      ///< receiver's distance to the coast used (km)
  double phim_n = kNone;   ///< path centre latitude (degrees)
  double phim_e = kNone;   ///< path centre longitude (degrees, -180 to 180); none when the centre was given without one
  bool transHorizon = false;  ///< the path type: false line of sight, true trans-horizon
};

}  // namespace tarnvale
