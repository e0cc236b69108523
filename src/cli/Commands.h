#pragma once
#include <CLI/CLI.hpp>

#include "cli/CliContext.h"

namespace kt90 {

// kt90ctl with its arguments as UTF-8; returns the exit code.
int runKt90ctl(int argc, char** argv);

// --json on `command` (and on the whole line): the outcome as one JSON object with "ok" on
// standard output, a failure as {"ok": false, "error": why}.
inline CLI::Option* addJsonFlag(CLI::App& command, CliOptions& options) {
  return command.add_flag("--json", options.json, "Print the outcome as one JSON object with \"ok\"");
}

// Each group of commands adds its subcommands to the app; the callback stores the exit
// code of the command that ran.
void addChipCommands(CLI::App& app, CliOptions& options, int& exitCode);
void addFileCommands(CLI::App& app, CliOptions& options, int& exitCode);
// Commands that reach a programmer (--port NAME or --sim STATEFILE).
void addDeviceCommands(CLI::App& app, CliOptions& options, int& exitCode);
// The production journal's records and yield summary.
void addJournalCommand(CLI::App& app, CliOptions& options, int& exitCode);
// The serial ledger: each rolling-code series with its next free serial and its blocks.
void addSerialsCommand(CLI::App& app, CliOptions& options, int& exitCode);

}  // namespace kt90
