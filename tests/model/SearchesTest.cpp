// The profile searches against the plain loops they stand for, on runs full
// of ties, signed zeros, infinities and NaNs, at every length and offset.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "model/Searches.h"

namespace tarnvale {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// Runs of up to 40 values drawn from a pool small enough to tie often.
std::vector<std::vector<double>> TieRuns() {
  const double pool[] = {-1.0, 0.0, -0.0, 2.5, 2.5, 7.0, kNaN, kInf, -kInf, -3141.5};
  std::mt19937 random(2026);
  std::vector<std::vector<double>> runs;
  for (int length = 0; length <= 40; ++length)
    for (int trial = 0; trial < 30; ++trial) {
      std::vector<double> run(length);
      for (double& v : run) v = pool[random() % std::size(pool)];
      runs.push_back(run);
    }
  return runs;
}

TEST(ProfileSearches, LastGreatestIsThePlainSearchsIndexAndValue) {
  for (const std::vector<double>& run : TieRuns()) {
    const int n = static_cast<int>(run.size());
    for (int first = 0; first <= std::min(3, n); ++first) {
      for (double start : {-3141.5, 2.5, -kInf}) {
        double plain = start;
        int plainIndex = -1;
        for (int i = first; i < n; ++i)
          if (run[i] >= plain) {
            plain = run[i];
            plainIndex = i;
          }
        double found = start;
        const int index = search::LastGreatest(run.data(), first, n - 1, found);
        ASSERT_EQ(index, plainIndex) << "length " << n << " first " << first << " start " << start;
        ASSERT_EQ(found, plain);
        ASSERT_EQ(std::signbit(found), std::signbit(plain)) << "length " << n << " first " << first;
      }
    }
  }
}

TEST(ProfileSearches, GreatestFiniteSkipsInfinitiesAndNaNs) {
  for (const std::vector<double>& run : TieRuns()) {
    const int n = static_cast<int>(run.size());
    for (int first = 0; first <= std::min(3, n); ++first) {
      double plain = -kInf;
      for (int i = first; i < n; ++i)
        if (std::isfinite(run[i]) && run[i] > plain) plain = run[i];
      ASSERT_EQ(search::GreatestFinite(run.data(), first, n - 1), plain) << "length " << n << " first " << first;
    }
  }
}

}  // namespace
}  // namespace tarnvale
