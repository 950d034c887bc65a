#pragma once
// One path and its mechanism curves as tarnvale-cli path and mechanisms print
// them and the Python module returns them: the same run, the same JSON keys
// and the same numbers to the last bit for both, under either model.
#include <nlohmann/json_fwd.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "geo/Locator.h"
#include "link/LinkRecord.h"
#include "model/ModelChoice.h"
#include "terrain/ProfileCsv.h"

namespace tarnvale {

/// What a run ends with, as the command line's exit status.
enum PathRunStatus : int {
  kPathRunOk = 0,
  kPathRunInvalid = 1,  ///< understood but not valid (a path too short, no data)
  kPathRunUsage = 2,    ///< an input out of the model's bounds or a file that cannot be used
};

/// Where a run writes: the report (JSON or text) to @p out, messages and
/// warnings to @p err, each line begun with @p prefix ("tarnvale-cli: ").
/// With @p report set a JSON report is left there instead of being printed
/// (the Python module takes it as it is, with no text between).
struct PathRunOutput {
  std::ostream& out;
  std::ostream& err;
  std::string prefix;
  nlohmann::json* report = nullptr;
};

/// The inputs of one path run, the Input Data page's defaults unless set.
struct PathRequest {
  // Between two ends (resolved and valid), or from the transmitter by range
  // and bearing, or over a supplied profile.
  CLocator tx, rx;
  bool byRange = false;
  double rangeKm = 0.0;     ///< with byRange: distance to the receiver (km)
  bool supplied = false;    ///< true: over @ref profile instead of the terrain
  ProfileColumns profile;   ///< a supplied profile, checked (SuppliedProfileLimits)
  double latitude = 0.0;    ///< mean latitude of a supplied profile (P.452-18: of its centre; degrees)
  double n0 = 320.0;        ///< N0 of a supplied profile
  double deltaN = 45.0;     ///< delta-N of a supplied profile
  double bearingDeg = 0.0;  ///< with byRange: initial bearing (degrees true)
  double txHeight = 10.0;   ///< m above ground
  double rxHeight = 10.0;
  double frequency = 10.368;  ///< GHz
  double percent = 50.0;      ///< % of time
  double temperature = 20.0;  ///< degrees C
  double pressure = 1000.0;   ///< hPa
  double humidity = 40.0;     ///< relative humidity (%)
  double kFactor = 0.0;       ///< forced median K factor; 0 for the climate's
  bool interpolate = false;   ///< interpolate terrain heights
  std::string terrain;        ///< folder of the tiles and zones01.dem (empty: the working folder)
  std::string climate;        ///< folder of the radio-climate maps
  ModelChoice choice;         ///< the model and P.452-18's own inputs (its gains: set from @ref link)
  LinkRecord link;            ///< the link budget's inputs
  bool linkGiven = false;     ///< true: the report holds the budget
};

/// The limits of a supplied profile under each model: the classic model's
/// profile capacity, P.452-18's 100 000 samples (ITU's own examples reach
/// 4252), and the longest path.
ProfileCsvLimits SuppliedProfileLimits(bool p452);

/// P.452-18's own frequency and time-percentage bounds: empty when
/// @p frequencyGHz and @p percent lie within them, else the message
/// ("--model p452-18 takes frequencies from 0.1 to 50 GHz, not 60").
std::string P452BoundsProblem(double frequencyGHz, double percent);

/// One path: with @p json one JSON object (pretty, 2 spaces) as `path
/// --json` prints it, otherwise the text report.
/// @return the run's status; a path too short is reported (ok false) with kPathRunInvalid
int RunPathReport(const PathRequest& request, bool json, PathRunOutput& output);

/// The losses of each mechanism at the ten fixed time percentages over the
/// path between the two ends (not a supplied profile).
int RunMechanismsReport(const PathRequest& request, bool json, PathRunOutput& output);

}  // namespace tarnvale
