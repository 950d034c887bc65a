// tarnvale-cli's link budget: the path's link object and text block, and the
// maps of received power, field strength and margin, over a synthetic tile.
// The budget's own identities are the link tests'; these check the wiring:
// the options, the geometry handed to the antennas, and a map's values
// against the loss map of the same run.
#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/RunCli.h"
#include "exports/MapExport.h"
#include "geo/Path.h"
#include "link/LinkConstants.h"
#include "link/LinkUnits.h"
#include "link/PatternReader.h"
#include "maps/Coverage.h"
#include "model/P676.h"
#include "support/DataFiles.h"

namespace tarnvale {
namespace {

using test::RunCli;
using test::TempDir;

const std::string kPanel = std::string(TARNVALE_LINK_TEST_DATA) + "/panel65-t6.msi";

AntennaPattern panel() {
  AntennaPattern p;
  std::string error;
  EXPECT_TRUE(LoadPatternFile(kPanel, p, error)) << error;
  return p;
}

struct DatasetCloser {
  void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;
Dataset Open(const std::string& path) {
  GDALAllRegister();
  return Dataset(static_cast<GDALDataset*>(GDALOpen(path.c_str(), GA_ReadOnly)));
}

std::vector<float> Pixels(GDALDataset& ds) {
  const int n = ds.GetRasterXSize();
  std::vector<float> v(static_cast<std::size_t>(n) * n);
  EXPECT_EQ(ds.GetRasterBand(1)->RasterIO(GF_Read, 0, 0, n, n, v.data(), n, n, GDT_Float32, 0, 0), CE_None);
  return v;
}

// Flat ground at 60 m over the tile N51W002; no zone map, no climate maps.
class LinkCli : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<TempDir>();
    test::WriteTile(dir_->path() / "n51w002.hgt", test::Tile(60));
  }
  static void TearDownTestSuite() { dir_.reset(); }
  /// path from 51.40 N 1.60 W to a receiver @p rangeKm away on @p bearingDeg.
  static std::vector<std::string> path(double rangeKm, double bearingDeg, std::vector<std::string> more) {
    std::vector<std::string> args = {"path", "--tx", "51.40 -1.60", "--format", "deg", "--range",
                                     std::to_string(rangeKm), "--bearing", std::to_string(bearingDeg),
                                     "--terrain", dir_->str(), "--climate", dir_->str(), "--freq", "1.8"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }
  static nlohmann::json json(const std::vector<std::string>& args) {
    const auto r = RunCli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.status == 0 ? nlohmann::json::parse(r.out) : nlohmann::json::object();
  }
  static std::unique_ptr<TempDir> dir_;
};
std::unique_ptr<TempDir> LinkCli::dir_;

TEST_F(LinkCli, LinkObjectHoldsTheBudgetOfThePath) {
  const auto j = json(path(9.0, 40.0,
                           {"--power", "10W", "--tx-feeder-loss", "1.5", "--tx-gain", "14", "--pattern", kPanel,
                            "--azimuth", "45", "--downtilt", "2", "--rx-gain", "2", "--rx-feeder-loss", "0.5",
                            "--threshold", "-100", "--json"}));
  ASSERT_TRUE(j.contains("link"));
  const nlohmann::json& l = j["link"];
  std::vector<std::string> keys;
  for (const auto& item : l.items()) keys.push_back(item.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"eirp_W", "eirp_dBm", "field_dBuV_m", "loss_dB", "margin_dB",
                                            "received_dBm", "rx_gain_toward_dBi", "tx_gain_toward_dBi"}));
  const double loss = l["loss_dB"], eirp = l["eirp_dBm"], txToward = l["tx_gain_toward_dBi"],
               rxToward = l["rx_gain_toward_dBi"], received = l["received_dBm"], field = l["field_dBuV_m"];
  // L is the Results group's total; the gains given override the pattern's 17.5 dBi.
  EXPECT_NEAR(loss, j["Lb"].get<double>() + j["gasLoss"].get<double>(), 1e-9);
  EXPECT_NEAR(eirp, 40.0 - 1.5 + 14.0, 1e-9);
  EXPECT_NEAR(l["eirp_W"].get<double>(), std::pow(10.0, (eirp - 30.0) / 10.0), 1e-9);
  EXPECT_NEAR(rxToward, 2.0, 1e-12);  // the receiving antenna points at the transmitter
  EXPECT_NEAR(received, 40.0 - 1.5 + txToward - loss + rxToward - 0.5, 1e-9);
  EXPECT_NEAR(l["margin_dB"].get<double>(), received + 100.0, 1e-9);
  // Field strength is what the receiving site sees before its antenna:
  // received power less the receiving antenna and feeder, plus 20 log f + K.
  EXPECT_NEAR(field, received - rxToward + 0.5 + 20.0 * std::log10(1800.0) + link::kFieldStrengthConstantDb, 1e-9);
  // The transmitting antenna is seen along the great circle's bearing and theta_t.
  LinkAntenna tx;
  tx.gainDbi = 14.0;
  tx.pattern = panel();
  tx.azimuthDeg = 45.0;
  tx.downtiltDeg = 2.0;
  const double elevation = j["theta_t"].get<double>() / 1000.0 * 180.0 / M_PI;
  EXPECT_NEAR(txToward, tx.gainTowardDbi(j["bearing_deg"].get<double>(), elevation), 1e-9);
  EXPECT_NEAR(j["bearing_deg"].get<double>(), 40.0, 1e-6);
}

