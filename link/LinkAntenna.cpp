#include "link/LinkAntenna.h"

#include "link/AntennaFrame.h"

namespace tarnvale {

double LinkAntenna::peakGainDbi() const {
  if (gainDbi) return *gainDbi;
  if (pattern.loaded() && pattern.info().gainDbi) return *pattern.info().gainDbi;
  return 0.0;
}

double LinkAntenna::gainTowardDbi(double bearingDeg, double elevationDeg) const {
  const double peak = peakGainDbi();
  if (!pattern.loaded()) return peak;
  const AntennaDirection d = ToAntennaFrame(bearingDeg, elevationDeg, azimuthDeg, downtiltDeg);
  return peak - pattern.attenuationDb(d.azimuthDeg, d.depressionDeg);
}

}  // namespace tarnvale
