#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "climate/Refractivity.h"

namespace tarnvale::cli {
namespace {

struct Row {
  const char* key;
  const char* unit;
  std::optional<double> value;
};

std::optional<double> Found(bool ok, double value) { return ok ? std::optional<double>(value) : std::nullopt; }

}  // namespace

int RunClimate(const ClimateOptions& options, Io& io) {
  const CRefractivity maps(options.directory);
  const double lat = options.latitude;
  const double lon = options.longitude;
  double n0 = 0.0, deltaN = 0.0, surface = 0.0, elevated = 0.0, gradient = 0.0;
  maps.loadTogether({CRefractivity::kN0, CRefractivity::kDeltaN, CRefractivity::kSurfaceDuct,
                     CRefractivity::kElevatedDuct, CRefractivity::gradientMap(options.percent)});
  const bool hasN0 = maps.n0At(lat, lon, true, n0);
  const bool hasDeltaN = maps.dnAt(lat, lon, true, deltaN);
  const bool hasSurface = maps.surfaceDuctAt(lat, lon, true, surface);
  const bool hasElevated = maps.elevatedDuctAt(lat, lon, true, elevated);
  const bool hasGradient = maps.gradientAt(options.percent, lat, lon, gradient);
  const Row rows[] = {
      {"N0", "N-units", Found(hasN0, n0)},
      {"deltaN", "N-units/km", Found(hasDeltaN, deltaN)},
      {"surfaceDuct", "%", Found(hasSurface, surface)},
      {"elevatedDuct", "%", Found(hasElevated, elevated)},
      {"gradient", "N-units/km", Found(hasGradient, gradient)},
  };

  bool any = false;
  if (options.json) {
    nlohmann::json j;
    for (const Row& row : rows) {
      j[row.key] = row.value ? nlohmann::json(*row.value) : nlohmann::json(nullptr);
      any = any || row.value.has_value();
    }
    io.out << j.dump(2) << "\n";
  } else {
    for (const Row& row : rows) {
      char buf[128];
      if (row.value)
        std::snprintf(buf, sizeof buf, "%-13s %.3f %s\n", row.key, *row.value, row.unit);
      else
        std::snprintf(buf, sizeof buf, "%-13s no data\n", row.key);
      io.out << buf;
      any = any || row.value.has_value();
    }
    const std::string gradientMap(maps.grid(CRefractivity::gradientMap(options.percent)).name());
    io.out << "gradient map  " << gradientMap << "\n";
  }
  if (!any)
    io.err << "tarnvale-cli: no radio-climate map could be read in "
           << (options.directory.empty() ? std::string("the working directory") : "'" + options.directory + "'")
           << "\n";
  return kExitOk;
}

}  // namespace tarnvale::cli
