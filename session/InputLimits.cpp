#include "session/InputLimits.h"

#include "session/Session.h"

namespace tarnvale {

std::vector<std::string_view> FieldsToCheck(std::uint8_t endPointMode, bool forcedKFactor) {
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
  return names;
}

}  // namespace tarnvale
