#pragma once
// The texts of the result labels, fields and profile table lines: every rule
// behind what the desktop program and the command line show.
#include <optional>
#include <string>

namespace tarnvale::text {

/// Miles per kilometre for display (km / 1.6093) and kilometres per typed mile.
inline constexpr double kMilesPerKm = 0.6213881811967936552;
inline constexpr double kKmPerMile = 1.6093;
inline constexpr double kFeetPerMetre = 3.28084;

/// The ground-height text of an end point from the terrain store's answer
/// @p height (m): "ASL 123 m" / "ASL 404 ft", or "Sea or missing data" for
/// -9999 and below (the store's missing value).
std::string GroundHeightText(int height, bool metric);

/// "Gaseous Loss " + FormatFixed(loss, 6, 1) + " dB".
std::string GasLossText(double lossDb);
/// The gaseous loss of a P.452-18 path, which each of its losses holds
/// already: GasLossText(loss) + " (within each loss)"; "Gaseous Loss -"
/// before the model has run.
std::string P452GasLossText(std::optional<double> lossDb);
/// FormatFixed(rho, 3, 1) + " g/m3"; "-" for none.
std::string WaterVapourText(std::optional<double> rho);
/// FormatFixed(rho, 3, 1) + " g/m3".
std::string WaterVapourText(double rho);
/// The Range field's text (km or miles) for a path of @p rangeKm.
std::string RangeFieldText(double rangeKm, bool metric);
/// The Range field's @p value re-expressed for a change of unit system, so
/// the receiver stays where it is: miles to km (x 1.6093) when @p toMetric,
/// km to miles (/ 1.6093) otherwise.
double RangeInUnits(double value, bool toMetric);
/// "km" or "mls".
std::string RangeUnitText(bool metric);
/// The Bearing field's text: FormatFixed(bearing, 4, 1).
std::string BearingFieldText(double bearingDeg);

/// A loss label: @p caption + " " + FormatFixed(loss + gas, 3, 0) + " dB".
std::string LossText(const std::string& caption, double modelLossDb, double gasLossDb);

/// FormatFixed(value, precision, 1) + @p unit (unit with its leading space).
std::string OneDecimal(double value, int precision, const std::string& unit);

/// The profile table's header line.
std::string ProfileTableHeader(bool metric);
/// One profile table line of a sample at @p distKm with model height @p heightM.
std::string ProfileTableLine(double distKm, double heightM, bool metric);

}  // namespace tarnvale::text
