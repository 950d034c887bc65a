#pragma once
// Area coverage: the square grid of sample points around a transmitter, the
// model run at every point on worker threads, and the pictures made from the
// losses (the grey-level loss image, the terrain layer, the composed display
// in monochrome, colour or over terrain, the scale and the transmitter mark).
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "climate/Zones.h"
#include "geo/Locator.h"
#include "link/LinkBudget.h"
#include "maps/Colours.h"
#include "maps/RgbImage.h"
#include "maps/TerrainMap.h"
#include "model/ModelChoice.h"
#include "model/ModelDriver.h"
#include "model/P452Model.h"
#include "terrain/SharedTileSet.h"
#include "terrain/Srtm.h"

namespace tarnvale {

/// Figures of the coverage map.
namespace coverage {

/// The map picture (pixels).
inline constexpr int kMapSize = 500;
/// Bearings (degrees) of the points that give the square's extent.
inline constexpr double kNorthDeg = 0.0;
inline constexpr double kSouthDeg = 180.0;
inline constexpr double kWestDeg = 270.0;
inline constexpr double kEastDeg = 90.0;
/// Half-size (pixels) and corner of the transmitter mark at the centre.
inline constexpr int kMarkerHalf = 5;
inline constexpr int kMarkerCorner = 10;
/// The colour style maps lightness 1 ... 0 onto this stretch of the hue scale,
/// so that the lightest and the darkest 20 % each take one end colour.
inline constexpr double kHueLow = 0.2;
inline constexpr double kHueHigh = 0.8;

}  // namespace coverage

/// How the finished map is shown.
enum class CoverageStyle {
  Monochrome,  ///< the grey levels as they are ("Show in monochrome")
  Colour,      ///< grey levels turned into hues ("Show as colour map")
  Terrain,     ///< grey levels shading a terrain map ("Show Highligted Terrain")
};

/// The Area Coverage page's fields, with their start values.
struct CoverageSettings {
  double rangeKm = 10.0;   ///< CoverageRange (km)
  int resolution = 4;      ///< CoverageResolution: pixels per sample
  /// What the map shows. For the loss the smallest values take the lightest
  /// grey; for power, field strength and margin, where larger is better, the
  /// largest do, so that a good point has the same colour on every map.
  LinkQuantity quantity = LinkQuantity::Loss;
  double maxLoss = 200.0;  ///< MaxLoss: the scale's largest value, in the quantity's unit (dB of loss)
  double minLoss = 100.0;  ///< MinLoss: the scale's smallest value, in the quantity's unit
  double maxHeight = 500.0;  ///< MaxHeight (m)
  double minHeight = 0.0;    ///< MinHeight (m)
  bool contrast = false;     ///< MAX_CONTRAST
  CoverageStyle style = CoverageStyle::Terrain;
  int width = coverage::kMapSize;   ///< size of CoverageMap (pixels)
  int height = coverage::kMapSize;
};

/// The lattice of sample points. Sample (j, k), column j west to east and row
/// k north to south, lies at latitude northEdge - k step, longitude westEdge
/// + j step, and covers the pixels p j ... p j + p - 1 across and p k ...
/// p k + p - 1 down.
struct CoverageGrid {
  bool valid = false;       ///< false: no transmitter, no range or no pixels
  int n = 0;                ///< samples along each side
  int p = 0;                ///< pixels per sample
  double d = 0.0;           ///< side of the square (degrees)
  double step = 0.0;        ///< d / n (degrees)
  double northEdge = 0.0;   ///< latitude of row 0 (degrees)
  double westEdge = 0.0;    ///< longitude of column 0 (degrees)
  double latitude(int k) const { return northEdge - k * step; }
  double longitude(int j) const { return westEdge + j * step; }
};

/// The grid for a transmitter: the points at @p rangeKm on bearings 0, 180,
/// 270 and 90 degrees (CLocator::destination) give the north and south
/// latitudes and west and east longitudes; d = max(north - south, east -
/// west); n = max(width, height) / p; step = d / n; north edge = latitude +
/// d / 2, west edge = longitude - d / 2.
/// @param resolution pixels per sample, truncated to a whole number
CoverageGrid CoverageGridFor(const CLocator& tx, double rangeKm, double resolution, int width = coverage::kMapSize,
                             int height = coverage::kMapSize);

/// What every model run of a map receives.
struct CoverageInputs {
  /// Frequency, time percentage, antenna heights and the forced K factor; a
  /// forced factor replaces delta-N as the model driver does it.
  ModelInputs model;
  double n0 = 320.0;       ///< N0 (N-units): the fallback pair of the last profile run
  double deltaN = 45.0;    ///< delta-N (N-units/km)
  double gasPerKm = 0.0;   ///< specific gaseous attenuation gamma (dB/km), once per map; classic model only
  /// The model of every point (the classic one by default) and the inputs
  /// of P.452-18 alone. Under P.452-18 a point's loss is its Lb, which holds
  /// the gaseous loss of each mechanism (gasPerKm is not read), over the
  /// same sampled profile a classic point has, with n0 and deltaN for every
  /// point as the classic map takes them.
  ModelChoice choice;
  double pressure = 1000.0;   ///< dry-air pressure (hPa), P.452-18 only
  double temperature = 20.0;  ///< degrees C, P.452-18 only
};

/// One map to compute.
struct CoverageJob {
  CLocator tx;
  CoverageGrid grid;
  CoverageInputs inputs;
  /// Directory of the .hgt tiles.
  std::string terrainDirectory;
  /// The tiles the workers share, each read once for the whole run; empty:
  /// RunCoverage makes a set on terrainDirectory. A set kept from an earlier
  /// map of the same directory (CoverageValues::tiles) spares reading its
  /// tiles again.
  std::shared_ptr<const SharedTileSet> tiles;
  /// Worker threads; 0 or less: one per hardware thread.
  int threads = 0;
  /// What the map shows; for any other quantity than the loss the link
  /// record turns each point's loss into it (CoverageQuantityAt).
  LinkQuantity quantity = LinkQuantity::Loss;
  LinkRecord link;
  /// The rows to compute: firstRow ... firstRow + rowCount - 1 of every
  /// column (row 0 the northernmost); rowCount 0: every row from firstRow.
  /// A band of rows is a part of a bigger map that other processes complete
  /// (CoveragePart.h); each point's value is the same in a band as in the
  /// whole map, since it depends on that point alone.
  int firstRow = 0;
  int rowCount = 0;
};

/// What became of one sample point.
enum class PointState : std::uint8_t {
  NotComputed = 0,  ///< never reached (cancelled)
  Ok = 1,           ///< the model gave a loss
  Failed = 2,       ///< no valid path (the transmitter's own cell, within 0.1 km)
};

/// The losses of a map, column after column: index j n + k for column j
/// (west to east), row k (north to south). Of a job that computes a band of
/// rows, only those rows, each column holding rows() values: index j rows()
/// + k - firstRow.
struct CoverageValues {
  int n = 0;
  /// The band held: rows firstRow ... firstRow + rows() - 1; bandRows 0 (as
  /// values made before there were bands have it): all n rows.
  int firstRow = 0;
  int bandRows = 0;
  /// Lb + gamma L (dB) where the state is Ok; NaN elsewhere.
  std::vector<double> loss;
  std::vector<PointState> state;
  /// Only for a job that maps another quantity than the loss (empty
  /// otherwise): the quantity (NaN where the state is not Ok), and the path
  /// analysis' horizon elevations theta_t and theta_r of each point (mrad;
  /// theta_r only when the receiving antenna does not point at the
  /// transmitter), which the antennas' gains toward the path depend on.
  std::vector<double> quantity;
  std::vector<double> txElevationMrad;
  std::vector<double> rxElevationMrad;
  /// 1 for every column whose points (of the band held) are all done.
  std::vector<std::uint8_t> columnDone;
  long long pointsDone = 0;
  bool cancelled = false;
  int threads = 0;         ///< workers that ran
  double seconds = 0.0;    ///< wall time of the computation
  /// The tiles the run read, for drawing its terrain without reading them
  /// again (a CSRTM over them); null when nothing was computed.
  std::shared_ptr<const SharedTileSet> tiles;

