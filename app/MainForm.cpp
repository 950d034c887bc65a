#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include <filesystem>

#include "app/About.h"
#include "app/Profile.h"
#include "app/pages/CoveragePage.h"
#include "app/pages/TerrainMapPage.h"
#include "app/Widgets.h"
#include "app/pages/MechanismsPage.h"
#include "app/pages/SiteDatabasePage.h"
#include "app/pages/ZoneMapPage.h"
#include "session/ClimateTexts.h"
#include "session/InputLimits.h"
#include "session/ProfileExport.h"
#include "session/ResultText.h"
#include "session/SampleData.h"
#include "settings/SettingsRecord.h"
#include "widgets/Dialogs.h"
#include "widgets/Numedit.h"

namespace tarnvale::ui {
namespace {

constexpr const char* kSettingsFile = "profile.ini";
constexpr const char* kProfileFile = "profile.dat";
constexpr int kStatusMs = 6000;  // how long a status-bar message stays
const QColor kForcedColour(255, 0, 0);
// The window's first size, made smaller where the screen is (a 1366 x 768
// laptop screen holds it with its title bar and task bar).
constexpr int kWindowWidth = 1180;
constexpr int kWindowHeight = 680;

QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QString& s) { return s.toStdString(); }

QLabel* label(const QString& objectName, const QString& text = QString()) {
  auto* l = new QLabel(text);
  l->setObjectName(objectName);
  return l;
}

TNumEdit* numEdit(const QString& objectName, double min, double max, int decimals, double value,
                  const QString& hint, bool integer = false) {
  auto* e = new TNumEdit;
  e->setObjectName(objectName);
  e->SetMinValue(min);
  e->SetMaxValue(max);
  e->SetDecimals(decimals);
  e->SetEditType(integer);
  e->SetValue(value);
  e->setToolTip(hint);
  e->setMaximumWidth(110);
  return e;
}

TNumEdit* numEdit(const QString& objectName, const InputLimits& limits, double value, const QString& hint) {
  return numEdit(objectName, limits.min, limits.max, limits.decimals, value, hint);
}

QRadioButton* radio(const QString& objectName, const QString& caption, const QString& hint = QString()) {
  auto* r = new QRadioButton(caption);
  r->setObjectName(objectName);
  r->setToolTip(hint);
  return r;
}

QCheckBox* check(const QString& objectName, const QString& caption, const QString& hint) {
  auto* c = new QCheckBox(caption);
  c->setObjectName(objectName);
  c->setToolTip(hint);
  return c;
}

/// A field's background with the text colour meant to be read on it.
void setBase(QWidget* w, const QColor& colour, const QColor& text) {
  QPalette p = w->palette();
  p.setColor(QPalette::Base, colour);
  p.setColor(QPalette::Text, text);
  w->setPalette(p);
}

/// A value label with its caption in a grid row.
void addRow(QGridLayout* grid, int row, int column, const QString& caption, QLabel* value) {
  grid->addWidget(new QLabel(caption), row, column);
  grid->addWidget(value, row, column + 1);
}

/// The property of each page that names its section of the help.
constexpr const char* kHelpAnchor = "helpAnchor";

}  // namespace

TMainForm::TMainForm(QWidget* parent)
    : TMainForm(FindSampleDirectory(ss(QCoreApplication::applicationDirPath())), parent) {}

