#pragma once
// Limits of the numbers the Input Data page accepts, shared by the desktop
// program's fields and the command line.
#include <string_view>

namespace tarnvale {

/// Inclusive limits of one numeric input, with the field's decimals.
struct InputLimits {
  std::string_view name;  ///< the field's name
  double min;
  double max;
  int decimals;
};

inline constexpr InputLimits kFrequencyLimits{"FREQ", 0.025, 300.0, 3};          ///< GHz
inline constexpr InputLimits kTemperatureLimits{"TEMPERATURE", -100.0, 100.0, 1};  ///< degrees C
inline constexpr InputLimits kPressureLimits{"PRESSURE", 0.0001, 2000.0, 1};      ///< hPa
inline constexpr InputLimits kHumidityLimits{"RH", 0.0, 100.0, 3};                ///< %
inline constexpr InputLimits kPercentLimits{"Percent", 0.0001, 50.0, 4};          ///< % of time
inline constexpr InputLimits kAntennaHeightLimits{"TX_H", 0.0, 10000.0, 1};       ///< m above ground
inline constexpr InputLimits kKFactorLimits{"K_FACT", 0.5, 100.0, 3};             ///< median effective Earth factor
inline constexpr InputLimits kRangeLimits{"Range", 0.1, 3000.0, 1};               ///< km or miles
inline constexpr InputLimits kBearingLimits{"Bearing", 0.0, 360.0, 1};            ///< degrees
/// The inputs of the ITU-R P.452-18 model alone.
inline constexpr InputLimits kClutterHeightLimits{"clutter height", 0.0, 1000.0, 1};        ///< m
inline constexpr InputLimits kCoastDistanceLimits{"distance to the coast", 0.0, 20000.0, 3};  ///< km

}  // namespace tarnvale

#include <cstdint>
#include <vector>

namespace tarnvale {

/// The numeric fields Calculate and "Save input data" insist on, in the
/// order the Input Data page shows them: the first that does not hold a
/// number within its limits stops the action. Range and Bearing count only
/// when the receiver is given by them (otherwise they show the last result),
/// and K_FACT only when it is fixed (otherwise it shows the climate's value).
/// Under P.452-18 (@p p452) the Model group's gains and clutter height
/// follow (CLUTTER_H), and its coastal distances (DCT_KM,
/// DCR_KM) when they are given (@p coastGiven).
std::vector<std::string_view> FieldsToCheck(std::uint8_t endPointMode, bool forcedKFactor, bool p452 = false,
                                            bool coastGiven = false);

}  // namespace tarnvale
