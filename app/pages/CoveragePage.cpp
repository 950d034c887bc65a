#include "app/pages/CoveragePage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cerrno>
#include <filesystem>
#include <limits>
#include <stop_token>
#include <thread>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "app/pages/FormParts.h"
#include "app/pages/TImage.h"
#include "exports/GdalModule.h"
#include "exports/MapExport.h"
#include "maps/ScaleLegend.h"
#include "climate/Zones.h"
#include "session/CoverageSetup.h"
#include "terrain/Srtm.h"
#include "widgets/Dialogs.h"
#include "widgets/Numedit.h"

namespace tarnvale::ui {

/// The plot's own thread: it runs the engine (which starts the workers) and
/// then draws the scale, terrain, composition and marker, so that none of it
/// runs on the window's thread. It shares nothing with the window: the
/// transmitter, the inputs and the settings are copies, and the zone map and
/// the terrain store are its own.
struct TCoveragePage::Run {
  std::jthread thread;
};

/// Columns finished since the last report, with their values.
struct TCoveragePage::ColumnBatch {
  std::vector<int> columns;
  std::vector<double> loss;        ///< n values a column, in the order of columns
  std::vector<PointState> state;
  std::vector<double> quantity;    ///< the same for a map of another quantity than the loss
};

struct TCoveragePage::Finished {
  CoverageValues values;
  CoveragePicture picture;
};

namespace {


/// The plot's threads give way to the window's: on a busy machine the window
/// would otherwise wait for a time slice behind its own workers. Threads
/// started afterwards from the calling thread (the engine's workers) inherit it.
void GiveWayToTheWindow() {
#ifdef __linux__
  constexpr int kNiceSteps = 10;
  const auto self = static_cast<id_t>(::gettid());
  errno = 0;
  const int nice = ::getpriority(PRIO_PROCESS, self);
  if (errno == 0) ::setpriority(PRIO_PROCESS, self, std::min(nice + kNiceSteps, 19));
#endif
}

constexpr int kScaleColumnWidth = 96;  // the scale and its "-120.0 dBm", "100.0 dBµV/m" labels
constexpr int kFieldWidth = 90;        // a numeric field

}  // namespace

TCoveragePage::TCoveragePage(PageHost host, QWidget* parent) : QWidget(parent), host_(std::move(host)) {
  setObjectName(QStringLiteral("Coverage"));
  const CoverageSettings start;
  range_ = LimitedField(kCoverageRangeLimits, start.rangeKm, QStringLiteral("Maximum range for coverage plot in km"), kFieldWidth);
  resolution_ = LimitedField(kCoverageResolutionLimits, start.resolution,
                        QStringLiteral("Resolution of coverage plot in Pixels"), kFieldWidth, true);
  maxLoss_ = LimitedField(kMaxLossLimits, start.maxLoss, QStringLiteral("Maximum loss to show in plot"), kFieldWidth);
  minLoss_ = LimitedField(kMinLossLimits, start.minLoss, QStringLiteral("Minimum loss to show in plot"), kFieldWidth);
  maxHeight_ = LimitedField(kMaxHeightLimits, start.maxHeight, QStringLiteral("Maximum terrain height"), kFieldWidth);
  minHeight_ = LimitedField(kMinHeightLimits, start.minHeight,
                       QStringLiteral("Minimum terrain height - normally set to 0"), kFieldWidth);

  quantity_ = new QComboBox;
  quantity_->setObjectName(QStringLiteral("CoverageQuantity"));
  quantity_->setToolTip(QStringLiteral("What the map shows: the loss, or with the Link Budget page's antennas the "
                                       "received power, the field strength or the margin over the threshold"));
  for (const auto& [caption, q] : {std::pair{"Loss (dB)", LinkQuantity::Loss},
                                   std::pair{"Received power (dBm)", LinkQuantity::Power},
                                   std::pair{"Field strength (dB\u00b5V/m)", LinkQuantity::Field},
                                   std::pair{"Margin (dB)", LinkQuantity::Margin}})
    quantity_->addItem(QString::fromUtf8(caption), static_cast<int>(q));
  connect(quantity_, &QComboBox::currentIndexChanged, this, &TCoveragePage::quantityChosen);

  auto* fields = new QGridLayout;
  const auto addField = [fields](int row, const QString& caption, QWidget* edit) {
    auto* l = new QLabel(caption);
    l->setBuddy(edit);
    fields->addWidget(l, row, 0);
    fields->addWidget(edit, row, 1);
    return l;
  };
  addField(0, QStringLiteral("Range (km)"), range_);
  addField(1, QStringLiteral("Pixels per sample"), resolution_);
  addField(2, QStringLiteral("Map of"), quantity_);
  maxCaption_ = addField(3, QStringLiteral("Maximum Loss"), maxLoss_);
  minCaption_ = addField(4, QStringLiteral("Minimum Loss"), minLoss_);
  maxCaption_->setObjectName(QStringLiteral("MaxLossCaption"));
  minCaption_->setObjectName(QStringLiteral("MinLossCaption"));
  addField(5, QStringLiteral("Maximum Height"), maxHeight_);
  addField(6, QStringLiteral("Minimum Height"), minHeight_);

  monochrome_ = NamedRadio(QStringLiteral("Monochrome"), QStringLiteral("Show in monochrome"));
  colourfull_ = NamedRadio(QStringLiteral("Colourfull"), QStringLiteral("Show as colour map"));
  terrain_ = NamedRadio(QStringLiteral("CoverageTerrain"), QStringLiteral("Show Highligted Terrain"));
  terrain_->setChecked(true);
  contrast_ = new QCheckBox(QStringLiteral("Contrast"));
  contrast_->setObjectName(QStringLiteral("MAX_CONTRAST"));
  auto* styles = new QVBoxLayout;
  styles->addWidget(monochrome_);
  styles->addWidget(colourfull_);
  styles->addWidget(terrain_);
  styles->addWidget(contrast_);

  plot_ = new QPushButton(QStringLiteral("&Plot Coverage"));
  plot_->setObjectName(QStringLiteral("PlotCoverage"));
  abort_ = new QPushButton(QStringLiteral("Abort"));
  abort_->setObjectName(QStringLiteral("Abort"));
  connect(plot_, &QPushButton::clicked, this, &TCoveragePage::PlotCoverageClick);
  connect(abort_, &QPushButton::clicked, this, &TCoveragePage::AbortClick);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(plot_);
  buttons->addWidget(abort_);

  auto* system = new QGroupBox(QStringLiteral("System Data"));
  auto* sl = new QGridLayout(system);
  centre_ = NamedLabel(QStringLiteral("CoverageMapCentre"));
  frequency_ = NamedLabel(QStringLiteral("CoverageFrequency"));
  txHeight_ = NamedLabel(QStringLiteral("CoverageTxHeight"));
  rxHeight_ = NamedLabel(QStringLiteral("CoverageRxHeight"));
  timePercentage_ = NamedLabel(QStringLiteral("CoverageTimePercentage"));
  const auto addData = [sl](int row, const QString& caption, QLabel* value) {
    sl->addWidget(new QLabel(caption), row, 0);
    sl->addWidget(value, row, 1);
  };
  addData(0, QStringLiteral("Map centre"), centre_);
  addData(1, QStringLiteral("Frequency (GHz)"), frequency_);
  addData(2, QStringLiteral("TX height (m)"), txHeight_);
  addData(3, QStringLiteral("RX height (m)"), rxHeight_);
  addData(4, QStringLiteral("Time percentage"), timePercentage_);

  auto* controls = new QVBoxLayout;
  controls->addLayout(fields);
  controls->addLayout(styles);
  controls->addLayout(buttons);
  controls->addWidget(system);
  controls->addStretch();

  coverageMap_ = new TImage(QStringLiteral("CoverageMap"), coverage::kMapSize, coverage::kMapSize);
  coverageMap_->setToolTip(QStringLiteral("Double click to copy, right click for more"));
  connect(coverageMap_, &TImage::doubleClicked, this, &TCoveragePage::CoverageMapDblClick);
  connect(coverageMap_, &TImage::menuRequested, this, &TCoveragePage::showMenu);
  progress_ = new QProgressBar;
  progress_->setObjectName(QStringLiteral("CoverageProgress"));
  progress_->setFixedWidth(coverage::kMapSize);
  progress_->setFormat(QStringLiteral("%v of %m points"));
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setTextVisible(false);  // until the first plot
  // Which model computed the map shown (empty before the first plot).
  modelName_ = NamedLabel(QStringLiteral("CoverageModel"));
  auto* map = new QVBoxLayout;
  map->addWidget(coverageMap_);
  map->addWidget(progress_);
  map->addWidget(modelName_);
  map->addStretch();

  colourScale_ = new TImage(QStringLiteral("ColourScale"), colours::kScaleWidth, colours::kScaleHeight);
  scaleMin_ = NamedLabel(QStringLiteral("ScaleMin"));
  scaleMax_ = NamedLabel(QStringLiteral("ScaleMax"));
  // The column keeps its width while the scale is hidden, so that nothing moves
  // when it appears.
  auto* scaleColumn = new QWidget;
  scaleColumn->setObjectName(QStringLiteral("ScaleColumn"));
  scaleColumn->setFixedWidth(kScaleColumnWidth);
  auto* scale = new QVBoxLayout(scaleColumn);
  scale->setContentsMargins(0, 0, 0, 0);
  scale->addWidget(scaleMin_);
  scale->addWidget(colourScale_);
  scale->addWidget(scaleMax_);
  scale->addStretch();
  colourScale_->hide();
  scaleMin_->hide();
  scaleMax_->hide();

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(map);
  layout->addWidget(scaleColumn, 0, Qt::AlignTop);
  layout->addLayout(controls);
  layout->addStretch();
}

TCoveragePage::~TCoveragePage() { stopAndWait(); }

void TCoveragePage::stopAndWait() {
  if (!run_) return;
  run_->thread.request_stop();
  run_->thread.join();
  run_.reset();
  ++generation_;  // what the stopped plot still posted is dropped
  plot_->setEnabled(true);
}

// ---- Showing the page ----

void TCoveragePage::CoverageShow() {
  Session& s = *host_.session;
  centre_->setText(qs(CoverageCentreText(s.tx)));
  frequency_->setText(host_.fieldText(QStringLiteral("FREQ")));
  txHeight_->setText(host_.fieldText(QStringLiteral("TX_H")));
  rxHeight_->setText(host_.fieldText(QStringLiteral("RX_H")));
  timePercentage_->setText(host_.fieldText(QStringLiteral("Percent")));
  // A running plot keeps showing its growing loss image.
  if (plotting()) return;
  if (display_.empty()) {
    display_ = RgbImage(coverageMap_->width(), coverageMap_->height(), kBlack);
    hasScale_ = false;
  }
  if (!coverageMap_->setPicture(display_))
    CurrentDialogs().message(this, QStringLiteral("Could not load or display bitmap"));
  showScale();
}

void TCoveragePage::showScale() {
  const bool shown = hasScale_ && colourScale_->setPicture(scale_.image);
  if (shown) {
    scaleMin_->setText(qs(scale_.scaleMinText));
    scaleMax_->setText(qs(scale_.scaleMaxText));
  }
  scaleMin_->setVisible(shown);
  scaleMax_->setVisible(shown);
  colourScale_->setVisible(shown);
}

// ---- The plot ----

LinkQuantity TCoveragePage::quantity() const {
  return static_cast<LinkQuantity>(quantity_->currentData().toInt());
}

void TCoveragePage::quantityChosen() {
  const LinkQuantity q = quantity();
  const CoverageScaleLimits limits = ScaleLimitsFor(q);
  const QString unit = QString::fromUtf8(LinkQuantityDisplayUnit(q).data());
  const bool loss = q == LinkQuantity::Loss;
  maxCaption_->setText(loss ? QStringLiteral("Maximum Loss") : QStringLiteral("Maximum (%1)").arg(unit));
  minCaption_->setText(loss ? QStringLiteral("Minimum Loss") : QStringLiteral("Minimum (%1)").arg(unit));
  maxLoss_->SetMinValue(limits.max.min);
  maxLoss_->SetMaxValue(limits.max.max);
  minLoss_->SetMinValue(limits.min.min);
  minLoss_->SetMaxValue(limits.min.max);
  maxLoss_->SetValue(limits.maxStart);
  minLoss_->SetValue(limits.minStart);
  maxLoss_->setToolTip(loss ? QStringLiteral("Maximum loss to show in plot")
                            : QStringLiteral("Largest value the scale shows (%1)").arg(unit));
  minLoss_->setToolTip(loss ? QStringLiteral("Minimum loss to show in plot")
                            : QStringLiteral("Smallest value the scale shows (%1)").arg(unit));
}

CoverageSettings TCoveragePage::readSettings() {
  CoverageSettings c;
  c.rangeKm = range_->GetValue();
  c.resolution = static_cast<int>(std::trunc(resolution_->GetValue()));
  c.quantity = quantity();
  c.maxLoss = maxLoss_->GetValue();
  c.minLoss = minLoss_->GetValue();
  c.maxHeight = maxHeight_->GetValue();
  c.minHeight = minHeight_->GetValue();
  c.contrast = contrast_->isChecked();
  c.style = monochrome_->isChecked()   ? CoverageStyle::Monochrome
            : colourfull_->isChecked() ? CoverageStyle::Colour
                                       : CoverageStyle::Terrain;
  c.width = coverageMap_->width();
  c.height = coverageMap_->height();
  return c;
}

void TCoveragePage::PlotCoverageClick() {
  if (plotting()) return;
  Session& s = *host_.session;
  s.abortRequested = false;
  // Fields that hold no number, or one outside their limits, stop the plot
  // before it starts; the user is told which.
  for (TNumEdit* field : {range_, resolution_, maxLoss_, minLoss_, maxHeight_, minHeight_})
    if (!field->DoExit()) return;
  const std::optional<InputValues> inputs = host_.inputs();
  if (!inputs) return;
  if (inputs->modelChoice.isP452()) {
    const std::string problem = P452RadioProblem(inputs->frequency, inputs->percent);
    if (!problem.empty()) {
      host_.status(qs("No coverage plot: " + problem));
      return;
    }
  }
  const CoverageSettings settings = readSettings();
  std::optional<LinkRecord> link;
  // The budget's quantities need the Link Budget page, and so does
  // P.452-18, whose troposcatter couples through the antennas' gains.
  if (settings.quantity != LinkQuantity::Loss || inputs->modelChoice.isP452()) {
    link = host_.link ? host_.link() : std::optional<LinkRecord>(LinkRecord{});
    if (!link) return;
  }
  // The command line builds its job the same way, so the same inputs give the same map.
  CoverageRequest request;
  request.transmitter = s.tx;
  request.rangeKm = settings.rangeKm;
  request.resolution = settings.resolution;
  request.widthPx = settings.width;
  request.heightPx = settings.height;
  request.radio = *inputs;
  request.n0 = s.driver.fallbackN0;
  request.deltaN = s.driver.fallbackDeltaN;
  request.terrainDirectory = host_.terrainDirectory();
  request.quantity = settings.quantity;
  if (link) request.link = *link;
  CoverageJob job = CoverageJobFor(request);
  if (!job.grid.valid) {
    host_.status(QStringLiteral("No coverage plot: the transmitter is not a valid location"));
    return;
  }
  settings_ = settings;
  grid_ = job.grid;
  // A classic loss map's file stays as it always was; another model's or
  // quantity's says what it holds.
  metadata_.clear();
  if (settings.quantity != LinkQuantity::Loss || inputs->modelChoice.isP452())
    metadata_ = CoverageMetadata(request, job);
  modelName_->setText(qs(ModelLine(inputs->modelChoice.model)));
  const CoverageGrid grid = job.grid;
  const bool interpolate = s.interpolateHeights;

  // New, empty pictures; the map shows the loss image as columns arrive.
  const int n = grid.n;
  const std::size_t total = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  values_ = CoverageValues{};
  values_.n = n;
  values_.loss.assign(total, std::numeric_limits<double>::quiet_NaN());
  values_.state.assign(total, PointState::NotComputed);
  values_.columnDone.assign(static_cast<std::size_t>(n), 0);
  if (settings.quantity != LinkQuantity::Loss) values_.quantity.assign(total, std::numeric_limits<double>::quiet_NaN());
  loss_ = RgbImage(settings.width, settings.height);
  display_ = RgbImage(settings.width, settings.height);
  coverageMap_->setPicture(loss_);
  progress_->setRange(0, static_cast<int>(total));
  progress_->setValue(0);
  progress_->setTextVisible(true);
  plot_->setEnabled(false);

  run_ = std::make_unique<Run>();
  const int id = ++generation_;
  run_->thread = std::jthread([this, id, job = std::move(job), settings, interpolate](std::stop_token stop) {
    GiveWayToTheWindow();
    CZONES zones(job.terrainDirectory);
    CoverageCallbacks callbacks;
    callbacks.progress = [this, id](long long done, long long all) {
      QMetaObject::invokeMethod(
          this, [this, id, done, all] { if (id == generation_) showProgress(done, all); }, Qt::QueuedConnection);
    };
    callbacks.columns = [this, id](const CoverageValues& v, const std::vector<int>& columns) {
      if (columns.empty()) return;
      auto batch = std::make_shared<ColumnBatch>();
      batch->columns = columns;
      for (int j : columns) {
        const auto first = static_cast<std::ptrdiff_t>(v.index(j, 0));
        batch->loss.insert(batch->loss.end(), v.loss.begin() + first, v.loss.begin() + first + v.n);
        batch->state.insert(batch->state.end(), v.state.begin() + first, v.state.begin() + first + v.n);
        if (!v.quantity.empty())
          batch->quantity.insert(batch->quantity.end(), v.quantity.begin() + first, v.quantity.begin() + first + v.n);
      }
      QMetaObject::invokeMethod(
          this, [this, id, batch] { if (id == generation_) columnsArrived(*batch); }, Qt::QueuedConnection);
    };
    auto finished = std::make_shared<Finished>();
    finished->values = RunCoverage(job, zones, stop, callbacks);
    CSRTM terrain(finished->values.tiles);  // the run's own tiles: none is read again
    finished->picture = RenderCoverage(terrain, job.tx, job.grid, finished->values, settings, interpolate);
    QMetaObject::invokeMethod(
        this, [this, id, finished] { if (id == generation_) plotDone(*finished); }, Qt::QueuedConnection);
  });
}

void TCoveragePage::showProgress(long long done, long long total) {
  if (!plotting()) return;
  progress_->setMaximum(static_cast<int>(total));
  progress_->setValue(static_cast<int>(done));
}

void TCoveragePage::columnsArrived(const ColumnBatch& batch) {
  if (!plotting()) return;
  const int n = values_.n;
  for (std::size_t c = 0; c < batch.columns.size(); ++c) {
    const int j = batch.columns[c];
    if (j < 0 || j >= n) continue;
    const std::size_t from = c * static_cast<std::size_t>(n);
    std::copy_n(batch.loss.begin() + static_cast<std::ptrdiff_t>(from), n,
                values_.loss.begin() + static_cast<std::ptrdiff_t>(values_.index(j, 0)));
    std::copy_n(batch.state.begin() + static_cast<std::ptrdiff_t>(from), n,
                values_.state.begin() + static_cast<std::ptrdiff_t>(values_.index(j, 0)));
    if (!batch.quantity.empty() && !values_.quantity.empty())
      std::copy_n(batch.quantity.begin() + static_cast<std::ptrdiff_t>(from), n,
                  values_.quantity.begin() + static_cast<std::ptrdiff_t>(values_.index(j, 0)));
    values_.columnDone[static_cast<std::size_t>(j)] = 1;
    PaintLossColumn(loss_, grid_, values_, j, settings_);
  }
  coverageMap_->setPicture(loss_);
}

void TCoveragePage::plotDone(Finished& finished) {
  if (run_) run_->thread.join();  // it has nothing left to do
  run_.reset();
  values_ = std::move(finished.values);
  loss_ = std::move(finished.picture.loss);
  display_ = std::move(finished.picture.display);
  scale_ = std::move(finished.picture.scale);
  hasScale_ = !scale_.image.empty();
  progress_->setMaximum(static_cast<int>(std::max<long long>(1, static_cast<long long>(values_.n) * values_.n)));
  progress_->setValue(static_cast<int>(values_.pointsDone));
  if (!coverageMap_->setPicture(display_))
    CurrentDialogs().message(this, QStringLiteral("Could not load or display bitmap"));
  showScale();
  plot_->setEnabled(true);
  emit plotFinished();
}

void TCoveragePage::requestStop() {
  host_.session->abortRequested = true;
  if (run_) run_->thread.request_stop();
}

void TCoveragePage::AbortClick() { requestStop(); }
void TCoveragePage::CoverageExit() { requestStop(); }

// ---- Taking the picture out ----

void TCoveragePage::CoverageMapDblClick() {
  const QImage image = coverageMap_->picture();
  if (image.isNull()) {
    CurrentDialogs().message(this, QStringLiteral("Failed to copy image to clipboard!"));
    return;
  }
  auto* data = new QMimeData;
  data->setImageData(image);
  CurrentDialogs().setClipboard(data);
  CurrentDialogs().information(this, QStringLiteral("Image copied to clipboard"));
}

void TCoveragePage::showMenu(const QPoint& globalPos) {
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("CoverageMenu"));
  menu.addAction(QStringLiteral("Copy image"), this, &TCoveragePage::CoverageMapDblClick);
  menu.addSeparator();
  const bool saved = values_.n > 0 && !plotting();
  menu.addAction(QStringLiteral("Save as PNG…"), this, &TCoveragePage::SavePng)->setEnabled(saved);
  menu.addAction(QStringLiteral("Save as GeoTIFF…"), this, &TCoveragePage::SaveGeoTiff)->setEnabled(saved);
  menu.addAction(QStringLiteral("Save as KML…"), this, &TCoveragePage::SaveKml)->setEnabled(saved);
  menu.exec(globalPos);
}