TEST_F(LinkCli, NoLinkOptionNoLinkObject) {
  const auto plain = RunCli(path(9.0, 40.0, {"--json"}));
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_FALSE(nlohmann::json::parse(plain.out).contains("link"));
  const auto text = RunCli(path(9.0, 40.0, {}));
  EXPECT_EQ(text.out.find("Link budget"), std::string::npos);
  // A gain alone is a link option: the block follows the losses.
  const auto gain = RunCli(path(9.0, 40.0, {"--tx-gain", "11.85dBd"}));
  ASSERT_EQ(gain.status, 0) << gain.err;
  EXPECT_EQ(gain.out.substr(0, text.out.size()), text.out);
  EXPECT_NE(gain.out.find("Link budget\n"), std::string::npos);
  EXPECT_NE(gain.out.find("  EIRP 44.00 dBm (25.12 W)\n"), std::string::npos) << gain.out;  // 1 W, 14 dBi
  EXPECT_NE(gain.out.find("  Field strength "), std::string::npos);
}

TEST_F(LinkCli, TurningTheAntennaAwayLosesTheFrontToBackRatio) {
  const AntennaPattern p = panel();
  const double frontToBack = p.horizontalAttenuationDb(180.0) - p.horizontalAttenuationDb(0.0);
  ASSERT_NEAR(frontToBack, 25.0, 0.5);
  const auto received = [](const std::string& azimuth) {
    return json(path(9.0, 40.0, {"--pattern", kPanel, "--azimuth", azimuth, "--json"}))["link"]["received_dBm"]
        .get<double>();
  };
  EXPECT_NEAR(received("40") - received("220"), frontToBack, 1e-6);
}

TEST_F(LinkCli, DowntiltBringsTheLobeDownToAReceiverBelow) {
  // A mast 400 m high and a receiver 2 km out: the ray leaves about 11 degrees
  // down; the panel's lobe is 6 degrees down before any mechanical tilt.
  const auto toward = [](const std::string& tilt) {
    return json(path(2.0, 90.0, {"--tx-height", "400", "--pattern", kPanel, "--azimuth", "90", "--downtilt", tilt,
                                 "--json"}));
  };
  const auto level = toward("0");
  const double elevationDeg = level["theta_t"].get<double>() / 1000.0 * 180.0 / M_PI;
  ASSERT_LT(elevationDeg, -10.0);
  const double onLobe = -elevationDeg - 6.0;
  const double gainLevel = level["link"]["tx_gain_toward_dBi"];
  const double gainDown = toward(std::to_string(onLobe))["link"]["tx_gain_toward_dBi"];
  const double gainUp = toward(std::to_string(-onLobe))["link"]["tx_gain_toward_dBi"];
  EXPECT_NEAR(gainDown, 17.5, 0.05);
  EXPECT_GT(gainDown, gainLevel + 3.0);
  EXPECT_LT(gainUp, gainLevel - 3.0);
}

