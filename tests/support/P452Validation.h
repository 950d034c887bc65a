#pragma once
// ITU-R Study Group 3's validation examples of P.452-18, committed under
// tests/data/p452-18-validation: 17 profiles and their 35 result rows each.
// A results file belongs to the profile of the same name (its first column
// names the wrong profile in one file, see PROVENANCE.md there).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "model/P452Inputs.h"

namespace tarnvale::test {

/// The folder of the committed examples: TARNVALE_P452_VALIDATION when set,
/// else the copy in the source tree the build was configured from.
inline std::filesystem::path P452ValidationDir() {
  const char* dir = std::getenv("TARNVALE_P452_VALIDATION");
  if (dir && *dir) return dir;
  return TARNVALE_P452_VALIDATION_DIR;
}

/// The names the examples go by: "flat_land_5km" for
/// profiles/test_profile_flat_land_5km.csv and results/test_result_flat_land_5km.csv.
inline std::vector<std::string> P452ValidationNames() {
  return {"b2iseac_dense_urban_land_eqdist", "b2iseac_eqdist", "b2iseac_eqdist_no_clutter",
          "b2iseac_land_eqdist_no_clutter", "cebreros_3995", "cebreros_3995_no_clutter",
          "flat_land_1000km", "flat_land_100km", "flat_land_5km", "flat_land_5km_Dense_Suburban",
          "flat_land_5km_Dense_Urban", "flat_land_5km_Industrial", "land_70km", "mixed_109km",
          "rburg_rural_no_clutter", "rburg_rural_with_clutter", "tropo_7001"};
}

inline std::vector<std::string> SplitCsvLine(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> cells;
  std::stringstream row(line);
  for (std::string cell; std::getline(row, cell, ',');) {
    const size_t first = cell.find_first_not_of(" \t"), last = cell.find_last_not_of(" \t");
    cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
  }
  return cells;
}

/// A profile's columns: d (km), h (m), clutter R (m), zone in ITU's codes.
struct P452ValidationProfile {
  std::vector<double> d, h, R;
  std::vector<std::uint8_t> zone;
  std::string text;  ///< the file as read
};

inline P452ValidationProfile ReadP452ValidationProfile(const std::string& name) {
  P452ValidationProfile profile;
  std::ifstream in(P452ValidationDir() / "profiles" / ("test_profile_" + name + ".csv"), std::ios::binary);
  std::string line;
  std::getline(in, line);  // the header
  while (std::getline(in, line)) {
    const auto cells = SplitCsvLine(line);
    if (cells.size() < 5) continue;
    profile.d.push_back(std::stod(cells[0]));
    profile.h.push_back(std::stod(cells[1]));
    profile.R.push_back(std::stod(cells[2]));
    profile.zone.push_back(static_cast<std::uint8_t>(std::stoi(cells[4])));
  }
  return profile;
}

/// One result row: every column by its header's name ("f (GHz)", "Lb", ...),
/// as text, and as numbers where they read as one.
struct P452ValidationRow {
  std::map<std::string, std::string> text;
  double operator[](const std::string& column) const { return std::stod(text.at(column)); }
};

inline std::vector<P452ValidationRow> ReadP452ValidationResults(const std::string& name) {
  std::vector<P452ValidationRow> rows;
  std::ifstream in(P452ValidationDir() / "results" / ("test_result_" + name + ".csv"), std::ios::binary);
  std::string line;
  if (!std::getline(in, line)) return rows;
  const auto header = SplitCsvLine(line);
  while (std::getline(in, line)) {
    const auto cells = SplitCsvLine(line);
    if (cells.size() < header.size()) continue;
    P452ValidationRow row;
    for (size_t i = 0; i < header.size(); ++i) row.text[header[i]] = cells[i];
    rows.push_back(std::move(row));
  }
  return rows;
}

/// The model's inputs for one row over its profile, DN and N0 as the row
/// stores them (the reference read them from ITU's maps at the path centre).
inline P452Inputs P452ValidationInputs(const P452ValidationProfile& profile, const P452ValidationRow& row) {
  P452Inputs in;
  in.d = profile.d;
  in.h = profile.h;
  in.R = profile.R;
  in.zone = profile.zone;
  in.f = row["f (GHz)"];
  in.p = row["p (%)"];
  in.htg = row["htg (m)"];
  in.hrg = row["hrg (m)"];
  in.phit_e = row["phit_e (deg)"];
  in.phit_n = row["phit_n (deg)"];
  in.phir_e = row["phir_e (deg)"];
  in.phir_n = row["phir_n (deg)"];
  in.Gt = row["Gt (dBi)"];
  in.Gr = row["Gr (dBi)"];
  in.polarisation = row["pol (1-h/2-v)"] == 2 ? P452Polarisation::kVertical : P452Polarisation::kHorizontal;
  in.dct = row["dct (km)"];
  in.dcr = row["dcr (km)"];
  in.press = row["press (hPa)"];
  in.temp = row["temp (deg C)"];
  in.DN = row["DN"];
  in.N0 = row["N0"];
  return in;
}

/// Checks every value a row stores against @p value (the computed value of
/// a column, by ITU's name) and @p transHorizon, with the tolerances ITU's
/// files allow (see PROVENANCE.md beside them):
/// - Lb within 1e-6 dB;
/// - the diffraction terms Ldsph, Ld50, Ldp within 1e-5 dB: the files keep DN
///   to 6 decimals, which moves them by up to about 7e-6 dB;
/// - Lbfsg, Lb0p, Lb0b (8 decimals, independent of DN) within 1e-8 dB; Lbs and
///   Lba (8 decimals, moved by DN's rounding through ae) within 1e-6 dB;
/// - the path values, stored to 6 decimals, within half a unit of the 6th
///   decimal; those that depend on DN (ae and the angles) within that plus
///   what half a unit of DN's 6th decimal moves them by.
/// @param[in,out] worst the largest deviation of each column so far
inline void ExpectP452Row(const P452ValidationRow& row, const std::function<double(const std::string&)>& value,
                          bool transHorizon, std::map<std::string, double>& worst) {
  constexpr double kSixDecimals = 0.5e-6 + 1e-12;
  constexpr double kDnHalfUnit = 0.5e-6;  // N-units/km
  const std::string where = "f " + row.text.at("f (GHz)") + " GHz, p " + row.text.at("p (%)") + " %";
  auto check = [&](const std::string& name, double tolerance) {
    const double computed = value(name), reference = row[name];
    worst[name] = std::max(worst[name], std::fabs(computed - reference));
    EXPECT_NEAR(computed, reference, tolerance) << name << " at " << where;
  };
  // dae/dDN = ae^2 / (6371 x 157); the horizon angles hold d / (2 ae) and
  // theta adds d / ae (mrad), which ae's spread moves by d / ae^2 at most.
  const double ae = value("ae"), dtot = value("dtot");
  const double aeSpread = ae * ae / (6371.0 * 157.0) * kDnHalfUnit;
  const double angleSpread = 1e3 * dtot / (ae * ae) * aeSpread;
  check("ae", kSixDecimals + aeSpread);
  check("theta_t", kSixDecimals + angleSpread);
  check("theta_r", kSixDecimals + angleSpread);
  check("theta", kSixDecimals + 2 * angleSpread);
  for (const char* name : {"dtot", "hts", "hrs", "hm", "hte", "hre", "hstd", "hsrd", "dlt", "dlr", "dtm", "dlm", "b0",
                           "omega", "DN", "N0"})
    check(name, kSixDecimals);
  EXPECT_EQ(transHorizon ? "Trans-Horizon" : "Line of Sight", row.text.at("path")) << where;
  check("Lb", 1e-6);
  for (const char* name : {"Lbfsg", "Lb0p", "Lb0b"}) check(name, 1e-8);
  for (const char* name : {"Ldsph", "Ld50", "Ldp"}) check(name, 1e-5);
  for (const char* name : {"Lbs", "Lba"}) check(name, 1e-6);
}

/// "name 1.2e-07 ..." of the largest deviations.
inline std::string P452DeviationSummary(const std::map<std::string, double>& worst) {
  std::string summary;
  for (const auto& [name, deviation] : worst) {
    char item[64];
    std::snprintf(item, sizeof item, " %s %.2e", name.c_str(), deviation);
    summary += item;
  }
  return summary;
}

}  // namespace tarnvale::test
