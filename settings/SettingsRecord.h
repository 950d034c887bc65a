#pragma once
// The user's inputs as profile.ini keeps them: one 392-byte little-endian
// record, followed by a tagged extension that holds the texts the record's
// fixed fields are too short for and the keyed texts of later features.
#include <cstdint>
#include <map>
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
  /// Texts of the features the fixed record has no room for, by key ("link":
  /// the link budget's record). Each feature owns its key and the form of its
  /// text; keys this program does not know are kept as read, so that a
  /// record saved again still holds them.
  std::map<std::string, std::string> keyed;
};

/// Size of the fixed record that other readers of profile.ini expect.
inline constexpr std::size_t kSettingsRecordSize = 392;
/// Longest key of SettingsRecord::keyed (bytes).
inline constexpr std::size_t kMaxSettingsKey = 64;
/// Longest keyed text (bytes): room for two antenna patterns of a hundredth
/// of a degree in the link record.
inline constexpr std::size_t kMaxSettingsKeyedText = std::size_t{8} << 20;

/// The record's bytes, all integers little-endian:
///   - the 392-byte record (texts cut to fit their fields, each ended by a
///     zero byte);
///   - "TVX1" and the three full texts (terrain directory, transmitter,
///     receiver), each a u32 length and its bytes;
///   - then chunks, each a 4-byte tag, a u32 length and that many bytes. The
///     one chunk written is "TVK1" (only when there are keyed texts), the keyed texts: for each key, in key
///     order, a u32 key length, the key, a u32 text length and the text. A
///     reader skips chunks whose tag it does not know, so a later program may
///     add chunks; a feature adds a key, not a chunk.
/// Older readers stop after the three texts and still read the rest of the
/// record. Keys longer than kMaxSettingsKey, texts longer than
/// kMaxSettingsKeyedText and empty keys are not written.
std::vector<std::uint8_t> EncodeSettings(const SettingsRecord& record);

/// Reads @p bytes written by EncodeSettings or by an older program (the bare
/// 392-byte record, or the record and its three texts). Fewer than 392 bytes
/// cannot be a record: false.
/// The extension's full texts are preferred when present and well formed. A
/// keyed-text chunk that is not well formed (a length past its end, a key
/// given twice) gives no keyed texts; the rest of the record still reads.
bool DecodeSettings(const std::vector<std::uint8_t>& bytes, SettingsRecord& record);

/// Writes @p path through a temporary file in the same directory renamed over
/// it, so a crash mid-write leaves the old settings intact. False on failure,
/// with the system's reason in @p reason when given.
bool SaveSettingsFile(const std::string& path, const SettingsRecord& record, std::string* reason = nullptr);

/// False when the file cannot be read or is not a record (the caller then
/// applies the built-in defaults).
bool LoadSettingsFile(const std::string& path, SettingsRecord& record);

}  // namespace tarnvale
