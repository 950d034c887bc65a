// The main window through its real widgets, offscreen.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextBrowser>
#include <QTextCursor>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/Profile.h"
#include "app/Widgets.h"
#include "settings/SettingsRecord.h"
#include "tests/app/WindowFixture.h"
#include "widgets/Numedit.h"

using tarnvale::ui::TMainForm;
using tarnvale::ui::TNumEdit;
namespace fs = std::filesystem;

namespace {

/// The main window's own tests start on the shared tiles where present.
class MainFormTest : public tarnvale::test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    useSharedTiles();
  }
};

}  // namespace

TEST_F(MainFormTest, FirstStartShowsTheDefaultsAndCalculates) {
  auto form = start();
  TMainForm& f = *form;
  EXPECT_EQ(f.windowTitle(), "Tarnvale");
  // No tiles in the working directory: the terrain directory is asked for.
  ASSERT_EQ(dialogs_.directoryTitles.size(), 1u);
  EXPECT_EQ(dialogs_.directoryTitles[0], "Please select directory containing terrain data");
  EXPECT_TRUE(find<QRadioButton>(f, "LOC")->isChecked());
  EXPECT_TRUE(find<QRadioButton>(f, "Metric")->isChecked());
  EXPECT_EQ(field(f, "EndLoc"), "IO91JO26");
  EXPECT_EQ(field(f, "StartLoc").size(), 8);
  EXPECT_EQ(field(f, "RH"), "40");
  EXPECT_EQ(field(f, "TX_H"), "10.0");
  EXPECT_EQ(field(f, "RX_H"), "10.0");
  EXPECT_EQ(field(f, "FREQ"), "10.368");
  EXPECT_EQ(field(f, "TEMPERATURE"), "20.0");
  EXPECT_EQ(field(f, "PRESSURE"), "1000.0");
  EXPECT_EQ(field(f, "Percent"), "50");
  EXPECT_FALSE(find<QCheckBox>(f, "ForcedKFactor")->isChecked());
  EXPECT_FALSE(find<QCheckBox>(f, "INTERPOLATE")->isChecked());
  EXPECT_TRUE(find<QLineEdit>(f, "Range")->isReadOnly());
  EXPECT_FALSE(find<QLineEdit>(f, "EndLoc")->isReadOnly());
  // The first Calculate fills every result.
  EXPECT_TRUE(text(f, "StartHeight").startsWith("TX "));
  EXPECT_TRUE(text(f, "EndHeight").startsWith("RX "));
  EXPECT_TRUE(text(f, "GasLoss").startsWith("Gaseous Loss ")) << text(f, "GasLoss").toStdString();
  EXPECT_TRUE(text(f, "FSLoss").startsWith("Line of sight loss "));
  EXPECT_TRUE(text(f, "DiffLoss").startsWith("Diffraction path loss "));
  EXPECT_TRUE(text(f, "TropoLoss").startsWith("Troposcatter path loss "));
  EXPECT_TRUE(text(f, "DuctLoss").startsWith("Ducting path loss "));
  EXPECT_TRUE(text(f, "OverallLoss").endsWith(" dB"));
  EXPECT_TRUE(text(f, "RHO").endsWith(" g/m3"));
  EXPECT_EQ(text(f, "RHO"), "6.9 g/m3");  // 40 % at 20 C
  EXPECT_TRUE(text(f, "PLEN").endsWith(" km"));
  EXPECT_FALSE(text(f, "BETA0").isEmpty());
  EXPECT_FALSE(find<QLabel>(f, "InvalidPath")->isVisible());
  EXPECT_EQ(find<QLabel>(f, "RangeUnitLabel")->text(), "km");
  EXPECT_GT(find<QListWidget>(f, "Profile")->count(), 100);
  EXPECT_EQ(find<QListWidget>(f, "Profile")->item(0)->text(), "meters");
  auto* chart = find<tarnvale::ui::TProfileChart>(f, "Chart1");
  EXPECT_EQ(chart->terrainLine()->count(), find<QListWidget>(f, "Profile")->count() - 1);
  // Fonts are present: text would otherwise draw as empty boxes.
  EXPECT_TRUE(QFontMetrics(f.font()).inFont(QChar('A')));
}

TEST_F(MainFormTest, InvalidTransmitterLeavesTheOtherOutputs) {
  auto form = start();
  TMainForm& f = *form;
  const QString overall = text(f, "OverallLoss"), gas = text(f, "GasLoss");
  const int rows = find<QListWidget>(f, "Profile")->count();
  find<QLineEdit>(f, "StartLoc")->setText("ZZ99");
  click(f, "CalculateBtn");
  EXPECT_EQ(text(f, "StartHeight"), "Invalid TX Locator");
  EXPECT_TRUE(text(f, "EndHeight").startsWith("RX "));
  EXPECT_EQ(text(f, "OverallLoss"), overall);
  EXPECT_EQ(text(f, "GasLoss"), gas);
  EXPECT_EQ(find<QListWidget>(f, "Profile")->count(), rows);
}

