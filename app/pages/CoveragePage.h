#pragma once
// The "Area Coverage" page: a square map of predicted path loss around the
// transmitter, computed by the coverage engine's worker threads while the
// window stays responsive, shown in monochrome, colour or over terrain with
// its scale beside it.
#include <QWidget>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/pages/PageHost.h"
#include "maps/Coverage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tarnvale::ui {

class TImage;
class TNumEdit;

class TCoveragePage : public QWidget {
  Q_OBJECT
 public:
  explicit TCoveragePage(PageHost host, QWidget* parent = nullptr);
  /// Stops a running plot and waits for its threads.
  ~TCoveragePage() override;

  /// True from Plot Coverage until the finished picture is shown (also while
  /// an aborted plot draws what it has).
  bool plotting() const { return run_ != nullptr; }
  /// Asks a running plot to stop and waits until its threads have ended (the
  /// window closing); the picture is not updated.
  void stopAndWait();

  TImage* coverageMap() const { return coverageMap_; }
  /// The composed picture of the last plot (empty before the first).
  const RgbImage& displayImage() const { return display_; }
  /// The grid and the values of the last plot, as far as they were computed.
  const CoverageGrid& grid() const { return grid_; }
  const CoverageValues& values() const { return values_; }

 signals:
  /// The plot's picture is shown (after a whole grid or an abort).
  void plotFinished();

 public slots:
  /// The page is shown: fills "System Data" and redraws the last picture and
  /// its scale.
  void CoverageShow();
  /// Starts the plot on the engine's worker threads and returns at once.
  void PlotCoverageClick();
  /// Abort, leaving the page and leaving the page control: ask the plot to
  /// stop after the points in hand; what was computed is still drawn.
  void AbortClick();
  void CoverageExit();
  /// Copies the picture to the clipboard.
  void CoverageMapDblClick();
  /// The right-click menu's exports of the last plot, through the command
  /// line's writers: the picture as PNG; the losses as a GeoTIFF with the
  /// plot's inputs and model in its metadata, as the command line's; a KML
  /// ground overlay with the picture as PNG beside it (a name ending in .kmz
  /// gives one KMZ file). Each asks for a file name first.
  void SavePng();
  void SaveGeoTiff();
  void SaveKml();

 private:
  struct Run;
  struct ColumnBatch;
  struct Finished;

  CoverageSettings readSettings();
  void requestStop();
  void showProgress(long long done, long long total);
  void columnsArrived(const ColumnBatch& batch);
  void plotDone(Finished& finished);
  void showScale();
  void showMenu(const QPoint& globalPos);
  /// The save dialog's answer for a file proposed as @p proposed; empty when
  /// cancelled or when there is no plot to save.
  QString askFileName(const QString& proposed);
  void reportSaved(bool written, const std::string& error);
  /// The quantity chosen: the scale fields take its unit, limits and start values.
  void quantityChosen();
  LinkQuantity quantity() const;

  PageHost host_;
  std::unique_ptr<Run> run_;
  /// Counts the plots, so that reports of a plot stopped by stopAndWait are dropped.
  int generation_ = 0;

  TNumEdit* range_ = nullptr;
  TNumEdit* resolution_ = nullptr;
  QComboBox* quantity_ = nullptr;
  QLabel* maxCaption_ = nullptr;
  QLabel* minCaption_ = nullptr;
  TNumEdit* maxLoss_ = nullptr;
  TNumEdit* minLoss_ = nullptr;
  TNumEdit* maxHeight_ = nullptr;
  TNumEdit* minHeight_ = nullptr;
  QRadioButton* monochrome_ = nullptr;
  QRadioButton* colourfull_ = nullptr;
  QRadioButton* terrain_ = nullptr;
  QCheckBox* contrast_ = nullptr;
  QPushButton* plot_ = nullptr;
  QPushButton* abort_ = nullptr;
  QProgressBar* progress_ = nullptr;
  TImage* coverageMap_ = nullptr;
  TImage* colourScale_ = nullptr;
  QLabel* scaleMin_ = nullptr;
  QLabel* scaleMax_ = nullptr;
  QLabel* centre_ = nullptr;
  QLabel* frequency_ = nullptr;
  QLabel* txHeight_ = nullptr;
  QLabel* rxHeight_ = nullptr;
  QLabel* timePercentage_ = nullptr;
  QLabel* modelName_ = nullptr;

  // The last plot: its lattice and settings, the values as far as computed,
  // the grey-level loss image, the composed picture and the scale.
  CoverageGrid grid_;
  CoverageSettings settings_;
  /// How the last plot was made, for its GeoTIFF.
  std::vector<std::pair<std::string, std::string>> metadata_;
  CoverageValues values_;
  RgbImage loss_;
  RgbImage display_;
  ColourScale scale_;
  bool hasScale_ = false;
};

}  // namespace tarnvale::ui
