#include "cli/ModelOptions.h"

#include <cstdio>

#include "cli/Cli.h"
#include "session/PathRun.h"

namespace tarnvale::cli {

CLI::Validator Within(const InputLimits& limits) {
  char description[96];
  std::snprintf(description, sizeof description, "FLOAT in [%g, %g]", limits.min, limits.max);
  return CLI::Validator(
      [limits](std::string& input) -> std::string {
        double value = 0.0;
        if (CLI::detail::lexical_cast(input, value) && value >= limits.min && value <= limits.max) return {};
        char message[160];
        std::snprintf(message, sizeof message, "%.*s must be a number from %g to %g, not '",
                      static_cast<int>(limits.name.size()), limits.name.data(), limits.min, limits.max);
        return message + input.substr(0, 40) + "'";
      },
      description);
}

ModelChoice ModelOptions::choice() const {
  ModelChoice c;
  c.model = isP452() ? PathModel::kP452v18 : PathModel::kClassic;
  c.polarisation = polarisation == "v" ? P452Polarisation::kVertical : P452Polarisation::kHorizontal;
  c.clutterHeightM = clutterHeight;
  // One given distance is taken as given; the other, when left out, still
  // follows from the zones (negative).
  c.coastGiven = dct >= 0.0 || dcr >= 0.0;
  c.dctKm = dct;
  c.dcrKm = dcr;
  return c;
}

std::vector<CLI::Option*> AddModelOptions(CLI::App* cmd, ModelOptions& o, const std::string& clutterHelp) {
  cmd->add_option("--model", o.name, "propagation model: classic or p452-18 (ITU-R P.452-18)")
      ->capture_default_str()
      ->transform(CLI::IsMember({kClassicModelName, kP452ModelName}, CLI::ignore_case));
  return {
      cmd->add_option("--polarisation", o.polarisation, "p452-18: polarisation, h or v (default h)")
          ->transform(CLI::IsMember({"h", "v"}, CLI::ignore_case)),
      cmd->add_option("--clutter-height", o.clutterHeight, clutterHelp)->check(Within(kClutterHeightLimits)),
      cmd->add_option("--dct", o.dct,
                      "p452-18: transmitter's distance over land to the coast, km "
                      "(default: from the zones, 500 without sea)")
          ->check(Within(kCoastDistanceLimits)),
      cmd->add_option("--dcr", o.dcr, "p452-18: receiver's distance over land to the coast, km")
          ->check(Within(kCoastDistanceLimits)),
  };
}

void RefuseP452OnlyOptions(const std::vector<CLI::Option*>& p452Only, const ModelOptions& options) {
  for (const CLI::Option* option : p452Only)
    if (option->count() > 0 && !options.isP452())
      throw CLI::ValidationError(option->get_name(), "applies to --model p452-18 only");
}

int CheckP452Radio(double frequencyGHz, double percent, Io& io) {
  const std::string problem = P452BoundsProblem(frequencyGHz, percent);
  if (problem.empty()) return kExitOk;
  io.err << "tarnvale-cli: " << problem << "\n";
  return kExitUsage;
}

}  // namespace tarnvale::cli
