#include "app/pages/LinkBudgetPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <cmath>

#include "app/pages/FormParts.h"
#include "app/pages/PatternChart.h"
#include "link/LinkUnits.h"
#include "link/PatternReader.h"
#include "link/TextScan.h"
#include "session/LinkSetup.h"
#include "text/Format.h"
#include "widgets/Dialogs.h"
#include "widgets/Numedit.h"

namespace tarnvale::ui {
namespace {

constexpr int kFieldWidth = 90;
constexpr int kPlotSize = 300;   // each polar plot (pixels, at least)
constexpr int kDbi = 0, kDbd = 1;  // the gain unit boxes' items
const QColor kPositive(0, 140, 0);
const QColor kNegative(210, 0, 0);

/// The text of a power in dBm that reads back as exactly @p dBm.
QString powerText(double dBm) { return qs(link::ShortestText(dBm) + " dBm"); }

QLabel* budgetLabel(const char* name) {
  QLabel* l = NamedLabel(QString::fromLatin1(name), QStringLiteral("-"));
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return l;
}

}  // namespace

TLinkBudgetPage::TLinkBudgetPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("LinkBudget"));

  // ---- Transmitter ----
  power_ = new QLineEdit;
  power_->setObjectName(QStringLiteral("TxPower"));
  power_->setToolTip(QStringLiteral("Transmitter power with its unit: 10 W, 500 mW, 40 dBm, -3 dBW"));
  power_->setMaximumWidth(kFieldWidth + 30);
  powerDbm_ = NamedLabel(QStringLiteral("TxPowerDbm"));
  powerWatts_ = NamedLabel(QStringLiteral("TxPowerWatts"));
  connect(power_, &QLineEdit::editingFinished, this, &TLinkBudgetPage::showPowerForms);
  buildAntenna(tx_, QStringLiteral("Tx"));
  auto* txGroup = new QGroupBox(QStringLiteral("Transmitter"));
  auto* tg = new QGridLayout(txGroup);
  auto* powerRow = new QHBoxLayout;
  powerRow->addWidget(power_);
  powerRow->addWidget(powerDbm_);
  powerRow->addWidget(powerWatts_);
  powerRow->addStretch();
  tg->addWidget(new QLabel(QStringLiteral("Power")), 0, 0);
  tg->addLayout(powerRow, 0, 1, 1, 3);
  int row = 1;
  const auto addAntennaRows = [&row](QGridLayout* g, AntennaFields& a, QWidget* browse, QWidget* clear) {
    g->addWidget(new QLabel(QStringLiteral("Feeder loss (dB)")), row, 0);
    g->addWidget(a.feeder, row++, 1);
    g->addWidget(new QLabel(QStringLiteral("Antenna gain")), row, 0);
    auto* gainRow = new QHBoxLayout;
    gainRow->addWidget(a.gain);
    gainRow->addWidget(a.gainUnit);
    gainRow->addWidget(a.gainFromPattern);
    gainRow->addStretch();
    g->addLayout(gainRow, row++, 1, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("Pattern")), row, 0);
    auto* patternRow = new QHBoxLayout;
    patternRow->addWidget(a.patternName, 1);
    patternRow->addWidget(browse);
    patternRow->addWidget(clear);
    g->addLayout(patternRow, row++, 1, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("Azimuth (degrees true)")), row, 0);
    g->addWidget(a.azimuth, row++, 1);
    g->addWidget(new QLabel(QStringLiteral("Downtilt (degrees)")), row, 0);
    g->addWidget(a.downtilt, row++, 1);
  };
  const auto button = [](const char* name, const QString& caption, const QString& hint) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    return b;
  };
  QPushButton* txBrowse = button("TxPatternBrowse", QStringLiteral("Pattern…"),
                                 QStringLiteral("Read the transmitting antenna's pattern (.msi, .pln, .txt, .csv)"));
  QPushButton* txClear = button("TxPatternClear", QStringLiteral("Clear"), QStringLiteral("No pattern"));
  connect(txBrowse, &QPushButton::clicked, this, &TLinkBudgetPage::TxPatternClick);
  connect(txClear, &QPushButton::clicked, this, &TLinkBudgetPage::TxPatternClearClick);
  addAntennaRows(tg, tx_, txBrowse, txClear);

  // ---- Receiver ----
  buildAntenna(rx_, QStringLiteral("Rx"));
  rxPointsAtTx_ = NamedCheck(QStringLiteral("RxPointsAtTx"), QStringLiteral("Points at the transmitter"),
                             QStringLiteral("On a map the receiving antenna turns toward the transmitter at every "
                                            "point; otherwise it keeps its azimuth and downtilt"));
  rxPointsAtTx_->setChecked(true);
  connect(rxPointsAtTx_, &QCheckBox::toggled, this, [this] {
    updateReceiverPointing();
    showPlots();
  });
  threshold_ = LimitedField(QStringLiteral("Threshold"), kThresholdLimits, exactThreshold_,
                            QStringLiteral("Receiver sensitivity the margin is taken against (dBm)"), kFieldWidth);
  shownThreshold_ = threshold_->text();
  auto* rxGroup = new QGroupBox(QStringLiteral("Receiver"));
  auto* rg = new QGridLayout(rxGroup);
  row = 0;
  QPushButton* rxBrowse = button("RxPatternBrowse", QStringLiteral("Pattern…"),
                                 QStringLiteral("Read the receiving antenna's pattern (.msi, .pln, .txt, .csv)"));
  QPushButton* rxClear = button("RxPatternClear", QStringLiteral("Clear"), QStringLiteral("No pattern"));
  connect(rxBrowse, &QPushButton::clicked, this, &TLinkBudgetPage::RxPatternClick);
  connect(rxClear, &QPushButton::clicked, this, &TLinkBudgetPage::RxPatternClearClick);
  rg->addWidget(rxPointsAtTx_, row++, 0, 1, 2);
  addAntennaRows(rg, rx_, rxBrowse, rxClear);
  rg->addWidget(new QLabel(QStringLiteral("Threshold (dBm)")), row, 0);
  rg->addWidget(threshold_, row++, 1);

  auto* calculate = new QPushButton(QStringLiteral("&Calculate"));
  calculate->setObjectName(QStringLiteral("LinkCalculate"));
  calculate->setToolTip(QStringLiteral("Calculate the path with these antennas"));
  connect(calculate, &QPushButton::clicked, this, [this] {
    if (checkFields()) emit calculateRequested();
  });

  // ---- The budget ----
  auto* budget = new QGroupBox(QStringLiteral("Budget of the last Calculate"));
  auto* bg = new QGridLayout(budget);
  loss_ = budgetLabel("LinkLoss");
  eirp_ = budgetLabel("LinkEirp");
  txToward_ = budgetLabel("LinkTxGainToward");
  rxToward_ = budgetLabel("LinkRxGainToward");
  received_ = budgetLabel("LinkReceived");
  field_ = budgetLabel("LinkField");
  margin_ = budgetLabel("LinkMargin");
  QLabel* order[] = {loss_, eirp_, txToward_, rxToward_, received_, field_, margin_};
  const std::vector<LinkBudgetLine> captions = LinkBudgetLines(LinkBudget{}, true);
  for (std::size_t i = 0; i < captions.size(); ++i)
    AddCaptionedRow(bg, static_cast<int>(i), 0, qs(captions[i].caption), order[i]);

  // ---- The plots ----
  plotTx_ = NamedRadio(QStringLiteral("PlotTxPattern"), QStringLiteral("Transmitting antenna"));
  plotRx_ = NamedRadio(QStringLiteral("PlotRxPattern"), QStringLiteral("Receiving antenna"));
  plotTx_->setChecked(true);
  connect(plotTx_, &QRadioButton::toggled, this, &TLinkBudgetPage::showPlots);
  patternSummary_ = NamedLabel(QStringLiteral("PatternSummary"));
  patternSummary_->setWordWrap(true);
  horizontal_ = new TPatternChart(false);
  vertical_ = new TPatternChart(true);
  for (TPatternChart* chart : {horizontal_, vertical_}) {
    chart->setMinimumSize(kPlotSize, kPlotSize);
    chart->setFocusPolicy(Qt::StrongFocus);
    connect(chart, &TPatternChart::doubleClicked, this, [this, chart] { copyChart(chart); });
    auto* copy = new QShortcut(QKeySequence::Copy, chart, this, [this, chart] { copyChart(chart); });
    copy->setContext(Qt::WidgetShortcut);
  }
  auto* which = new QHBoxLayout;
  which->addWidget(new QLabel(QStringLiteral("Pattern of the")));
  which->addWidget(plotTx_);
  which->addWidget(plotRx_);
  which->addStretch();
  auto* plots = new QHBoxLayout;
  plots->addWidget(horizontal_, 1);
  plots->addWidget(vertical_, 1);

  auto* inputs = new QVBoxLayout;
  inputs->addWidget(txGroup);
  inputs->addWidget(rxGroup);
  auto* calculateRow = new QHBoxLayout;
  calculateRow->addWidget(calculate);
  calculateRow->addStretch();
  inputs->addLayout(calculateRow);
  inputs->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(budget);
  right->addLayout(which);
  right->addWidget(patternSummary_);
  right->addLayout(plots, 1);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(inputs, 0);
  layout->addLayout(right, 1);

  restore(LinkRecord{});
}