TMainForm::TMainForm(const std::filesystem::path& sampleDirectory, QWidget* parent)
    : QMainWindow(parent),
      session_(std::make_unique<Session>(ChooseClimateDirectory(ss(QDir::currentPath()), sampleDirectory).string())),
      sampleDirectory_(sampleDirectory) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Tarnvale"));

  // Help: the contents, and (F1) the section of the page shown.
  QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
  helpMenu->setObjectName(QStringLiteral("HelpMenu"));
  auto* help = helpMenu->addAction(QStringLiteral("&Contents"));
  help->setObjectName(QStringLiteral("Help1"));
  connect(help, &QAction::triggered, this, &TMainForm::Help1Click);
  auto* pageHelp = helpMenu->addAction(QStringLiteral("Help on this &page"));
  pageHelp->setObjectName(QStringLiteral("PageHelp"));
  pageHelp->setShortcut(QKeySequence::HelpContents);
  pageHelp->setShortcutContext(Qt::WindowShortcut);
  connect(pageHelp, &QAction::triggered, this, &TMainForm::PageHelpClick);
  addAction(pageHelp);
  auto* about = menuBar()->addAction(QStringLiteral("About"));
  about->setObjectName(QStringLiteral("About1"));
  connect(about, &QAction::triggered, this, &TMainForm::About1Click);

  pages_ = new QTabWidget;
  pages_->setObjectName(QStringLiteral("PageControl1"));
  setCentralWidget(pages_);

  auto* input = new QWidget;
  input->setObjectName(QStringLiteral("InputData"));
  buildInputPage(input);
  pages_->addTab(input, QStringLiteral("Input Data"));
  input->setProperty(kHelpAnchor, QStringLiteral("input"));

  auto* refractivity = new QWidget;
  refractivity->setObjectName(QStringLiteral("TabSheet1"));
  buildRefractivityPage(refractivity);
  pages_->addTab(refractivity, QStringLiteral("Radio Refractivity Data"));
  refractivity->setProperty(kHelpAnchor, QStringLiteral("refractivity"));

  auto* tabulated = new QWidget;
  tabulated->setObjectName(QStringLiteral("TabulatedData"));
  buildTabulatedPage(tabulated);
  pages_->addTab(tabulated, QStringLiteral("Tabulated Data"));
  tabulated->setProperty(kHelpAnchor, QStringLiteral("table"));

  auto* mechanisms = new TMechanismsPage(*session_, [this] {
    return TMechanismsPage::Inputs{freq_->GetValue(), txH_->GetValue(), rxH_->GetValue()};
  });
  pages_->addTab(mechanisms, QStringLiteral("Mechanisms"));
  mechanisms->setProperty(kHelpAnchor, QStringLiteral("mechanisms"));
  terrainMapPage_ = new TTerrainMapPage(pageHost());
  pages_->addTab(terrainMapPage_, QStringLiteral("Terrain Map"));
  terrainMapPage_->setProperty(kHelpAnchor, QStringLiteral("terrainmap"));
  auto* zoneMap = new TZoneMapPage(*session_);
  pages_->addTab(zoneMap, QStringLiteral("Zone Map"));
  zoneMap->setProperty(kHelpAnchor, QStringLiteral("zonemap"));
  coveragePage_ = new TCoveragePage(pageHost());
  pages_->addTab(coveragePage_, QStringLiteral("Area Coverage"));
  coveragePage_->setProperty(kHelpAnchor, QStringLiteral("coverage"));
  auto* sites = new TSiteDatabasePage({[this] { return static_cast<const CSRTM*>(session_->terrain()); },
                                       [this] { return selectedFormat(); }, [this] { return programDirectory_; }});
  connect(sites, &TSiteDatabasePage::copyToTransmitter, this, [this](const QString& text) {
    startLoc_->setText(text);
    Calculate();
  });
  // A site copied to the receiver is typed, not derived from range and bearing.
  connect(sites, &TSiteDatabasePage::receiverByLocation, this, [this] { SetEndPointMode(kByLocation); });
  connect(sites, &TSiteDatabasePage::copyToReceiver, this, [this](const QString& text) {
    endLoc_->setText(text);
    Calculate();
  });
  pages_->addTab(sites, QStringLiteral("Site Database"));
  sites->setProperty(kHelpAnchor, QStringLiteral("sites"));
  connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
    if (pages_->widget(index)->objectName() == QLatin1String("TabSheet1")) TabSheet1Show();
  });

  // Leaving the map pages asks a plot to stop; showing them redraws.
  connect(pages_, &QTabWidget::currentChanged, this, [this, previous = pages_->currentWidget()](int index) mutable {
    QWidget* now = pages_->widget(index);
    if (previous == coveragePage_) coveragePage_->CoverageExit();
    if (previous == terrainMapPage_) terrainMapPage_->mapExit();
    previous = now;
    if (now == terrainMapPage_) terrainMapPage_->mapShow();
    if (now == coveragePage_) coveragePage_->CoverageShow();
  });
  // The focus moving to a control of this window outside the page control.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
    if (old && now && now->window() == this && pages_->isAncestorOf(old) && !pages_->isAncestorOf(now))
      PageControl1Exit();
  });

  about_ = new TAbout(this);
  about_->hide();
  QSize size(kWindowWidth, kWindowHeight);
  if (QScreen* s = screen()) size = size.boundedTo(s->availableGeometry().size());
  resize(size);
  restoreWindowGeometry();
}

TMainForm::~TMainForm() {
  if (coveragePage_) coveragePage_->stopAndWait();
}

PageHost TMainForm::pageHost() {
  PageHost host;
  host.session = session_.get();
  host.inputs = [this]() -> std::optional<InputValues> {
    if (!checkFields()) return std::nullopt;
    return readFields();
  };
  host.fieldText = [this](const QString& name) {
    const auto* field = findChild<QLineEdit*>(name);
    return field ? field->text() : QString();
  };
  host.terrainDirectory = [this] { return ss(terrainDirectory_); };
  host.calculate = [this] { Calculate(); };
  host.status = [this](const QString& text) { statusBar()->showMessage(text, kStatusMs); };
  return host;
}

bool TMainForm::plotRunning() const { return coveragePage_ && coveragePage_->plotting(); }

