#include "cli/LinkOptions.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>

#include "session/LinkSetup.h"

namespace tarnvale::cli {
namespace {

CLI::Validator numberWithin(const InputLimits& limits, const char* what) {
  char description[96];
  std::snprintf(description, sizeof description, "FLOAT in [%g, %g]", limits.min, limits.max);
  const std::string name = what;
  return CLI::Validator(
      [limits, name](std::string& input) -> std::string {
        double value = 0.0;
        if (CLI::detail::lexical_cast(input, value) && value >= limits.min && value <= limits.max) return {};
        char message[160];
        std::snprintf(message, sizeof message, "%s must be a number from %g to %g, not '", name.c_str(), limits.min,
                      limits.max);
        return message + input.substr(0, 40) + "'";
      },
      description);
}

CLI::Validator powerText() {
  return CLI::Validator([](std::string& input) { return PowerTextProblem(input); }, "POWER (10W, 500mW, 40dBm, -3dBW)");
}

CLI::Validator gainText() {
  return CLI::Validator([](std::string& input) { return GainTextProblem(input); }, "GAIN (dBi, or 12dBd)");
}

}  // namespace

void AddLinkOptions(CLI::App* cmd, LinkOptions& o, LinkOptionSet set) {
  cmd->add_option("--tx-gain", o.txGain,
                  "transmitting antenna's peak gain, dBi (or e.g. 12dBd); default: the pattern's GAIN, else 0")
      ->check(gainText());
  cmd->add_option("--rx-gain", o.rxGain,
                  "receiving antenna's peak gain, dBi (or e.g. 0dBd); default: the pattern's GAIN, else 0")
      ->check(gainText());
  if (set == LinkOptionSet::GainsOnly) return;
  cmd->add_option("--power", o.power, "transmitter power with its unit: 10W, 500mW, 40dBm, -3dBW (default 1W)")
      ->check(powerText());
  cmd->add_option("--tx-feeder-loss", o.txFeederLoss, "transmitter feeder loss, dB")
      ->check(numberWithin(kFeederLossLimits, "--tx-feeder-loss"));
  cmd->add_option("--rx-feeder-loss", o.rxFeederLoss, "receiver feeder loss, dB")
      ->check(numberWithin(kFeederLossLimits, "--rx-feeder-loss"));
  cmd->add_option("--pattern,--tx-pattern", o.txPattern,
                  "transmitting antenna's pattern: Planet .msi/.pln/.txt, or .csv of azimuth_deg,attenuation_dB")
      ->check(CLI::ExistingFile);
  cmd->add_option("--azimuth,--tx-azimuth", o.txAzimuth, "transmitting antenna's azimuth, degrees true")
      ->check(numberWithin(kAntennaAzimuthLimits, "--azimuth"));
  cmd->add_option("--downtilt,--tx-downtilt", o.txDowntilt,
                  "transmitting antenna's mechanical downtilt, degrees (positive down)")
      ->check(numberWithin(kDowntiltLimits, "--downtilt"));
  cmd->add_option("--rx-pattern", o.rxPattern, "receiving antenna's pattern file")->check(CLI::ExistingFile);
  CLI::Option* rxAzimuth =
      cmd->add_option("--rx-azimuth", o.rxAzimuth,
                      "receiving antenna's azimuth, degrees true; given, the antenna keeps it instead of pointing "
                      "at the transmitter")
          ->check(numberWithin(kAntennaAzimuthLimits, "--rx-azimuth"));
  cmd->add_option("--rx-downtilt", o.rxDowntilt, "receiving antenna's mechanical downtilt, degrees (positive down)")
      ->check(numberWithin(kDowntiltLimits, "--rx-downtilt"))
      ->needs(rxAzimuth);
  cmd->add_option("--threshold", o.threshold, "receiver threshold (sensitivity) the margin is taken against, dBm")
      ->check(numberWithin(kThresholdLimits, "--threshold"));
}

}  // namespace tarnvale::cli
