#pragma once
// Power and gain units of the link budget: W and dBm, dBd and dBi, and the
// texts users write them in ("10W", "500 mW", "40dBm", "-3 dBW", "12 dBd").
#include <string>
#include <string_view>

namespace tarnvale {

/// Power (W) of @p dBm: 10^((dBm - 30) / 10).
double WattsFromDbm(double dBm);
/// Power (dBm) of @p watts (> 0): 10 log10(W) + 30. Not finite for W <= 0.
double DbmFromWatts(double watts);
/// Gain over the isotropic antenna (dBi) of a gain over the half-wave dipole (dBd): + 2.15.
double DbiFromDbd(double dBd);
/// Gain over the half-wave dipole (dBd) of @p dBi: - 2.15.
double DbdFromDbi(double dBi);

/// Reads a transmitter power: a number followed, with or without a space, by
/// its unit: W, mW, kW, dBm or dBW ("10W", "10 W", "500mW", "1.5 kW",
/// "40dBm", "-3 dBW"). The decibel units ignore case; the watt prefixes do
/// not, so that "MW" is never taken for milliwatts. A bare number is refused:
/// the unit must be written.
/// @param[out] dBm the power (dBm); untouched on failure
/// @param[out] error why the text was refused, when given
/// @return false for a text that is not such a power, or watts not above zero
bool ParsePower(std::string_view text, double& dBm, std::string* error = nullptr);

/// Reads an antenna gain: a number in dBi, or a number followed by dBi or dBd
/// ("14", "14 dBi", "11.85dBd"); dBd is turned into dBi (+ 2.15).
/// @param[out] dBi the gain (dBi); untouched on failure
/// @param[out] error why the text was refused, when given
bool ParseGain(std::string_view text, double& dBi, std::string* error = nullptr);

/// A power in watts for display, with the prefix that puts it between 1 and
/// 1000 (pW to MW) and 4 significant digits: "10 W", "500 mW", "1.259 kW",
/// "20 uW" (u for micro, so that every display can show it). "0 W" for zero,
/// "-" for a value that is not finite or negative.
std::string FormatWatts(double watts);

}  // namespace tarnvale
