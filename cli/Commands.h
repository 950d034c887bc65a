#pragma once
// The subcommands of tarnvale-cli as plain functions over parsed options.
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/LinkOptions.h"
#include "geo/Locator.h"
#include "model/ModelChoice.h"
#include "session/InputLimits.h"

namespace tarnvale::cli {

struct Io {
  std::ostream& out;
  std::ostream& err;
};

/// The two ends of a path as typed, with their formats. A per-end format wins
/// over the shared one; -1 means not given.
struct EndsOptions {
  std::string tx;
  std::string rx;
  int format = -1;
  int txFormat = -1;
  int rxFormat = -1;
};

/// Parses both ends; on failure writes the program's message ("Invalid TX
/// Locator" / "Invalid RX Locator") or a usage message and returns the exit
/// status to give, otherwise returns kExitOk.
int ResolveEnds(const EndsOptions& ends, CLocator& tx, CLocator& rx, Io& io);

struct LocateOptions {
  std::string text;
  int format = -1;
  bool json = false;
};
int RunLocate(const LocateOptions& options, Io& io);

struct RangeOptions {
  EndsOptions ends;
  bool json = false;
};
int RunRange(const RangeOptions& options, Io& io);

/// Reads LAT and LON as plain decimal numbers of degrees; on failure writes a
/// usage message and returns false.
bool ParsePoint(const std::string& latitudeText, const std::string& longitudeText, double& latitude,
                double& longitude, Io& io);

struct HeightOptions {
  std::string latitude;   ///< degrees, as typed
  std::string longitude;  ///< degrees, as typed
  std::string terrain = ".";  ///< directory of the .hgt tiles
  bool interpolate = false;
  bool json = false;
};
/// Ground height at a point in whole metres (0 sea, -32767 no data).
int RunHeight(const HeightOptions& options, Io& io);

struct ZoneOptions {
  std::string latitude;   ///< degrees, as typed
  std::string longitude;  ///< degrees, as typed
  std::string terrain = ".";  ///< directory holding zones01.dem
  bool json = false;
};
/// Radio-climatic zone code at a point (1 sea, 2 coastal land, 3 inland, 255 no data).
int RunZone(const ZoneOptions& options, Io& io);

/// Radio-climate values at one point, from the maps in @p directory.
struct ClimateOptions {
  double latitude = 0.0;   ///< degrees, north positive
  double longitude = 0.0;  ///< degrees, east positive
  std::string directory;   ///< where the map files are; empty = the working directory
  double percent = 50.0;   ///< time percentage choosing the refractivity-gradient map (%)
  bool json = false;
};
int RunClimate(const ClimateOptions& options, Io& io);

/// Water-vapour density and specific gaseous attenuation. The defaults are the
/// desktop program's start-up values of FREQ, PRESSURE, TEMPERATURE and RH.
struct GasOptions {
  double frequency = 10.368;   ///< GHz
  double pressure = 1000.0;    ///< hPa
  double temperature = 20.0;   ///< degrees C
  double humidity = 40.0;      ///< relative humidity (%)
  bool json = false;
};
int RunGas(const GasOptions& options, Io& io);

/// The model names --model takes.
inline constexpr const char* kClassicModelName = "classic";
inline constexpr const char* kP452ModelName = "p452-18";

/// The --model option and the inputs of P.452-18 alone, as typed (the names
/// already checked by the parser).
struct ModelOptions {
  std::string name = kClassicModelName;  ///< "classic" or "p452-18"
  std::string polarisation = "h";        ///< "h" or "v"
  double clutterHeight = 0.0;  ///< clutter height of every land sample (m)
  double dct = -1.0;           ///< transmitter's distance to the coast (km); negative: from the zones
  double dcr = -1.0;           ///< receiver's distance to the coast (km); negative: from the zones

  bool isP452() const { return name == kP452ModelName; }
  /// The core's form of the options (the antennas' gains are the link
  /// record's, which the core's runs and jobs take them from).
  ModelChoice choice() const;
};

/// Inputs of a path run: the Input Data page's fields, with the program's
/// built-in defaults.
struct PathOptions {
  EndsOptions ends;
  double rangeKm = -1.0;     ///< with bearingDeg: the receiver from the transmitter (when --rx is absent)
  double bearingDeg = -1.0;
  double txHeight = 10.0;    ///< m above ground
  double rxHeight = 10.0;
  double frequency = 10.368; ///< GHz
  double percent = 50.0;     ///< % of time
  double temperature = 20.0; ///< degrees C
  double pressure = 1000.0;  ///< hPa
  double humidity = 40.0;    ///< %
  double kFactor = 0.0;      ///< forced median K factor; 0 = from the climate maps
  std::string terrain = "."; ///< directory of the tiles and zones01.dem
  std::string climate;       ///< directory of the radio-climate maps; empty = working directory
  bool interpolate = false;
  bool json = false;
  // A profile supplied as CSV instead of the two ends.
  std::string profileFile;
  double latitude = 0.0;     ///< mean latitude of a supplied profile (degrees)
  double n0 = 320.0;         ///< N0 of a supplied profile
  double deltaN = 45.0;      ///< delta-N of a supplied profile
  /// The model, and the inputs of P.452-18 alone.
  ModelOptions model;
  /// The link budget's inputs; path prints the budget when any is given
  /// (mechanisms takes only the antenna gains). Their antenna gains are
  /// also P.452-18's gains towards the horizon.
  LinkOptions link;
};

/// One path as Calculate and the profile run do it.
int RunPath(const PathOptions& options, Io& io);
/// The loss of each mechanism at the ten fixed time percentages.
int RunMechanisms(const PathOptions& options, Io& io);

/// The sampled terrain profile of a path as CSV.
struct ProfileOptions {
  EndsOptions ends;
  std::string terrain = ".";
  std::string climate;
  bool interpolate = false;
  bool coverage = false;
  double k = 0.0;  ///< effective Earth-radius factor; 0 = the one the model would use
};
int RunProfile(const ProfileOptions& options, Io& io);

/// A site list as the Site Database page reads it.
struct SitesOptions {
  std::string file;           ///< the site list (NAME~LOCATION lines)
  std::string terrain = ".";  ///< directory of the .hgt tiles for the heights
  bool json = false;
};
/// The accepted sites with their five detail lines.
int RunSites(const SitesOptions& options, Io& io);

/// The Zone Map page's picture of a path.
struct ZoneMapOptions {
  EndsOptions ends;
  std::string terrain;  ///< directory holding zones01.dem
  std::string out;      ///< PNG file to write
  bool json = false;
};
/// Writes the 400 x 400 zone picture; identical ends write nothing (exit 1).
int RunZoneMap(const ZoneMapOptions& options, Io& io);
/// Elevation rasters made into the program's tiles.
struct ImportDemOptions {
  std::vector<std::string> inputs;  ///< raster files GDAL reads
  std::string out;                  ///< directory the tiles go to
  bool json = false;
  bool progress = false;            ///< draw a progress bar on the error stream (a terminal)
};
int RunImportDem(const ImportDemOptions& options, Io& io);

/// Limits of the command line's own numbers; the page's fields' limits come
/// from session/InputLimits.h.
using tarnvale::InputLimits;
inline constexpr InputLimits kTimePercentLimits{"percent", 0.0, 100.0, 4};     ///< gradient map choice (%)
inline constexpr InputLimits kLatitudeLimits{"latitude", -90.0, 90.0, 9};      ///< degrees
inline constexpr InputLimits kLongitudeLimits{"longitude", -180.0, 180.0, 9};  ///< degrees

}  // namespace tarnvale::cli
