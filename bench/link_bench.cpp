// What a map of received power costs beyond the loss: the quantity of one
// point from its loss and horizon elevations (bearings along the great
// circle, the antennas' gains toward the path), as the coverage engine's
// calling thread works out each finished column. Arg 0: isotropic antennas;
// 1: the transmitter's 65-degree panel; 2: panels at both ends, the
// receiving one keeping its own azimuth.
#include <benchmark/benchmark.h>

#include <string>

#include "link/PatternReader.h"
#include "maps/Coverage.h"

namespace {

using namespace tarnvale;

void BM_CoverageQuantityAt(benchmark::State& state) {
  CoverageJob job;
  job.tx = CLocator(51.42, -1.55);
  job.grid = CoverageGridFor(job.tx, 10.0, 1.0);
  job.inputs.model.frequency = 1.8;
  job.quantity = LinkQuantity::Power;
  std::string error;
  if (state.range(0) >= 1 &&
      !LoadPatternFile(TARNVALE_LINK_BENCH_DATA "/panel65-t6.msi", job.link.tx.pattern, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  job.link.tx.azimuthDeg = 30.0;
  if (state.range(0) == 2) {
    job.link.rx.pattern = job.link.tx.pattern;
    job.link.rx.azimuthDeg = 200.0;
    job.link.rxPointsAtTx = false;
  }
  int j = 0, k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        CoverageQuantityAt(job, job.grid.latitude(k), job.grid.longitude(j), 150.0, -2.5, 1.5));
    if (++k == job.grid.n) k = 0, j = (j + 7) % job.grid.n;
  }
}
BENCHMARK(BM_CoverageQuantityAt)->DenseRange(0, 2);

}  // namespace
