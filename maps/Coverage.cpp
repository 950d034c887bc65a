#include "maps/Coverage.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "geo/Path.h"
#include "model/P452Path.h"
#include "terrain/CoverageSampler.h"
#include "terrain/ProfileSampler.h"
#include "text/Format.h"

namespace tarnvale {

using namespace coverage;

CoverageGrid CoverageGridFor(const CLocator& tx, double rangeKm, double resolution, int width, int height) {
  CoverageGrid grid;
  grid.p = std::isfinite(resolution) && resolution >= 1.0 && resolution <= std::max(width, height)
               ? static_cast<int>(std::trunc(resolution))
               : 0;
  if (!tx.isValid() || !(rangeKm > 0.0) || !std::isfinite(rangeKm) || grid.p <= 0) return grid;
  double north = 0.0, south = 0.0, west = 0.0, east = 0.0, unused = 0.0;
  tx.destination(rangeKm, kNorthDeg, north, unused);
  tx.destination(rangeKm, kSouthDeg, south, unused);
  tx.destination(rangeKm, kWestDeg, unused, west);
  tx.destination(rangeKm, kEastDeg, unused, east);
  // Plain differences: both give the positive extent whether or not the
  // square straddles the equator or the prime meridian.
  const double dLat = north - south;
  const double dLon = east - west;
  grid.d = std::max(dLat, dLon);
  grid.n = std::max(width, height) / grid.p;
  if (grid.n <= 0 || !(grid.d > 0.0) || !std::isfinite(grid.d)) return grid;
  grid.step = grid.d / grid.n;
  grid.northEdge = tx.latitude() + grid.d / 2.0;
  grid.westEdge = tx.longitude() - grid.d / 2.0;
  grid.valid = true;
  return grid;
}

int CoverageValues::columnsDone() const {
  return static_cast<int>(std::count(columnDone.begin(), columnDone.end(), std::uint8_t{1}));
}

bool CoveragePointLoss(CTerrain& model, const CSRTM& terrain, const CZONES& zones, const CLocator& tx,
                       double latitude, double longitude, const CoverageInputs& inputs, double& loss) {
  const double deltaN = inputs.model.forcedKFactor ? DeltaNForKFactor(inputs.model.kFactor) : inputs.deltaN;
  CLocator rx;
  rx.setLatLon(latitude, longitude);
  if (!model.CalculateCoveragePoint(terrain, zones, tx, rx, inputs.n0, deltaN, inputs.model.frequency,
                                    inputs.model.percent, inputs.model.txHeight, inputs.model.rxHeight))
    return false;
  loss = model.results().Lb + model.profile().pathLength * inputs.gasPerKm;
  return true;
}

namespace {

/// The figures of a P.452-18 coverage point that are the same for the whole
/// map: the radio inputs, the transmitter and the climate.
void setUpP452(const CoverageInputs& in, const CLocator& tx, P452Inputs& p452) {
  p452.f = in.model.frequency;
  p452.p = in.model.percent;
  p452.htg = in.model.txHeight;
  p452.hrg = in.model.rxHeight;
  ApplyModelChoice(in.choice, p452);
  p452.press = in.pressure;
  p452.temp = in.temperature;
  p452.N0 = in.n0;
  p452.DN = in.model.forcedKFactor ? DeltaNForKFactor(in.model.kFactor) : in.deltaN;
  p452.phit_n = tx.latitude();
  p452.phit_e = tx.longitude();
  p452.centreGiven = false;
}

/// Where a map point's path leaves each end for the budget of @p link: the
/// bearings from the transmitter (and back, when the receiving antenna keeps
/// its own azimuth) and the horizon elevations.
LinkGeometry pointGeometry(const CLocator& tx, const LinkRecord& link, double latitude, double longitude,
                           double txElevationMrad, double rxElevationMrad) {
  LinkGeometry g = CoveragePointGeometry(tx, latitude, longitude, txElevationMrad, rxElevationMrad);
  if (!link.rxPointsAtTx) {
    double rangeKm = 0.0;
    CPath back;
    back.setEnds(latitude, longitude, tx);
    back.rangeBearing(rangeKm, g.bearingFromRxDeg);
  }
  return g;
}

/// One P.452-18 point over @p profile to the receiver at (@p latitude,
/// @p longitude): @p p452 set up by setUpP452, its profile part replaced
/// (allocating only for a profile longer than any before). With a pattern in
/// @p link, troposcatter's coupling takes the antennas' gains toward the
/// point's horizon rays (the horizons do not depend on the gains: one more
/// run with them), as a single path does.
bool p452PointLoss(P452Model& model, P452Inputs& p452, P452Results& results, const TerrainProfile& profile,
                   const ModelChoice& choice, const CLocator& tx, const LinkRecord* link, double latitude,
                   double longitude, double& loss) {
  if (!P452ProfileInputs(profile.dist.data(), profile.height.data(), profile.zone.data(), profile.n,
                         choice.clutterHeightM, choice.dctOrZones(), choice.dcrOrZones(), p452))
    return false;
  p452.phir_n = latitude;
  p452.phir_e = longitude;
  if (!model.Calculate(p452, results)) return false;
  if (link && (link->tx.pattern.loaded() || link->rx.pattern.loaded())) {
    const LinkBudget b = ComputeLinkBudget(
        *link, results.Lb, p452.f, pointGeometry(tx, *link, latitude, longitude, results.theta_t, results.theta_r));
    if (std::isfinite(b.txGainTowardDbi) && std::isfinite(b.rxGainTowardDbi) &&
        (b.txGainTowardDbi != p452.Gt || b.rxGainTowardDbi != p452.Gr)) {
      const double peakGt = p452.Gt, peakGr = p452.Gr;
      p452.Gt = b.txGainTowardDbi;
      p452.Gr = b.rxGainTowardDbi;
      const bool ok = model.Calculate(p452, results);
      p452.Gt = peakGt;  // the next point starts from the peak gains again
      p452.Gr = peakGr;
      if (!ok) return false;
    }
  }
  loss = results.Lb;
  return true;
}

}  // namespace

bool CoveragePointLoss(P452Model& model, const CSRTM& terrain, const CZONES& zones, const CLocator& tx,
                       double latitude, double longitude, const CoverageInputs& inputs, double& loss,
                       const LinkRecord* link) {
  const double deltaN = inputs.model.forcedKFactor ? DeltaNForKFactor(inputs.model.kFactor) : inputs.deltaN;
  CLocator rx;
  rx.setLatLon(latitude, longitude);
  CPath path;
  path.setEnds(tx, rx);
  TerrainProfile profile;
  if (!SampleProfile(profile, path, KFactorForDeltaN(deltaN), true, false, terrain, zones)) return false;
  P452Inputs p452;
  P452Results results;
  setUpP452(inputs, tx, p452);
  return p452PointLoss(model, p452, results, profile, inputs.choice, tx, link, latitude, longitude, loss);
}

namespace {

/// What the workers share: the next column to take, the columns finished and
/// the count of points done.
struct WorkQueue {
  std::atomic<int> nextColumn{0};
  std::atomic<long long> pointsDone{0};
  std::atomic<int> running{0};
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<int> finished;  // guarded by mutex
};

/// One worker's own objects: the model, the terrain store and the sampler over
/// them. Neither the model nor the store may be shared between threads.
struct WorkerState {
  WorkerState(const CoverageJob& job, std::shared_ptr<const SharedTileSet> tiles, const CZONES& zones)
      : terrain(std::move(tiles)), sampler(terrain, zones), job(job) {
    if (job.inputs.choice.isP452()) setUpP452(job.inputs, job.tx, p452Inputs);
  }

