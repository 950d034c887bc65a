#include "app/pages/TImage.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tarnvale::ui {

QImage ToQImage(const RgbImage& image) {
  if (image.empty()) return {};
  const std::vector<std::uint8_t> rgb = image.toRgb888();
  const QImage view(rgb.data(), image.width(), image.height(), 3 * image.width(), QImage::Format_RGB888);
  return view.copy();  // the view borrows rgb, which goes out of scope here
}

TImage::TImage(const QString& objectName, int width, int height, QWidget* parent) : QWidget(parent) {
  setObjectName(objectName);
  setFixedSize(width, height);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

bool TImage::setPicture(const RgbImage& image) {
  QImage converted = ToQImage(image);
  if (converted.isNull() && !image.empty()) return false;
  picture_ = std::move(converted);
  update();
  return true;
}

void TImage::clearPicture() {
  picture_ = QImage();
  update();
}

void TImage::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, picture_);
}

void TImage::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit doubleClicked();
  QWidget::mouseDoubleClickEvent(event);
}

void TImage::contextMenuEvent(QContextMenuEvent* event) { emit menuRequested(event->globalPos()); }

}  // namespace tarnvale::ui
