// Area coverage over the real N51W002 tile and its eight neighbours (copies of
// it under the neighbouring names, made in a temporary folder at start-up):
// single points through the model driver and the coverage sampler, whole maps
// of 10, 30 and 50 km at resolution 1 (250,000 points) on one and two
// threads, and SPLAT!'s path-loss map over the same tiles and radii, timed in
// the same run as the peer a user would pick instead, and a 10 km map under
// each model side by side. At the end a table sets the points per second side
// by side, with their ratios.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
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
constexpr double kPointRangeKm = 10.0;
constexpr double kFrequencyGHz = 10.368;

// Processor time (s) of this process's threads, or of its finished children.
double cpuSeconds(int who) {
  rusage usage{};
  ::getrusage(who, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + 1e-6 * (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// The nine tiles from 50 N 3 W to 52 N 1 W, every one a copy of N51W002: the
// squares of our 50 km maps and SPLAT!'s circles stay within them. SPLAT!'s
// own files are made from them the first time it runs.
class Area {
 public:
  Area() {
    if (!haveTiles()) return;
    std::string pattern = (fs::temp_directory_path() / "tarnvale-coverage-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return;
    dir_ = pattern;
    std::error_code error;
    for (int south = 50; south <= 52; ++south)
      for (int west = 1; west <= 3; ++west) {
        char name[16];
        std::snprintf(name, sizeof name, "N%02dW%03d.hgt", south, west);
        fs::copy_file(srtmDir() / "N51W002.hgt", dir_ / name, error);
        if (error) return;
      }
    ok_ = true;
  }
  ~Area() {
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }
  bool ok() const { return ok_; }
  const fs::path& dir() const { return dir_; }
  // SPLAT!'s .sdf files, made once; false when srtm2sdf failed.
  bool splatReady() {
    if (!splatTried_) {
      splatTried_ = true;
      splatReady_ = true;
      for (const auto& entry : fs::directory_iterator(dir_)) {
        if (entry.path().extension() != ".hgt") continue;
        const std::string command =
            "cd '" + dir_.string() + "' && srtm2sdf " + entry.path().filename().string() + " >/dev/null 2>&1";
        splatReady_ = splatReady_ && std::system(command.c_str()) == 0;
      }
    }
    return splatReady_;
  }

 private:
  fs::path dir_;
  bool ok_ = false;
  bool splatTried_ = false, splatReady_ = false;
};

Area& area() {
  static Area a;
  return a;
}

// Points per second of every map timed, by wall and by processor time, for
// the table at the end: "ours/<km>/<threads>" and "splat/<km>".
struct Rate {
  double wall = 0.0;
  double cpu = 0.0;
};
std::map<std::string, Rate>& rates() {
  static std::map<std::string, Rate> r;
  return r;
}

CoverageJob mapJob(double rangeKm, int resolution, int threads) {
  CoverageJob job;
  job.tx = kTx;
  job.grid = CoverageGridFor(kTx, rangeKm, resolution);
  job.inputs.model.frequency = kFrequencyGHz;
  job.inputs.gasPerKm = SpecificAttenuation(kFrequencyGHz, 1000, 20, WaterVapourDensity(40, 20, true));
  job.terrainDirectory = area().dir().string();
  job.threads = threads;
  return job;
}

bool ready(benchmark::State& state) {
  if (area().ok() && zonesFile().ok()) return true;
  state.SkipWithError("N51W002.hgt or zones01.dem.gz not found (../shared/data absent): set TARNVALE_SHARED_DATA");
  return false;
}

struct Single {
  CSRTM terrain{9, area().dir().string()};
  CZONES zones{zonesFile().dir()};
  CTerrain model;
  Single() { zones.zoneAt(kTx.latitude(), kTx.longitude()); }
};
Single& single() {
  static Single s;
  return s;
}

// The points of the resolution-4 grid of a 10 km map, visited column by column.
template <typename F>
void overGrid(benchmark::State& state, F&& point) {
  const CoverageGrid grid = CoverageGridFor(kTx, kPointRangeKm, 4);
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
  const CoverageInputs inputs = mapJob(kPointRangeKm, 4, 1).inputs;
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

// A whole map as tarnvale-cli coverage computes it (tiles read, no files
// written). Arguments: range (km), resolution, threads.
void BM_CoverageMap(benchmark::State& state) {
  if (!ready(state)) return;
  const auto rangeKm = static_cast<int>(state.range(0));
  const CoverageJob job = mapJob(rangeKm, static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
  CZONES zones(zonesFile().dir());
  long long points = 0;
  double wall = 0.0;
  const double cpuStart = cpuSeconds(RUSAGE_SELF);
  for (auto _ : state) {
    const CoverageValues values = RunCoverage(job, zones);
    points += values.pointsDone;
    wall += values.seconds;
  }
  const double cpu = cpuSeconds(RUSAGE_SELF) - cpuStart;
  state.SetItemsProcessed(points);
  state.counters["points_per_second"] = benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsRate);
  // The wall time depends on what else the machine runs; the processor time
  // of the workers does much less.
  state.counters["cpu_us_per_point"] = 1e6 * cpu / static_cast<double>(points);
  state.counters["points_per_cpu_second"] = static_cast<double>(points) / cpu;
  if (state.range(1) == 1)
    rates()["ours/" + std::to_string(rangeKm) + "/" + std::to_string(state.range(2))] =
        Rate{static_cast<double>(points) / wall, static_cast<double>(points) / cpu};
}
BENCHMARK(BM_CoverageMap)
    ->ArgNames({"km", "resolution", "threads"})
    ->Args({10, 4, 1})
    ->Args({10, 4, 2})
    ->Args({10, 1, 1})
    ->Args({10, 1, 2})
    ->Args({30, 1, 1})
    ->Args({30, 1, 2})
    ->Args({50, 1, 1})
    ->Args({50, 1, 2})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The same 10 km map under each model, in the same run: a classic map and a
// P.452-18 map (its Lb at the page's defaults and horizontal polarisation)
// of the resolution-4 grid on one worker, alternately in every iteration,
// so that both see the same machine. Argument: the time percentage.
// Counters: processor time a point under each model and their ratio.
void BM_CoverageMapBothModels(benchmark::State& state) {
  if (!ready(state)) return;
  CoverageJob classic = mapJob(10, 4, 1);
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
  const CoverageJob job = mapJob(kPointRangeKm, 1, 2);
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
// a circle of the given radius (km) around the same transmitter on the same
// tiles, converted once with srtm2sdf. Its rate counts the 3-arc-second cells
// of the circle, the points its map holds.
void BM_SplatPathLossMap(benchmark::State& state) {
  if (!area().ok()) {
    state.SkipWithError("N51W002.hgt not found (../shared/data absent): set TARNVALE_SHARED_DATA");
    return;
  }
  if (std::system("command -v splat >/dev/null 2>&1 && command -v srtm2sdf >/dev/null 2>&1") != 0) {
    state.SkipWithError("splat and srtm2sdf not installed (Debian package splat)");
    return;
  }
  if (!area().splatReady()) {
    state.SkipWithError("srtm2sdf failed");
    return;
  }
  const auto rangeKm = static_cast<int>(state.range(0));
  const fs::path& dir = area().dir();
  // SPLAT! takes west longitude positive.
  std::ofstream(dir / "tx.qth") << "tx\n" << kTx.latitude() << "\n" << -kTx.longitude() << "\n10 meters\n";
  // SPLAT!'s own default parameters, as it writes them when none are given,
  // at the frequency of our maps (10 368 MHz).
  std::ofstream(dir / "tx.lrp") << "15.000\n0.005\n301.000\n10368.000\n5\n0\n0.50\n0.50\n0.00\n";
  const std::string command = "cd '" + dir.string() + "' && splat -t tx.qth -L 10 -R " + std::to_string(rangeKm) +
                              " -olditm -d . -metric -ngs -N -o map.ppm >/dev/null 2>&1";
  const double cpuStart = cpuSeconds(RUSAGE_CHILDREN);
  const auto wallStart = std::chrono::steady_clock::now();
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("splat failed");
      return;
    }
  }
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  // Cells of 3 arc-seconds inside the circle.
  constexpr double kPi = 3.14159265358979323846;
  const double cellNorthKm = 6371.0 * kPi / 180.0 / 1200.0;
  const double cellEastKm = cellNorthKm * std::cos(kTx.latitude() * kPi / 180.0);
  const double points = kPi * rangeKm * rangeKm / (cellNorthKm * cellEastKm) * static_cast<double>(state.iterations());
  const double cpu = cpuSeconds(RUSAGE_CHILDREN) - cpuStart;
  state.counters["points_per_second"] = benchmark::Counter(points, benchmark::Counter::kIsRate);
  state.counters["cpu_us_per_point"] = 1e6 * cpu / points;
  state.counters["points_per_cpu_second"] = points / cpu;
  state.SetLabel("SPLAT! 1.4.2, " + std::to_string(static_cast<long>(points / static_cast<double>(state.iterations()))) +
                 " points");
  rates()["splat/" + std::to_string(rangeKm)] = Rate{points / wall, points / cpu};
}
BENCHMARK(BM_SplatPathLossMap)->ArgName("km")->Arg(10)->Arg(30)->Arg(50)->UseRealTime()->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The maps side by side: points per second by wall time (and by processor
// time), and each of ours over SPLAT!'s at the same radius.
void PrintComparison() {
  const auto& r = rates();
  bool any = false;
  for (int km : {10, 30, 50}) any = any || r.count("splat/" + std::to_string(km));
  if (!any) return;
  std::printf("\nPoints per second by wall time (and by processor time, per core), 250,000-point maps against\n"
              "SPLAT!'s circles, and ours over SPLAT!'s:\n");
  std::printf("%6s  %20s  %30s  %30s\n", "radius", "SPLAT! (1 core)", "ours, 1 core (ratio)", "ours, 2 cores (ratio)");
  for (int km : {10, 30, 50}) {
    const std::string key = std::to_string(km);
    const auto splat = r.find("splat/" + key);
    if (splat == r.end()) continue;
    const auto cell = [&](const std::string& ours) {
      const auto found = r.find(ours);
      if (found == r.end()) return std::string("-");
      char text[64];
      std::snprintf(text, sizeof text, "%.0fk (%.0fk)  %.2fx (%.2fx)", found->second.wall / 1e3, found->second.cpu / 1e3,
                    found->second.wall / splat->second.wall, found->second.cpu / splat->second.cpu);
      return std::string(text);
    };
    std::printf("%4d km  %9.0fk (%.0fk)  %30s  %30s\n", km, splat->second.wall / 1e3, splat->second.cpu / 1e3,
                cell("ours/" + key + "/1").c_str(), cell("ours/" + key + "/2").c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintComparison();
  return 0;
}
