#include "app/Widgets.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QPainter>
#include <QScreen>
#include <QSvgGenerator>
#include <QtCharts/QAbstractAxis>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

#include "session/Session.h"

namespace tarnvale::ui {

TPanel::TPanel(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  setFocusPolicy(Qt::StrongFocus);
  setToolTip(QStringLiteral("Click on Panel to Select"));
}

namespace {
/// Relative luminance of a colour (sRGB), 0 black to 1 white.
double luminance(const QColor& c) {
  const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}
}  // namespace

QColor ReadableOn(const QColor& background) {
  // The contrast ratios against black and against white, (L1 + 0.05) / (L2 + 0.05).
  const double y = luminance(background);
  const double withBlack = (y + 0.05) / 0.05;
  const double withWhite = 1.05 / (y + 0.05);
  return withBlack >= withWhite ? QColor(Qt::black) : QColor(Qt::white);
}

void TPanel::setColour(const QColor& colour) {
  QPalette p = palette();
  p.setColor(QPalette::Window, colour);
  p.setColor(QPalette::WindowText, ReadableOn(colour));
  setPalette(p);
}

void TPanel::mouseReleaseEvent(QMouseEvent* event) {
  QFrame::mouseReleaseEvent(event);
  if (rect().contains(event->position().toPoint())) emit clicked();
}

void TPanel::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
      event->accept();
      emit clicked();
      return;
    default:
      QFrame::keyPressEvent(event);
  }
}

void TPanel::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  if (!hasFocus()) return;
  QPainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.rect = contentsRect().adjusted(1, 1, -1, -1);
  option.backgroundColor = palette().color(QPalette::Window);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

TProfileList::TProfileList(QWidget* parent) : QListWidget(parent) {
  setFlow(QListView::TopToBottom);
  setWrapping(true);
  setResizeMode(QListView::Adjust);
  setUniformItemSizes(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  fitColumns();
}

void TProfileList::resizeEvent(QResizeEvent* event) {
  QListWidget::resizeEvent(event);
  fitColumns();
}

void TProfileList::fitColumns() {
  // Each column takes a fifth of the visible width, whatever the lines hold.
  const int width = std::max(1, viewport()->width() / kColumns);
  const int height = fontMetrics().height() + 2;
  if (gridSize() != QSize(width, height)) setGridSize(QSize(width, height));
}

BusyCursor::BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }

TLocationEdit::TLocationEdit(QWidget* parent) : QLineEdit(parent) { setValidator(new UpperCaseValidator(this)); }

void TLocationEdit::keyPressEvent(QKeyEvent* event) {
  // Letters are capitalised as they are typed, so the edit stays one step
  // of the undo history (a validator that rewrote the text would clear it).
  if (event->matches(QKeySequence::Paste)) {
    if (!isReadOnly()) insert(QGuiApplication::clipboard()->text().simplified().toUpper());
    event->accept();
    return;
  }
  const QString typed = event->text();
  if (!typed.isEmpty() && typed != typed.toUpper()) {
    QKeyEvent upper(event->type(), event->key(), event->modifiers(), typed.toUpper(), event->isAutoRepeat(),
                    static_cast<quint16>(event->count()));
    QLineEdit::keyPressEvent(&upper);
    event->setAccepted(upper.isAccepted());
    return;
  }
  QLineEdit::keyPressEvent(event);
}

QValidator::State UpperCaseValidator::validate(QString& input, int&) const {
  input = input.toUpper();
  return Acceptable;
}

namespace {

QLineSeries* lineSeries(const char* name, const QColor& colour, int width) {
  auto* s = new QLineSeries;
  s->setObjectName(QString::fromLatin1(name));
  QPen pen(colour);
  pen.setWidth(width);
  s->setPen(pen);
  s->setPointsVisible(false);
  return s;
}

QAreaSeries* areaSeries(const char* name, const QString& title, QLineSeries* upper, const QColor& colour) {
  auto* s = new QAreaSeries(upper);
  s->setObjectName(QString::fromLatin1(name));
  s->setName(title);
  s->setColor(colour);
  s->setBorderColor(colour);
  return s;
}

void fill(QLineSeries* series, const std::vector<double>& x, const std::vector<double>& y) {
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(x.size()));
  for (size_t i = 0; i < x.size(); ++i) points.append(QPointF(x[i], y[i]));
  series->replace(points);
}

}  // namespace

