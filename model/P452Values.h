#pragma once
// The values of a P.452-18 result as a list: ITU's name, the number, its unit
// and what it is. The command line's JSON keys and table rows come from it,
// so every front end names the values alike.
#include <array>

#include "model/P452Results.h"

namespace tarnvale {

/// One value of a P.452-18 result.
struct P452Value {
  const char* name;     ///< ITU's name, also the JSON key ("Lb", "theta_t", ...)
  double value;         ///< NaN where there is none (phim_e of a profile given only its centre)
  const char* unit;     ///< "dB", "km", "m", "mrad", "%", "deg", "N-units", "N-units/km" or "" (a fraction)
  const char* meaning;  ///< a few words
};

/// The 15 losses, then the 24 path values.
inline constexpr int kP452LossCount = 15;
inline constexpr int kP452ValueCount = 39;

/// The values of @p results in that order: Lb, Lbfsg, Lb0p, Lb0b, Ldsph,
/// Ld50, Ldp, Lbd50, Lbd, Lminb0p, Lba, Lminbap, Lbda, Lbam, Lbs; dtot, hts,
/// hrs, ae, theta_t, theta_r, theta, hte, hre, hstd, hsrd, hm, dlt, dlr, dtm,
/// dlm, b0, omega, DN, N0, dct, dcr, phim_n, phim_e.
std::array<P452Value, kP452ValueCount> P452ValueList(const P452Results& results);

/// The path type under its JSON name: "los" or "transhorizon".
const char* P452PathTypeName(const P452Results& results);

}  // namespace tarnvale