  /// The same point as CoveragePointLoss gives, through the faster sampler
  /// and the model's analysis of a supplied profile.
  bool pointLoss(double latitude, double longitude, double& loss) {
    const CoverageInputs& in = job.inputs;
    const double deltaN = in.model.forcedKFactor ? DeltaNForKFactor(in.model.kFactor) : in.deltaN;
    // The median factor as the model derives it from delta-N.
    const double k = KFactorForDeltaN(deltaN);
    if (!std::isfinite(k) || !(k > 0.0)) return false;
    const CLocator& tx = job.tx;
    if (!sampler.sample(profile, tx.latitude(), tx.longitude(), latitude, longitude, k)) return false;
    if (in.choice.isP452())
      return p452PointLoss(p452, p452Inputs, p452Results, profile, in.choice, tx, &job.link, latitude, longitude,
                           loss);
    const double meanLatitude = (tx.latitude() + latitude) / 2.0;
    if (!model->CalculateCoverageProfile(profile, meanLatitude, in.n0, deltaN, in.model.frequency, in.model.percent,
                                         in.model.txHeight, in.model.rxHeight))
      return false;
    loss = model->results().Lb + model->profile().pathLength * in.gasPerKm;
    return true;
  }

  std::unique_ptr<CTerrain> model = std::make_unique<CTerrain>();
  // Under P.452-18: its model, whose working storage grows to the longest
  // profile once, and its inputs, whose map-wide figures are set once.
  P452Model p452;
  P452Inputs p452Inputs;
  P452Results p452Results;
  CSRTM terrain;
  CoverageSampler sampler;
  TerrainProfile profile;
  const CoverageJob& job;
};

/// What a map of another quantity than the loss needs of a point's path
/// besides its loss.
void keepElevations(const WorkerState& worker, bool ok, CoverageValues& values, std::size_t i) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const bool p452 = worker.job.inputs.choice.isP452();
  const double thetaT = p452 ? worker.p452Results.theta_t : worker.model->results().theta_t;
  const double thetaR = p452 ? worker.p452Results.theta_r : worker.model->results().theta_r;
  values.txElevationMrad[i] = ok ? thetaT : nan;
  if (!values.rxElevationMrad.empty()) values.rxElevationMrad[i] = ok ? thetaR : nan;
}

void runWorker(const CoverageJob& job, const CZONES& zones, std::stop_token stop, CoverageValues& values,
               WorkQueue& queue) {
  WorkerState worker(job, values.tiles, zones);
  const CoverageGrid& grid = job.grid;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr int kPointsPerReport = 16;
  int unreported = 0;
  while (!stop.stop_requested()) {
    const int j = queue.nextColumn.fetch_add(1, std::memory_order_relaxed);
    if (j >= grid.n) break;
    const double longitude = grid.longitude(j);
    bool whole = true;
    for (int k = values.firstRow; k < values.firstRow + values.rows(); ++k) {
      if (stop.stop_requested()) {
        whole = false;
        break;
      }
      double loss = nan;
      const bool ok = worker.pointLoss(grid.latitude(k), longitude, loss);
      const std::size_t i = values.index(j, k);
      values.loss[i] = ok ? loss : nan;
      values.state[i] = ok ? PointState::Ok : PointState::Failed;
      if (!values.txElevationMrad.empty()) keepElevations(worker, ok, values, i);
      // Counted in small batches: one shared counter bumped by every worker
      // at every point would bounce its cache line between the cores.
      if (++unreported == kPointsPerReport) {
        queue.pointsDone.fetch_add(unreported, std::memory_order_relaxed);
        unreported = 0;
      }
    }
    queue.pointsDone.fetch_add(unreported, std::memory_order_relaxed);
    unreported = 0;
    if (!whole) break;
    {
      std::lock_guard lock(queue.mutex);
      queue.finished.push_back(j);
    }
    queue.changed.notify_one();
  }
  {
    std::lock_guard lock(queue.mutex);
    queue.running.fetch_sub(1);
  }
  queue.changed.notify_one();
}

}  // namespace

