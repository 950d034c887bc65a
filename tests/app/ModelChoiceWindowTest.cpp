// The Model group through the real window, on the sample that ships: pick
// ITU-R P.452-18, Calculate, and see its losses on the Results group, the
// Mechanisms page and the Area Coverage page, each saying which model
// computed it, with the same numbers as the command line; the choice and its
// inputs saved with the input data and restored.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QtCharts/QLineSeries>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/pages/CoveragePage.h"
#include "app/pages/MechanismsPage.h"
#include "app/pages/TImage.h"
#include "session/ResultText.h"
#include "tests/app/WindowFixture.h"
#include "tests/cli/RunCli.h"
#include "widgets/Numedit.h"

namespace tarnvale::test {
namespace {

using ui::TMainForm;
using ui::TNumEdit;

class ModelChoiceWindowTest : public WindowTest {
 protected:
  std::unique_ptr<TMainForm> startOnSample() { return start(TARNVALE_SAMPLE_DIR); }
  static void chooseP452(TMainForm& f) {
    auto* combo = find<QComboBox>(f, "ModelCombo");
    combo->setCurrentIndex(combo->findText("ITU-R P.452-18"));
  }
  /// The command line on the window's path (the default sites as its
  /// fields show them) and its default fields.
  nlohmann::json cli(TMainForm& f, const std::string& command, std::vector<std::string> more) const {
    std::vector<std::string> args = {command, "--tx", field(f, "StartLoc").toStdString(), "--rx",
                                     field(f, "EndLoc").toStdString(), "--format", "loc", "--terrain",
                                     TARNVALE_SAMPLE_DIR, "--climate", dir_.string(), "--model", "p452-18", "--json"};
    args.insert(args.end(), more.begin(), more.end());
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? nlohmann::json::parse(r.out) : nlohmann::json();
  }
};

TEST_F(ModelChoiceWindowTest, P452CalculateShowsItsLossesAndSaysSo) {
  auto form = startOnSample();
  TMainForm& f = *form;
  EXPECT_EQ(text(f, "ModelName"), "Model: Classic (P.452-16, Deygout)");
  EXPECT_FALSE(find<QWidget>(f, "P452Inputs")->isVisible());
  chooseP452(f);
  EXPECT_TRUE(find<QWidget>(f, "P452Inputs")->isVisible());
  EXPECT_FALSE(find<TNumEdit>(f, "RH")->isEnabled());  // the model fixes its water vapour
  find<QComboBox>(f, "Polarisation")->setCurrentIndex(1);
  find<TNumEdit>(f, "CLUTTER_H")->SetValue(12);
  // The antennas' gains are the Link Budget page's, for the budget and for
  // troposcatter's coupling alike.
  find<TNumEdit>(f, "RxGain")->SetValue(25);
  click(f, "CalculateBtn");

  EXPECT_EQ(text(f, "ModelName"), "Model: ITU-R P.452-18");
  const auto j = cli(f, "path", {"--polarisation", "v", "--clutter-height", "12", "--rx-gain", "25"});
  ASSERT_EQ(j["model"], "p452-18");
  const struct {
    const char* label;
    const char* caption;
    const char* key;
  } losses[] = {{"FSLoss", "Line of sight loss", "Lb0p"},
                {"DiffLoss", "Diffraction path loss", "Lbd"},
                {"TropoLoss", "Troposcatter path loss", "Lbs"},
                {"DuctLoss", "Ducting path loss", "Lba"},
                {"OverallLoss", "Overall path loss", "Lb"}};
  for (const auto& l : losses)
    EXPECT_EQ(text(f, l.label).toStdString(), text::LossText(l.caption, j[l.key].get<double>(), 0.0)) << l.key;
  EXPECT_TRUE(text(f, "GasLoss").endsWith("(within each loss)")) << text(f, "GasLoss").toStdString();
  EXPECT_EQ(text(f, "PLEN").toStdString(), text::OneDecimal(j["dtot"].get<double>(), 4, " km"));
  EXPECT_EQ(text(f, "DCT").toStdString(), text::OneDecimal(j["dct"].get<double>(), 4, " km"));
  EXPECT_FALSE(find<QLabel>(f, "InvalidPath")->isVisible());

  // A frequency P.452-18 does not take: its bounds instead of results.
  find<TNumEdit>(f, "FREQ")->SetValue(60);
  click(f, "CalculateBtn");
  EXPECT_TRUE(find<QLabel>(f, "InvalidPath")->isVisible());
  EXPECT_EQ(text(f, "InvalidPath"), "ITU-R P.452-18 takes 0.1 to 50 GHz and 0.001 to 50 % of time");
  // Back to the classic model: its own line again.
  find<TNumEdit>(f, "FREQ")->SetValue(10.368);
  find<QComboBox>(f, "ModelCombo")->setCurrentIndex(0);
  click(f, "CalculateBtn");
  EXPECT_EQ(text(f, "ModelName"), "Model: Classic (P.452-16, Deygout)");
  EXPECT_TRUE(find<TNumEdit>(f, "RH")->isEnabled());
}

TEST_F(ModelChoiceWindowTest, MechanismsAndCoverageSayWhichModelComputedThem) {
  auto form = startOnSample();
  TMainForm& f = *form;
  chooseP452(f);
  find<TNumEdit>(f, "Percent")->SetValue(10);
  click(f, "CalculateBtn");

  showPage(f, "Mechanisms");
  EXPECT_EQ(text(f, "MechanismsModel"), "Model: ITU-R P.452-18");
  auto* chart = find<ui::TMechanismsChart>(f, "Chart2");
  const char* names[] = {"Diffraction Lbd", "Troposcatter Lbs", "Ducting Lba", "Overall Lb"};
  for (int s = 0; s < 4; ++s) EXPECT_EQ(chart->series(s)->name(), names[s]);
  const auto m = cli(f, "mechanisms", {});
  const QList<QPointF> overall = chart->series(3)->points();
  ASSERT_EQ(overall.size(), 10);
  for (int i = 0; i < 10; ++i) EXPECT_DOUBLE_EQ(overall[i].y(), m["points"][i]["Lb"].get<double>()) << i;
  // The 10 % point is the overall loss Calculate shows.
  EXPECT_EQ(text(f, "OverallLoss").toStdString(), text::LossText("Overall path loss", overall[7].y(), 0.0));

  // The map: the command line's P.452-18 picture for the same inputs.
  showPage(f, "Coverage");
  EXPECT_EQ(text(f, "CoverageModel"), "");
  find<TNumEdit>(f, "CoverageResolution")->SetValue(16);
  auto& page = *find<ui::TCoveragePage>(f, "Coverage");
  QSignalSpy done(&page, &ui::TCoveragePage::plotFinished);
  click(f, "PlotCoverage");
  ASSERT_TRUE(done.wait(120000)) << "the plot did not finish";
  EXPECT_EQ(text(f, "CoverageModel"), "Model: ITU-R P.452-18");
  const auto exact = [](double v) { return QString::number(v, 'g', 17).toStdString(); };
  const std::string png = (dir_ / "p452.png").string();
  const CliResult r = RunCli({"coverage", "--tx", field(f, "StartLoc").toStdString(), "--format", "loc", "--terrain",
                              TARNVALE_SAMPLE_DIR,
                              "--model", "p452-18", "--percent", "10", "--resolution", "16", "--n0",
                              exact(f.session().driver.fallbackN0), "--delta-n",
                              exact(f.session().driver.fallbackDeltaN), "--out", png});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB888) ==
              page.coverageMap()->picture());
}