TProfileChart::TProfileChart(QWidget* parent) : QChartView(parent) {
  setObjectName(QStringLiteral("Chart1"));
  setToolTip(QStringLiteral("Click and drag to zoom, Double click to copy"));
  setRenderHint(QPainter::Antialiasing);
  setRubberBand(QChartView::RectangleRubberBand);
  QChart* c = chart();
  c->legend()->hide();
  c->setMargins(QMargins(4, 4, 4, 4));

  terrainUpper_ = lineSeries("TerrainEdge", QColor(128, 64, 0), 1);
  bulgeUpper_ = lineSeries("BulgeEdge", QColor(192, 192, 192), 1);
  // An area series does not own its edge series; the view does.
  terrainUpper_->setParent(this);
  bulgeUpper_->setParent(this);
  terrain_ = areaSeries("Series1", QStringLiteral("Terrain"), terrainUpper_, QColor(128, 64, 0));
  bulge_ = areaSeries("Series2", QStringLiteral("Earth Bulge"), bulgeUpper_, QColor(192, 192, 192));
  los_ = lineSeries("Series8", Qt::black, 1);
  los_->setName(QStringLiteral("LOS Line"));
  fresnelAbove_ = lineSeries("Series9", QColor(255, 0, 0), 1);
  fresnelBelow_ = lineSeries("Series10", QColor(255, 0, 0), 1);

  // The bulge is drawn beneath the terrain, the lines over both.
  c->addSeries(terrain_);
  c->addSeries(bulge_);
  c->addSeries(los_);
  c->addSeries(fresnelAbove_);
  c->addSeries(fresnelBelow_);

  left_ = new QValueAxis;
  left_->setObjectName(QStringLiteral("LeftAxis"));
  left_->setTitleText(QStringLiteral("Height (m)"));
  left_->setLabelFormat(QStringLiteral("%.0f"));
  bottom_ = new QValueAxis;
  bottom_->setObjectName(QStringLiteral("BottomAxis"));
  bottom_->setTitleText(QStringLiteral("Range (km)"));
  bottom_->setLabelFormat(QStringLiteral("%g"));
  c->addAxis(left_, Qt::AlignLeft);
  c->addAxis(bottom_, Qt::AlignBottom);
  for (QAbstractSeries* s : c->series()) {
    s->attachAxis(left_);
    s->attachAxis(bottom_);
  }
  // Before the first path there is nothing to measure: an empty frame, not
  // the numbers of a made-up 0 ... 1 m range.
  left_->setLabelsVisible(false);
  bottom_->setLabelsVisible(false);
  ApplyChartPalette(c, palette());
}

void TProfileChart::changeEvent(QEvent* event) {
  QChartView::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) ApplyChartPalette(chart(), palette());
}

void ApplyChartPalette(QChart* chart, const QPalette& palette) {
  const QColor text = palette.color(QPalette::WindowText);
  const QColor base = palette.color(QPalette::Base);
  QColor grid = text;
  grid.setRgbF((text.redF() + base.redF()) / 2, (text.greenF() + base.greenF()) / 2,
               (text.blueF() + base.blueF()) / 2);
  chart->setBackgroundBrush(palette.color(QPalette::Window));
  chart->setBackgroundPen(Qt::NoPen);
  chart->setPlotAreaBackgroundBrush(base);
  chart->setPlotAreaBackgroundVisible(true);
  chart->setTitleBrush(text);
  chart->legend()->setLabelColor(text);
  for (QAbstractAxis* axis : chart->axes()) {
    axis->setLabelsColor(text);
    axis->setTitleBrush(text);
    axis->setLinePenColor(text);
    axis->setGridLineColor(grid);
  }
  // A line drawn in the theme's text colour stays visible on its base.
  for (QAbstractSeries* series : chart->series())
    if (series->objectName() == QLatin1String("Series8"))
      if (auto* line = qobject_cast<QLineSeries*>(series)) {
        QPen pen = line->pen();
        pen.setColor(palette.color(QPalette::Text));
        line->setPen(pen);
      }
}

void TProfileChart::show(const ProfileChartData& d) {
  fill(terrainUpper_, d.x, d.terrain);
  fill(bulgeUpper_, d.x, d.bulge);
  fill(los_, d.x, d.lineOfSight);
  fill(fresnelAbove_, d.x, d.fresnelAbove);
  fill(fresnelBelow_, d.x, d.fresnelBelow);
  left_->setLabelsVisible(true);
  bottom_->setLabelsVisible(true);
  left_->setTitleText(QString::fromStdString(d.leftTitle));
  bottom_->setTitleText(QString::fromStdString(d.bottomTitle));
  chart()->zoomReset();
  left_->setRange(d.leftMinimum, d.leftMaximum > d.leftMinimum ? d.leftMaximum : d.leftMinimum + 1.0);
  if (!d.x.empty()) {
    const auto [lo, hi] = std::minmax_element(d.x.begin(), d.x.end());
    bottom_->setRange(*lo, *hi > *lo ? *hi : *lo + 1.0);
  }
  bottom_->applyNiceNumbers();
}

QByteArray ChartToSvg(QChartView& view, const QString& title) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(view.size());
  svg.setViewBox(QRect(QPoint(0, 0), view.size()));
  if (QScreen* screen = QGuiApplication::primaryScreen()) svg.setResolution(qRound(screen->logicalDotsPerInch()));
  svg.setTitle(title);
  QPainter painter(&svg);
  view.render(&painter);
  painter.end();
  return bytes;
}

QByteArray TProfileChart::toSvg() { return ChartToSvg(*this, QStringLiteral("Terrain profile")); }

QImage TProfileChart::toImage() { return grab().toImage(); }

void TProfileChart::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  emit doubleClicked();
}

}  // namespace tarnvale::ui
