#pragma once
// The Site Database page: loads a site list, shows the details of the site
// clicked and copies a site to either end of the path.
#include <QListWidget>
#include <QWidget>
#include <functional>
#include <memory>

#include "sites/Sites.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tarnvale {
class CSRTM;
}

namespace tarnvale::ui {

/// A list box whose names run down three columns.
class TColumnList : public QListWidget {
  Q_OBJECT
 public:
  explicit TColumnList(int columns, QWidget* parent = nullptr);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  int columns_;
};

class TSiteDatabasePage : public QWidget {
  Q_OBJECT
 public:
  /// What the page needs of the main window.
  struct Window {
    std::function<const CSRTM*()> terrain;      ///< the terrain store, or nullptr before start-up
    std::function<int()> inputFormat;           ///< the selected InputFormat code
    std::function<QString()> programDirectory;  ///< where the open dialog starts
  };
  explicit TSiteDatabasePage(Window window, QWidget* parent = nullptr);

  /// The loaded list, or nullptr.
  const CSites* sites() const { return sites_.get(); }
  /// Deletes the list (the window closing).
  void releaseSites();

 signals:
  /// A site's location text in the selected format, for StartLoc.
  void copyToTransmitter(const QString& text);
  /// Copy to Rx was pressed: the receiver becomes a typed location, first
  /// of all and whether or not a site is then copied.
  void receiverByLocation();
  /// A site's location text in the selected format, for EndLoc.
  void copyToReceiver(const QString& text);

 public slots:
  void LoadSitesButtonClick();
  void SiteListClick();
  void CopyTxClick();
  void CopyRxClick();

 private:
  /// The selected site, or nullptr when no list is loaded or none is selected.
  const CSite* selectedSite() const;

  Window window_;
  std::unique_ptr<CSites> sites_;
  QString fileName_;  ///< the open dialog's file name, kept for the run
  QLabel* numSites_;
  TColumnList* siteList_;
  QPlainTextEdit* siteInfo_;
};

}  // namespace tarnvale::ui
