#pragma once
// Which propagation model computes a path, the Mechanisms curves or a map,
// and the inputs that only ITU-R P.452-18 reads: the names every front end
// shows for them and their lossless text form for the settings file.
#include <cstdint>
#include <string>
#include <string_view>

#include "model/P452Inputs.h"

namespace tarnvale {

/// The key of the choice's text (EncodeModelChoice) among profile.ini's keyed texts.
inline constexpr const char* kModelSettingsKey = "model";

/// The two models. The classic one (the program's own: P.452 clear-air
/// mechanisms as of revision 16, Deygout diffraction, one gaseous loss for
/// the whole path) is the default.
enum class PathModel : std::uint8_t {
  kClassic = 0,
  kP452v18 = 1,  ///< ITU-R P.452-18 (P452Model)
};

/// Distance to the coast (km) the coastal-distance fields start at: a
/// terminal this far inland sees no coast effect.
inline constexpr double kModelChoiceCoastKm = 500.0;

/// The model and the inputs of P.452-18 alone. The classic model reads none
/// of them; they are kept whichever model is chosen, so that switching back
/// and forth loses nothing.
struct ModelChoice {
  PathModel model = PathModel::kClassic;
  P452Polarisation polarisation = P452Polarisation::kHorizontal;
  double txGainDbi = 0.0;       ///< transmitting antenna gain towards the horizon along the path (dBi)
  double rxGainDbi = 0.0;       ///< receiving antenna gain towards the horizon along the path (dBi)
  double clutterHeightM = 0.0;  ///< representative clutter height R of every land sample (m)
  bool coastGiven = false;      ///< true: dctKm and dcrKm; false: the distances follow from the zones
  double dctKm = kModelChoiceCoastKm;  ///< transmitter's distance over land to the coast (km)
  double dcrKm = kModelChoiceCoastKm;  ///< receiver's distance over land to the coast (km)

  bool isP452() const { return model == PathModel::kP452v18; }
  /// The coastal distances as P452ProfileInputs takes them: negative for
  /// "from the zones" (also a negative one given, as the command line gives
  /// a distance left out when the other is given).
  double dctOrZones() const { return coastGiven ? dctKm : -1.0; }
  double dcrOrZones() const { return coastGiven ? dcrKm : -1.0; }
  bool operator==(const ModelChoice&) const = default;
};

/// The model's name on the command line, in JSON and in GeoTIFF metadata:
/// "classic" or "p452-18".
const char* PathModelName(PathModel model);
/// The model named @p name (either case); false for another name.
bool PathModelNamed(std::string_view name, PathModel& model);
/// The model as the window names it: "Classic (P.452-16, Deygout)" or
/// "ITU-R P.452-18".
const char* PathModelTitle(PathModel model);
/// The line that says which model computed a result: "Model: " + the title.
std::string ModelLine(PathModel model);
/// "h" or "v", as --polarisation takes it.
const char* PolarisationName(P452Polarisation polarisation);

/// Empty when P.452-18 takes @p frequencyGHz and @p percent; otherwise the
/// line that says what it takes: "ITU-R P.452-18 takes 0.1 to 50 GHz and
/// 0.001 to 50 % of time".
std::string P452RadioProblem(double frequencyGHz, double percent);

/// Copies the radio inputs of @p choice that P452Inputs holds (gains and
/// polarisation) into @p inputs.
void ApplyModelChoice(const ModelChoice& choice, P452Inputs& inputs);

/// The choice as text: the first line "tarnvale-model 1", then one "key
/// value" line for each field, then "end". Numbers in their shortest exact
/// decimal form: DecodeModelChoice gives back every field bit for bit.
std::string EncodeModelChoice(const ModelChoice& choice);

/// Reads a text written by EncodeModelChoice. Keys it does not know are
/// skipped (a later program's fields) and keys left out keep their defaults;
/// anything else out of form is refused: a missing first or last line, a key
/// given twice, a number that is not finite, an unknown model or
/// polarisation, a flag other than 0 or 1.
/// @param[out] choice replaced on success, untouched on failure
/// @param[out] error the line and why, when given
bool DecodeModelChoice(std::string_view text, ModelChoice& choice, std::string* error = nullptr);

}  // namespace tarnvale
