#pragma once
// The building blocks of the P.452-18 model, each as ITU-R Study Group 3's
// reference implementation of the Recommendation computes it: the same
// formulas, constants, clamps, loop orders and choice among equal values, so
// that our results agree with ITU's validation examples to their last
// decimals. Pure functions of their arguments: safe from any thread.
//
// Units: distances km, heights m, angles mrad unless the name says degrees,
// frequency GHz, time percentages %, losses dB.
#include <array>
#include <cstdint>

namespace tarnvale::p452 {

/// A value for each polarisation: [0] horizontal, [1] vertical.
using PerPolarisation = std::array<double, 2>;

/// Mean Earth radius of the model (km).
inline constexpr double kEarthRadiusKm = 6371.0;
/// Effective Earth-radius factor exceeded for b0 % of the time.
inline constexpr double kBetaKFactor = 3.0;
/// Refractivity lapse scale (N-units/km): k50 = 157 / (157 - DN).
inline constexpr double kLapseScale = 157.0;
/// Wavelength (m) times frequency (GHz): the reference's speed of light, 2.998e8 m/s.
inline constexpr double kWavelengthGHzM = 0.2998;

// Zones and climate -------------------------------------------------------

/// Length of the longest run of consecutive points whose zone satisfies
/// @p inRun (km): each run counts from its first to its last point plus half
/// the step beyond each end that is not an end of the profile.
/// @param land true: coastal land and inland together; false: inland only
double LongestRun(const double* d, const std::uint8_t* zone, int n, bool land);

/// Fraction of the profile over sea (0 to 1), runs measured as LongestRun does.
double SeaFraction(const double* d, const std::uint8_t* zone, int n);

/// Time percentage b0 for which the refractivity lapse in the lowest 100 m
/// exceeds 100 N-units/km.
/// @param phi path centre latitude (degrees) @param dtm longest land run (km)
/// @param dlm longest inland run (km)
double Beta0(double phi, double dtm, double dlm);

/// The point @p distanceKm from the transmitter along the great circle to the
/// receiver on a sphere of @p radiusKm (ITU-R P.2001 Attachment H), degrees.
/// Coincident ends give the receiver's longitude as bearing, and a point
/// whose offsets are both below 1e-9 gets the bearing as its longitude, as
/// the reference does.
void GreatCirclePoint(double phir_e, double phit_e, double phir_n, double phit_n, double radiusKm, double distanceKm,
                      double& phipnt_e, double& phipnt_n);

/// @p degrees of longitude brought within -180 (excluded) to 180.
double WrapLongitude(double degrees);

/// Approximation to the inverse complementary cumulative normal distribution
/// (x clamped below at 1e-6; meant for x <= 0.5).
double InverseCumulativeNormal(double x);

/// The greatest of 1000 atan(x[i]) over i = first..last (an elevation in
/// mrad from the tangent of its angle) and where it is: the first of equal
/// greatest values, or the last when @p lastOfEqual. Exactly what the plain
/// loop over every i finds, with the arctangent taken only near the greatest
/// x. NaNs are passed over.
/// @return the index, or -1 when no x[i] is a number
int GreatestElevation(const double* x, int first, int last, bool lastOfEqual, double& maximum);

// Gaseous attenuation ----------------------------------------------------

/// Water-vapour density (g/m^3) the model fixes: 7.5 + 2.5 omega on the path
/// (omega the fraction over sea), 3 for troposcatter.
inline constexpr double kVapourLand = 7.5;
inline constexpr double kVapourSeaExtra = 2.5;
inline constexpr double kVapourTroposcatter = 3.0;
/// Kelvin at 0 degrees C.
inline constexpr double kKelvinOffset = 273.15;

/// A spectral line of ITU-R P.676-11: f0 (GHz) and its six coefficients.
using GasLine = std::array<double, 7>;
/// The 44 oxygen lines (f0, a1..a6) of P.676-11 Table 1.
const std::array<GasLine, 44>& OxygenLines();
/// The 35 water-vapour lines (f0, b1..b6) of P.676-11 Table 2; the last
/// (1780 GHz) stands for the continuum.
const std::array<GasLine, 35>& WaterVapourLines();

/// Specific attenuation of dry air and of water vapour by the line-by-line
/// summation of ITU-R P.676-11 (Annex 1), the edition the reference uses.
/// @param f GHz @param dryPressure hPa @param rho water-vapour density (g/m^3)
/// @param temperatureK K @param[out] oxygen, water (dB/km)
void GasAttenuation(double f, double dryPressure, double rho, double temperatureK, double& oxygen, double& water);

// Diffraction -------------------------------------------------------------

/// The factor of each intermediate point's diffraction parameter,
/// sqrt(0.002 dtot / (lambda d (dtot - d))) (lambda the wavelength, m),
/// into @p scale[1..n-2]: the same for every knife-edge search over the
/// profile, so computed once.
void DiffractionScale(const double* d, int n, double f, double* scale);

/// Bullington loss of a profile: the knife edge at the intermediate point of
/// steepest sight (line of sight) or at the Bullington point, plus the
/// correction for distance. Intermediate heights from @p g, or all zero when
/// @p g is null.
/// @param hts, hrs antenna centres (m amsl) @param ap effective Earth radius (km)
/// @param work n values of working space, overwritten
/// @param scale the profile's DiffractionScale
double BullingtonLoss(const double* d, const double* g, int n, double hts, double hrs, double ap, double f,
                      double* work, const double* scale);

/// Spherical-earth diffraction loss over @p distance for effective antenna
/// heights @p hte, @p hre (m) with effective radius @p ap (km), for a path of
/// which @p omega is over sea.
PerPolarisation SphericalEarthLoss(double distance, double hte, double hre, double ap, double f, double omega);

/// The delta-Bullington diffraction loss, with its spherical-earth part.
struct DeltaBullington {
  PerPolarisation Ld{};     ///< diffraction loss
  PerPolarisation Ldsph{};  ///< spherical-earth part of the smooth path
};
/// @param g heights of the radio profile (terrain and clutter, m amsl)
/// @param hstd, hsrd smooth-surface heights of the diffraction model (m amsl)
/// @param work n values of working space, overwritten
/// @param scale the profile's DiffractionScale
DeltaBullington DeltaBullingtonLoss(const double* d, const double* g, int n, double hts, double hrs, double hstd,
                                    double hsrd, double ap, double f, double omega, double* work,
                                    const double* scale);

// Mechanisms --------------------------------------------------------------

/// Line of sight with gaseous loss (water vapour 7.5 + 2.5 omega g/m^3) over
/// @p distance and the multipath/focusing corrections at p and b0.
struct LineOfSight {
  double Lbfsg = 0.0, Lb0p = 0.0, Lb0b = 0.0;
};
/// @param gasSpecific attenuation of the gases (dB/km) at the path's density
LineOfSight LineOfSightLoss(double distance, double f, double p, double b0, double gasSpecific, double dlt, double dlr);

/// Troposcatter loss; @p gasSpecific at 3 g/m^3 of water vapour (dB/km).
double TroposcatterLoss(double dtot, double theta, double f, double p, double N0, double Gt, double Gr,
                        double gasSpecific);

/// The geometry the ducting/layer-reflection loss reads.
struct AnomalousPath {
  double dtot, dlt, dlr, dct, dcr, dlm, hts, hrs, hte, hre, hm, theta_t, theta_r, omega, ae, b0;
};
/// Ducting/layer-reflection loss, with the correction below 0.5 GHz and
/// @p gasSpecific at 7.5 + 2.5 omega g/m^3 (dB/km).
double AnomalousLoss(const AnomalousPath& path, double f, double p, double gasSpecific);

}  // namespace tarnvale::p452
