#include "app/pages/MechanismsPage.h"

#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

#include "app/Widgets.h"
#include "app/pages/FormParts.h"
#include "model/ModelDriver.h"
#include "session/MechanismsChart.h"
#include "widgets/Dialogs.h"

namespace tarnvale::ui {
namespace {

// The percentage axis spans the ten fixed percentages. Its lower limit sits a
// hair below 0.001 so that the axis still labels 0.001 after rounding.
constexpr double kPercentAxisMin = 0.001 * (1 - 1e-9);
constexpr double kPercentAxisMax = 50.0;
constexpr int kMinorTicks = 8;
constexpr int kMechanismLineWidth = 2;
constexpr int kOverallLineWidth = 3;

struct SeriesStyle {
  const char* title;
  QColor colour;
  int width;
};
const std::array<SeriesStyle, 4>& styles() {
  static const std::array<SeriesStyle, 4> s{{{"Diffraction", QColor(255, 0, 0), kMechanismLineWidth},
                                             {"Troposcatter", QColor(0, 0, 255), kMechanismLineWidth},
                                             {"Ducting", QColor(0, 128, 128), kMechanismLineWidth},
                                             {"Overall", QColor(128, 0, 128), kOverallLineWidth}}};
  return s;
}

}  // namespace

TMechanismsChart::TMechanismsChart(QWidget* parent) : QChartView(parent) {
  setObjectName(QStringLiteral("Chart2"));
  setRenderHint(QPainter::Antialiasing);
  setToolTip(QStringLiteral("Double click to copy"));
  // The view's own chart: a chart set in its place would leave this one unowned.
  QChart* chart = this->chart();
  chart->setTitle(QStringLiteral("Model Results"));
  bottom_ = new QLogValueAxis;
  bottom_->setBase(10);
  bottom_->setRange(kPercentAxisMin, kPercentAxisMax);
  bottom_->setMinorTickCount(kMinorTicks);
  bottom_->setMinorGridLineVisible(true);
  QPen dotted(QColor(160, 160, 160));
  dotted.setStyle(Qt::DotLine);
  bottom_->setMinorGridLinePen(dotted);
  bottom_->setLabelFormat(QStringLiteral("%g"));
  bottom_->setTitleText(QStringLiteral("Percentage Time"));
  left_ = new QValueAxis;
  left_->setReverse(true);  // larger losses lower down
  left_->setTitleText(QStringLiteral("Path Attenuation (dB)"));
  left_->setLabelFormat(QStringLiteral("%.0f"));
  chart->addAxis(bottom_, Qt::AlignBottom);
  chart->addAxis(left_, Qt::AlignLeft);
  for (std::size_t i = 0; i < series_.size(); ++i) {
    auto* line = new QLineSeries;
    line->setName(QString::fromLatin1(styles()[i].title));
    QPen pen(styles()[i].colour);
    pen.setWidth(styles()[i].width);
    line->setPen(pen);
    line->setColor(styles()[i].colour);
    line->setPointsVisible(false);
    chart->addSeries(line);
    line->attachAxis(bottom_);
    line->attachAxis(left_);
    series_[i] = line;
  }
  ApplyChartPalette(chart, palette());
}

void TMechanismsChart::changeEvent(QEvent* event) {
  QChartView::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) ApplyChartPalette(chart(), palette());
}

QByteArray TMechanismsChart::toSvg() { return ChartToSvg(*this, QStringLiteral("Model Results")); }

QImage TMechanismsChart::toImage() { return grab().toImage(); }

void TMechanismsChart::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  emit doubleClicked();
}

TMechanismsPage::TMechanismsPage(Session& session, std::function<InputValues()> readInputs, QWidget* parent)
    : QWidget(parent), session_(session), readInputs_(std::move(readInputs)) {
  setObjectName(QStringLiteral("Mechanisms"));
  // Which model computed the curves, or why there are none.
  modelName_ = NamedLabel(QStringLiteral("MechanismsModel"));
  chart2_ = new TMechanismsChart;
  connect(chart2_, &TMechanismsChart::doubleClicked, this, &TMechanismsPage::Chart2DblClick);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(modelName_);
  layout->addWidget(chart2_, 1);
}

void TMechanismsPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Shown as a page, not restored with a minimised window.
  if (!event->spontaneous()) MechanismsShow();
}

void TMechanismsPage::MechanismsShow() {
  // Ten runs take a few milliseconds even on the longest path (see
  // bench/mechanisms_bench.cpp), so they run here on the window's thread.
  const MechanismsChartData data = MechanismsChart(session_, readInputs_());
  if (!data.modelLine.empty())
    modelName_->setText(qs(data.problem.empty() ? data.modelLine : data.modelLine + ": " + data.problem));
  if (!data.ran) return;
  double low = 0.0, high = 0.0;
  bool any = false;
  for (std::size_t i = 0; i < data.series.size(); ++i) {
    const MechanismSeries& s = data.series[i];
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(s.x.size()));
    for (std::size_t k = 0; k < s.x.size(); ++k) {
      points.append(QPointF(s.x[k], s.y[k]));
      if (!std::isfinite(s.y[k])) continue;
      low = any ? std::min(low, s.y[k]) : s.y[k];
      high = any ? std::max(high, s.y[k]) : s.y[k];
      any = true;
    }
    QLineSeries* line = chart2_->series(static_cast<int>(i));
    line->setName(qs(s.title));
    line->replace(points);
  }
  if (any) {
    QValueAxis* left = chart2_->leftAxis();
    left->setRange(low == high ? low - 1.0 : low, low == high ? high + 1.0 : high);
    left->applyNiceNumbers();
  }
}

void TMechanismsPage::Chart2DblClick() {
  auto* data = new QMimeData;
  data->setData(QStringLiteral("image/svg+xml"), chart2_->toSvg());
  data->setImageData(chart2_->toImage());
  CurrentDialogs().setClipboard(data);
  CurrentDialogs().information(this, QStringLiteral("Chart copied to Clipboard"));
}

}  // namespace tarnvale::ui
