#include "exports/GdalModule.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace tarnvale::gdal {

namespace {

struct Loaded {
  const GdalApi* api = nullptr;
  std::string error;
};

/// The folder of the file that holds this code: the program, or the Python
/// module that carries the core.
std::filesystem::path ownFolder() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<const void*>(&ownFolder), &info) != 0 && info.dli_fname && *info.dli_fname) {
    std::error_code ec;
    const std::filesystem::path own = std::filesystem::canonical(info.dli_fname, ec);
    if (!ec) return own.parent_path();
  }
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe.parent_path();
}

std::filesystem::path modulePath() {
  if (const char* path = std::getenv("TARNVALE_GDAL_MODULE"); path && *path) return path;
  const std::filesystem::path own = ownFolder();
  if (own.empty()) return kGdalModuleFile;  // left to the loader's own search
  // The module lies in <prefix>/<libdir>/tarnvale: one folder up from a
  // program in <prefix>/bin (or the build tree's python/), three up from the
  // Python module in <prefix>/lib/python3*/dist-packages.
  std::filesystem::path up = own;
  for (int level = 0; level < 3; ++level) {
    up = up.parent_path();
    const std::filesystem::path candidate = up / TARNVALE_GDAL_MODULE_DIR / kGdalModuleFile;
    std::error_code ec;
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
  }
  return own / TARNVALE_GDAL_MODULE_RELDIR / kGdalModuleFile;
}

Loaded load() {
  Loaded result;
  const std::filesystem::path path = modulePath();
  // Never closed: GDAL keeps its drivers registered for the life of the process.
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = ::dlerror();
    result.error = "the GDAL module could not be loaded (" + std::string(why ? why : path.string()) + ")";
    return result;
  }
  using Entry = const GdalApi* (*)();
  const auto entry = reinterpret_cast<Entry>(::dlsym(handle, kGdalApiSymbol));
  const GdalApi* api = entry ? entry() : nullptr;
  if (!api || api->version != GdalApi::kVersion || !api->writeCoverageGeoTiff || !api->makeMosaic ||
      !api->importDem || !api->joinCoverageParts) {
    result.error = "the GDAL module " + path.string() + " does not belong to this program";
    return result;
  }
  result.api = api;
  return result;
}

}  // namespace

const GdalApi* Api(std::string& error) {
  static std::once_flag once;
  static Loaded loaded;
  std::call_once(once, [] { loaded = load(); });
  error = loaded.error;
  return loaded.api;
}

bool WriteCoverageGeoTiff(const std::string& path, const CoverageGrid& grid, const CoverageValues& values,
                          std::string& error, const std::vector<std::pair<std::string, std::string>>& metadata,
                          const CoverageBand& band) {
  const GdalApi* api = Api(error);
  return api && api->writeCoverageGeoTiff(path, grid, values, error, metadata, band);
}

MosaicResult MakeMosaic(const MosaicOptions& options) {
  MosaicResult result;
  const GdalApi* api = Api(result.error);
  if (!api) return result;
  return api->makeMosaic(options);
}

ImportResult ImportDem(const std::vector<std::string>& inputs, const std::string& outDirectory,
                       const ImportProgress& progress) {
  ImportResult result;
  const GdalApi* api = Api(result.error);
  if (!api) return result;
  return api->importDem(inputs, outDirectory, progress);
}

CoverageJoinResult JoinCoverageParts(const std::vector<std::string>& parts, const std::string& out) {
  CoverageJoinResult result;
  const GdalApi* api = Api(result.error);
  if (!api) return result;
  return api->joinCoverageParts(parts, out);
}

}  // namespace tarnvale::gdal
