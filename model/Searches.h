#pragma once
// Searches over the samples of a profile that every coverage point runs, two
// samples at a time on x86-64, with exactly the results of the plain loops.
#include <algorithm>
#include <cmath>
#include <limits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnvale::search {

// The search `if (v[i] >= m) { m = v[i]; k = i; }` over first..last, starting
// from @p maximum: the last index holding the greatest value that is at
// least @p maximum (then also the new @p maximum), or -1. On x86-64 the two
// halves of the run (even and odd indices) are searched side by side and
// joined: the greatest value wins, between equal ones the later index, which
// is exactly what the single search finds.
inline int LastGreatest(const double* v, int first, int last, double& maximum) {
  double m = maximum;
  int k = -1;
  int i = first;
#if defined(__SSE2__)
  if (last - first + 1 >= 4) {
    __m128d best = _mm_set1_pd(m);
    __m128d where = _mm_set1_pd(-1.0);  // indices, exact as doubles
    __m128d index = _mm_set_pd(i + 1.0, i);
    const __m128d step = _mm_set1_pd(2.0);
    for (; i + 1 <= last; i += 2) {
      const __m128d value = _mm_loadu_pd(v + i);
      const __m128d take = _mm_cmpge_pd(value, best);
      best = _mm_or_pd(_mm_and_pd(take, value), _mm_andnot_pd(take, best));
      where = _mm_or_pd(_mm_and_pd(take, index), _mm_andnot_pd(take, where));
      index = _mm_add_pd(index, step);
    }
    double lanes[2], at[2];
    _mm_storeu_pd(lanes, best);
    _mm_storeu_pd(at, where);
    const int lane = (lanes[0] > lanes[1] || (lanes[0] == lanes[1] && at[0] > at[1])) ? 0 : 1;
    m = lanes[lane];
    k = static_cast<int>(at[lane]);
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
// comparisons), so on x86-64 two are taken at a time.
inline double GreatestFinite(const double* v, int first, int last) {
  constexpr double kNone = -std::numeric_limits<double>::infinity();
  double greatest = kNone;
  int i = first;
#if defined(__SSE2__)
  const __m128d none = _mm_set1_pd(kNone);
  const __m128d infinity = _mm_set1_pd(std::numeric_limits<double>::infinity());
  const __m128d absMask = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffffLL));
  __m128d lanes = none;
  for (; i + 1 <= last; i += 2) {
    const __m128d value = _mm_loadu_pd(v + i);
    const __m128d finite = _mm_cmplt_pd(_mm_and_pd(value, absMask), infinity);  // false for NaN too
    lanes = _mm_max_pd(lanes, _mm_or_pd(_mm_and_pd(finite, value), _mm_andnot_pd(finite, none)));
  }
  double both[2];
  _mm_storeu_pd(both, lanes);
  greatest = std::max(both[0], both[1]);
#endif
  for (; i <= last; ++i)
    if (std::isfinite(v[i]) && v[i] > greatest) greatest = v[i];
  return greatest;
}

}  // namespace tarnvale::search
