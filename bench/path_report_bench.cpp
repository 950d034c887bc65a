// The path reports as the Python module runs them (RunPathReport leaving its
// JSON report in memory, as an object): the default link on the
// shipped sample, and a supplied 1,000-point profile under each model. The
// Python layer's share is measured beside these by bench/python_overhead.py,
// which runs this program and times tarnvale.path() and profile_loss() on the
// same inputs.
#include <benchmark/benchmark.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "geo/LocationText.h"
#include "session/PathRun.h"

namespace {

using namespace tarnvale;

PathRequest defaultLink() {
  PathRequest r;
  r.tx = LocationIn("SU374616", -1);  // the program's default link
  r.rx = LocationIn("IO91JO26", -1);
  r.terrain = TARNVALE_SAMPLE_DIR;
  return r;
}

/// 1,000 samples over 50 km: rolling ground between two coasts.
PathRequest profile1000(bool p452) {
  PathRequest r;
  r.supplied = true;
  r.latitude = 51.2;
  r.frequency = 2.0;
  r.percent = 10.0;
  const int n = 1000;
  for (int i = 0; i < n; ++i) {
    const double d = 50.0 * i / (n - 1);
    r.profile.dist.push_back(d);
    r.profile.height.push_back(i < 50 || i >= 950 ? 0.0 : 120.0 + 80.0 * std::sin(d / 3.0) + 40.0 * std::sin(d * 1.7));
    r.profile.zone.push_back(i < 50 || i >= 950 ? 1 : 3);
  }
  if (p452) r.choice.model = PathModel::kP452v18;
  return r;
}

void run(benchmark::State& state, const PathRequest& request) {
  for (auto _ : state) {
    std::ostringstream out, err;
    nlohmann::json report;
    PathRunOutput output{out, err, "", &report};
    if (RunPathReport(request, true, output) != kPathRunOk) {
      state.SkipWithError("the path did not run");
      return;
    }
    benchmark::DoNotOptimize(report);
  }
}

void BM_PathReportDefaultLink(benchmark::State& state) { run(state, defaultLink()); }
BENCHMARK(BM_PathReportDefaultLink)->Unit(benchmark::kMicrosecond);

void BM_PathReportProfile1000(benchmark::State& state) { run(state, profile1000(state.range(0) == 1)); }
BENCHMARK(BM_PathReportProfile1000)->ArgName("p452")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
