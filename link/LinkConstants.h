#pragma once
// Figures of the link budget: unit conversions, the field-strength constant
// and the limits the pattern readers hold files to.
#include <cstddef>

namespace tarnvale::link {

/// Gain of a half-wave dipole over the isotropic antenna (dB): dBi = dBd + 2.15.
inline constexpr double kDipoleGainDbi = 2.15;
/// dBm in 0 dBW: a power of 1 W is 30 dBm.
inline constexpr double kDbmAtOneWatt = 30.0;
/// MHz in one GHz (the model's frequency is in GHz, the field-strength
/// relation takes MHz).
inline constexpr double kMHzPerGHz = 1000.0;
/// Speed of light in vacuum (m/s), exact by the definition of the metre.
inline constexpr double kSpeedOfLightMPerS = 299792458.0;

/// Field strength at the receiving site from the power radiated toward it and
/// the path's loss: E (dBuV/m) = P (dBm) - L (dB) + 20 log10 f (MHz) + K.
///
/// Derivation. Over an isotropic radiator in free space the power density at
/// distance d is P / (4 pi d^2) = E^2 / (120 pi), so E (V/m) = sqrt(30 P) / d
/// with P the e.i.r.p. (W) and d in metres. In decibels above 1 uV/m:
///   E = 120 + 10 log10 30 + P (dBW) - 20 log10 d (m).
/// The free-space basic loss is Lbf = 20 log10 (4 pi d / lambda)
///   = C + 20 log10 f (MHz) + 20 log10 d (km),  C = 20 log10 (4 pi 1e9 / c),
/// (the 1e9 is 1e6 Hz per MHz times 1e3 m per km), so that
///   20 log10 d (m) = 60 + Lbf - C - 20 log10 f (MHz).
/// Putting this into E and P (dBW) = P (dBm) - 30:
///   E = P (dBm) - Lbf + 20 log10 f (MHz) + 30 + 10 log10 30 + C,
///   K = 30 + 14.771212547196624 + 32.44778322188338 = 77.21899576908001 dB.
/// Over a real path the loss L takes the place of Lbf: the field is what the
/// same receiving antenna would see in free space with that loss.
inline constexpr double kFieldStrengthConstantDb = 77.21899576908001;

/// Largest attenuation a pattern may list (dB below the peak): more is not a
/// pattern value but a mistake.
inline constexpr double kMaxAttenuationDb = 1000.0;
/// Angles a pattern file may list (degrees, bounds included): one turn either way.
inline constexpr double kMaxListedAngleDeg = 360.0;
/// Points one cut may hold: a hundredth of a degree all round.
inline constexpr std::size_t kMaxCutPoints = 36000;
/// A pattern file larger than this is not read (bytes).
inline constexpr std::size_t kMaxPatternFileBytes = std::size_t{4} << 20;

/// A full turn (degrees).
inline constexpr double kFullTurnDeg = 360.0;
/// Milliradians in one radian: the model's horizon angles are in mrad.
inline constexpr double kMradPerRad = 1000.0;

}  // namespace tarnvale::link
