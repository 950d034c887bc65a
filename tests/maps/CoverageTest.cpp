// The coverage grid, the engine on worker threads and the pictures made from
// its losses: over a synthetic tile for the layout and the rules, over the
// real N51W002 tile for the thread count and the agreement with single runs.
#include "maps/Coverage.h"
#include "maps/ScaleLegend.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "link/PatternReader.h"
#include "support/DataFiles.h"

namespace tarnvale {
namespace {

using test::TempDir;
using test::Tile;

constexpr double kRadDeg = 57.29577951308232;

// A ridge running north-south through the tile, 400 m high at its crest over
// 50 m ground, so that losses vary across the map.
class SyntheticCoverage : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<TempDir>();
    Tile tile(50);
    for (int row = 0; row < test::kTileEdge; ++row)
      for (int column = 0; column < test::kTileEdge; ++column) {
        const int offset = std::abs(column - 618);  // about 1.485 W
        if (offset < 40) tile.at(row, column) = static_cast<std::int16_t>(400 - offset * 8);
      }
    test::WriteTile(dir_->path() / "n51w002.hgt", tile);
  }
  static void TearDownTestSuite() { dir_.reset(); }

  CoverageJob job(double resolution, int threads = 2) const {
    CoverageJob j;
    j.tx = tx_;
    j.grid = CoverageGridFor(tx_, 10.0, resolution);
    j.inputs.gasPerKm = 0.02;
    j.terrainDirectory = dir_->withSlash();
    j.threads = threads;
    return j;
  }

  static std::unique_ptr<TempDir> dir_;
  CLocator tx_{51.5, -1.55};
  CZONES zones_{dir_->str()};  // no zone map here: every code is "no data"
  CSRTM terrain_{9, dir_->withSlash()};
};
std::unique_ptr<TempDir> SyntheticCoverage::dir_;

TEST(CoverageGrid, RangeTenResolutionFour) {
  const CLocator tx(51.5, -1.55);
  const CoverageGrid grid = CoverageGridFor(tx, 10.0, 4.0);
  ASSERT_TRUE(grid.valid);
  EXPECT_EQ(grid.n, 125);
  EXPECT_EQ(grid.p, 4);
  // East-west is the wider extent away from the equator: d from the 270 and 90
  // degree points on the 6378.137 km sphere.
  double lat = 0, east = 0, west = 0;
  tx.destination(10.0, 90.0, lat, east);
  tx.destination(10.0, 270.0, lat, west);
  EXPECT_DOUBLE_EQ(grid.d, east - west);
  EXPECT_GT(grid.d, 2 * 10.0 / 6378.137 * kRadDeg);
  EXPECT_DOUBLE_EQ(grid.step, grid.d / 125);
  EXPECT_DOUBLE_EQ(grid.northEdge, 51.5 + grid.d / 2);
  EXPECT_DOUBLE_EQ(grid.westEdge, -1.55 - grid.d / 2);
  EXPECT_DOUBLE_EQ(grid.longitude(1), grid.westEdge + grid.step);
  EXPECT_DOUBLE_EQ(grid.latitude(2), grid.northEdge - 2 * grid.step);

  EXPECT_EQ(CoverageGridFor(tx, 10.0, 3.0).n, 166);
  EXPECT_EQ(CoverageGridFor(tx, 10.0, 3.9).n, 166);  // truncated to 3
  EXPECT_EQ(CoverageGridFor(tx, 10.0, 1.0).n, 500);
  EXPECT_FALSE(CoverageGridFor(tx, 10.0, 0.5).valid);
  EXPECT_FALSE(CoverageGridFor(tx, 0.0, 4.0).valid);
  EXPECT_FALSE(CoverageGridFor(CLocator(), 10.0, 4.0).valid);
}

