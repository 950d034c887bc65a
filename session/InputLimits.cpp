#include "session/InputLimits.h"

#include "session/Session.h"

namespace tarnvale {

std::vector<std::string_view> FieldsToCheck(std::uint8_t endPointMode, bool forcedKFactor, bool p452,
                                            bool coastGiven) {
  std::vector<std::string_view> names;
  if (endPointMode == kByRangeBearing) {
    names.push_back(kRangeLimits.name);
    names.push_back(kBearingLimits.name);
  }
  names.push_back(kFrequencyLimits.name);
  names.push_back("TX_H");
  names.push_back("RX_H");
  names.push_back(kPercentLimits.name);
  if (forcedKFactor) names.push_back(kKFactorLimits.name);
  names.push_back(kTemperatureLimits.name);
  names.push_back(kPressureLimits.name);
  names.push_back(kHumidityLimits.name);
  if (p452) {
    names.push_back("CLUTTER_H");
    if (coastGiven)
      for (std::string_view name : {"DCT_KM", "DCR_KM"}) names.push_back(name);
  }
  return names;
}

}  // namespace tarnvale