bool TMainForm::refuseWhilePlotting() {
  if (!plotRunning()) return false;
  statusBar()->showMessage(QStringLiteral("Plot Coverage is running: press Abort or let it finish first"), kStatusMs);
  return true;
}

void TMainForm::PageControl1Exit() {
  if (coveragePage_) coveragePage_->AbortClick();
}

void TMainForm::buildInputPage(QWidget* page) {
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
  connect(startLoc_, &QLineEdit::returnPressed, this, &TMainForm::CalculateBtnClick);
  connect(endLoc_, &QLineEdit::returnPressed, this, &TMainForm::CalculateBtnClick);
  ends->addWidget(new QLabel(QStringLiteral("Transmitter")), 0, 0);
  ends->addWidget(startLoc_, 0, 1);
  ends->addWidget(new QLabel(QStringLiteral("Receiver")), 1, 0);
  ends->addWidget(endLoc_, 1, 1);
  connect(panel2_, &TPanel::clicked, this, &TMainForm::Panel2Click);

  panel1_ = new TPanel;
  panel1_->setObjectName(QStringLiteral("Panel1"));
  auto* rb = new QGridLayout(panel1_);
  range_ = numEdit(QStringLiteral("Range"), kRangeLimits, 10, QStringLiteral("Range of the receiver from the transmitter"));
  bearing_ = numEdit(QStringLiteral("Bearing"), kBearingLimits, 10,
                     QStringLiteral("Bearing of the receiver from the transmitter, degrees from north"));
  rangeUnit_ = label(QStringLiteral("RangeUnitLabel"), QStringLiteral("km"));
  rb->addWidget(new QLabel(QStringLiteral("Range")), 0, 0);
  rb->addWidget(range_, 0, 1);
  rb->addWidget(rangeUnit_, 0, 2);
  rb->addWidget(new QLabel(QStringLiteral("Bearing")), 1, 0);
  rb->addWidget(bearing_, 1, 1);
  rb->addWidget(new QLabel(QStringLiteral("deg")), 1, 2);
  connect(panel1_, &TPanel::clicked, this, &TMainForm::Panel1Click);

  auto* formats = new QGroupBox(QStringLiteral("Input Format"));
  auto* fl = new QVBoxLayout(formats);
  deg_ = radio(QStringLiteral("DEG"), QStringLiteral("Decimal Degrees"), QStringLiteral("Selects Lat Long Format"));
  ngr_ = radio(QStringLiteral("NGR"), QStringLiteral("OSGB Grid Reference"), QStringLiteral("Selects UK OSGB Format"));
  loc_ = radio(QStringLiteral("LOC"), QStringLiteral("Maidenhead Locator"),
               QStringLiteral("Selects Maidenhead Locator format"));
  dms_ = radio(QStringLiteral("DMS"), QStringLiteral("Degrees Minutes Seconds "), QStringLiteral("Selects Lat Long Format"));
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
  metric_ = radio(QStringLiteral("Metric"), QStringLiteral("metric"));
  imperial_ = radio(QStringLiteral("Imperial"), QStringLiteral("imperial"));
  metric_->setChecked(true);
  ul->addWidget(metric_);
  ul->addWidget(imperial_);
  flatEarth_ = check(QStringLiteral("FlatEarth"), QStringLiteral("Flat earth plot"),
                     QStringLiteral("Shows profile ignoring earth curvature"));
  interpolate_ = check(QStringLiteral("INTERPOLATE"), QStringLiteral("Interpolate"),
                       QStringLiteral("If checked, all height points not at an exact measued spot height location will "
                                      "be interpolated. This takes longer but makes the profiles smoother"));
  cl->addWidget(units);
  cl->addWidget(flatEarth_);
  cl->addWidget(interpolate_);
  // One signal per change of unit system (the pair toggles together).
  connect(metric_, &QRadioButton::toggled, this, &TMainForm::MetricClick);
  connect(flatEarth_, &QCheckBox::clicked, this, &TMainForm::FlatEarthClick);
  connect(interpolate_, &QCheckBox::clicked, this, &TMainForm::INTERPOLATEClick);

  auto* radioGroup = new QGroupBox(QStringLiteral("Radio Parameters"));
  auto* rl = new QGridLayout(radioGroup);
  freq_ = numEdit(QStringLiteral("FREQ"), kFrequencyLimits, 10.368, QStringLiteral("Frequency, GHz"));
  txH_ = numEdit(QStringLiteral("TX_H"), kAntennaHeightLimits, 10,
                 QStringLiteral("Transmitter antenna height above ground, m"));
  rxH_ = numEdit(QStringLiteral("RX_H"), kAntennaHeightLimits, 10,
                 QStringLiteral("Receiver antenna height above ground, m"));
  percent_ = numEdit(QStringLiteral("Percent"), kPercentLimits, 50,
                     QStringLiteral("Percentage of time for which the loss is not exceeded"));
  kFactor_ = numEdit(QStringLiteral("K_FACT"), kKFactorLimits, 1.333, QStringLiteral("Median effective earth radius factor"));
  forcedKFactor_ = check(QStringLiteral("ForcedKFactor"), QStringLiteral("Fixed"),
                         QStringLiteral("Checking forces the median K factor to the specified value"));
  connect(forcedKFactor_, &QCheckBox::clicked, this, &TMainForm::ForcedKFactorClick);
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
  temperature_ = numEdit(QStringLiteral("TEMPERATURE"), kTemperatureLimits, 20, QStringLiteral("Surface temperature, degrees C"));
  pressure_ = numEdit(QStringLiteral("PRESSURE"), kPressureLimits, 1000, QStringLiteral("Surface pressure, mB"));
  humidity_ = numEdit(QStringLiteral("RH"), kHumidityLimits, 50, QStringLiteral("Relative humidity, %"));
  wl->addWidget(new QLabel(QStringLiteral("Temperature (C)")), 0, 0);
  wl->addWidget(temperature_, 0, 1);
  wl->addWidget(new QLabel(QStringLiteral("Pressure (mB)")), 1, 0);
  wl->addWidget(pressure_, 1, 1);
  wl->addWidget(new QLabel(QStringLiteral("Humidity (%)")), 2, 0);
  wl->addWidget(humidity_, 2, 1);

  auto* results = new QGroupBox(QStringLiteral("Results"));
  auto* resl = new QVBoxLayout(results);
  startHeight_ = label(QStringLiteral("StartHeight"));
  endHeight_ = label(QStringLiteral("EndHeight"));
  gasLoss_ = label(QStringLiteral("GasLoss"));
  fsLoss_ = label(QStringLiteral("FSLoss"));
  diffLoss_ = label(QStringLiteral("DiffLoss"));
  tropoLoss_ = label(QStringLiteral("TropoLoss"));
  ductLoss_ = label(QStringLiteral("DuctLoss"));
  overallLoss_ = label(QStringLiteral("OverallLoss"));
  invalidPath_ = label(QStringLiteral("InvalidPath"), QStringLiteral("Path too short"));
  invalidPath_->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
  invalidPath_->hide();
  // Where N0 and delta-N came from when not from the maps.
  climateStatus_ = label(QStringLiteral("ClimateStatus"));
  climateStatus_->setWordWrap(true);
  climateStatus_->hide();
  QFont bold = overallLoss_->font();
  bold.setBold(true);
  overallLoss_->setFont(bold);
  for (QLabel* l : {startHeight_, endHeight_, gasLoss_, fsLoss_, diffLoss_, tropoLoss_, ductLoss_, overallLoss_,
                    invalidPath_, climateStatus_})
    resl->addWidget(l);
  resl->addStretch();

  auto* buttons = new QVBoxLayout;
  auto* calculate = new QPushButton(QStringLiteral("Calculate"));
  calculate->setObjectName(QStringLiteral("CalculateBtn"));
  calculate->setDefault(true);
  connect(calculate, &QPushButton::clicked, this, &TMainForm::CalculateBtnClick);
  auto* save = new QPushButton(QStringLiteral("Save input data"));
  save->setObjectName(QStringLiteral("SaveInitButton"));
  save->setToolTip(QStringLiteral("Saves input data in an ini file"));
  connect(save, &QPushButton::clicked, this, &TMainForm::SaveInitButtonClick);
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
  top->addLayout(left, 3);
  auto* middle = new QVBoxLayout;
  middle->addWidget(radioGroup);
  middle->addWidget(weather);
  top->addLayout(middle, 2);
  top->addWidget(results, 2);
  top->addLayout(buttons);

  chart1_ = new TProfileChart;
  chart1_->setFocusPolicy(Qt::StrongFocus);
  connect(chart1_, &TProfileChart::doubleClicked, this, &TMainForm::Chart1DblClick);
  auto* copyChart = new QShortcut(QKeySequence::Copy, chart1_, this, &TMainForm::Chart1DblClick);
  copyChart->setContext(Qt::WidgetShortcut);

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(top);
  layout->addWidget(chart1_, 1);
  SetEndPointMode(kByLocation);

  // Tab runs through the page as it reads: the ends, the options, the radio
  // and weather values, then the buttons and the chart.
  QWidget* order[] = {panel2_, startLoc_,    endLoc_,         panel1_,   range_,   bearing_, ngr_,
                      loc_,    deg_,         dms_,            metric_,   imperial_, flatEarth_, interpolate_,
                      freq_,   txH_,         rxH_,            percent_,  kFactor_, forcedKFactor_,
                      temperature_, pressure_, humidity_,     calculate, save,     chart1_};
  for (size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void TMainForm::buildRefractivityPage(QWidget* page) {
  pTime_ = label(QStringLiteral("PTime"));
  txN0_ = label(QStringLiteral("TXN_0"));
  rxN0_ = label(QStringLiteral("RXN_0"));
  txDndz_ = label(QStringLiteral("TXDNDZ"));
  rxDndz_ = label(QStringLiteral("RXDNDZ"));
  txBeta0_ = label(QStringLiteral("TXBETA0"));
  rxBeta0_ = label(QStringLiteral("RXBETA0"));
  txBetaE_ = label(QStringLiteral("TXBETAE"));
  rxBetaE_ = label(QStringLiteral("RXBETAE"));
  kfact_ = label(QStringLiteral("Kfact"));
  dct_ = label(QStringLiteral("DCT"));
  dcr_ = label(QStringLiteral("DCR"));
  rho_ = label(QStringLiteral("RHO"));
  beta0_ = label(QStringLiteral("BETA0"));
  seaFraction_ = label(QStringLiteral("SEAFRACTION"));
  plen_ = label(QStringLiteral("PLEN"));
  beta0_->setToolTip(QStringLiteral("This is the the time percentage that lapse rates exceeding 100N units /km can be "
                                    "expected in the first 100m of the lower atmosphere"));
  seaFraction_->setToolTip(QStringLiteral("Percentage of the path that is over the sea"));
  dct_->setToolTip(QStringLiteral("Distance along path to coast"));
  dcr_->setToolTip(QStringLiteral("Distance along path to coast"));

  auto* tx = new QGroupBox(QStringLiteral("Transmitter site Refractivity data"));
  auto* tl = new QGridLayout(tx);
  addRow(tl, 0, 0, QStringLiteral("Surface refractivity"), txN0_);
  addRow(tl, 1, 0, QStringLiteral("Refractivity gradient"), txDndz_);
  addRow(tl, 2, 0, QStringLiteral("Surface duct occurence"), txBeta0_);
  addRow(tl, 3, 0, QStringLiteral("Elevated duct occurence"), txBetaE_);
  addRow(tl, 4, 0, QStringLiteral("Coastal distance"), dct_);
  auto* rx = new QGroupBox(QStringLiteral("Receiver site Refractivity data"));
  auto* xl = new QGridLayout(rx);
  addRow(xl, 0, 0, QStringLiteral("Mean surface refractivity"), rxN0_);
  addRow(xl, 1, 0, QStringLiteral("Mean refractivity gradient"), rxDndz_);
  addRow(xl, 2, 0, QStringLiteral("Surface duct occurence"), rxBeta0_);
  addRow(xl, 3, 0, QStringLiteral("Elevated duct occurence"), rxBetaE_);
  addRow(xl, 4, 0, QStringLiteral("Coastal distance"), dcr_);
  auto* path = new QGroupBox(QStringLiteral("Path data"));
  auto* pl = new QGridLayout(path);
  addRow(pl, 0, 0, QStringLiteral("Percentage time"), pTime_);
  addRow(pl, 1, 0, QStringLiteral("Path Median K-factor"), kfact_);
  addRow(pl, 2, 0, QStringLiteral("Water vapour density"), rho_);
  addRow(pl, 3, 0, QStringLiteral("Path Beta0"), beta0_);
  addRow(pl, 4, 0, QStringLiteral("Fraction of path over sea"), seaFraction_);
  addRow(pl, 5, 0, QStringLiteral("Path length"), plen_);
  pathClimateStatus_ = label(QStringLiteral("PathClimateStatus"));
  pathClimateStatus_->setWordWrap(true);
  pathClimateStatus_->hide();
  pl->addWidget(pathClimateStatus_, 6, 0, 1, 2);

  auto* layout = new QGridLayout(page);
  layout->addWidget(tx, 0, 0);
  layout->addWidget(rx, 0, 1);
  layout->addWidget(path, 1, 0, 1, 2);
  layout->setRowStretch(2, 1);
}

void TMainForm::buildTabulatedPage(QWidget* page) {
  auto* group = new QGroupBox(QStringLiteral("Profile Data (double click to save)"));
  auto* gl = new QVBoxLayout(group);
  profile_ = new TProfileList;
  profile_->setObjectName(QStringLiteral("Profile"));
  profile_->setToolTip(QStringLiteral("Double Click to save"));
  profile_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // A double click anywhere in the list saves it, on an item or not.
  profile_->viewport()->installEventFilter(this);
  gl->addWidget(profile_);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(group);
  auto* saveTable = new QShortcut(QKeySequence::Save, page, this, &TMainForm::ProfileDblClick);
  saveTable->setContext(Qt::WidgetWithChildrenShortcut);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (profile_ && watched == profile_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    ProfileDblClick();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- Start-up and close ----

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Start-up runs once, when the window first comes up, after it is drawn.
  if (!started_) QTimer::singleShot(0, this, &TMainForm::FormActivate);
}

void TMainForm::FormActivate() {
  if (started_) return;
  started_ = true;
  programDirectory_ = QDir::currentPath() + QLatin1Char('/');
  if (InitialiseMainWindow())
    Calculate();
  else
    CurrentDialogs().message(this, QStringLiteral("Initialisation Failure"));
}

bool TMainForm::InitialiseMainWindow() {
  Session& s = *session_;
  s.abortRequested = false;
  s.interpolateHeights = false;
  interpolate_->setChecked(false);

  const RestoredInputs restored = s.RestoreInputs(ss(programDirectory_));
  const InputValues& f = restored.fields;
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
  terrainDirectory_ = qs(restored.terrainDirectory);
  forcedKFactor_->setChecked(f.forcedKFactor);
  ForcedKFactorClick();
  kFactor_->SetValue(f.kFactor);

  // A first start with no tiles at hand computes on the sample that ships
  // with the program rather than asking for a folder the user may not have.
  const std::filesystem::path sample = restored.fromFile ? std::filesystem::path() : sampleDirectory_;
  if (!Session::HasTerrainTiles(ss(terrainDirectory_)) && !sample.empty()) {
    terrainDirectory_ = qs(sample.string()) + QLatin1Char('/');
  } else if (!Session::HasTerrainTiles(ss(terrainDirectory_))) {
    const QString chosen = CurrentDialogs().chooseDirectory(
        this, QStringLiteral("Please select directory containing terrain data"), QDir::currentPath());
    terrainDirectory_ = chosen.endsWith(QLatin1Char('/')) ? chosen : chosen + QLatin1Char('/');
  }
  switch (s.CreateDataObjects(ss(terrainDirectory_))) {
    case StartupFailure::kNone: break;
    case StartupFailure::kMapInitialisation:
      CurrentDialogs().message(this, QStringLiteral("Map initialisation failure"));
      return false;
    case StartupFailure::kMemoryAllocation:
      CurrentDialogs().message(this, QStringLiteral("Memory allocation failure"));
      return false;
    case StartupFailure::kTerrainObject:
      CurrentDialogs().message(this, QStringLiteral("Terrain object initialisation failure"));
      return false;
  }
  SetEndPointMode(restored.endPointMode);
  FormatLocationsForDisplay();
  range_->SetValue(f.range);
  bearing_->SetValue(f.bearing);
  return true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
  saveWindowGeometry();
  FormClose();
  QMainWindow::closeEvent(event);
}

// The window's size and place are the user's, not the inputs': they are kept
// apart from profile.ini, in the user's own settings.
namespace {
QSettings windowSettings() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tarnvale"), QStringLiteral("Tarnvale"));
}
constexpr const char* kGeometryKey = "window/geometry";
}  // namespace

void TMainForm::restoreWindowGeometry() {
  const QByteArray geometry = windowSettings().value(QLatin1String(kGeometryKey)).toByteArray();
  if (!geometry.isEmpty()) restoreGeometry(geometry);
}

void TMainForm::saveWindowGeometry() { windowSettings().setValue(QLatin1String(kGeometryKey), saveGeometry()); }

void TMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  const QEvent::Type type = event->type();
  if (type == QEvent::PaletteChange || type == QEvent::ApplicationPaletteChange || type == QEvent::StyleChange)
    applyColours();
}

void TMainForm::FormClose() {
  if (coveragePage_) coveragePage_->stopAndWait();
  session_->Close();
  if (about_) about_->hide();
  if (help_) help_->close();
}

void TMainForm::SaveInitButtonClick() { SaveSettings(); }

void TMainForm::SaveSettings() {
  if (!checkFields()) return;
  const InputValues f = readFields();
  const std::string path = ss(programDirectory_) + kSettingsFile;
  std::string reason;
  if (!SaveSettingsFile(path, session_->SettingsFromInputs(f, ss(terrainDirectory_)), &reason))
    CurrentDialogs().error(this, qs(SaveFailedText(path, reason)));
}

// ---- Calculate ----

int TMainForm::selectedFormat() const {
  if (ngr_->isChecked()) return kFormatGridReference;
  if (deg_->isChecked()) return kFormatDegrees;
  if (dms_->isChecked()) return kFormatDms;
  return kFormatLocator;
}

void TMainForm::checkFormat(int format) {
  switch (format) {
    case kFormatLocator: loc_->setChecked(true); break;
    case kFormatGridReference: ngr_->setChecked(true); break;
    case kFormatDegrees: deg_->setChecked(true); break;
    case kFormatDms: dms_->setChecked(true); break;
    default: break;
  }
}

bool TMainForm::checkFields() {
  const std::pair<std::string_view, TNumEdit*> fields[] = {
      {kRangeLimits.name, range_},        {kBearingLimits.name, bearing_},   {kFrequencyLimits.name, freq_},
      {"TX_H", txH_},                     {"RX_H", rxH_},                    {kPercentLimits.name, percent_},
      {kKFactorLimits.name, kFactor_},    {kTemperatureLimits.name, temperature_},
      {kPressureLimits.name, pressure_},  {kHumidityLimits.name, humidity_}};
  for (std::string_view name : FieldsToCheck(session_->endPointMode, forcedKFactor_->isChecked()))
    for (const auto& [fieldName, field] : fields)
      if (fieldName == name && !field->DoExit()) return false;
  return true;
}

InputValues TMainForm::readFields() {
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
  return f;
}

void TMainForm::CalculateBtnClick() { Calculate(); }

void TMainForm::Calculate() { calculate(std::nullopt); }

void TMainForm::calculate(std::optional<double> exactRange) {
  if (refuseWhilePlotting()) return;
  if (!session_->terrain()) {
    // Start-up did not get as far as the terrain store: nothing to look heights up in.
    startHeight_->setText(QStringLiteral("Initialisation Failure"));
    return;
  }
  // A field that does not hold a valid number stops the run: carrying on
  // with 0 would show results for inputs the user never gave.
  if (!checkFields()) return;
  InputValues f = readFields();
  if (exactRange) f.range = *exactRange;
  CalculateOutcome outcome;
  {
    const BusyCursor busy;
    outcome = session_->Calculate(f);
  }
  showOutcome(outcome);
  // Ground without a tile reads as 0 m; name each such tile once.
  const CSRTM& terrain = *session_->terrain();
  if (terrain.missingTiles().size() > missingTilesShown_) {
    statusBar()->showMessage(
        qs(MissingTilesText(terrain.missingTiles(), missingTilesShown_, terrain.terrainDirectory())));
    missingTilesShown_ = terrain.missingTiles().size();
  }
  // A damaged zone map counts every sample as coastal land; say so once.
  const CZONES* zones = session_->zones();
  if (zones && !zones->problem().empty() && !zoneProblemShown_) {
    statusBar()->showMessage(qs(zones->problem()));
    zoneProblemShown_ = true;
  }
}

void TMainForm::showOutcome(const CalculateOutcome& o) {
  if (o.endLoc) endLoc_->setText(qs(*o.endLoc));
  endHeight_->setText(qs(o.endHeight));
  startHeight_->setText(qs(o.startHeight));
  if (!o.locationsValid) return;
  rho_->setText(qs(*o.rho));
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
  for (QLabel* status : {climateStatus_, pathClimateStatus_}) {
    status->setText(qs(o.climateStatus));
    status->setVisible(!o.climateStatus.empty());
  }
  if (!o.pathValid) {
    invalidPath_->show();
    return;
  }
  invalidPath_->hide();
  const CalculateOutcome::Labels& l = *o.labels;
  beta0_->setText(qs(l.beta0));
  seaFraction_->setText(qs(l.seaFraction));
  dct_->setText(qs(l.dct));
  dcr_->setText(qs(l.dcr));
  plen_->setText(qs(l.pathLength));
  fsLoss_->setText(qs(l.fsLoss));
  diffLoss_->setText(qs(l.diffLoss));
  tropoLoss_->setText(qs(l.tropoLoss));
  ductLoss_->setText(qs(l.ductLoss));
  overallLoss_->setText(qs(l.overallLoss));
  profile_->clear();
  QStringList lines;
  lines.reserve(static_cast<qsizetype>(o.table.size()));
  for (const std::string& line : o.table) lines.append(qs(line));
  profile_->addItems(lines);
  chart1_->show(*o.chart);
}

// ---- End point mode, formats and units ----

void TMainForm::SetEndPointMode(std::uint8_t mode) {
  session_->endPointMode = mode;
  const bool byLocation = mode == kByLocation;
  endLoc_->setReadOnly(!byLocation);
  range_->setReadOnly(byLocation);
  bearing_->setReadOnly(byLocation);
  applyColours();
}

void TMainForm::applyColours() {
  if (!panel1_ || !kFactor_ || !forcedKFactor_) return;  // the page is still being built
  const QPalette& system = palette();
  const bool byLocation = session_->endPointMode == kByLocation;
  // The selected panel stands out in the theme's highlight of raised parts.
  panel2_->setColour(system.color(byLocation ? QPalette::Light : QPalette::Button));
  panel1_->setColour(system.color(byLocation ? QPalette::Button : QPalette::Light));
  // A receiver that follows from range and bearing reads as not for typing.
  if (byLocation)
    setBase(endLoc_, system.color(QPalette::Base), system.color(QPalette::Text));
  else
    setBase(endLoc_, system.color(QPalette::Disabled, QPalette::Window), system.color(QPalette::WindowText));
  // A K factor that follows the climate maps is shown as inactive; a fixed
  // one stands out in red.
  if (forcedKFactor_->isChecked())
    setBase(kFactor_, kForcedColour, ReadableOn(kForcedColour));
  else
    setBase(kFactor_, system.color(QPalette::Inactive, QPalette::Button),
            system.color(QPalette::Inactive, QPalette::ButtonText));
}

void TMainForm::Panel1Click() { SetEndPointMode(kByRangeBearing); }
void TMainForm::Panel2Click() { SetEndPointMode(kByLocation); }

void TMainForm::FormatLocationsForDisplay() {
  const auto [receiver, transmitter] = session_->FormatLocationsForDisplay(selectedFormat());
  endLoc_->setText(qs(receiver));
  startLoc_->setText(qs(transmitter));
}

void TMainForm::NGRClick() { FormatLocationsForDisplay(); }
void TMainForm::LOCClick() { FormatLocationsForDisplay(); }
void TMainForm::DEGClick() { FormatLocationsForDisplay(); }
void TMainForm::DMSClick() { FormatLocationsForDisplay(); }
void TMainForm::MetricClick() {
  // The unit changes how the path is shown, not the path: the Range value is
  // re-expressed in the new unit so the receiver stays where it is. While
  // Range still shows what the last run wrote, its exact length is used
  // rather than the rounded text.
  const bool metric = metric_->isChecked();
  std::optional<double> km;
  double typed = 0.0;
  if (!lastRangeText_.isEmpty() && range_->text() == lastRangeText_)
    km = session_->rangeKm;
  else if (range_->tryValue(typed))
    km = metric ? text::RangeInUnits(typed, true) : typed;  // typed in the unit just left
  rangeUnit_->setText(qs(text::RangeUnitText(metric)));
  if (!km) {
    Calculate();
    return;
  }
  range_->setNumberText(qs(text::RangeFieldText(*km, metric)));
  calculate(metric ? *km : *km * text::kMilesPerKm);
}
void TMainForm::FlatEarthClick() { Calculate(); }
void TMainForm::INTERPOLATEClick() { session_->interpolateHeights = interpolate_->isChecked(); }

void TMainForm::ForcedKFactorClick() { applyColours(); }

// ---- Taking results out ----

void TMainForm::ProfileDblClick() {
  if (saveFileName_.isEmpty()) saveFileName_ = QString::fromLatin1(kProfileFile);
  const QString chosen = CurrentDialogs().saveFileName(this, saveFileName_);
  if (chosen.isEmpty()) return;
  saveFileName_ = chosen;
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(profile_->count()));
  for (int i = 0; i < profile_->count(); ++i) lines.push_back(ss(profile_->item(i)->text()));
  std::string reason;
  if (!WriteProfileTable(ss(chosen), lines, &reason)) CurrentDialogs().error(this, qs(SaveFailedText(ss(chosen), reason)));
}

