// The Area Coverage page through its real widgets, on the shared tiles.
#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTimer>

#include <QLineEdit>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "app/pages/CoveragePage.h"
#include "app/pages/TImage.h"
#include "maps/RgbImage.h"
#include "session/CoverageSetup.h"
#include "tests/app/WindowFixture.h"
#include "tests/cli/RunCli.h"
#include "widgets/Numedit.h"

using tarnvale::test::WindowTest;
using tarnvale::ui::TCoveragePage;
using tarnvale::ui::TImage;
using tarnvale::ui::TMainForm;
using tarnvale::ui::TNumEdit;

namespace {

QRgb rgb(tarnvale::Colour c) { return qRgb(tarnvale::RedOf(c), tarnvale::GreenOf(c), tarnvale::BlueOf(c)); }
const QRgb kBlackRgb = qRgb(0, 0, 0);
const QRgb kWhiteRgb = qRgb(255, 255, 255);
// The transmitter mark covers the 11 x 11 square around the centre pixel.
bool inMarker(int x, int y) { return std::abs(x - 250) <= 5 && std::abs(y - 250) <= 5; }

class CoveragePageTest : public WindowTest {
 protected:
  /// The window on the shared tiles, on the Area Coverage page; null (and the
  /// test skipped) where the tiles are absent.
  std::unique_ptr<TMainForm> startOnTiles() {
    const auto tiles = SharedTiles();
    if (tiles.empty()) return nullptr;
    auto form = startOn(tiles);
    selectPage(*form, "Coverage");
    return form;
  }
  static TCoveragePage& page(TMainForm& f) { return *find<TCoveragePage>(f, "Coverage"); }
  static void setField(TMainForm& f, const char* name, double value) { find<TNumEdit>(f, name)->SetValue(value); }
  /// Presses Plot Coverage and waits for the picture.
  static void plot(TMainForm& f) {
    QSignalSpy done(&page(f), &TCoveragePage::plotFinished);
    click(f, "PlotCoverage");
    ASSERT_TRUE(done.wait(120000)) << "the plot did not finish";
  }
  static const QImage& picture(TMainForm& f) { return page(f).coverageMap()->picture(); }
  /// Waits until the progress bar shows at least @p points done.
  static void waitForPoints(TMainForm& f, int points) {
    auto* progress = find<QProgressBar>(f, "CoverageProgress");
    for (int i = 0; i < 24000 && progress->value() < points && page(f).plotting(); ++i) QTest::qWait(5);
  }
};

#define SKIP_WITHOUT_TILES(form) \
  if (!(form)) GTEST_SKIP() << "shared SRTM tiles not found (TARNVALE_SHARED_DATA)"

}  // namespace

