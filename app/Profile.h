#pragma once
// TMainForm: the main window. It reads its fields into the session, runs the
// session's actions and shows their outcome; the rules behind every text it
// shows live in the session core.
#include <QMainWindow>
#include <QString>
#include <filesystem>
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
class TTerrainMapPage;
class TCoveragePage;
struct PageHost;

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  /// A window that computes on the sample folder beside the program
  /// (share/tarnvale/sample) at a first start without tiles.
  explicit TMainForm(QWidget* parent = nullptr);
  /// A window whose first start without tiles computes on @p sampleDirectory
  /// (a folder holding tiles), or asks for a folder when it is empty.
  explicit TMainForm(const std::filesystem::path& sampleDirectory, QWidget* parent = nullptr);
  ~TMainForm() override;

  Session& session() { return *session_; }
  /// True once start-up has run (successfully or not).
  bool started() const { return started_; }
  /// The directory of profile.ini (the working directory at start-up).
  const QString& programDirectory() const { return programDirectory_; }
  const QString& terrainDirectory() const { return terrainDirectory_; }
  /// True while Plot Coverage runs. Calculate and the other pages' actions
  /// are then refused with a status-bar message (refuseWhilePlotting).
  bool plotRunning() const;
  /// Shows the status-bar message and returns true while a plot runs.
  bool refuseWhilePlotting();

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
  /// F1: the help at the section of the page shown.
  void PageHelpClick();
  void About1Click();
  void ProfileDblClick();
  void Chart1DblClick();
  void TabSheet1Show();
  void FormClose();
  void PageControl1Exit();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void buildInputPage(QWidget* page);
  void buildRefractivityPage(QWidget* page);
  void buildTabulatedPage(QWidget* page);
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
  PageHost pageHost();
  /// Colours of the panels and of the K factor and receiver fields, taken
  /// from the current palette so that they read in any theme.
  void applyColours();
  void restoreWindowGeometry();
  /// Opens the help window at @p anchor.
  void showHelp(const QString& anchor);
  void saveWindowGeometry();

  std::unique_ptr<Session> session_;
  bool started_ = false;
  std::size_t missingTilesShown_ = 0;  ///< tiles the status bar has already named
  bool zoneProblemShown_ = false;     ///< the status bar has named a damaged zone map
  std::filesystem::path sampleDirectory_;
  QString programDirectory_;
  QString terrainDirectory_;
  QString saveFileName_;  ///< the save dialog's file name, kept for the run
  QString lastRangeText_; ///< what the last Calculate wrote into Range

  QTabWidget* pages_ = nullptr;
  TAbout* about_ = nullptr;
  QTextBrowser* help_ = nullptr;
  TTerrainMapPage* terrainMapPage_ = nullptr;
  TCoveragePage* coveragePage_ = nullptr;

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
  QLabel* climateStatus_ = nullptr;
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
  QLabel* pathClimateStatus_ = nullptr;

  // Tabulated Data page.
  TProfileList* profile_ = nullptr;
};

}  // namespace tarnvale::ui
