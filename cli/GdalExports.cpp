// The entry point of the GDAL module: a table of its functions.
#include "cli/GdalModule.h"
#include "cli/MapExport.h"
#include "cli/MosaicCommand.h"

extern "C" __attribute__((visibility("default"))) const tarnvale::cli::GdalApi* tarnvale_gdal_api() {
  static const tarnvale::cli::GdalApi api = [] {
    tarnvale::cli::GdalApi a;
    a.writeCoverageGeoTiff = &tarnvale::cli::WriteCoverageGeoTiff;
    a.runMosaic = &tarnvale::cli::RunMosaic;
    a.importDem = &tarnvale::ImportDem;
    return a;
  }();
  return &api;
}
