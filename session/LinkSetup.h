#pragma once
// The link budget as the window and the command line both set it up: the
// limits of its fields, the geometry of a calculated path, the loss the
// budget starts from, and the lines that show the budget.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "geo/Locator.h"
#include "link/LinkBudget.h"
#include "model/P452Model.h"
#include "model/Terrain.h"
#include "session/InputLimits.h"

namespace tarnvale {

inline constexpr InputLimits kTxPowerLimits{"TxPower", -100.0, 100.0, 2};          ///< dBm
inline constexpr InputLimits kFeederLossLimits{"FeederLoss", 0.0, 100.0, 2};       ///< dB
inline constexpr InputLimits kAntennaGainLimits{"AntennaGain", -50.0, 80.0, 2};    ///< dBi (or dBd)
inline constexpr InputLimits kAntennaAzimuthLimits{"Azimuth", 0.0, 360.0, 1};      ///< degrees true
inline constexpr InputLimits kDowntiltLimits{"Downtilt", -90.0, 90.0, 1};          ///< degrees, positive down
inline constexpr InputLimits kThresholdLimits{"Threshold", -300.0, 100.0, 1};      ///< dBm

/// The link budget's inputs as a user types them (the command line's options,
/// the Python module's keywords). Unset ones keep LinkRecord's defaults (1 W,
/// no feeder loss, 0 dBi or the pattern's GAIN, threshold -100 dBm).
struct LinkInputs {
  std::string power;            ///< "10W", "500mW", "40dBm", "-3dBW"
  std::string txGain, rxGain;   ///< dBi, or a number followed by dBd
  std::optional<double> txFeederLoss, rxFeederLoss;  ///< dB
  std::string txPattern, rxPattern;                  ///< pattern files (.msi, .pln, .txt, .csv)
  std::optional<double> txAzimuth, txDowntilt;       ///< degrees true; degrees, positive down
  /// Given: the receiving antenna keeps this azimuth (and rxDowntilt) instead
  /// of pointing at the transmitter.
  std::optional<double> rxAzimuth, rxDowntilt;
  std::optional<double> threshold;  ///< dBm