TEST(CoverageGrid, StraddlingTheMeridianOrTheEquatorKeepsTheExtent) {
  const CoverageGrid across = CoverageGridFor(CLocator(51.5, 0.0), 10.0, 4.0);
  const CoverageGrid aside = CoverageGridFor(CLocator(51.5, 3.0), 10.0, 4.0);
  EXPECT_NEAR(across.d, aside.d, 1e-12);
  const CoverageGrid equator = CoverageGridFor(CLocator(0.0, -0.01), 10.0, 4.0);
  const CoverageGrid north = CoverageGridFor(CLocator(0.0, 100.0), 10.0, 4.0);
  EXPECT_NEAR(equator.d, north.d, 1e-12);
  EXPECT_NEAR(equator.d, 2 * 10.0 / 6378.137 * kRadDeg, 1e-10);
}

TEST_F(SyntheticCoverage, ResolutionFourFillsTheSquareWithTheMarkerAtTheCentre) {
  std::vector<long long> progress;
  CoverageCallbacks callbacks;
  callbacks.progress = [&](long long done, long long total) {
    EXPECT_EQ(total, 125 * 125);
    progress.push_back(done);
  };
  const CoverageJob j = job(4.0);
  const CoverageValues values = RunCoverage(j, zones_, {}, callbacks);
  ASSERT_EQ(values.n, 125);
  EXPECT_FALSE(values.cancelled);
  EXPECT_EQ(values.columnsDone(), 125);
  EXPECT_EQ(values.pointsDone, 125 * 125);
  ASSERT_FALSE(progress.empty());
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(progress.back(), 125 * 125);
  for (std::size_t i = 0; i < values.loss.size(); ++i) {
    ASSERT_EQ(values.state[i], PointState::Ok) << i;
    ASSERT_TRUE(std::isfinite(values.loss[i]));
  }

  for (CoverageStyle style : {CoverageStyle::Monochrome, CoverageStyle::Colour, CoverageStyle::Terrain}) {
    CoverageSettings settings;
    settings.style = style;
    const CoveragePicture picture = RenderCoverage(terrain_, tx_, j.grid, values, settings);
    ASSERT_EQ(picture.display.width(), 500);
    EXPECT_EQ(picture.display.pixel(250, 250), kRed);
    EXPECT_EQ(picture.display.pixel(245, 250), kRed);
    EXPECT_NE(picture.display.pixel(240, 250), kRed);
    // Sample (j, k) is the p x p block from (4 j, 4 k).
    const Colour grey = CoverageLossColour(values.loss[values.index(10, 20)], settings);
    for (int x = 40; x < 44; ++x)
      for (int y = 80; y < 84; ++y) ASSERT_EQ(picture.loss.pixel(x, y), grey);
    const Colour shown = picture.display.pixel(41, 82);
    switch (style) {
      case CoverageStyle::Monochrome: EXPECT_EQ(shown, grey); break;
      case CoverageStyle::Colour: EXPECT_EQ(shown, hueScaleColour(1 - lightnessOf(grey), 0.8, 0.2)); break;
      case CoverageStyle::Terrain:
        ASSERT_TRUE(picture.terrain.drawn);
        EXPECT_EQ(picture.terrain.columns, 125);
        EXPECT_EQ(shown, shadeColour(picture.terrain.image.pixel(41, 82), grey));
        EXPECT_EQ(picture.scale.scaleMinText, "500 m");
        break;
    }
  }
}

TEST_F(SyntheticCoverage, ResolutionThreeLeavesTwoBlackStrips) {
  const CoverageJob j = job(3.0);
  const CoverageValues values = RunCoverage(j, zones_);
  ASSERT_EQ(values.n, 166);
  for (CoverageStyle style : {CoverageStyle::Monochrome, CoverageStyle::Colour, CoverageStyle::Terrain}) {
    CoverageSettings settings;
    settings.style = style;
    settings.maxLoss = 400;  // no computed sample is black
    settings.minLoss = 0;
    const CoveragePicture picture = RenderCoverage(terrain_, tx_, j.grid, values, settings);
    for (int i = 0; i < 500; ++i) {
      for (int edge : {498, 499}) {
        ASSERT_EQ(picture.loss.pixel(edge, i), kBlack);
        ASSERT_EQ(picture.loss.pixel(i, edge), kBlack);
        ASSERT_EQ(picture.display.pixel(edge, i), kBlack) << static_cast<int>(style);
        ASSERT_EQ(picture.display.pixel(i, edge), kBlack) << static_cast<int>(style);
      }
    }
    EXPECT_NE(picture.display.pixel(497, 10), kBlack);
    EXPECT_NE(picture.display.pixel(10, 497), kBlack);
  }
}

