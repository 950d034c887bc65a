// The Link Budget page through its real widgets, on the sample that ships:
// its inputs and the record they make, a pattern read and plotted, the
// budget of a Calculate against the command line's, copying a plot, and the
// record saved with the input data.
#include <QCheckBox>
#include <QComboBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QtCharts/QLineSeries>
#include <nlohmann/json.hpp>

#include <fstream>

#include "app/pages/LinkBudgetPage.h"
#include "app/pages/PatternChart.h"
#include "link/TextScan.h"
#include "session/LinkSetup.h"
#include "settings/SettingsRecord.h"
#include "tests/app/WindowFixture.h"
#include "tests/cli/RunCli.h"
#include "text/Format.h"
#include "widgets/Numedit.h"

using tarnvale::LinkRecord;
using tarnvale::ui::TLinkBudgetPage;
using tarnvale::ui::TMainForm;
using tarnvale::ui::TNumEdit;
using tarnvale::ui::TPatternChart;

namespace {

const QString kPanel = QStringLiteral(TARNVALE_LINK_TEST_DATA "/panel65-t6.msi");

class LinkBudgetPageTest : public tarnvale::test::WindowTest {
 protected:
  std::unique_ptr<TMainForm> startOnSample() {
    auto form = start(tarnvale::test::SampleData());
    selectPage(*form, "LinkBudget");
    return form;
  }
  static TLinkBudgetPage& page(TMainForm& f) { return *find<TLinkBudgetPage>(f, "LinkBudget"); }
  /// Types @p text into a field and leaves it, as the user does.
  static void type(TMainForm& f, const char* name, const QString& text) {
    auto* field = find<QLineEdit>(f, name);
    field->setText(text);
    emit field->editingFinished();
  }
  void loadPattern(TMainForm& f, const QString& file, const char* button = "TxPatternBrowse") {
    dialogs_.openAnswer = file;
    click(f, button);
  }
};

TEST_F(LinkBudgetPageTest, FieldsMakeTheRecord) {
  auto form = startOnSample();
  TMainForm& f = *form;
  // Power with its unit, shown both ways.
  type(f, "TxPower", QStringLiteral("10 W"));
  EXPECT_EQ(text(f, "TxPowerDbm"), "= 40.00 dBm");
  EXPECT_EQ(text(f, "TxPowerWatts"), "= 10 W");
  type(f, "TxPower", QStringLiteral("-3 dBW"));
  EXPECT_EQ(text(f, "TxPowerWatts"), "= 501.2 mW");
  type(f, "TxPower", QStringLiteral("10"));
  EXPECT_FALSE(page(f).checkFields(false));  // no unit
  type(f, "TxPower", QStringLiteral("10 W"));
  // A gain in dBd is kept in dBi; switching the unit re-expresses the field.
  find<QComboBox>(f, "TxGainUnit")->setCurrentIndex(1);
  find<TNumEdit>(f, "TxGain")->SetValue(11.85);
  EXPECT_NEAR(*page(f).record().tx.gainDbi, 14.0, 1e-12);
  find<QComboBox>(f, "TxGainUnit")->setCurrentIndex(0);
  EXPECT_EQ(find<TNumEdit>(f, "TxGain")->text(), "14");
  find<TNumEdit>(f, "TxFeederLoss")->SetValue(1.5);
  find<TNumEdit>(f, "TxAzimuth")->SetValue(45);
  find<TNumEdit>(f, "TxDowntilt")->SetValue(2);
  find<TNumEdit>(f, "Threshold")->SetValue(-95);
  ASSERT_TRUE(page(f).checkFields());
  LinkRecord r = page(f).record();
  EXPECT_EQ(r.powerDbm, 40.0);
  EXPECT_EQ(r.tx.feederLossDb, 1.5);
  EXPECT_EQ(r.tx.azimuthDeg, 45.0);
  EXPECT_EQ(r.tx.downtiltDeg, 2.0);
  EXPECT_EQ(r.rxThresholdDbm, -95.0);
  EXPECT_TRUE(r.rxPointsAtTx);
  // The receiving antenna's own aim counts only when it does not point at the transmitter.
  EXPECT_FALSE(find<TNumEdit>(f, "RxAzimuth")->isEnabled());
  find<QCheckBox>(f, "RxPointsAtTx")->setChecked(false);
  EXPECT_TRUE(find<TNumEdit>(f, "RxAzimuth")->isEnabled());
  EXPECT_FALSE(page(f).record().rxPointsAtTx);

  // A pattern brings its gain, until the user gives another.
  loadPattern(f, kPanel);
  r = page(f).record();
  ASSERT_TRUE(r.tx.pattern.loaded());
  EXPECT_EQ(r.tx.patternPath, kPanel.toStdString());
  EXPECT_FALSE(r.tx.gainDbi.has_value());
  EXPECT_EQ(r.tx.peakGainDbi(), 17.5);
  EXPECT_TRUE(find<QCheckBox>(f, "TxGainFromPattern")->isChecked());
  EXPECT_FALSE(find<TNumEdit>(f, "TxGain")->isEnabled());
  EXPECT_EQ(find<QLineEdit>(f, "TxPattern")->text(), "panel65-t6.msi");
  find<QCheckBox>(f, "TxGainFromPattern")->setChecked(false);
  find<TNumEdit>(f, "TxGain")->SetValue(16);
  EXPECT_EQ(page(f).record().tx.gainDbi, 16.0);
  // A file that is not a pattern is refused by line, and the pattern stays.
  const auto broken = dir_ / "broken.msi";
  std::ofstream(broken) << "NAME x\nHORIZONTAL 1\nzero 0\n";
  loadPattern(f, QString::fromStdString(broken.string()));
  ASSERT_FALSE(dialogs_.errors.empty());
  EXPECT_TRUE(dialogs_.errors.back().contains(QStringLiteral("line 3"))) << dialogs_.errors.back().toStdString();
  EXPECT_TRUE(page(f).record().tx.pattern.loaded());
}

TEST_F(LinkBudgetPageTest, PlotsOfTheLoadedPattern) {
  auto form = startOnSample();
  TMainForm& f = *form;
  TPatternChart* h = page(f).horizontalChart();
  TPatternChart* v = page(f).verticalChart();
  // Without a pattern: the 0 dB ring.
  ASSERT_EQ(h->cut()->count(), 721);
  EXPECT_EQ(h->cut()->at(100).y(), 0.0);
  loadPattern(f, kPanel);
  EXPECT_EQ(text(f, "PatternSummary").toStdString(),
            "TV-PANEL-65-17.5-T6, 17.50 dBi, 1800 MHz, beam 65 x 7 degrees, electrical tilt 6 degrees");
  // Boresight at the top of the horizontal plot, the back lobe below.
  EXPECT_EQ(h->cut()->at(0).y(), 0.0);
  EXPECT_NEAR(h->cut()->at(360).y(), -25.0, 0.5);
  // The vertical plot: boresight to the right (90), its lobe 6 degrees below
  // it; a mechanical downtilt turns it 2 more; the horizon is marked.
  const auto peakAt = [v] {
    double best = -1e9, angle = 0;
    for (const QPointF& p : v->cut()->points())
      if (p.y() > best) best = p.y(), angle = p.x();
    return angle;
  };
  EXPECT_EQ(peakAt(), 96.0);
  find<TNumEdit>(f, "TxDowntilt")->SetValue(2);
  emit find<TNumEdit>(f, "TxDowntilt")->exited();
  EXPECT_EQ(peakAt(), 98.0);
  EXPECT_EQ(v->horizon(0)->at(0).x(), 90.0);
  EXPECT_EQ(v->horizon(1)->at(0).x(), 270.0);
  // The receiving antenna's plot when asked for.
  find<QRadioButton>(f, "PlotRxPattern")->setChecked(true);
  EXPECT_EQ(text(f, "PatternSummary"), "No pattern");

  QTest::mouseDClick(h->viewport(), Qt::LeftButton);
  ASSERT_NE(dialogs_.clipboard, nullptr);
  EXPECT_TRUE(dialogs_.clipboard->data(QStringLiteral("image/svg+xml")).startsWith("<?xml"));
  EXPECT_FALSE(qvariant_cast<QImage>(dialogs_.clipboard->imageData()).isNull());
  EXPECT_EQ(dialogs_.informations.back(), "Chart copied to Clipboard");
}

// The budget the page shows is the command line's for the same path and inputs.
TEST_F(LinkBudgetPageTest, BudgetOfCalculateIsTheCommandLines) {
  auto form = startOnSample();
  TMainForm& f = *form;
  EXPECT_NE(text(f, "LinkLoss"), "-");  // the first start's Calculate
  loadPattern(f, kPanel);
  type(f, "TxPower", QStringLiteral("20 W"));
  find<TNumEdit>(f, "TxFeederLoss")->SetValue(1.5);
  find<TNumEdit>(f, "TxAzimuth")->SetValue(30);
  find<TNumEdit>(f, "RxGain")->SetValue(2);
  find<TNumEdit>(f, "Threshold")->SetValue(-130);
  click(f, "LinkCalculate");
  const auto cli = tarnvale::test::RunCli(
      {"path", "--tx", field(f, "StartLoc").toStdString(), "--rx", field(f, "EndLoc").toStdString(), "--format",
       "loc", "--terrain", tarnvale::test::SampleData().string(), "--power", "20W", "--tx-feeder-loss", "1.5",
       "--pattern", kPanel.toStdString(), "--azimuth", "30", "--rx-gain", "2", "--threshold", "-130", "--json"});
  ASSERT_EQ(cli.status, 0) << cli.err;
  const auto link = nlohmann::json::parse(cli.out)["link"];
  const auto shown = [](double v, const char* unit) {
    return QString::fromStdString(tarnvale::FormatFixed(v, 6, 2) + " " + unit);
  };
  EXPECT_EQ(text(f, "LinkLoss"), shown(link["loss_dB"], "dB"));
  EXPECT_EQ(text(f, "LinkTxGainToward"), shown(link["tx_gain_toward_dBi"], "dBi"));
  EXPECT_EQ(text(f, "LinkReceived"), shown(link["received_dBm"], "dBm"));
  EXPECT_EQ(text(f, "LinkField"), shown(link["field_dBuV_m"], "dB\u00b5V/m"));
  EXPECT_EQ(text(f, "LinkMargin"), shown(link["margin_dB"], "dB"));
  EXPECT_TRUE(text(f, "LinkEirp").startsWith(shown(link["eirp_dBm"], "dBm")));
  // The margin's colour says its sign.
  const QColor colour = find<QLabel>(f, "LinkMargin")->palette().color(QPalette::WindowText);
  EXPECT_EQ(colour, link["margin_dB"].get<double>() >= 0 ? QColor(0, 140, 0) : QColor(210, 0, 0));
  // The path's direction is marked on the transmitting antenna's plots.
  EXPECT_EQ(page(f).horizontalChart()->direction()->count(), 2);
}

TEST_F(LinkBudgetPageTest, SavedWithTheInputDataAndRestoredExactly) {
  LinkRecord saved;
  {
    auto form = startOnSample();
    TMainForm& f = *form;
    loadPattern(f, kPanel);
    loadPattern(f, kPanel, "RxPatternBrowse");
    type(f, "TxPower", QStringLiteral("0.3 W"));  // -5.228787... dBm: not a short decimal
    find<QComboBox>(f, "TxGainUnit")->setCurrentIndex(1);
    find<QCheckBox>(f, "TxGainFromPattern")->setChecked(false);
    find<TNumEdit>(f, "TxGain")->SetValue(10.1);
    find<QCheckBox>(f, "RxPointsAtTx")->setChecked(false);
    find<TNumEdit>(f, "RxAzimuth")->SetValue(200.5);
    find<TNumEdit>(f, "RxDowntilt")->SetValue(-1.5);
    find<TNumEdit>(f, "Threshold")->SetValue(-107.3);
    saved = page(f).record();
    click(f, "SaveInitButton");
  }
  tarnvale::SettingsRecord file;
  ASSERT_TRUE(tarnvale::LoadSettingsFile((dir_ / "profile.ini").string(), file));
  ASSERT_EQ(file.keyed.count("link"), 1u);
  EXPECT_EQ(file.keyed["link"], tarnvale::EncodeLinkRecord(saved));

  // The pattern files may be gone: the record holds the patterns themselves.
  auto form = startOnSample();
  const LinkRecord restored = page(*form).record();
  EXPECT_EQ(tarnvale::EncodeLinkRecord(restored), tarnvale::EncodeLinkRecord(saved));
  EXPECT_EQ(restored.powerDbm, saved.powerDbm);  // bit for bit
  EXPECT_EQ(*restored.tx.gainDbi, *saved.tx.gainDbi);
  EXPECT_FALSE(find<QCheckBox>(*form, "RxPointsAtTx")->isChecked());
  EXPECT_EQ(find<QLineEdit>(*form, "RxPattern")->text(), "panel65-t6.msi");
}

TEST_F(LinkBudgetPageTest, OlderSettingsFileGivesTheDefaultRecord) {
  // A profile.ini written before there was a link record: the three texts only.
  tarnvale::SettingsRecord old;
  old.startLoc = "IO91GI44";
  old.endLoc = "IO91JO26";
  old.inputFormat = 0;
  old.terrainDirectory = tarnvale::test::SampleData().string() + "/";
  ASSERT_TRUE(tarnvale::SaveSettingsFile((dir_ / "profile.ini").string(), old));
  auto form = start();
  EXPECT_EQ(tarnvale::EncodeLinkRecord(page(*form).record()), tarnvale::EncodeLinkRecord(LinkRecord{}));
}

}  // namespace
