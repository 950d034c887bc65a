#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "model/P676.h"

namespace tarnvale::cli {

int RunGas(const GasOptions& options, Io& io) {
  // The path calculation always takes the saturation pressure over water.
  const double rho = WaterVapourDensity(options.humidity, options.temperature, true);
  double oxygen = 0.0, waterVapour = 0.0, dryContinuum = 0.0;
  const double gamma = SpecificAttenuation(options.frequency, options.pressure, options.temperature, rho, oxygen,
                                           waterVapour, dryContinuum);
  if (options.json) {
    nlohmann::json j;
    j["rho"] = rho;
    j["gamma"] = gamma;
    j["oxygen"] = oxygen;
    j["waterVapour"] = waterVapour;
    j["dryContinuum"] = dryContinuum;
    io.out << j.dump(2) << "\n";
  } else {
    char buf[320];
    std::snprintf(buf, sizeof buf,
                  "rho           %.6g g/m3\n"
                  "gamma         %.6g dB/km\n"
                  "oxygen        %.6g dB/km\n"
                  "waterVapour   %.6g dB/km\n"
                  "dryContinuum  %.6g dB/km\n",
                  rho, gamma, oxygen, waterVapour, dryContinuum);
    io.out << buf;
  }
  return kExitOk;
}

}  // namespace tarnvale::cli