TEST_F(SyntheticCoverage, ContrastAndEqualBounds) {
  const CoverageJob j = job(8.0);
  const CoverageValues values = RunCoverage(j, zones_);
  std::vector<double> sorted = values.loss;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  ASSERT_LT(sorted.front(), median);

  CoverageSettings contrast;
  contrast.style = CoverageStyle::Monochrome;
  contrast.contrast = true;
  contrast.maxLoss = median;
  contrast.minLoss = 399;  // plays no part under contrast
  const RgbImage image = DrawLossImage(j.grid, values, contrast);
  const Colour grey40 = MakeColour(102, 102, 102);
  int whites = 0, greys = 0;
  for (int jj = 0; jj < values.n; ++jj)
    for (int k = 0; k < values.n; ++k) {
      const Colour c = image.pixel(8 * jj + 3, 8 * k + 3);
      const bool below = values.loss[values.index(jj, k)] < median;
      ASSERT_EQ(c, below ? kWhite : grey40);
      (below ? whites : greys)++;
    }
  EXPECT_GT(whites, 0);
  EXPECT_GT(greys, 0);

  CoverageSettings equal;
  equal.style = CoverageStyle::Monochrome;
  equal.maxLoss = equal.minLoss = 150;
  const RgbImage flat = DrawLossImage(j.grid, values, equal);
  for (int x = 0; x < 62 * 8; ++x)
    for (int y = 0; y < 62 * 8; ++y) ASSERT_EQ(flat.pixel(x, y), kWhite);
  // In colour the same map is one hue: the cyan end.
  equal.style = CoverageStyle::Colour;
  EXPECT_EQ(ComposeCoverage(flat, nullptr, j.grid, values, equal).pixel(4, 4), hueScaleColour(0.2, 0.8, 0.2));
}

TEST_F(SyntheticCoverage, CancelPartWayKeepsTheColumnsDone) {
  // Stopped once a quarter of the columns is reported done. The reports come
  // every 40 ms or so, so the map must take several times that on one
  // worker: 250 x 250 points.
  std::stop_source stop;
  CoverageCallbacks callbacks;
  std::vector<int> reported;
  callbacks.columns = [&](const CoverageValues& values, const std::vector<int>& newColumns) {
    for (int j : newColumns) {
      reported.push_back(j);
      for (int k = 0; k < values.n; ++k) ASSERT_NE(values.state[values.index(j, k)], PointState::NotComputed);
    }
    if (values.columnsDone() >= values.n / 4) stop.request_stop();
  };
  const CoverageJob j = job(2.0, 1);
  const CoverageValues values = RunCoverage(j, zones_, stop.get_token(), callbacks);
  ASSERT_EQ(values.n, 250);
  ASSERT_TRUE(values.cancelled);
  const int done = values.columnsDone();
  EXPECT_GE(done, 62);
  EXPECT_LT(done, 250);
  EXPECT_EQ(static_cast<int>(reported.size()), done);
  // One worker takes the columns west to east: the first `done` are whole.
  for (int jj = 0; jj < done; ++jj) EXPECT_TRUE(values.columnDone[jj]) << jj;
  EXPECT_EQ(values.state[values.index(249, 249)], PointState::NotComputed);
  EXPECT_TRUE(std::isnan(values.loss[values.index(249, 249)]));

  CoverageSettings settings;
  settings.style = CoverageStyle::Colour;
  const CoveragePicture picture = RenderCoverage(terrain_, tx_, j.grid, values, settings);
  EXPECT_NE(picture.display.pixel(10, 10), kBlack);
  EXPECT_EQ(picture.display.pixel(499, 499), kBlack);  // never computed: black, not a hue
  EXPECT_EQ(picture.display.pixel(250, 250), kRed);   // the marker still comes
  EXPECT_EQ(picture.scale.scaleMaxText, "200.0 dB");  // and the scale
}

