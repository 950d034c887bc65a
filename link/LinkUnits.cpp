#include "link/LinkUnits.h"

#include <array>
#include <cmath>

#include "link/LinkConstants.h"
#include "link/TextScan.h"
#include "text/Format.h"

namespace tarnvale {
namespace {

void fail(std::string* error, std::string why) {
  if (error) *error = std::move(why);
}

}  // namespace

double WattsFromDbm(double dBm) { return std::pow(10.0, (dBm - link::kDbmAtOneWatt) / 10.0); }

double DbmFromWatts(double watts) { return 10.0 * std::log10(watts) + link::kDbmAtOneWatt; }

double DbiFromDbd(double dBd) { return dBd + link::kDipoleGainDbi; }

double DbdFromDbi(double dBi) { return dBi - link::kDipoleGainDbi; }

bool ParsePower(std::string_view text, double& dBm, std::string* error) {
  std::string_view rest = link::Trim(text);
  double number = 0.0;
  if (!link::ScanNumber(rest, number)) {
    fail(error, "power " + link::Quote(text) + " does not start with a number");
    return false;
  }
  const std::string_view unit = link::Trim(rest);
  if (unit.empty()) {
    fail(error, "power " + link::Quote(text) + " has no unit: write W, mW, kW, dBm or dBW after the number");
    return false;
  }
  double value = 0.0;
  if (link::EqualsIgnoreCase(unit, "dBm")) {
    value = number;
  } else if (link::EqualsIgnoreCase(unit, "dBW")) {
    value = number + link::kDbmAtOneWatt;
  } else {
    double watts = 0.0;
    if (unit == "W" || unit == "w") {
      watts = number;
    } else if (unit == "mW" || unit == "mw") {
      watts = number * 1e-3;
    } else if (unit == "kW" || unit == "kw" || unit == "KW") {
      watts = number * 1e3;
    } else {
      fail(error, "power " + link::Quote(text) + " has the unit " + link::Quote(unit) +
                      ": write W, mW, kW, dBm or dBW");
      return false;
    }
    if (!(watts > 0.0)) {
      fail(error, "power " + link::Quote(text) + " must be more than 0 W");
      return false;
    }
    value = DbmFromWatts(watts);
  }
  if (!std::isfinite(value)) {
    fail(error, "power " + link::Quote(text) + " is out of range");
    return false;
  }
  dBm = value;
  return true;
}

bool ParseGain(std::string_view text, double& dBi, std::string* error) {
  std::string_view rest = link::Trim(text);
  double number = 0.0;
  if (!link::ScanNumber(rest, number)) {
    fail(error, "gain " + link::Quote(text) + " does not start with a number");
    return false;
  }
  const std::string_view unit = link::Trim(rest);
  if (unit.empty() || link::EqualsIgnoreCase(unit, "dBi")) {
    dBi = number;
    return true;
  }
  if (link::EqualsIgnoreCase(unit, "dBd")) {
    dBi = DbiFromDbd(number);
    return true;
  }
  fail(error, "gain " + link::Quote(text) + " has the unit " + link::Quote(unit) + ": write dBi or dBd");
  return false;
}

std::string FormatWatts(double watts) {
  if (!std::isfinite(watts) || watts < 0.0) return "-";
  if (watts == 0.0) return "0 W";
  struct Prefix {
    double scale;
    const char* name;
  };
  static constexpr std::array<Prefix, 7> kPrefixes = {{{1e-12, "pW"}, {1e-9, "nW"}, {1e-6, "uW"}, {1e-3, "mW"},
                                                       {1.0, "W"}, {1e3, "kW"}, {1e6, "MW"}}};
  std::size_t i = 0;
  while (i + 1 < kPrefixes.size() && watts >= kPrefixes[i + 1].scale) ++i;
  std::string digits = FormatGeneral(watts / kPrefixes[i].scale, 4);
  // 999.96 mW rounds to "1000": shown as 1 W instead.
  double shown = 0.0;
  if (i + 1 < kPrefixes.size() && link::ParseNumber(digits, shown) && shown >= 1000.0) {
    ++i;
    digits = FormatGeneral(watts / kPrefixes[i].scale, 4);
  }
  return digits + " " + kPrefixes[i].name;
}

}  // namespace tarnvale
