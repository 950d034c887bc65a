#pragma once
// The user's inputs as profile.ini keeps them: one 392-byte little-endian
// record, followed by a tagged extension that holds the texts the record's
// fixed fields are too short for, and then tagged chunks of later inputs.
#include <cstdint>
#include <string>
#include <vector>

namespace tarnvale {

struct SettingsRecord {
  std::string terrainDirectory;  ///< with its trailing separator
  bool metric = true;            ///< false: imperial (Range in miles)
  std::string startLoc;          ///< transmitter text as shown in its field
  std::string endLoc;            ///< receiver text as shown in its field
  std::int32_t inputFormat = 0;  ///< InputFormat code; other codes are kept as read
  double range = 0.0;            ///< km when metric, miles when imperial
  double bearing = 0.0;          ///< degrees
  double txHeight = 10.0;        ///< m
  double rxHeight = 10.0;        ///< m
  double frequency = 10.368;     ///< GHz
  double temperature = 20.0;     ///< degrees C
  double pressure = 1000.0;      ///< hPa (mB)
  double humidity = 40.0;        ///< %
  double percent = 50.0;         ///< % of time
  std::uint8_t endPointMode = 1; ///< 1 by location, 0 by range and bearing
  bool forcedKFactor = false;
  double kFactor = 1.333;
  /// The propagation model and its own inputs as text (the model's text
  /// form, written and read by the session); empty for the default model
  /// with its defaults, which writes the file earlier programs wrote.
  std::string modelText;
};

/// Size of the fixed record that other readers of profile.ini expect.
inline constexpr std::size_t kSettingsRecordSize = 392;

/// The record's bytes: the 392-byte record (texts cut to fit their fields,
/// each ended by a zero byte) followed by the extension with the full texts,
/// then, when modelText is not empty, the chunk that holds it: the tag
/// "TVM1", its length (4 bytes, little-endian) and the text. Readers of the
/// extension alone stop after its three texts, so they still read the file.
std::vector<std::uint8_t> EncodeSettings(const SettingsRecord& record);

/// Reads @p bytes written by EncodeSettings or by an older program (the bare
/// 392-byte record). Fewer than 392 bytes cannot be a record: false.
/// The extension's full texts are preferred when present and well formed;
/// chunks after them with other tags (a later program's) are passed over,
/// and a chunk cut short ends the reading.
bool DecodeSettings(const std::vector<std::uint8_t>& bytes, SettingsRecord& record);

/// Writes @p path through a temporary file in the same directory renamed over
/// it, so a crash mid-write leaves the old settings intact. False on failure,
/// with the system's reason in @p reason when given.
bool SaveSettingsFile(const std::string& path, const SettingsRecord& record, std::string* reason = nullptr);

/// False when the file cannot be read or is not a record (the caller then
/// applies the built-in defaults).
bool LoadSettingsFile(const std::string& path, SettingsRecord& record);

}  // namespace tarnvale
