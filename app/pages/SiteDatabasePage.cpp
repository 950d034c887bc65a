#include "app/pages/SiteDatabasePage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "app/pages/FormParts.h"
#include "sites/SiteText.h"
#include "widgets/Dialogs.h"

namespace tarnvale::ui {
namespace {

constexpr int kSiteListColumns = 3;

QPushButton* button(const QString& objectName, const QString& caption) {
  auto* b = new QPushButton(caption);
  b->setObjectName(objectName);
  return b;
}

}  // namespace

TColumnList::TColumnList(int columns, QWidget* parent) : QListWidget(parent), columns_(columns) {
  // Names run down a column, then on to the next.
  setFlow(QListView::TopToBottom);
  setWrapping(true);
  setResizeMode(QListView::Adjust);
  setUniformItemSizes(true);
}

void TColumnList::resizeEvent(QResizeEvent* event) {
  QListWidget::resizeEvent(event);
  const int rowHeight = fontMetrics().height() + 4;
  setGridSize(QSize(std::max(1, viewport()->width() / columns_), rowHeight));
}

TSiteDatabasePage::TSiteDatabasePage(Window window, QWidget* parent) : QWidget(parent), window_(std::move(window)) {
  setObjectName(QStringLiteral("LoadSites"));
  numSites_ = new QLabel(qs(SiteCountText(0)));
  numSites_->setObjectName(QStringLiteral("NumSitesLabel"));
  siteList_ = new TColumnList(kSiteListColumns);
  siteList_->setObjectName(QStringLiteral("SiteList"));
  siteInfo_ = new QPlainTextEdit(QStringLiteral("SiteInfo"));
  siteInfo_->setObjectName(QStringLiteral("SiteInfo"));
  siteInfo_->setReadOnly(true);
  QFont fixed(QStringLiteral("DejaVu Sans Mono"));
  fixed.setStyleHint(QFont::Monospace);
  siteInfo_->setFont(fixed);  // the detail lines line up their values by spaces
  auto* load = button(QStringLiteral("LoadSitesButton"), QStringLiteral("Load"));
  auto* copyTx = button(QStringLiteral("CopyTx"), QStringLiteral("Copy site to Tx"));
  auto* copyRx = button(QStringLiteral("CopyRx"), QStringLiteral("Copy site to Rx"));
  connect(load, &QPushButton::clicked, this, &TSiteDatabasePage::LoadSitesButtonClick);
  connect(copyTx, &QPushButton::clicked, this, &TSiteDatabasePage::CopyTxClick);
  connect(copyRx, &QPushButton::clicked, this, &TSiteDatabasePage::CopyRxClick);
  connect(siteList_, &QListWidget::itemSelectionChanged, this, &TSiteDatabasePage::SiteListClick);

  auto* listGroup = new QGroupBox(QStringLiteral("Sites"));
  auto* ll = new QVBoxLayout(listGroup);
  auto* top = new QHBoxLayout;
  top->addWidget(load);
  top->addWidget(numSites_);
  top->addStretch();
  ll->addLayout(top);
  ll->addWidget(siteList_);

  auto* details = new QGroupBox(QStringLiteral("Site details"));
  auto* dl = new QVBoxLayout(details);
  dl->addWidget(siteInfo_);
  dl->addWidget(copyTx);
  dl->addWidget(copyRx);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(listGroup, 3);
  layout->addWidget(details, 2);
}

void TSiteDatabasePage::releaseSites() {
  sites_.reset();
  siteList_->clear();
  numSites_->setText(qs(SiteCountText(0)));
}

void TSiteDatabasePage::LoadSitesButtonClick() {
  if (sites_) releaseSites();
  const QString chosen = CurrentDialogs().openFileName(this, QStringLiteral("Please select site database file"),
                                                       window_.programDirectory(),
                                                       QStringLiteral("Site list (*.dat)"), QStringLiteral("dat"));
  // A cancelled dialog keeps the name it had.
  if (!chosen.isEmpty()) fileName_ = chosen;
  if (fileName_.isEmpty()) return;
  auto list = std::make_unique<CSites>(fileName_.toStdString());
  if (!list->loaded()) return;
  sites_ = std::move(list);
  numSites_->setText(qs(SiteCountText(sites_->count())));
  QStringList names;
  names.reserve(sites_->count());
  for (int i = 0; i < sites_->count(); ++i) names.append(qs(sites_->item(i).name()));
  siteList_->addItems(names);
}

const CSite* TSiteDatabasePage::selectedSite() const {
  if (!sites_) return nullptr;
  const int row = siteList_->currentRow();
  if (row < 0 || row >= sites_->count() || !siteList_->currentItem() || !siteList_->currentItem()->isSelected())
    return nullptr;
  return &sites_->item(row);
}

void TSiteDatabasePage::SiteListClick() {
  const CSite* site = selectedSite();
  const CSRTM* terrain = window_.terrain();
  if (!site || !terrain) return;
  siteInfo_->clear();
  for (const std::string& line : SiteDetails(*site, *terrain)) siteInfo_->appendPlainText(qs(line));
}

void TSiteDatabasePage::CopyTxClick() {
  if (const CSite* site = selectedSite()) emit copyToTransmitter(qs(SiteLocationText(*site, window_.inputFormat())));
}

void TSiteDatabasePage::CopyRxClick() {
  emit receiverByLocation();
  if (const CSite* site = selectedSite()) emit copyToReceiver(qs(SiteLocationText(*site, window_.inputFormat())));
}

}  // namespace tarnvale::ui
