// The model choice: its names, its text form for the settings file, the
// bounds of P.452-18's radio figures; and the Mechanisms curves and the
// path's gaseous loss under P.452-18.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "model/ModelChoice.h"
#include "model/P452Curves.h"
#include "model/P452Parts.h"
#include "model/P452Path.h"

namespace tarnvale {
namespace {

TEST(ModelChoice, NamesTitlesAndLines) {
  EXPECT_STREQ(PathModelName(PathModel::kClassic), "classic");
  EXPECT_STREQ(PathModelName(PathModel::kP452v18), "p452-18");
  EXPECT_EQ(ModelLine(PathModel::kP452v18), "Model: ITU-R P.452-18");
  EXPECT_EQ(ModelLine(PathModel::kClassic), "Model: Classic (P.452-16, Deygout)");
  PathModel m = PathModel::kClassic;
  EXPECT_TRUE(PathModelNamed("P452-18", m));
  EXPECT_EQ(m, PathModel::kP452v18);
  EXPECT_FALSE(PathModelNamed("p452-17", m));
  EXPECT_EQ(m, PathModel::kP452v18);
  EXPECT_EQ(P452RadioProblem(0.1, 0.001), "");
  EXPECT_EQ(P452RadioProblem(50, 50), "");
  for (const auto& [f, p] : {std::pair{0.099, 1.0}, {50.1, 1.0}, {2.0, 0.0009}, {2.0, 50.01}})
    EXPECT_EQ(P452RadioProblem(f, p), "ITU-R P.452-18 takes 0.1 to 50 GHz and 0.001 to 50 % of time") << f << p;
}

TEST(ModelChoice, TextFormGivesBackEveryFieldBitForBit) {
  ModelChoice c;
  c.model = PathModel::kP452v18;
  c.polarisation = P452Polarisation::kVertical;
  c.txGainDbi = 0.1 + 0.2;  // not a short decimal
  c.rxGainDbi = -0.0;
  c.clutterHeightM = 12.5;
  c.coastGiven = true;
  c.dctKm = 1e-300;
  c.dcrKm = std::nextafter(500.0, 0.0);
  const std::string text = EncodeModelChoice(c);
  EXPECT_EQ(text.rfind("tarnvale-model 1\nmodel p452-18\npolarisation v\n", 0), 0u) << text;
  ModelChoice back;
  std::string error;
  ASSERT_TRUE(DecodeModelChoice(text, back, &error)) << error;
  EXPECT_TRUE(back == c);
  EXPECT_TRUE(std::signbit(back.rxGainDbi));
  EXPECT_EQ(EncodeModelChoice(back), text);
  // The defaults, a later program's key, keys left out, CRLF line ends.
  ASSERT_TRUE(DecodeModelChoice(EncodeModelChoice(ModelChoice{}), back));
  EXPECT_TRUE(back == ModelChoice{});
  ASSERT_TRUE(DecodeModelChoice("tarnvale-model 1\r\nmodel p452-18\r\nbeam_tilt 3\r\nend\r\n", back, &error)) << error;
  EXPECT_TRUE(back.isP452());
  EXPECT_EQ(back.clutterHeightM, 0.0);
}

TEST(ModelChoice, TextOutOfFormIsRefusedAndTheChoiceKept) {
  const std::string head = "tarnvale-model 1\n";
  const struct {
    std::string text;
    const char* why;
  } cases[] = {
      {"", "empty"},
      {"tarnvale-model 2\nend\n", "first line"},
      {head + "model p452-18\n", "no \"end\""},
      {head + "model itm\nend\n", "unknown model"},
      {head + "polarisation x\nend\n", "neither h nor v"},
      {head + "tx_gain_dBi nan\nend\n", "not a finite number"},
      {head + "tx_gain_dBi 1e999\nend\n", "not a finite number"},
      {head + "tx_gain_dBi +3\nend\n", "not a finite number"},
      {head + "clutter_height_m -1\nend\n", "0 or more"},
      {head + "dct_km 3 km\nend\n", "not a finite number"},
      {head + "coast_given yes\nend\n", "neither 0 nor 1"},
      {head + "model classic\nmodel p452-18\nend\n", "given twice"},
      {head + "model\nend\n", "key value"},
      {head + "end\nmodel p452-18\n", "after \"end\""},
  };
  for (const auto& c : cases) {
    ModelChoice kept;
    kept.clutterHeightM = 7;
    std::string error;
    EXPECT_FALSE(DecodeModelChoice(c.text, kept, &error)) << c.text;
    EXPECT_NE(error.find(c.why), std::string::npos) << c.text << " -> " << error;
    EXPECT_EQ(kept.clutterHeightM, 7.0);
  }
}

/// 30 km over a 120 m ridge at mid-path, inland.
P452Inputs ridgePath() {
  P452Inputs in;
  for (int i = 0; i <= 60; ++i) {
    const double d = 0.5 * i;
    in.d.push_back(d);
    in.h.push_back(std::fabs(d - 15) < 0.3 ? 120.0 : 20.0);
    in.zone.push_back(itu_zone::kInland);
  }
  in.phit_n = in.phir_n = 51.0;
  in.phit_e = -1.0;
  in.phir_e = -0.57;
  in.f = 2.0;
  return in;
}

TEST(P452Curves, EachPointIsTheModelAtItsPercentage) {
  P452Inputs in = ridgePath();
  in.p = 7.0;  // not read
  P452Model model;
  const auto points = P452MechanismCurves(model, in);
  for (std::size_t i = 0; i < points.size(); ++i) {
    in.p = kMechanismPercentages[i];
    P452Results r;
    ASSERT_TRUE(P452Model().Calculate(in, r)) << r.error;
    EXPECT_EQ(points[i].percent, kMechanismPercentages[i]);
    EXPECT_TRUE(points[i].ok);
    EXPECT_EQ(points[i].diffraction, r.Lbd);
    EXPECT_EQ(points[i].troposcatter, r.Lbs);
    EXPECT_EQ(points[i].ducting, r.Lba);
    EXPECT_EQ(points[i].overall, r.Lb);
  }
  EXPECT_LT(points.front().overall, points.back().overall);
  // A frequency the model does not take gives no point.
  in.f = 60;
  for (const MechanismPoint& p : P452MechanismCurves(model, in)) EXPECT_FALSE(p.ok);
}

TEST(P452Path, GasLossIsTheOneWithinTheLineOfSightLoss) {
  P452Inputs in = ridgePath();
  in.f = 22.235;  // the water-vapour line: a loss worth measuring
  in.p = 50;
  P452Results r;
  ASSERT_TRUE(P452Model().Calculate(in, r)) << r.error;
  EXPECT_EQ(P452PathVapourDensity(0.0), 7.5);
  EXPECT_EQ(P452PathVapourDensity(1.0), 10.0);
  const double gas = P452PathGasLoss(in, r);
  const double rise = (r.hts - r.hrs) / 1000.0;
  const double slant = std::sqrt(r.dtot * r.dtot + rise * rise);
  // Lbfsg = 92.4 + 20 log f + 20 log d + gas (P.452-18 equation 8).
  EXPECT_NEAR(r.Lbfsg - (92.4 + 20 * std::log10(in.f) + 20 * std::log10(slant)), gas, 1e-9);
  EXPECT_GT(gas, 1.0);
}

}  // namespace
}  // namespace tarnvale
