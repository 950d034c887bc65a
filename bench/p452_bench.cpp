// The P.452-18 model beside the classic one over the real tile N51W002: one
// path of 200 and of 1000 samples (the model alone, on a profile made once),
// and one point of an area-coverage map (sampling included, at most 250
// samples). Both models at 2 GHz for 10 % of the time, the percentage that
// makes each compute its diffraction on two earths.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/BenchData.h"
#include "climate/Zones.h"
#include "geo/Path.h"
#include "model/ModelDriver.h"
#include "model/P452Model.h"
#include "model/P452Path.h"
#include "model/Terrain.h"
#include "terrain/ProfileSampler.h"
#include "terrain/Srtm.h"

namespace {

using namespace tarnvale;
using namespace tarnvale::bench;

constexpr double kFrequencyGHz = 2.0;
constexpr double kPercent = 10.0;
constexpr double kAntennaM = 10.0;
constexpr double kN0 = 320.0, kDeltaN = 45.0;

struct Data {
  CSRTM terrain{9, srtmDir().string()};
  CZONES zones{zonesFile().dir()};
};

Data& data() {
  static Data d;
  return d;
}

const CLocator kTx(51.05, -1.5), kRx(51.499, -1.5);  // 49.9 km along a meridian of the tile

// @p n samples from the transmitter to the receiver at equal steps.
TerrainProfile profileOf(int n) {
  Data& d = data();
  CPath path;
  path.setEnds(kTx, kRx);
  double length = 0, bearing = 0;
  path.rangeBearing(length, bearing);
  TerrainProfile profile;
  profile.n = n;
  profile.pathLength = length;
  for (int i = 0; i < n; ++i) {
    const double x = length * i / (n - 1);
    double latitude = 0, longitude = 0;
    path.pointAt(x, latitude, longitude);
    profile.dist[i] = x;
    profile.height[i] = d.terrain.heightAt(latitude, longitude, false);
    profile.zone[i] = d.zones.zoneAt(latitude, longitude);
  }
  return profile;
}

P452Inputs p452Inputs(const TerrainProfile& profile, const CLocator& tx, const CLocator& rx) {
  P452Inputs in;
  P452ProfileInputs(profile.dist.data(), profile.height.data(), profile.zone.data(), profile.n, 0.0, -1, -1, in);
  in.phit_n = tx.latitude();
  in.phit_e = tx.longitude();
  in.phir_n = rx.latitude();
  in.phir_e = rx.longitude();
  in.f = kFrequencyGHz;
  in.p = kPercent;
  in.htg = in.hrg = kAntennaM;
  in.N0 = kN0;
  in.DN = kDeltaN;
  return in;
}

bool skipWithoutTiles(benchmark::State& state) {
  if (haveTiles() && zonesFile().ok()) return false;
  state.SkipWithError("N51W002.hgt or zones01.dem.gz not found: set TARNVALE_SHARED_DATA");
  return true;
}

void BM_ClassicPath(benchmark::State& state) {
  if (skipWithoutTiles(state)) return;
  const TerrainProfile profile = profileOf(static_cast<int>(state.range(0)));
  CTerrain model;
  for (auto _ : state)
    benchmark::DoNotOptimize(model.CalculateProfile(profile, 51.3, kN0, kDeltaN, kFrequencyGHz, kPercent, kAntennaM,
                                                    kAntennaM));
}
BENCHMARK(BM_ClassicPath)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_P452Path(benchmark::State& state) {
  if (skipWithoutTiles(state)) return;
  const P452Inputs in = p452Inputs(profileOf(static_cast<int>(state.range(0))), kTx, kRx);
  P452Model model;
  P452Results results;
  for (auto _ : state) benchmark::DoNotOptimize(model.Calculate(in, results));
  if (!results.ok) state.SkipWithError(results.error);
}
BENCHMARK(BM_P452Path)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Receivers on a 25 km ring around a transmitter, as a coverage map visits
// them: 250 samples a path.
std::vector<CLocator> ring() {
  std::vector<CLocator> receivers;
  const CLocator tx(51.5, -1.5);
  for (int i = 0; i < 64; ++i) {
    double latitude = 0, longitude = 0;
    tx.destination(25, i * 360.0 / 64, latitude, longitude);
    receivers.emplace_back(latitude, longitude);
  }
  return receivers;
}

void BM_ClassicCoveragePoint(benchmark::State& state) {
  if (skipWithoutTiles(state)) return;
  Data& d = data();
  const CLocator tx(51.5, -1.5);
  const auto receivers = ring();
  CTerrain model;
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(model.CalculateCoveragePoint(d.terrain, d.zones, tx, receivers[i], kN0, kDeltaN,
                                                          kFrequencyGHz, kPercent, kAntennaM, kAntennaM));
    i = (i + 1) % receivers.size();
  }
  state.SetLabel(std::to_string(model.profile().n) + " samples");
}
BENCHMARK(BM_ClassicCoveragePoint)->Unit(benchmark::kMicrosecond);

// The same point under P.452-18: the coverage sampling, the inputs from its
// profile, the model; N0 and DN fixed for the map as the classic run has them.
void BM_P452CoveragePoint(benchmark::State& state) {
  if (skipWithoutTiles(state)) return;
  Data& d = data();
  const CLocator tx(51.5, -1.5);
  const auto receivers = ring();
  TerrainProfile profile;
  P452Inputs in = p452Inputs(profileOf(250), tx, receivers[0]);
  P452Model model;
  P452Results results;
  CPath path;
  size_t i = 0;
  for (auto _ : state) {
    const CLocator& rx = receivers[i];
    path.setEnds(tx, rx);
    SampleProfile(profile, path, KFactorForDeltaN(kDeltaN), true, false, d.terrain, d.zones);
    P452ProfileInputs(profile.dist.data(), profile.height.data(), profile.zone.data(), profile.n, 0.0, -1, -1, in);
    in.phir_n = rx.latitude();
    in.phir_e = rx.longitude();
    benchmark::DoNotOptimize(model.Calculate(in, results));
    i = (i + 1) % receivers.size();
  }
  state.SetLabel(std::to_string(profile.n) + " samples");
}
BENCHMARK(BM_P452CoveragePoint)->Unit(benchmark::kMicrosecond);

}  // namespace
