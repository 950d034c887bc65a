#pragma once
// AntennaPattern: an antenna's radiation pattern as two principal cuts, read
// from a pattern file, and the attenuation it gives toward any direction.
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace tarnvale {

/// One listed direction of a cut.
struct PatternPoint {
  double angleDeg = 0.0;       ///< angle of the cut (degrees, 0 <= angle < 360 once built)
  double attenuationDb = 0.0;  ///< attenuation below the antenna's peak gain (dB, positive down)
};

/// One header line of a pattern file, as written (the key without its case
/// changed, the value trimmed).
struct PatternHeaderLine {
  std::string key;
  std::string value;
};

/// What a pattern file's header says; each number is NaN when the file does
/// not give it.
struct PatternInfo {
  std::string name, make, comment, polarization;
  std::string tilt;                    ///< the TILT line as written (MECHANICAL or ELECTRICAL, maybe a number)
  std::optional<double> gainDbi;       ///< the GAIN line in dBi (a bare number there is dBd)
  double frequencyMHz = kNotGiven;     ///< first number of FREQUENCY (MHz, or GHz when written)
  double horizontalWidthDeg = kNotGiven;  ///< H_WIDTH, half-power beam width (degrees)
  double verticalWidthDeg = kNotGiven;    ///< V_WIDTH (degrees)
  double frontToBackDb = kNotGiven;       ///< FRONT_TO_BACK (dB)
  double electricalTiltDeg = kNotGiven;   ///< ELECTRICAL_TILT, or a number after TILT (degrees down)

  static constexpr double kNotGiven = std::numeric_limits<double>::quiet_NaN();
};

/// Reads one header line into @p info. Keys are matched ignoring case: NAME,
/// MAKE, FREQUENCY, H_WIDTH, V_WIDTH, FRONT_TO_BACK, GAIN, TILT,
/// ELECTRICAL_TILT, POLARIZATION, COMMENT; other keys (makers' own) are kept
/// by the pattern but change nothing here. A later line with the same key
/// replaces an earlier one.
///
/// GAIN is a number with its unit before or after it, with or without
/// parentheses ("17.5 dBi", "15.35dBd", "(dBi) 17.5"). A bare number is dBd:
/// the format's original convention, which its public descriptions keep (the
/// gain counts as dBd unless dBi follows the number). An empty GAIN gives no
/// gain.
/// The other numbers are informative: a value that is not a number leaves it
/// NaN rather than refusing the file.
/// @return false, with @p why, only for a GAIN that is not a gain
bool ApplyPatternHeaderLine(const PatternHeaderLine& line, PatternInfo& info, std::string& why);

/// An antenna pattern as two principal cuts of attenuation below the peak.
///
/// Angles of the cuts follow the Planet file convention (stated by the
/// format's public descriptions, e.g. the RF::Antenna::Planet::MSI::Format
/// documentation and the Radio Mobile MSI page):
/// - horizontal cut: the azimuth from boresight, clockwise seen from above,
///   0 = boresight, 90 = to the right, 180 = behind;
/// - vertical cut: the angle in the vertical plane through boresight,
///   clockwise seen from the antenna's left side, 0 = boresight on the horizon,
///   90 = straight down, 180 = behind, 270 = straight up. An electrically
///   down-tilted antenna has its smallest attenuation near the tilt angle
///   (say 6), not near 354.
/// Between listed angles the attenuation is linear in the angle, the last
/// listed angle joined to the first across 360; a cut of one point is flat; a
/// missing cut attenuates nothing.
///
/// Off both cuts (attenuationDb) the two are summed: A(az, dep) = H(az) +
/// V(dep) - S, with dep the angle below the antenna's horizontal plane (read
/// on the front half of the vertical cut, -90 to 90) and S the value the two
/// cuts share at boresight on the horizon, counted once: the smaller of H(0)
/// and V(0), but never more than the least value of H plus the least of V,
/// so that no direction gains more than the peak (S is 0 unless both cuts
/// exist). A maker's file has its cuts agree at boresight (both 0 when the
/// horizontal cut runs through the tilted main lobe, both the horizon's
/// attenuation when it runs along the horizon); then each cut is reproduced
/// exactly in its own plane. Behind the antenna the horizontal cut carries
/// the front-to-back ratio and the vertical cut's front half the shape in
/// elevation; the vertical cut's back half is for display only.
///
/// A value type of two small arrays (16 bytes a point: 11.5 kB for two cuts of
/// 360 points). Lookups are const and safe from several threads.
class AntennaPattern {
 public:
  /// The file format a pattern was read from.
  enum class Format { None, Planet, Csv };

  /// No pattern: loaded() is false and every attenuation is 0.
  AntennaPattern() = default;

  /// Makes a pattern from its parts, as a reader or the record's text form
  /// gives them: angles brought into [0, 360) and sorted, each finite and
  /// within one turn either way; attenuations between 0 and 1000 dB (the
  /// readers take the magnitude of what a file lists); an angle listed twice
  /// only with the same attenuation; at most 36000 points a cut and at least
  /// one cut; the header lines as ApplyPatternHeaderLine reads them.
  /// @param[out] pattern replaced on success, untouched on failure
  /// @param[out] error why the parts are refused
  static bool Build(Format format, std::vector<PatternHeaderLine> header, std::vector<PatternPoint> horizontal,
                    std::vector<PatternPoint> vertical, AntennaPattern& pattern, std::string& error);

  bool loaded() const { return format_ != Format::None; }
  Format format() const { return format_; }
  const PatternInfo& info() const { return info_; }
  /// Every header line as read, in file order.
  const std::vector<PatternHeaderLine>& header() const { return header_; }
  /// The cuts, sorted by angle in [0, 360); empty when the file has none.
  const std::vector<PatternPoint>& horizontal() const { return horizontal_; }
  const std::vector<PatternPoint>& vertical() const { return vertical_; }

  /// Attenuation (dB) of the horizontal cut at @p angleDeg (any angle; 0
  /// without the cut).
  double horizontalAttenuationDb(double angleDeg) const;
  /// Attenuation (dB) of the vertical cut at @p angleDeg (any angle; 0
  /// without the cut).
  double verticalAttenuationDb(double angleDeg) const;
  /// Attenuation (dB) toward a direction given in the antenna's own frame.
  /// @param azimuthDeg clockwise from boresight seen from above (degrees)
  /// @param depressionDeg below the antenna's horizontal plane (degrees, -90..90; up negative)
  double attenuationDb(double azimuthDeg, double depressionDeg) const;

 private:
  Format format_ = Format::None;
  PatternInfo info_;
  std::vector<PatternHeaderLine> header_;
  std::vector<PatternPoint> horizontal_, vertical_;
  double sharedDb_ = 0.0;  // S above
};

/// @p angleDeg brought into [0, 360) (-0 becomes +0); NaN stays NaN.
double WrapDegrees(double angleDeg);

}  // namespace tarnvale
