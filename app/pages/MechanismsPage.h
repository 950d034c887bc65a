#pragma once
// The Mechanisms page: the loss of each mechanism against time percentage
// over the current path, recomputed each time the page is shown.
#include <QWidget>
#include <QtCharts/QChartView>
#include <array>
#include <functional>

class QLineSeries;
class QLogValueAxis;
class QValueAxis;

#include "session/Session.h"

class QLabel;

namespace tarnvale::ui {

/// The chart of the page (Chart2): four line series on a logarithmic
/// percentage axis and an inverted loss axis. Double click copies it.
class TMechanismsChart : public QChartView {
  Q_OBJECT
 public:
  explicit TMechanismsChart(QWidget* parent = nullptr);
  QLineSeries* series(int index) const { return series_[static_cast<std::size_t>(index)]; }
  QLogValueAxis* bottomAxis() const { return bottom_; }
  QValueAxis* leftAxis() const { return left_; }
  /// The chart drawn as SVG (vector text and paths) and as a bitmap.
  QByteArray toSvg();
  QImage toImage();

 signals:
  void doubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  std::array<QLineSeries*, 4> series_{};
  QLogValueAxis* bottom_;
  QValueAxis* left_;
};

class TMechanismsPage : public QWidget {
  Q_OBJECT
 public:
  /// @param readInputs the Input Data page's values when the page is shown:
  ///   frequency (GHz), antenna heights (m), and for P.452-18 the Model
  ///   group, pressure, temperature and the forced K factor
  TMechanismsPage(Session& session, std::function<InputValues()> readInputs, QWidget* parent = nullptr);
  TMechanismsChart* chart() const { return chart2_; }

 public slots:
  void MechanismsShow();
  void Chart2DblClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Session& session_;
  std::function<InputValues()> readInputs_;
  QLabel* modelName_;
  TMechanismsChart* chart2_;
};

}  // namespace tarnvale::ui