void TLinkBudgetPage::buildAntenna(AntennaFields& a, const QString& prefix) {
  const bool transmitter = prefix == QLatin1String("Tx");
  const QString end = transmitter ? QStringLiteral("transmitting") : QStringLiteral("receiving");
  a.feeder = LimitedField(prefix + QStringLiteral("FeederLoss"), kFeederLossLimits, 0.0,
                          QStringLiteral("Loss of the feeder between the radio and the %1 antenna (dB)").arg(end),
                          kFieldWidth);
  a.gain = LimitedField(prefix + QStringLiteral("Gain"), kAntennaGainLimits, 0.0,
                        QStringLiteral("Peak gain of the %1 antenna").arg(end), kFieldWidth);
  a.gainUnit = new QComboBox;
  a.gainUnit->setObjectName(prefix + QStringLiteral("GainUnit"));
  a.gainUnit->addItems({QStringLiteral("dBi"), QStringLiteral("dBd")});
  a.gainUnit->setToolTip(QStringLiteral("dBi over the isotropic antenna, dBd over the half-wave dipole (+2.15 dB)"));
  a.gainFromPattern = NamedCheck(prefix + QStringLiteral("GainFromPattern"), QStringLiteral("Pattern's gain"),
                                 QStringLiteral("Use the GAIN the pattern file gives"));
  a.gainFromPattern->setEnabled(false);
  a.patternName = new QLineEdit;
  a.patternName->setObjectName(prefix + QStringLiteral("Pattern"));
  a.patternName->setReadOnly(true);
  a.patternName->setPlaceholderText(QStringLiteral("none: the same gain in every direction"));
  a.azimuth = LimitedField(prefix + QStringLiteral("Azimuth"), kAntennaAzimuthLimits, 0.0,
                           QStringLiteral("Direction of the %1 antenna's boresight (degrees true)").arg(end),
                           kFieldWidth);
  a.downtilt = LimitedField(prefix + QStringLiteral("Downtilt"), kDowntiltLimits, 0.0,
                            QStringLiteral("Mechanical downtilt of the %1 antenna (degrees, positive down)").arg(end),
                            kFieldWidth);
  AntennaFields* fields = &a;
  connect(a.gainUnit, &QComboBox::currentIndexChanged, this, [this, fields](int index) {
    // The field keeps the gain, re-expressed in the unit chosen.
    double shown = 0.0;
    if (fields->gain->text() != fields->shownGain && fields->gain->tryValue(shown)) {
      fields->exactGainDbi = index == kDbi ? DbiFromDbd(shown) : shown;  // typed in the unit before
      fields->gainGiven = true;
    }
    showGain(*fields);
  });
  connect(a.gainFromPattern, &QCheckBox::toggled, this, [this, fields] { showGain(*fields); });
  connect(a.downtilt, &TNumEdit::exited, this, &TLinkBudgetPage::showPlots);
  connect(a.azimuth, &TNumEdit::exited, this, &TLinkBudgetPage::showPlots);
}