TEST_F(SyntheticCoverage, TransmittersOwnCellTakesTheMinimumLoss) {
  // n = 250 is even: sample (125, 125) lies on the transmitter, and the samples
  // one step (0.08 km) away are still too close for a path.
  const CoverageJob j = job(2.0);
  const CoverageValues values = RunCoverage(j, zones_);
  ASSERT_EQ(values.n, 250);
  EXPECT_EQ(values.state[values.index(125, 125)], PointState::Failed);
  EXPECT_TRUE(std::isnan(values.loss[values.index(125, 125)]));
  EXPECT_EQ(values.state[values.index(126, 125)], PointState::Failed);
  EXPECT_EQ(values.state[values.index(127, 125)], PointState::Ok);
  CoverageSettings settings;
  settings.style = CoverageStyle::Monochrome;
  EXPECT_EQ(DrawLossImage(j.grid, values, settings).pixel(250, 250), kWhite);
  // Bounds the other way round make the minimum loss field's 150 dB the darkest.
  settings.minLoss = 150;
  settings.maxLoss = 100;
  EXPECT_EQ(CoveragePointColour(values, 125, 125, settings), kBlack);
}

// A map of received power keeps the losses bit for bit and adds the quantity;
// a loss map carries nothing more.
TEST_F(SyntheticCoverage, PowerMapKeepsTheLossesAndAddsThePower) {
  CoverageJob j = job(8.0);
  const CoverageValues loss = RunCoverage(j, zones_);
  EXPECT_TRUE(loss.quantity.empty());
  EXPECT_TRUE(loss.txElevationMrad.empty());
  j.quantity = LinkQuantity::Power;
  j.link.powerDbm = 40.0;  // isotropic antennas, no feeders: received = 40 - L
  const CoverageValues power = RunCoverage(j, zones_);
  ASSERT_EQ(power.quantity.size(), loss.loss.size());
  EXPECT_TRUE(power.rxElevationMrad.empty());  // the receiving antenna points at the transmitter
  for (std::size_t i = 0; i < loss.loss.size(); ++i) {
    ASSERT_EQ(power.state[i], loss.state[i]);
    if (loss.state[i] != PointState::Ok) continue;
    ASSERT_EQ(power.loss[i], loss.loss[i]);
    ASSERT_EQ(power.quantity[i], 40.0 - loss.loss[i]);
    ASSERT_EQ(power.shown(i), power.quantity[i]);
    ASSERT_TRUE(std::isfinite(power.txElevationMrad[i]));
  }
}

