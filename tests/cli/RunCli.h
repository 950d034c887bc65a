#pragma once
// Runs tarnvale-cli in process, as the shell would call it.
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace tarnvale::test {

struct CliResult {
  int status;
  std::string out;
  std::string err;
};

/// @p args without the program name.
inline CliResult RunCli(std::vector<std::string> args) {
  args.insert(args.begin(), "tarnvale-cli");
  std::ostringstream out, err;
  const int status = cli::run(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace tarnvale::test
