#include "session/CoverageSetup.h"

#include "model/P676.h"

namespace tarnvale {

CoverageInputs CoverageInputsFrom(const InputValues& f, const ModelDriver& driver) {
  CoverageInputs in;
  in.model.frequency = f.frequency;
  in.model.percent = f.percent;
  in.model.txHeight = f.txHeight;
  in.model.rxHeight = f.rxHeight;
  in.model.forcedKFactor = f.forcedKFactor;
  in.model.kFactor = f.kFactor;
  in.model.interpolate = false;
  in.n0 = driver.fallbackN0;
  in.deltaN = driver.fallbackDeltaN;
  const double rho = WaterVapourDensity(f.humidity, f.temperature, true);
  in.gasPerKm = SpecificAttenuation(f.frequency, f.pressure, f.temperature, rho);
  return in;
}

std::string CoverageCentreText(const CLocator& transmitter) {
  CLocator copy = transmitter;  // the formatter keeps its text in the object
  return copy.toText(kFormatDms, DisplayPrecision(kFormatDms));
}

}  // namespace tarnvale