TEST_F(MainFormTest, ImperialUnits) {
  auto form = start();
  TMainForm& f = *form;
  click(f, "Imperial");
  EXPECT_EQ(find<QLabel>(f, "RangeUnitLabel")->text(), "mls");
  EXPECT_TRUE(text(f, "StartHeight").endsWith(" ft") || text(f, "StartHeight").endsWith("Sea or missing data"));
  EXPECT_EQ(find<QListWidget>(f, "Profile")->item(0)->text(), "Range (m)  Height (ft)");
  EXPECT_TRUE(find<QListWidget>(f, "Profile")->item(1)->text().startsWith("0.00          "));
  auto* chart = find<tarnvale::ui::TProfileChart>(f, "Chart1");
  EXPECT_EQ(chart->leftAxis()->titleText(), "Height (ft)");
  EXPECT_EQ(chart->bottomAxis()->titleText(), "Range (miles)");
  // The path is the same; only its display changed.
  EXPECT_TRUE(text(f, "PLEN").endsWith(" km"));
}

TEST_F(MainFormTest, PathTooShortKeepsThePreviousResults) {
  auto form = start();
  TMainForm& f = *form;
  const QString overall = text(f, "OverallLoss");
  click(f, "DEG");
  find<QLineEdit>(f, "StartLoc")->setText("51.000 N 1.000 W");
  find<QLineEdit>(f, "EndLoc")->setText("51.00045 N 1.000 W");  // 0.05 km
  click(f, "CalculateBtn");
  EXPECT_TRUE(find<QLabel>(f, "InvalidPath")->isVisible());
  EXPECT_EQ(find<QLabel>(f, "InvalidPath")->text(), "Path too short");
  EXPECT_EQ(text(f, "OverallLoss"), overall);
  find<QLineEdit>(f, "EndLoc")->setText("51.100 N 1.000 W");
  click(f, "CalculateBtn");
  EXPECT_FALSE(find<QLabel>(f, "InvalidPath")->isVisible());
  EXPECT_NE(text(f, "OverallLoss"), overall);
}