TEST_F(LinkCli, ReceivingAntennaPointsAtTheTransmitterUnlessGivenAnAzimuth) {
  const auto j = json(path(9.0, 40.0, {"--rx-pattern", kPanel, "--json"}));
  EXPECT_NEAR(j["link"]["rx_gain_toward_dBi"].get<double>(), 17.5, 1e-12);
  // Turned to face the transmitter (bearing back about 220): nearly the same;
  // turned away from it: the front-to-back ratio lower.
  const auto fixed = [](const std::string& azimuth) {
    return json(path(9.0, 40.0, {"--rx-pattern", kPanel, "--rx-azimuth", azimuth, "--json"}))["link"]
                   ["rx_gain_toward_dBi"]
        .get<double>();
  };
  EXPECT_GT(fixed("220.07"), 17.5 - 12.0);
  EXPECT_NEAR(fixed("220.07") - fixed("40.07"), 25.0, 0.6);
}

// A supplied profile has no direction on the ground: the antennas face along it.
TEST_F(LinkCli, SuppliedProfileFacesAlongThePath) {
  const std::string csv = (dir_->path() / "ridge.csv").string();
  {
    std::ofstream out(csv);
    for (int i = 0; i <= 100; ++i) out << i * 0.1 << "," << (i > 40 && i < 60 ? 150 : 50) << "\n";
  }
  const auto toward = [&csv](const std::string& azimuth) {
    return json({"path", "--profile", csv, "--lat", "51.4", "--freq", "1.8", "--pattern", kPanel, "--azimuth",
                 azimuth, "--json"});
  };
  const auto j = toward("45");
  const double elevation = j["theta_t"].get<double>() / 1000.0 * 180.0 / M_PI;
  EXPECT_NEAR(j["link"]["tx_gain_toward_dBi"].get<double>(), 17.5 - panel().attenuationDb(0.0, -elevation), 1e-9);
  EXPECT_EQ(toward("200")["link"], j["link"]);
}