TEST_F(CoveragePageTest, ControlsStartWithTheirLabelsLimitsAndHints) {
  auto form = startOn(dir_ / "terrain");
  TMainForm& f = *form;
  struct Row {
    const char* name;
    const char* label;
    double min, max;
    const char* start;
    int decimals;
    bool integer;
    const char* hint;
  };
  const Row rows[] = {
      {"CoverageRange", "Range (km)", 1, 3000, "10", 0, false, "Maximum range for coverage plot in km"},
      {"CoverageResolution", "Pixels per sample", 1, 16, "4", 0, true, "Resolution of coverage plot in Pixels"},
      {"MaxLoss", "Maximum Loss", 1, 400, "200", 0, false, "Maximum loss to show in plot"},
      {"MinLoss", "Minimum Loss", 0, 399, "100", 0, false, "Minimum loss to show in plot"},
      {"MaxHeight", "Maximum Height", 0, 10000, "500", 0, false, "Maximum terrain height"},
      {"MinHeight", "Minimum Height", -1000, 10000, "0", 0, false, "Minimum terrain height - normally set to 0"},
  };
  const auto labels = page(f).findChildren<QLabel*>();
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    auto* e = find<TNumEdit>(f, r.name);
    EXPECT_EQ(e->minValue(), r.min);
    EXPECT_EQ(e->maxValue(), r.max);
    EXPECT_EQ(e->text(), r.start);
    EXPECT_EQ(e->decimals(), r.decimals);
    EXPECT_EQ(e->integerEdit(), r.integer);
    EXPECT_EQ(e->toolTip(), r.hint);
    const auto label = std::find_if(labels.begin(), labels.end(), [e](QLabel* l) { return l->buddy() == e; });
    ASSERT_NE(label, labels.end());
    EXPECT_EQ((*label)->text(), r.label);
  }
  EXPECT_EQ(find<QRadioButton>(f, "Monochrome")->text(), "Show in monochrome");
  EXPECT_EQ(find<QRadioButton>(f, "Colourfull")->text(), "Show as colour map");
  EXPECT_EQ(find<QRadioButton>(f, "CoverageTerrain")->text(), "Show Highligted Terrain");
  EXPECT_TRUE(find<QRadioButton>(f, "CoverageTerrain")->isChecked());
  EXPECT_EQ(find<QCheckBox>(f, "MAX_CONTRAST")->text(), "Contrast");
  EXPECT_FALSE(find<QCheckBox>(f, "MAX_CONTRAST")->isChecked());
  EXPECT_EQ(find<QPushButton>(f, "PlotCoverage")->text(), "&Plot Coverage");
  EXPECT_EQ(find<QPushButton>(f, "PlotCoverage")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_P));
  EXPECT_EQ(find<QPushButton>(f, "Abort")->text(), "Abort");
  EXPECT_EQ(find<TImage>(f, "CoverageMap")->size(), QSize(500, 500));
  EXPECT_EQ(find<TImage>(f, "ColourScale")->size(), QSize(33, 225));
  const auto groups = page(f).findChildren<QGroupBox*>();
  EXPECT_TRUE(std::any_of(groups.begin(), groups.end(), [](QGroupBox* g) { return g->title() == "System Data"; }));
}

// A field outside its limits, or one of the Input Data page's that holds no
// number, stops Plot Coverage before it starts, with the field's message.
TEST_F(CoveragePageTest, RefusedFieldsStopThePlotBeforeItStarts) {
  auto form = startOn(dir_ / "terrain");
  TMainForm& f = *form;
  selectPage(f, "Coverage");
  find<TNumEdit>(f, "CoverageResolution")->setText("17");
  click(f, "PlotCoverage");
  EXPECT_FALSE(page(f).plotting());
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_EQ(dialogs_.errors[0], "Value must be between 1 and 16");

  find<TNumEdit>(f, "CoverageResolution")->setText("4");
  find<TNumEdit>(f, "FREQ")->setText("abc");
  click(f, "PlotCoverage");
  EXPECT_FALSE(page(f).plotting());
  ASSERT_EQ(dialogs_.errors.size(), 2u);
  EXPECT_EQ(dialogs_.errors[1], "'abc' is not a valid numeric input.");
}

TEST_F(CoveragePageTest, ShowingThePageFillsSystemDataAndABlackMap) {
  auto form = startOn(dir_ / "terrain");
  TMainForm& f = *form;
  selectPage(f, "Coverage");
  EXPECT_EQ(text(f, "CoverageMapCentre").toStdString(), tarnvale::CoverageCentreText(f.session().tx));
  EXPECT_EQ(text(f, "CoverageFrequency"), "10.368");
  EXPECT_EQ(text(f, "CoverageTxHeight"), "10.0");
  EXPECT_EQ(text(f, "CoverageRxHeight"), "10.0");
  EXPECT_EQ(text(f, "CoverageTimePercentage"), "50");
  const QImage& map = picture(f);
  ASSERT_EQ(map.size(), QSize(500, 500));
  EXPECT_EQ(map.pixel(0, 0), kBlackRgb);
  EXPECT_EQ(map.pixel(499, 499), kBlackRgb);
  EXPECT_FALSE(find<TImage>(f, "ColourScale")->isVisible());
  EXPECT_FALSE(find<QLabel>(f, "ScaleMin")->isVisible());
  EXPECT_FALSE(find<QLabel>(f, "ScaleMax")->isVisible());
}

