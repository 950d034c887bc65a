// The Input Data page as a user drives it: restored ranges, unit switches,
// refused fields, failed saves, the keyboard, themes and locales.
#include <QCheckBox>
#include <QFile>
#include <QListWidget>
#include <QLocale>
#include <QPalette>
#include <QRadioButton>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "app/Widgets.h"
#include "settings/SettingsRecord.h"
#include "support/ReadOnlyDirectory.h"
#include "tests/app/WindowFixture.h"
#include "text/Format.h"
#include "widgets/Numedit.h"

namespace tarnvale::test {
namespace {

/// The Input Data page's tests start on the shared tiles where present.
class InputPageTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    haveTiles_ = useSharedTiles();
  }
  bool haveTiles_ = false;
};

using ui::TMainForm;
using ui::TNumEdit;

/// Every text a run changes, by control name.
std::map<std::string, QString> results(TMainForm& f) {
  std::map<std::string, QString> r;
  for (const char* name : {"StartHeight", "EndHeight", "GasLoss", "FSLoss", "DiffLoss", "TropoLoss", "DuctLoss",
                           "OverallLoss", "RHO", "PLEN", "BETA0", "SEAFRACTION", "RangeUnitLabel"})
    r[name] = f.findChild<QLabel*>(name)->text();
  for (const char* name : {"Range", "Bearing", "EndLoc", "K_FACT"}) r[name] = f.findChild<QLineEdit*>(name)->text();
  r["rows"] = QString::number(f.findChild<QListWidget*>("Profile")->count());
  return r;
}

std::string slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// A record with the receiver given by range and bearing from the default
/// transmitter (on the real tiles where they are present).
SettingsRecord rangeBearingRecord(const std::string& terrain, double range, bool metric) {
  SettingsRecord r;
  r.terrainDirectory = terrain + "/";
  r.metric = metric;
  r.inputFormat = 1;  // National Grid
  r.startLoc = "SU374616";
  r.endLoc = "SU474716";
  r.range = range;
  r.bearing = 45.0;
  r.endPointMode = 0;
  return r;
}

TEST_F(InputPageTest, RestoredRangeKeepsItsDecimalAndGivesItsPath) {
  const struct {
    double saved;
    bool metric;
    const char* range;  // as the field shows it, before and after the first run
    const char* plen;   // the path that range gives
  } cases[] = {
      {16.25, true, "16.3", "16.3 km"},
      {0.3, true, "0.3", "0.3 km"},     // not 0, below the field's minimum
      {16.25, false, "16.3", "26.2 km"},  // 16.3 miles
      {0.3, false, "0.3", "0.5 km"},    // 0.3 miles = 0.48 km
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.saved) + (c.metric ? " km" : " miles"));
    ASSERT_TRUE(SaveSettingsFile((dir_ / "profile.ini").string(), rangeBearingRecord(terrain_, c.saved, c.metric)));
    auto form = start();
    TMainForm& f = *form;
    EXPECT_TRUE(dialogs_.errors.empty()) << dialogs_.errors.front().toStdString();
    EXPECT_FALSE(find<QLineEdit>(f, "Range")->isReadOnly());
    EXPECT_EQ(field(f, "Range"), c.range);
    EXPECT_EQ(text(f, "RangeUnitLabel"), c.metric ? "km" : "mls");
    EXPECT_FALSE(find<QLabel>(f, "InvalidPath")->isVisible());
    EXPECT_EQ(text(f, "PLEN"), c.plen);
  }
}

TEST_F(InputPageTest, UnitSwitchKeepsThePathAndItsLosses) {
  ASSERT_TRUE(SaveSettingsFile((dir_ / "profile.ini").string(), rangeBearingRecord(terrain_, 16.25, true)));
  auto form = start();
  TMainForm& f = *form;
  find<TNumEdit>(f, "Range")->setText("16.25");
  click(f, "CalculateBtn");
  const auto metric = results(f);

  click(f, "Imperial");
  auto imperial = results(f);
  EXPECT_EQ(imperial.at("Range"), "10.1");  // 16.25 km in miles
  EXPECT_EQ(imperial.at("RangeUnitLabel"), "mls");
  for (const char* same : {"PLEN", "FSLoss", "DiffLoss", "TropoLoss", "DuctLoss", "OverallLoss", "GasLoss", "EndLoc",
                           "Bearing", "BETA0"})
    EXPECT_EQ(imperial.at(same), metric.at(same)) << same;

  click(f, "Metric");
  EXPECT_EQ(results(f), metric);  // and back again: the same path, shown as before

  // Clicking the checked button again is no change: no run, nothing converted.
  find<TNumEdit>(f, "Range")->setText("20.0");
  click(f, "Metric");
  EXPECT_EQ(field(f, "Range"), "20.0");
  EXPECT_EQ(text(f, "PLEN"), metric.at("PLEN"));
}

