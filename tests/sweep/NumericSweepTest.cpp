// Random inputs within every field's limits through Calculate, on the real
// tiles and on a rugged hand-made tile: no NaN or infinity may reach a label,
// the profile chart, the profile table or the JSON of tarnvale-cli path.
//
// The run count is TARNVALE_SWEEP_RUNS (default 300, the seeded short sweep of
// every test run); TARNVALE_SWEEP_SEED picks another sequence. The slowest
// single Calculate is printed and recorded as a test property.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "cli/RunCli.h"
#include "session/InputLimits.h"
#include "session/Session.h"
#include "support/DataFiles.h"
#include "support/RealTerrain.h"

using tarnvale::CLocator;
using tarnvale::InputValues;
using tarnvale::Session;
using tarnvale::test::TempDir;

namespace {

long EnvNumber(const char* name, long fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

bool HasNonFinite(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos;
}

// Terrain worth sweeping: the real tiles with the real zone map and climate
// maps where the shared data is present, and a hand-made rugged tile with
// cliffs, sea and voids.
struct Terrain {
  TempDir dir;
  std::string climate;  // empty: the built-in climate defaults
  std::vector<std::pair<int, int>> cells;  // south-west corners of the tiles present
};

void MakeSynthetic(Terrain& t) {
  std::mt19937 rng(7);
  tarnvale::test::Tile tile(0);
  std::uniform_int_distribution<int> height(-300, 4000);
  for (int r = 0; r < tarnvale::test::kTileEdge; ++r)
    for (int c = 0; c < tarnvale::test::kTileEdge; ++c) {
      const int kind = (r / 97 + c / 61) % 7;
      tile.at(r, c) = static_cast<std::int16_t>(kind == 0 ? 0 : kind == 1 ? -32768 : kind == 2 ? 8000 : height(rng));
    }
  tarnvale::test::WriteTile(t.dir.path() / "n10e010.hgt", tile);
  tarnvale::test::WriteTile(t.dir.path() / "s01w001.hgt", tile);  // beside both zero lines
  t.cells = {{10, 10}, {-1, -1}};
}

bool MakeReal(Terrain& t) {
  if (!tarnvale::test::MakeRealTerrain(t.dir, &t.cells)) return false;
  t.climate = tarnvale::test::RealClimateDirectory();
  return true;
}

struct Sweep {
  std::mt19937_64 rng;
  explicit Sweep(std::uint64_t seed) : rng(seed) {}
  double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); }
  bool chance(double p) { return uniform(0, 1) < p; }
  // A value within a field's limits, its ends taken now and then.
  double field(const tarnvale::InputLimits& l) {
    const double r = uniform(0, 1);
    if (r < 0.05) return l.min;
    if (r < 0.10) return l.max;
    // Spread over the decades for wide ranges such as percent and pressure.
    if (l.min > 0 && l.max / l.min > 1000 && chance(0.5)) return std::exp(uniform(std::log(l.min), std::log(l.max)));
    return uniform(l.min, l.max);
  }
  // A point anywhere on Earth, with the poles and the 180 degree meridian
  // taken exactly now and then, or near one of the given tiles.
  std::pair<double, double> point(const std::vector<std::pair<int, int>>& cells) {
    const double r = uniform(0, 1);
    if (r < 0.5 && !cells.empty()) {
      const auto& [s, w] = cells[std::uniform_int_distribution<std::size_t>(0, cells.size() - 1)(rng)];
      return {s + uniform(-0.05, 1.05), w + uniform(-0.05, 1.05)};
    }
    const double specials[] = {90.0, -90.0, 180.0, -180.0, 0.0};
    double lat = uniform(-90, 90), lon = uniform(-180, 180);
    if (chance(0.1)) lat = specials[std::uniform_int_distribution<int>(0, 1)(rng)];
    if (chance(0.1)) lon = specials[std::uniform_int_distribution<int>(2, 4)(rng)];
    if (chance(0.05)) lat = std::nextafter(lat >= 0 ? 90.0 : -90.0, 0.0);
    return {lat, lon};
  }
};