TEST_F(LinkCli, LinkOptionMistakes) {
  const TempDir bad;
  const std::string broken = (bad.path() / "broken.msi").string();
  std::ofstream(broken) << "NAME x\nHORIZONTAL 2\n0 0\nninety 3\n";
  struct Case {
    std::vector<std::string> options;
    const char* message;
  } cases[] = {
      {{"--power", "10"}, "unit"},                      // the unit must be written
      {{"--power", "20000kW"}, "power must be from"},   // beyond 100 dBm
      {{"--tx-gain", "12dBx"}, "--tx-gain"},
      {{"--rx-downtilt", "3"}, "--rx-azimuth"},         // a tilt without an azimuth to keep
      {{"--azimuth", "361"}, "--azimuth"},
      {{"--pattern", broken}, "line 4"},
  };
  for (const Case& c : cases) {
    const auto r = RunCli(path(9.0, 40.0, c.options));
    EXPECT_EQ(r.status, 2) << c.options[0];
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

// ---- Maps ----

class LinkMaps : public LinkCli {
 protected:
  std::vector<std::string> coverage(std::vector<std::string> more) const {
    std::vector<std::string> args = {"coverage", "--tx", "51.42 -1.55", "--format", "deg", "--terrain",
                                     dir_->str(), "--climate", dir_->str(), "--threads", "2", "--resolution",
                                     "10", "--size", "250", "--freq", "1.8", "--tx-height", "60"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }
  std::string file(const std::string& name) const { return (out_.path() / name).string(); }
  TempDir out_;
};

TEST_F(LinkMaps, FieldStrengthMapIsTheLossMapThroughTheBudget) {
  const std::vector<std::string> link = {"--power", "20W", "--tx-feeder-loss", "2", "--pattern", kPanel,
                                         "--azimuth", "120", "--downtilt", "3"};
  auto args = coverage({"--geotiff", file("loss.tif")});
  args.insert(args.end(), link.begin(), link.end());
  ASSERT_EQ(RunCli(args).status, 0);
  args = coverage({"--quantity", "field", "--geotiff", file("field.tif"), "--json"});
  args.insert(args.end(), link.begin(), link.end());
  const auto r = RunCli(args);
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["quantity"], "field");
  EXPECT_EQ(j["unit"], "dBuV/m");

  Dataset lossFile = Open(file("loss.tif")), fieldFile = Open(file("field.tif"));
  ASSERT_TRUE(lossFile && fieldFile);
  // The unit and what the band holds, as gdalinfo shows them; the loss file as it always was.
  GDALRasterBand* band = fieldFile->GetRasterBand(1);
  EXPECT_STREQ(band->GetUnitType(), "dBuV/m");
  EXPECT_STREQ(band->GetDescription(), "field strength (dBuV/m)");
  EXPECT_STREQ(fieldFile->GetMetadataItem("QUANTITY"), "field");
  EXPECT_STREQ(fieldFile->GetMetadataItem("TX_POWER_DBM"), "43.01029996");
  EXPECT_STREQ(lossFile->GetRasterBand(1)->GetUnitType(), "");
  EXPECT_STREQ(lossFile->GetRasterBand(1)->GetDescription(), "basic transmission loss with gaseous loss (dB)");
  EXPECT_EQ(lossFile->GetMetadataItem("QUANTITY"), nullptr);

  // Each pixel: the loss pixel through the budget, the geometry of its path
  // taken from a model run of its own.
  const CLocator tx(51.42, -1.55);
  const CoverageGrid grid = CoverageGridFor(tx, 10.0, 10, 250, 250);
  const std::vector<float> losses = Pixels(*lossFile), fields = Pixels(*fieldFile);
  ASSERT_EQ(losses.size(), static_cast<std::size_t>(grid.n * grid.n));
  LinkRecord record;
  ASSERT_TRUE(ParsePower("20W", record.powerDbm));
  record.tx.feederLossDb = 2.0;
  record.tx.pattern = panel();
  record.tx.azimuthDeg = 120.0;
  record.tx.downtiltDeg = 3.0;
  CTerrain model;
  CSRTM terrain(9, dir_->str());
  CZONES zones(dir_->str());
  CoverageInputs inputs;
  inputs.model.frequency = 1.8;
  inputs.model.txHeight = 60.0;
  inputs.gasPerKm = SpecificAttenuation(1.8, 1000, 20, WaterVapourDensity(40, 20, true));
  int compared = 0;
  double worst = 0.0;
  for (int y = 0; y < grid.n; ++y)
    for (int x = 0; x < grid.n; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * grid.n + x;
      if (losses[i] == static_cast<float>(kGeoTiffNoData)) {
        EXPECT_EQ(fields[i], losses[i]);
        continue;
      }
      double loss = 0.0;
      ASSERT_TRUE(
          CoveragePointLoss(model, terrain, zones, tx, grid.latitude(y), grid.longitude(x), inputs, loss));
      CPath greatCircle;
      greatCircle.setEnds(tx, grid.latitude(y), grid.longitude(x));
      LinkGeometry g;
      double rangeKm = 0.0;
      greatCircle.rangeBearing(rangeKm, g.bearingFromTxDeg);
      g.txElevationDeg = model.results().theta_t / 1000.0 * 180.0 / M_PI;
      const double expected = LinkQuantityAt(record, LinkQuantity::Field, losses[i], 1.8, g);
      worst = std::max(worst, std::abs(fields[i] - expected));
      ++compared;
    }
  EXPECT_EQ(compared, grid.n * grid.n);  // n = 25 is odd: no sample falls on the transmitter
  EXPECT_LT(worst, 1e-3);
  RecordProperty("worst_dB", std::to_string(worst));
}

TEST_F(LinkMaps, PowerMapAndScaleMistakes) {
  const auto r = RunCli(coverage({"--quantity", "power", "--style", "mono", "--scale", file("scale.png"), "--out",
                                  file("map.png"), "--json"}));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(nlohmann::json::parse(r.out)["unit"], "dBm");
  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{"--quantity", "power", "--max-loss", "150"},
        std::vector<std::string>{"--quantity", "power", "--scale-max", "101"},
        std::vector<std::string>{"--quantity", "loss", "--scale-min", "-1"},
        std::vector<std::string>{"--quantity", "snr"}}) {
    const auto bad = RunCli(coverage(wrong));
    EXPECT_EQ(bad.status, 2) << wrong.back();
  }
}

}  // namespace
}  // namespace tarnvale
