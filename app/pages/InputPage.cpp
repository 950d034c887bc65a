#include "app/pages/InputPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <optional>

#include "app/Widgets.h"
#include "app/pages/FormParts.h"
#include "session/InputLimits.h"
#include "session/ResultText.h"
#include "widgets/Dialogs.h"
#include "widgets/Numedit.h"

namespace tarnvale::ui {
namespace {

const QColor kForcedColour(255, 0, 0);
constexpr int kFieldWidth = 110;  // a numeric field
constexpr int kModelFieldWidth = 80;  // a numeric field of the Model group

TNumEdit* inputField(const QString& objectName, const InputLimits& limits, double value, const QString& hint) {
  return LimitedField(objectName, limits, value, hint, kFieldWidth);
}

}  // namespace

TInputPage::TInputPage(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName(QStringLiteral("InputData"));
  auto* top = new QHBoxLayout;

  // The two ways of giving the path's ends.
  panel2_ = new TPanel;
  panel2_->setObjectName(QStringLiteral("Panel2"));
  auto* ends = new QGridLayout(panel2_);
  startLoc_ = new TLocationEdit;
  startLoc_->setObjectName(QStringLiteral("StartLoc"));
  startLoc_->setToolTip(QStringLiteral("Transmitter location in the selected format"));
  endLoc_ = new TLocationEdit;
  endLoc_->setObjectName(QStringLiteral("EndLoc"));
  endLoc_->setToolTip(QStringLiteral("Receiver location in the selected format"));
  connect(startLoc_, &QLineEdit::returnPressed, this, &TInputPage::CalculateBtnClick);
  connect(endLoc_, &QLineEdit::returnPressed, this, &TInputPage::CalculateBtnClick);
  ends->addWidget(new QLabel(QStringLiteral("Transmitter")), 0, 0);
  ends->addWidget(startLoc_, 0, 1);
  ends->addWidget(new QLabel(QStringLiteral("Receiver")), 1, 0);
  ends->addWidget(endLoc_, 1, 1);
  connect(panel2_, &TPanel::clicked, this, &TInputPage::Panel2Click);

  panel1_ = new TPanel;
  panel1_->setObjectName(QStringLiteral("Panel1"));
  auto* rb = new QGridLayout(panel1_);
  range_ = inputField(QStringLiteral("Range"), kRangeLimits, 10, QStringLiteral("Range of the receiver from the transmitter"));
  bearing_ = inputField(QStringLiteral("Bearing"), kBearingLimits, 10,
                     QStringLiteral("Bearing of the receiver from the transmitter, degrees from north"));
  rangeUnit_ = NamedLabel(QStringLiteral("RangeUnitLabel"), QStringLiteral("km"));
  rb->addWidget(new QLabel(QStringLiteral("Range")), 0, 0);
  rb->addWidget(range_, 0, 1);
  rb->addWidget(rangeUnit_, 0, 2);
  rb->addWidget(new QLabel(QStringLiteral("Bearing")), 1, 0);
  rb->addWidget(bearing_, 1, 1);
  rb->addWidget(new QLabel(QStringLiteral("deg")), 1, 2);
  connect(panel1_, &TPanel::clicked, this, &TInputPage::Panel1Click);

  auto* formats = new QGroupBox(QStringLiteral("Input Format"));
  auto* fl = new QVBoxLayout(formats);
  deg_ = NamedRadio(QStringLiteral("DEG"), QStringLiteral("Decimal Degrees"), QStringLiteral("Selects Lat Long Format"));
  ngr_ = NamedRadio(QStringLiteral("NGR"), QStringLiteral("OSGB Grid Reference"), QStringLiteral("Selects UK OSGB Format"));
  loc_ = NamedRadio(QStringLiteral("LOC"), QStringLiteral("Maidenhead Locator"),
               QStringLiteral("Selects Maidenhead Locator format"));
  dms_ = NamedRadio(QStringLiteral("DMS"), QStringLiteral("Degrees Minutes Seconds "), QStringLiteral("Selects Lat Long Format"));
  ngr_->setChecked(true);
  for (QRadioButton* r : {ngr_, loc_, deg_, dms_}) fl->addWidget(r);
  // Only a real change of format acts: clicking the checked button again
  // must not throw away what was typed.
  connect(ngr_, &QRadioButton::toggled, this, [this](bool on) { if (on) NGRClick(); });
  connect(loc_, &QRadioButton::toggled, this, [this](bool on) { if (on) LOCClick(); });
  connect(deg_, &QRadioButton::toggled, this, [this](bool on) { if (on) DEGClick(); });
  connect(dms_, &QRadioButton::toggled, this, [this](bool on) { if (on) DMSClick(); });

  auto* control = new QGroupBox(QStringLiteral("Profile Control"));
  auto* cl = new QVBoxLayout(control);
  auto* units = new QWidget;  // the unit pair is its own radio group
  auto* ul = new QHBoxLayout(units);
  ul->setContentsMargins(0, 0, 0, 0);
  metric_ = NamedRadio(QStringLiteral("Metric"), QStringLiteral("metric"));
  imperial_ = NamedRadio(QStringLiteral("Imperial"), QStringLiteral("imperial"));
  metric_->setChecked(true);
  ul->addWidget(metric_);
  ul->addWidget(imperial_);
  flatEarth_ = NamedCheck(QStringLiteral("FlatEarth"), QStringLiteral("Flat earth plot"),
                     QStringLiteral("Shows profile ignoring earth curvature"));
  interpolate_ = NamedCheck(QStringLiteral("INTERPOLATE"), QStringLiteral("Interpolate"),
                       QStringLiteral("If checked, all height points not at an exact measued spot height location will "
                                      "be interpolated. This takes longer but makes the profiles smoother"));
  cl->addWidget(units);
  cl->addWidget(flatEarth_);
  cl->addWidget(interpolate_);
  // One signal per change of unit system (the pair toggles together).
  connect(metric_, &QRadioButton::toggled, this, &TInputPage::MetricClick);
  connect(flatEarth_, &QCheckBox::clicked, this, &TInputPage::FlatEarthClick);
  connect(interpolate_, &QCheckBox::clicked, this, &TInputPage::INTERPOLATEClick);

  auto* radioGroup = new QGroupBox(QStringLiteral("Radio Parameters"));
  auto* rl = new QGridLayout(radioGroup);
  freq_ = inputField(QStringLiteral("FREQ"), kFrequencyLimits, 10.368, QStringLiteral("Frequency, GHz"));
  txH_ = inputField(QStringLiteral("TX_H"), kAntennaHeightLimits, 10,
                 QStringLiteral("Transmitter antenna height above ground, m"));
  rxH_ = inputField(QStringLiteral("RX_H"), kAntennaHeightLimits, 10,
                 QStringLiteral("Receiver antenna height above ground, m"));
  percent_ = inputField(QStringLiteral("Percent"), kPercentLimits, 50,
                     QStringLiteral("Percentage of time for which the loss is not exceeded"));
  kFactor_ = inputField(QStringLiteral("K_FACT"), kKFactorLimits, 1.333, QStringLiteral("Median effective earth radius factor"));
  forcedKFactor_ = NamedCheck(QStringLiteral("ForcedKFactor"), QStringLiteral("Fixed"),
                         QStringLiteral("Checking forces the median K factor to the specified value"));
  connect(forcedKFactor_, &QCheckBox::clicked, this, &TInputPage::ForcedKFactorClick);
  int row = 0;
  rl->addWidget(new QLabel(QStringLiteral("Frequency (GHz)")), row, 0);
  rl->addWidget(freq_, row++, 1);
  rl->addWidget(new QLabel(QStringLiteral("TX antenna (m)")), row, 0);
  rl->addWidget(txH_, row++, 1);
  rl->addWidget(new QLabel(QStringLiteral("RX antenna (m)")), row, 0);
  rl->addWidget(rxH_, row++, 1);
  rl->addWidget(new QLabel(QStringLiteral("Time (%)")), row, 0);
  rl->addWidget(percent_, row++, 1);
  rl->addWidget(new QLabel(QStringLiteral("K factor")), row, 0);
  rl->addWidget(kFactor_, row, 1);
  rl->addWidget(forcedKFactor_, row++, 2);

  auto* weather = new QGroupBox(QStringLiteral("Atmosphere"));
  auto* wl = new QGridLayout(weather);
  temperature_ = inputField(QStringLiteral("TEMPERATURE"), kTemperatureLimits, 20, QStringLiteral("Surface temperature, degrees C"));
  pressure_ = inputField(QStringLiteral("PRESSURE"), kPressureLimits, 1000, QStringLiteral("Surface pressure, mB"));
  humidity_ = inputField(QStringLiteral("RH"), kHumidityLimits, 50, QStringLiteral("Relative humidity, %"));
  wl->addWidget(new QLabel(QStringLiteral("Temperature (C)")), 0, 0);
  wl->addWidget(temperature_, 0, 1);
  wl->addWidget(new QLabel(QStringLiteral("Pressure (mB)")), 1, 0);
  wl->addWidget(pressure_, 1, 1);
  wl->addWidget(new QLabel(QStringLiteral("Humidity (%)")), 2, 0);
  wl->addWidget(humidity_, 2, 1);

  auto* results = new QGroupBox(QStringLiteral("Results"));
  auto* resl = new QVBoxLayout(results);
  // Which model computed what the group shows.
  modelName_ = NamedLabel(QStringLiteral("ModelName"));
  modelName_->setWordWrap(true);
  startHeight_ = NamedLabel(QStringLiteral("StartHeight"));
  endHeight_ = NamedLabel(QStringLiteral("EndHeight"));
  gasLoss_ = NamedLabel(QStringLiteral("GasLoss"));
  fsLoss_ = NamedLabel(QStringLiteral("FSLoss"));
  diffLoss_ = NamedLabel(QStringLiteral("DiffLoss"));
  tropoLoss_ = NamedLabel(QStringLiteral("TropoLoss"));
  ductLoss_ = NamedLabel(QStringLiteral("DuctLoss"));
  overallLoss_ = NamedLabel(QStringLiteral("OverallLoss"));
  invalidPath_ = NamedLabel(QStringLiteral("InvalidPath"), QStringLiteral("Path too short"));
  invalidPath_->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
  invalidPath_->hide();
  // Where N0 and delta-N came from when not from the maps.
  climateStatus_ = NamedLabel(QStringLiteral("ClimateStatus"));
  climateStatus_->setWordWrap(true);
  climateStatus_->hide();
  QFont bold = overallLoss_->font();
  bold.setBold(true);
  overallLoss_->setFont(bold);
  for (QLabel* l : {modelName_, startHeight_, endHeight_, gasLoss_, fsLoss_, diffLoss_, tropoLoss_, ductLoss_,
                    overallLoss_, invalidPath_, climateStatus_})
    resl->addWidget(l);
  resl->addStretch();

  auto* buttons = new QVBoxLayout;
  auto* calculate = new QPushButton(QStringLiteral("Calculate"));
  calculate->setObjectName(QStringLiteral("CalculateBtn"));
  calculate->setDefault(true);
  connect(calculate, &QPushButton::clicked, this, &TInputPage::CalculateBtnClick);
  auto* save = new QPushButton(QStringLiteral("Save input data"));
  save->setObjectName(QStringLiteral("SaveInitButton"));
  save->setToolTip(QStringLiteral("Saves input data in an ini file"));
  connect(save, &QPushButton::clicked, this, &TInputPage::saveRequested);
  buttons->addWidget(calculate);
  buttons->addWidget(save);
  buttons->addStretch();

  auto* left = new QVBoxLayout;
  left->addWidget(panel2_);
  left->addWidget(panel1_);
  auto* options = new QHBoxLayout;
  options->addWidget(formats);
  options->addWidget(control);
  left->addLayout(options);
  auto* middle = new QVBoxLayout;
  middle->addWidget(radioGroup);
  middle->addWidget(weather);
  // The Model group runs under both input columns, so that its own inputs
  // take two rows and leave the chart its height.
  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 3);
  columns->addLayout(middle, 2);
  auto* inputs = new QVBoxLayout;
  inputs->addLayout(columns);
  inputs->addWidget(buildModelGroup());
  top->addLayout(inputs, 5);
  top->addWidget(results, 2);
  top->addLayout(buttons);