  /// True when any input was given: a path's report then holds the budget.
  bool given() const;
};

/// Why a power text cannot be used (not read, or outside kTxPowerLimits):
/// empty when it can. The same for a gain text and kAntennaGainLimits.
std::string PowerTextProblem(const std::string& text);
std::string GainTextProblem(const std::string& text);

/// The record of @p inputs, with the pattern files read and every value
/// checked against the fields' limits.
/// @param[out] error why not: "PATH: line N: why" for a pattern file, or the
///   value's problem ("--tx-feeder-loss must be a number from 0 to 100, not '-1'")
bool LinkRecordFrom(const LinkInputs& inputs, LinkRecord& record, std::string& error);

/// Runs P.452-18 with the antennas of @p link: troposcatter's coupling takes
/// their gains toward the horizon rays, the peak gains when no pattern turns
/// them; with a pattern, once more with the gains toward the horizons the
/// first run found (the horizons do not depend on the gains). @p in.Gt and
/// @p in.Gr end as the gains the results were computed with.
/// @param geometry where the path leaves each end, from a run's results
/// @param[out] budget the budget of the results (starting from Lb)
/// @return false when the model does not run (results.error says why)
bool CalculateP452WithLink(P452Model& model, P452Inputs& in, P452Results& results, const LinkRecord& link,
                           const std::function<LinkGeometry(const P452Results&)>& geometry, LinkBudget& budget);

/// The loss L a path's budget starts from: the Results group's total, the
/// basic transmission loss Lb with the gaseous loss of the path (dB).
double PathLinkLoss(const PathModelResults& results, double gasLossDb);

/// Where a calculated path leaves each end: the great circle's initial
/// bearing at the transmitter and at the receiver (CPath), and the horizon
/// elevations theta_t and theta_r of the path analysis in degrees.
LinkGeometry PathLinkGeometry(const CLocator& tx, const CLocator& rx, const PathModelResults& results);
/// The same from horizon elevations in milliradians, as any model gives them.
LinkGeometry PathLinkGeometry(const CLocator& tx, const CLocator& rx, double thetaTMrad, double thetaRMrad);

/// The same for a supplied profile, whose direction on the ground is not
/// known: each antenna is taken to face along the path (bearings equal to the
/// antennas' azimuths), so only the elevations count.
LinkGeometry BoresightLinkGeometry(const LinkRecord& record, const PathModelResults& results);
/// The same from horizon elevations in milliradians.
LinkGeometry BoresightLinkGeometry(const LinkRecord& record, double thetaTMrad, double thetaRMrad);

/// The budget of a path the model has just run (results.ok), from its
/// results, the gaseous loss and the frequency of the run.
LinkBudget PathLinkBudgetOf(const LinkRecord& record, const PathModelResults& results, double gasLossDb,
                            const LinkGeometry& geometry);

/// One point of a polar plot of a pattern cut.
struct PolarPoint {
  double plotAngleDeg = 0.0;  ///< clockwise from the top of the plot (degrees, 0...360)
  double relativeDb = 0.0;    ///< gain relative to the peak (dB, 0 or below, no lower than the plot's floor)
};

/// Figures of the pattern plots.
namespace patternplot {
inline constexpr double kFloorDb = -40.0;   ///< the centre of the plot (dB below the peak)
inline constexpr double kStepDeg = 0.5;     ///< the cut is drawn every half degree
inline constexpr double kBoresightPlotDeg = 90.0;  ///< where the vertical cut's boresight is drawn (3 o'clock)
}  // namespace patternplot

/// A pattern cut as a polar plot draws it, closed (the last point at 360
/// repeats the first). The horizontal cut as it is listed, boresight at the
/// top, clockwise seen from above. The vertical cut seen from the antenna's
/// left side: boresight to the right (90 on the plot), down below it,
/// turned by the mechanical @p downtiltDeg, so that the plot's horizontal
/// line is the horizon. Relative gains below the floor are drawn at it.
std::vector<PolarPoint> PatternPolarCut(const AntennaPattern& pattern, bool vertical, double downtiltDeg = 0.0);

/// Where a ray leaving an antenna lies on the plots of PatternPolarCut: on
/// the horizontal plot at its azimuth from boresight, on the vertical plot at
/// its elevation, on the right half in front of the antenna and on the left
/// behind it.
struct PolarDirection {
  double horizontalPlotDeg = 0.0;
  double verticalPlotDeg = 0.0;
};
/// @param bearingDeg, elevationDeg the ray (degrees true; degrees, up positive)
/// @param antennaAzimuthDeg the antenna's boresight (degrees true)
PolarDirection PolarDirectionOf(double bearingDeg, double elevationDeg, double antennaAzimuthDeg);

/// What a pattern file's header says, in one line: "NAME, 17.50 dBi,
/// 1800 MHz, beam 65 x 7 degrees, electrical tilt 6 degrees" (the parts the
/// file gives); "No pattern" without one.
std::string PatternSummary(const AntennaPattern& pattern);

/// One line of the budget as the window's labels and the command line's text
/// show it: "EIRP" and "47.50 dBm (56.23 W)".
struct LinkBudgetLine {
  std::string caption;
  std::string value;
};

/// The budget's lines, in order: Loss, EIRP (dBm and W), TX gain toward RX,
/// RX gain toward TX, Received power, Field strength, Margin. Two decimals;
/// "-" for a value that is not finite.
/// @param micro the field strength's unit written dBµV/m (UTF-8), else dBuV/m
std::vector<LinkBudgetLine> LinkBudgetLines(const LinkBudget& budget, bool micro);

}  // namespace tarnvale