CoverageValues RunCoverage(const CoverageJob& job, const CZONES& zones, std::stop_token stop,
                           const CoverageCallbacks& callbacks) {
  const auto started = std::chrono::steady_clock::now();
  CoverageValues values;
  const CoverageGrid& grid = job.grid;
  if (!grid.valid || grid.n <= 0) return values;
  const int n = grid.n;
  const int rowCount = job.rowCount == 0 ? n - job.firstRow : job.rowCount;
  if (job.firstRow < 0 || job.firstRow >= n || rowCount <= 0 || rowCount > n - job.firstRow) return values;
  values.n = n;
  values.firstRow = job.firstRow;
  values.bandRows = rowCount;
  const std::size_t total = static_cast<std::size_t>(n) * static_cast<std::size_t>(rowCount);
  try {
    values.loss.assign(total, std::numeric_limits<double>::quiet_NaN());
    values.state.assign(total, PointState::NotComputed);
    values.columnDone.assign(static_cast<std::size_t>(n), 0);
    values.tiles = job.tiles ? job.tiles : std::make_shared<const SharedTileSet>(job.terrainDirectory);
    if (job.quantity != LinkQuantity::Loss) {
      values.quantity.assign(total, std::numeric_limits<double>::quiet_NaN());
      values.txElevationMrad.assign(total, std::numeric_limits<double>::quiet_NaN());
      if (!job.link.rxPointsAtTx) values.rxElevationMrad.assign(total, std::numeric_limits<double>::quiet_NaN());
    }
  } catch (const std::bad_alloc&) {
    return CoverageValues{};  // n = 0: no memory for the map
  }

  // The zone map is opened here, once, so that the workers only read it; one
  // that cannot be opened is taken as absent for the whole map.
  zones.zoneAt(job.tx.latitude(), job.tx.longitude());

  int threads = job.threads > 0 ? job.threads : static_cast<int>(std::thread::hardware_concurrency());
  threads = std::clamp(threads, 1, n);
  values.threads = threads;

  WorkQueue queue;
  queue.running = threads;
  std::vector<int> newColumns;
  const auto report = [&](bool last) {
    newColumns.clear();
    {
      std::lock_guard lock(queue.mutex);
      newColumns.swap(queue.finished);
    }
    for (int j : newColumns) {
      values.columnDone[static_cast<std::size_t>(j)] = 1;
      FillQuantityColumn(job, values, j);
    }
    // A stopped map keeps the points its workers finished in columns left unfinished.
    if (last)
      for (int j = 0; j < n; ++j)
        if (!values.columnDone[static_cast<std::size_t>(j)]) FillQuantityColumn(job, values, j);
    if (callbacks.progress)
      callbacks.progress(queue.pointsDone.load(std::memory_order_relaxed), static_cast<long long>(total));
    if (callbacks.columns && (!newColumns.empty() || last)) callbacks.columns(values, newColumns);
  };
  {
    std::vector<std::jthread> workers;
    workers.reserve(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t) {
      try {
        workers.emplace_back([&, stop] { runWorker(job, zones, stop, values, queue); });
      } catch (const std::system_error&) {
        // Fewer workers than asked for: the ones running share the columns.
        queue.running.fetch_sub(threads - t);
        break;
      }
    }
    values.threads = static_cast<int>(workers.size());
    if (workers.empty()) {
      // Not even one thread could start: the calling thread does the work.
      queue.running = 1;
      runWorker(job, zones, stop, values, queue);
      values.threads = 1;
    }
    constexpr auto kReportEvery = std::chrono::milliseconds(40);
    auto nextReport = std::chrono::steady_clock::now() + kReportEvery;
    for (;;) {
      {
        std::unique_lock lock(queue.mutex);
        queue.changed.wait_until(lock, nextReport, [&] { return queue.running.load() == 0; });
        if (queue.running.load() == 0) break;
      }
      if (std::chrono::steady_clock::now() >= nextReport) {
        report(false);
        nextReport = std::chrono::steady_clock::now() + kReportEvery;
      }
    }
  }  // the workers are joined here
  report(true);
  values.pointsDone = static_cast<long long>(
      std::count_if(values.state.begin(), values.state.end(), [](PointState s) { return s != PointState::NotComputed; }));
  values.cancelled = values.columnsDone() < n;
  values.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return values;
}

