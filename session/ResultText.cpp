#include "session/ResultText.h"

#include <cmath>

#include "text/Format.h"

namespace tarnvale::text {
namespace {
// Store answers at or below this are no data.
constexpr int kNoHeight = -9999;

/// The decimal integer of trunc(x + 0.5), truncation toward zero.
std::string roundedTowardZero(double x) { return std::to_string(static_cast<long long>(std::trunc(x + 0.5))); }
}  // namespace

std::string GroundHeightText(int height, bool metric) {
  if (height <= kNoHeight) return "Sea or missing data";
  if (metric) return "ASL " + std::to_string(static_cast<long long>(std::floor(height + 0.5))) + " m";
  return "ASL " + std::to_string(static_cast<long long>(std::floor(height * kFeetPerMetre + 0.5))) + " ft";
}

std::string GasLossText(double lossDb) { return "Gaseous Loss " + FormatFixed(lossDb, 6, 1) + " dB"; }

std::string P452GasLossText(std::optional<double> lossDb) {
  return lossDb ? GasLossText(*lossDb) + " (within each loss)" : std::string("Gaseous Loss -");
}

std::string WaterVapourText(std::optional<double> rho) { return rho ? WaterVapourText(*rho) : std::string("-"); }

std::string WaterVapourText(double rho) { return FormatFixed(rho, 3, 1) + " g/m3"; }

std::string RangeFieldText(double rangeKm, bool metric) {
  return metric ? FormatFixed(rangeKm, 6, 1) : FormatFixed(rangeKm * kMilesPerKm, 6, 1);
}

double RangeInUnits(double value, bool toMetric) { return toMetric ? value * kKmPerMile : value * kMilesPerKm; }

std::string RangeUnitText(bool metric) { return metric ? "km" : "mls"; }

std::string BearingFieldText(double bearingDeg) { return FormatFixed(bearingDeg, 4, 1); }

std::string LossText(const std::string& caption, double modelLossDb, double gasLossDb) {
  return caption + " " + FormatFixed(modelLossDb + gasLossDb, 3, 0) + " dB";
}

std::string OneDecimal(double value, int precision, const std::string& unit) {
  return FormatFixed(value, precision, 1) + unit;
}

std::string ProfileTableHeader(bool metric) { return metric ? "meters" : "Range (m)  Height (ft)"; }

std::string ProfileTableLine(double distKm, double heightM, bool metric) {
  if (metric) return FormatFixed(distKm * 1000.0, 8, 0) + ", " + roundedTowardZero(heightM);
  return FormatFixed(distKm * kMilesPerKm, 4, 2) + "          " + roundedTowardZero(heightM * kFeetPerMetre);
}

}  // namespace tarnvale::text
