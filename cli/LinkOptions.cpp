#include "cli/LinkOptions.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "link/LinkUnits.h"
#include "link/PatternReader.h"
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
  return CLI::Validator(
      [](std::string& input) -> std::string {
        double dBm = 0.0;
        std::string why;
        if (!ParsePower(input, dBm, &why)) return why;
        if (dBm < kTxPowerLimits.min || dBm > kTxPowerLimits.max) {
          char message[128];
          std::snprintf(message, sizeof message, "power must be from %g to %g dBm", kTxPowerLimits.min,
                        kTxPowerLimits.max);
          return message;
        }
        return {};
      },
      "POWER (10W, 500mW, 40dBm, -3dBW)");
}

CLI::Validator gainText() {
  return CLI::Validator(
      [](std::string& input) -> std::string {
        double dBi = 0.0;
        std::string why;
        if (!ParseGain(input, dBi, &why)) return why;
        if (dBi < kAntennaGainLimits.min || dBi > kAntennaGainLimits.max) {
          char message[128];
          std::snprintf(message, sizeof message, "gain must be from %g to %g dBi", kAntennaGainLimits.min,
                        kAntennaGainLimits.max);
          return message;
        }
        return {};
      },
      "GAIN (dBi, or 12dBd)");
}

bool loadPattern(const std::string& path, LinkAntenna& antenna, std::string& error) {
  if (path.empty()) return true;
  if (!LoadPatternFile(path, antenna.pattern, error)) return false;
  antenna.patternPath = path;
  return true;
}

}  // namespace

bool LinkOptions::given() const {
  return !power.empty() || !txGain.empty() || !rxGain.empty() || txFeederLoss || rxFeederLoss ||
         !txPattern.empty() || !rxPattern.empty() || txAzimuth || txDowntilt || rxAzimuth || rxDowntilt || threshold;
}

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

bool LinkRecordFrom(const LinkOptions& o, LinkRecord& record, std::string& error) {
  LinkRecord r;
  double value = 0.0;
  if (!o.power.empty() && ParsePower(o.power, value)) r.powerDbm = value;
  if (!o.txGain.empty() && ParseGain(o.txGain, value)) r.tx.gainDbi = value;
  if (!o.rxGain.empty() && ParseGain(o.rxGain, value)) r.rx.gainDbi = value;
  r.tx.feederLossDb = o.txFeederLoss.value_or(0.0);
  r.rx.feederLossDb = o.rxFeederLoss.value_or(0.0);
  r.tx.azimuthDeg = o.txAzimuth.value_or(0.0);
  r.tx.downtiltDeg = o.txDowntilt.value_or(0.0);
  r.rxPointsAtTx = !o.rxAzimuth;
  r.rx.azimuthDeg = o.rxAzimuth.value_or(0.0);
  r.rx.downtiltDeg = o.rxDowntilt.value_or(0.0);
  if (o.threshold) r.rxThresholdDbm = *o.threshold;
  if (!loadPattern(o.txPattern, r.tx, error) || !loadPattern(o.rxPattern, r.rx, error)) return false;
  record = std::move(r);
  return true;
}

}  // namespace tarnvale::cli