LinkGeometry CoveragePointGeometry(const CLocator& tx, double latitude, double longitude, double txElevationMrad,
                                   double rxElevationMrad) {
  LinkGeometry g;
  double rangeKm = 0.0;
  CPath path;
  path.setEnds(tx, latitude, longitude);
  path.rangeBearing(rangeKm, g.bearingFromTxDeg);
  g.txElevationDeg = DegreesFromMrad(txElevationMrad);
  g.rxElevationDeg = DegreesFromMrad(rxElevationMrad);
  return g;
}

double CoverageQuantityAt(const CoverageJob& job, double latitude, double longitude, double lossDb,
                          double txElevationMrad, double rxElevationMrad) {
  return LinkQuantityAt(job.link, job.quantity, lossDb, job.inputs.model.frequency,
                        pointGeometry(job.tx, job.link, latitude, longitude, txElevationMrad, rxElevationMrad));
}

void FillQuantityColumn(const CoverageJob& job, CoverageValues& values, int j) {
  if (values.quantity.empty() || j < 0 || j >= values.n) return;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int k = values.firstRow; k < values.firstRow + values.rows(); ++k) {
    const std::size_t i = values.index(j, k);
    if (values.state[i] != PointState::Ok) continue;
    values.quantity[i] =
        CoverageQuantityAt(job, job.grid.latitude(k), job.grid.longitude(j), values.loss[i], values.txElevationMrad[i],
                           values.rxElevationMrad.empty() ? nan : values.rxElevationMrad[i]);
  }
}

