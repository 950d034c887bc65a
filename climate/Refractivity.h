#pragma once
// CRefractivity: the radio-climate maps (surface refractivity N0, its lapse
// delta-N, duct occurrences and refractivity gradients), looked up by latitude
// and longitude.
#include <array>
#include <atomic>
#include <filesystem>
#include <initializer_list>
#include <mutex>

#include "climate/ClimateGrid.h"

namespace tarnvale {

/// The sixteen radio-climate maps of the program, each read from its text file
/// in one directory at its first lookup and kept for the object's life. A map
/// whose file is missing or short stays unloaded and is tried again at the
/// next lookup. Lookups never throw: they return false and leave their output
/// untouched when the map cannot be read or the point has no data.
///
/// Memory: about 1.9 MB for each of n0.txt and dn.txt and 228 KB for each
/// 1.5-degree map once read (7.3 MB with all sixteen); a few KB before.
/// Thread safety: lookups may run concurrently on one object; the first read
/// of each map is serialised by a mutex of its own. Not copyable.
class CRefractivity {
 public:
  /// The maps, in the order of the built-in table.
  enum Map : int {
    kGradient90 = 0,      ///< "DNDZ_90.TXT", refractivity gradient exceeded 90 % of time
    kGradient50,          ///< "DNDZ_50.TXT"
    kGradient10,          ///< "DNDZ_10.TXT"
    kGradient001,         ///< "DNDZ_01.TXT", 0.01 %
    kEsaTemperature,      ///< "ESATEMP.TXT" (never looked up)
    kEsaWetRefractivity,  ///< "ESANWET.TXT" (never looked up)
    kSurfaceDuct,         ///< "S_OCCUR.TXT", surface duct occurrence (%)
    kSurfaceThickness,    ///< "S_THICK.TXT" (never looked up)
    kSurfaceStrength,     ///< "S_STREN.TXT" (never looked up)
    kElevatedDuct,        ///< "E_OCCUR.TXT", elevated duct occurrence (%)
    kElevatedThickness,   ///< "E_THICK.TXT" (never looked up)
    kElevatedStrength,    ///< "E_STREN.TXT" (never looked up)
    kElevatedBase,        ///< "E_base.TXT" (never looked up)
    kElevatedMaximum,     ///< "E__MAX_m.TXT" (never looked up)
    kN0,                  ///< "n0.txt", surface refractivity (N-units), 0.5-degree grid
    kDeltaN,              ///< "dn.txt", refractivity lapse (N-units/km), 0.5-degree grid
    kMapCount
  };

  /// The built-in table of map descriptors (file, percentage, lattice), no data.
  static const std::array<ClimateGrid, kMapCount>& Descriptors();

  /// @param[in] directory where the map files are looked for; empty means the
  ///   process's working directory at the time of each read
  explicit CRefractivity(std::filesystem::path directory = {});
  CRefractivity(const CRefractivity&) = delete;
  CRefractivity& operator=(const CRefractivity&) = delete;

  const std::filesystem::path& directory() const { return directory_; }

  /// Refractivity gradient in the lowest 65 m (N-units/km) exceeded for
  /// @p percent % of time, always interpolated, from the first of the 90, 50,
  /// 10 and 0.01 % maps whose percentage p + 1e-10 exceeds (the 90 % map when
  /// none does).
  /// @param[in] percent time percentage (%)
  /// @param[in] latitude degrees, north positive
  /// @param[in] longitude degrees, east positive
  /// @param[out] value gradient (N-units/km); untouched on failure
  bool gradientAt(double percent, double latitude, double longitude, double& value) const;

  /// Occurrence of surface ducts (% of time) from "S_OCCUR.TXT".
  /// @param[in] latitude degrees, north positive
  /// @param[in] longitude degrees, east positive
  /// @param[in] interpolate false for the nearest node, true for the weighted four nodes
  /// @param[out] value percent of time; untouched on failure
  bool surfaceDuctAt(double latitude, double longitude, bool interpolate, double& value) const;

  /// Occurrence of elevated ducts (% of time) from "E_OCCUR.TXT"; arguments as surfaceDuctAt.
  bool elevatedDuctAt(double latitude, double longitude, bool interpolate, double& value) const;

  /// Median surface refractivity N0 (N-units) from "n0.txt"; arguments as
  /// surfaceDuctAt, @p value in N-units.
  bool n0At(double latitude, double longitude, bool interpolate, double& value) const;

  /// Average refractivity lapse delta-N through the lowest 1 km (N-units/km)
  /// from "dn.txt"; arguments as surfaceDuctAt, @p value in N-units/km.
  bool dnAt(double latitude, double longitude, bool interpolate, double& value) const;

  /// Makes sure @p map is read; false when its file is missing or short (or
  /// @p map is not a map).
  bool load(int map) const;
  /// Makes sure every map of @p maps is read, reading those not yet read side
  /// by side, each on a thread of its own (one after the other when no thread
  /// can be started); false when any could not be read.
  bool loadTogether(std::initializer_list<Map> maps) const;
  /// True once @p map has been read.
  bool isLoaded(int map) const;

  /// @p map's value at a point, reading the map first if need be; arguments
  /// and result as ClimateGrid::valueAt.
  bool valueAt(int map, double latitude, double longitude, bool interpolate, double& value) const;

  /// The gradient map that gradientAt uses for @p percent (%).
  static Map gradientMap(double percent);

  /// @p map's descriptor (@p map must be a map); its data may be read once
  /// isLoaded(@p map) is true.
  const ClimateGrid& grid(int map) const { return grids_[map]; }

 private:
  std::filesystem::path directory_;
  mutable std::array<ClimateGrid, kMapCount> grids_;
  mutable std::array<std::atomic<bool>, kMapCount> loaded_{};
  // One lock a map, so that different maps may be read at the same time.
  mutable std::array<std::mutex, kMapCount> loadMutexes_;
};

}  // namespace tarnvale