TEST_F(InputPageTest, ReclickingTheCheckedFormatKeepsTypedLocations) {
  auto form = start();
  TMainForm& f = *form;
  ASSERT_TRUE(find<QRadioButton>(f, "LOC")->isChecked());
  find<QLineEdit>(f, "EndLoc")->setText("IO92AA");
  click(f, "LOC");
  EXPECT_EQ(field(f, "EndLoc"), "IO92AA");
}

TEST_F(InputPageTest, NonNumericFieldStopsCalculateAndSave) {
  auto form = start();
  TMainForm& f = *form;
  const auto before = results(f);
  find<TNumEdit>(f, "TX_H")->setText("25");  // would change the losses, were the run to go on
  find<TNumEdit>(f, "FREQ")->setText("abc");
  click(f, "CalculateBtn");
  QCoreApplication::processEvents();
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_EQ(dialogs_.errors[0], "'abc' is not a valid numeric input.");
  EXPECT_TRUE(find<QWidget>(f, "FREQ")->hasFocus());
  EXPECT_EQ(find<QLineEdit>(f, "FREQ")->selectedText(), "abc");
  EXPECT_EQ(results(f), before);

  click(f, "SaveInitButton");
  QCoreApplication::processEvents();
  ASSERT_EQ(dialogs_.errors.size(), 2u);
  EXPECT_EQ(dialogs_.errors[1], "'abc' is not a valid numeric input.");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "profile.ini"));
}

TEST_F(InputPageTest, ClickOnCalculateWithAValueOutOfRangeShowsOneMessageAndDoesNotRun) {
  auto form = start();
  TMainForm& f = *form;
  const auto before = results(f);
  auto* freq = find<TNumEdit>(f, "FREQ");
  find<TNumEdit>(f, "TX_H")->setText("25");
  freq->setFocus();
  freq->selectAll();
  QTest::keyClicks(freq, "500");
  QTest::mouseClick(find<QAbstractButton>(f, "CalculateBtn"), Qt::LeftButton);
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  EXPECT_EQ(dialogs_.errors[0], "Value must be between 0.025 and 300");
  EXPECT_TRUE(freq->hasFocus());
  EXPECT_EQ(results(f), before);
}

TEST_F(InputPageTest, FailedSavesSayWhyAndKeepTheOldFile) {
  auto form = start();
  TMainForm& f = *form;
  click(f, "SaveInitButton");
  ASSERT_TRUE(dialogs_.errors.empty());
  const std::string oldSettings = slurp(dir_ / "profile.ini");
  ASSERT_FALSE(oldSettings.empty());
  std::ofstream(dir_ / "first.dat") << "old table";
  ReadOnlyDirectory::MakeReadOnly(dir_, {"profile.ini", "first.dat"});

  find<TNumEdit>(f, "FREQ")->setText("2.4");
  click(f, "SaveInitButton");
  ASSERT_EQ(dialogs_.errors.size(), 1u);
  const QString settingsPath = QString::fromStdString((dir_ / "profile.ini").string());
  EXPECT_TRUE(dialogs_.errors[0].startsWith("Could not save " + settingsPath + ": ")) << dialogs_.errors[0].toStdString();
  EXPECT_GT(dialogs_.errors[0].size(), ("Could not save " + settingsPath + ": ").size());
  EXPECT_EQ(slurp(dir_ / "profile.ini"), oldSettings);

  dialogs_.saveAnswer = QString::fromStdString((dir_ / "first.dat").string());
  find<QTabWidget>(f, "PageControl1")->setCurrentIndex(2);
  auto* list = find<QListWidget>(f, "Profile");
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
  ASSERT_EQ(dialogs_.errors.size(), 2u);
  EXPECT_TRUE(dialogs_.errors[1].startsWith("Could not save " + dialogs_.saveAnswer + ": "));
  EXPECT_EQ(slurp(dir_ / "first.dat"), "old table");
  ReadOnlyDirectory::MakeWritable(dir_);
}

