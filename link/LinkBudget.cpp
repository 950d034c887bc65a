#include "link/LinkBudget.h"

#include <cmath>
#include <limits>

#include "geo/GeoConstants.h"
#include "link/LinkConstants.h"
#include "link/LinkUnits.h"

namespace tarnvale {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The path's budget and a map point's quantity are computed by the same
// functions in the same order, so that a map of power or field holds, bit for
// bit, what the path's budget gives for the same loss.

double txGainToward(const LinkRecord& r, const LinkGeometry& g) {
  return r.tx.gainTowardDbi(g.bearingFromTxDeg, g.txElevationDeg);
}

double rxGainToward(const LinkRecord& r, const LinkGeometry& g) {
  return r.rxPointsAtTx ? r.rx.peakGainDbi() : r.rx.gainTowardDbi(g.bearingFromRxDeg, g.rxElevationDeg);
}

/// Power radiated toward the receiver less the path's loss (dBm): what an
/// isotropic antenna at the receiving site would take in.
double isotropicReceivedDbm(const LinkRecord& r, double txGainTowardDbi, double lossDb) {
  return r.powerDbm - r.tx.feederLossDb + txGainTowardDbi - lossDb;
}

double receivedDbm(const LinkRecord& r, double isotropicDbm, double rxGainTowardDbi) {
  return isotropicDbm + rxGainTowardDbi - r.rx.feederLossDb;
}

double fieldDbuVPerM(double isotropicDbm, double frequencyGHz) {
  if (!(frequencyGHz > 0.0)) return kNaN;
  return isotropicDbm + 20.0 * std::log10(frequencyGHz * link::kMHzPerGHz) + link::kFieldStrengthConstantDb;
}

}  // namespace

double DegreesFromMrad(double mrad) { return mrad / link::kMradPerRad * geo::kRadToDeg; }

LinkBudget ComputeLinkBudget(const LinkRecord& r, double lossDb, double frequencyGHz, const LinkGeometry& g) {
  LinkBudget b;
  if (!std::isfinite(lossDb)) {
    b.lossDb = b.eirpDbm = b.eirpW = b.txGainTowardDbi = b.rxGainTowardDbi = b.receivedDbm = b.fieldDbuVPerM =
        b.marginDb = kNaN;
    return b;
  }
  b.lossDb = lossDb;
  b.eirpDbm = r.powerDbm - r.tx.feederLossDb + r.tx.peakGainDbi();
  b.eirpW = WattsFromDbm(b.eirpDbm);
  b.txGainTowardDbi = txGainToward(r, g);
  b.rxGainTowardDbi = rxGainToward(r, g);
  const double isotropic = isotropicReceivedDbm(r, b.txGainTowardDbi, lossDb);
  b.receivedDbm = receivedDbm(r, isotropic, b.rxGainTowardDbi);
  b.fieldDbuVPerM = fieldDbuVPerM(isotropic, frequencyGHz);
  b.marginDb = b.receivedDbm - r.rxThresholdDbm;
  return b;
}

bool ParseLinkQuantity(std::string_view text, LinkQuantity& quantity) {
  for (const LinkQuantity q : {LinkQuantity::Loss, LinkQuantity::Power, LinkQuantity::Field, LinkQuantity::Margin}) {
    if (text == LinkQuantityName(q)) {
      quantity = q;
      return true;
    }
  }
  return false;
}

std::string_view LinkQuantityName(LinkQuantity quantity) {
  switch (quantity) {
    case LinkQuantity::Loss: return "loss";
    case LinkQuantity::Power: return "power";
    case LinkQuantity::Field: return "field";
    case LinkQuantity::Margin: return "margin";
  }
  return "loss";
}

std::string_view LinkQuantityUnit(LinkQuantity quantity) {
  switch (quantity) {
    case LinkQuantity::Loss: return "dB";
    case LinkQuantity::Power: return "dBm";
    case LinkQuantity::Field: return "dBuV/m";
    case LinkQuantity::Margin: return "dB";
  }
  return "dB";
}

std::string_view LinkQuantityDisplayUnit(LinkQuantity quantity) {
  return quantity == LinkQuantity::Field ? "dB\u00b5V/m" : LinkQuantityUnit(quantity);
}

bool LargerIsBetter(LinkQuantity quantity) { return quantity != LinkQuantity::Loss; }

double LinkQuantityValue(const LinkBudget& b, LinkQuantity quantity) {
  switch (quantity) {
    case LinkQuantity::Loss: return b.lossDb;
    case LinkQuantity::Power: return b.receivedDbm;
    case LinkQuantity::Field: return b.fieldDbuVPerM;
    case LinkQuantity::Margin: return b.marginDb;
  }
  return kNaN;
}

double LinkQuantityAt(const LinkRecord& r, LinkQuantity quantity, double lossDb, double frequencyGHz,
                      const LinkGeometry& g) {
  if (!std::isfinite(lossDb)) return kNaN;
  if (quantity == LinkQuantity::Loss) return lossDb;
  const double isotropic = isotropicReceivedDbm(r, txGainToward(r, g), lossDb);
  if (quantity == LinkQuantity::Field) return fieldDbuVPerM(isotropic, frequencyGHz);
  const double received = receivedDbm(r, isotropic, rxGainToward(r, g));
  return quantity == LinkQuantity::Power ? received : received - r.rxThresholdDbm;
}

}  // namespace tarnvale
