#include "app/pages/ZoneMapPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/pages/TImage.h"

#include "maps/ZoneMapRenderer.h"
#include "session/Session.h"
#include "widgets/Dialogs.h"

namespace tarnvale::ui {
namespace {

constexpr int kSwatchSize = 16;

QColor qColour(Colour c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

QWidget* swatch(const QString& objectName, Colour colour) {
  auto* s = new QLabel;
  s->setObjectName(objectName);
  s->setFixedSize(kSwatchSize, kSwatchSize);
  s->setAutoFillBackground(true);
  QPalette p = s->palette();
  p.setColor(QPalette::Window, qColour(colour));
  s->setPalette(p);
  s->setFrameShape(QFrame::Box);
  return s;
}

}  // namespace

TZoneMapPage::TZoneMapPage(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName(QStringLiteral("ZoneMapPage"));
  zoneMap_ = new QLabel;
  zoneMap_->setObjectName(QStringLiteral("ZoneMap"));
  zoneMap_->setFixedSize(kZoneMapWidth, kZoneMapHeight);
  zoneMap_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto* key = new QGroupBox(QStringLiteral("Key to Zones"));
  key->setObjectName(QStringLiteral("ZoneKey"));
  auto* kl = new QGridLayout(key);
  const struct {
    const char* name;
    const char* caption;
    Colour colour;
  } entries[] = {{"SeaShape", "Sea", ZoneColour(zones::kSea)},
                 {"CoastalShape", "Coastal", ZoneColour(zones::kCoastalLand)},
                 {"InlandShape", "Inland", ZoneColour(zones::kInland)}};
  int row = 0;
  for (const auto& e : entries) {
    kl->addWidget(swatch(QString::fromLatin1(e.name), e.colour), row, 0);
    kl->addWidget(new QLabel(QString::fromLatin1(e.caption)), row++, 1);
  }

  auto* right = new QVBoxLayout;
  right->addWidget(key);
  right->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(zoneMap_, 0, Qt::AlignLeft | Qt::AlignTop);
  layout->addLayout(right);
  layout->addStretch();
}

void TZoneMapPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) ZoneMapPageShow();
}

void TZoneMapPage::ZoneMapPageShow() {
  CZONES* zones = session_.zones();
  if (!zones) return;  // start-up did not get as far as the zone map
  const CLocator& tx = session_.tx;
  const CLocator& rx = session_.rx;
  ZoneMapPicture made = RenderZoneMap(*zones, tx.latitude(), tx.longitude(), rx.latitude(), rx.longitude(),
                                      zoneMap_->width(), zoneMap_->height());
  switch (made.status) {
    case ZoneMapPicture::Status::kNoPicture:
      return;  // identical ends: the last picture stays
    case ZoneMapPicture::Status::kDrawFailure:
      CurrentDialogs().message(this, QStringLiteral("Could not load or display bitmap"));
      return;
    case ZoneMapPicture::Status::kDrawn:
      break;
  }
  picture_ = std::move(made.image);
  const QImage shown = ToQImage(picture_);
  if (shown.isNull()) {
    CurrentDialogs().message(this, QStringLiteral("Could not load or display bitmap"));
    return;
  }
  zoneMap_->setPixmap(QPixmap::fromImage(shown));
}

}  // namespace tarnvale::ui
