#pragma once
// The inputs of one path under the ITU-R P.452-18 model: the radio profile
// (distance, terrain height, representative clutter height and zone of each
// point) and the link's radio and climate figures.
#include <cstdint>
#include <vector>

namespace tarnvale {

/// The frequencies (GHz) and time percentages (%) the model takes, bounds
/// included.
inline constexpr double kP452MinFrequencyGHz = 0.1;
inline constexpr double kP452MaxFrequencyGHz = 50.0;
inline constexpr double kP452MinPercent = 0.001;
inline constexpr double kP452MaxPercent = 50.0;

/// Polarisation of the signal, with ITU's codes (1 horizontal, 2 vertical).
enum class P452Polarisation : int { kHorizontal = 1, kVertical = 2 };

/// ITU's radio-climatic zone codes, which the P.452-18 inputs carry; the
/// program's own maps use other codes (see ItuZone).
namespace itu_zone {
inline constexpr std::uint8_t kCoastalLand = 1;  ///< A1
inline constexpr std::uint8_t kInland = 2;       ///< A2
inline constexpr std::uint8_t kSea = 3;          ///< B
}  // namespace itu_zone

/// ITU's zone code for one of the program's (1 sea, 2 coastal land, 3
/// inland). Anything else, the map's 0 and its no-data 255 among them, counts
/// as coastal land: land, but not inland, as the classic model counts it.
constexpr std::uint8_t ItuZone(std::uint8_t programZone) {
  switch (programZone) {
    case 1: return itu_zone::kSea;
    case 3: return itu_zone::kInland;
    default: return itu_zone::kCoastalLand;
  }
}

/// Everything one P.452-18 calculation reads. The four profile arrays have
/// one entry per point, from the transmitter (distance 0) to the receiver
/// (the last point); at least four points.
struct P452Inputs {
  std::vector<double> d;              ///< distance from the transmitter (km): 0 first, strictly increasing
  std::vector<double> h;              ///< terrain height (m above mean sea level)
  std::vector<double> R;              ///< representative clutter height (m); empty for none anywhere
  std::vector<std::uint8_t> zone;     ///< ITU zone code of each point (itu_zone)

  double f = 2.0;            ///< frequency (GHz), 0.1 to 50
  double p = 50.0;           ///< time percentage not exceeded (%), 0.001 to 50
  double htg = 10.0;         ///< transmitting antenna centre above ground (m)
  double hrg = 10.0;         ///< receiving antenna centre above ground (m)
  double Gt = 0.0;           ///< transmitting antenna gain towards the horizon along the path (dBi)
  double Gr = 0.0;           ///< receiving antenna gain towards the horizon along the path (dBi)
  P452Polarisation polarisation = P452Polarisation::kHorizontal;
  double dct = 500.0;        ///< distance over land from the transmitter to the coast (km), 0 at sea
  double dcr = 500.0;        ///< distance over land from the receiver to the coast (km), 0 at sea
  double press = 1013.0;     ///< dry-air pressure (hPa)
  double temp = 15.0;        ///< air temperature (degrees C)
  double DN = 45.0;          ///< refractivity lapse through the lowest 1 km at the path centre (N-units/km), below 157
  double N0 = 320.0;         ///< sea-level surface refractivity at the path centre (N-units)

  /// The two ends (degrees, north and east positive). The path centre lies
  /// half the profile's length from the transmitter along the great circle
  /// towards the receiver, on a sphere of 6371 km.
  double phit_n = 0.0, phit_e = 0.0;  ///< transmitter latitude, longitude
  double phir_n = 0.0, phir_e = 0.0;  ///< receiver latitude, longitude
  /// True to take the path centre from phim_n/phim_e instead of the ends (a
  /// profile without located ends).
  bool centreGiven = false;
  double phim_n = 0.0;  ///< path centre latitude (degrees), read when centreGiven
  double phim_e = 0.0;  ///< path centre longitude (degrees), read when centreGiven
};

}  // namespace tarnvale
