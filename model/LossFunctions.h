#pragma once
// Small functions of the clear-air loss model shared by its mechanisms.
// Losses in dB, time percentages in %, angles in mrad, distances in km.

namespace tarnvale::loss {

/// Knife-edge diffraction loss J(nu) (dB); 0 for nu <= -0.78.
double KnifeEdgeLoss(double nu);

/// Inverse complementary cumulative normal I(x) by its rational approximation.
/// @param x probability, 0 < x < 1
double InverseNormal(double x);

/// Multipath/focusing term Es(q) (dB) for time percentage @p q (clamped to
/// 0.0001 ... 100) with the two horizon distances @p dlt, @p dlr (km):
/// EnhancementScale(dlt, dlr) x EnhancementLog(q), the two factors worked
/// out apart where several percentages share the distances.
double Enhancement(double q, double dlt, double dlr);
double EnhancementScale(double dlt, double dlr);
double EnhancementLog(double q);

/// Interpolation factor Fi(p, beta0) between the median and the beta0 cases:
/// 0 above 50 %, 1 at or below beta0, else I(p/100) / I(beta0/100).
double InterpolationFactor(double p, double beta0);
/// The same with I(p/100) given (as InverseNormal works it out).
double InterpolationFactorOf(double p, double inverseNormalP, double beta0);

/// Blend factor Fj between the diffraction/line-of-sight and the ducting
/// regimes by angular distance @p theta (mrad).
double AngularBlend(double theta);

/// Blend factor Fk by path length @p d (km); 0.5 at 20 km.
double DistanceBlend(double d);

/// Free-space loss (dB) at @p frequency (GHz) over @p d (km); 0 for d <= 0.
double FreeSpaceLoss(double frequency, double d);
/// The same with log10 of the frequency given.
double FreeSpaceLossOfLog(double log10Frequency, double d);

/// The time percentage beta0 (%) for which refractive index lapse rates
/// exceeding 100 N-units/km occur in the first 100 m of the atmosphere.
/// @param meanLatitude degrees; @param dtm longest land run (km);
/// @param dlm longest inland run (km)
double Beta0(double meanLatitude, double dtm, double dlm);
/// The factor tau = 1 - exp(-4.12e-4 dlm^2.41) of beta0 and of the ducting
/// loss, for the longest inland run @p dlm (km).
double InlandTau(double dlm);
/// Beta0 with tau given (as InlandTau works it out).
double Beta0OfTau(double meanLatitude, double dtm, double tau);

}  // namespace tarnvale::loss
