#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "link/LinkRecord.h"
#include "link/PatternReader.h"

using namespace tarnvale;

namespace {

const std::string kPanelFile = std::string(TARNVALE_LINK_TEST_DATA) + "/panel65-t6.msi";

std::uint64_t bits(double v) {
  std::uint64_t b = 0;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

LinkRecord sample() {
  LinkRecord r;
  r.powerDbm = 0.1 + 0.2;  // no short decimal
  r.rxThresholdDbm = -0.0;
  r.rxPointsAtTx = false;
  r.tx.gainDbi = 17.5;
  r.tx.feederLossDb = 1e-300;
  r.tx.azimuthDeg = 359.99999999999994;
  r.tx.downtiltDeg = -2.5;
  r.tx.patternPath = "/home/a b/50% off=yes\n\tnew\xc2\xb5.msi";
  std::string error;
  EXPECT_TRUE(LoadPatternFile(kPanelFile, r.tx.pattern, error)) << error;
  r.rx.feederLossDb = std::numeric_limits<double>::max();
  r.rx.azimuthDeg = std::numeric_limits<double>::denorm_min();
  r.rx.patternPath = "cut.csv";
  EXPECT_TRUE(ReadCsvPattern("0,0\n90,3.3333333333333335\n180,20\n", r.rx.pattern, error)) << error;
  return r;
}

void expectSameBits(const LinkAntenna& a, const LinkAntenna& b) {
  EXPECT_EQ(a.gainDbi.has_value(), b.gainDbi.has_value());
  if (a.gainDbi && b.gainDbi) {
    EXPECT_EQ(bits(*a.gainDbi), bits(*b.gainDbi));
  }
  EXPECT_EQ(bits(a.feederLossDb), bits(b.feederLossDb));
  EXPECT_EQ(bits(a.azimuthDeg), bits(b.azimuthDeg));
  EXPECT_EQ(bits(a.downtiltDeg), bits(b.downtiltDeg));
  EXPECT_EQ(a.patternPath, b.patternPath);
  EXPECT_EQ(a.pattern.format(), b.pattern.format());
  ASSERT_EQ(a.pattern.header().size(), b.pattern.header().size());
  for (std::size_t i = 0; i < a.pattern.header().size(); ++i) {
    EXPECT_EQ(a.pattern.header()[i].key, b.pattern.header()[i].key);
    EXPECT_EQ(a.pattern.header()[i].value, b.pattern.header()[i].value);
  }
  ASSERT_EQ(a.pattern.horizontal().size(), b.pattern.horizontal().size());
  ASSERT_EQ(a.pattern.vertical().size(), b.pattern.vertical().size());
  for (std::size_t i = 0; i < a.pattern.horizontal().size(); ++i) {
    EXPECT_EQ(bits(a.pattern.horizontal()[i].angleDeg), bits(b.pattern.horizontal()[i].angleDeg));
    EXPECT_EQ(bits(a.pattern.horizontal()[i].attenuationDb), bits(b.pattern.horizontal()[i].attenuationDb));
  }
  for (std::size_t i = 0; i < a.pattern.vertical().size(); ++i) {
    EXPECT_EQ(bits(a.pattern.vertical()[i].angleDeg), bits(b.pattern.vertical()[i].angleDeg));
    EXPECT_EQ(bits(a.pattern.vertical()[i].attenuationDb), bits(b.pattern.vertical()[i].attenuationDb));
  }
}

}  // namespace

TEST(LinkRecord, RoundTripBitForBit) {
  const LinkRecord in = sample();
  ASSERT_TRUE(ValidLinkRecord(in));
  const std::string text = EncodeLinkRecord(in);
  LinkRecord out;
  std::string error;
  ASSERT_TRUE(DecodeLinkRecord(text, out, &error)) << error << "\n" << text;
  EXPECT_EQ(bits(out.powerDbm), bits(in.powerDbm));
  EXPECT_EQ(bits(out.rxThresholdDbm), bits(in.rxThresholdDbm));
  EXPECT_EQ(out.rxPointsAtTx, in.rxPointsAtTx);
  expectSameBits(in.tx, out.tx);
  expectSameBits(in.rx, out.rx);
  EXPECT_EQ(out.tx.pattern.info().name, "TV-PANEL-65-17.5-T6");
  EXPECT_EQ(out.tx.pattern.verticalAttenuationDb(6.0), 0.0);
  EXPECT_EQ(EncodeLinkRecord(out), text) << "a decoded record encodes to the same text";

  // The default record: no gains given, no patterns.
  LinkRecord defaults;
  ASSERT_TRUE(DecodeLinkRecord(EncodeLinkRecord(LinkRecord{}), defaults, &error)) << error;
  EXPECT_FALSE(defaults.tx.gainDbi.has_value());
  EXPECT_FALSE(defaults.rx.pattern.loaded());
  EXPECT_EQ(defaults.powerDbm, 30.0);
  EXPECT_TRUE(defaults.rxPointsAtTx);
}

TEST(LinkRecord, TextFormIsPlainLines) {
  LinkRecord r;
  r.powerDbm = 40.0;
  r.tx.gainDbi = 14.0;
  r.tx.patternPath = "my ant.msi";
  EXPECT_EQ(EncodeLinkRecord(r),
            "tarnvale-link 1\n"
            "power_dBm 40\n"
            "rx_threshold_dBm -100\n"
            "rx_points_at_tx 1\n"
            "tx.gain_dBi 14\n"
            "tx.feeder_loss_dB 0\n"
            "tx.azimuth_deg 0\n"
            "tx.downtilt_deg 0\n"
            "tx.pattern_path my%20ant.msi\n"
            "rx.feeder_loss_dB 0\n"
            "rx.azimuth_deg 0\n"
            "rx.downtilt_deg 0\n"
            "end\n");
  // A later program's keys are skipped.
  LinkRecord out;
  std::string error;
  ASSERT_TRUE(DecodeLinkRecord("tarnvale-link 1\npower_dBm 12\nantenna_height_m 30\ntx.colour red\nend\n", out, &error))
      << error;
  EXPECT_EQ(out.powerDbm, 12.0);
}

TEST(LinkRecord, MalformedTextRefused) {
  const std::string good = EncodeLinkRecord(sample());
  const struct {
    std::string text;
    const char* expected;
  } cases[] = {
      {"", "line 1: not a link record"},
      {"tarnvale-link 2\nend\n", "line 1: not a link record"},
      {"tarnvale-link 1\npower_dBm 40\n", "line 2: the record has no end line"},
      {"tarnvale-link 1\npower_dBm forty\nend\n", "line 2: not a finite number: 'forty'"},
      {"tarnvale-link 1\npower_dBm nan\nend\n", "line 2: not a finite number"},
      {"tarnvale-link 1\npower_dBm 1e999\nend\n", "line 2: not a finite number"},
      {"tarnvale-link 1\npower_dBm 40 \nend\n", "line 2: not a finite number"},
      {"tarnvale-link 1\npower_dBm 40\npower_dBm 41\nend\n", "line 3: key 'power_dBm' given twice"},
      {"tarnvale-link 1\nrx_points_at_tx yes\nend\n", "line 2: rx_points_at_tx is 0 or 1"},
      {"tarnvale-link 1\ntx.pattern_path a%2\nend\n", "line 2: bad escape"},
      {"tarnvale-link 1\ntx.pattern_path a b\nend\n", "line 2: bad escape"},
      {"tarnvale-link 1\ntx.pattern.format msi\nend\n", "line 2: unknown pattern format"},
      {"tarnvale-link 1\ntx.pattern.horizontal 0:0 90\nend\n", "line 2: a cut is not"},
      {"tarnvale-link 1\ntx.pattern.horizontal 0:0\nend\n", "transmitter pattern has no format line"},
      {"tarnvale-link 1\nrx.pattern.format planet\nend\n", "receiver pattern: the pattern has neither"},
      {"tarnvale-link 1\nrx.pattern.format csv\nrx.pattern.horizontal 0:0 0:1\nend\n",
       "receiver pattern: horizontal cut lists angle 0 twice"},
      {"tarnvale-link 1\ntx.pattern.format planet\ntx.pattern.header GAIN=lots\ntx.pattern.vertical 0:0\nend\n",
       "transmitter pattern: GAIN 'lots'"},
      {"tarnvale-link 1\nrx.pattern.format csv\nrx.pattern.horizontal 0:0 90:-3\nend\n",
       "receiver pattern: horizontal cut: attenuation -3 is not between 0 and 1000 dB"},
      {"tarnvale-link 1\n end\nend\n", "line 2: a line without a key"},
      {"tarnvale-link 1\nend\npower_dBm 3\n", "line 3: text after the end line"},
  };
  for (const auto& c : cases) {
    LinkRecord out;
    out.powerDbm = 12.25;
    std::string error;
    EXPECT_FALSE(DecodeLinkRecord(c.text, out, &error)) << c.text;
    EXPECT_EQ(error.rfind(c.expected, 0), 0u) << "text: " << c.text << "\nerror: " << error;
    EXPECT_EQ(out.powerDbm, 12.25) << "a refused text leaves the record untouched";
  }
  // Cut anywhere before its end line, a record is refused, never misread.
  const std::size_t endLine = good.rfind("end\n");
  for (std::size_t n = 0; n < endLine; n += 97) {
    LinkRecord out;
    EXPECT_FALSE(DecodeLinkRecord(std::string_view(good).substr(0, n), out)) << n;
  }
}

TEST(LinkRecord, OnlyFiniteRecordsAreValid) {
  LinkRecord r;
  std::string why;
  EXPECT_TRUE(ValidLinkRecord(r, &why));
  r.rx.downtiltDeg = NAN;
  EXPECT_FALSE(ValidLinkRecord(r, &why));
  EXPECT_EQ(why, "receiver downtilt is not a finite number");
  r.rx.downtiltDeg = 0.0;
  r.tx.gainDbi = INFINITY;
  EXPECT_FALSE(ValidLinkRecord(r, &why));
  EXPECT_EQ(why, "transmitter gain is not a finite number");
  LinkRecord out;
  EXPECT_FALSE(DecodeLinkRecord(EncodeLinkRecord(r), out)) << "what the text form cannot hold is not read back";
}