// Range 10 km, resolution 4: n = 125, each sample 4 x 4 pixels, the red mark
// at the centre pixel (250, 250), the height scale beside the map.
TEST_F(CoveragePageTest, ResolutionFourOverTerrain) {
  auto form = startOnTiles();
  SKIP_WITHOUT_TILES(form);
  TMainForm& f = *form;
  plot(f);
  const TCoveragePage& p = page(f);
  EXPECT_EQ(p.grid().n, 125);
  EXPECT_EQ(p.grid().p, 4);
  EXPECT_EQ(p.values().pointsDone, 125 * 125);
  EXPECT_FALSE(p.values().cancelled);
  EXPECT_EQ(find<QProgressBar>(f, "CoverageProgress")->value(), 125 * 125);
  EXPECT_EQ(picture(f).pixel(250, 250), rgb(tarnvale::kRed));
  EXPECT_TRUE(find<TImage>(f, "ColourScale")->isVisible());
  EXPECT_EQ(find<TImage>(f, "ColourScale")->picture().size(), QSize(33, 225));
  EXPECT_EQ(text(f, "ScaleMin"), "500 m");
  EXPECT_EQ(text(f, "ScaleMax"), "0 m");
}

// What the grey levels become in monochrome: the strips that resolution 3
// leaves, the "Contrast" threshold and equal minimum and maximum.
TEST_F(CoveragePageTest, MonochromeStripsContrastAndEqualBounds) {
  auto form = startOnTiles();
  SKIP_WITHOUT_TILES(form);
  TMainForm& f = *form;
  QTest::mouseClick(find<QRadioButton>(f, "Monochrome"), Qt::LeftButton);

  // Resolution 3: n = 166 covers 498 pixels; the last 2 columns and rows stay black.
  setField(f, "CoverageResolution", 3);
  setField(f, "MaxLoss", 400);
  setField(f, "MinLoss", 0);
  plot(f);
  EXPECT_EQ(page(f).grid().n, 166);
  {
    const QImage& map = picture(f);
    int lit = 0, stripLit = 0;
    for (int i = 0; i < 500; ++i) {
      for (int edge : {498, 499}) stripLit += (map.pixel(edge, i) != kBlackRgb) + (map.pixel(i, edge) != kBlackRgb);
      lit += map.pixel(i % 498, (i * 7) % 498) != kBlackRgb;
    }
    EXPECT_EQ(stripLit, 0);
    EXPECT_EQ(lit, 500) << "every sample of the 498 px square is lit below 400 dB";
  }

  // Contrast: below MaxLoss white, at or above it the grey of 40 % lightness.
  setField(f, "CoverageResolution", 10);
  setField(f, "MaxLoss", 150);
  setField(f, "MinLoss", 140);
  find<QCheckBox>(f, "MAX_CONTRAST")->setChecked(true);
  plot(f);
  {
    const QImage& map = picture(f);
    const QRgb grey40 = qRgb(102, 102, 102);  // trunc(0.4 x 255 + 0.5)
    int white = 0, grey = 0, other = 0;
    for (int x = 0; x < 500; ++x)
      for (int y = 0; y < 500; ++y) {
        if (inMarker(x, y)) continue;
        const QRgb c = map.pixel(x, y);
        (c == kWhiteRgb ? white : c == grey40 ? grey : other)++;
      }
    EXPECT_EQ(other, 0);
    EXPECT_GT(white, 0);
    EXPECT_GT(grey, 0);
  }

  // Equal bounds without contrast: every point white.
  find<QCheckBox>(f, "MAX_CONTRAST")->setChecked(false);
  setField(f, "MaxLoss", 150);
  setField(f, "MinLoss", 150);
  plot(f);
  {
    const QImage& map = picture(f);
    int notWhite = 0;
    for (int x = 0; x < 500; ++x)
      for (int y = 0; y < 500; ++y) notWhite += !inMarker(x, y) && map.pixel(x, y) != kWhiteRgb;
    EXPECT_EQ(notWhite, 0);
  }
}

