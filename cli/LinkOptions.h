#pragma once
// The link budget's options of path, mechanisms and coverage: what the user
// typed, made into the core's LinkRecord, and the budget printed.
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "link/LinkBudget.h"

namespace CLI {
class App;
}

namespace tarnvale::cli {

/// The link options as typed. Unset options keep LinkRecord's defaults
/// (1 W, no feeder loss, 0 dBi or the pattern's GAIN, threshold -100 dBm).
struct LinkOptions {
  std::string power;            ///< --power: "10W", "500mW", "40dBm", "-3dBW"
  std::string txGain, rxGain;   ///< --tx-gain / --rx-gain: dBi, or a number followed by dBd
  std::optional<double> txFeederLoss, rxFeederLoss;  ///< dB
  std::string txPattern, rxPattern;                  ///< pattern files (.msi, .pln, .txt, .csv)
  std::optional<double> txAzimuth, txDowntilt;       ///< degrees true; degrees, positive down
  /// Given: the receiving antenna keeps this azimuth (and rxDowntilt) instead
  /// of pointing at the transmitter.
  std::optional<double> rxAzimuth, rxDowntilt;
  std::optional<double> threshold;  ///< dBm

  /// True when any link option was given: the budget is then printed.
  bool given() const;
};

/// Which options a command takes: every one, or only the antenna gains
/// (--tx-gain, --rx-gain), whose meaning every model shares.
enum class LinkOptionSet { All, GainsOnly };

/// Adds the options to @p cmd; texts are checked as they are parsed, so that
/// a bad power or gain is a usage error naming the option.
void AddLinkOptions(CLI::App* cmd, LinkOptions& options, LinkOptionSet set = LinkOptionSet::All);

/// The record of @p options, with the pattern files read.
/// @param[out] error "PATH: line N: why" for a pattern file that cannot be used
bool LinkRecordFrom(const LinkOptions& options, LinkRecord& record, std::string& error);

}  // namespace tarnvale::cli