  chart1_ = new TProfileChart;
  chart1_->setFocusPolicy(Qt::StrongFocus);
  connect(chart1_, &TProfileChart::doubleClicked, this, &TInputPage::Chart1DblClick);
  auto* copyChart = new QShortcut(QKeySequence::Copy, chart1_, this, &TInputPage::Chart1DblClick);
  copyChart->setContext(Qt::WidgetShortcut);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(chart1_, 1);
  SetEndPointMode(kByLocation);

  // Tab runs through the page as it reads: the ends, the options, the model,
  // the radio and weather values, then the buttons and the chart.
  QWidget* order[] = {panel2_, startLoc_,    endLoc_,         panel1_,   range_,   bearing_, ngr_,
                      loc_,    deg_,         dms_,            metric_,   imperial_, flatEarth_, interpolate_,
                      model_,  polarisation_, clutter_,       coastGiven_,
                      dct_,    dcr_,
                      freq_,   txH_,         rxH_,            percent_,  kFactor_, forcedKFactor_,
                      temperature_, pressure_, humidity_,     calculate, save,     chart1_};
  for (size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

int TInputPage::selectedFormat() const {
  if (ngr_->isChecked()) return kFormatGridReference;
  if (deg_->isChecked()) return kFormatDegrees;
  if (dms_->isChecked()) return kFormatDms;
  return kFormatLocator;
}

void TInputPage::checkFormat(int format) {
  switch (format) {
    case kFormatLocator: loc_->setChecked(true); break;
    case kFormatGridReference: ngr_->setChecked(true); break;
    case kFormatDegrees: deg_->setChecked(true); break;
    case kFormatDms: dms_->setChecked(true); break;
    default: break;
  }
}

bool TInputPage::checkFields() {
  const std::pair<std::string_view, TNumEdit*> fields[] = {
      {kRangeLimits.name, range_},        {kBearingLimits.name, bearing_},   {kFrequencyLimits.name, freq_},
      {"TX_H", txH_},                     {"RX_H", rxH_},                    {kPercentLimits.name, percent_},
      {kKFactorLimits.name, kFactor_},    {kTemperatureLimits.name, temperature_},
      {kPressureLimits.name, pressure_},  {kHumidityLimits.name, humidity_},
      {"CLUTTER_H", clutter_},
      {"DCT_KM", dct_},                   {"DCR_KM", dcr_}};
  const ModelChoice choice = readModelChoice();
  for (std::string_view name :
       FieldsToCheck(session_.endPointMode, forcedKFactor_->isChecked(), choice.isP452(), choice.coastGiven))
    for (const auto& [fieldName, field] : fields)
      if (fieldName == name && !field->DoExit()) return false;
  return true;
}

InputValues TInputPage::readFields() const {
  // Every field an action relies on has passed checkFields; the others
  // (Range and Bearing showing the last result, a K factor that follows the
  // climate) are read as they stand.
  const auto value = [](const TNumEdit* field, double otherwise) {
    double v = 0.0;
    return field->tryValue(v) ? v : otherwise;
  };
  InputValues f;
  f.startLoc = ss(startLoc_->text());
  f.endLoc = ss(endLoc_->text());
  f.format = selectedFormat();
  f.metric = metric_->isChecked();
  f.range = value(range_, 0.0);
  f.bearing = value(bearing_, 0.0);
  f.frequency = value(freq_, 0.0);
  f.temperature = value(temperature_, 0.0);
  f.pressure = value(pressure_, 0.0);
  f.humidity = value(humidity_, 0.0);
  f.percent = value(percent_, 0.0);
  f.txHeight = value(txH_, 0.0);
  f.rxHeight = value(rxH_, 0.0);
  f.forcedKFactor = forcedKFactor_->isChecked();
  f.kFactor = value(kFactor_, InputValues{}.kFactor);
  f.flatEarth = flatEarth_->isChecked();
  f.modelChoice = readModelChoice();
  return f;
}

void TInputPage::showOutcome(const CalculateOutcome& o) {
  if (o.endLoc) endLoc_->setText(qs(*o.endLoc));
  endHeight_->setText(qs(o.endHeight));
  startHeight_->setText(qs(o.startHeight));
  if (!o.locationsValid) return;
  gasLoss_->setText(qs(*o.gasLoss));
  bearing_->setNumberText(qs(*o.bearing));
  range_->setNumberText(qs(*o.range));
  lastRangeText_ = range_->text();
  rangeUnit_->setText(qs(*o.rangeUnit));
  if (o.noModel) {
    CurrentDialogs().message(this, QStringLiteral("Memory allocation failure"));
    return;
  }
  if (o.kFactor) kFactor_->SetValue(*o.kFactor);
  climateStatus_->setText(qs(o.climateStatus));
  climateStatus_->setVisible(!o.climateStatus.empty());
  modelName_->setText(qs(o.modelLine));
  if (!o.pathValid) {
    invalidPath_->setText(qs(o.invalidText));
    invalidPath_->show();
    return;
  }
  invalidPath_->hide();
  const CalculateOutcome::Labels& l = *o.labels;
  fsLoss_->setText(qs(l.fsLoss));
  diffLoss_->setText(qs(l.diffLoss));
  tropoLoss_->setText(qs(l.tropoLoss));
  ductLoss_->setText(qs(l.ductLoss));
  overallLoss_->setText(qs(l.overallLoss));
  chart1_->show(*o.chart);
}

// ---- The Model group ----

QWidget* TInputPage::buildModelGroup() {
  auto* group = new QGroupBox(QStringLiteral("Model"));
  group->setObjectName(QStringLiteral("ModelGroup"));
  auto* gl = new QHBoxLayout(group);
  model_ = new QComboBox;
  model_->setObjectName(QStringLiteral("ModelCombo"));
  model_->setToolTip(QStringLiteral("The propagation model of Calculate, the Mechanisms curves and the coverage maps"));
  for (PathModel m : {PathModel::kClassic, PathModel::kP452v18})
    model_->addItem(QString::fromLatin1(PathModelTitle(m)), static_cast<int>(m));
  gl->addWidget(model_, 0, Qt::AlignTop | Qt::AlignLeft);

  // The inputs of P.452-18 alone, shown only while it is chosen.
  p452Inputs_ = new QWidget;
  p452Inputs_->setObjectName(QStringLiteral("P452Inputs"));
  auto* pl = new QGridLayout(p452Inputs_);
  pl->setContentsMargins(0, 0, 0, 0);
  polarisation_ = new QComboBox;
  polarisation_->setObjectName(QStringLiteral("Polarisation"));
  polarisation_->addItem(QStringLiteral("Horizontal"), static_cast<int>(P452Polarisation::kHorizontal));
  polarisation_->addItem(QStringLiteral("Vertical"), static_cast<int>(P452Polarisation::kVertical));
  const auto field = [](const QString& name, const InputLimits& limits, double value, const QString& hint) {
    return LimitedField(name, limits, value, hint, kModelFieldWidth);
  };
  clutter_ = field(QStringLiteral("CLUTTER_H"), kClutterHeightLimits, 0,
                   QStringLiteral("Representative clutter height on every land sample, m (none within 50 m of "
                                  "either end); diffraction only"));
  coastGiven_ = NamedCheck(QStringLiteral("CoastGiven"), QStringLiteral("Coast TX (km)"),
                           QStringLiteral("Checked: each end's distance over land to the coast as given here; "
                                          "otherwise from the zones (500 km without sea)"));
  dct_ = field(QStringLiteral("DCT_KM"), kCoastDistanceLimits, kModelChoiceCoastKm,
               QStringLiteral("Transmitter's distance over land to the coast, km"));
  dcr_ = field(QStringLiteral("DCR_KM"), kCoastDistanceLimits, kModelChoiceCoastKm,
               QStringLiteral("Receiver's distance over land to the coast, km"));
  auto* rxCoast = new QLabel(QStringLiteral("Coast RX (km)"));
  rxCoast->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  pl->addWidget(new QLabel(QStringLiteral("Polarisation")), 0, 0);
  pl->addWidget(polarisation_, 0, 1);
  pl->addWidget(new QLabel(QStringLiteral("Clutter (m)")), 1, 0);
  pl->addWidget(clutter_, 1, 1);
  // The antennas' gains, which troposcatter couples through, are the Link
  // Budget page's.
  pl->addWidget(coastGiven_, 0, 2);
  pl->addWidget(dct_, 0, 3);
  pl->addWidget(rxCoast, 1, 2);
  pl->addWidget(dcr_, 1, 3);
  gl->addWidget(p452Inputs_, 1);
  connect(model_, &QComboBox::currentIndexChanged, this, &TInputPage::ModelChange);
  connect(coastGiven_, &QCheckBox::clicked, this, &TInputPage::CoastGivenClick);
  ModelChange();
  CoastGivenClick();
  return group;
}

ModelChoice TInputPage::readModelChoice() const {
  const auto value = [](const TNumEdit* field, double otherwise) {
    double v = 0.0;
    return field->tryValue(v) ? v : otherwise;
  };
  const ModelChoice defaults;
  ModelChoice c;
  c.model = static_cast<PathModel>(model_->currentData().toInt());
  c.polarisation = static_cast<P452Polarisation>(polarisation_->currentData().toInt());
  c.clutterHeightM = value(clutter_, defaults.clutterHeightM);
  c.coastGiven = coastGiven_->isChecked();
  c.dctKm = value(dct_, defaults.dctKm);
  c.dcrKm = value(dcr_, defaults.dcrKm);
  return c;
}

void TInputPage::restoreModelChoice(const ModelChoice& c) {
  model_->setCurrentIndex(std::max(0, model_->findData(static_cast<int>(c.model))));
  polarisation_->setCurrentIndex(std::max(0, polarisation_->findData(static_cast<int>(c.polarisation))));
  clutter_->SetValue(c.clutterHeightM);
  coastGiven_->setChecked(c.coastGiven);
  dct_->SetValue(c.dctKm);
  dcr_->SetValue(c.dcrKm);
  ModelChange();
  CoastGivenClick();
}

void TInputPage::ModelChange() {
  const bool p452 = static_cast<PathModel>(model_->currentData().toInt()) == PathModel::kP452v18;
  p452Inputs_->setVisible(p452);
  // P.452-18 fixes the water vapour itself: the humidity is not read.
  humidity_->setEnabled(!p452);
  humidity_->setToolTip(p452 ? QStringLiteral("Not used by ITU-R P.452-18: it takes 7.5 + 2.5 x (fraction of the "
                                              "path over sea) g/m3 of water vapour")
                             : QStringLiteral("Relative humidity, %"));
}

void TInputPage::CoastGivenClick() {
  dct_->setEnabled(coastGiven_->isChecked());
  dcr_->setEnabled(coastGiven_->isChecked());
}

// ---- End point mode, formats and units ----

void TInputPage::SetEndPointMode(std::uint8_t mode) {
  session_.endPointMode = mode;
  const bool byLocation = mode == kByLocation;
  endLoc_->setReadOnly(!byLocation);
  range_->setReadOnly(byLocation);
  bearing_->setReadOnly(byLocation);
  applyColours();
}

void TInputPage::applyColours() {
  if (!panel1_ || !kFactor_ || !forcedKFactor_) return;  // the page is still being built
  const QPalette& system = palette();
  const bool byLocation = session_.endPointMode == kByLocation;
  // The selected panel stands out in the theme's highlight of raised parts.
  panel2_->setColour(system.color(byLocation ? QPalette::Light : QPalette::Button));
  panel1_->setColour(system.color(byLocation ? QPalette::Button : QPalette::Light));
  // A receiver that follows from range and bearing reads as not for typing.
  if (byLocation)
    SetFieldColours(endLoc_, system.color(QPalette::Base), system.color(QPalette::Text));
  else
    SetFieldColours(endLoc_, system.color(QPalette::Disabled, QPalette::Window), system.color(QPalette::WindowText));
  // A K factor that follows the climate maps is shown as inactive; a fixed
  // one stands out in red.
  if (forcedKFactor_->isChecked())
    SetFieldColours(kFactor_, kForcedColour, ReadableOn(kForcedColour));
  else
    SetFieldColours(kFactor_, system.color(QPalette::Inactive, QPalette::Button),
            system.color(QPalette::Inactive, QPalette::ButtonText));
}

void TInputPage::Panel1Click() { SetEndPointMode(kByRangeBearing); }
void TInputPage::Panel2Click() { SetEndPointMode(kByLocation); }

void TInputPage::FormatLocationsForDisplay() {
  const auto [receiver, transmitter] = session_.FormatLocationsForDisplay(selectedFormat());
  endLoc_->setText(qs(receiver));
  startLoc_->setText(qs(transmitter));
}

void TInputPage::NGRClick() { FormatLocationsForDisplay(); }
void TInputPage::LOCClick() { FormatLocationsForDisplay(); }
void TInputPage::DEGClick() { FormatLocationsForDisplay(); }
void TInputPage::DMSClick() { FormatLocationsForDisplay(); }
void TInputPage::MetricClick() {
  // The unit changes how the path is shown, not the path: the Range value is
  // re-expressed in the new unit so the receiver stays where it is. While
  // Range still shows what the last run wrote, its exact length is used
  // rather than the rounded text.
  const bool metric = metric_->isChecked();
  std::optional<double> km;
  double typed = 0.0;
  if (!lastRangeText_.isEmpty() && range_->text() == lastRangeText_)
    km = session_.rangeKm;
  else if (range_->tryValue(typed))
    km = metric ? text::RangeInUnits(typed, true) : typed;  // typed in the unit just left
  rangeUnit_->setText(qs(text::RangeUnitText(metric)));
  if (!km) {
    emit calculateRequested();
    return;
  }
  range_->setNumberText(qs(text::RangeFieldText(*km, metric)));
  emit calculateWithRange(metric ? *km : *km * text::kMilesPerKm);
}
void TInputPage::FlatEarthClick() { emit calculateRequested(); }
void TInputPage::INTERPOLATEClick() { session_.interpolateHeights = interpolate_->isChecked(); }

void TInputPage::ForcedKFactorClick() { applyColours(); }

void TInputPage::Chart1DblClick() {
  auto* data = new QMimeData;
  data->setData(QStringLiteral("image/svg+xml"), chart1_->toSvg());
  data->setImageData(chart1_->toImage());
  CurrentDialogs().setClipboard(data);
  CurrentDialogs().information(this, QStringLiteral("Chart copied to Clipboard"));
}

void TInputPage::CalculateBtnClick() { emit calculateRequested(); }

void TInputPage::restoreFields(const RestoredInputs& restored) {
  const InputValues& f = restored.fields;
  session_.interpolateHeights = false;
  interpolate_->setChecked(false);
  {
    // Restoring is not the user switching units or formats: nothing is
    // converted or re-expressed here.
    const QSignalBlocker b1(metric_), b2(imperial_), b3(ngr_), b4(loc_), b5(deg_), b6(dms_);
    (f.metric ? metric_ : imperial_)->setChecked(true);
    if (restored.formatKnown) checkFormat(f.format);
  }
  txH_->SetValue(f.txHeight);
  rxH_->SetValue(f.rxHeight);
  freq_->SetValue(f.frequency);
  temperature_->SetValue(f.temperature);
  pressure_->SetValue(f.pressure);
  humidity_->SetValue(f.humidity);
  percent_->SetValue(f.percent);
  forcedKFactor_->setChecked(f.forcedKFactor);
  ForcedKFactorClick();
  kFactor_->SetValue(f.kFactor);
  restoreModelChoice(f.modelChoice);
}

void TInputPage::restoreEnds(const RestoredInputs& restored) {
  SetEndPointMode(restored.endPointMode);
  FormatLocationsForDisplay();
  range_->SetValue(restored.fields.range);
  bearing_->SetValue(restored.fields.bearing);
}

void TInputPage::showInitialisationFailure() { startHeight_->setText(QStringLiteral("Initialisation Failure")); }

void TInputPage::setTransmitterText(const QString& text) { startLoc_->setText(text); }
void TInputPage::setReceiverText(const QString& text) { endLoc_->setText(text); }

void TInputPage::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  const QEvent::Type type = event->type();
  if (type == QEvent::PaletteChange || type == QEvent::ApplicationPaletteChange || type == QEvent::StyleChange)
    applyColours();
}

}  // namespace tarnvale::ui
