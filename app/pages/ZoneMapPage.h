#pragma once
// The Zone Map page: the radio-climatic zones around the path with both ends
// marked, drawn afresh each time the page is shown, and the key to the zones.
#include <QWidget>

#include "maps/RgbImage.h"

class QLabel;

namespace tarnvale {
class Session;
}

namespace tarnvale::ui {

class TZoneMapPage : public QWidget {
  Q_OBJECT
 public:
  explicit TZoneMapPage(Session& session, QWidget* parent = nullptr);
  /// The picture on show (empty before the first one).
  const RgbImage& picture() const { return picture_; }
  /// The image control (ZoneMap), 400 x 400 pixels.
  QLabel* zoneMap() const { return zoneMap_; }

 public slots:
  void ZoneMapPageShow();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Session& session_;
  QLabel* zoneMap_;
  RgbImage picture_;  ///< held until the page is shown again
};

}  // namespace tarnvale::ui
