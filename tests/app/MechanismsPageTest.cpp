// The Mechanisms page through its real widgets, offscreen.
#include <QMimeData>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QValueAxis>
#include <nlohmann/json.hpp>

#include "app/pages/MechanismsPage.h"
#include "model/ModelDriver.h"
#include "climate/ClimateConstants.h"
#include "tests/app/WindowFixture.h"
#include "tests/climate/MapFiles.h"
#include "tests/cli/RunCli.h"
#include "widgets/Numedit.h"

using tarnvale::ui::TMainForm;
using tarnvale::ui::TMechanismsChart;

namespace {

class MechanismsPageTest : public tarnvale::test::WindowTest {
 protected:
  TMechanismsChart* chart(TMainForm& f) { return find<TMechanismsChart>(f, "Chart2"); }
  std::vector<QPointF> points(TMainForm& f, int series) {
    const QList<QPointF> p = chart(f)->series(series)->points();
    return {p.begin(), p.end()};
  }
};

TEST_F(MechanismsPageTest, TenPointsPerSeriesAtTheFixedPercentagesWhateverPercentHolds) {
  useSharedTiles();  // heights of 0 serve as well where the tiles are absent
  // Climate maps with values at mid-path, so that the page and the profile
  // run use the same N0 and delta-N (their fallbacks differ).
  tarnvale::testing::WriteConstantGrid(dir_ / "n0.txt", tarnvale::climate::kGridB, 330);
  tarnvale::testing::WriteConstantGrid(dir_ / "dn.txt", tarnvale::climate::kGridB, 42);
  auto form = start();
  TMainForm& f = *form;
  for (double percent : {50.0, 0.001, 3.0}) {
    find<tarnvale::ui::TNumEdit>(f, "Percent")->SetValue(percent);
    showPage(f, "Mechanisms");
    for (int s = 0; s < 4; ++s) {
      const auto p = points(f, s);
      ASSERT_EQ(p.size(), 10u) << "series " << s << " at " << percent << " %";
      for (std::size_t i = 0; i < p.size(); ++i) {
        EXPECT_DOUBLE_EQ(p[i].x(), tarnvale::kMechanismPercentages[i]);
        EXPECT_TRUE(std::isfinite(p[i].y()));
      }
    }
  }
  // The 50 % point of "Overall" is the overall loss the results panel shows.
  const QString overall = text(f, "OverallLoss");  // "Overall path loss 123 dB"
  const double shown = overall.section(' ', 3, 3).toDouble();
  EXPECT_NEAR(points(f, 3).back().y(), shown, 0.5) << overall.toStdString();
}

TEST_F(MechanismsPageTest, SeriesAxesAndTitles) {
  auto form = start();
  TMechanismsChart* c = chart(*form);
  const char* titles[] = {"Diffraction", "Troposcatter", "Ducting", "Overall"};
  const QColor colours[] = {QColor(255, 0, 0), QColor(0, 0, 255), QColor(0, 128, 128), QColor(128, 0, 128)};
  const int widths[] = {2, 2, 2, 3};
  for (int s = 0; s < 4; ++s) {
    QLineSeries* line = c->series(s);
    EXPECT_EQ(line->name(), titles[s]);
    EXPECT_EQ(line->pen().color(), colours[s]) << titles[s];
    EXPECT_EQ(line->pen().width(), widths[s]) << titles[s];
    EXPECT_FALSE(line->pointsVisible());
  }
  EXPECT_EQ(c->chart()->title(), "Model Results");
  QLogValueAxis* x = c->bottomAxis();
  EXPECT_EQ(x->base(), 10.0);
  EXPECT_NEAR(x->min(), 0.001, 1e-9);
  EXPECT_DOUBLE_EQ(x->max(), 50.0);
  EXPECT_EQ(x->minorTickCount(), 8);
  EXPECT_TRUE(x->isMinorGridLineVisible());
  EXPECT_EQ(x->minorGridLinePen().style(), Qt::DotLine);
  EXPECT_EQ(x->titleText(), "Percentage Time");
  EXPECT_TRUE(c->leftAxis()->isReverse());
  EXPECT_EQ(c->leftAxis()->titleText(), "Path Attenuation (dB)");
  EXPECT_EQ(find<QTabWidget>(*form, "PageControl1")->tabText(3), "Mechanisms");
}

TEST_F(MechanismsPageTest, FailedRunsLeaveNoStalePoints) {
  auto form = start();
  TMainForm& f = *form;
  showPage(f, "Mechanisms");
  ASSERT_EQ(points(f, 0).size(), 10u);
  // Both ends at one place: every run fails ("Path too short").
  calculateDegrees(f, "51.01 N 1.0 W", "51.01 N 1.0 W");
  ASSERT_TRUE(!find<QLabel>(f, "InvalidPath")->isHidden());
  showPage(f, "Mechanisms");
  for (int s = 0; s < 4; ++s) EXPECT_TRUE(points(f, s).empty()) << "series " << s;
  // A valid path brings the ten points back.
  calculateDegrees(f, "51.01 N 1.0 W", "51.2 N 1.0 W");
  showPage(f, "Mechanisms");
  EXPECT_EQ(points(f, 1).size(), 10u);
}

TEST_F(MechanismsPageTest, DoubleClickCopiesTheChart) {
  auto form = start();
  showPage(*form, "Mechanisms");
  QTest::mouseDClick(chart(*form)->viewport(), Qt::LeftButton);
  ASSERT_NE(dialogs_.clipboard, nullptr);
  EXPECT_TRUE(dialogs_.clipboard->hasImage());
  const QByteArray svg = dialogs_.clipboard->data(QStringLiteral("image/svg+xml"));
  EXPECT_TRUE(svg.contains("<svg")) << svg.left(200).toStdString();
  ASSERT_EQ(dialogs_.informations.size(), 1u);
  EXPECT_EQ(dialogs_.informations[0], "Chart copied to Clipboard");
}

TEST_F(MechanismsPageTest, CommandLinePrintsTheSamePoints) {
  if (!useSharedTiles()) GTEST_SKIP() << "N51W002.hgt not found: set TARNVALE_SHARED_DATA";
  auto form = start();
  TMainForm& f = *form;
  showPage(f, "Mechanisms");
  const auto r = tarnvale::test::RunCli({"mechanisms", "--tx", field(f, "StartLoc").toStdString(), "--rx",
                                         field(f, "EndLoc").toStdString(), "--format", "loc", "--terrain", terrain_,
                                         "--climate", dir_.string(), "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  const char* keys[] = {"Diffraction", "Troposcatter", "Ducting", "Overall"};
  for (int s = 0; s < 4; ++s) {
    const auto p = points(f, s);
    std::vector<std::pair<double, double>> cli;
    for (const auto& point : j["points"])
      if (point["ok"].get<bool>()) cli.emplace_back(point["percent"].get<double>(), point[keys[s]].get<double>());
    ASSERT_EQ(cli.size(), p.size()) << keys[s];
    for (std::size_t i = 0; i < p.size(); ++i) {
      EXPECT_DOUBLE_EQ(cli[i].first, p[i].x());
      EXPECT_NEAR(cli[i].second, p[i].y(), 1e-9) << keys[s] << " at " << p[i].x() << " %";
    }
  }
}

}  // namespace
