// Area coverage on the real N51W002 tile, range 10 km: a single point through
// the model driver's path and through the coverage engine's sampler, and
// whole maps at resolutions 4 and 1 on one and two threads, and under each
// model side by side; and SPLAT!'s
// path-loss map over the same area, timed in the same run, as the peer a
// user would pick instead.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "bench/BenchData.h"
#include "maps/Coverage.h"
#include "model/P676.h"
#include "terrain/CoverageSampler.h"
#include "terrain/ProfileSampler.h"

namespace {

using namespace tarnvale;
using namespace tarnvale::bench;

const CLocator kTx(51.42, -1.55);
constexpr double kRangeKm = 10.0;

// Processor time (s) of this process's threads, or of its finished children.
double cpuSeconds(int who) {
  rusage usage{};
  ::getrusage(who, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + 1e-6 * (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

CoverageJob mapJob(int resolution, int threads) {
  CoverageJob job;
  job.tx = kTx;
  job.grid = CoverageGridFor(kTx, kRangeKm, resolution);
  job.inputs.gasPerKm = SpecificAttenuation(10.368, 1000, 20, WaterVapourDensity(40, 20, true));
  job.terrainDirectory = srtmDir().string();
  job.threads = threads;
  return job;
}

struct Single {
  CSRTM terrain{9, srtmDir().string()};
  CZONES zones{zonesFile().dir()};
  CTerrain model;
  Single() { zones.zoneAt(kTx.latitude(), kTx.longitude()); }
};
Single& single() {
  static Single s;
  return s;
}

bool ready(benchmark::State& state) {
  if (haveTiles() && zonesFile().ok()) return true;
  state.SkipWithError("N51W002.hgt or zones01.dem.gz not found: set TARNVALE_SHARED_DATA");
  return false;
}

// The points of the resolution-4 grid, visited column by column.
template <typename F>
void overGrid(benchmark::State& state, F&& point) {
  const CoverageGrid grid = CoverageGridFor(kTx, kRangeKm, 4);
  int j = 0, k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(point(grid.latitude(k), grid.longitude(j)));
    if (++k == grid.n) {
      k = 0;
      j = (j + 1) % grid.n;
    }
  }
  state.SetItemsProcessed(state.iterations());
}

// One point as a single CalculateCoveragePoint run gives it.
void BM_CoveragePointModelDriver(benchmark::State& state) {
  if (!ready(state)) return;
  Single& s = single();
  const CoverageInputs inputs = mapJob(4, 1).inputs;
  overGrid(state, [&](double lat, double lon) {
    double loss = 0.0;
    return CoveragePointLoss(s.model, s.terrain, s.zones, kTx, lat, lon, inputs, loss) ? loss : 0.0;
  });
}
BENCHMARK(BM_CoveragePointModelDriver)->Unit(benchmark::kMicrosecond);

// The profile alone: the general sampler against the coverage sampler.
void BM_CoverageProfileGeneralSampler(benchmark::State& state) {
  if (!ready(state)) return;
  Single& s = single();
  TerrainProfile profile;
  CPath path;
  overGrid(state, [&](double lat, double lon) {
    path.setEnds(kTx.latitude(), kTx.longitude(), lat, lon);
    return SampleProfile(profile, path, 157.0 / (157.0 - 45.0), true, false, s.terrain, s.zones);
  });
}
BENCHMARK(BM_CoverageProfileGeneralSampler)->Unit(benchmark::kMicrosecond);

void BM_CoverageProfileCoverageSampler(benchmark::State& state) {
  if (!ready(state)) return;
  Single& s = single();
  TerrainProfile profile;
  CoverageSampler sampler(s.terrain, s.zones);
  overGrid(state, [&](double lat, double lon) {
    return sampler.sample(profile, kTx.latitude(), kTx.longitude(), lat, lon, 157.0 / (157.0 - 45.0));
  });
}
BENCHMARK(BM_CoverageProfileCoverageSampler)->Unit(benchmark::kMicrosecond);

// A whole map as tarnvale-cli coverage computes it (without writing files).
// Arguments: resolution, threads.
void BM_CoverageMap(benchmark::State& state) {
  if (!ready(state)) return;
  const CoverageJob job = mapJob(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  CZONES zones(zonesFile().dir());
  long long points = 0;
  const double cpuStart = cpuSeconds(RUSAGE_SELF);
  for (auto _ : state) {
    const CoverageValues values = RunCoverage(job, zones);
    points += values.pointsDone;
  }
  const double cpu = cpuSeconds(RUSAGE_SELF) - cpuStart;
  state.SetItemsProcessed(points);
  state.counters["points_per_second"] = benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsRate);
  // The wall time depends on what else the machine runs; the processor time
  // of the workers does much less.
  state.counters["cpu_us_per_point"] = 1e6 * cpu / static_cast<double>(points);
  state.counters["points_per_cpu_second"] = static_cast<double>(points) / cpu;
}
BENCHMARK(BM_CoverageMap)
    ->ArgNames({"resolution", "threads"})
    ->Args({4, 1})
    ->Args({4, 2})
    ->Args({1, 1})
    ->Args({1, 2})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The same map under each model, in the same run: a classic map and a
// P.452-18 map (its Lb at the page's defaults and horizontal polarisation)
// of the resolution-4 grid on one worker, alternately in every iteration,
// so that both see the same machine. Argument: the time percentage.
// Counters: processor time a point under each model and their ratio.
void BM_CoverageMapBothModels(benchmark::State& state) {
  if (!ready(state)) return;
  CoverageJob classic = mapJob(4, 1);
  classic.inputs.model.percent = static_cast<double>(state.range(0));
  CoverageJob p452 = classic;
  p452.inputs.choice.model = PathModel::kP452v18;
  CZONES zones(zonesFile().dir());
  double cpu[2] = {0.0, 0.0};
  long long points[2] = {0, 0};
  for (auto _ : state) {
    int which = 0;
    for (const CoverageJob* job : {&classic, &p452}) {
      const double start = cpuSeconds(RUSAGE_SELF);
      const CoverageValues values = RunCoverage(*job, zones);
      cpu[which] += cpuSeconds(RUSAGE_SELF) - start;
      points[which] += values.pointsDone;
      ++which;
    }
  }
  state.SetItemsProcessed(points[0] + points[1]);
  const double classicUs = 1e6 * cpu[0] / static_cast<double>(points[0]);
  const double p452Us = 1e6 * cpu[1] / static_cast<double>(points[1]);
  state.counters["classic_cpu_us_per_point"] = classicUs;
  state.counters["p452_cpu_us_per_point"] = p452Us;
  state.counters["p452_over_classic"] = p452Us / classicUs;
}
BENCHMARK(BM_CoverageMapBothModels)->ArgName("percent")->Arg(50)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// How long a map takes to end after a stop request, 30 ms into a resolution-1
// map on two threads.
void BM_CoverageCancel(benchmark::State& state) {
  if (!ready(state)) return;
  const CoverageJob job = mapJob(1, 2);
  CZONES zones(zonesFile().dir());
  double worstMs = 0.0;
  for (auto _ : state) {
    std::stop_source stop;
    std::chrono::steady_clock::time_point requested;
    std::jthread canceller([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      requested = std::chrono::steady_clock::now();
      stop.request_stop();
    });
    const CoverageValues values = RunCoverage(job, zones, stop.get_token());
    const auto ended = std::chrono::steady_clock::now();
    canceller.join();
    worstMs = std::max(worstMs, std::chrono::duration<double, std::milli>(ended - requested).count());
    benchmark::DoNotOptimize(values.pointsDone);
  }
  state.counters["worst_stop_ms"] = worstMs;
}
BENCHMARK(BM_CoverageCancel)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// SPLAT! 1.4.2 (Debian) computing its ITM path-loss map (-L with -olditm) over
// a 10 km radius around the same transmitter on the same tile, converted once
// with srtm2sdf. Its rate counts the 3-arc-second cells of the circle, the
// points its map holds.
void BM_SplatPathLossMap(benchmark::State& state) {
  namespace fs = std::filesystem;
  if (!haveTiles()) {
    state.SkipWithError("N51W002.hgt not found: set TARNVALE_SHARED_DATA");
    return;
  }
  if (std::system("command -v splat >/dev/null 2>&1 && command -v srtm2sdf >/dev/null 2>&1") != 0) {
    state.SkipWithError("splat and srtm2sdf not installed (Debian package splat)");
    return;
  }
  std::string pattern = (fs::temp_directory_path() / "tarnvale-splat-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    state.SkipWithError("no temporary directory");
    return;
  }
  const fs::path dir = pattern;
  fs::copy_file(srtmDir() / "N51W002.hgt", dir / "N51W002.hgt");
  const std::string cd = "cd '" + dir.string() + "' && ";
  if (std::system((cd + "srtm2sdf N51W002.hgt >/dev/null 2>&1").c_str()) != 0) {
    state.SkipWithError("srtm2sdf failed");
    fs::remove_all(dir);
    return;
  }
  // SPLAT! takes west longitude positive.
  std::ofstream(dir / "tx.qth") << "tx\n" << kTx.latitude() << "\n" << -kTx.longitude() << "\n10 meters\n";
  // SPLAT!'s own default parameters, as it writes them when none are given,
  // at the frequency of our maps (10 368 MHz).
  std::ofstream(dir / "splat.lrp") << "15.000\n0.005\n301.000\n10368.000\n5\n0\n0.50\n0.50\n0.00\n";
  const std::string command =
      cd + "splat -t tx.qth -L 10 -R 10 -olditm -d . -metric -ngs -N -o map.ppm >/dev/null 2>&1";
  const double cpuStart = cpuSeconds(RUSAGE_CHILDREN);
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("splat failed");
      break;
    }
  }
  // Cells of 3 arc-seconds inside the 10 km circle.
  constexpr double kPi = 3.14159265358979323846;
  const double cellNorthKm = 6371.0 * kPi / 180.0 / 1200.0;
  const double cellEastKm = cellNorthKm * std::cos(kTx.latitude() * kPi / 180.0);
  const double points = kPi * kRangeKm * kRangeKm / (cellNorthKm * cellEastKm);
  const double cpu = cpuSeconds(RUSAGE_CHILDREN) - cpuStart;
  state.counters["points_per_second"] =
      benchmark::Counter(points * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["cpu_us_per_point"] = 1e6 * cpu / (points * static_cast<double>(state.iterations()));
  state.counters["points_per_cpu_second"] = points * static_cast<double>(state.iterations()) / cpu;
  state.SetLabel("SPLAT! 1.4.2, " + std::to_string(static_cast<long>(points)) + " points");
  fs::remove_all(dir);
}
BENCHMARK(BM_SplatPathLossMap)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
