#pragma once
// Gaseous attenuation of the clear atmosphere: line-by-line summation over the
// oxygen and water-vapour absorption lines of ITU-R P.676 (Annex 1 method) plus
// the dry-air continuum, and the water-vapour density of moist air.
//
// Pure functions of their arguments over two constant tables: safe to call
// from any thread; no allocation, nothing kept between calls.
#include <array>

namespace tarnvale {

/// Columns of a line table row: line frequency (GHz) and six coefficients.
inline constexpr int kGasLineColumns = 7;
inline constexpr int kOxygenLineCount = 44;
inline constexpr int kWaterVapourLineCount = 35;

using GasLine = std::array<double, kGasLineColumns>;

/// Oxygen lines, one row a line: f_i (GHz), a1, a2, a3, a4, a5, a6.
extern const std::array<GasLine, kOxygenLineCount> OxygenLineTable;
/// Water-vapour lines, one row a line: f_i (GHz), b1, b2, b3, b4, b5, b6. The
/// last row (1780 GHz) is a pseudo-line standing for the water-vapour continuum.
extern const std::array<GasLine, kWaterVapourLineCount> WaterVapourLineTable;

/// Water-vapour density of moist air.
/// @param[in] relativeHumidity percent; 0 or less gives 0, above 100 counts as 100
/// @param[in] temperature degrees C; at or below -20 (over water) or -50 (over ice) gives 0
/// @param[in] overWater true for the saturation pressure over water, false over ice
/// @return density (g/m^3)
double WaterVapourDensity(double relativeHumidity, double temperature, bool overWater);

/// Specific attenuation of the clear atmosphere.
/// @param[in] frequency GHz (the program takes 0.025 to 300)
/// @param[in] pressure total barometric pressure (hPa)
/// @param[in] temperature degrees C
/// @param[in] density water-vapour density (g/m^3)
/// @return gamma (dB/km)
double SpecificAttenuation(double frequency, double pressure, double temperature, double density);

/// SpecificAttenuation with its three parts (each dB/km).
/// @param[out] oxygen the oxygen lines' part
/// @param[out] waterVapour the water-vapour lines' part
/// @param[out] dryContinuum the dry-air continuum's part
/// @return gamma (dB/km), the sum of the three parts
double SpecificAttenuation(double frequency, double pressure, double temperature, double density,
                           double& oxygen, double& waterVapour, double& dryContinuum);

/// Dry-air continuum term N''_D (dimensionless): the non-resonant oxygen
/// (Debye) spectrum and pressure-induced nitrogen absorption.
/// @param[in] frequency GHz
/// @param[in] dryPressure pressure of dry air alone (hPa)
/// @param[in] temperature degrees C
double DryContinuum(double frequency, double dryPressure, double temperature);

}  // namespace tarnvale
