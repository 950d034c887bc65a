#pragma once
// The Link Budget page: the transmitter's power, both antennas (gain,
// feeder, pattern file, azimuth, downtilt), the receiver's threshold, polar
// plots of a loaded pattern, and the budget of the last Calculate: e.i.r.p.,
// the antennas' gains toward the path, received power, field strength and
// margin. It reads its fields into a LinkRecord; the main window's Calculate
// gives the budget (Session::link).
#include <QWidget>
#include <optional>

#include "link/LinkBudget.h"
#include "link/LinkRecord.h"
#include "session/Session.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace tarnvale::ui {

class TNumEdit;
class TPatternChart;

class TLinkBudgetPage : public QWidget {
  Q_OBJECT

 public:
  explicit TLinkBudgetPage(QWidget* parent = nullptr);

  /// False when a field does not hold a number within its limits; with
  /// @p tell the user is told about the first such field (the focus then in it).
  bool checkFields(bool tell = true);
  /// The record the fields give. A field left as restore() or a pattern's
  /// gain wrote it keeps the record's exact value (the field shows it rounded).
  LinkRecord record() const;
  /// Fills the fields, patterns and plots from @p record (start-up).
  void restore(const LinkRecord& record);
  /// The budget of a Calculate, or dashes for a path without one.
  void showOutcome(const CalculateOutcome& outcome);

  TPatternChart* horizontalChart() const { return horizontal_; }
  TPatternChart* verticalChart() const { return vertical_; }

 signals:
  /// The page's Calculate button.
  void calculateRequested();

 public slots:
  /// Asks for a pattern file for the transmitting or receiving antenna and reads it.
  void TxPatternClick();
  void RxPatternClick();
  void TxPatternClearClick();
  void RxPatternClearClick();
  /// Copies a plot (double click or Ctrl+C on it) as SVG and as a picture.
  void copyChart(TPatternChart* chart);

 private:
  /// One antenna's widgets and what they were last filled with.
  struct AntennaFields {
    TNumEdit* gain = nullptr;
    QComboBox* gainUnit = nullptr;
    QCheckBox* gainFromPattern = nullptr;
    TNumEdit* feeder = nullptr;
    QLineEdit* patternName = nullptr;
    TNumEdit* azimuth = nullptr;
    TNumEdit* downtilt = nullptr;
    /// The pattern read, with the name the user chose it by.
    AntennaPattern pattern;
    std::string patternPath;
    /// Whether the record filled in gave a gain of its own (rather than the
    /// pattern's GAIN or none), so that an untouched field gives it back as it was.
    bool gainGiven = false;
    /// The exact values the fields were filled with, and their texts then.
    double exactGainDbi = 0.0, exactFeeder = 0.0, exactAzimuth = 0.0, exactDowntilt = 0.0;
    QString shownGain, shownFeeder, shownAzimuth, shownDowntilt;
  };

  void buildAntenna(AntennaFields& a, const QString& prefix);
  void fillAntenna(AntennaFields& a, const LinkAntenna& antenna);
  void readAntenna(const AntennaFields& a, LinkAntenna& antenna) const;
  void choosePattern(AntennaFields& a);
  void clearPattern(AntennaFields& a);
  /// The gain field as the pattern check box and unit say.
  void showGain(AntennaFields& a);
  /// The power's other form beside the field ("= 10 W" / "= 40.00 dBm").
  void showPowerForms();
  void updateReceiverPointing();
  void showPlots();
  void showBudgetLine(QLabel* label, const std::string& value);

  AntennaFields tx_, rx_;
  QLineEdit* power_ = nullptr;
  QLabel* powerDbm_ = nullptr;
  QLabel* powerWatts_ = nullptr;
  double exactPowerDbm_ = 30.0;
  QString shownPower_;
  QCheckBox* rxPointsAtTx_ = nullptr;
  TNumEdit* threshold_ = nullptr;
  double exactThreshold_ = -100.0;
  QString shownThreshold_;

  QLabel* loss_ = nullptr;
  QLabel* eirp_ = nullptr;
  QLabel* txToward_ = nullptr;
  QLabel* rxToward_ = nullptr;
  QLabel* received_ = nullptr;
  QLabel* field_ = nullptr;
  QLabel* margin_ = nullptr;

  QRadioButton* plotTx_ = nullptr;
  QRadioButton* plotRx_ = nullptr;
  QLabel* patternSummary_ = nullptr;
  TPatternChart* horizontal_ = nullptr;
  TPatternChart* vertical_ = nullptr;
  QString patternDirectory_;  ///< where the last pattern was chosen
  /// Where the path of the last Calculate leaves each end.
  std::optional<LinkGeometry> geometry_;
};

}  // namespace tarnvale::ui
