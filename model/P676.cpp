#include "model/P676.h"

#include <cmath>

namespace tarnvale {
namespace {

// Water-vapour density. The saturation constants are those the program has
// always used (240.9, not 240.97; 273.1 in the density, not 273.15): results
// must match earlier runs digit for digit.
constexpr double kWaterA = 6.1121;  ///< hPa
constexpr double kWaterB = 17.502;
constexpr double kWaterC = 240.9;   ///< degrees C
constexpr double kIceA = 6.1115;    ///< hPa
constexpr double kIceB = 22.452;
constexpr double kIceC = 272.55;    ///< degrees C
constexpr double kWaterLowestTemperature = -20.0;  ///< degrees C; colder air over water holds none
constexpr double kIceLowestTemperature = -50.0;    ///< degrees C
constexpr double kFullHumidity = 100.0;            ///< percent
constexpr double kPercent = 0.01;
constexpr double kDensityKelvinOffset = 273.1;
constexpr double kVapourDensityFactor = 216.7;     ///< g K / (m^3 hPa): rho = 216.7 e / T

// Line summation.
constexpr double kKelvinOffset = 273.15;
constexpr double kReferenceTemperature = 300.0;    ///< K; theta = 300 / T
constexpr double kOxygenStrengthScale = 1e-7;
constexpr double kVapourStrengthScale = 0.1;
constexpr double kVapourStrengthExponent = 3.5;
constexpr double kWidthScale = 1e-4;
constexpr double kOxygenWidthExponent = 0.8;
constexpr double kOxygenVapourBroadening = 1.1;
constexpr double kZeemanWidth2 = 2.25e-6;          ///< GHz^2, Zeeman splitting of the oxygen lines
constexpr double kInterferenceScale = 1e-4;
constexpr double kDopplerLinear = 0.535;
constexpr double kDopplerQuadratic = 0.217;
constexpr double kDopplerWidth2 = 2.1316e-12;      ///< per GHz^2 of line frequency

// Dry continuum.
constexpr double kDebyeWidthScale = 5.6e-4;        ///< GHz/hPa
constexpr double kDebyeStrength = 6.14e-5;
constexpr double kNitrogenStrength = 1.4e-12;
constexpr double kNitrogenExponent = 1.5;
constexpr double kNitrogenFrequencyScale = 1.9e-5;

/// dB/km per GHz of frequency per unit of N'' (imaginary refractivity).
constexpr double kAttenuationFactor = 0.182;

}  // namespace

// clang-format off
const std::array<GasLine, kOxygenLineCount> OxygenLineTable = {{
    {50.474238, 0.94, 9.694, 8.9, 0.0, 2.4, 7.9},
    {50.987749, 2.46, 8.694, 9.1, 0.0, 2.2, 7.8},
    {51.50335, 6.08, 7.744, 9.4, 0.0, 1.97, 7.74},
    {52.02141, 14.14, 6.844, 9.7, 0.0, 1.66, 7.64},
    {52.542394, 31.02, 6.004, 9.9, 0.0, 1.36, 7.51},
    {53.066907, 64.1, 5.224, 10.2, 0.0, 1.31, 7.14},
    {53.595749, 124.7, 4.484, 10.5, 0.0, 2.3, 5.84},
    {54.13, 228.0, 3.814, 10.7, 0.0, 3.35, 4.31},
    {54.671159, 391.8, 3.194, 11.0, 0.0, 3.74, 3.05},
    {55.221367, 631.6, 2.624, 11.3, 0.0, 2.58, 3.39},
    {55.783802, 953.5, 2.119, 11.7, 0.0, -1.66, 7.05},
    {56.264775, 548.9, 0.015, 17.3, 0.0, 3.9, -1.13},
    {56.363389, 1344.0, 1.66, 12.0, 0.0, -2.97, 7.53},
    {56.968206, 1763.0, 1.26, 12.4, 0.0, -4.16, 7.42},
    {57.612484, 2141.0, 0.915, 12.8, 0.0, -6.13, 6.97},
    {58.323877, 2386.0, 0.626, 13.3, 0.0, -2.05, 0.51},
    {58.44659, 1457.0, 0.084, 15.2, 0.0, 7.48, -1.46},
    {59.164207, 2404.0, 0.391, 13.9, 0.0, -7.22, 2.66},
    {59.590983, 2112.0, 0.212, 14.3, 0.0, 7.65, -0.9},
    {60.306061, 2124.0, 0.212, 14.5, 0.0, -7.05, 0.81},
    {60.434776, 2461.0, 0.391, 13.6, 0.0, 6.97, -3.24},
    {61.15056, 2504.0, 0.626, 13.1, 0.0, 1.04, -0.67},
    {61.800154, 2298.0, 0.915, 12.7, 0.0, 5.7, -7.61},
    {62.411215, 1933.0, 1.26, 12.3, 0.0, 3.6, -7.77},
    {62.48626, 1517.0, 0.083, 15.4, 0.0, -4.98, 0.97},
    {62.997977, 1503.0, 1.665, 12.0, 0.0, 2.39, -7.68},
    {63.568518, 1087.0, 2.115, 11.7, 0.0, 1.08, -7.06},
    {64.127767, 733.5, 2.62, 11.3, 0.0, -3.11, -3.32},
    {64.678903, 463.5, 3.195, 11.0, 0.0, -4.21, -2.98},
    {65.224071, 274.8, 3.815, 10.7, 0.0, -3.75, -4.23},
    {65.764772, 153.0, 4.485, 10.5, 0.0, -2.67, -5.75},
    {66.302091, 80.09, 5.225, 10.2, 0.0, -1.68, -7.0},
    {66.83683, 39.46, 6.005, 9.9, 0.0, -1.69, -7.35},
    {67.369598, 18.32, 6.845, 9.7, 0.0, -2.0, -7.44},
    {67.900867, 8.01, 7.745, 9.4, 0.0, -2.28, -7.53},
    {68.431005, 3.3, 8.695, 9.2, 0.0, -2.4, -7.6},
    {68.960311, 1.28, 9.695, 9.0, 0.0, -2.5, -7.65},
    {118.750343, 945.0, 0.009, 16.3, 0.0, -0.36, 0.09},
    {368.49835, 67.9, 0.049, 19.2, 0.6, 0.0, 0.0},
    {424.763124, 638.0, 0.044, 19.3, 0.6, 0.0, 0.0},
    {487.24937, 235.0, 0.049, 19.2, 0.6, 0.0, 0.0},
    {715.39315, 99.6, 0.145, 18.1, 0.6, 0.0, 0.0},
    {773.839675, 671.0, 0.13, 18.2, 0.6, 0.0, 0.0},
    {834.14533, 180.0, 0.147, 18.1, 0.6, 0.0, 0.0},
}};

const std::array<GasLine, kWaterVapourLineCount> WaterVapourLineTable = {{
    {22.23508, 0.113, 2.143, 28.11, 0.69, 4.8, 1.0},
    {67.80396, 0.0012, 8.735, 28.58, 0.69, 4.93, 0.82},
    {119.99594, 0.0008, 8.356, 29.48, 0.7, 4.78, 0.79},
    {183.310091, 2.42, 0.668, 30.5, 0.64, 5.3, 0.85},
    {321.225644, 0.0483, 6.181, 23.03, 0.67, 4.69, 0.54},
    {325.152919, 1.499, 1.54, 27.83, 0.68, 4.85, 0.74},
    {336.222601, 0.0011, 9.829, 26.93, 0.69, 4.74, 0.61},
    {380.197372, 11.52, 1.048, 28.73, 0.54, 5.38, 0.89},
    {390.134508, 0.0046, 7.35, 21.52, 0.63, 4.81, 0.55},
    {437.346667, 0.065, 5.05, 18.45, 0.6, 4.23, 0.48},
    {439.150812, 0.9218, 3.596, 21.0, 0.63, 4.29, 0.52},
    {443.018295, 0.1976, 5.05, 18.6, 0.6, 4.23, 0.5},
    {448.001075, 10.32, 1.405, 26.32, 0.66, 4.84, 0.67},
    {470.888947, 0.3297, 3.599, 21.52, 0.66, 4.57, 0.65},
    {474.689127, 1.262, 2.381, 23.55, 0.65, 4.65, 0.64},
    {488.491133, 0.252, 2.853, 26.02, 0.69, 5.04, 0.72},
    {503.568532, 0.039, 6.733, 16.12, 0.61, 3.98, 0.43},
    {504.482692, 0.013, 6.733, 16.12, 0.61, 4.01, 0.45},
    {547.67644, 9.701, 0.114, 26.0, 0.7, 4.5, 1.0},
    {552.02096, 14.77, 0.114, 26.0, 0.7, 4.5, 1.0},
    {556.936002, 487.4, 0.159, 32.1, 0.69, 4.11, 1.0},
    {620.700807, 5.012, 2.2, 24.38, 0.71, 4.68, 0.68},
    {645.866155, 0.0713, 8.58, 18.0, 0.6, 4.0, 0.5},
    {658.00528, 0.3022, 7.82, 32.1, 0.69, 4.14, 1.0},
    {752.033227, 239.6, 0.396, 30.6, 0.68, 4.09, 0.84},
    {841.053937, 0.014, 8.18, 15.9, 0.33, 5.76, 0.45},
    {859.962313, 0.1472, 7.989, 30.6, 0.68, 4.09, 0.84},
    {899.306675, 0.0605, 7.917, 29.85, 0.68, 4.53, 0.9},
    {902.616173, 0.0426, 8.432, 28.65, 0.7, 5.1, 0.95},
    {906.207325, 0.1876, 5.111, 24.08, 0.7, 4.7, 0.53},
    {916.171582, 8.34, 1.442, 26.7, 0.7, 4.78, 0.78},
    {923.118427, 0.0869, 10.22, 29.0, 0.7, 5.0, 0.8},
    {970.315022, 8.972, 1.92, 25.5, 0.64, 4.94, 0.67},
    {987.926764, 132.1, 0.258, 29.85, 0.68, 4.55, 0.9},
    {1780.0, 22300.0, 0.952, 176.2, 0.5, 30.5, 5.0},
}};
// clang-format on

double WaterVapourDensity(double relativeHumidity, double temperature, bool overWater) {
  if (!(relativeHumidity > 0.0)) return 0.0;
  if (relativeHumidity > kFullHumidity) relativeHumidity = kFullHumidity;
  if (overWater ? temperature <= kWaterLowestTemperature : temperature <= kIceLowestTemperature) return 0.0;
  const double a = overWater ? kWaterA : kIceA;
  const double b = overWater ? kWaterB : kIceB;
  const double c = overWater ? kWaterC : kIceC;
  const double saturation = a * std::exp(b * temperature / (temperature + c));
  const double vapourPressure = relativeHumidity * saturation * kPercent;
  return kVapourDensityFactor * vapourPressure / (temperature + kDensityKelvinOffset);
}

double DryContinuum(double frequency, double dryPressure, double temperature) {
  const double theta = kReferenceTemperature / (temperature + kKelvinOffset);
  const double p = dryPressure;
  const double f = frequency;
  const double d = kDebyeWidthScale * p * std::pow(theta, kOxygenWidthExponent);
  return f * p * theta * theta *
         (kDebyeStrength / (d * (1.0 + (f / d) * (f / d))) +
          kNitrogenStrength * p * std::pow(theta, kNitrogenExponent) /
              (1.0 + kNitrogenFrequencyScale * std::pow(f, kNitrogenExponent)));
}

double SpecificAttenuation(double frequency, double pressure, double temperature, double density, double& oxygen,
                           double& waterVapour, double& dryContinuum) {
  const double f = frequency;
  const double T = temperature + kKelvinOffset;
  const double theta = kReferenceTemperature / T;
  const double e = density * T * (1.0 / kVapourDensityFactor);
  const double p = pressure - e;

  double sumO = 0.0;
  for (const GasLine& line : OxygenLineTable) {
    const auto [fi, a1, a2, a3, a4, a5, a6] = line;
    const double strength = a1 * kOxygenStrengthScale * p * std::pow(theta, 3) * std::exp(a2 * (1.0 - theta));
    double width = a3 * kWidthScale * (p * std::pow(theta, kOxygenWidthExponent - a4) +
                                       kOxygenVapourBroadening * e * theta);
    width = std::sqrt(width * width + kZeemanWidth2);
    const double delta = (a5 + a6 * theta) * kInterferenceScale * (p + e) * std::pow(theta, kOxygenWidthExponent);
    const double shape =
        (f / fi) * ((width - delta * (fi - f)) / ((fi - f) * (fi - f) + width * width) +
                    (width - delta * (fi + f)) / ((fi + f) * (fi + f) + width * width));
    sumO += strength * shape;
  }

  double sumW = 0.0;
  for (const GasLine& line : WaterVapourLineTable) {
    const auto [fi, b1, b2, b3, b4, b5, b6] = line;
    const double strength =
        b1 * kVapourStrengthScale * e * std::pow(theta, kVapourStrengthExponent) * std::exp(b2 * (1.0 - theta));
    double width = b3 * kWidthScale * (p * std::pow(theta, b4) + b5 * e * std::pow(theta, b6));
    width = kDopplerLinear * width + std::sqrt(kDopplerQuadratic * width * width + kDopplerWidth2 * fi * fi / theta);
    const double shape =
        (f / fi) * (width / ((fi - f) * (fi - f) + width * width) + width / ((fi + f) * (fi + f) + width * width));
    sumW += strength * shape;
  }

  // The continuum's width uses the dry-air pressure alone.
  const double continuum = DryContinuum(f, p, temperature);
  const double k = kAttenuationFactor * f;
  oxygen = k * sumO;
  waterVapour = k * sumW;
  dryContinuum = k * continuum;
  return k * (sumW + sumO + continuum);
}

double SpecificAttenuation(double frequency, double pressure, double temperature, double density) {
  double oxygen = 0.0, waterVapour = 0.0, dryContinuum = 0.0;
  return SpecificAttenuation(frequency, pressure, temperature, density, oxygen, waterVapour, dryContinuum);
}

}  // namespace tarnvale