// ---- Fields to record and back ----

void TLinkBudgetPage::showGain(AntennaFields& a) {
  const bool fromPattern = a.gainFromPattern->isChecked() && a.pattern.loaded() && a.pattern.info().gainDbi;
  if (fromPattern) a.exactGainDbi = *a.pattern.info().gainDbi;
  a.gain->setEnabled(!fromPattern);
  a.gain->SetValue(a.gainUnit->currentIndex() == kDbd ? DbdFromDbi(a.exactGainDbi) : a.exactGainDbi);
  a.shownGain = a.gain->text();
}

void TLinkBudgetPage::fillAntenna(AntennaFields& a, const LinkAntenna& antenna) {
  a.pattern = antenna.pattern;
  a.patternPath = antenna.patternPath;
  a.patternName->setText(QFileInfo(qs(antenna.patternPath)).fileName());
  a.patternName->setToolTip(antenna.pattern.loaded()
                                ? qs(antenna.patternPath) + QLatin1Char('\n') + qs(PatternSummary(antenna.pattern))
                                : QString());
  const bool patternGain = antenna.pattern.loaded() && antenna.pattern.info().gainDbi.has_value();
  a.gainFromPattern->setEnabled(patternGain);
  a.exactGainDbi = antenna.peakGainDbi();
  a.gainGiven = antenna.gainDbi.has_value();
  {
    const QSignalBlocker quiet(a.gainFromPattern);
    a.gainFromPattern->setChecked(patternGain && !antenna.gainDbi);
  }
  showGain(a);
  a.exactFeeder = antenna.feederLossDb;
  a.feeder->SetValue(a.exactFeeder);
  a.shownFeeder = a.feeder->text();
  a.exactAzimuth = antenna.azimuthDeg;
  a.azimuth->SetValue(a.exactAzimuth);
  a.shownAzimuth = a.azimuth->text();
  a.exactDowntilt = antenna.downtiltDeg;
  a.downtilt->SetValue(a.exactDowntilt);
  a.shownDowntilt = a.downtilt->text();
}