// Abort halfway: the columns done stay, the rest stays as the new empty
// (black) picture, and the style's scale and the mark are still drawn.
TEST_F(CoveragePageTest, AbortHalfwayKeepsTheDoneColumns) {
  auto form = startOnTiles();
  SKIP_WITHOUT_TILES(form);
  TMainForm& f = *form;
  QTest::mouseClick(find<QRadioButton>(f, "Monochrome"), Qt::LeftButton);
  setField(f, "CoverageResolution", 2);
  setField(f, "MaxLoss", 400);
  setField(f, "MinLoss", 0);
  QSignalSpy done(&page(f), &TCoveragePage::plotFinished);
  click(f, "PlotCoverage");
  ASSERT_TRUE(page(f).plotting());
  waitForPoints(f, 250 * 250 / 3);
  ASSERT_TRUE(page(f).plotting()) << "the plot ended before it could be aborted";
  const QImage growing = picture(f);
  click(f, "Abort");
  ASSERT_TRUE(done.wait(60000));

  const tarnvale::CoverageValues& v = page(f).values();
  EXPECT_TRUE(v.cancelled);
  EXPECT_GT(v.columnsDone(), 0);
  EXPECT_LT(v.columnsDone(), 250);
  // The picture grew while the plot ran.
  EXPECT_NE(growing.pixel(1, 1), kBlackRgb);
  const QImage& map = picture(f);
  int doneColumns = 0, emptyColumns = 0;
  for (int j = 0; j < 250; ++j) {
    bool anyComputed = false;
    for (int k = 0; k < 250; ++k) anyComputed |= v.state[v.index(j, k)] != tarnvale::PointState::NotComputed;
    int lit = 0;
    for (int y = 0; y < 500; ++y) lit += !inMarker(2 * j, y) && map.pixel(2 * j, y) != kBlackRgb;
    if (v.columnDone[static_cast<size_t>(j)]) {
      ++doneColumns;
      EXPECT_EQ(lit, 500 - (inMarker(2 * j, 250) ? 11 : 0)) << "column " << j;
    } else if (!anyComputed) {
      ++emptyColumns;
      EXPECT_EQ(lit, 0) << "column " << j;
    }
  }
  EXPECT_EQ(doneColumns, v.columnsDone());
  EXPECT_GT(emptyColumns, 0);
  EXPECT_EQ(map.pixel(250, 250), rgb(tarnvale::kRed));
  EXPECT_TRUE(find<TImage>(f, "ColourScale")->isVisible());
  EXPECT_EQ(text(f, "ScaleMin"), "0.0 dB");
  EXPECT_EQ(text(f, "ScaleMax"), "400.0 dB");
  EXPECT_TRUE(find<QPushButton>(f, "PlotCoverage")->isEnabled());
}

// While a plot runs Calculate is refused with a message in the status bar;
// leaving the page stops the plot, which still draws what it has.
TEST_F(CoveragePageTest, CalculateIsRefusedWhilePlottingAndLeavingThePageAborts) {
  auto form = startOnTiles();
  SKIP_WITHOUT_TILES(form);
  TMainForm& f = *form;
  setField(f, "CoverageResolution", 2);
  QSignalSpy done(&page(f), &TCoveragePage::plotFinished);
  click(f, "PlotCoverage");
  waitForPoints(f, 1);
  ASSERT_TRUE(page(f).plotting());
  EXPECT_TRUE(f.plotRunning());
  const QString before = text(f, "OverallLoss");
  f.Calculate();
  EXPECT_TRUE(f.statusBar()->currentMessage().startsWith("Plot Coverage is running"));
  EXPECT_EQ(text(f, "OverallLoss"), before);

  selectPage(f, "InputData");
  EXPECT_TRUE(f.session().abortRequested);
  ASSERT_TRUE(done.wait(60000));
  EXPECT_TRUE(page(f).values().cancelled);
  EXPECT_LT(page(f).values().columnsDone(), 250);
  EXPECT_FALSE(f.plotRunning());
  click(f, "CalculateBtn");
  EXPECT_FALSE(f.session().abortRequested);
}

