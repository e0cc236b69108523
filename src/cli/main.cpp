// kt90ctl: the program's operations for scripts and production lines.
#include <CLI/CLI.hpp>

#include "cli/Commands.h"

int main(int argc, char** argv) {
  CLI::App app{"KT90 programmer control"};
  app.require_subcommand(1);
  // Global options may also follow the command: "kt90ctl chips --lang zh".
  app.fallthrough();
  kt90::CliOptions options;
  app.add_option("--data-dir", options.dataDir, "Program directory (chip definitions, CIF, settings)");
  app.add_option("--lang", options.language, "Language of chip definitions and messages")
      ->check(CLI::IsMember({"en", "zh"}));
  app.add_option("--journal", options.journal,
                 "Production journal file, or \"off\" (default: journal.sqlite in the user's data folder)");
  int exitCode = kt90::kExitOk;
  kt90::addChipCommands(app, options, exitCode);
  kt90::addFileCommands(app, options, exitCode);
  kt90::addDeviceCommands(app, options, exitCode);
  kt90::addJournalCommand(app, options, exitCode);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kt90::kExitUsage;
  }
  return exitCode;
}
