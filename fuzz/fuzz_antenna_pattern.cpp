// Antenna pattern files and link records of any bytes. A pattern file is
// either refused with a message naming its line, or gives a pattern whose
// attenuation is finite and never below the peak in any direction, and which
// the record's text form carries bit for bit. A record text is either refused
// with a message or read and written back to the same text.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "link/LinkBudget.h"
#include "link/LinkRecord.h"
#include "link/LinkUnits.h"
#include "link/PatternReader.h"

namespace {

using namespace tarnvale;

void checkPattern(const AntennaPattern& pattern) {
  for (const auto* cut : {&pattern.horizontal(), &pattern.vertical()}) {
    for (std::size_t i = 0; i < cut->size(); ++i) {
      const PatternPoint& p = (*cut)[i];
      if (!(p.angleDeg >= 0.0 && p.angleDeg < 360.0) || !std::isfinite(p.attenuationDb)) std::abort();
      if (i > 0 && !((*cut)[i - 1].angleDeg < p.angleDeg)) std::abort();
    }
  }
  LinkAntenna antenna;
  antenna.pattern = pattern;
  antenna.gainDbi = 10.0;
  for (const double tilt : {0.0, 7.5, -30.0}) {
    antenna.downtiltDeg = tilt;
    for (double bearing = -45.0; bearing < 400.0; bearing += 37.3) {
      for (const double elevation : {-90.0, -12.0, -0.3, 0.0, 4.0, 90.0}) {
        const double gain = antenna.gainTowardDbi(bearing, elevation);
        if (!std::isfinite(gain) || gain > 10.0 + 1e-9) std::abort();
      }
    }
  }
  // Through the record's text form and back, both ends.
  LinkRecord record;
  record.tx.pattern = pattern;
  record.rx.pattern = pattern;
  const std::string text = EncodeLinkRecord(record);
  LinkRecord back;
  std::string error;
  if (!DecodeLinkRecord(text, back, &error) || EncodeLinkRecord(back) != text) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 256 * 1024) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  for (const bool csv : {false, true}) {
    AntennaPattern pattern;
    std::string error;
    const bool ok = csv ? ReadCsvPattern(text, pattern, error) : ReadPlanetPattern(text, pattern, error);
    if (ok != pattern.loaded()) std::abort();
    if (!ok && error.rfind("line ", 0) != 0) std::abort();
    if (ok) checkPattern(pattern);
  }

  LinkRecord record;
  std::string error;
  if (DecodeLinkRecord(text, record, &error)) {
    const std::string again = EncodeLinkRecord(record);
    LinkRecord back;
    if (!DecodeLinkRecord(again, back, &error) || EncodeLinkRecord(back) != again) std::abort();
    (void)ComputeLinkBudget(record, 120.0, 2.4, LinkGeometry{});
  } else if (error.empty()) {
    std::abort();
  }

  double value = 0.0;
  (void)ParsePower(text, value);
  (void)ParseGain(text, value);
  return 0;
}
