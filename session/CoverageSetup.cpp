#include "session/CoverageSetup.h"

#include <cstdio>

#include "model/P676.h"

namespace tarnvale {

CoverageInputs CoverageInputsFor(const InputValues& f, double n0, double deltaN) {
  CoverageInputs in;
  in.model.frequency = f.frequency;
  in.model.percent = f.percent;
  in.model.txHeight = f.txHeight;
  in.model.rxHeight = f.rxHeight;
  in.model.forcedKFactor = f.forcedKFactor;
  in.model.kFactor = f.kFactor;
  in.model.interpolate = false;
  in.n0 = n0;
  in.deltaN = deltaN;
  in.choice = f.modelChoice;
  in.pressure = f.pressure;
  in.temperature = f.temperature;
  const double rho = WaterVapourDensity(f.humidity, f.temperature, true);
  in.gasPerKm = SpecificAttenuation(f.frequency, f.pressure, f.temperature, rho);
  return in;
}

CoverageInputs CoverageInputsFrom(const InputValues& f, const ModelDriver& driver) {
  return CoverageInputsFor(f, driver.fallbackN0, driver.fallbackDeltaN);
}

CoverageClimate CoverageClimateAt(const CLocator& transmitter, const CRefractivity& maps, std::optional<double> n0,
                                  std::optional<double> deltaN) {
  CoverageClimate c;
  if (n0 && deltaN) {
    c.n0 = *n0;
    c.deltaN = *deltaN;
    c.source = "options";
    return c;
  }
  maps.loadTogether({CRefractivity::kN0, CRefractivity::kDeltaN});
  double mapN0 = 0.0, mapDeltaN = 0.0;
  if (maps.n0At(transmitter.latitude(), transmitter.longitude(), true, mapN0) &&
      maps.dnAt(transmitter.latitude(), transmitter.longitude(), true, mapDeltaN)) {
    c.n0 = mapN0;
    c.deltaN = mapDeltaN;
    c.source = "maps";
  }
  return c;
}

CoverageScaleLimits ScaleLimitsFor(LinkQuantity quantity) {
  switch (quantity) {
    case LinkQuantity::Loss: break;
    case LinkQuantity::Power: return {{"MaxLoss", -250.0, 100.0, 0}, {"MinLoss", -250.0, 100.0, 0}, -40.0, -120.0};
    case LinkQuantity::Field: return {{"MaxLoss", -100.0, 250.0, 0}, {"MinLoss", -100.0, 250.0, 0}, 100.0, 0.0};
    case LinkQuantity::Margin: return {{"MaxLoss", -300.0, 300.0, 0}, {"MinLoss", -300.0, 300.0, 0}, 40.0, -20.0};
  }
  const CoverageSettings start;
  return {kMaxLossLimits, kMinLossLimits, start.maxLoss, start.minLoss};
}

CoverageJob CoverageJobFor(const CoverageRequest& r) {
  CoverageJob job;
  job.tx = r.transmitter;
  job.grid = CoverageGridFor(r.transmitter, r.rangeKm, r.resolution, r.widthPx, r.heightPx);
  job.inputs = CoverageInputsFor(r.radio, r.n0, r.deltaN);
  job.terrainDirectory = r.terrainDirectory;
  job.threads = r.threads;
  job.quantity = r.quantity;
  if (r.quantity != LinkQuantity::Loss) job.link = r.link;
  // P.452-18's troposcatter couples through the link's antennas: their peak
  // gains, and each point's gains toward its horizons when a pattern turns
  // them, whatever the map shows.
  if (job.inputs.choice.isP452()) {
    job.link = r.link;
    job.inputs.choice.txGainDbi = r.link.tx.peakGainDbi();
    job.inputs.choice.rxGainDbi = r.link.rx.peakGainDbi();
  }
  if (r.part && job.grid.valid) {
    const CoverageRowBand band = CoveragePartRows(job.grid.n, *r.part);
    job.firstRow = band.first;
    job.rowCount = band.count > 0 ? band.count : -1;
  }
  return job;
}

std::vector<std::pair<std::string, std::string>> CoverageMetadata(const CoverageRequest& r, const CoverageJob& job) {
  auto number = [](double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", v);
    return std::string(text);
  };
  const InputValues& f = r.radio;
  std::vector<std::pair<std::string, std::string>> items = {{"TX_LATITUDE", number(job.tx.latitude())},
          {"TX_LONGITUDE", number(job.tx.longitude())},
          {"FREQUENCY_GHZ", number(f.frequency)},
          {"TIME_PERCENT", number(f.percent)},
          {"TX_HEIGHT_M", number(f.txHeight)},
          {"RX_HEIGHT_M", number(f.rxHeight)},
          {"TEMPERATURE_C", number(f.temperature)},
          {"PRESSURE_HPA", number(f.pressure)},
          {"HUMIDITY_PERCENT", number(f.humidity)},
          {"K_FACTOR", f.forcedKFactor ? number(f.kFactor) : std::string("from delta-N")},
          {"RANGE_KM", number(r.rangeKm)},
          {"PIXELS_PER_SAMPLE", std::to_string(job.grid.p)},
          {"SIZE_PX", std::to_string(r.widthPx)},
          {"N0", number(job.inputs.n0)},
          {"DELTA_N", number(job.inputs.deltaN)},
          {"GAS_DB_PER_KM", number(job.inputs.gasPerKm)},
          {"TERRAIN", r.terrainDirectory}};
  // The classic model's files stay as they were; a P.452-18 map names its
  // model and every input of that model alone.
  const ModelChoice& c = job.inputs.choice;
  if (c.isP452()) {
    const auto coast = [&](double km) { return km >= 0.0 ? number(km) : std::string("from the zones"); };
    for (auto& item : items)
      if (item.first == "GAS_DB_PER_KM") item.second = "within each loss (P.452-18)";
    items.insert(items.end(), {{"MODEL", PathModelName(c.model)},
                               {"POLARISATION", PolarisationName(c.polarisation)},
                               {"TX_HORIZON_GAIN_DBI", number(c.txGainDbi)},
                               {"RX_HORIZON_GAIN_DBI", number(c.rxGainDbi)},
                               {"CLUTTER_HEIGHT_M", number(c.clutterHeightM)},
                               {"DCT_KM", coast(c.dctOrZones())},
                               {"DCR_KM", coast(c.dcrOrZones())},
                               {"HUMIDITY_USED", "no"}});
  }
  const auto withPart = [&] {
    if (r.part && job.grid.valid) {
      const auto part = CoveragePartMetadata(job.grid, *r.part);
      items.insert(items.end(), part.begin(), part.end());
    }
    return items;
  };
  if (job.quantity == LinkQuantity::Loss) return withPart();
  const LinkRecord& l = job.link;
  const auto pattern = [](const LinkAntenna& a) {
    if (!a.pattern.loaded()) return std::string("none");
    return a.pattern.info().name.empty() ? a.patternPath : a.pattern.info().name + " (" + a.patternPath + ")";
  };
  const std::vector<std::pair<std::string, std::string>> link = {
      {"QUANTITY", std::string(LinkQuantityName(job.quantity))},
      {"UNIT", std::string(LinkQuantityUnit(job.quantity))},
      {"TX_POWER_DBM", number(l.powerDbm)},
      {"TX_FEEDER_LOSS_DB", number(l.tx.feederLossDb)},
      {"TX_GAIN_DBI", number(l.tx.peakGainDbi())},
      {"TX_PATTERN", pattern(l.tx)},
      {"TX_AZIMUTH_DEG", number(l.tx.azimuthDeg)},
      {"TX_DOWNTILT_DEG", number(l.tx.downtiltDeg)},
      {"RX_GAIN_DBI", number(l.rx.peakGainDbi())},
      {"RX_FEEDER_LOSS_DB", number(l.rx.feederLossDb)},
      {"RX_PATTERN", pattern(l.rx)},
      {"RX_POINTS_AT_TX", l.rxPointsAtTx ? "yes" : "no"},
      {"RX_AZIMUTH_DEG", number(l.rx.azimuthDeg)},
      {"RX_DOWNTILT_DEG", number(l.rx.downtiltDeg)},
      {"RX_THRESHOLD_DBM", number(l.rxThresholdDbm)}};
  items.insert(items.end(), link.begin(), link.end());
  return withPart();
}

std::string CoverageCentreText(const CLocator& transmitter) {
  CLocator copy = transmitter;  // the formatter keeps its text in the object
  return copy.toText(kFormatDms, DisplayPrecision(kFormatDms));
}

}  // namespace tarnvale