TEST_F(MainFormTest, SavedSettingsRestoreDmsAndBothFullLocations) {
  QString startText, endText;
  {
    auto form = start();
    TMainForm& f = *form;
    click(f, "DMS");
    startText = field(f, "StartLoc");
    endText = field(f, "EndLoc");
    ASSERT_GT(startText.size(), 19);  // longer than the record's field
    click(f, "SaveInitButton");
  }
  std::ifstream in(dir_ / "profile.ini", std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GE(bytes.size(), 392u);
  EXPECT_EQ(bytes[300], 3);
  auto form = start();
  TMainForm& f = *form;
  EXPECT_TRUE(find<QRadioButton>(f, "DMS")->isChecked());
  EXPECT_EQ(field(f, "StartLoc"), startText);
  EXPECT_EQ(field(f, "EndLoc"), endText);
  EXPECT_EQ(f.terrainDirectory().toStdString(), terrain_ + "/");
  // A saved directory holding tiles is used without asking again.
  if (tarnvale::Session::HasTerrainTiles(terrain_)) {
    EXPECT_EQ(dialogs_.directoryTitles.size(), 1u);
  }
}

TEST_F(MainFormTest, UnknownStoredFormatMakesBothLocationsInvalid) {
  tarnvale::SettingsRecord record;
  record.terrainDirectory = terrain_ + "/";
  record.startLoc = "SU374616";
  record.endLoc = "IO91JO26";
  record.inputFormat = 7;
  ASSERT_TRUE(tarnvale::SaveSettingsFile((dir_ / "profile.ini").string(), record));
  auto form = start();
  TMainForm& f = *form;
  EXPECT_TRUE(find<QRadioButton>(f, "NGR")->isChecked());  // the buttons stay as the form has them
  EXPECT_EQ(text(f, "StartHeight"), "Invalid TX Locator");
  EXPECT_EQ(text(f, "EndHeight"), "Invalid RX Locator");
}

TEST_F(MainFormTest, TypedRangeReadsBackUnchanged) {
  auto form = start();
  TMainForm& f = *form;
  QTest::mouseClick(find<QWidget>(f, "Panel1"), Qt::LeftButton);
  EXPECT_FALSE(find<QLineEdit>(f, "Range")->isReadOnly());
  EXPECT_TRUE(find<QLineEdit>(f, "EndLoc")->isReadOnly());
  find<TNumEdit>(f, "Range")->setText("1000");
  find<TNumEdit>(f, "Bearing")->setText("90");
  click(f, "CalculateBtn");
  EXPECT_EQ(field(f, "Range"), "1000.0");
  click(f, "CalculateBtn");
  EXPECT_EQ(field(f, "Range"), "1000.0");
  EXPECT_EQ(field(f, "Bearing"), "90.0");
  // Imperial: the typed number is miles.
  click(f, "Imperial");
  find<TNumEdit>(f, "Range")->setText("10");
  click(f, "CalculateBtn");
  EXPECT_EQ(field(f, "Range"), "10.0");
  EXPECT_EQ(text(f, "PLEN"), "16.1 km");
}

TEST_F(MainFormTest, ProfileTableSavedTwiceProposesThePreviousName) {
  auto form = start();
  TMainForm& f = *form;
  auto* list = find<QListWidget>(f, "Profile");
  find<QTabWidget>(f, "PageControl1")->setCurrentIndex(2);
  const QString first = QString::fromStdString((dir_ / "first.dat").string());
  dialogs_.saveAnswer = first;
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
  ASSERT_EQ(dialogs_.proposedNames.size(), 1u);
  EXPECT_EQ(dialogs_.proposedNames[0], "profile.dat");
  QFile saved(first);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  const QByteArray content = saved.readAll();
  EXPECT_TRUE(content.startsWith("meters\r\n0, "));
  EXPECT_TRUE(content.endsWith("\r\n\n"));
  EXPECT_EQ(content.count("\r\n"), list->count());
  dialogs_.saveAnswer.clear();  // cancelled: nothing written
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
  ASSERT_EQ(dialogs_.proposedNames.size(), 2u);
  EXPECT_EQ(dialogs_.proposedNames[1], first);
}

TEST_F(MainFormTest, ChartCopiedToTheClipboard) {
  auto form = start();
  TMainForm& f = *form;
  auto* chart = find<tarnvale::ui::TProfileChart>(f, "Chart1");
  QTest::mouseDClick(chart->viewport(), Qt::LeftButton);
  ASSERT_TRUE(dialogs_.clipboard);
  EXPECT_TRUE(dialogs_.clipboard->hasImage());
  EXPECT_TRUE(dialogs_.clipboard->data("image/svg+xml").contains("<svg"));
  ASSERT_EQ(dialogs_.informations.size(), 1u);
  EXPECT_EQ(dialogs_.informations[0], "Chart copied to Clipboard");
}

TEST_F(MainFormTest, FirstStartComputesTheDefaultLinkOnTheShippedSample) {
  // The sample folder of the source tree: the tile and zone map that ship,
  // no climate maps; the working directory holds nothing.
  const fs::path sample = TARNVALE_SAMPLE_DIR;
  auto form = start(sample);
  TMainForm& f = *form;
  EXPECT_TRUE(dialogs_.directoryTitles.empty()) << "no folder is asked for";
  EXPECT_EQ(f.terrainDirectory(), QString::fromStdString(fs::weakly_canonical(sample).string()) + "/");
  // The transmitter as its 8-character locator shows it (IO91GI44).
  EXPECT_EQ(text(f, "StartHeight"), "TX ASL 286 m");
  EXPECT_EQ(text(f, "EndHeight"), "RX ASL 50 m");
  EXPECT_TRUE(text(f, "OverallLoss").startsWith("Overall path loss ")) << text(f, "OverallLoss").toStdString();
  EXPECT_TRUE(text(f, "OverallLoss").endsWith(" dB"));
  // Without the climate maps the program says which values it used.
  const QString status = QString::fromUtf8("No radio-climate maps found: N0 320 and \u0394N 45 used");
  EXPECT_TRUE(find<QLabel>(f, "ClimateStatus")->isVisibleTo(&f));
  EXPECT_EQ(text(f, "ClimateStatus"), status);
  EXPECT_EQ(text(f, "PathClimateStatus"), status);
  auto* chart = find<tarnvale::ui::TProfileChart>(f, "Chart1");
  EXPECT_GT(chart->terrainLine()->count(), 600);
  EXPECT_TRUE(chart->leftAxis()->labelsVisible());
}

TEST(ProfileChart, BeforeAFirstPathAnEmptyFrameInTheWindowsColours) {
  // Nothing measured yet: no made-up height labels.
  tarnvale::ui::TProfileChart chart;
  chart.resize(600, 300);
  EXPECT_FALSE(chart.leftAxis()->labelsVisible());
  EXPECT_FALSE(chart.bottomAxis()->labelsVisible());
  // A dark theme gives a dark chart whose labels and line of sight read on it.
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(30, 30, 30));
  dark.setColor(QPalette::Base, QColor(20, 20, 20));
  dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
  dark.setColor(QPalette::Text, QColor(240, 240, 240));
  chart.setPalette(dark);
  EXPECT_EQ(chart.chart()->backgroundBrush().color(), QColor(30, 30, 30));
  EXPECT_EQ(chart.chart()->plotAreaBackgroundBrush().color(), QColor(20, 20, 20));
  EXPECT_EQ(chart.leftAxis()->labelsColor(), QColor(230, 230, 230));
  EXPECT_EQ(chart.losLine()->pen().color(), QColor(240, 240, 240));
  tarnvale::ProfileChartData data;
  data.x = {0.0, 1.0, 2.0};
  data.terrain = data.bulge = data.lineOfSight = data.fresnelAbove = data.fresnelBelow = {100.0, 120.0, 90.0};
  data.leftMinimum = 0.0;
  data.leftMaximum = 200.0;
  chart.show(data);
  EXPECT_TRUE(chart.leftAxis()->labelsVisible());
  EXPECT_TRUE(chart.bottomAxis()->labelsVisible());
}

