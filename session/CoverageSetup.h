#pragma once
// How a map is asked for, by the Area Coverage page or the command line, and
// the one job both hand the coverage engine for the same inputs: the limits
// of the page's fields, the climate of the map, the job itself, the
// description a GeoTIFF of it carries, and the text of the map's centre.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "geo/Locator.h"
#include "maps/Coverage.h"
#include "maps/CoveragePart.h"
#include "model/ModelDriver.h"
#include "session/InputLimits.h"
#include "session/Session.h"

namespace tarnvale {

inline constexpr InputLimits kCoverageRangeLimits{"CoverageRange", 1.0, 3000.0, 0};          ///< km
inline constexpr InputLimits kCoverageResolutionLimits{"CoverageResolution", 1.0, 16.0, 0};  ///< pixels a sample
inline constexpr InputLimits kMaxLossLimits{"MaxLoss", 1.0, 400.0, 0};                       ///< dB
inline constexpr InputLimits kMinLossLimits{"MinLoss", 0.0, 399.0, 0};                       ///< dB
inline constexpr InputLimits kMaxHeightLimits{"MaxHeight", 0.0, 10000.0, 0};                 ///< m
inline constexpr InputLimits kMinHeightLimits{"MinHeight", -1000.0, 10000.0, 0};             ///< m

/// The ends of a map's scale for one quantity, in its unit: the limits of the
/// page's two fields (MaxLoss, MinLoss) and their start values.
struct CoverageScaleLimits {
  InputLimits max;
  InputLimits min;
  double maxStart = 0.0;
  double minStart = 0.0;
};
/// Loss: 1...400 and 0...399 dB, from 200 and 100 dB (the page's fields as
/// they were before there were other quantities); received power -250...100
/// dBm from -40 and -120; field strength -100...250 dBuV/m from 100 and 0;
/// margin -300...300 dB from 40 and -20.
CoverageScaleLimits ScaleLimitsFor(LinkQuantity quantity);

/// The inputs of every model run of a map: frequency, time percentage,
/// antenna heights and the forced K factor from @p fields (terrain never
/// interpolated), N0 and delta-N as given, the specific gaseous attenuation
/// of the fields' weather, computed once for the map, and the model with its
/// own inputs (the Model group, pressure and temperature).
CoverageInputs CoverageInputsFor(const InputValues& fields, double n0, double deltaN);

/// CoverageInputsFor with N0 and delta-N from the fallback pair that the last
/// successful profile run stored in @p driver: the Area Coverage page's rule.
CoverageInputs CoverageInputsFrom(const InputValues& fields, const ModelDriver& driver);

/// The N0 and delta-N of every point of a map, and where they came from.
struct CoverageClimate {
  double n0 = 320.0;      ///< N-units
  double deltaN = 45.0;   ///< N-units/km
  std::string source = "default";  ///< "options", "maps" or "default"
};

/// The command line's rule: the pair given (both), else the maps at the
/// transmitter (interpolated, both found), else N0 320 and delta-N 45.
CoverageClimate CoverageClimateAt(const CLocator& transmitter, const CRefractivity& maps,
                                  std::optional<double> n0 = std::nullopt, std::optional<double> deltaN = std::nullopt);

/// Everything a map is made from, however it was asked for.
struct CoverageRequest {
  CLocator transmitter;
  double rangeKm = 10.0;       ///< half the side of the square (km)
  double resolution = 4.0;     ///< pixels per sample (truncated to a whole number)
  int widthPx = coverage::kMapSize;   ///< picture the map is laid out for
  int heightPx = coverage::kMapSize;
  /// Frequency, time percentage, antenna heights, forced K factor and weather
  /// (the Input Data page's fields; the command line's options).
  InputValues radio;
  double n0 = 320.0;           ///< N0 of every point (N-units)
  double deltaN = 45.0;        ///< delta-N of every point (N-units/km)
  std::string terrainDirectory;
  int threads = 0;             ///< workers; 0: one per hardware thread
  /// What the map shows, and the link budget that turns a loss into it.
  LinkQuantity quantity = LinkQuantity::Loss;
  LinkRecord link;
  /// Only this band of the map's rows (CoveragePartRows), for a map computed
  /// in parts by separate processes; none: the whole map.
  std::optional<CoveragePart> part;
};

/// The job for @p request: its grid (CoverageGridFor; not valid for an
/// invalid transmitter or no room for a sample) and its inputs
/// (CoverageInputsFor), and for a part the band of rows it computes (none
/// when the part is not one of the grid's n rows: rowCount -1, which
/// RunCoverage refuses). Under P.452-18 the job's antenna gains are the link
/// record's peak gains, and the job keeps the record for its patterns. The
/// window, the command line and the Python module all run this job, so the
/// same inputs give the same map.
CoverageJob CoverageJobFor(const CoverageRequest& request);

/// The inputs of a map as (name, value) items for a GeoTIFF's metadata, so
/// that a file found on its own says how it was made. A P.452-18 map adds
/// MODEL (p452-18), POLARISATION (h or v), TX_HORIZON_GAIN_DBI,
/// RX_HORIZON_GAIN_DBI (the model's antenna gains toward the horizon),
/// CLUTTER_HEIGHT_M, DCT_KM and DCR_KM (a number, or "from the zones") and
/// HUMIDITY_USED (no), and its GAS_DB_PER_KM says the gaseous loss lies
/// within each loss; a classic map's items are those it always had. A map of
/// another quantity than the loss then adds QUANTITY, UNIT and the link
/// budget's inputs. A part of a map carries the whole map's items followed by
/// those of CoveragePartMetadata.
std::vector<std::pair<std::string, std::string>> CoverageMetadata(const CoverageRequest& request,
                                                                  const CoverageJob& job);

/// The map centre as "System Data" shows it: the transmitter in
/// degrees-minutes-seconds.
std::string CoverageCentreText(const CLocator& transmitter);

}  // namespace tarnvale