QString TCoveragePage::askFileName(const QString& proposed) {
  if (values_.n <= 0 || plotting()) return {};
  return CurrentDialogs().saveFileName(this, proposed);
}

void TCoveragePage::reportSaved(bool written, const std::string& error) {
  if (written) return;
  CurrentDialogs().error(this, qs(error.empty() ? std::string("The file could not be written") : error));
}

void TCoveragePage::SavePng() {
  const QString name = askFileName(QStringLiteral("coverage.png"));
  if (name.isEmpty()) return;
  std::string error;
  reportSaved(WritePng(display_, name.toStdString(), &error), error);
}

void TCoveragePage::SaveGeoTiff() {
  const QString name = askFileName(QStringLiteral("coverage.tif"));
  if (name.isEmpty()) return;
  std::string error;
  reportSaved(gdal::WriteCoverageGeoTiff(name.toStdString(), grid_, values_, error, metadata_,
                                         CoverageBandFor(settings_.quantity)),
              error);
}

void TCoveragePage::SaveKml() {
  const QString name = askFileName(QStringLiteral("coverage.kml"));
  if (name.isEmpty()) return;
  const std::filesystem::path kml = std::filesystem::absolute(name.toStdString());
  const OverlayBox box = CoverageOverlayBox(grid_, display_.width(), display_.height());
  constexpr const char* kTitle = "Tarnvale coverage";
  // The scale as the overlay's legend, in the unit of the quantity mapped.
  const OverlayLegend legend{DrawScaleLegend(scale_), CoverageLegendTitle(settings_)};
  std::string error;
  if (name.endsWith(QStringLiteral(".kmz"), Qt::CaseInsensitive)) {
    reportSaved(WriteCoverageKmz(kml.string(), kTitle, display_, box, error, &legend), error);
    return;
  }
  // The overlay's pictures lie beside the KML, which names them without a path.
  std::filesystem::path png = kml;
  png.replace_extension(".png");
  const std::filesystem::path legendPng = LegendPathBeside(kml.string());
  bool written = WritePng(display_, png.string(), &error) && WritePng(legend.picture, legendPng.string(), &error);
  if (written)
    written = WriteTextFile(kml.string(),
                            CoverageKml(kTitle, png.filename().string(), box, legendPng.filename().string(),
                                        legend.title),
                            error);
  reportSaved(written, error);
}

}  // namespace tarnvale::ui
