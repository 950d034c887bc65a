#include "settings/SettingsRecord.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "settings/ReplaceFile.h"

namespace tarnvale {
namespace {

// Field offsets and sizes of the fixed record.
constexpr std::size_t kTerrainDirectory = 0, kTerrainDirectorySize = 256;
constexpr std::size_t kMetric = 256;
constexpr std::size_t kStartLoc = 257, kEndLoc = 277, kLocationSize = 20;
constexpr std::size_t kInputFormat = 300;
constexpr std::size_t kRange = 304, kBearing = 312, kTxHeight = 320, kRxHeight = 328, kFrequency = 336,
                      kTemperature = 344, kPressure = 352, kHumidity = 360, kPercent = 368;
constexpr std::size_t kEndPointMode = 376, kForcedKFactor = 377;
constexpr std::size_t kKFactor = 384;

// The extension: tag, then three length-prefixed texts (terrain directory,
// transmitter, receiver). A text may not be longer than this.
constexpr char kTag[4] = {'T', 'V', 'X', '1'};
constexpr std::uint32_t kMaxText = 1u << 16;
// Chunks after the three texts: tag, length, bytes. This one holds the model
// choice's text.
constexpr char kModelTag[4] = {'T', 'V', 'M', '1'};
constexpr std::size_t kChunkHeader = 8;

void putText(std::vector<std::uint8_t>& b, std::size_t offset, std::size_t size, const std::string& text) {
  const std::size_t n = std::min(text.size(), size - 1);
  std::memcpy(b.data() + offset, text.data(), n);
  b[offset + n] = 0;
}

std::string getText(const std::vector<std::uint8_t>& b, std::size_t offset, std::size_t size) {
  std::size_t n = 0;
  while (n < size && b[offset + n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(b.data() + offset), n);
}

void putU32(std::vector<std::uint8_t>& b, std::size_t offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t getU32(const std::vector<std::uint8_t>& b, std::size_t offset) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(b[offset + i]) << (8 * i);
  return v;
}

void putDouble(std::vector<std::uint8_t>& b, std::size_t offset, double v) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i) b[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

double getDouble(const std::vector<std::uint8_t>& b, std::size_t offset) {
  std::uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(b[offset + i]) << (8 * i);
  double v = 0.0;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

void appendText(std::vector<std::uint8_t>& b, const std::string& text) {
  const std::size_t at = b.size();
  b.resize(at + 4 + text.size());
  putU32(b, at, static_cast<std::uint32_t>(text.size()));
  std::memcpy(b.data() + at + 4, text.data(), text.size());
}

/// Reads the extension after the record; false when absent or malformed.
/// @param[out] end where the three texts end
bool readExtension(const std::vector<std::uint8_t>& b, std::string texts[3], std::size_t& end) {
  std::size_t at = kSettingsRecordSize;
  if (b.size() < at + sizeof kTag || std::memcmp(b.data() + at, kTag, sizeof kTag) != 0) return false;
  at += sizeof kTag;
  for (int i = 0; i < 3; ++i) {
    if (b.size() - at < 4) return false;
    const std::uint32_t n = getU32(b, at);
    at += 4;
    if (n > kMaxText || b.size() - at < n) return false;
    texts[i].assign(reinterpret_cast<const char*>(b.data() + at), n);
    at += n;
  }
  end = at;
  return true;
}

void appendChunk(std::vector<std::uint8_t>& b, const char (&tag)[4], const std::string& text) {
  b.insert(b.end(), std::begin(tag), std::end(tag));
  appendText(b, text);
}

/// Reads the chunks from @p at to the end into @p r.
void readChunks(const std::vector<std::uint8_t>& b, std::size_t at, SettingsRecord& r) {
  while (b.size() - at >= kChunkHeader) {
    const std::uint8_t* tag = b.data() + at;
    const std::uint32_t n = getU32(b, at + 4);
    at += kChunkHeader;
    if (b.size() - at < n) return;
    if (std::memcmp(tag, kModelTag, sizeof kModelTag) == 0 && n <= kMaxText)
      r.modelText.assign(reinterpret_cast<const char*>(b.data() + at), n);
    at += n;
  }
}

}  // namespace

std::vector<std::uint8_t> EncodeSettings(const SettingsRecord& r) {
  std::vector<std::uint8_t> b(kSettingsRecordSize, 0);
  putText(b, kTerrainDirectory, kTerrainDirectorySize, r.terrainDirectory);
  b[kMetric] = r.metric ? 1 : 0;
  putText(b, kStartLoc, kLocationSize, r.startLoc);
  putText(b, kEndLoc, kLocationSize, r.endLoc);
  putU32(b, kInputFormat, static_cast<std::uint32_t>(r.inputFormat));
  putDouble(b, kRange, r.range);
  putDouble(b, kBearing, r.bearing);
  putDouble(b, kTxHeight, r.txHeight);
  putDouble(b, kRxHeight, r.rxHeight);
  putDouble(b, kFrequency, r.frequency);
  putDouble(b, kTemperature, r.temperature);
  putDouble(b, kPressure, r.pressure);
  putDouble(b, kHumidity, r.humidity);
  putDouble(b, kPercent, r.percent);
  b[kEndPointMode] = r.endPointMode;
  b[kForcedKFactor] = r.forcedKFactor ? 1 : 0;
  putDouble(b, kKFactor, r.kFactor);

  b.insert(b.end(), std::begin(kTag), std::end(kTag));
  appendText(b, r.terrainDirectory.substr(0, kMaxText));
  appendText(b, r.startLoc.substr(0, kMaxText));
  appendText(b, r.endLoc.substr(0, kMaxText));
  // Without a model text the file is the one earlier programs wrote, byte for byte.
  if (!r.modelText.empty()) appendChunk(b, kModelTag, r.modelText.substr(0, kMaxText));
  return b;
}

bool DecodeSettings(const std::vector<std::uint8_t>& b, SettingsRecord& r) {
  if (b.size() < kSettingsRecordSize) return false;
  r.terrainDirectory = getText(b, kTerrainDirectory, kTerrainDirectorySize);
  r.metric = b[kMetric] != 0;
  r.startLoc = getText(b, kStartLoc, kLocationSize);
  r.endLoc = getText(b, kEndLoc, kLocationSize);
  r.inputFormat = static_cast<std::int32_t>(getU32(b, kInputFormat));
  r.range = getDouble(b, kRange);
  r.bearing = getDouble(b, kBearing);
  r.txHeight = getDouble(b, kTxHeight);
  r.rxHeight = getDouble(b, kRxHeight);
  r.frequency = getDouble(b, kFrequency);
  r.temperature = getDouble(b, kTemperature);
  r.pressure = getDouble(b, kPressure);
  r.humidity = getDouble(b, kHumidity);
  r.percent = getDouble(b, kPercent);
  r.endPointMode = b[kEndPointMode];
  r.forcedKFactor = b[kForcedKFactor] != 0;
  r.kFactor = getDouble(b, kKFactor);
  std::string full[3];
  std::size_t end = 0;
  r.modelText.clear();
  if (readExtension(b, full, end)) {
    r.terrainDirectory = full[0];
    r.startLoc = full[1];
    r.endLoc = full[2];
    readChunks(b, end, r);
  }
  return true;
}

bool SaveSettingsFile(const std::string& path, const SettingsRecord& record, std::string* reason) {
  return ReplaceFile(path, EncodeSettings(record), reason);
}

bool LoadSettingsFile(const std::string& path, SettingsRecord& record) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  // A settings file is small; anything far larger is not one of ours.
  std::vector<std::uint8_t> bytes;
  char buffer[4096];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    if (bytes.size() > (1u << 20)) return false;
  }
  return DecodeSettings(bytes, record);
}

}  // namespace tarnvale
