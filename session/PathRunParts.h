#pragma once
// The P.452-18 half of the path runs (PathRunP452.cpp), which RunPathReport
// and RunMechanismsReport hand a P.452-18 request to.
#include <cstddef>
#include <nlohmann/json.hpp>
#include <utility>

#include "session/PathRun.h"

namespace tarnvale::pathrun {

/// Most samples of a supplied profile under P.452-18.
inline constexpr std::size_t kP452MaxProfileSamples = 100000;

/// A JSON report where @p output wants it: kept in output.report when set,
/// else printed (2 spaces, a newline after).
inline void Emit(PathRunOutput& output, nlohmann::json report) {
  if (output.report)
    *output.report = std::move(report);
  else
    output.out << report.dump(2) << "\n";
}

int RunP452Path(const PathRequest& request, bool json, PathRunOutput& output);
int RunP452Mechanisms(const PathRequest& request, bool json, PathRunOutput& output);

}  // namespace tarnvale::pathrun
