#pragma once
// TMainForm: the main window. It reads its fields into the session, runs the
// session's actions and shows their outcome; the rules behind every text it
// shows live in the session core.
#include <QMainWindow>
#include <QString>
#include <memory>
#include <optional>

#include "session/Session.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTextBrowser;
class QWidget;

namespace tarnvale::ui {

class TNumEdit;
class TPanel;
class TProfileChart;
class TProfileList;
class TAbout;

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  Session& session() { return *session_; }
  /// True once start-up has run (successfully or not).
  bool started() const { return started_; }
  /// The directory of profile.ini (the working directory at start-up).
  const QString& programDirectory() const { return programDirectory_; }
  const QString& terrainDirectory() const { return terrainDirectory_; }

 public slots:
  void FormActivate();
  bool InitialiseMainWindow();
  void CalculateBtnClick();
  void Calculate();
  void SaveInitButtonClick();
  void SaveSettings();
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
  void Help1Click();
  void About1Click();
  void ProfileDblClick();
  void Chart1DblClick();
  void TabSheet1Show();
  void FormClose();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void buildInputPage(QWidget* page);
  void buildRefractivityPage(QWidget* page);
  void buildTabulatedPage(QWidget* page);
  QWidget* placeholderPage(const QString& objectName, const QString& title);
  void SetEndPointMode(std::uint8_t mode);
  void FormatLocationsForDisplay();
  int selectedFormat() const;
  void checkFormat(int format);
  InputValues readFields();
  /// False after telling the user about the first numeric field that does
  /// not hold a number within its limits (the focus is then in that field).
  bool checkFields();
  /// Calculate, with the Range value in the current unit given exactly
  /// when a unit switch re-expressed it.
  void calculate(std::optional<double> exactRange);
  void showOutcome(const CalculateOutcome& outcome);
  /// Colours of the panels and of the K factor and receiver fields, taken
  /// from the current palette so that they read in any theme.
  void applyColours();
  void restoreWindowGeometry();
  void saveWindowGeometry();

  std::unique_ptr<Session> session_;
  bool started_ = false;
  QString programDirectory_;
  QString terrainDirectory_;
  QString saveFileName_;  ///< the save dialog's file name, kept for the run
  QString lastRangeText_; ///< what the last Calculate wrote into Range

  QTabWidget* pages_ = nullptr;
  TAbout* about_ = nullptr;
  QTextBrowser* help_ = nullptr;

  // Input Data page.
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
  TProfileChart* chart1_ = nullptr;

  // Radio Refractivity Data page.
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

  // Tabulated Data page.
  TProfileList* profile_ = nullptr;
};

}  // namespace tarnvale::ui