TEST_F(ModelChoiceWindowTest, ChoiceAndInputsAreSavedAndRestored) {
  {
    auto form = startOnSample();
    TMainForm& f = *form;
    chooseP452(f);
    find<QComboBox>(f, "Polarisation")->setCurrentIndex(1);
    find<TNumEdit>(f, "CLUTTER_H")->SetValue(12.5);
    QTest::mouseClick(find<QCheckBox>(f, "CoastGiven"), Qt::LeftButton);
    EXPECT_TRUE(find<TNumEdit>(f, "DCT_KM")->isEnabled());
    find<TNumEdit>(f, "DCT_KM")->SetValue(4);
    find<TNumEdit>(f, "DCR_KM")->SetValue(6.5);
    click(f, "SaveInitButton");
  }
  std::ifstream file(dir_ / "profile.ini", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(bytes.find("TVK1"), std::string::npos);  // among the keyed texts
  EXPECT_NE(bytes.find("model p452-18"), std::string::npos);

  auto form = startOnSample();
  TMainForm& f = *form;
  EXPECT_EQ(find<QComboBox>(f, "ModelCombo")->currentText(), "ITU-R P.452-18");
  EXPECT_TRUE(find<QWidget>(f, "P452Inputs")->isVisible());
  EXPECT_EQ(find<QComboBox>(f, "Polarisation")->currentText(), "Vertical");
  const std::pair<const char*, double> fields[] = {
      {"CLUTTER_H", 12.5}, {"DCT_KM", 4}, {"DCR_KM", 6.5}};
  for (const auto& [name, value] : fields) EXPECT_EQ(find<TNumEdit>(f, name)->GetValue(), value) << name;
  EXPECT_TRUE(find<QCheckBox>(f, "CoastGiven")->isChecked());
  // The first Calculate of the restored window ran the restored model.
  EXPECT_EQ(text(f, "ModelName"), "Model: ITU-R P.452-18");
  EXPECT_EQ(text(f, "DCT"), "4.0 km");
}

}  // namespace
}  // namespace tarnvale::test
