#pragma once
// The Input Data page: the two ends of the path (typed, or as a range and
// bearing), the formats and units, the radio and weather values, the Results
// group and the profile chart. It reads its fields into InputValues and shows
// a Calculate's outcome; the main window runs the Calculate.
#include <QWidget>
#include <cstdint>

#include "session/Session.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace tarnvale::ui {

class TNumEdit;
class TPanel;
class TProfileChart;

class TInputPage : public QWidget {
  Q_OBJECT

 public:
  explicit TInputPage(Session& session, QWidget* parent = nullptr);

  /// False after telling the user about the first numeric field that does
  /// not hold a number within its limits (the focus is then in that field).
  bool checkFields();
  /// The fields as they stand (every field an action relies on has passed
  /// checkFields; the others are read as they stand).
  InputValues readFields() const;
  /// The checked format button's InputFormat code.
  int selectedFormat() const;

  /// Start-up: the restored fields, units and format, before the data objects exist.
  void restoreFields(const RestoredInputs& restored);
  /// Start-up, once the data objects exist: the receiver mode, both ends in
  /// the restored format, Range and Bearing.
  void restoreEnds(const RestoredInputs& restored);
  /// The Results group, the ends' texts, Range, Bearing, K factor and chart
  /// after a Calculate.
  void showOutcome(const CalculateOutcome& outcome);
  /// The start height's label when start-up did not get as far as the terrain store.
  void showInitialisationFailure();
  /// The transmitter's or receiver's field (a site copied from the Site Database).
  void setTransmitterText(const QString& text);
  void setReceiverText(const QString& text);
  /// How the receiver is given; the codes are stored in profile.ini.
  void SetEndPointMode(std::uint8_t mode);
  TProfileChart* chart() const { return chart1_; }

 signals:
  /// Calculate pressed (or Enter in a location field, or a flat-earth change).
  void calculateRequested();
  /// A unit switch re-expressed Range: Calculate with this exact value.
  void calculateWithRange(double exactRange);
  /// "Save input data" pressed.
  void saveRequested();

 public slots:
  void CalculateBtnClick();
  void Panel1Click();
  void Panel2Click();
  void NGRClick();
  void LOCClick();
  void DEGClick();
  void DMSClick();
  void MetricClick();
  void FlatEarthClick();
  void INTERPOLATEClick();
  void ForcedKFactorClick();
  void Chart1DblClick();
  /// The model chosen in the Model group: its own inputs shown or hidden.
  void ModelChange();
  void CoastGivenClick();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void FormatLocationsForDisplay();
  void checkFormat(int format);
  /// Colours of the panels and of the K factor and receiver fields, taken
  /// from the current palette so that they read in any theme.
  void applyColours();
  /// The Model group: the model, and the inputs of P.452-18 alone.
  QWidget* buildModelGroup();
  ModelChoice readModelChoice() const;
  void restoreModelChoice(const ModelChoice& choice);

  Session& session_;
  QString lastRangeText_;  ///< what the last Calculate wrote into Range

  TPanel* panel1_ = nullptr;
  TPanel* panel2_ = nullptr;
  QLineEdit* startLoc_ = nullptr;
  QLineEdit* endLoc_ = nullptr;
  TNumEdit* range_ = nullptr;
  TNumEdit* bearing_ = nullptr;
  QLabel* rangeUnit_ = nullptr;
  QRadioButton* ngr_ = nullptr;
  QRadioButton* loc_ = nullptr;
  QRadioButton* deg_ = nullptr;
  QRadioButton* dms_ = nullptr;
  QRadioButton* metric_ = nullptr;
  QRadioButton* imperial_ = nullptr;
  QCheckBox* flatEarth_ = nullptr;
  QCheckBox* interpolate_ = nullptr;
  TNumEdit* freq_ = nullptr;
  TNumEdit* txH_ = nullptr;
  TNumEdit* rxH_ = nullptr;
  TNumEdit* percent_ = nullptr;
  TNumEdit* kFactor_ = nullptr;
  QCheckBox* forcedKFactor_ = nullptr;
  TNumEdit* temperature_ = nullptr;
  TNumEdit* pressure_ = nullptr;
  TNumEdit* humidity_ = nullptr;
  QLabel* startHeight_ = nullptr;
  QLabel* endHeight_ = nullptr;
  QLabel* gasLoss_ = nullptr;
  QLabel* fsLoss_ = nullptr;
  QLabel* diffLoss_ = nullptr;
  QLabel* tropoLoss_ = nullptr;
  QLabel* ductLoss_ = nullptr;
  QLabel* overallLoss_ = nullptr;
  QLabel* invalidPath_ = nullptr;
  QLabel* modelName_ = nullptr;
  // The Model group.
  QComboBox* model_ = nullptr;
  QWidget* p452Inputs_ = nullptr;
  QComboBox* polarisation_ = nullptr;
  TNumEdit* clutter_ = nullptr;
  QCheckBox* coastGiven_ = nullptr;
  TNumEdit* dct_ = nullptr;
  TNumEdit* dcr_ = nullptr;
  QLabel* climateStatus_ = nullptr;
  TProfileChart* chart1_ = nullptr;
};

}  // namespace tarnvale::ui
