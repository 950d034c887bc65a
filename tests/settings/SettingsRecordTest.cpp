#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "settings/SettingsRecord.h"

using tarnvale::DecodeSettings;
using tarnvale::EncodeSettings;
using tarnvale::kSettingsRecordSize;
using tarnvale::LoadSettingsFile;
using tarnvale::SaveSettingsFile;
using tarnvale::SettingsRecord;

namespace {

SettingsRecord sample() {
  SettingsRecord r;
  r.terrainDirectory = "/data/srtm/";
  r.metric = false;
  r.startLoc = "51 21 8.4 N   1 27 51.6 W";   // 25 characters: longer than the field
  r.endLoc = "51.610 N   1.229 W";
  r.inputFormat = 3;
  r.range = 16.25;
  r.bearing = 123.4;
  r.txHeight = 12.5;
  r.rxHeight = 7;
  r.frequency = 2.4;
  r.temperature = -5.5;
  r.pressure = 1013.2;
  r.humidity = 65;
  r.percent = 0.01;
  r.endPointMode = 0;
  r.forcedKFactor = true;
  r.kFactor = 0.75;
  return r;
}

double doubleAt(const std::vector<std::uint8_t>& b, size_t offset) {
  double v;
  std::memcpy(&v, b.data() + offset, 8);  // the test host is little-endian like the file
  return v;
}

}  // namespace

TEST(SettingsRecord, FixedFieldsAtTheirOffsets) {
  const std::vector<std::uint8_t> b = EncodeSettings(sample());
  ASSERT_GT(b.size(), kSettingsRecordSize);
  EXPECT_STREQ(reinterpret_cast<const char*>(b.data()), "/data/srtm/");
  EXPECT_EQ(b[256], 0);  // imperial
  // Texts longer than 19 characters are cut and still end with a zero byte.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 257)), "51 21 8.4 N   1 27 ");
  EXPECT_EQ(b[276], 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(b.data() + 277), "51.610 N   1.229 W");
  EXPECT_EQ(b[300], 3);
  EXPECT_EQ(b[301] | b[302] | b[303], 0);
  EXPECT_EQ(doubleAt(b, 304), 16.25);
  EXPECT_EQ(doubleAt(b, 312), 123.4);
  EXPECT_EQ(doubleAt(b, 320), 12.5);
  EXPECT_EQ(doubleAt(b, 328), 7);
  EXPECT_EQ(doubleAt(b, 336), 2.4);
  EXPECT_EQ(doubleAt(b, 344), -5.5);
  EXPECT_EQ(doubleAt(b, 352), 1013.2);
  EXPECT_EQ(doubleAt(b, 360), 65);
  EXPECT_EQ(doubleAt(b, 368), 0.01);
  EXPECT_EQ(b[376], 0);
  EXPECT_EQ(b[377], 1);
  EXPECT_EQ(doubleAt(b, 384), 0.75);
}

TEST(SettingsRecord, RoundTripKeepsFullTexts) {
  SettingsRecord in = sample();
  in.terrainDirectory = "/" + std::string(300, 'd') + "/";  // over 255 characters
  SettingsRecord out;
  ASSERT_TRUE(DecodeSettings(EncodeSettings(in), out));
  EXPECT_EQ(out.terrainDirectory, in.terrainDirectory);
  EXPECT_EQ(out.startLoc, in.startLoc);
  EXPECT_EQ(out.endLoc, in.endLoc);
  EXPECT_EQ(out.metric, false);
  EXPECT_EQ(out.inputFormat, 3);
  EXPECT_EQ(out.range, 16.25);
  EXPECT_EQ(out.percent, 0.01);
  EXPECT_EQ(out.endPointMode, 0);
  EXPECT_TRUE(out.forcedKFactor);
  EXPECT_EQ(out.kFactor, 0.75);
}

TEST(SettingsRecord, BareRecordOfAnotherWriterIsRead) {
  std::vector<std::uint8_t> b = EncodeSettings(sample());
  b.resize(kSettingsRecordSize);
  b[300] = 7;  // a format code this program does not know is kept as it is
  SettingsRecord out;
  ASSERT_TRUE(DecodeSettings(b, out));
  EXPECT_EQ(out.startLoc, "51 21 8.4 N   1 27 ");
  EXPECT_EQ(out.inputFormat, 7);
  // A damaged extension is ignored in favour of the record's own texts.
  b = EncodeSettings(sample());
  b.resize(kSettingsRecordSize + 10);
  ASSERT_TRUE(DecodeSettings(b, out));
  EXPECT_EQ(out.startLoc, "51 21 8.4 N   1 27 ");
}

