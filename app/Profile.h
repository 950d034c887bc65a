#pragma once
// TMainForm: the main window, the frame of the pages. It holds the menus, the
// page control and the shared session; it runs start-up and Calculate (the
// Input Data page gives the values, every page shows its part of the
// outcome), refuses actions while a plot runs and keeps the status bar. Each
// page is a class of its own in app/pages/.
#include <QMainWindow>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>

#include "session/Session.h"

class QTabWidget;
class QTextBrowser;
class QWidget;

namespace tarnvale::ui {

class TAbout;
class TInputPage;
class TRefractivityPage;
class TTabulatedPage;
class TTerrainMapPage;
class TCoveragePage;
class TLinkBudgetPage;
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
  void Help1Click();
  /// F1: the help at the section of the page shown.
  void PageHelpClick();
  void About1Click();
  void TabSheet1Show();
  void FormClose();
  void PageControl1Exit();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  /// Calculate, with the Range value in the current unit given exactly
  /// when a unit switch re-expressed it.
  void calculate(std::optional<double> exactRange);
  PageHost pageHost();
  /// Adds @p page to the page control under @p title; F1 on it opens the
  /// help at @p helpAnchor.
  void addPage(QWidget* page, const QString& title, const QString& helpAnchor);
  void restoreWindowGeometry();
  void saveWindowGeometry();
  /// Opens the help window at @p anchor.
  void showHelp(const QString& anchor);

  std::unique_ptr<Session> session_;
  bool started_ = false;
  std::size_t missingTilesShown_ = 0;  ///< tiles the status bar has already named
  bool zoneProblemShown_ = false;     ///< the status bar has named a damaged zone map
  std::filesystem::path sampleDirectory_;
  QString programDirectory_;
  QString terrainDirectory_;

  QTabWidget* pages_ = nullptr;
  TAbout* about_ = nullptr;
  QTextBrowser* help_ = nullptr;
  TInputPage* inputPage_ = nullptr;
  TRefractivityPage* refractivityPage_ = nullptr;
  TTabulatedPage* tabulatedPage_ = nullptr;
  TTerrainMapPage* terrainMapPage_ = nullptr;
  TCoveragePage* coveragePage_ = nullptr;
  TLinkBudgetPage* linkPage_ = nullptr;
};

}  // namespace tarnvale::ui
