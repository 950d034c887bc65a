#pragma once
// Session: the program-wide state of one run (the two ends of the path, how
// the receiver is given, the gaseous loss, the data objects) and the actions
// that work on it: start-up, Calculate with its profile run, the format
// switch and saving the inputs. The desktop program maps its fields to
// InputValues and the outcome back to its labels; the command line uses the
// same calls, so both show the same numbers.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "climate/Refractivity.h"
#include "climate/Zones.h"
#include "geo/Locator.h"
#include "link/LinkBudget.h"
#include "model/ModelChoice.h"
#include "model/ModelDriver.h"
#include "model/P452Model.h"
#include "model/P452Path.h"
#include "model/Terrain.h"
#include "settings/SettingsRecord.h"
#include "terrain/Srtm.h"

namespace tarnvale {

/// The key of the link record among profile.ini's keyed texts.
inline constexpr const char* kLinkSettingsKey = "link";

/// How the receiver is given; the codes are stored in profile.ini.
enum EndPointMode : std::uint8_t {
  kByRangeBearing = 0,  ///< from the Range and Bearing fields
  kByLocation = 1,      ///< typed in its own field
};

/// The Input Data page's fields as the user left them.
struct InputValues {
  std::string startLoc;
  std::string endLoc;
  int format = kFormatLocator;  ///< the checked format button
  bool metric = true;
  double range = 10.0;          ///< km, or miles when imperial
  double bearing = 10.0;        ///< degrees
  double frequency = 10.368;    ///< GHz
  double temperature = 20.0;    ///< degrees C
  double pressure = 1000.0;     ///< hPa
  double humidity = 40.0;       ///< %
  double percent = 50.0;        ///< % of time
  double txHeight = 10.0;       ///< m above ground
  double rxHeight = 10.0;       ///< m above ground
  bool forcedKFactor = false;
  double kFactor = 1.333;
  bool flatEarth = false;
  /// The propagation model and the inputs of P.452-18 alone (the Model group).
  ModelChoice modelChoice;
};

/// The numbers behind the profile chart, one entry per sample, in the
/// display units (km or miles across, m or ft up).
struct ProfileChartData {
  std::vector<double> x;
  std::vector<double> terrain;       ///< ground raised by the bulge
  std::vector<double> bulge;         ///< earth bulge
  std::vector<double> lineOfSight;   ///< line-of-sight string raised by the bulge
  std::vector<double> fresnelAbove;  ///< line of sight plus the first Fresnel radius
  std::vector<double> fresnelBelow;  ///< line of sight minus the first Fresnel radius
  std::string leftTitle;             ///< "Height (m)" / "Height (ft)"
  std::string bottomTitle;           ///< "Range (km)" / "Range (miles)"
  double leftMinimum = 0.0;
  double leftMaximum = 0.0;
};

/// What a Calculate changes. Fields left empty (std::nullopt) keep what the
/// previous run showed.
struct CalculateOutcome {
  std::optional<std::string> endLoc;  ///< new receiver text (range-and-bearing mode)
  std::string startHeight;            ///< "TX ASL 123 m" or "Invalid TX Locator"
  std::string endHeight;              ///< "RX ..." or "Invalid RX Locator"
  bool locationsValid = false;        ///< false: nothing below this changed

  std::optional<std::string> rho;     ///< Water vapour density label
  std::optional<std::string> gasLoss; ///< Gaseous Loss label
  std::optional<std::string> range, bearing, rangeUnit;

  // The profile run.
  std::string modelLine;              ///< which model ran: ModelLine
  bool noModel = false;               ///< "Memory allocation failure"
  bool pathValid = false;             ///< false: invalidText is shown, results kept
  /// Why there is no result: "Path too short", or the bounds of P.452-18's
  /// frequency and time percentage when the fields lie outside them.
  std::string invalidText = "Path too short";
  std::optional<double> kFactor;      ///< K_FACT's new value when not forced
  /// Where N0 and delta-N came from, and the status line that says so when
  /// not from the maps (ClimateStatusText; empty when from the maps).
  ClimateSource climateSource = ClimateSource::kMaps;
  std::string climateStatus;
  struct Labels {
    std::string beta0, seaFraction, dct, dcr, pathLength;
    std::string fsLoss, diffLoss, tropoLoss, ductLoss, overallLoss;
  };
  std::optional<Labels> labels;
  std::vector<std::string> table;     ///< header line first
  std::optional<ProfileChartData> chart;
  /// The link budget of the path with the session's link record, and where
  /// the path leaves each end (a valid path only).
  std::optional<LinkBudget> linkBudget;
  std::optional<LinkGeometry> linkGeometry;
};

/// What start-up restores into the window.
struct RestoredInputs {
  InputValues fields;          ///< the numeric fields, units, options and format
  bool formatKnown = true;     ///< false: a stored format code the program does not know; buttons stay
  std::uint8_t endPointMode = kByLocation;
  std::string terrainDirectory;
  bool fromFile = false;       ///< false: the built-in defaults
  /// Why the saved link record could not be read (it is then the default
  /// record); empty when it was read or none was saved.
  std::string linkProblem;
};

/// Outcome of creating the data objects at start-up.
enum class StartupFailure {
  kNone,
  kMapInitialisation,    ///< "Map initialisation failure"
  kMemoryAllocation,     ///< "Memory allocation failure"
  kTerrainObject,        ///< "Terrain object initialisation failure"
};

class Session {
 public:
  /// @param climateDirectory where the radio-climate maps are read from (the
  ///        working directory for the desktop program)
  explicit Session(std::string climateDirectory = {});
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // ---- Start-up, settings ----

