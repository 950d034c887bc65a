// Cost of the Mechanisms page's curves: ten model runs over a path of 998
// samples on the real tiles, as the page does on every show. Whether these
// runs may stay on the window's thread depends on this figure (100 ms).
#include <benchmark/benchmark.h>

#include "bench/BenchData.h"
#include "climate/Refractivity.h"
#include "climate/Zones.h"
#include "model/ModelDriver.h"
#include "model/Terrain.h"
#include "terrain/Srtm.h"

namespace {

using namespace tarnvale;
using namespace tarnvale::bench;

void BM_MechanismCurves(benchmark::State& state) {
  if (!haveTiles()) {
    state.SkipWithError("N51W002.hgt not found: set TARNVALE_SHARED_DATA");
    return;
  }
  CSRTM terrain{9, srtmDir().string()};
  CZONES zones{zonesFile().dir()};
  CRefractivity climate{sharedData() / "climate"};
  CTerrain model;
  // 49.94 km along a meridian of the tile: 998 samples at 0.05 km. The
  // sample limit of 999 is met only by a range of exactly 999 x 0.05 km, which
  // the range arithmetic does not hit; 998 is the most a real path gets.
  const CLocator tx(51.05, -1.5), rx(51.4992, -1.5);
  ModelInputs inputs;
  inputs.interpolate = state.range(0) != 0;
  for (auto _ : state) {
    auto points = MechanismCurves(ModelData{model, terrain, zones, climate}, tx, rx, inputs);
    benchmark::DoNotOptimize(points);
  }
  state.SetLabel(std::to_string(model.profile().n) + (inputs.interpolate ? " samples, interpolated" : " samples"));
}
BENCHMARK(BM_MechanismCurves)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