void TMainForm::Chart1DblClick() {
  auto* data = new QMimeData;
  data->setData(QStringLiteral("image/svg+xml"), chart1_->toSvg());
  data->setImageData(chart1_->toImage());
  CurrentDialogs().setClipboard(data);
  CurrentDialogs().information(this, QStringLiteral("Chart copied to Clipboard"));
}

// ---- Radio Refractivity Data page ----

void TMainForm::TabSheet1Show() {
  double percent = 0.0;
  if (!percent_->tryValue(percent)) percent = 0.0;
  const ClimatePageTexts t = ClimatePage(session_->climate(), session_->tx, session_->rx, percent);
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

// ---- Help and About ----

void TMainForm::Help1Click() { showHelp(QStringLiteral("contents")); }

void TMainForm::PageHelpClick() {
  const QWidget* page = pages_->currentWidget();
  const QString anchor = page ? page->property(kHelpAnchor).toString() : QString();
  showHelp(anchor.isEmpty() ? QStringLiteral("contents") : anchor);
}

void TMainForm::showHelp(const QString& anchor) {
  if (!help_) {
    help_ = new QTextBrowser(this);
    help_->setWindowFlag(Qt::Window);
    help_->setObjectName(QStringLiteral("HelpWindow"));
    help_->setWindowTitle(QStringLiteral("Tarnvale Help"));
    help_->setOpenExternalLinks(true);
    help_->setSource(QUrl(QStringLiteral("qrc:/help/tarnvale.html")));
    help_->resize(640, 720);
  }
  help_->scrollToAnchor(anchor);
  help_->show();
  help_->raise();
}

void TMainForm::About1Click() { about_->show(); }

}  // namespace tarnvale::ui
