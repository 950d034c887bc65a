#pragma once
// tarnvale-cli: the command-line front end on the same core as the desktop program.
#include <ostream>
#include <string>
#include <vector>

namespace tarnvale::cli {

/// Exit statuses of every subcommand.
enum ExitStatus : int {
  kExitOk = 0,
  kExitInvalid = 1,  ///< the input was understood but is not valid (bad location, path too short)
  kExitUsage = 2,    ///< wrong usage: unknown option, missing argument, bad value
};

/// Runs the command line @p args (args[0] is the program name), writing
/// results to @p out and messages to @p err; returns the exit status.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tarnvale::cli
