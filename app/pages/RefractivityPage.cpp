#include "app/pages/RefractivityPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "app/pages/FormParts.h"
#include "session/ClimateTexts.h"

namespace tarnvale::ui {

TRefractivityPage::TRefractivityPage(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName(QStringLiteral("TabSheet1"));
  pTime_ = NamedLabel(QStringLiteral("PTime"));
  txN0_ = NamedLabel(QStringLiteral("TXN_0"));
  rxN0_ = NamedLabel(QStringLiteral("RXN_0"));
  txDndz_ = NamedLabel(QStringLiteral("TXDNDZ"));
  rxDndz_ = NamedLabel(QStringLiteral("RXDNDZ"));
  txBeta0_ = NamedLabel(QStringLiteral("TXBETA0"));
  rxBeta0_ = NamedLabel(QStringLiteral("RXBETA0"));
  txBetaE_ = NamedLabel(QStringLiteral("TXBETAE"));
  rxBetaE_ = NamedLabel(QStringLiteral("RXBETAE"));
  kfact_ = NamedLabel(QStringLiteral("Kfact"));
  dct_ = NamedLabel(QStringLiteral("DCT"));
  dcr_ = NamedLabel(QStringLiteral("DCR"));
  rho_ = NamedLabel(QStringLiteral("RHO"));
  beta0_ = NamedLabel(QStringLiteral("BETA0"));
  seaFraction_ = NamedLabel(QStringLiteral("SEAFRACTION"));
  plen_ = NamedLabel(QStringLiteral("PLEN"));
  beta0_->setToolTip(QStringLiteral("This is the the time percentage that lapse rates exceeding 100N units /km can be "
                                    "expected in the first 100m of the lower atmosphere"));
  seaFraction_->setToolTip(QStringLiteral("Percentage of the path that is over the sea"));
  dct_->setToolTip(QStringLiteral("Distance along path to coast"));
  dcr_->setToolTip(QStringLiteral("Distance along path to coast"));

  auto* tx = new QGroupBox(QStringLiteral("Transmitter site Refractivity data"));
  auto* tl = new QGridLayout(tx);
  AddCaptionedRow(tl, 0, 0, QStringLiteral("Surface refractivity"), txN0_);
  AddCaptionedRow(tl, 1, 0, QStringLiteral("Refractivity gradient"), txDndz_);
  AddCaptionedRow(tl, 2, 0, QStringLiteral("Surface duct occurence"), txBeta0_);
  AddCaptionedRow(tl, 3, 0, QStringLiteral("Elevated duct occurence"), txBetaE_);
  AddCaptionedRow(tl, 4, 0, QStringLiteral("Coastal distance"), dct_);
  auto* rx = new QGroupBox(QStringLiteral("Receiver site Refractivity data"));
  auto* xl = new QGridLayout(rx);
  AddCaptionedRow(xl, 0, 0, QStringLiteral("Mean surface refractivity"), rxN0_);
  AddCaptionedRow(xl, 1, 0, QStringLiteral("Mean refractivity gradient"), rxDndz_);
  AddCaptionedRow(xl, 2, 0, QStringLiteral("Surface duct occurence"), rxBeta0_);
  AddCaptionedRow(xl, 3, 0, QStringLiteral("Elevated duct occurence"), rxBetaE_);
  AddCaptionedRow(xl, 4, 0, QStringLiteral("Coastal distance"), dcr_);
  auto* path = new QGroupBox(QStringLiteral("Path data"));
  auto* pl = new QGridLayout(path);
  AddCaptionedRow(pl, 0, 0, QStringLiteral("Percentage time"), pTime_);
  AddCaptionedRow(pl, 1, 0, QStringLiteral("Path Median K-factor"), kfact_);
  AddCaptionedRow(pl, 2, 0, QStringLiteral("Water vapour density"), rho_);
  AddCaptionedRow(pl, 3, 0, QStringLiteral("Path Beta0"), beta0_);
  AddCaptionedRow(pl, 4, 0, QStringLiteral("Fraction of path over sea"), seaFraction_);
  AddCaptionedRow(pl, 5, 0, QStringLiteral("Path length"), plen_);
  pathClimateStatus_ = NamedLabel(QStringLiteral("PathClimateStatus"));
  pathClimateStatus_->setWordWrap(true);
  pathClimateStatus_->hide();
  pl->addWidget(pathClimateStatus_, 6, 0, 1, 2);

  auto* layout = new QGridLayout(this);
  layout->addWidget(tx, 0, 0);
  layout->addWidget(rx, 0, 1);
  layout->addWidget(path, 1, 0, 1, 2);
  layout->setRowStretch(2, 1);
}

void TRefractivityPage::TabSheet1Show(double percent) {
  const ClimatePageTexts t = ClimatePage(session_.climate(), session_.tx, session_.rx, percent);
  pTime_->setText(qs(t.percentTime));
  kfact_->setText(qs(t.kFactor));
  txN0_->setText(qs(t.transmitter.n0));
  txDndz_->setText(qs(t.transmitter.deltaN));
  txBeta0_->setText(qs(t.transmitter.surfaceDuct));
  txBetaE_->setText(qs(t.transmitter.elevatedDuct));
  rxN0_->setText(qs(t.receiver.n0));
  rxDndz_->setText(qs(t.receiver.deltaN));
  rxBeta0_->setText(qs(t.receiver.surfaceDuct));
  rxBetaE_->setText(qs(t.receiver.elevatedDuct));
}

void TRefractivityPage::showOutcome(const CalculateOutcome& o) {
  if (!o.locationsValid) return;
  rho_->setText(qs(*o.rho));
  if (o.noModel) return;
  pathClimateStatus_->setText(qs(o.climateStatus));
  pathClimateStatus_->setVisible(!o.climateStatus.empty());
  if (!o.pathValid) return;
  const CalculateOutcome::Labels& l = *o.labels;
  beta0_->setText(qs(l.beta0));
  seaFraction_->setText(qs(l.seaFraction));
  dct_->setText(qs(l.dct));
  dcr_->setText(qs(l.dcr));
  plen_->setText(qs(l.pathLength));
}

}  // namespace tarnvale::ui
