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

// The model text sits in a chunk of its own after the three texts: a record
// without one is the file earlier programs wrote, and a reader of the three
// texts alone reads the rest as before.
TEST(SettingsRecord, ModelTextInAChunkAfterTheExtension) {
  SettingsRecord r = sample();
  const std::vector<std::uint8_t> plain = EncodeSettings(r);
  r.modelText = "tarnvale-model 1\nmodel p452-18\nend\n";
  const std::vector<std::uint8_t> withModel = EncodeSettings(r);
  ASSERT_EQ(withModel.size(), plain.size() + 8 + r.modelText.size());
  EXPECT_TRUE(std::equal(plain.begin(), plain.end(), withModel.begin()));
  EXPECT_EQ(std::memcmp(withModel.data() + plain.size(), "TVM1", 4), 0);
  EXPECT_EQ(withModel[plain.size() + 4], r.modelText.size());

  SettingsRecord back;
  ASSERT_TRUE(DecodeSettings(withModel, back));
  EXPECT_EQ(back.modelText, r.modelText);
  EXPECT_EQ(back.startLoc, r.startLoc);
  ASSERT_TRUE(DecodeSettings(plain, back));
  EXPECT_EQ(back.modelText, "");

  // A later program's chunk before it is passed over.
  std::vector<std::uint8_t> other = plain;
  for (int c : {int{'T'}, int{'V'}, int{'K'}, int{'1'}, 3, 0, 0, 0, int{'a'}, int{'b'}, int{'c'}})
    other.push_back(static_cast<std::uint8_t>(c));
  other.insert(other.end(), withModel.begin() + static_cast<std::ptrdiff_t>(plain.size()), withModel.end());
  ASSERT_TRUE(DecodeSettings(other, back));
  EXPECT_EQ(back.modelText, r.modelText);
  // A chunk cut short is not read; the record still is.
  std::vector<std::uint8_t> cut = withModel;
  cut.pop_back();
  ASSERT_TRUE(DecodeSettings(cut, back));
  EXPECT_EQ(back.modelText, "");
  EXPECT_EQ(back.endLoc, r.endLoc);
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