void TLinkBudgetPage::readAntenna(const AntennaFields& a, LinkAntenna& antenna) const {
  // A field still showing what it was filled with gives the exact value.
  const auto value = [](TNumEdit* field, const QString& shown, double exact) {
    double typed = 0.0;
    return field->text() == shown || !field->tryValue(typed) ? exact : typed;
  };
  antenna.pattern = a.pattern;
  antenna.patternPath = a.patternPath;
  const bool fromPattern = a.gainFromPattern->isChecked() && a.pattern.loaded() && a.pattern.info().gainDbi;
  if (fromPattern) {
    antenna.gainDbi.reset();
  } else if (a.gain->text() == a.shownGain) {
    if (a.gainGiven)
      antenna.gainDbi = a.exactGainDbi;
    else
      antenna.gainDbi.reset();  // the field shows the peak gain the record has without one
  } else {
    double typed = 0.0;
    a.gain->tryValue(typed);
    antenna.gainDbi = a.gainUnit->currentIndex() == kDbd ? DbiFromDbd(typed) : typed;
  }
  antenna.feederLossDb = value(a.feeder, a.shownFeeder, a.exactFeeder);
  antenna.azimuthDeg = value(a.azimuth, a.shownAzimuth, a.exactAzimuth);
  antenna.downtiltDeg = value(a.downtilt, a.shownDowntilt, a.exactDowntilt);
}