Colour CoverageLossColour(double value, const CoverageSettings& settings) {
  // Larger is better: the scale is read the other way round, by negating
  // (exactly) the value and both ends.
  const bool reversed = LargerIsBetter(settings.quantity);
  const double v = reversed ? -value : value;
  const double worse = reversed ? -settings.minLoss : settings.maxLoss;
  const double better = reversed ? -settings.maxLoss : settings.minLoss;
  if (settings.contrast) return thresholdColour(kWhite, v, worse, colours::kContrastPercent);
  return greyScaleColour(kWhite, v, worse, better);
}

Colour CoveragePointColour(const CoverageValues& values, int j, int k, const CoverageSettings& settings) {
  if (!values.holdsRow(k)) return kBlack;  // a row of the map another part holds
  switch (values.state[values.index(j, k)]) {
    case PointState::Ok: return CoverageLossColour(values.shown(values.index(j, k)), settings);
    // The transmitter's own cell has no path; it takes the better end of the scale.
    case PointState::Failed:
      return CoverageLossColour(LargerIsBetter(settings.quantity) ? settings.maxLoss : settings.minLoss, settings);
    case PointState::NotComputed: break;
  }
  return kBlack;
}

void PaintLossColumn(RgbImage& lossImage, const CoverageGrid& grid, const CoverageValues& values, int j,
                     const CoverageSettings& settings) {
  if (j < 0 || j >= values.n) return;
  const int p = grid.p;
  for (int k = 0; k < values.n; ++k)
    lossImage.fillRect(p * j, p * k, p * j + p, p * k + p, CoveragePointColour(values, j, k, settings));
}

RgbImage DrawLossImage(const CoverageGrid& grid, const CoverageValues& values, const CoverageSettings& settings) {
  RgbImage image(settings.width, settings.height);
  for (int j = 0; j < values.n; ++j) PaintLossColumn(image, grid, values, j, settings);
  return image;
}