// The window's thread only shows what the workers computed: a timer firing
// every 20 ms never waits more than 100 ms while a plot runs, and no stretch
// of event handling lasts that long. This machine's own delay (the same timer
// with nothing running, as long as the plot takes) is allowed on top of the
// timer's wait, so that a loaded build machine does not count as a stall.
TEST_F(CoveragePageTest, EventLoopKeepsTurningDuringAPlot) {
  auto form = startOnTiles();
  SKIP_WITHOUT_TILES(form);
  TMainForm& f = *form;
  setField(f, "CoverageResolution", 2);
  constexpr qint64 kStallMs = 100;

  QElapsedTimer clock;
  clock.start();
  qint64 last = -1, longestWait = 0, awake = 0, longestBusy = 0;
  int ticks = 0;
  QTimer timer;
  timer.setInterval(20);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    if (last >= 0) longestWait = std::max(longestWait, now - last);
    last = now;
    ++ticks;
  });
  auto* dispatcher = QAbstractEventDispatcher::instance();
  // The timer is the connections' context: they end with this test.
  QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, &timer, [&] { awake = clock.elapsed(); });
  QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &timer,
                   [&] { longestBusy = std::max(longestBusy, clock.elapsed() - awake); });

  QSignalSpy done(&page(f), &TCoveragePage::plotFinished);
  timer.start();
  const qint64 plotStart = clock.elapsed();
  click(f, "PlotCoverage");
  ASSERT_TRUE(done.wait(120000));
  const qint64 plotMs = clock.elapsed() - plotStart;
  const qint64 plotWait = longestWait, plotBusy = longestBusy;
  EXPECT_GT(ticks, 5);

  // The same timer with nothing running, for as long as the plot took.
  last = -1;
  longestWait = 0;
  QTest::qWait(static_cast<int>(std::min<qint64>(plotMs, 10000)));
  timer.stop();
  const qint64 machineDelay = std::max<qint64>(0, longestWait - 20);
  RecordProperty("plotMs", static_cast<int>(plotMs));
  RecordProperty("longestWaitMs", static_cast<int>(plotWait));
  RecordProperty("longestBusyMs", static_cast<int>(plotBusy));
  RecordProperty("idleMachineDelayMs", static_cast<int>(machineDelay));
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizers slow every allocation several times over: the stalls are
  // measured in the optimised build; here the loop need only keep turning.
  (void)kStallMs;
#else
  EXPECT_LT(plotBusy, kStallMs) << "ms of event handling in one stretch";
  EXPECT_LT(plotWait, kStallMs + machineDelay)
      << "ms between two timer events; the idle machine alone delayed them by " << machineDelay << " ms";
#endif
}

TEST_F(CoveragePageTest, DoubleClickCopiesThePicture) {
  auto form = startOnTiles();
  SKIP_WITHOUT_TILES(form);
  TMainForm& f = *form;
  setField(f, "CoverageResolution", 16);
  plot(f);
  QTest::mouseDClick(page(f).coverageMap(), Qt::LeftButton);
  ASSERT_NE(dialogs_.clipboard, nullptr);
  EXPECT_EQ(qvariant_cast<QImage>(dialogs_.clipboard->imageData()).convertToFormat(QImage::Format_RGB888),
            picture(f));
  ASSERT_FALSE(dialogs_.informations.empty());
  EXPECT_EQ(dialogs_.informations.back(), "Image copied to clipboard");
}