TEST_F(InputPageTest, KeyboardUse) {
  auto form = start();
  TMainForm& f = *form;
  // The receiver mode from the keyboard: the panels take the focus and act on Space or Enter.
  auto* panel1 = find<QWidget>(f, "Panel1");
  panel1->setFocus();
  QTest::keyClick(panel1, Qt::Key_Space);
  EXPECT_FALSE(find<QLineEdit>(f, "Range")->isReadOnly());
  auto* panel2 = find<QWidget>(f, "Panel2");
  panel2->setFocus();
  QTest::keyClick(panel2, Qt::Key_Return);
  EXPECT_TRUE(find<QLineEdit>(f, "Range")->isReadOnly());

  // Enter in a location field runs Calculate.
  const QString plen = text(f, "PLEN");
  auto* endLoc = find<QLineEdit>(f, "EndLoc");
  endLoc->setFocus();
  endLoc->setText("IO91JN");
  QTest::keyClick(endLoc, Qt::Key_Return);
  EXPECT_NE(text(f, "PLEN"), plen);
  // Select all and undo in a location field.
  endLoc->end(false);
  QTest::keyClicks(endLoc, "x");  // typed in lower case, shown in capitals
  EXPECT_EQ(endLoc->text(), "IO91JNX");
  QTest::keySequence(endLoc, QKeySequence::Undo);
  EXPECT_EQ(endLoc->text(), "IO91JN");
  QTest::keySequence(endLoc, QKeySequence::SelectAll);
  EXPECT_EQ(endLoc->selectedText(), "IO91JN");

  // Up and Down walk the numeric fields in the page's order.
  auto* freq = find<TNumEdit>(f, "FREQ");
  freq->setFocus();
  QTest::keyClick(freq, Qt::Key_Down);
  EXPECT_TRUE(find<QWidget>(f, "TX_H")->hasFocus());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
  EXPECT_TRUE(freq->hasFocus());
  // Down from Bearing enters the format group at its checked button.
  panel1->setFocus();
  QTest::keyClick(panel1, Qt::Key_Space);
  auto* bearing = find<TNumEdit>(f, "Bearing");
  bearing->setFocus();
  QTest::keyClick(bearing, Qt::Key_Down);
  EXPECT_TRUE(find<QRadioButton>(f, "LOC")->hasFocus());

  // Ctrl+C on the chart copies it.
  auto* chart = find<QWidget>(f, "Chart1");
  chart->setFocus();
  QTest::keySequence(chart, QKeySequence::Copy);
  ASSERT_EQ(dialogs_.informations.size(), 1u);
  EXPECT_EQ(dialogs_.informations[0], "Chart copied to Clipboard");
  // Ctrl+S on the table saves it.
  find<QTabWidget>(f, "PageControl1")->setCurrentIndex(2);
  auto* list = find<QListWidget>(f, "Profile");
  list->setFocus();
  dialogs_.saveAnswer = QString::fromStdString((dir_ / "keys.dat").string());
  QTest::keySequence(list, QKeySequence::Save);
  ASSERT_EQ(dialogs_.proposedNames.size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "keys.dat"));
  EXPECT_TRUE(dialogs_.errors.empty());
}

TEST_F(InputPageTest, ProfileTableShowsFiveColumnsWhateverTheWidth) {
  auto form = start();
  TMainForm& f = *form;
  find<QTabWidget>(f, "PageControl1")->setCurrentIndex(2);
  auto* list = find<QListWidget>(f, "Profile");
  ASSERT_GT(list->count(), 100);
  for (int extra : {0, 400}) {
    f.resize(f.minimumSizeHint().width() + extra, f.height());
    QCoreApplication::processEvents();
    std::set<int> columns;
    const QRect view = list->viewport()->rect();
    for (int i = 0; i < list->count(); ++i) {
      const QRect r = list->visualItemRect(list->item(i));
      if (view.contains(r.topLeft()) && view.contains(r.bottomRight())) columns.insert(r.left());
    }
    EXPECT_EQ(columns.size(), 5u) << "window width " << f.width();
    // Lines run down the first column, then on to the next.
    EXPECT_EQ(list->visualItemRect(list->item(1)).left(), list->visualItemRect(list->item(0)).left());
  }
}

