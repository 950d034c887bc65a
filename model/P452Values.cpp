#include "model/P452Values.h"

namespace tarnvale {

std::array<P452Value, kP452ValueCount> P452ValueList(const P452Results& r) {
  return {{
      {"Lb", r.Lb, "dB", "basic transmission loss not exceeded for p %"},
      {"Lbfsg", r.Lbfsg, "dB", "free space over the slant distance, with gaseous loss"},
      {"Lb0p", r.Lb0p, "dB", "line of sight, p %"},
      {"Lb0b", r.Lb0b, "dB", "line of sight, b0 %"},
      {"Ldsph", r.Ldsph, "dB", "spherical-earth diffraction of the smooth path, median"},
      {"Ld50", r.Ld50, "dB", "diffraction loss, median"},
      {"Ldp", r.Ldp, "dB", "diffraction loss, p %"},
      {"Lbd50", r.Lbd50, "dB", "diffraction path loss, median"},
      {"Lbd", r.Lbd, "dB", "diffraction path loss, p %"},
      {"Lminb0p", r.Lminb0p, "dB", "notional minimum: line of sight and over-sea diffraction"},
      {"Lba", r.Lba, "dB", "ducting/layer reflection"},
      {"Lminbap", r.Lminbap, "dB", "notional minimum: line of sight and ducting"},
      {"Lbda", r.Lbda, "dB", "diffraction with line-of-sight or ducting enhancement"},
      {"Lbam", r.Lbam, "dB", "modified loss before troposcatter is added"},
      {"Lbs", r.Lbs, "dB", "troposcatter"},
      {"dtot", r.dtot, "km", "profile length"},
      {"hts", r.hts, "m", "transmitting antenna, above mean sea level"},
      {"hrs", r.hrs, "m", "receiving antenna, above mean sea level"},
      {"ae", r.ae, "km", "median effective Earth radius"},
      {"theta_t", r.theta_t, "mrad", "transmitter horizon elevation"},
      {"theta_r", r.theta_r, "mrad", "receiver horizon elevation"},
      {"theta", r.theta, "mrad", "angular distance"},
      {"hte", r.hte, "m", "transmitter effective height, ducting model"},
      {"hre", r.hre, "m", "receiver effective height, ducting model"},
      {"hstd", r.hstd, "m", "smooth surface at the transmitter, diffraction model"},
      {"hsrd", r.hsrd, "m", "smooth surface at the receiver, diffraction model"},
      {"hm", r.hm, "m", "terrain roughness"},
      {"dlt", r.dlt, "km", "transmitter horizon distance"},
      {"dlr", r.dlr, "km", "receiver horizon distance"},
      {"dtm", r.dtm, "km", "longest continuous land section"},
      {"dlm", r.dlm, "km", "longest continuous inland section"},
      {"b0", r.b0, "%", "time with refractivity lapse over 100 N-units/km"},
      {"omega", r.omega, "", "fraction of the path over sea"},
      {"DN", r.DN, "N-units/km", "refractivity lapse at the path centre"},
      {"N0", r.N0, "N-units", "surface refractivity at the path centre"},
      {"dct", r.dct, "km", "transmitter's distance to the coast"},
      {"dcr", r.dcr, "km", "receiver's distance to the coast"},
      {"phim_n", r.phim_n, "deg", "path centre latitude"},
      {"phim_e", r.phim_e, "deg", "path centre longitude"},
  }};
}

const char* P452PathTypeName(const P452Results& results) { return results.transHorizon ? "transhorizon" : "los"; }

}  // namespace tarnvale