// The page's finished picture is the command line's, pixel for pixel, for the
// same transmitter, inputs, N0 and delta-N (the pair the last profile run
// left), in each style.
TEST_F(CoveragePageTest, PictureEqualsTheCommandLines) {
  // The climate maps in the working directory: the profile run then leaves
  // the mid-path pair, which differs from the command line's own choice.
  const auto climate = tarnvale::test::SharedData() / "climate";
  if (std::filesystem::exists(climate / "n0.txt"))
    for (const char* name : {"n0.txt", "dn.txt"}) std::filesystem::copy_file(climate / name, dir_ / name);
  auto form = startOnTiles();
  SKIP_WITHOUT_TILES(form);
  TMainForm& f = *form;
  if (std::filesystem::exists(climate / "n0.txt")) {
    EXPECT_NE(f.session().driver.fallbackN0, 320.0);
  }
  struct Case {
    const char* radio;
    const char* style;
    int resolution;
    bool contrast;
  };
  for (const Case c : {Case{"CoverageTerrain", "terrain", 4, false}, Case{"Monochrome", "mono", 8, true},
                       Case{"Colourfull", "colour", 8, false}}) {
    SCOPED_TRACE(c.style);
    QTest::mouseClick(find<QRadioButton>(f, c.radio), Qt::LeftButton);
    find<QCheckBox>(f, "MAX_CONTRAST")->setChecked(c.contrast);
    setField(f, "CoverageResolution", c.resolution);
    plot(f);

    const auto field = [&f](const char* name) { return find<QLineEdit>(f, name)->text().toStdString(); };
    const auto exact = [](double v) { return QString::number(v, 'g', 17).toStdString(); };
    const std::string out = (dir_ / (std::string(c.style) + ".png")).string();
    std::vector<std::string> args = {"coverage", "--tx", field("StartLoc"), "--format", "loc",
                                     "--terrain", (dir_ / "tiles").string(),
                                     "--freq", field("FREQ"), "--percent", field("Percent"),
                                     "--tx-height", field("TX_H"), "--rx-height", field("RX_H"),
                                     "--temperature", field("TEMPERATURE"), "--pressure", field("PRESSURE"),
                                     "--humidity", field("RH"),
                                     "--n0", exact(f.session().driver.fallbackN0),
                                     "--delta-n", exact(f.session().driver.fallbackDeltaN),
                                     "--resolution", std::to_string(c.resolution), "--style", c.style,
                                     "--out", out};
    if (c.contrast) args.push_back("--contrast");
    const tarnvale::test::CliResult cli = tarnvale::test::RunCli(args);
    ASSERT_EQ(cli.status, 0) << cli.err;
    const QImage fromCli = QImage(QString::fromStdString(out)).convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(fromCli.size(), QSize(500, 500));
    EXPECT_TRUE(fromCli == picture(f));
  }
}

