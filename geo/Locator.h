#pragma once
// CLocator: the one representation of a point on the Earth (WGS84 degrees with
// a validity flag), built from text in one of the four input formats or from
// numbers, and written back as text in any of them.
#include <array>
#include <string>

namespace tarnvale {

/// Text formats of a location; the codes are stored in profile.ini and site lists.
enum InputFormat : int {
  kFormatLocator = 0,        ///< Maidenhead locator, "IO91JO26"
  kFormatGridReference = 1,  ///< OS National Grid reference, "SU374616"
  kFormatDegrees = 2,        ///< decimal degrees, "51.235 N   1.423 W"
  kFormatDms = 3,            ///< degrees minutes seconds, "51 14 6.0 N   1 25 22.8 W"
};

/// Display precision the main window uses for a format: 8 characters/digits
/// for locators and grid references, 3 decimals for the degree formats.
int DisplayPrecision(int format);

/// A point as WGS84 latitude and longitude in degrees, north and east positive.
/// A value type; parsing never throws, a text that does not parse leaves the
/// object not valid. Not thread-safe for concurrent use of one object (the
/// formatters store their last result in the text member).
class CLocator {
 public:
  /// Locator cell sizes per level (degrees) and the National Grid constants.
  struct Constants {
    std::array<double, 7> locatorLonSize;  ///< levels 1..7
    std::array<double, 7> locatorLatSize;
  };

  /// Empty text, 0/0, format -1, not valid.
  CLocator();
  /// From numbers: valid when -90 <= latitude <= 90 and -180 <= longitude <= 180.
  /// @param latitude degrees, north positive
  /// @param longitude degrees, east positive
  CLocator(double latitude, double longitude);
  /// From text in the format of @p format (an InputFormat code); any other
  /// code leaves the object not valid.
  CLocator(const std::string& text, int format);

  bool isValid() const { return valid_; }
  double latitude() const { return latitude_; }
  double longitude() const { return longitude_; }
  /// The text given at construction, upper-cased by the parser (a locator padded
  /// to 12 characters); formatLocator also stores its result here.
  const std::string& text() const { return text_; }
  /// The InputFormat code given at construction from text; -1 otherwise.
  int format() const { return format_; }

  /// Sets empty text, the two values and format -1; returns the new validity.
  bool setLatLon(double latitude, double longitude);

  /// toText with each format's default precision.
  std::string toText(int format);
  /// 0 formatLocator, 1 formatGridReference, 2 formatDegrees (each with
  /// @p precision, 0 = the format's default), 3 formatDms; else "Invalid".
  std::string toText(int format, int precision);

  /// Full National Grid easting (m); 0 outside the grid.
  double easting() const;
  /// Full National Grid northing (m); 0 outside the grid.
  double northing() const;
  /// Full easting and northing in whole metres; false outside the grid.
  bool gridEastingNorthing(double& easting, double& northing) const;

  std::string degreesText() const;  ///< formatDegrees(7)
  std::string formatDms() const;
  std::string locatorText();        ///< formatLocator(8)
  /// Maidenhead locator of @p precision characters (2..12, even; 0 = 8), not
  /// rounded: each character names the cell that holds the point. Stored in
  /// the text member. Any other precision gives "Invalid Length".
  std::string formatLocator(int precision);
  std::string gridReferenceText() const;  ///< formatGridReference(6)
  /// Grid reference with @p precision digits (2..10, even; 0 = 8), digits
  /// truncated; "Invalid" for another precision or outside the grid.
  std::string formatGridReference(int precision) const;
  /// "51.2350000 N   1.4230000 W" style with @p precision decimals (0 = 7).
  std::string formatDegrees(int precision) const;

  bool parseLocator();
  bool parseGridReference();
  bool parseDms();
  bool parseDegrees();

  // ---- National Grid (OSGB36, Airy 1830) ----

  /// WGS84 point to square letters and in-square metres (rounded to whole
  /// metres, 0..99999); false outside 45..65 N, 15 W..5 E or outside the grid.
  static bool toGrid(double latitude, double longitude, std::string& letters, int& easting,
                     int& northing);
  /// Square letters and in-square metres (south-west corner of the reference)
  /// to a WGS84 point; never fails.
  static void fromGrid(double northing, double easting, const std::string& letters,
                       double& latitude, double& longitude);
  /// Full easting/northing (m) to square letters and in-square whole metres.
  static void gridLetters(double easting, double northing, std::string& letters,
                          int& squareEasting, int& squareNorthing);
  /// False origin offsets (m) of the square named by @p letters.
  static void letterOffsets(const std::string& letters, double& easting, double& northing);
  /// Seven-parameter Helmert shift OSGB36 -> WGS84 (degrees in and out).
  static void osgb36ToWgs84(double latitude, double longitude, double& outLatitude,
                            double& outLongitude);
  static void osgb36ToWgs84InPlace(double& latitude, double& longitude);
  /// Seven-parameter Helmert shift WGS84 -> OSGB36 (degrees in and out).
  static void wgs84ToOsgb36(double latitude, double longitude, double& outLatitude,
                            double& outLongitude);
  static void wgs84ToOsgb36InPlace(double& latitude, double& longitude);

  /// The constants table shared by every location (filled once).
  static const Constants& initialiseConstants();

  /// The point at @p rangeKm and @p bearingDeg from this location on the
  /// 6378.137 km sphere; false (and 0, 0) for a location that is not valid.
  /// The longitude is not wrapped into -180..180.
  bool destination(double rangeKm, double bearingDeg, double& latitude, double& longitude) const;

 private:
  std::string text_;
  double latitude_ = 0.0;
  int format_ = -1;
  double longitude_ = 0.0;
  bool valid_ = false;
};

}  // namespace tarnvale
