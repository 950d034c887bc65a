#pragma once
// TPatternChart: a polar plot of one cut of an antenna pattern, as antenna
// makers draw them: rings of relative gain in dB, the horizontal cut with
// boresight at the top, the vertical cut seen from the antenna's left side
// with boresight to the right and the horizon marked. Double click or Ctrl+C
// copies it.
#include <QtCharts/QChartView>
#include <optional>

class QLineSeries;
class QValueAxis;
class QAbstractAxis;

namespace tarnvale {
class AntennaPattern;
}

namespace tarnvale::ui {

class TPatternChart : public QChartView {
  Q_OBJECT
 public:
  /// @param vertical the vertical cut (else the horizontal)
  explicit TPatternChart(bool vertical, QWidget* parent = nullptr);

  /// Draws @p pattern's cut (the 0 dB ring without a pattern), the vertical
  /// one turned by the mechanical @p downtiltDeg; @p title above it.
  void show(const AntennaPattern& pattern, double downtiltDeg, const QString& title);

  QLineSeries* cut() const { return cut_; }
  /// Marks the direction of the path's other end at @p plotAngleDeg (none: no mark).
  void showDirection(std::optional<double> plotAngleDeg);
  QLineSeries* direction() const { return direction_; }
  /// The horizon's two halves (the vertical cut only; null otherwise).
  QLineSeries* horizon(int half) const { return horizon_[half]; }
  QValueAxis* radialAxis() const { return radial_; }
  /// The chart drawn as SVG (vector text and paths) and as a bitmap.
  QByteArray toSvg();
  QImage toImage();

 signals:
  void doubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  bool vertical_;
  QLineSeries* cut_ = nullptr;
  QLineSeries* direction_ = nullptr;
  QLineSeries* horizon_[2] = {nullptr, nullptr};
  QValueAxis* radial_ = nullptr;
  QAbstractAxis* angular_ = nullptr;
};

}  // namespace tarnvale::ui
