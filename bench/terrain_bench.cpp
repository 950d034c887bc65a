// Cost of terrain heights, zone codes and whole profiles over the real data.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <stdlib.h>

#include "bench/BenchData.h"
#include "tests/support/Archives.h"
#include "climate/Zones.h"
#include "geo/Path.h"
#include "terrain/ProfileSampler.h"
#include "terrain/Srtm.h"

namespace {

using namespace tarnvale::bench;

// Points spread over the tile N51W002 (51..52 N, 2..1 W).
std::vector<std::pair<double, double>> pointsInTile(std::size_t count) {
  std::mt19937_64 random(452);
  std::uniform_real_distribution<double> lat(51.001, 51.999), lon(-1.999, -1.001);
  std::vector<std::pair<double, double>> points(count);
  for (auto& p : points) p = {lat(random), lon(random)};
  return points;
}

void heightAt(benchmark::State& state, bool interpolate) {
  if (!haveTiles()) {
    state.SkipWithError("N51W002.hgt not found: set TARNVALE_SHARED_DATA");
    return;
  }
  tarnvale::CSRTM store(tarnvale::srtm::kDefaultSlots, srtmDir().string());
  const auto points = pointsInTile(4096);
  store.heightAt(points[0].first, points[0].second, false);  // the tile is in memory from here on
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& p = points[i++ & 4095];
    benchmark::DoNotOptimize(store.heightAt(p.first, p.second, interpolate));
  }
}

void BM_HeightAtCached(benchmark::State& state) { heightAt(state, false); }
BENCHMARK(BM_HeightAtCached);

void BM_HeightAtInterpolated(benchmark::State& state) { heightAt(state, true); }
BENCHMARK(BM_HeightAtInterpolated);

void BM_ZoneAt(benchmark::State& state) {
  if (!zonesFile().ok()) {
    state.SkipWithError("zones/zones01.dem.gz not found: set TARNVALE_SHARED_DATA");
    return;
  }
  tarnvale::CZONES zones(zonesFile().dir());
  const auto points = pointsInTile(4096);
  zones.zoneAt(points[0].first, points[0].second);
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& p = points[i++ & 4095];
    benchmark::DoNotOptimize(zones.zoneAt(p.first, p.second));
  }
}
BENCHMARK(BM_ZoneAt);

// Profiles due north from 51.2 N, 1.5 W: range(0) km long, coverage when
// range(1) is 1, interpolated when range(2) is 1.
void BM_Profile(benchmark::State& state) {
  if (!haveTiles() || !zonesFile().ok()) {
    state.SkipWithError("real tiles or zone map not found: set TARNVALE_SHARED_DATA");
    return;
  }
  const double lengthKm = static_cast<double>(state.range(0)) / 1000.0;
  const bool coverage = state.range(1) != 0;
  const bool interpolate = state.range(2) != 0;
  tarnvale::CSRTM store(tarnvale::srtm::kDefaultSlots, srtmDir().string());
  tarnvale::CZONES zones(zonesFile().dir());
  tarnvale::CPath start;
  start.setStart(51.2, -1.5);
  double lat2 = 0, lon2 = 0;
  start.pointAlong(0.0, lengthKm, lat2, lon2);
  tarnvale::CPath path;
  path.setEnds(51.2, -1.5, lat2, lon2);
  tarnvale::TerrainProfile profile;
  if (!tarnvale::SampleProfile(profile, path, 4.0 / 3.0, coverage, interpolate, store, zones)) {
    state.SkipWithError("no profile");
    return;
  }
  for (auto _ : state) {
    tarnvale::SampleProfile(profile, path, 4.0 / 3.0, coverage, interpolate, store, zones);
    benchmark::DoNotOptimize(profile.maxHeight);
  }
  state.counters["samples"] = profile.n;
  state.counters["ns_per_sample"] =
      benchmark::Counter(static_cast<double>(profile.n), benchmark::Counter::kIsIterationInvariantRate |
                                                             benchmark::Counter::kInvert);
}
// A coverage point of 249 samples (62.49 km at 0.25 km), and point-to-point
// runs of 998 samples (49.949 km at 0.05 km), plain and interpolated.
BENCHMARK(BM_Profile)->Args({62490, 1, 0})->Args({49949, 0, 0})->Args({49949, 0, 1})->Unit(benchmark::kMicrosecond);

// One tile read from disk into a slot: plain (0), zipped as SRTM tiles are
// distributed (1), gzipped (2). The first lookup of a cell pays this once.
void BM_LoadTile(benchmark::State& state) {
  if (!haveTiles()) {
    state.SkipWithError("N51W002.hgt not found: set TARNVALE_SHARED_DATA");
    return;
  }
  std::string pattern = (fs::temp_directory_path() / "tarnvale-bench-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    state.SkipWithError("no temporary directory");
    return;
  }
  const fs::path dir = pattern;
  const auto plain = tarnvale::test::ReadBytes(srtmDir() / "N51W002.hgt");
  switch (state.range(0)) {
    case 0: tarnvale::test::WriteBytes(dir / "N51W002.hgt", plain); break;
    case 1: tarnvale::test::WriteBytes(dir / "N51W002.hgt.zip", tarnvale::test::Zip({{"N51W002.hgt", plain}})); break;
    default: tarnvale::test::WriteBytes(dir / "N51W002.hgt.gz", tarnvale::test::Gzip(plain)); break;
  }
  tarnvale::CSRTMTILE slot;
  for (auto _ : state) benchmark::DoNotOptimize(slot.load(dir.string(), 51, -2));
  if (!slot.loaded()) state.SkipWithError("the tile did not load");
  fs::remove_all(dir);
}
BENCHMARK(BM_LoadTile)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