TEST(SettingsRecord, ShortFileIsNotARecord) {
  std::vector<std::uint8_t> b = EncodeSettings(sample());
  b.resize(kSettingsRecordSize - 1);
  SettingsRecord out;
  EXPECT_FALSE(DecodeSettings(b, out));
  EXPECT_FALSE(DecodeSettings({}, out));
}

TEST(SettingsFile, SaveReplacesAtomicallyAndLoadsBack) {
  const auto dir = std::filesystem::temp_directory_path() / ("tarnvale-settings-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "profile.ini").string();
  {
    std::ofstream old(path, std::ios::binary);
    old << "old contents";
  }
  ASSERT_TRUE(SaveSettingsFile(path, sample()));
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  SettingsRecord out;
  ASSERT_TRUE(LoadSettingsFile(path, out));
  EXPECT_EQ(out.startLoc, sample().startLoc);
  EXPECT_FALSE(LoadSettingsFile((dir / "absent.ini").string(), out));
  EXPECT_FALSE(SaveSettingsFile((dir / "no-such-dir" / "profile.ini").string(), sample()));
  // A file shorter than a record reads as unreadable.
  {
    std::ofstream shortFile(path, std::ios::binary | std::ios::trunc);
    shortFile << std::string(100, 'x');
  }
  EXPECT_FALSE(LoadSettingsFile(path, out));
  std::filesystem::remove_all(dir);
}

TEST(SettingsRecord, KeyedTextsRoundTripAfterTheThreeTexts) {
  SettingsRecord in = sample();
  in.keyed["link"] = std::string("tarnvale-link 1\npower_dBm 40\nend\n");
  in.keyed["model"] = std::string("p452-18\0binary\xff", 15);  // any bytes
  SettingsRecord out;
  ASSERT_TRUE(DecodeSettings(EncodeSettings(in), out));
  EXPECT_EQ(out.keyed, in.keyed);
  EXPECT_EQ(out.startLoc, in.startLoc);

  // An older reader stops after the three texts: what it reads is the file
  // written without keyed texts, byte for byte, and such a file reads with none.
  SettingsRecord plain = sample();
  const std::vector<std::uint8_t> old = EncodeSettings(plain);
  const std::vector<std::uint8_t> now = EncodeSettings(in);
  ASSERT_GT(now.size(), old.size());
  EXPECT_TRUE(std::equal(old.begin(), old.end(), now.begin()));
  out.keyed["stale"] = "x";
  ASSERT_TRUE(DecodeSettings(old, out));
  EXPECT_TRUE(out.keyed.empty());
}

TEST(SettingsRecord, UnknownChunksSkippedAndDamagedKeyedTextsDropped) {
  SettingsRecord in = sample();
  in.keyed["link"] = "L";
  const std::vector<std::uint8_t> plain = EncodeSettings(sample());
  const std::vector<std::uint8_t> full = EncodeSettings(in);
  const std::vector<std::uint8_t> chunk(full.begin() + static_cast<std::ptrdiff_t>(plain.size()), full.end());
  // A later program's chunk before ours is stepped over by its length.
  std::vector<std::uint8_t> b = plain;
  for (int c : {int{'T'}, int{'V'}, int{'Z'}, int{'9'}, 3, 0, 0, 0, 1, 2, 3}) b.push_back(static_cast<std::uint8_t>(c));
  b.insert(b.end(), chunk.begin(), chunk.end());
  SettingsRecord out;
  ASSERT_TRUE(DecodeSettings(b, out));
  EXPECT_EQ(out.keyed, in.keyed);
  // Cut short, or a key given twice: no keyed texts, the rest of the record read.
  for (std::size_t cut = 1; cut < chunk.size(); cut += 3) {
    b = full;
    b.resize(full.size() - cut);
    ASSERT_TRUE(DecodeSettings(b, out)) << cut;
    EXPECT_TRUE(out.keyed.empty()) << cut;
    EXPECT_EQ(out.startLoc, sample().startLoc);
  }
  b = full;
  b.insert(b.end(), chunk.begin() + 8, chunk.end());  // the same key and text again
  const std::uint32_t doubled = static_cast<std::uint32_t>(2 * (chunk.size() - 8));
  std::memcpy(b.data() + plain.size() + 4, &doubled, 4);  // little-endian host, like the file
  ASSERT_TRUE(DecodeSettings(b, out));
  EXPECT_TRUE(out.keyed.empty());
}
