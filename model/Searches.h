#pragma once
// Searches over the samples of a profile that every coverage point runs, four
// samples at a time, with exactly the results of the plain loops. The four
// lanes are GCC's vector types: one AVX register in the searches' AVX2 builds
// (geo/CpuClones.h), two SSE2 registers elsewhere on x86-64.
#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnvale::search {

#if defined(__GNUC__)
#define TARNVALE_SEARCH_LANES 1
// No function takes or returns these types (that would depend on whether
// AVX is there); they are loaded with a copy and filled with braces.
namespace lanes {
using Doubles = double __attribute__((vector_size(32)));
using Mask = long long __attribute__((vector_size(32)));
}  // namespace lanes
#endif

// The search `if (v[i] >= m) { m = v[i]; k = i; }` over first..last, starting
// from @p maximum: the last index holding the greatest value that is at
// least @p maximum (then also the new @p maximum), or -1. Four interleaved
// quarters of the run (indices of each remainder by 4) are searched side by
// side and joined: the greatest value wins, between equal ones the later
// index, which is exactly what the single search finds.
[[gnu::always_inline]] inline int LastGreatest(const double* v, int first, int last, double& maximum) {
  double m = maximum;
  int k = -1;
  int i = first;
#if defined(TARNVALE_SEARCH_LANES)
  if (last - first + 1 >= 8) {
    using namespace lanes;
    Doubles best = {m, m, m, m};
    Doubles where = {-1.0, -1.0, -1.0, -1.0};  // indices, exact as doubles
    Doubles index = {i + 0.0, i + 1.0, i + 2.0, i + 3.0};
    const Doubles step = {4.0, 4.0, 4.0, 4.0};
    for (; i + 3 <= last; i += 4) {
      Doubles value;
      __builtin_memcpy(&value, v + i, sizeof value);
      const Mask take = value >= best;
      best = take ? value : best;
      where = take ? index : where;
      index += step;
    }
    double bestValue = best[0], bestWhere = where[0];
    for (int lane = 1; lane < 4; ++lane)
      if (best[lane] > bestValue || (best[lane] == bestValue && where[lane] > bestWhere)) {
        bestValue = best[lane];
        bestWhere = where[lane];
      }
    m = bestValue;
    k = static_cast<int>(bestWhere);
  }
#endif
  for (; i <= last; ++i) {
    if (v[i] >= m) {
      m = v[i];
      k = i;
    }
  }
  maximum = m;
  return k;
}

// The greatest finite value of v[first..last], or minus infinity. Order does
// not matter to a maximum of numbers (zeros of either sign only serve in
// comparisons), so four are taken at a time.
[[gnu::always_inline]] inline double GreatestFinite(const double* v, int first, int last) {
  constexpr double kNone = -std::numeric_limits<double>::infinity();
  double greatest = kNone;
  int i = first;
#if defined(TARNVALE_SEARCH_LANES)
  {
    using namespace lanes;
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const Doubles none = {kNone, kNone, kNone, kNone};
    const Doubles infinity = {kInfinity, kInfinity, kInfinity, kInfinity};
    Doubles found = none;
    for (; i + 3 <= last; i += 4) {
      Doubles value;
      __builtin_memcpy(&value, v + i, sizeof value);
      const Mask finite = (value < infinity) & (value > none);  // false for NaN too
      const Doubles candidate = finite ? value : none;
      found = candidate > found ? candidate : found;
    }
    greatest = std::max(std::max(found[0], found[1]), std::max(found[2], found[3]));
  }
#endif
  for (; i <= last; ++i)
    if (std::isfinite(v[i]) && v[i] > greatest) greatest = v[i];
  return greatest;
}

// Calls @p visit(i) for every i of first..last, in order, where v[i] is not
// below @p floor (a NaN never is): four compared at a time, so that runs of
// samples below the floor pass quickly. Always inlined, so that it takes the
// vector width of the build that calls it.
template <typename Visit>
[[gnu::always_inline]] inline void ForEachNotBelow(const double* v, int first, int last, double floor, Visit&& visit) {
  int i = first;
#if defined(TARNVALE_SEARCH_LANES)
  {
    using namespace lanes;
    const Doubles floors = {floor, floor, floor, floor};
    for (; i + 3 <= last; i += 4) {
      Doubles value;
      __builtin_memcpy(&value, v + i, sizeof value);
      const Mask below = value < floors;
      if ((below[0] & below[1] & below[2] & below[3]) != 0) continue;
      for (int lane = 0; lane < 4; ++lane)
        if (!below[lane]) visit(i + lane);
    }
  }
#endif
  for (; i <= last; ++i)
    if (!(v[i] < floor)) visit(i);
}

}  // namespace tarnvale::search
