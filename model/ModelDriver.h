#pragma once
// The model driver: gathers the inputs of one path (climate at mid-path, the
// forced K factor) and runs the right entry point of the model; and the
// Mechanisms curves, the model at ten fixed time percentages.
#include <array>

#include "climate/Refractivity.h"
#include "climate/Zones.h"
#include "geo/Locator.h"
#include "model/Terrain.h"
#include "terrain/Srtm.h"

namespace tarnvale {

/// The Input Data page's values the model reads.
struct ModelInputs {
  double frequency = 10.368;  ///< GHz
  double percent = 50.0;      ///< time percentage
  double txHeight = 10.0;     ///< transmitter antenna above ground (m)
  double rxHeight = 10.0;     ///< receiver antenna above ground (m)
  bool forcedKFactor = false; ///< impose kFactor instead of the climate's median
  double kFactor = 1.333;     ///< forced median effective Earth-radius factor
  bool interpolate = false;   ///< interpolate terrain heights (point-to-point runs)
};

/// Where the N0 and delta-N of a point-to-point run came from.
enum class ClimateSource {
  kMaps,         ///< the radio-climate maps at mid-path
  kNoMaps,       ///< n0.txt or dn.txt not found: the driver's fallback pair
  kNoValue,      ///< the maps hold no value at mid-path: the fallback pair
  kCoverage,     ///< a coverage point: the fallback pair, by design
};

/// The data objects one run works on (borrowed).
struct ModelData {
  CTerrain& model;
  const CSRTM& terrain;
  const CZONES& zones;
  const CRefractivity& climate;
};

/// The point halfway between the ends: the mean of their latitudes and of
/// their longitudes (no great circle). The longitudes are averaged on the
/// short side: ends at 179.9 E and 179.9 W have their middle at 180, not 0.
CLocator MidPoint(const CLocator& tx, const CLocator& rx);

/// N0 and delta-N at mid-path, interpolated; true only when both are found
/// (delta-N is looked up only after N0 was). Outputs untouched otherwise.
bool ClimateAtMidPath(const CRefractivity& climate, const CLocator& tx, const CLocator& rx, double& n0,
                      double& deltaN);

/// Lapse rate that makes the median factor @p k: 157 (1 - 1/k) N-units/km.
double DeltaNForKFactor(double k);
/// Median factor of a lapse rate @p deltaN: 157 / (157 - deltaN).
double KFactorForDeltaN(double deltaN);

class ModelDriver {
 public:
  /// N0 and delta-N used by coverage runs and when the maps have no value at
  /// mid-path: those of the last successful profile run.
  double fallbackN0 = 320.0;
  double fallbackDeltaN = 45.0;

  /// Runs one path. Outside coverage the climate at mid-path (MidPoint) is
  /// looked up interpolated; it
  /// counts only when both N0 and delta-N are found. A forced K factor
  /// replaces delta-N. @p kFactorInUse receives the median factor the field
  /// shows when it is not forced.
  /// @p climateSource, when given, receives where N0 and delta-N came from.
  /// @return the model's result (true = valid path)
  bool RunModel(bool coverage, ModelData data, const CLocator& tx, const CLocator& rx, const ModelInputs& inputs,
                double* kFactorInUse = nullptr, ClimateSource* climateSource = nullptr) const;

  /// After a successful profile run: keep the model's N0 and delta-N for
  /// coverage runs.
  void keepClimate(const CTerrain& model);
  /// The same after a successful run of another model that used @p n0
  /// (N-units) and @p deltaN (N-units/km).
  void keepClimate(double n0, double deltaN);
};

/// Time percentages of the Mechanisms curves.
inline constexpr std::array<double, 10> kMechanismPercentages = {0.001, 0.01, 0.05, 0.1, 0.5, 1, 5, 10, 20, 50};

/// One point of each mechanism's curve: the classic model's losses without
/// gaseous loss (MechanismCurves), or P.452-18's with it (P452MechanismCurves).
struct MechanismPoint {
  double percent = 0.0;
  bool ok = false;  ///< false: the path has no valid result (the point is left out)
  double diffraction = 0.0, troposcatter = 0.0, ducting = 0.0, overall = 0.0;  ///< Lbd, Lbs, Lba, Lb (dB)
};

/// The model at each of the ten percentages over the path from @p tx to @p rx,
/// N0 and delta-N from the maps at mid-path (320 and 40 where they have no
/// value; the forced K factor plays no part). Leaves the model holding the
/// 50 % results.
std::array<MechanismPoint, 10> MechanismCurves(ModelData data, const CLocator& tx, const CLocator& rx,
                                               const ModelInputs& inputs);

}  // namespace tarnvale
