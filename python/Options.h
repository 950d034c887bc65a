#pragma once
// The module's keyword arguments: the command line's options under Python
// names (freq, tx_height, ...), checked against the same limits and refused
// with the command line's messages as ValueError.
#include <pybind11/pybind11.h>

#include <optional>
#include <set>
#include <string>

#include "geo/Locator.h"
#include "session/InputLimits.h"
#include "session/LinkSetup.h"
#include "session/PathRun.h"

namespace tarnvale::python {

/// The InputFormat code of a format name ("loc", "ngr", "deg", "dms"; any
/// case), or -1 for None: the first format that reads the text.
int FormatCode(const std::optional<std::string>& name);

/// An end of a path: a location text, or a (latitude, longitude) pair;
/// ValueError with @p invalid ("Invalid TX Locator") otherwise.
CLocator End(const pybind11::handle& where, const std::optional<std::string>& format, const char* invalid);

/// A data folder that must exist: FileNotFoundError naming @p what otherwise.
std::string Folder(const std::string& path, const char* what);

/// The keyword arguments of one call, taken one by one; finish() refuses
/// any left over, as the command line refuses an unknown option.
class Keywords {
 public:
  explicit Keywords(const pybind11::kwargs& given);

  /// A number (int or float); nothing when not given or None.
  std::optional<double> number(const char* name);
  /// A number checked against @p limits: ValueError "name: LIMIT must be a
  /// number from MIN to MAX, not 'X'" outside them.
  std::optional<double> number(const char* name, const InputLimits& limits);
  /// A text; nothing when not given or None.
  std::optional<std::string> text(const char* name);
  /// A text, or a number written as its shortest exact decimal (for the
  /// link budget's power and gains, whose texts may carry a unit).
  std::optional<std::string> textOrNumber(const char* name);
  /// True or False; @p fallback when not given.
  bool flag(const char* name, bool fallback);
  /// The object given, or None.
  pybind11::object object(const char* name);
  /// Whether @p name was given (and not None).
  bool given(const char* name) const;

  /// TypeError naming the first keyword not taken, for @p function.
  void finish(const char* function) const;

 private:
  pybind11::dict given_;
  std::set<std::string> taken_;
};

/// The radio inputs shared by path, profile_loss and mechanisms (freq,
/// percent, tx_height, rx_height, temperature, pressure, humidity, k_factor,
/// interpolate, terrain, climate) into @p request.
void TakeRadio(Keywords& keywords, PathRequest& request);

/// The model and P.452-18's own inputs (model, polarisation, clutter_height,
/// dct, dcr); ValueError for one of P.452-18's given to the classic model.
void TakeModel(Keywords& keywords, ModelChoice& choice);

/// The link budget's inputs (power, tx_gain, rx_gain, tx_feeder_loss,
/// rx_feeder_loss, pattern or tx_pattern, rx_pattern, azimuth or tx_azimuth,
/// downtilt or tx_downtilt, rx_azimuth, rx_downtilt, threshold); with
/// @p gainsOnly the two gains alone.
LinkInputs TakeLink(Keywords& keywords, bool gainsOnly);

/// The record of @p inputs: ValueError with the command line's message for a
/// value or pattern file that cannot be used.
LinkRecord LinkRecordOf(const LinkInputs& inputs);

}  // namespace tarnvale::python
