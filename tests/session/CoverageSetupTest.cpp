// The one job every front end runs for a map.
#include "session/CoverageSetup.h"

#include <gtest/gtest.h>

#include "link/PatternReader.h"

namespace tarnvale::test {
namespace {

TEST(CoverageJobFor, P452MapsOfAnyQuantityCoupleThroughTheLinksAntennas) {
  CoverageRequest request;
  request.transmitter = CLocator(51.35, -1.46);
  request.link.tx.gainDbi = 14.0;
  request.link.rx.gainDbi = 2.0;
  std::string error;
  ASSERT_TRUE(ReadCsvPattern("azimuth_deg,attenuation_dB\n0,0\n180,20\n", request.link.tx.pattern, error)) << error;
  // The classic model's loss map needs no link record.
  const CoverageJob classic = CoverageJobFor(request);
  EXPECT_FALSE(classic.link.tx.pattern.loaded());
  // P.452-18's does, for troposcatter's coupling, and takes its peak gains.
  request.radio.modelChoice.model = PathModel::kP452v18;
  for (LinkQuantity quantity : {LinkQuantity::Loss, LinkQuantity::Power}) {
    request.quantity = quantity;
    const CoverageJob job = CoverageJobFor(request);
    EXPECT_TRUE(job.link.tx.pattern.loaded());
    EXPECT_EQ(job.inputs.choice.txGainDbi, 14.0);
    EXPECT_EQ(job.inputs.choice.rxGainDbi, 2.0);
  }
}

}  // namespace
}  // namespace tarnvale::test
