// Cost of reading a 0.5-degree radio-climate map, of an interpolated lookup on
// it, and of the line-by-line gaseous attenuation.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "climate/ClimateGrid.h"
#include "climate/Refractivity.h"
#include "model/P676.h"

namespace {

/// The shared real-data maps: TARNVALE_SHARED_DATA, else ../shared/data beside the sources.
std::filesystem::path ClimateDir() {
  const char* env = std::getenv("TARNVALE_SHARED_DATA");
  const std::filesystem::path data =
      (env && *env) ? std::filesystem::path(env) : std::filesystem::path(TARNVALE_DEFAULT_DATA);
  return data / "climate";
}

void BM_LoadN0(benchmark::State& state) {
  const std::filesystem::path dir = ClimateDir();
  for (auto _ : state) {
    tarnvale::ClimateGrid grid = tarnvale::CRefractivity::Descriptors()[tarnvale::CRefractivity::kN0];
    if (!grid.load(dir)) {
      state.SkipWithError("n0.txt not found: set TARNVALE_SHARED_DATA");
      break;
    }
    benchmark::DoNotOptimize(grid.data.data());
  }
}
BENCHMARK(BM_LoadN0)->Unit(benchmark::kMillisecond);

void BM_N0Interpolated(benchmark::State& state) {
  const tarnvale::CRefractivity maps(ClimateDir());
  double value = 0.0;
  if (!maps.load(tarnvale::CRefractivity::kN0)) {
    state.SkipWithError("n0.txt not found: set TARNVALE_SHARED_DATA");
    return;
  }
  double lat = 51.3523, lon = -1.4643;
  for (auto _ : state) {
    benchmark::DoNotOptimize(maps.n0At(lat, lon, true, value));
    lon = lon < 2.0 ? lon + 0.013 : -1.4643;
  }
  benchmark::DoNotOptimize(value);
}
BENCHMARK(BM_N0Interpolated);

void BM_SpecificAttenuation(benchmark::State& state) {
  const double rho = tarnvale::WaterVapourDensity(40.0, 20.0, true);
  double f = 10.368;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tarnvale::SpecificAttenuation(f, 1000.0, 20.0, rho));
    f = f < 300.0 ? f + 0.5 : 10.368;
  }
}
BENCHMARK(BM_SpecificAttenuation);

}  // namespace