struct Slowest {
  double seconds = 0.0;
  std::string inputs;
};

void CheckOutcome(const tarnvale::CalculateOutcome& out, const Session& session, const std::string& what) {
  auto text = [&](const std::string& s, const char* name) {
    EXPECT_FALSE(HasNonFinite(s)) << name << " '" << s << "' for " << what;
  };
  text(out.startHeight, "TX height");
  text(out.endHeight, "RX height");
  for (const auto* s : {&out.endLoc, &out.rho, &out.gasLoss, &out.range, &out.bearing})
    if (*s) text(**s, "label");
  if (out.kFactor) {
    EXPECT_TRUE(std::isfinite(*out.kFactor)) << what;
  }
  if (out.labels) {
    const auto& l = *out.labels;
    for (const std::string* s : {&l.beta0, &l.seaFraction, &l.dct, &l.dcr, &l.pathLength, &l.fsLoss, &l.diffLoss,
                                 &l.tropoLoss, &l.ductLoss, &l.overallLoss})
      text(*s, "result label");
  }
  for (const std::string& line : out.table) text(line, "table line");
  if (out.chart) {
    const auto& c = *out.chart;
    for (const auto* series : {&c.x, &c.terrain, &c.bulge, &c.lineOfSight, &c.fresnelAbove, &c.fresnelBelow})
      for (double v : *series) ASSERT_TRUE(std::isfinite(v)) << "chart value for " << what;
    EXPECT_TRUE(std::isfinite(c.leftMinimum) && std::isfinite(c.leftMaximum)) << what;
  }
  EXPECT_TRUE(std::isfinite(session.totalGasLoss)) << what;
}

