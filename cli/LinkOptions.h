#pragma once
// The link budget's options of path, mechanisms and coverage, read into the
// core's LinkInputs (LinkRecordFrom makes the record of them).

#include "session/LinkSetup.h"

namespace CLI {
class App;
}

namespace tarnvale::cli {

/// The link options as typed: the core's link inputs.
using LinkOptions = LinkInputs;

/// Which options a command takes: every one, or only the antenna gains
/// (--tx-gain, --rx-gain), whose meaning every model shares.
enum class LinkOptionSet { All, GainsOnly };

/// Adds the options to @p cmd; texts are checked as they are parsed, so that
/// a bad power or gain is a usage error naming the option.
void AddLinkOptions(CLI::App* cmd, LinkOptions& options, LinkOptionSet set = LinkOptionSet::All);

}  // namespace tarnvale::cli