  /// Rows held in each column.
  int rows() const { return bandRows > 0 ? bandRows : n; }
  /// Whether row @p k is one of the rows held.
  bool holdsRow(int k) const { return k >= firstRow && k < firstRow + rows(); }
  std::size_t index(int j, int k) const {
    return static_cast<std::size_t>(j) * static_cast<std::size_t>(rows()) + static_cast<std::size_t>(k - firstRow);
  }
  int columnsDone() const;
  /// The value the map shows at @p i: the quantity, or the loss of a loss map.
  double shown(std::size_t i) const { return quantity.empty() ? loss[i] : quantity[i]; }
};

/// Reports of a running map. Both are called on the thread that runs
/// RunCoverage, never from a worker, at most every few tens of milliseconds
/// and once at the end.
struct CoverageCallbacks {
  /// Points done so far and of the job (the whole grid, or its band of rows).
  std::function<void(long long pointsDone, long long pointsTotal)> progress;
  /// Columns finished since the last report (in the order they finished);
  /// the values of every column marked done may be read.
  std::function<void(const CoverageValues& values, const std::vector<int>& newColumns)> columns;
};

/// Computes the map on job.threads workers, each with its own model object and
/// terrain store over one set of tiles, so that each tile the map needs is
/// read once; @p zones is shared read-only (it is opened first on the
/// calling thread). Columns are handed out west to east; each value depends
/// only on its point, so the result is the same for any number of threads.
/// For another quantity than the loss, the calling thread turns each finished
/// column's losses into the quantity before reporting it (the losses stay).
/// A stop request ends every worker after its current point (well within
/// 100 ms); the columns finished stay, and cancelled is set.
/// Blocks until the workers have ended. Returns values with n = 0 for a grid
/// that is not valid, a band of rows that does not lie within it, or when
/// there is no memory for the map.
CoverageValues RunCoverage(const CoverageJob& job, const CZONES& zones, std::stop_token stop = {},
                           const CoverageCallbacks& callbacks = {});

/// One point as a single model run gives it (no worker threads), for checks:
/// CTerrain::CalculateCoveragePoint with the job's inputs.
/// @return false for no valid path; @p loss = Lb + gamma L otherwise (dB)
bool CoveragePointLoss(CTerrain& model, const CSRTM& terrain, const CZONES& zones, const CLocator& tx,
                       double latitude, double longitude, const CoverageInputs& inputs, double& loss);
/// The same under P.452-18 (inputs.choice): the profile SampleProfile gives
/// a coverage point, through P452ProfileInputs, and the model; with a
/// pattern in @p link, the antennas' gains toward the point's horizons.
/// @return false for no valid path; @p loss = Lb otherwise (dB)
bool CoveragePointLoss(P452Model& model, const CSRTM& terrain, const CZONES& zones, const CLocator& tx,
                       double latitude, double longitude, const CoverageInputs& inputs, double& loss,
                       const LinkRecord* link = nullptr);

/// The geometry of one map point's path for its budget: the great circle's
/// bearings from the transmitter to the point and back (CPath), and the
/// horizon elevations of the point's path analysis.
/// @param txElevationMrad, rxElevationMrad theta_t and theta_r (mrad)
LinkGeometry CoveragePointGeometry(const CLocator& tx, double latitude, double longitude, double txElevationMrad,
                                   double rxElevationMrad);
/// The job's quantity at one point whose loss is @p lossDb (LinkQuantityAt
/// with the point's geometry and the job's frequency); NaN for a loss that is
/// not finite. Never throws.
double CoverageQuantityAt(const CoverageJob& job, double latitude, double longitude, double lossDb,
                          double txElevationMrad, double rxElevationMrad);
/// Fills values.quantity for the computed points of column @p j (nothing for
/// a loss map).
void FillQuantityColumn(const CoverageJob& job, CoverageValues& values, int j);

/// The grey level of a value of the map's quantity: with contrast, white
/// unless the value is at or beyond the worse end of the scale (loss at or
/// above maxLoss; power, field or margin at or below minLoss), there 40 %
/// grey; otherwise white at the better end of the scale to black at the
/// worse (greyScaleColour).
Colour CoverageLossColour(double value, const CoverageSettings& settings);
/// The grey level of sample (j, k): its value when Ok, the scale's better end
/// for a failed point (the transmitter's own cell), black when not computed.
Colour CoveragePointColour(const CoverageValues& values, int j, int k, const CoverageSettings& settings);
/// Paints column @p j of the loss image.
void PaintLossColumn(RgbImage& lossImage, const CoverageGrid& grid, const CoverageValues& values, int j,
                     const CoverageSettings& settings);
/// The loss image: settings.width x settings.height, black where no sample
/// was computed and outside the n p square.
RgbImage DrawLossImage(const CoverageGrid& grid, const CoverageValues& values, const CoverageSettings& settings);
/// The terrain layer: drawTerrainMap centred on the transmitter, side d,
/// cells of p pixels, coloured between the truncated MaxHeight and MinHeight.
TerrainMap DrawCoverageTerrain(CSRTM& terrain, const CLocator& tx, const CoverageGrid& grid,
                               const CoverageSettings& settings, bool interpolate);
/// The display image: the loss image (monochrome), its hues (colour), or the
/// terrain shaded by it (terrain). Pixels of samples never computed and
/// outside the n p square stay black in every style.
RgbImage ComposeCoverage(const RgbImage& lossImage, const RgbImage* terrainImage, const CoverageGrid& grid,
                         const CoverageValues& values, const CoverageSettings& settings);
/// The red rounded square at the centre of the picture.
void DrawTransmitterMarker(RgbImage& display);
/// The style's scale: height scale (terrain), colour loss scale or grey loss
/// scale, with its label texts. The colour and grey scales run from the
/// better end at the top to the worse at the bottom, labelled in the
/// quantity's unit ("100.0 dB", "-40.0 dBm", "100.0 dBµV/m").
ColourScale CoverageScale(const CoverageSettings& settings);

/// Everything the Area Coverage page shows after a plot.
struct CoveragePicture {
  RgbImage loss;
  TerrainMap terrain;  ///< drawn only in the terrain style
  RgbImage display;    ///< composed, with the transmitter mark
  ColourScale scale;
};
/// Scale, terrain, composition and marker after the computation (also after a
/// cancel).
CoveragePicture RenderCoverage(CSRTM& terrain, const CLocator& tx, const CoverageGrid& grid,
                               const CoverageValues& values, const CoverageSettings& settings,
                               bool interpolate = false);

}  // namespace tarnvale
