// The entry point of the GDAL module: a table of its functions.
#include "exports/CoverageJoin.h"
#include "exports/GdalModule.h"
#include "exports/GeoTiff.h"
#include "exports/Mosaic.h"

extern "C" __attribute__((visibility("default"))) const tarnvale::GdalApi* tarnvale_gdal_api() {
  static const tarnvale::GdalApi api = [] {
    tarnvale::GdalApi a;
    a.writeCoverageGeoTiff = &tarnvale::WriteCoverageGeoTiff;
    a.makeMosaic = &tarnvale::MakeMosaic;
    a.importDem = &tarnvale::ImportDem;
    a.joinCoverageParts = &tarnvale::JoinCoverageParts;
    return a;
  }();
  return &api;
}
