#pragma once
// CTerrain: the propagation model object. It samples a path into a terrain
// profile, derives the path parameters and computes the basic transmission
// loss of each clear-air mechanism (line of sight, diffraction, troposcatter,
// ducting/layer reflection) and their blend for a time percentage.
#include <vector>

#include "geo/Locator.h"
#include "geo/Path.h"
#include "terrain/TerrainProfile.h"

namespace tarnvale {

class CSRTM;
class CZONES;

/// Every value a calculation leaves behind; read after a true result.
/// Losses in dB without gaseous loss; distances km; heights m above mean sea
/// level; angles mrad; time percentages %.
struct PathModelResults {
  bool ok = false;             ///< result of the last calculation
  bool coverageMode = false;   ///< the last run was one point of an area map

  // Inputs as the model used them.
  double N0 = 0.0;             ///< sea-level surface refractivity (N-units)
  double deltaN = 0.0;         ///< refractivity lapse over the lowest 1 km (N-units/km)
  double k50 = 0.0;            ///< median effective Earth-radius factor
  double kBeta = 3.0;          ///< factor exceeded for beta0 % of the time
  double frequency = 0.0;      ///< GHz
  double percent = 0.0;        ///< time percentage p
  double txAntennaHeight = 0.0, rxAntennaHeight = 0.0;  ///< m above ground
  double meanLatitude = 0.0;   ///< degrees

  // Zone statistics and beta0.
  double omega = 0.0;          ///< fraction of the path over sea
  double dtm = 0.0;            ///< longest continuous land section (km)
  double dlm = 0.0;            ///< longest continuous inland section (km)
  double dct = 0.0, dcr = 0.0; ///< land distance from each terminal to the coast (km), -1 without sea
  double beta0 = 0.0;          ///< %

  // Horizons and geometry.
  bool lineOfSight = false;
  int principalEdge = 0;       ///< E, sample index
  int txEdge = 0, rxEdge = 0;  ///< secondary edge sample indices
  int ilt = 0, ilr = 0;        ///< horizon sample indices
  double dlt = 0.0, dlr = 0.0; ///< horizon distances (km)
  double theta_t = 0.0, theta_r = 0.0;  ///< horizon elevation angles (mrad)
  double hst = 0.0, hsr = 0.0; ///< smooth-earth surface at the terminals (m amsl)
  double slope = 0.0;          ///< smooth-earth slope m (m/km)
  double hte = 0.0, hre = 0.0; ///< antenna heights above the smooth surface (m)
  double hm = 0.0;             ///< terrain roughness (m)
  double theta = 0.0;          ///< angular distance (mrad)
  int hullCount = 0;           ///< vertices of the line-of-sight string

  // Losses.
  double Lbfsg = 0.0;    ///< free space
  double Lb0p = 0.0;     ///< line of sight with enhancement, p %
  double Lb0beta = 0.0;  ///< line of sight with enhancement, beta0 %
  double Lbd50 = 0.0;    ///< median diffraction path loss
  double Ldp = 0.0;      ///< diffraction loss for p % (excess over free space)
  double Lbd = 0.0;      ///< diffraction path loss for p %
  double Lm = 0.0, Lt = 0.0, Lr = 0.0;  ///< median knife-edge losses of the three edges
  double Lbs = 0.0;      ///< troposcatter
  double Lba = 0.0;      ///< ducting/layer reflection
  double Lb = 0.0;       ///< overall blend
};

/// The model object. One exists for the program's life; every calculation
/// overwrites all per-path state and reuses its arrays (sized once at
/// construction for 1000 samples, about 40 kB), so an area-coverage run
/// allocates nothing per point. Not thread-safe: one calculation at a time.
class CTerrain {
 public:
  CTerrain();
  CTerrain(const CTerrain&) = delete;
  CTerrain& operator=(const CTerrain&) = delete;

  /// True when every array was allocated.
  bool initialised() const { return initialised_; }

  /// Full calculation of one path: up to 999 samples, heights interpolated
  /// when @p interpolate, display arrays (line-of-sight string, Fresnel zone).
  /// @param N0 surface refractivity (N-units) @param deltaN lapse (N-units/km)
  /// @param frequency GHz @param percent time percentage (0.0001 ... 50)
  /// @param txAntennaHeight, rxAntennaHeight m above ground
  /// @return false for no valid path (shorter than 0.1 km, failed step)
  bool CalculatePath(const CSRTM& terrain, const CZONES& zones, const CLocator& tx, const CLocator& rx, bool interpolate,
                     double N0, double deltaN, double frequency, double percent, double txAntennaHeight,
                     double rxAntennaHeight);

