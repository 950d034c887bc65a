// Cost of reading and writing locations in each text format, and of points along a path.
#include <benchmark/benchmark.h>

#include "geo/Locator.h"
#include "geo/Path.h"

using tarnvale::CLocator;

namespace {

const char* kTexts[] = {"IO91JO26", "SU374616", "51.352 N   1.464 W", "51 21 8.4 N   1 27 51.6 W"};
const char* kNames[] = {"locator", "grid_reference", "degrees", "dms"};

void BM_Parse(benchmark::State& state) {
  const int format = static_cast<int>(state.range(0));
  state.SetLabel(kNames[format]);
  for (auto _ : state) {
    CLocator location(kTexts[format], format);
    benchmark::DoNotOptimize(location.latitude());
  }
}
BENCHMARK(BM_Parse)->DenseRange(0, 3);

void BM_Format(benchmark::State& state) {
  const int format = static_cast<int>(state.range(0));
  state.SetLabel(kNames[format]);
  CLocator location(51.3523, -1.4643);
  const int precision = tarnvale::DisplayPrecision(format);
  for (auto _ : state) benchmark::DoNotOptimize(location.toText(format, precision));
}
BENCHMARK(BM_Format)->DenseRange(0, 3);

void BM_PointAt(benchmark::State& state) {
  tarnvale::CPath path;
  path.setEnds(51.35, -1.46, 51.61, -1.23);
  double lat = 0, lon = 0, d = 0;
  for (auto _ : state) {
    path.pointAt(d, lat, lon);
    benchmark::DoNotOptimize(lat);
    benchmark::DoNotOptimize(lon);
    d = d < 30 ? d + 0.025 : 0;
  }
}
BENCHMARK(BM_PointAt);

}  // namespace
