#pragma once
// TImage: an image control that shows one off-screen picture at its top-left
// corner, at the picture's own pixels, and repaints it whenever the window
// paints. Double click and right click are passed on as signals.
#include <QImage>
#include <QWidget>

#include "maps/RgbImage.h"

namespace tarnvale::ui {

/// The picture as Qt draws it (RGB888, one deep copy).
QImage ToQImage(const RgbImage& image);

class TImage : public QWidget {
  Q_OBJECT
 public:
  /// @param width, height the control's fixed size (pixels)
  TImage(const QString& objectName, int width, int height, QWidget* parent = nullptr);

  /// Replaces the picture; false when it could not be converted (the control
  /// then keeps its old picture).
  bool setPicture(const RgbImage& image);
  /// Removes the picture: the control shows its background.
  void clearPicture();
  /// The picture shown, null when there is none.
  const QImage& picture() const { return picture_; }

 signals:
  void doubleClicked();
  /// A right click at @p globalPos.
  void menuRequested(const QPoint& globalPos);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QImage picture_;
};

}  // namespace tarnvale::ui
