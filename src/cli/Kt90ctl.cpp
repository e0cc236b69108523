#include <CLI/CLI.hpp>
#include <cstring>

#include "cli/Commands.h"
#include "cli/FileUnlock.h"
#include "cli/Json.h"
#include "core/base/Encoding.h"
#include "core/base/ProgramVersion.h"

namespace kt90 {

namespace {

bool wantsJson(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0 || std::strncmp(argv[i], "--json=", 7) == 0) return true;
  }
  return false;
}

}  // namespace

int runKt90ctl(int argc, char** argv) {
  CLI::App app{"KT90 programmer control"};
  // "/path" is a path on every platform, never an option.
  app.allow_windows_style_options(false);
  app.footer(
      "Exit codes: 0 success, 1 failure, 2 wrong usage. With --json (anywhere on the line) every\n"
      "outcome of every command is one JSON object on standard output with \"ok\"; a failure, wrong\n"
      "usage included, has \"ok\": false and an \"error\" text saying why.\n\n" +
      protectionHelp());
  app.set_version_flag("--version", std::string("kt90ctl ") + kProgramVersion);
  app.require_subcommand(1);
  // Usage errors may echo a file name given on the line: standard error stays UTF-8.
  app.failure_message([](const CLI::App* failed, const CLI::Error& error) {
    return escapeInvalidUtf8(CLI::FailureMessage::simple(failed, error));
  });
  // Global options may also follow the command: "kt90ctl chips --lang zh".
  app.fallthrough();
  CliOptions options;
  app.add_option("--data-dir", options.dataDir, "Program directory (chip definitions, CIF, settings)");
  app.add_option("--lang", options.language, "Language of chip definitions and messages")
      ->check(CLI::IsMember({"en", "zh"}));
  addJsonFlag(app, options);
  app.add_option("--journal", options.journal,
                 "Production journal file, postgresql://USER@HOST:PORT/DB server, or \"off\" (default: "
                 "journal.sqlite in the user's data folder)");
  app.add_option("--station", options.station,
                 "The station name records carry as host (default: KT90_STATION, else the computer's name)");
  app.add_flag("--journal-strict", options.journalStrict,
               "An operation whose record cannot be stored in the journal fails");
  int exitCode = kExitOk;
  addChipCommands(app, options, exitCode);
  addFileCommands(app, options, exitCode);
  addDeviceCommands(app, options, exitCode);
  addJournalCommand(app, options, exitCode);
  addSerialsCommand(app, options, exitCode);
  // --json anywhere on the line, even where the parser takes it for an option's value,
  // asks for the one JSON object.
  options.json = wantsJson(argc, argv);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    if (options.json) printJson(failureJson(e.what()));
    return kExitUsage;
  } catch (const CommandFailure& failure) {
    reportFailure(failure, options.json);
    return failure.exitCode();
  } catch (const std::exception& e) {
    reportFailure(CommandFailure(kExitFailed, e.what()), options.json);
    return kExitFailed;
  }
  return exitCode;
}

}  // namespace kt90
