#pragma once
// The "Terrain Map" page: the link map around the whole path with the path
// and both ends on it, and the local maps around the transmitter and the
// receiver, all coloured on the link map's height range.
#include <QWidget>

#include "app/pages/PageHost.h"

class QLabel;

namespace tarnvale::ui {

class TImage;

class TTerrainMapPage : public QWidget {
  Q_OBJECT
 public:
  explicit TTerrainMapPage(PageHost host, QWidget* parent = nullptr);

  TImage* linkMap() const { return linkMap_; }
  TImage* txLocal() const { return txLocal_; }
  TImage* rxLocal() const { return rxLocal_; }

 public slots:
  /// The page is shown: recalculates the path and redraws the three maps,
  /// unless a stop was asked for (leaving the coverage or this page), which
  /// leaves the maps as they were.
  void mapShow();
  /// The page is left: asks any running drawing or plot to stop.
  void mapExit();

 private:
  PageHost host_;
  QLabel* mapH_ = nullptr;
  QLabel* txArea_ = nullptr;
  QLabel* rxArea_ = nullptr;
  TImage* linkMap_ = nullptr;
  TImage* txLocal_ = nullptr;
  TImage* rxLocal_ = nullptr;
};

}  // namespace tarnvale::ui