  /// One point of an area-coverage map: at most 250 samples, no
  /// interpolation, no display arrays.
  bool CalculateCoveragePoint(const CSRTM& terrain, const CZONES& zones, const CLocator& tx, const CLocator& rx, double N0,
                              double deltaN, double frequency, double percent, double txAntennaHeight,
                              double rxAntennaHeight);

  /// The same analysis on a profile the caller supplies: its n, pathLength,
  /// dist (strictly increasing, km), ground height (m) and zone codes. The
  /// antenna heights are added to the end samples as for a sampled path; the
  /// earth bulge and mid-path bulge are recomputed for display.
  /// @param meanLatitude degrees, for beta0
  bool CalculateProfile(const TerrainProfile& supplied, double meanLatitude, double N0, double deltaN,
                        double frequency, double percent, double txAntennaHeight, double rxAntennaHeight,
                        bool coverage = false);

  /// CalculateProfile with coverage true, for a profile a coverage sampler
  /// fills point after point: its arrays are taken in exchange for the
  /// model's own instead of being copied, so @p profile comes back holding
  /// the model's earlier arrays (of the same size, contents unspecified) for
  /// the sampler to fill again. Heights must be whole metres or at least
  /// neither NaN nor negative zero. A profile whose arrays do not hold
  /// TerrainProfile::kCapacity samples is copied as CalculateProfile does.
  bool CalculateCoverageProfile(TerrainProfile& profile, double meanLatitude, double N0, double deltaN,
                                double frequency, double percent, double txAntennaHeight, double rxAntennaHeight);

  const PathModelResults& results() const { return r_; }
  /// The sampled profile; its first and last height include the antenna heights.
  const TerrainProfile& profile() const { return profile_; }
  /// Sample indices of the line-of-sight string vertices (first hullCount used).
  const std::vector<int>& hullIndex() const { return hullIndex_; }
  /// First Fresnel-zone radius per sample (m).
  const std::vector<double>& fresnelRadius() const { return fresnelRadius_; }
  /// Height of the line-of-sight string per sample (m).
  const std::vector<double>& rayHeight() const { return rayHeight_; }
  /// The path of the last calculation and its two ends.
  const CPath& path() const { return path_; }
  const CLocator& txLocation() const { return tx_; }
  const CLocator& rxLocation() const { return rx_; }

 private:
  bool sampleAndAnalyse(const CSRTM& terrain, const CZONES& zones, const CLocator& tx, const CLocator& rx,
                        bool coverage, bool interpolate);
  bool start(bool coverage, double N0, double deltaN, double frequency, double percent, double txAntennaHeight,
             double rxAntennaHeight);
  /// The checks CalculateProfile makes of a supplied profile: 1 ... kCapacity
  /// samples, distances increasing, at least 0.1 km long.
  bool suppliedProfileFits(const TerrainProfile& supplied) const;
  bool analyse();
  void zoneStatistics();
  bool beta0Step();
  bool horizonAnalysis(int principalEdge);
  bool diffraction();
  double edgeParameter(int i, int a, int b, double radiusKm, double wavelengthM) const;
  bool smoothEarthHeights();
  void lineOfSightString();
  bool roughness();
  void ducting();
  bool troposcatter();
  void overall();

  bool initialised_ = false;
  TerrainProfile profile_;
  std::vector<int> hullIndex_;
  std::vector<double> fresnelRadius_;
  std::vector<double> rayHeight_;
  // Per-sample working values of the edge and horizon searches (two rows).
  std::vector<double> scratch_;
  // The line-of-sight verdict of the last horizon search.
  bool horizonSight_ = false;
  // Terms of the losses that depend on the frequency or on the time
  // percentage alone, worked out again only when that input changes (a
  // coverage run passes the same two to every point); each as the loss
  // functions work it out.
  struct InputTerms {
    double frequency = 0.0;              ///< GHz, as last worked out for (or NaN before)
    double log10Frequency = 0.0;         ///< log10 f
    double cubeRootFrequency = 0.0;      ///< f^(1/3) by std::pow
    double troposcatterFrequency = 0.0;  ///< the frequency term Lf of the troposcatter loss
    double percent = 0.0;                ///< %, as last worked out for (or NaN before)
    double enhancementLog = 0.0;         ///< loss::EnhancementLog(p)
    double troposcatterPercent = 0.0;    ///< the percentage term of the troposcatter loss
    double inverseNormal = 0.0;          ///< I(p / 100)
  };
  void updateInputTerms();
  InputTerms terms_;
  bool termsSet_ = false;
  // Per point, for two steps each: beta0's and the ducting loss's tau, and
  // the interpolation factor Fi(p, beta0).
  double tau_ = 0.0;
  double interpolation_ = 0.0;
  PathModelResults r_;
  CPath path_;
  CLocator tx_;
  CLocator rx_;
};

}  // namespace tarnvale
