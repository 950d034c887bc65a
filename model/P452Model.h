#pragma once
// P452Model: the basic transmission loss of a path under Recommendation
// ITU-R P.452-18 (clear air): line of sight, delta-Bullington diffraction,
// troposcatter and ducting/layer reflection, each with its own gaseous loss,
// and their blend for a time percentage.
#include <vector>

#include "model/P452Inputs.h"
#include "model/P452Results.h"

namespace tarnvale {

/// Computes P.452-18 as ITU-R Study Group 3's reference implementation does:
/// ITU's validation examples are matched to their stored decimals.
///
/// Memory: the object keeps four working arrays of the profile's length,
/// grown when a longer profile comes and then reused, and the last gaseous
/// attenuations; a calculation over a profile no longer than any before
/// allocates nothing.
///
/// Thread safety: Calculate writes the object's working storage, so each
/// thread uses its own object; objects share nothing. Copying is deleted.
class P452Model {
 public:
  P452Model() = default;
  P452Model(const P452Model&) = delete;
  P452Model& operator=(const P452Model&) = delete;

  /// One path. Never throws.
  /// @param inputs the profile (at least 4 points, distances from 0 strictly
  ///   increasing, finite heights, ITU zone codes) and the link's figures:
  ///   f 0.1 to 50 GHz, p 0.001 to 50 %, DN below 157 N-units/km, dct and dcr
  ///   not negative, dry-air pressure above 0 hPa, temperature above -273.15 C
  /// @param[out] results every value, reset first; results.ok as returned and
  ///   results.error saying why when false
  /// @return false for inputs outside those bounds or a loss that is not a
  ///   finite number
  bool Calculate(const P452Inputs& inputs, P452Results& results);

 private:
  // Water-vapour density of the line-of-sight and ducting mechanisms and of
  // troposcatter: each remembers its last gaseous attenuation, which a
  // coverage map (one frequency, pressure and temperature) mostly reuses.
  struct GasMemo {
    bool valid = false;
    double f = 0.0, press = 0.0, temperatureK = 0.0, rho = 0.0;
    double gamma = 0.0;  // dB/km, dry air and water vapour together
  };
  static double gasAttenuation(GasMemo& memo, double f, double press, double temperatureK, double rho);

  // Heights of the radio profile: terrain plus clutter, terrain alone near the ends.
  std::vector<double> g_;
  // Tangents of the horizon elevations seen from each end.
  std::vector<double> tangent_;
  // The values of one search along the profile, before the greatest is taken.
  std::vector<double> work_;
  // The factor of each point's diffraction parameter (DiffractionScale).
  std::vector<double> scale_;
  GasMemo pathGas_;
  GasMemo troposcatterGas_;
};

}  // namespace tarnvale
