#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>

#include <filesystem>

#include "app/About.h"
#include "app/Profile.h"
#include "app/Widgets.h"
#include "app/pages/CoveragePage.h"
#include "app/pages/FormParts.h"
#include "app/pages/InputPage.h"
#include "app/pages/LinkBudgetPage.h"
#include "app/pages/MechanismsPage.h"
#include "app/pages/PageHost.h"
#include "app/pages/RefractivityPage.h"
#include "app/pages/SiteDatabasePage.h"
#include "app/pages/TabulatedPage.h"
#include "app/pages/TerrainMapPage.h"
#include "app/pages/ZoneMapPage.h"
#include "session/ProfileExport.h"
#include "session/SampleData.h"
#include "settings/SettingsRecord.h"
#include "terrain/MissingTiles.h"
#include "widgets/Dialogs.h"
#include "widgets/Numedit.h"

namespace tarnvale::ui {
namespace {

constexpr const char* kSettingsFile = "profile.ini";
constexpr int kStatusMs = 6000;  // how long a status-bar message stays
// The window's first size, made smaller where the screen is (a 1366 x 768
// laptop screen holds it with its title bar and task bar).
constexpr int kWindowWidth = 1180;
constexpr int kWindowHeight = 680;

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

  inputPage_ = new TInputPage(*session_);
  connect(inputPage_, &TInputPage::calculateRequested, this, &TMainForm::Calculate);
  connect(inputPage_, &TInputPage::calculateWithRange, this, [this](double exactRange) { calculate(exactRange); });
  connect(inputPage_, &TInputPage::saveRequested, this, &TMainForm::SaveInitButtonClick);
  addPage(inputPage_, QStringLiteral("Input Data"), QStringLiteral("input"));
  refractivityPage_ = new TRefractivityPage(*session_);
  addPage(refractivityPage_, QStringLiteral("Radio Refractivity Data"), QStringLiteral("refractivity"));
  tabulatedPage_ = new TTabulatedPage;
  addPage(tabulatedPage_, QStringLiteral("Tabulated Data"), QStringLiteral("table"));

  auto* mechanisms = new TMechanismsPage(*session_, [this] {
    // Read as the fields stand; one of the three the curves always need
    // that holds no number says so.
    const auto value = [this](const char* name) { return inputPage_->findChild<TNumEdit*>(name)->GetValue(); };
    InputValues f = inputPage_->readFields();
    f.frequency = value("FREQ");
    f.txHeight = value("TX_H");
    f.rxHeight = value("RX_H");
    return f;
  });
  addPage(mechanisms, QStringLiteral("Mechanisms"), QStringLiteral("mechanisms"));
  linkPage_ = new TLinkBudgetPage;
  connect(linkPage_, &TLinkBudgetPage::calculateRequested, this, &TMainForm::Calculate);
  addPage(linkPage_, QStringLiteral("Link Budget"), QStringLiteral("link"));

  terrainMapPage_ = new TTerrainMapPage(pageHost());
  addPage(terrainMapPage_, QStringLiteral("Terrain Map"), QStringLiteral("terrainmap"));
  addPage(new TZoneMapPage(*session_), QStringLiteral("Zone Map"), QStringLiteral("zonemap"));
  coveragePage_ = new TCoveragePage(pageHost());
  addPage(coveragePage_, QStringLiteral("Area Coverage"), QStringLiteral("coverage"));
  auto* sites = new TSiteDatabasePage({[this] { return static_cast<const CSRTM*>(session_->terrain()); },
                                       [this] { return inputPage_->selectedFormat(); },
                                       [this] { return programDirectory_; }});
  connect(sites, &TSiteDatabasePage::copyToTransmitter, this, [this](const QString& text) {
    inputPage_->setTransmitterText(text);
    Calculate();
  });
  // A site copied to the receiver is typed, not derived from range and bearing.
  connect(sites, &TSiteDatabasePage::receiverByLocation, this, [this] { inputPage_->SetEndPointMode(kByLocation); });
  connect(sites, &TSiteDatabasePage::copyToReceiver, this, [this](const QString& text) {
    inputPage_->setReceiverText(text);
    Calculate();
  });
  addPage(sites, QStringLiteral("Site Database"), QStringLiteral("sites"));
  connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
    if (pages_->widget(index) == refractivityPage_) TabSheet1Show();
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
    if (!inputPage_->checkFields()) return std::nullopt;
    return inputPage_->readFields();
  };
  host.fieldText = [this](const QString& name) {
    const auto* field = findChild<QLineEdit*>(name);
    return field ? field->text() : QString();
  };
  host.terrainDirectory = [this] { return ss(terrainDirectory_); };
  host.calculate = [this] { Calculate(); };
  host.status = [this](const QString& text) { statusBar()->showMessage(text, kStatusMs); };
  host.link = [this]() -> std::optional<LinkRecord> {
    if (!linkPage_->checkFields()) return std::nullopt;
    return linkPage_->record();
  };
  return host;
}

