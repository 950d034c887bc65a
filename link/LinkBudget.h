#pragma once
// The link budget of a path or of one map point: from the loss between
// isotropic antennas to e.i.r.p., received power, field strength and margin.
#include <string_view>

#include "link/LinkRecord.h"

namespace tarnvale {

/// Where the path leaves each end, as the path analysis finds it.
struct LinkGeometry {
  double bearingFromTxDeg = 0.0;  ///< initial bearing of the great circle at the transmitter (degrees true)
  /// Elevation of the transmitter's horizon ray (degrees, down negative): the
  /// model's theta_t, which on a line-of-sight path is the ray to the receiver.
  double txElevationDeg = 0.0;
  /// Initial bearing at the receiver toward the transmitter (degrees true);
  /// read only when the receiving antenna does not point at the transmitter.
  double bearingFromRxDeg = 0.0;
  /// Elevation of the receiver's horizon ray (degrees): the model's theta_r;
  /// read only when the receiving antenna does not point at the transmitter.
  double rxElevationDeg = 0.0;
};

/// An angle in degrees of one in milliradians, as the model gives theta_t and theta_r.
double DegreesFromMrad(double mrad);

/// The budget of one path; every field NaN when the loss is not finite.
struct LinkBudget {
  double lossDb = 0.0;            ///< L: the loss the budget starts from (dB), as given
  double eirpDbm = 0.0;           ///< power - tx feeder loss + tx peak gain (dBm)
  double eirpW = 0.0;             ///< the same in W
  double txGainTowardDbi = 0.0;   ///< transmitting antenna's gain toward the receiver (dBi)
  double rxGainTowardDbi = 0.0;   ///< receiving antenna's gain toward the transmitter (dBi)
  /// power - tx feeder + tx gain toward - L + rx gain toward - rx feeder (dBm)
  double receivedDbm = 0.0;
  /// Field strength at the receiving site (dBuV/m): power - tx feeder + tx
  /// gain toward - L + 20 log10 f (MHz) + kFieldStrengthConstantDb.
  double fieldDbuVPerM = 0.0;
  double marginDb = 0.0;          ///< received power - threshold (dB)
};

/// The budget of a path whose loss between isotropic antennas is @p lossDb:
/// the classic model's basic transmission loss with the gaseous loss, or
/// P.452-18's Lb (which holds it). Never throws.
/// @param frequencyGHz the path's frequency (GHz); field strength is NaN unless it is above 0
LinkBudget ComputeLinkBudget(const LinkRecord& record, double lossDb, double frequencyGHz,
                             const LinkGeometry& geometry);

/// What a map shows at each point.
enum class LinkQuantity {
  Loss,    ///< the loss L (dB): smaller is better
  Power,   ///< received power (dBm)
  Field,   ///< field strength (dBuV/m)
  Margin,  ///< margin over the receiver's threshold (dB)
};

/// Reads "loss", "power", "field" or "margin" (as --quantity takes them).
bool ParseLinkQuantity(std::string_view text, LinkQuantity& quantity);
/// The name ParseLinkQuantity reads.
std::string_view LinkQuantityName(LinkQuantity quantity);
/// The quantity's unit in ASCII for files and metadata: "dB", "dBm", "dBuV/m", "dB".
std::string_view LinkQuantityUnit(LinkQuantity quantity);
/// The unit for display, with the micro sign: "dB", "dBm", "dBµV/m", "dB" (UTF-8).
std::string_view LinkQuantityDisplayUnit(LinkQuantity quantity);
/// True for power, field strength and margin, whose colour scales run the
/// other way round from the loss's.
bool LargerIsBetter(LinkQuantity quantity);
/// The field of @p budget that @p quantity names.
double LinkQuantityValue(const LinkBudget& budget, LinkQuantity quantity);

/// One point of a map: the quantity at a point whose loss is @p lossDb, the
/// receiving antenna pointing at the transmitter unless the record says not.
/// Computes only what the quantity needs; NaN for a loss that is not finite
/// (a point without a result). Never throws; safe from several threads.
double LinkQuantityAt(const LinkRecord& record, LinkQuantity quantity, double lossDb, double frequencyGHz,
                      const LinkGeometry& geometry);

}  // namespace tarnvale