// Larger is better for power, field strength and margin: the scale's top end
// takes white (the colour of the least loss) and its bottom the contrast grey.
TEST(CoverageColours, LargerIsBetterReadsTheScaleTheOtherWayRound) {
  CoverageSettings power;
  power.quantity = LinkQuantity::Power;
  power.maxLoss = -40.0;
  power.minLoss = -120.0;
  CoverageSettings loss;  // the mirror image: 80 ... 160 dB
  loss.maxLoss = 160.0;
  loss.minLoss = 80.0;
  for (double v : {-40.0, -60.0, -80.0, -100.0, -120.0, 0.0, -200.0})
    EXPECT_EQ(CoverageLossColour(v, power), CoverageLossColour(40.0 - v, loss)) << v;
  EXPECT_EQ(CoverageLossColour(-40.0, power), kWhite);
  EXPECT_EQ(CoverageLossColour(-120.0, power), kBlack);
  power.contrast = true;
  EXPECT_EQ(CoverageLossColour(-119.5, power), kWhite);
  EXPECT_EQ(CoverageLossColour(-120.0, power), MakeColour(102, 102, 102));

  // The transmitter's own cell takes the better end: here the largest power.
  CoverageValues values;
  values.n = 1;
  values.loss = {std::nan("")};
  values.quantity = {std::nan("")};
  values.state = {PointState::Failed};
  power.contrast = false;
  EXPECT_EQ(CoveragePointColour(values, 0, 0, power), kWhite);

  // The scale: the loss scale's bands, the better end labelled at the top, in the unit.
  power.style = CoverageStyle::Colour;
  const ColourScale scale = CoverageScale(power);
  EXPECT_EQ(scale.scaleMinText, "-40.0 dBm");
  EXPECT_EQ(scale.scaleMaxText, "-120.0 dBm");
  EXPECT_TRUE(scale.image == DrawColourScale(ScaleKind::ColourLoss, -40.0, -120.0).image);
  CoverageSettings field;
  field.quantity = LinkQuantity::Field;
  field.style = CoverageStyle::Monochrome;
  field.maxLoss = 100.0;
  field.minLoss = 0.0;
  EXPECT_EQ(CoverageScale(field).scaleMinText, "100.0 dB\u00b5V/m");
  EXPECT_EQ(CoverageScale(field).scaleMaxText, "0.0 dB\u00b5V/m");
  CoverageSettings margin;
  margin.quantity = LinkQuantity::Margin;
  margin.style = CoverageStyle::Monochrome;
  margin.maxLoss = 40.0;
  margin.minLoss = -20.0;
  EXPECT_EQ(CoverageScale(margin).scaleMinText, "40.0 dB");
  EXPECT_EQ(CoverageScale(margin).scaleMaxText, "-20.0 dB");
}

// The legend an overlay carries: the scale's bands and its two labels, drawn
// in the built-in font, on white.
TEST(CoverageColours, LegendHoldsTheScaleAndItsLabels) {
  CoverageSettings power;
  power.quantity = LinkQuantity::Power;
  power.style = CoverageStyle::Colour;
  power.maxLoss = -40.0;
  power.minLoss = -120.0;
  const ColourScale scale = CoverageScale(power);
  EXPECT_EQ(LegendTextWidth(scale.scaleMaxText), 10 * legend::kGlyphAdvance);  // "-120.0 dBm"
  EXPECT_EQ(LegendTextWidth("100.0 dB\u00b5V/m"), 12 * legend::kGlyphAdvance);
  const RgbImage image = DrawScaleLegend(scale);
  const int barLeft = legend::kMargin, barTop = legend::kMargin + legend::kGlyphHeight * legend::kGlyphScale / 2;
  EXPECT_EQ(image.width(), 2 * legend::kMargin + scale.image.width() + legend::kLabelGap +
                               LegendTextWidth(scale.scaleMaxText));
  for (int x = 0; x < scale.image.width(); x += 8)
    for (int y = 0; y < scale.image.height(); y += 8)
      ASSERT_EQ(image.pixel(barLeft + x, barTop + y), scale.image.pixel(x, y));
  EXPECT_EQ(image.pixel(0, 0), kWhite);
  // Both labels are drawn: black dots right of the bar, at its top and its bottom.
  const auto blackIn = [&](int top, int bottom) {
    int black = 0;
    for (int x = barLeft + scale.image.width(); x < image.width(); ++x)
      for (int y = std::max(0, top); y < std::min(image.height(), bottom); ++y) black += image.pixel(x, y) == kBlack;
    return black;
  };
  EXPECT_GT(blackIn(0, barTop + 8), 20);
  EXPECT_GT(blackIn(barTop + scale.image.height() - 8, image.height()), 20);
  EXPECT_EQ(blackIn(barTop + 20, barTop + scale.image.height() - 20), 0);
  EXPECT_EQ(CoverageLegendTitle(power), "Received power (dBm)");
  power.style = CoverageStyle::Terrain;
  EXPECT_EQ(CoverageLegendTitle(power), "Terrain height (m)");
}