void RunSweep(Terrain& terrain, long runs, std::uint64_t seed, const char* label) {
  Session session(terrain.climate);
  ASSERT_EQ(session.CreateDataObjects(terrain.dir.withSlash()), tarnvale::StartupFailure::kNone);
  Sweep s(seed);
  Slowest slowest;
  double firstSeconds = 0.0;
  const long cliEvery = std::max(25L, runs / 100);
  long cliRuns = 0, paths = 0;
  for (long i = 0; i < runs; ++i) {
    InputValues f;
    f.metric = s.chance(0.7);
    f.format = std::uniform_int_distribution<int>(tarnvale::kFormatLocator, tarnvale::kFormatDms)(s.rng);
    f.frequency = s.field(tarnvale::kFrequencyLimits);
    f.temperature = s.field(tarnvale::kTemperatureLimits);
    f.pressure = s.field(tarnvale::kPressureLimits);
    f.humidity = s.field(tarnvale::kHumidityLimits);
    f.percent = s.field(tarnvale::kPercentLimits);
    f.txHeight = s.field(tarnvale::kAntennaHeightLimits);
    f.rxHeight = s.field(tarnvale::kAntennaHeightLimits);
    f.forcedKFactor = s.chance(0.3);
    f.kFactor = s.field(tarnvale::kKFactorLimits);
    f.range = s.field(tarnvale::kRangeLimits);
    f.bearing = s.field(tarnvale::kBearingLimits);
    const auto [txLat, txLon] = s.point(terrain.cells);
    // The receiver: a second point, or near the transmitter, or by range and bearing.
    auto [rxLat, rxLon] = s.point(terrain.cells);
    if (s.chance(0.3)) {
      rxLat = std::clamp(txLat + s.uniform(-0.5, 0.5), -90.0, 90.0);
      rxLon = txLon + s.uniform(-0.5, 0.5);
    }
    session.endPointMode = s.chance(0.3) ? tarnvale::kByRangeBearing : tarnvale::kByLocation;
    const int precision = tarnvale::DisplayPrecision(f.format);
    f.startLoc = CLocator(txLat, txLon).toText(f.format, precision);
    f.endLoc = CLocator(rxLat, rxLon).toText(f.format, precision);
    char what[512];
    std::snprintf(what, sizeof what,
                  "run %ld: tx %.9g %.9g rx %.9g %.9g mode %d format %d metric %d range %.9g bearing %.9g freq %.9g "
                  "T %.9g P %.9g RH %.9g p %.9g h %.9g/%.9g k %d %.9g",
                  i, txLat, txLon, rxLat, rxLon, session.endPointMode, f.format, f.metric, f.range, f.bearing,
                  f.frequency, f.temperature, f.pressure, f.humidity, f.percent, f.txHeight, f.rxHeight,
                  f.forcedKFactor, f.kFactor);
    const auto start = std::chrono::steady_clock::now();
    const tarnvale::CalculateOutcome out = session.Calculate(f);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The first Calculate also reads the climate maps: kept apart.
    if (i == 0) firstSeconds = seconds;
    else if (seconds > slowest.seconds) slowest = {seconds, what};
    CheckOutcome(out, session, what);
    if (out.pathValid) ++paths;
    if (::testing::Test::HasFailure()) break;

    // Now and then the same path through the command line's JSON, whose
    // writer turns a NaN or an infinity into null.
    if (i % cliEvery == 0 && session.tx.isValid() && session.rx.isValid()) {
      ++cliRuns;
      char tx[64], rx[64];
      std::snprintf(tx, sizeof tx, "%.12f,%.12f", session.tx.latitude(), session.tx.longitude());
      std::snprintf(rx, sizeof rx, "%.12f,%.12f", session.rx.latitude(), session.rx.longitude());
      auto number = [](double v) {
        char t[40];
        std::snprintf(t, sizeof t, "%.17g", v);
        return std::string(t);
      };
      std::vector<std::string> args = {"path", "--tx", tx, "--tx-format", "deg", "--rx", rx, "--rx-format", "deg",
                                       "--freq", number(f.frequency), "--percent", number(f.percent),
                                       "--tx-height", number(f.txHeight), "--rx-height", number(f.rxHeight),
                                       "--temperature", number(f.temperature), "--pressure", number(f.pressure),
                                       "--humidity", number(f.humidity), "--terrain", terrain.dir.str(), "--json"};
      if (!terrain.climate.empty()) args.insert(args.end(), {"--climate", terrain.climate});
      if (f.forcedKFactor) args.insert(args.end(), {"--k-factor", number(f.kFactor)});
      const auto r = tarnvale::test::RunCli(args);
      ASSERT_TRUE(r.status == 0 || r.status == 1) << r.err << " for " << what;
      if (r.status == 0) {
        const nlohmann::json j = nlohmann::json::parse(r.out);
        for (const auto& [key, value] : j.items()) EXPECT_FALSE(value.is_null()) << key << " for " << what;
      }
    }
  }
  std::printf("%s sweep: %ld runs (%ld valid paths, %ld through the JSON), first Calculate %.3f ms, slowest "
              "later one %.3f ms\n  %s\n",
              label, runs, paths, cliRuns, firstSeconds * 1e3, slowest.seconds * 1e3, slowest.inputs.c_str());
  ::testing::Test::RecordProperty(std::string(label) + "_slowest_ms", std::to_string(slowest.seconds * 1e3));
}

}  // namespace

TEST(NumericSweep, SyntheticTerrain) {
  Terrain terrain;
  MakeSynthetic(terrain);
  RunSweep(terrain, EnvNumber("TARNVALE_SWEEP_RUNS", 300), EnvNumber("TARNVALE_SWEEP_SEED", 20261210), "synthetic");
}

TEST(NumericSweep, RealTerrain) {
  Terrain terrain;
  if (!MakeReal(terrain)) GTEST_SKIP() << "shared data not found: set TARNVALE_SHARED_DATA to sweep real tiles";
  RunSweep(terrain, EnvNumber("TARNVALE_SWEEP_RUNS", 300), EnvNumber("TARNVALE_SWEEP_SEED", 20261210) + 1, "real");
}