bool TLinkBudgetPage::checkFields(bool tell) {
  double dBm = 0.0;
  std::string why;
  if (power_->text() != shownPower_ &&
      (!ParsePower(ss(power_->text()), dBm, &why) || dBm < kTxPowerLimits.min || dBm > kTxPowerLimits.max)) {
    if (tell) {
      if (why.empty()) why = "the power must be from -100 to 100 dBm (0.1 pW to 10 MW)";
      CurrentDialogs().error(this, QStringLiteral("Power: %1").arg(qs(why)));
      power_->setFocus();
      power_->selectAll();
    }
    return false;
  }
  for (TNumEdit* field : {tx_.feeder, tx_.gain, tx_.azimuth, tx_.downtilt, rx_.feeder, rx_.gain, rx_.azimuth,
                          rx_.downtilt, threshold_}) {
    if (!field->isEnabled()) continue;
    if (tell ? !field->DoExit() : !field->check()) return false;
  }
  return true;
}

LinkRecord TLinkBudgetPage::record() const {
  LinkRecord r;
  double dBm = exactPowerDbm_;
  if (power_->text() != shownPower_ && !ParsePower(ss(power_->text()), dBm)) dBm = exactPowerDbm_;
  r.powerDbm = dBm;
  readAntenna(tx_, r.tx);
  readAntenna(rx_, r.rx);
  r.rxPointsAtTx = rxPointsAtTx_->isChecked();
  double threshold = 0.0;
  r.rxThresholdDbm =
      threshold_->text() == shownThreshold_ || !threshold_->tryValue(threshold) ? exactThreshold_ : threshold;
  return r;
}

void TLinkBudgetPage::restore(const LinkRecord& r) {
  exactPowerDbm_ = r.powerDbm;
  power_->setText(powerText(r.powerDbm));
  shownPower_ = power_->text();
  showPowerForms();
  fillAntenna(tx_, r.tx);
  fillAntenna(rx_, r.rx);
  rxPointsAtTx_->setChecked(r.rxPointsAtTx);
  exactThreshold_ = r.rxThresholdDbm;
  threshold_->SetValue(exactThreshold_);
  shownThreshold_ = threshold_->text();
  updateReceiverPointing();
  showPlots();
}

void TLinkBudgetPage::showPowerForms() {
  double dBm = 0.0;
  if (power_->text() == shownPower_) {
    dBm = exactPowerDbm_;
  } else if (!ParsePower(ss(power_->text()), dBm)) {
    powerDbm_->setText(QStringLiteral("-"));
    powerWatts_->setText(QStringLiteral("-"));
    return;
  }
  powerDbm_->setText(qs("= " + FormatFixed(dBm, 6, 2) + " dBm"));
  powerWatts_->setText(qs("= " + FormatWatts(WattsFromDbm(dBm))));
}

void TLinkBudgetPage::updateReceiverPointing() {
  const bool fixed = !rxPointsAtTx_->isChecked();
  rx_.azimuth->setEnabled(fixed);
  rx_.downtilt->setEnabled(fixed);
}

// ---- Patterns ----

void TLinkBudgetPage::TxPatternClick() { choosePattern(tx_); }
void TLinkBudgetPage::RxPatternClick() { choosePattern(rx_); }
void TLinkBudgetPage::TxPatternClearClick() { clearPattern(tx_); }
void TLinkBudgetPage::RxPatternClearClick() { clearPattern(rx_); }

void TLinkBudgetPage::choosePattern(AntennaFields& a) {
  const QString chosen = CurrentDialogs().openFileName(
      this, QStringLiteral("Antenna pattern"), patternDirectory_,
      QStringLiteral("Antenna patterns (*.msi *.MSI *.pln *.PLN *.txt *.TXT *.csv *.CSV);;All files (*)"), QString());
  if (chosen.isEmpty()) return;
  patternDirectory_ = QFileInfo(chosen).absolutePath();
  AntennaPattern pattern;
  std::string error;
  if (!LoadPatternFile(ss(chosen), pattern, error)) {
    CurrentDialogs().error(this, qs(error));
    return;
  }
  LinkAntenna antenna;
  readAntenna(a, antenna);
  antenna.pattern = std::move(pattern);
  antenna.patternPath = ss(chosen);
  // A pattern that states its gain brings it, until the user gives another.
  if (antenna.pattern.info().gainDbi) antenna.gainDbi.reset();
  fillAntenna(a, antenna);
  if (&a == &rx_) plotRx_->setChecked(true);
  if (&a == &tx_) plotTx_->setChecked(true);
  showPlots();
}