/// WCAG contrast ratio of two colours.
double contrast(const QColor& a, const QColor& b) {
  const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  const auto luminance = [&](const QColor& c) {
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette darkPalette() {
  QPalette p(QColor(53, 53, 53), QColor(42, 42, 42));  // button, window
  p.setColor(QPalette::WindowText, Qt::white);
  p.setColor(QPalette::Base, QColor(30, 30, 30));
  p.setColor(QPalette::Text, Qt::white);
  p.setColor(QPalette::ButtonText, Qt::white);
  p.setColor(QPalette::Disabled, QPalette::Text, QColor(110, 110, 110));
  return p;
}

TEST_F(InputPageTest, KFactorAndReceiverFieldsReadInADarkThemeAndFollowAThemeChange) {
  const QPalette light = QApplication::palette();
  auto form = start();
  TMainForm& f = *form;
  QTest::mouseClick(find<QWidget>(f, "Panel1"), Qt::LeftButton);  // receiver from range and bearing
  auto* kFactor = find<QLineEdit>(f, "K_FACT");
  auto* endLoc = find<QLineEdit>(f, "EndLoc");
  const QColor lightK = kFactor->palette().color(QPalette::Base);

  QApplication::setPalette(darkPalette());
  QCoreApplication::processEvents();
  for (QLineEdit* w : {kFactor, endLoc}) {
    const QPalette p = w->palette();
    EXPECT_GE(contrast(p.color(QPalette::Base), p.color(QPalette::Text)), 4.5) << w->objectName().toStdString();
    EXPECT_LT(p.color(QPalette::Base).lightnessF(), 0.5) << w->objectName().toStdString();  // dark, as the theme
  }
  EXPECT_NE(kFactor->palette().color(QPalette::Base), lightK);
  EXPECT_NE(kFactor->palette().color(QPalette::Base), find<QLineEdit>(f, "FREQ")->palette().color(QPalette::Base));
  // Fixed: red, with text that reads on it.
  click(f, "ForcedKFactor");
  EXPECT_EQ(kFactor->palette().color(QPalette::Base), QColor(255, 0, 0));
  EXPECT_GE(contrast(QColor(255, 0, 0), kFactor->palette().color(QPalette::Text)), 4.5);
  QApplication::setPalette(light);
}

TEST_F(InputPageTest, CommaDecimalLocaleInEveryField) {
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  {
    auto form = start();
    TMainForm& f = *form;
    EXPECT_EQ(field(f, "FREQ"), "10,368");
    EXPECT_EQ(field(f, "K_FACT").contains(','), true);
    EXPECT_TRUE(field(f, "Range").contains(',')) << field(f, "Range").toStdString();
    EXPECT_TRUE(field(f, "Bearing").contains(',')) << field(f, "Bearing").toStdString();
    QTest::mouseClick(find<QWidget>(f, "Panel1"), Qt::LeftButton);
    auto* range = find<TNumEdit>(f, "Range");
    range->setFocus();
    range->selectAll();
    QTest::keyClicks(range, "12,5");
    click(f, "CalculateBtn");
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs_.errors.empty());
    EXPECT_EQ(field(f, "Range"), "12,5");
    EXPECT_EQ(text(f, "PLEN"), "12.5 km");
  }
  QLocale::setDefault(previous);
}

TEST_F(InputPageTest, WindowFitsALaptopScreenAndRemembersItsPlace) {
  {
    auto form = start();
    const QSize minimum = form->minimumSizeHint();
    EXPECT_LE(minimum.width(), 1366);
    EXPECT_LE(minimum.height(), 768 - 70);  // title bar and task bar
    EXPECT_LE(form->width(), 1366);
    EXPECT_LE(form->height(), 768 - 70);
    form->setGeometry(40, 50, minimum.width() + 10, minimum.height() + 20);
    form->close();
  }
  auto form = start();
  EXPECT_EQ(form->width(), form->minimumSizeHint().width() + 10);
  EXPECT_EQ(form->height(), form->minimumSizeHint().height() + 20);
  EXPECT_EQ(form->geometry().topLeft(), QPoint(40, 50));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);  // the busy cursor of the first run is gone
}

}  // namespace
}  // namespace tarnvale::test
