#pragma once
// The --model option and the inputs of ITU-R P.452-18 alone, as path,
// mechanisms and coverage take them, with the model's own limits.
#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "model/ModelChoice.h"

namespace tarnvale::cli {

/// A finite number within @p limits (bounds included), named in the message.
CLI::Validator Within(const InputLimits& limits);

/// Adds --model, --polarisation, --clutter-height, --dct and --dcr to @p cmd
/// (the antenna gains are the link options'). @p clutterHelp describes --clutter-height.
/// @return the options that apply to --model p452-18 only
std::vector<CLI::Option*> AddModelOptions(CLI::App* cmd, ModelOptions& options, const std::string& clutterHelp);

/// Throws CLI::ValidationError for an option of @p p452Only given without
/// --model p452-18.
void RefuseP452OnlyOptions(const std::vector<CLI::Option*>& p452Only, const ModelOptions& options);

/// P.452-18's own frequency and time-percentage bounds: outside them, a
/// message and kExitUsage; kExitOk otherwise.
int CheckP452Radio(double frequencyGHz, double percent, Io& io);

}  // namespace tarnvale::cli