TerrainMap DrawCoverageTerrain(CSRTM& terrain, const CLocator& tx, const CoverageGrid& grid,
                               const CoverageSettings& settings, bool interpolate) {
  return drawTerrainMap(terrain, tx.latitude(), tx.longitude(), grid.d, static_cast<int>(std::trunc(settings.maxHeight)),
                        static_cast<int>(std::trunc(settings.minHeight)), settings.width, settings.height, grid.p,
                        interpolate);
}

RgbImage ComposeCoverage(const RgbImage& lossImage, const RgbImage* terrainImage, const CoverageGrid& grid,
                         const CoverageValues& values, const CoverageSettings& settings) {
  RgbImage display(lossImage.width(), lossImage.height());
  const int p = grid.p;
  const int n = values.n;
  // Only pixels of computed samples carry a loss; the rest stays black.
  const auto computed = [&](int x, int y) {
    if (p <= 0) return false;
    const int j = x / p, k = y / p;
    return j < n && values.holdsRow(k) && values.state[values.index(j, k)] != PointState::NotComputed;
  };
  for (int x = 0; x < lossImage.width(); ++x) {
    for (int y = 0; y < lossImage.height(); ++y) {
      if (!computed(x, y)) continue;
      const Colour grey = lossImage.pixel(x, y);
      Colour c = grey;
      switch (settings.style) {
        case CoverageStyle::Monochrome: break;
        case CoverageStyle::Terrain:
          c = terrainImage && x < terrainImage->width() && y < terrainImage->height()
                  ? shadeColour(terrainImage->pixel(x, y), grey)
                  : kBlack;
          break;
        case CoverageStyle::Colour: c = hueScaleColour(1.0 - lightnessOf(grey), kHueHigh, kHueLow); break;
      }
      display.setPixel(x, y, c);
    }
  }
  return display;
}

void DrawTransmitterMarker(RgbImage& display) {
  const int x = display.width() / 2, y = display.height() / 2;
  display.fillRoundRect(x - kMarkerHalf, y - kMarkerHalf, x + kMarkerHalf, y + kMarkerHalf, kMarkerCorner,
                        kMarkerCorner, kRed);
}

ColourScale CoverageScale(const CoverageSettings& settings) {
  if (settings.style == CoverageStyle::Terrain)
    return DrawColourScale(ScaleKind::Height, settings.maxHeight, settings.minHeight);
  const ScaleKind kind = settings.style == CoverageStyle::Colour ? ScaleKind::ColourLoss : ScaleKind::GreyLoss;
  // The bands depend only on their place between the ends, so a scale read
  // the other way round has the loss scale's bands with its labels swapped.
  ColourScale scale = DrawColourScale(kind, settings.maxLoss, settings.minLoss);
  if (settings.quantity == LinkQuantity::Loss) return scale;
  const std::string unit = " " + std::string(LinkQuantityDisplayUnit(settings.quantity));
  const bool reversed = LargerIsBetter(settings.quantity);
  scale.scaleMinText = FormatFixed(reversed ? settings.maxLoss : settings.minLoss, 4, 1) + unit;
  scale.scaleMaxText = FormatFixed(reversed ? settings.minLoss : settings.maxLoss, 4, 1) + unit;
  return scale;
}

CoveragePicture RenderCoverage(CSRTM& terrain, const CLocator& tx, const CoverageGrid& grid,
                               const CoverageValues& values, const CoverageSettings& settings, bool interpolate) {
  CoveragePicture picture;
  picture.loss = DrawLossImage(grid, values, settings);
  picture.scale = CoverageScale(settings);
  if (settings.style == CoverageStyle::Terrain && grid.valid)
    picture.terrain = DrawCoverageTerrain(terrain, tx, grid, settings, interpolate);
  picture.display = ComposeCoverage(picture.loss, picture.terrain.drawn ? &picture.terrain.image : nullptr, grid,
                                    values, settings);
  DrawTransmitterMarker(picture.display);
  return picture;
}

}  // namespace tarnvale