// The real tile and zone map.
class RealCoverage : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const auto data = test::SharedData();
    if (data.empty() || !std::filesystem::exists(data / "srtm" / "N51W002.hgt")) return;
    const auto packed = data / "zones" / "zones01.dem.gz";
    zonesDir_ = std::make_unique<TempDir>();
    gzFile in = gzopen(packed.c_str(), "rb");
    if (!in) return;
    std::ofstream out(zonesDir_->path() / "zones01.dem", std::ios::binary);
    std::vector<char> buffer(1 << 20);
    int n = 0;
    while ((n = gzread(in, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) out.write(buffer.data(), n);
    gzclose(in);
    ready_ = out.good();
    srtm_ = (data / "srtm").string();
  }
  static void TearDownTestSuite() { zonesDir_.reset(); }
  void SetUp() override {
    if (!ready_) GTEST_SKIP() << "srtm/N51W002.hgt or zones/zones01.dem.gz not found: set TARNVALE_SHARED_DATA";
    zones_ = std::make_unique<CZONES>(zonesDir_->str());
  }
  CoverageJob job(double resolution, int threads) const {
    CoverageJob j;
    j.tx = tx_;
    j.grid = CoverageGridFor(tx_, 10.0, resolution);
    j.inputs.gasPerKm = 0.0135;
    j.terrainDirectory = srtm_;
    j.threads = threads;
    return j;
  }

  static std::unique_ptr<TempDir> zonesDir_;
  static std::string srtm_;
  static bool ready_;
  const CLocator tx_{51.42, -1.55};
  std::unique_ptr<CZONES> zones_;
};
std::unique_ptr<TempDir> RealCoverage::zonesDir_;
std::string RealCoverage::srtm_;
bool RealCoverage::ready_ = false;

TEST_F(RealCoverage, OneTwoAndEightThreadsGiveTheSameBits) {
  const CoverageValues one = RunCoverage(job(6.0, 1), *zones_);
  ASSERT_EQ(one.threads, 1);
  CSRTM terrain(9, srtm_);
  CoverageSettings settings;
  const RgbImage reference = RenderCoverage(terrain, tx_, job(6.0, 1).grid, one, settings).display;
  for (int threads : {2, 8}) {
    const CoverageValues many = RunCoverage(job(6.0, threads), *zones_);
    ASSERT_EQ(many.threads, threads);
    ASSERT_EQ(many.loss.size(), one.loss.size());
    EXPECT_EQ(std::memcmp(many.loss.data(), one.loss.data(), one.loss.size() * sizeof(double)), 0) << threads;
    EXPECT_EQ(many.state, one.state);
    EXPECT_TRUE(RenderCoverage(terrain, tx_, job(6.0, threads).grid, many, settings).display == reference);
  }
}

// Under P.452-18 every value of the engine (its coverage sampler, one model
// object per worker) is the single run's over SampleProfile's profile, to
// the last bit; the map's numbers differ from the classic model's.
TEST_F(RealCoverage, P452ValuesAreTheSingleRunsBitForBit) {
  CoverageJob j = job(16.0, 2);
  j.inputs.model.percent = 10.0;
  j.inputs.choice.model = PathModel::kP452v18;
  j.inputs.choice.clutterHeightM = 10.0;
  j.inputs.choice.polarisation = P452Polarisation::kVertical;
  const CoverageValues values = RunCoverage(j, *zones_);
  const CoverageValues classic = RunCoverage(job(16.0, 2), *zones_);
  P452Model model;
  CSRTM terrain(9, srtm_);
  int failed = 0, differ = 0;
  for (int jj = 0; jj < values.n; ++jj)
    for (int k = 0; k < values.n; ++k) {
      double loss = 0.0;
      const bool ok =
          CoveragePointLoss(model, terrain, *zones_, tx_, j.grid.latitude(k), j.grid.longitude(jj), j.inputs, loss);
      const std::size_t i = values.index(jj, k);
      ASSERT_EQ(values.state[i], ok ? PointState::Ok : PointState::Failed) << jj << ", " << k;
      if (!ok) {
        ++failed;
        continue;
      }
      ASSERT_EQ(values.loss[i], loss) << jj << ", " << k;
      differ += values.loss[i] != classic.loss[i];
    }
  EXPECT_LE(failed, 1);
  EXPECT_GT(differ, values.n * values.n / 2);
}