  /// Restores the inputs from @p programDirectory + "profile.ini", or the
  /// built-in defaults where it cannot be read; sets the two ends.
  RestoredInputs RestoreInputs(const std::string& programDirectory);
  /// True when @p directory holds at least one tile (.hgt, .hgt.zip or
  /// .hgt.gz, either case).
  static bool HasTerrainTiles(const std::string& directory);
  /// Creates the terrain store (9 slots), the zone map and the model, in that order.
  StartupFailure CreateDataObjects(const std::string& terrainDirectory);
  /// The record "Save input data" writes: the fields' current texts and
  /// values, the link record, and the keyed texts of profile.ini that this
  /// program does not know, as they were read.
  SettingsRecord SettingsFromInputs(const InputValues& fields, const std::string& terrainDirectory) const;

  // ---- Calculate and its parts ----

  /// The Calculate action on the page's current values.
  CalculateOutcome Calculate(const InputValues& fields);
  /// Calculate from its height labels on, with both ends already parsed
  /// (the command line, whose ends may be in different formats).
  CalculateOutcome CalculateEnds(const CLocator& transmitter, const CLocator& receiver, const InputValues& fields);
  /// The receiver from a range and bearing; placed on the same 6371 km
  /// sphere that measures the range, so a typed range reads back unchanged.
  static CLocator ReceiverFromRangeBearing(const CLocator& tx, double bearingDeg, double rangeKm);
  /// The ground-height text of an end ("ASL 123 m", "Sea or missing data").
  std::string GroundHeightText(const CLocator& location, bool metric) const;
  /// Runs the model for the stored path (the driver).
  bool RunModel(bool coverage, const InputValues& fields, double* kFactorInUse = nullptr,
                ClimateSource* climateSource = nullptr);
  /// The texts of both ends in @p format (receiver first, as the fields are
  /// written): the last calculated locations, whatever was typed since.
  std::pair<std::string, std::string> FormatLocationsForDisplay(int format);

  // ---- State ----
  CLocator tx;
  CLocator rx;
  std::uint8_t endPointMode = kByLocation;
  double totalGasLoss = 0.0;     ///< dB over the whole path
  double rho = 0.0;              ///< water-vapour density of the last Calculate (g/m3)
  double gamma = 0.0;            ///< specific gaseous attenuation of the last Calculate (dB/km)
  double rangeKm = 0.0;          ///< great-circle range of the last Calculate
  double bearingDeg = 0.0;       ///< initial bearing of the last Calculate
  bool abortRequested = false;
  bool interpolateHeights = false;
  ModelDriver driver;            ///< holds the coverage fallback N0/delta-N
  /// The link budget's inputs: each Calculate gives the budget of its path
  /// with them; saved with the input data under the key kLinkSettingsKey.
  LinkRecord link;

  CRefractivity& climate() { return climate_; }
  CSRTM* terrain() { return terrain_.get(); }
  CZONES* zones() { return zones_.get(); }
  CTerrain* model() { return model_.get(); }
  /// The P.452-18 model object of Calculate and the Mechanisms page, made
  /// when first needed (it holds only working storage).
  P452Model& p452Model();
  /// The model of the last Calculate that gave a result.
  PathModel lastModel() const { return lastModel_; }

  /// Releases the data objects (the window closing).
  void Close();

 private:
  ModelInputs modelInputs(const InputValues& fields) const;
  void runProfile(const InputValues& fields, CalculateOutcome& outcome);
  /// runProfile under ITU-R P.452-18 (SessionP452.cpp).
  void runP452Profile(const InputValues& fields, CalculateOutcome& outcome);

  CRefractivity climate_;
  /// Keyed texts of the last profile.ini read, kept for saving again.
  std::map<std::string, std::string> keyed_;
  std::unique_ptr<CSRTM> terrain_;
  std::unique_ptr<CZONES> zones_;
  std::unique_ptr<CTerrain> model_;
  std::unique_ptr<P452Model> p452Model_;
  PathModel lastModel_ = PathModel::kClassic;
};

/// The radio figures of a P.452-18 run from @p fields: frequency, time
/// percentage, antenna heights, the Model group's polarisation, the pressure
/// (taken as dry-air pressure) and the temperature; the antennas' peak gains
/// from @p link.
P452Inputs P452RadioInputs(const InputValues& fields, const LinkRecord& link);
/// What a P.452-18 terrain path takes from @p fields besides its ends: the
/// clutter height, the coastal distances when given, the forced K factor.
P452PathOptions P452PathOptionsFor(const InputValues& fields, bool interpolate);

/// The profile chart and table of the model's last run.
ProfileChartData ProfileChart(const CTerrain& model, const InputValues& fields);
std::vector<std::string> ProfileTable(const CTerrain& model, bool metric);
/// The same for any profile whose end heights include the antennas, with the
/// line-of-sight height (m, above the curved earth: the chart adds the
/// bulge) and the first Fresnel radius (m) of each sample.
ProfileChartData ProfileChart(const TerrainProfile& profile, const std::vector<double>& rayHeight,
                              const std::vector<double>& fresnelRadius, const InputValues& fields);
std::vector<std::string> ProfileTable(const TerrainProfile& profile, bool metric);

}  // namespace tarnvale
