#pragma once
// The Radio Refractivity Data page: the climate at both ends, looked up
// afresh each time the page is shown, and the path's values of the last
// Calculate.
#include <QWidget>

#include "session/Session.h"

class QLabel;

namespace tarnvale::ui {

class TRefractivityPage : public QWidget {
  Q_OBJECT

 public:
  explicit TRefractivityPage(Session& session, QWidget* parent = nullptr);

  /// The climate at both ends of the session's path, for time percentage @p percent.
  void TabSheet1Show(double percent);
  /// The path rows after a Calculate.
  void showOutcome(const CalculateOutcome& outcome);

 private:
  Session& session_;
  QLabel* pTime_ = nullptr;
  QLabel* txN0_ = nullptr;
  QLabel* rxN0_ = nullptr;
  QLabel* txDndz_ = nullptr;
  QLabel* rxDndz_ = nullptr;
  QLabel* txBeta0_ = nullptr;
  QLabel* rxBeta0_ = nullptr;
  QLabel* txBetaE_ = nullptr;
  QLabel* rxBetaE_ = nullptr;
  QLabel* kfact_ = nullptr;
  QLabel* dct_ = nullptr;
  QLabel* dcr_ = nullptr;
  QLabel* rho_ = nullptr;
  QLabel* beta0_ = nullptr;
  QLabel* seaFraction_ = nullptr;
  QLabel* plen_ = nullptr;
  QLabel* pathClimateStatus_ = nullptr;
};

}  // namespace tarnvale::ui