bool TMainForm::plotRunning() const { return coveragePage_ && coveragePage_->plotting(); }

bool TMainForm::refuseWhilePlotting() {
  if (!plotRunning()) return false;
  statusBar()->showMessage(QStringLiteral("Plot Coverage is running: press Abort or let it finish first"), kStatusMs);
  return true;
}

void TMainForm::addPage(QWidget* page, const QString& title, const QString& helpAnchor) {
  pages_->addTab(page, title);
  page->setProperty(kHelpAnchorProperty, helpAnchor);
}

void TMainForm::PageControl1Exit() {
  if (coveragePage_) coveragePage_->AbortClick();
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

  const RestoredInputs restored = s.RestoreInputs(ss(programDirectory_));
  inputPage_->restoreFields(restored);
  linkPage_->restore(s.link);
  if (!restored.linkProblem.empty()) statusBar()->showMessage(qs(restored.linkProblem), kStatusMs);
  terrainDirectory_ = qs(restored.terrainDirectory);

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
  inputPage_->restoreEnds(restored);
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

void TMainForm::FormClose() {
  if (coveragePage_) coveragePage_->stopAndWait();
  session_->Close();
  if (about_) about_->hide();
  if (help_) help_->close();
}

void TMainForm::SaveInitButtonClick() { SaveSettings(); }

void TMainForm::SaveSettings() {
  if (!inputPage_->checkFields()) return;
  if (!linkPage_->checkFields()) return;
  session_->link = linkPage_->record();
  const InputValues f = inputPage_->readFields();
  const std::string path = ss(programDirectory_) + kSettingsFile;
  std::string reason;
  if (!SaveSettingsFile(path, session_->SettingsFromInputs(f, ss(terrainDirectory_)), &reason))
    CurrentDialogs().error(this, qs(SaveFailedText(path, reason)));
}

// ---- Calculate ----

void TMainForm::CalculateBtnClick() { Calculate(); }

void TMainForm::Calculate() { calculate(std::nullopt); }

void TMainForm::calculate(std::optional<double> exactRange) {
  if (refuseWhilePlotting()) return;
  if (!session_->terrain()) {
    // Start-up did not get as far as the terrain store: nothing to look heights up in.
    inputPage_->showInitialisationFailure();
    return;
  }
  // A field that does not hold a valid number stops the run: carrying on
  // with 0 would show results for inputs the user never gave.
  if (!inputPage_->checkFields()) return;
  InputValues f = inputPage_->readFields();
  if (exactRange) f.range = *exactRange;
  // The budget takes the Link Budget page's fields as they stand; one that
  // holds no number leaves the record of the last Calculate (its own
  // Calculate button says which).
  if (linkPage_->checkFields(false)) session_->link = linkPage_->record();
  CalculateOutcome outcome;
  {
    const BusyCursor busy;
    outcome = session_->Calculate(f);
  }
  inputPage_->showOutcome(outcome);
  refractivityPage_->showOutcome(outcome);
  tabulatedPage_->showOutcome(outcome);
  linkPage_->showOutcome(outcome);
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

// ---- Radio Refractivity Data page ----

void TMainForm::TabSheet1Show() { refractivityPage_->TabSheet1Show(inputPage_->readFields().percent); }

// ---- Help and About ----

void TMainForm::Help1Click() { showHelp(QStringLiteral("contents")); }

void TMainForm::PageHelpClick() {
  const QWidget* page = pages_->currentWidget();
  const QString anchor = page ? page->property(kHelpAnchorProperty).toString() : QString();
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
