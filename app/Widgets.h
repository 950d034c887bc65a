#pragma once
// Small widgets of the main window: a panel that can be clicked, the profile
// chart with zoom and double click, and upper-case entry for location fields.
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QValidator>
#include <QtCharts/QChartView>

class QAreaSeries;
class QLineSeries;
class QValueAxis;

namespace tarnvale {
struct ProfileChartData;
}

namespace tarnvale::ui {

/// A panel with a colour and a click event. It takes the keyboard focus
/// (Tab), shows it, and Space or Enter act as a click.
class TPanel : public QFrame {
  Q_OBJECT
 public:
  explicit TPanel(QWidget* parent = nullptr);
  /// The panel's colour, with its captions in black or white, whichever reads.
  void setColour(const QColor& colour);
 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

/// Black or white, whichever reads better on @p background.
QColor ReadableOn(const QColor& background);

/// The profile table: text lines running down five columns of equal width,
/// then on into further columns reached by scrolling sideways.
class TProfileList : public QListWidget {
  Q_OBJECT
 public:
  static constexpr int kColumns = 5;
  explicit TProfileList(QWidget* parent = nullptr);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void fitColumns();
};

/// The busy cursor for as long as the object lives.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

/// Turns typed letters into capitals, as the location fields expect.
class UpperCaseValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& position) const override;
};

/// A location field: upper-case entry that keeps undo working.
class TLocationEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TLocationEdit(QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

/// Colours @p chart after @p palette: its background from the window's
/// colour, plot area from the base colour, titles, labels and axis lines from
/// the text colour and grid lines halfway between, so that the chart reads in
/// a light or a dark theme alike. The series keep their own colours.
void ApplyChartPalette(QChart* chart, const QPalette& palette);

/// @p view drawn as SVG with vector text and paths, at the screen's
/// resolution, titled @p title: what the charts put on the clipboard.
QByteArray ChartToSvg(QChartView& view, const QString& title);

/// The profile chart: terrain and earth bulge as areas, the line-of-sight
/// string and the two edges of the first Fresnel zone as lines. Drag to zoom
/// (right click zooms back out), double click to copy.
class TProfileChart : public QChartView {
  Q_OBJECT
 public:
  explicit TProfileChart(QWidget* parent = nullptr);
  /// Replaces every series by @p data and sets the axes.
  void show(const tarnvale::ProfileChartData& data);
  /// The chart drawn as SVG (vector text and paths) and as a bitmap.
  QByteArray toSvg();
  QImage toImage();

  QLineSeries* terrainLine() const { return terrainUpper_; }
  QLineSeries* bulgeLine() const { return bulgeUpper_; }
  QLineSeries* losLine() const { return los_; }
  QLineSeries* fresnelAbove() const { return fresnelAbove_; }
  QLineSeries* fresnelBelow() const { return fresnelBelow_; }
  QValueAxis* leftAxis() const { return left_; }
  QValueAxis* bottomAxis() const { return bottom_; }

 signals:
  void doubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QLineSeries* terrainUpper_;
  QLineSeries* bulgeUpper_;
  QAreaSeries* terrain_;
  QAreaSeries* bulge_;
  QLineSeries* los_;
  QLineSeries* fresnelAbove_;
  QLineSeries* fresnelBelow_;
  QValueAxis* left_;
  QValueAxis* bottom_;
};

}  // namespace tarnvale::ui
