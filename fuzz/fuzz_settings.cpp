// profile.ini of any length and content: a record that reads must write and
// read back to the same inputs, its keyed texts included, and a model text in
// it that reads likewise.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "model/ModelChoice.h"
#include "settings/SettingsRecord.h"

namespace {
bool same(const tarnvale::SettingsRecord& a, const tarnvale::SettingsRecord& b) {
  auto eq = [](double x, double y) { return x == y || (x != x && y != y); };
  return a.terrainDirectory == b.terrainDirectory && a.metric == b.metric && a.startLoc == b.startLoc &&
         a.endLoc == b.endLoc && a.inputFormat == b.inputFormat && eq(a.range, b.range) && eq(a.bearing, b.bearing) &&
         eq(a.txHeight, b.txHeight) && eq(a.rxHeight, b.rxHeight) && eq(a.frequency, b.frequency) &&
         eq(a.temperature, b.temperature) && eq(a.pressure, b.pressure) && eq(a.humidity, b.humidity) &&
         eq(a.percent, b.percent) && a.endPointMode == b.endPointMode && a.forcedKFactor == b.forcedKFactor &&
         eq(a.kFactor, b.kFactor) && a.keyed == b.keyed;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  tarnvale::SettingsRecord record;
  if (!tarnvale::DecodeSettings(bytes, record)) return 0;
  tarnvale::SettingsRecord again;
  if (!tarnvale::DecodeSettings(tarnvale::EncodeSettings(record), again) || !same(record, again)) std::abort();
  tarnvale::ModelChoice choice, back;
  const auto text = record.keyed.find(tarnvale::kModelSettingsKey);
  if (text != record.keyed.end() && tarnvale::DecodeModelChoice(text->second, choice) &&
      (!tarnvale::DecodeModelChoice(tarnvale::EncodeModelChoice(choice), back) || !(back == choice)))
    std::abort();
  return 0;
}
