#pragma once
// LinkAntenna: one end's antenna and feeder in the link budget.
#include <optional>
#include <string>

#include "link/AntennaPattern.h"

namespace tarnvale {

/// An antenna with its feeder, its pattern (optional) and how it is mounted.
struct LinkAntenna {
  /// Peak gain given by the user (dBi); when set it overrides the pattern's GAIN.
  std::optional<double> gainDbi;
  double feederLossDb = 0.0;  ///< loss of the feeder between radio and antenna (dB)
  std::string patternPath;    ///< the pattern file as the user named it (empty: none)
  /// The pattern read from patternPath. Without one the antenna has its peak
  /// gain toward every direction.
  AntennaPattern pattern;
  double azimuthDeg = 0.0;   ///< direction of boresight (degrees true)
  double downtiltDeg = 0.0;  ///< mechanical downtilt (degrees, positive down)

  /// The peak gain (dBi): the given gain, else the pattern's GAIN, else 0.
  double peakGainDbi() const;

  /// The gain (dBi) toward a ray leaving (or reaching) the antenna: the peak
  /// gain less the pattern's attenuation in the ray's direction, seen from
  /// the turned and tilted antenna (ToAntennaFrame). Never throws; with a pattern a NaN direction gives NaN.
  /// @param bearingDeg direction of the ray from the antenna (degrees true)
  /// @param elevationDeg elevation of the ray (degrees, down negative)
  double gainTowardDbi(double bearingDeg, double elevationDeg) const;
};

}  // namespace tarnvale