TEST_F(MainFormTest, F1OpensTheHelpAtThePageShown) {
  auto form = start();
  TMainForm& f = *form;
  auto* pages = find<QTabWidget>(f, "PageControl1");
  const struct {
    const char* page;
    const char* heading;
  } cases[] = {{"InputData", "Input Data page"},
               {"TabSheet1", "Radio Refractivity Data page"},
               {"Coverage", "Area Coverage page"},
               {"Mechanisms", "Mechanisms page"}};
  for (const auto& c : cases) {
    pages->setCurrentWidget(find<QWidget>(f, c.page));
    QTest::keyClick(&f, Qt::Key_F1);
    auto* help = f.findChild<QTextBrowser*>("HelpWindow");
    ASSERT_NE(help, nullptr) << c.page;
    EXPECT_TRUE(help->isVisible());
    // The section's heading is in view (at the top, where the text below it is long enough).
    const QTextCursor heading = help->document()->find(QString::fromLatin1(c.heading), 
                                                       help->document()->find(QStringLiteral("Saving your inputs")));
    ASSERT_FALSE(heading.isNull()) << c.heading;
    const QRect where = help->cursorRect(heading);
    EXPECT_TRUE(help->viewport()->rect().contains(where)) << c.page;
    const QTextCursor top = help->cursorForPosition(QPoint(4, 4));
    EXPECT_LE(top.position(), heading.position()) << c.page;
    help->close();
  }
}

TEST_F(MainFormTest, OptionsHelpAndAbout) {
  auto form = start();
  TMainForm& f = *form;
  // Fixed K factor turns the field red at once.
  click(f, "ForcedKFactor");
  EXPECT_EQ(find<QLineEdit>(f, "K_FACT")->palette().color(QPalette::Base), QColor(255, 0, 0));
  // A new format re-expresses the last calculated ends, not what was typed.
  find<QLineEdit>(f, "EndLoc")->setText("IO92");
  click(f, "NGR");
  EXPECT_TRUE(field(f, "EndLoc").startsWith("SU"));
  EXPECT_EQ(field(f, "EndLoc").size(), 10);

  f.findChild<QAction*>("Help1")->trigger();
  auto* help = qApp->findChild<QTextBrowser*>("HelpWindow");
  if (!help)
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == "HelpWindow") help = qobject_cast<QTextBrowser*>(w);
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_TRUE(help->toPlainText().contains("Contents"));
  help->close();

  f.findChild<QAction*>("About1")->trigger();
  auto* about = f.findChild<QWidget*>("About");
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isVisible());
  QTest::mouseClick(about->findChild<QPushButton*>("Close"), Qt::LeftButton);
  EXPECT_FALSE(about->isVisible());
}

TEST_F(MainFormTest, StatusBarNamesAMissingTileOnce) {
  // The chosen directory holds no tile for the default link.
  dialogs_.directoryAnswer = QString::fromStdString((dir_ / "terrain").string());
  auto form = start();
  TMainForm& f = *form;
  const QString expected = "Terrain tile n51w002.hgt is not in " +
                           QString::fromStdString((dir_ / "terrain").string()) + "/; heights there read as 0 m";
  EXPECT_EQ(f.statusBar()->currentMessage(), expected);
  f.statusBar()->clearMessage();
  click(f, "CalculateBtn");
  EXPECT_EQ(f.statusBar()->currentMessage(), "");
}
