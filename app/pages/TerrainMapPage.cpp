#include "app/pages/TerrainMapPage.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/pages/TImage.h"
#include "maps/TerrainMap.h"
#include "widgets/Dialogs.h"

namespace tarnvale::ui {
namespace {

QLabel* label(const QString& objectName, const QString& text) {
  auto* l = new QLabel(text);
  l->setObjectName(objectName);
  return l;
}

}  // namespace

TTerrainMapPage::TTerrainMapPage(PageHost host, QWidget* parent) : QWidget(parent), host_(std::move(host)) {
  setObjectName(QStringLiteral("map"));
  using namespace terrainmap;
  mapH_ = label(QStringLiteral("MapH"), QStringLiteral("Map data"));
  linkMap_ = new TImage(QStringLiteral("LinkMap"), kLinkMapSize, kLinkMapSize);
  txArea_ = label(QStringLiteral("TXArea"), QStringLiteral("TX Area"));
  rxArea_ = label(QStringLiteral("RXArea"), QStringLiteral("RX Area"));
  txLocal_ = new TImage(QStringLiteral("TXLocal"), kLocalMapSize, kLocalMapSize);
  rxLocal_ = new TImage(QStringLiteral("RXLocal"), kLocalMapSize, kLocalMapSize);

  auto* link = new QVBoxLayout;
  link->addWidget(mapH_);
  link->addWidget(linkMap_);
  link->addStretch();

  auto* panel = new QFrame;
  panel->setObjectName(QStringLiteral("LocalMaps"));
  panel->setFrameShape(QFrame::StyledPanel);
  auto* local = new QVBoxLayout(panel);
  local->addWidget(new QLabel(QStringLiteral("Local Maps 2 arcminute squares (about a mile radius)")));
  local->addWidget(txArea_);
  local->addWidget(txLocal_);
  local->addWidget(rxArea_);
  local->addWidget(rxLocal_);
  local->addStretch();

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(link);
  layout->addWidget(panel);
  layout->addStretch();
}

void TTerrainMapPage::mapShow() {
  Session& s = *host_.session;
  if (s.abortRequested) return;
  host_.calculate();  // clears the stop request
  // Without both ends there is no area to draw: the maps stay as they were.
  if (!s.terrain() || !s.tx.isValid() || !s.rx.isValid()) return;
  const TerrainMapSet set = DrawTerrainMaps(*s.terrain(), s.tx, s.rx, s.interpolateHeights);
  bool shown = true;
  mapH_->setText(QString::fromStdString(set.mapH));
  // Ends at one place give no map; an old map under the new heights would mislead.
  if (set.link.drawn)
    shown = linkMap_->setPicture(set.link.image);
  else
    linkMap_->clearPicture();
  if (set.tx.drawn) shown = txLocal_->setPicture(set.tx.image) && shown;
  txArea_->setText(QString::fromStdString(set.txArea));
  if (set.rx.drawn) shown = rxLocal_->setPicture(set.rx.image) && shown;
  rxArea_->setText(QString::fromStdString(set.rxArea));
  if (!shown) CurrentDialogs().message(this, QStringLiteral("Could not load or display bitmap"));
}

void TTerrainMapPage::mapExit() { host_.session->abortRequested = true; }

}  // namespace tarnvale::ui
