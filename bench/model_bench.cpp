// Cost of one model run over the real tiles: a point of an area-coverage map
// (sampling included) and a full point-to-point path of 999 samples.
#include <benchmark/benchmark.h>

#include "bench/BenchData.h"
#include "climate/Zones.h"
#include "model/Terrain.h"
#include "terrain/Srtm.h"

namespace {

using namespace tarnvale;
using namespace tarnvale::bench;

struct Data {
  CSRTM terrain{9, srtmDir().string()};
  CZONES zones{zonesFile().dir()};
  CTerrain model;
};

Data& data() {
  static Data d;
  return d;
}

// Receivers on a 20 km ring around a transmitter on N51W002, as a coverage map visits them.
void BM_CalculateCoveragePoint(benchmark::State& state) {
  if (!haveTiles()) {
    state.SkipWithError("N51W002.hgt not found: set TARNVALE_SHARED_DATA");
    return;
  }
  Data& d = data();
  const CLocator tx(51.5, -1.5);
  std::vector<CLocator> receivers;
  for (int i = 0; i < 64; ++i) {
    double lat = 0, lon = 0;
    tx.destination(20, i * 360.0 / 64, lat, lon);
    receivers.emplace_back(lat, lon);
  }
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(d.model.CalculateCoveragePoint(d.terrain, d.zones, tx, receivers[i], 320, 45, 10.368,
                                                            50, 10, 10));
    i = (i + 1) % receivers.size();
  }
  state.SetLabel(std::to_string(d.model.profile().n) + " samples");
}
BENCHMARK(BM_CalculateCoveragePoint)->Unit(benchmark::kMicrosecond);

void BM_CalculatePath(benchmark::State& state) {
  if (!haveTiles()) {
    state.SkipWithError("N51W002.hgt not found: set TARNVALE_SHARED_DATA");
    return;
  }
  Data& d = data();
  // 49.93 km along a meridian of the tile: 998 samples at 0.05 km.
  const CLocator tx(51.05, -1.5), rx(51.499, -1.5);
  const bool interpolate = state.range(0) != 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(
        d.model.CalculatePath(d.terrain, d.zones, tx, rx, interpolate, 320, 45, 10.368, 50, 10, 10));
  state.SetLabel(std::to_string(d.model.profile().n) + (interpolate ? " samples, interpolated" : " samples"));
}
BENCHMARK(BM_CalculatePath)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