TEST_F(RealCoverage, P452MapsWithAPatternCoupleThroughTheGainsTowardEachHorizon) {
  // A 30 dBi antenna whose back lies 25 dB down: troposcatter's coupling
  // takes each point's gains toward its horizons, in the map as in a single
  // run with the same link record.
  CoverageJob j = job(16.0, 2);
  j.inputs.model.percent = 10.0;
  j.inputs.choice.model = PathModel::kP452v18;
  j.inputs.choice.txGainDbi = j.inputs.choice.rxGainDbi = 30.0;
  j.link.tx.gainDbi = j.link.rx.gainDbi = 30.0;
  std::string error;
  ASSERT_TRUE(ReadCsvPattern("azimuth_deg,attenuation_dB\n0,0\n90,12\n180,25\n270,12\n", j.link.tx.pattern, error))
      << error;
  const CoverageValues values = RunCoverage(j, *zones_);
  CoverageJob peak = j;
  peak.link = LinkRecord{};
  const CoverageValues atPeak = RunCoverage(peak, *zones_);
  P452Model model;
  CSRTM terrain(9, srtm_);
  int differ = 0;
  for (int jj = 0; jj < values.n; ++jj)
    for (int k = 0; k < values.n; ++k) {
      const std::size_t i = values.index(jj, k);
      double loss = 0.0;
      const bool ok = CoveragePointLoss(model, terrain, *zones_, tx_, j.grid.latitude(k), j.grid.longitude(jj),
                                        j.inputs, loss, &j.link);
      ASSERT_EQ(values.state[i], ok ? PointState::Ok : PointState::Failed) << jj << ", " << k;
      if (!ok) continue;
      ASSERT_EQ(values.loss[i], loss) << jj << ", " << k;
      // Less gain toward the horizon means less aperture-to-medium coupling
      // loss: never a larger loss than at the peak gains.
      EXPECT_LE(values.loss[i], atPeak.loss[i]) << jj << ", " << k;
      differ += values.loss[i] != atPeak.loss[i];
    }
  EXPECT_GT(differ, 0);
}

TEST_F(RealCoverage, EveryValueAgreesWithASingleModelRun) {
  // 83 x 83 and 62 x 62 points across the whole square. The transmitter sits
  // on a line of tile nodes both ways, and the even grid has a column due
  // north and south of it, where the exact great-circle point wavers most.
  CTerrain model;
  CSRTM terrain(9, srtm_);
  for (double resolution : {6.0, 8.0}) {
    const CoverageJob j = job(resolution, 2);
    const CoverageValues values = RunCoverage(j, *zones_);
    int failed = 0;
    double worst = 0.0;
    for (int jj = 0; jj < values.n; ++jj)
      for (int k = 0; k < values.n; ++k) {
        double loss = 0.0;
        const bool ok = CoveragePointLoss(model, terrain, *zones_, tx_, j.grid.latitude(k), j.grid.longitude(jj),
                                          j.inputs, loss);
        const std::size_t i = values.index(jj, k);
        ASSERT_EQ(values.state[i], ok ? PointState::Ok : PointState::Failed) << jj << ", " << k;
        if (!ok) {
          ++failed;
          continue;
        }
        worst = std::max(worst, std::fabs(values.loss[i] - loss));
        ASSERT_NEAR(values.loss[i], loss, 1e-6) << jj << ", " << k;
      }
    EXPECT_LE(failed, 1);
    RecordProperty("worst_difference_dB_resolution_" + std::to_string(static_cast<int>(resolution)),
                   std::to_string(worst));
  }
}

}  // namespace
}  // namespace tarnvale
