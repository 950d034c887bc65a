#pragma once
// Hand-built profiles for the model tests.
#include <functional>

#include "terrain/TerrainProfile.h"

namespace tarnvale::test {

/// @p n samples from 0 to @p lastKm at equal spacing, path length @p lengthKm
/// (a sampled path's last sample lies short of the receiver); ground and zone
/// as functions of the distance (km).
inline TerrainProfile MakeProfile(double lengthKm, double lastKm, int n, const std::function<double(double)>& ground,
                                  const std::function<int(double)>& zone) {
  TerrainProfile p;
  p.n = n;
  p.pathLength = lengthKm;
  const double step = lastKm / (n - 1);
  for (int i = 0; i < n; ++i) {
    p.dist[i] = i * step;
    p.height[i] = ground(p.dist[i]);
    p.zone[i] = static_cast<unsigned char>(zone(p.dist[i]));
  }
  return p;
}

inline int Inland(double) { return 3; }
inline int Sea(double) { return 1; }

}  // namespace tarnvale::test
