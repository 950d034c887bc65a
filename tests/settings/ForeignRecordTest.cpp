// profile.ini as another program writes it: the bare 392-byte record built
// byte by byte from its published layout, read back field by field through
// start-up.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "session/Session.h"
#include "settings/SettingsRecord.h"
#include "support/DataFiles.h"

using namespace tarnvale;

namespace {

// Little-endian writers over a record whose unused bytes hold junk: a writer
// may leave anything in the gaps and after a text's closing zero.
struct Record {
  std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(392, 0xA5);
  void text(std::size_t offset, const std::string& s, bool closingZero = true) {
    std::memcpy(bytes.data() + offset, s.data(), s.size());
    if (closingZero) bytes[offset + s.size()] = 0;
  }
  void i32(std::size_t offset, std::int32_t v) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
  }
  void f64(std::size_t offset, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i) bytes[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
  }
};

Record ForeignRecord() {
  Record r;
  r.text(0, "C:\\Program Files\\Tiles\\");
  r.bytes[256] = 0;  // imperial
  r.text(257, "51 21 8.4 N 1 27 36W");  // exactly 20 characters, no closing zero
  r.text(277, "51 33 0 N 1 15 0 W");
  r.i32(300, 3);  // degrees-minutes-seconds
  r.f64(304, 12.5);     // miles
  r.f64(312, 271.25);   // bearing
  r.f64(320, 17.5);     // TX_H
  r.f64(328, 2.25);     // RX_H
  r.f64(336, 24.125);   // FREQ
  r.f64(344, -12.5);    // TEMPERATURE
  r.f64(352, 987.5);    // PRESSURE
  r.f64(360, 83.125);   // RH
  r.f64(368, 0.01);     // Percent
  r.bytes[376] = 0;     // by range and bearing
  r.bytes[377] = 7;     // any non-zero: forced
  r.f64(384, 1.75);     // K_FACT
  return r;
}

}  // namespace

TEST(ForeignSettings, EveryFieldOfAHandBuiltRecordIsRead) {
  const Record r = ForeignRecord();
  SettingsRecord s;
  ASSERT_TRUE(DecodeSettings(r.bytes, s));
  EXPECT_EQ(s.terrainDirectory, "C:\\Program Files\\Tiles\\");
  EXPECT_FALSE(s.metric);
  // The full 20 characters, and not a byte of the receiver's field after them.
  EXPECT_EQ(s.startLoc, "51 21 8.4 N 1 27 36W");
  EXPECT_EQ(s.endLoc, "51 33 0 N 1 15 0 W");
  EXPECT_EQ(s.inputFormat, 3);
  EXPECT_EQ(s.range, 12.5);
  EXPECT_EQ(s.bearing, 271.25);
  EXPECT_EQ(s.txHeight, 17.5);
  EXPECT_EQ(s.rxHeight, 2.25);
  EXPECT_EQ(s.frequency, 24.125);
  EXPECT_EQ(s.temperature, -12.5);
  EXPECT_EQ(s.pressure, 987.5);
  EXPECT_EQ(s.humidity, 83.125);
  EXPECT_EQ(s.percent, 0.01);
  EXPECT_EQ(s.endPointMode, 0);
  EXPECT_TRUE(s.forcedKFactor);
  EXPECT_EQ(s.kFactor, 1.75);
}

TEST(ForeignSettings, StartUpRestoresTheRecordIntoTheFields) {
  test::TempDir dir;
  const Record r = ForeignRecord();
  std::ofstream(dir.path() / "profile.ini", std::ios::binary)
      .write(reinterpret_cast<const char*>(r.bytes.data()), static_cast<std::streamsize>(r.bytes.size()));
  Session session;
  const RestoredInputs in = session.RestoreInputs(dir.withSlash());
  ASSERT_TRUE(in.fromFile);
  EXPECT_TRUE(in.formatKnown);
  EXPECT_EQ(in.fields.format, 3);
  EXPECT_FALSE(in.fields.metric);
  EXPECT_EQ(in.endPointMode, 0);
  EXPECT_EQ(in.terrainDirectory, "C:\\Program Files\\Tiles\\");
  EXPECT_EQ(in.fields.range, 12.5);
  EXPECT_EQ(in.fields.bearing, 271.25);
  EXPECT_EQ(in.fields.txHeight, 17.5);
  EXPECT_EQ(in.fields.rxHeight, 2.25);
  EXPECT_EQ(in.fields.frequency, 24.125);
  EXPECT_EQ(in.fields.temperature, -12.5);
  EXPECT_EQ(in.fields.pressure, 987.5);
  EXPECT_EQ(in.fields.humidity, 83.125);
  EXPECT_EQ(in.fields.percent, 0.01);
  EXPECT_TRUE(in.fields.forcedKFactor);
  EXPECT_EQ(in.fields.kFactor, 1.75);
  // The 20-character transmitter text parses as the point it names.
  ASSERT_TRUE(session.tx.isValid());
  EXPECT_NEAR(session.tx.latitude(), 51 + 21 / 60.0 + 8.4 / 3600, 1e-9);
  EXPECT_NEAR(session.tx.longitude(), -(1 + 27 / 60.0 + 36 / 3600.0), 1e-9);
  ASSERT_TRUE(session.rx.isValid());
  EXPECT_NEAR(session.rx.latitude(), 51.55, 1e-9);
  EXPECT_NEAR(session.rx.longitude(), -1.25, 1e-9);
}