// A map of received power through the Link Budget page's antenna: the scale's
// fields and labels in dBm, and the command line's picture for the same inputs.
TEST_F(CoveragePageTest, PowerMapInDbmEqualsTheCommandLines) {
  auto form = startOnTiles();
  SKIP_WITHOUT_TILES(form);
  TMainForm& f = *form;
  const std::string panel = TARNVALE_LINK_TEST_DATA "/panel65-t6.msi";
  dialogs_.openAnswer = QString::fromStdString(panel);
  click(f, "TxPatternBrowse");
  setField(f, "TxAzimuth", 30);
  auto* quantity = find<QComboBox>(f, "CoverageQuantity");
  quantity->setCurrentIndex(1);
  EXPECT_EQ(quantity->currentText(), "Received power (dBm)");
  EXPECT_EQ(text(f, "MaxLossCaption"), "Maximum (dBm)");
  EXPECT_EQ(text(f, "MinLossCaption"), "Minimum (dBm)");
  EXPECT_EQ(find<TNumEdit>(f, "MaxLoss")->text(), "-40");
  EXPECT_EQ(find<TNumEdit>(f, "MinLoss")->text(), "-120");
  EXPECT_EQ(find<TNumEdit>(f, "MinLoss")->minValue(), -250);
  QTest::mouseClick(find<QRadioButton>(f, "Colourfull"), Qt::LeftButton);
  setField(f, "CoverageResolution", 10);
  plot(f);
  EXPECT_EQ(text(f, "ScaleMin"), "-40.0 dBm");
  EXPECT_EQ(text(f, "ScaleMax"), "-120.0 dBm");
  EXPECT_EQ(page(f).values().quantity.size(), page(f).values().loss.size());

  const auto fieldText = [&f](const char* name) { return find<QLineEdit>(f, name)->text().toStdString(); };
  const auto exact = [](double v) { return QString::number(v, 'g', 17).toStdString(); };
  const std::string out = (dir_ / "power.png").string();
  const tarnvale::test::CliResult cli = tarnvale::test::RunCli(
      {"coverage", "--tx", fieldText("StartLoc"), "--format", "loc", "--terrain", (dir_ / "tiles").string(),
       "--n0", exact(f.session().driver.fallbackN0), "--delta-n", exact(f.session().driver.fallbackDeltaN),
       "--resolution", "10", "--style", "colour", "--quantity", "power", "--pattern", panel, "--azimuth", "30",
       "--out", out});
  ASSERT_EQ(cli.status, 0) << cli.err;
  EXPECT_TRUE(QImage(QString::fromStdString(out)).convertToFormat(QImage::Format_RGB888) == picture(f));

  // Back to the loss: the fields as they started.
  quantity->setCurrentIndex(0);
  EXPECT_EQ(text(f, "MaxLossCaption"), "Maximum Loss");
  EXPECT_EQ(find<TNumEdit>(f, "MaxLoss")->text(), "200");
  EXPECT_EQ(find<TNumEdit>(f, "MinLoss")->minValue(), 0);
}

// The right-click menu's exports write the picture, the losses and the overlay.
TEST_F(CoveragePageTest, SavesPngGeoTiffAndKml) {
  auto form = startOnTiles();
  SKIP_WITHOUT_TILES(form);
  TMainForm& f = *form;
  TCoveragePage& p = page(f);
  dialogs_.saveAnswer = QString::fromStdString((dir_ / "before.png").string());
  p.SavePng();
  EXPECT_TRUE(dialogs_.proposedNames.empty()) << "nothing to save before a plot";

  setField(f, "CoverageResolution", 16);
  plot(f);
  dialogs_.saveAnswer = QString::fromStdString((dir_ / "map.png").string());
  p.SavePng();
  EXPECT_EQ(QImage(dialogs_.saveAnswer).convertToFormat(QImage::Format_RGB888), picture(f));

  dialogs_.saveAnswer = QString::fromStdString((dir_ / "loss.tif").string());
  p.SaveGeoTiff();
  std::ifstream tiff(dir_ / "loss.tif", std::ios::binary);
  char magic[4] = {};
  tiff.read(magic, 4);
  EXPECT_TRUE((magic[0] == 'I' && magic[1] == 'I') || (magic[0] == 'M' && magic[1] == 'M'));

  dialogs_.saveAnswer = QString::fromStdString((dir_ / "overlay.kml").string());
  p.SaveKml();
  std::ifstream kml(dir_ / "overlay.kml");
  const std::string text((std::istreambuf_iterator<char>(kml)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("<GroundOverlay>"), std::string::npos);
  EXPECT_NE(text.find("<href>overlay.png</href>"), std::string::npos);
  EXPECT_EQ(QImage(QString::fromStdString((dir_ / "overlay.png").string())).convertToFormat(QImage::Format_RGB888),
            picture(f));
  EXPECT_NE(text.find("<href>overlay-legend.png</href>"), std::string::npos);  // the scale as its legend
  EXPECT_FALSE(QImage(QString::fromStdString((dir_ / "overlay-legend.png").string())).isNull());
  EXPECT_EQ(dialogs_.proposedNames,
            (std::vector<QString>{"coverage.png", "coverage.tif", "coverage.kml"}));
  EXPECT_TRUE(dialogs_.errors.empty());
}
