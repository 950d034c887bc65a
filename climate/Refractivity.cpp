#include "climate/Refractivity.h"

#include <exception>
#include <thread>
#include <utility>
#include <vector>

namespace tarnvale {

using climate::kGridA;
using climate::kGridB;
using climate::kPercentageMargin;

const std::array<ClimateGrid, CRefractivity::kMapCount>& CRefractivity::Descriptors() {
  static const std::array<ClimateGrid, kMapCount> table = {
      ClimateGrid("DNDZ_90.TXT", 90.0, kGridA),   ClimateGrid("DNDZ_50.TXT", 50.0, kGridA),
      ClimateGrid("DNDZ_10.TXT", 10.0, kGridA),   ClimateGrid("DNDZ_01.TXT", 0.01, kGridA),
      ClimateGrid("ESATEMP.TXT", 50.0, kGridA),   ClimateGrid("ESANWET.TXT", 50.0, kGridA),
      ClimateGrid("S_OCCUR.TXT", 50.0, kGridA),   ClimateGrid("S_THICK.TXT", 50.0, kGridA),
      ClimateGrid("S_STREN.TXT", 50.0, kGridA),   ClimateGrid("E_OCCUR.TXT", 0.0, kGridA),
      ClimateGrid("E_THICK.TXT", 50.0, kGridA),   ClimateGrid("E_STREN.TXT", 50.0, kGridA),
      ClimateGrid("E_base.TXT", 50.0, kGridA),    ClimateGrid("E__MAX_m.TXT", 50.0, kGridA),
      ClimateGrid("n0.txt", 50.0, kGridB),        ClimateGrid("dn.txt", 50.0, kGridB),
  };
  return table;
}

CRefractivity::CRefractivity(std::filesystem::path directory)
    : directory_(std::move(directory)), grids_(Descriptors()) {}

bool CRefractivity::load(int map) const {
  if (map < 0 || map >= kMapCount) return false;
  if (loaded_[map].load(std::memory_order_acquire)) return true;
  const std::lock_guard<std::mutex> lock(loadMutexes_[map]);
  if (loaded_[map].load(std::memory_order_relaxed)) return true;
  if (!grids_[map].load(directory_)) return false;
  loaded_[map].store(true, std::memory_order_release);
  return true;
}

bool CRefractivity::loadTogether(std::initializer_list<Map> maps) const {
  std::vector<Map> pending;
  for (const Map map : maps) {
    if (map < 0 || map >= kMapCount) return false;
    if (!isLoaded(map)) pending.push_back(map);
  }
  // The first map is read on this thread, every other on one of its own.
  std::vector<std::thread> readers;
  std::vector<Map> here(pending.begin(), pending.begin() + (pending.empty() ? 0 : 1));
  for (std::size_t i = 1; i < pending.size(); ++i) {
    try {
      readers.emplace_back([this, map = pending[i]] { load(map); });
    } catch (const std::exception&) {  // no thread to be had: read it here
      here.push_back(pending[i]);
    }
  }
  for (const Map map : here) load(map);
  for (std::thread& reader : readers) reader.join();
  for (const Map map : maps)
    if (!isLoaded(map)) return false;
  return true;
}

bool CRefractivity::isLoaded(int map) const {
  return map >= 0 && map < kMapCount && loaded_[map].load(std::memory_order_acquire);
}

bool CRefractivity::valueAt(int map, double latitude, double longitude, bool interpolate, double& value) const {
  if (!load(map)) return false;
  return grids_[map].valueAt(latitude, longitude, interpolate, value);
}

CRefractivity::Map CRefractivity::gradientMap(double percent) {
  for (const Map map : {kGradient90, kGradient50, kGradient10, kGradient001})
    if (percent + kPercentageMargin > Descriptors()[map].percentage) return map;
  return kGradient90;
}

bool CRefractivity::gradientAt(double percent, double latitude, double longitude, double& value) const {
  return valueAt(gradientMap(percent), latitude, longitude, true, value);
}

bool CRefractivity::surfaceDuctAt(double latitude, double longitude, bool interpolate, double& value) const {
  return valueAt(kSurfaceDuct, latitude, longitude, interpolate, value);
}

bool CRefractivity::elevatedDuctAt(double latitude, double longitude, bool interpolate, double& value) const {
  return valueAt(kElevatedDuct, latitude, longitude, interpolate, value);
}

bool CRefractivity::n0At(double latitude, double longitude, bool interpolate, double& value) const {
  return valueAt(kN0, latitude, longitude, interpolate, value);
}

bool CRefractivity::dnAt(double latitude, double longitude, bool interpolate, double& value) const {
  return valueAt(kDeltaN, latitude, longitude, interpolate, value);
}

}  // namespace tarnvale