void TLinkBudgetPage::clearPattern(AntennaFields& a) {
  LinkAntenna antenna;
  readAntenna(a, antenna);
  if (!antenna.gainDbi) antenna.gainDbi = antenna.peakGainDbi();
  antenna.pattern = AntennaPattern();
  antenna.patternPath.clear();
  fillAntenna(a, antenna);
  showPlots();
}

void TLinkBudgetPage::showPlots() {
  const AntennaFields& a = plotRx_->isChecked() ? rx_ : tx_;
  double tilt = 0.0;
  if (!a.downtilt->tryValue(tilt)) tilt = 0.0;
  if (a.downtilt->text() == a.shownDowntilt) tilt = a.exactDowntilt;
  const QString name = qs(PatternSummary(a.pattern));
  patternSummary_->setText(name);
  horizontal_->show(a.pattern, 0.0, QStringLiteral("Horizontal"));
  vertical_->show(a.pattern, tilt,
                  tilt == 0.0 ? QStringLiteral("Vertical")
                              : QStringLiteral("Vertical (mechanical downtilt %1°)").arg(qs(FormatGeneral(tilt, 4))));
  // The green ray: the path of the last Calculate, as this antenna sees it
  // (a receiving antenna that turns toward the transmitter has it on boresight).
  std::optional<PolarDirection> toward;
  const bool receiving = &a == &rx_;
  if (geometry_ && !(receiving && rxPointsAtTx_->isChecked())) {
    double azimuth = 0.0;
    if (!a.azimuth->tryValue(azimuth) || a.azimuth->text() == a.shownAzimuth) azimuth = a.exactAzimuth;
    toward = receiving ? PolarDirectionOf(geometry_->bearingFromRxDeg, geometry_->rxElevationDeg, azimuth)
                       : PolarDirectionOf(geometry_->bearingFromTxDeg, geometry_->txElevationDeg, azimuth);
  }
  horizontal_->showDirection(toward ? std::optional<double>(toward->horizontalPlotDeg) : std::nullopt);
  vertical_->showDirection(toward ? std::optional<double>(toward->verticalPlotDeg) : std::nullopt);
}

void TLinkBudgetPage::copyChart(TPatternChart* chart) {
  auto* data = new QMimeData;
  data->setData(QStringLiteral("image/svg+xml"), chart->toSvg());
  data->setImageData(chart->toImage());
  CurrentDialogs().setClipboard(data);
  CurrentDialogs().information(this, QStringLiteral("Chart copied to Clipboard"));
}

// ---- The budget ----

void TLinkBudgetPage::showBudgetLine(QLabel* label, const std::string& value) { label->setText(qs(value)); }

void TLinkBudgetPage::showOutcome(const CalculateOutcome& outcome) {
  LinkBudget none;
  none.lossDb = none.eirpDbm = none.eirpW = none.txGainTowardDbi = none.rxGainTowardDbi = none.receivedDbm =
      none.fieldDbuVPerM = none.marginDb = std::nan("");
  const LinkBudget& b = outcome.pathValid && outcome.linkBudget ? *outcome.linkBudget : none;
  const std::vector<LinkBudgetLine> lines = LinkBudgetLines(b, true);
  QLabel* labels[] = {loss_, eirp_, txToward_, rxToward_, received_, field_, margin_};
  for (std::size_t i = 0; i < lines.size(); ++i) showBudgetLine(labels[i], lines[i].value);
  // The margin's sign is what the user looks for first.
  QPalette p = margin_->palette();
  p.setColor(QPalette::WindowText, !std::isfinite(b.marginDb) ? palette().color(QPalette::WindowText)
                                   : b.marginDb >= 0.0        ? kPositive
                                                              : kNegative);
  margin_->setPalette(p);
  QFont bold = margin_->font();
  bold.setBold(std::isfinite(b.marginDb));
  margin_->setFont(bold);
  geometry_ = outcome.pathValid ? outcome.linkGeometry : std::nullopt;
  showPlots();
}

}  // namespace tarnvale::ui
