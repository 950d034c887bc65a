#include "app/pages/PatternChart.h"

#include <QMouseEvent>
#include <cmath>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QPolarChart>
#include <QtCharts/QValueAxis>

#include "app/Widgets.h"
#include "link/AntennaPattern.h"
#include "session/LinkSetup.h"

namespace tarnvale::ui {
namespace {

constexpr int kRings = 5;           // -40, -30, -20, -10, 0 dB
constexpr int kAngleTicks = 13;     // every 30 degrees
constexpr double kTickDeg = 30.0;
constexpr int kCutLineWidth = 2;
const QColor kCutColour(200, 0, 0);
const QColor kHorizonColour(0, 0, 200);
const QColor kDirectionColour(0, 150, 0);

/// The vertical plot's angle labels: the elevation of each direction (up
/// positive), in front of the antenna on the right half, behind it on the
/// left. A category axis takes each label once, so the back half's carry a
/// trailing no-break space.
QString elevationLabel(double plotDeg) {
  const double front = patternplot::kBoresightPlotDeg;
  const bool behind = plotDeg > 2.0 * front && plotDeg < 4.0 * front;
  double elevation = plotDeg <= 2.0 * front ? front - plotDeg : plotDeg - 3.0 * front;
  if (elevation == 0.0) elevation = 0.0;  // no "-0"
  return QStringLiteral("%1%2°%3")
      .arg(elevation > 0 ? QStringLiteral("+") : QString())
      .arg(elevation, 0, 'f', 0)
      .arg(behind ? QStringLiteral("\u00a0") : QString());
}

/// The horizontal plot's labels: the azimuth from boresight.
QString azimuthLabel(double plotDeg) {
  return QStringLiteral("%1°").arg(std::fmod(plotDeg, 4.0 * patternplot::kBoresightPlotDeg), 0, 'f', 0);
}

}  // namespace

TPatternChart::TPatternChart(bool vertical, QWidget* parent)
    : QChartView(new QPolarChart, parent), vertical_(vertical) {
  setObjectName(vertical ? QStringLiteral("VerticalPattern") : QStringLiteral("HorizontalPattern"));
  setRenderHint(QPainter::Antialiasing);
  setToolTip(QStringLiteral("Double click (or Ctrl+C) to copy"));
  auto* polar = static_cast<QPolarChart*>(chart());
  polar->legend()->hide();
  polar->setTitle(vertical ? QStringLiteral("Vertical") : QStringLiteral("Horizontal"));

  auto* angular = new QCategoryAxis;
  angular->setRange(0.0, 360.0);
  angular->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  angular->setStartValue(0.0);
  // Labels stand at the end of each category: 360 labels the top.
  for (int i = 1; i < kAngleTicks; ++i)
    angular->append(vertical ? elevationLabel(i * kTickDeg) : azimuthLabel(i * kTickDeg), i * kTickDeg);
  angular_ = angular;
  polar->addAxis(angular_, QPolarChart::PolarOrientationAngular);
  radial_ = new QValueAxis;
  radial_->setRange(patternplot::kFloorDb, 0.0);
  radial_->setTickCount(kRings);
  radial_->setLabelFormat(QStringLiteral("%.0f dB"));
  polar->addAxis(radial_, QPolarChart::PolarOrientationRadial);

  cut_ = new QLineSeries;
  cut_->setName(QStringLiteral("Relative gain"));
  QPen pen(kCutColour);
  pen.setWidth(kCutLineWidth);
  cut_->setPen(pen);
  polar->addSeries(cut_);
  cut_->attachAxis(angular_);
  cut_->attachAxis(radial_);
  if (vertical) {
    // The horizon: a line through the centre, drawn as two radii so that no
    // segment has to cross the plot's 0 degrees.
    for (int half = 0; half < 2; ++half) {
      auto* line = new QLineSeries;
      const double angle = half == 0 ? patternplot::kBoresightPlotDeg : 3.0 * patternplot::kBoresightPlotDeg;
      line->append(angle, patternplot::kFloorDb);
      line->append(angle, 0.0);
      QPen dashed(kHorizonColour);
      dashed.setStyle(Qt::DashLine);
      line->setPen(dashed);
      line->setName(QStringLiteral("Horizon"));
      polar->addSeries(line);
      line->attachAxis(angular_);
      line->attachAxis(radial_);
      horizon_[half] = line;
    }
  }
  direction_ = new QLineSeries;
  direction_->setName(QStringLiteral("Toward the other end"));
  QPen toward(kDirectionColour);
  toward.setWidth(kCutLineWidth);
  direction_->setPen(toward);
  polar->addSeries(direction_);
  direction_->attachAxis(angular_);
  direction_->attachAxis(radial_);
  ApplyChartPalette(polar, palette());
}

void TPatternChart::showDirection(std::optional<double> plotAngleDeg) {
  QList<QPointF> ray;
  if (plotAngleDeg) ray = {QPointF(*plotAngleDeg, patternplot::kFloorDb), QPointF(*plotAngleDeg, 0.0)};
  direction_->replace(ray);
}

void TPatternChart::show(const AntennaPattern& pattern, double downtiltDeg, const QString& title) {
  chart()->setTitle(title);
  // Without a pattern the antenna has its peak gain everywhere: the 0 dB ring.
  const std::vector<PolarPoint> cut = PatternPolarCut(pattern, vertical_, downtiltDeg);
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(cut.size()));
  for (const PolarPoint& p : cut) points.append(QPointF(p.plotAngleDeg, p.relativeDb));
  cut_->replace(points);
}

void TPatternChart::changeEvent(QEvent* event) {
  QChartView::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) ApplyChartPalette(chart(), palette());
}

QByteArray TPatternChart::toSvg() { return ChartToSvg(*this, chart()->title()); }

QImage TPatternChart::toImage() { return grab().toImage(); }

void TPatternChart::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  emit doubleClicked();
}

}  // namespace tarnvale::ui
