#pragma once
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "cli/TerminalHost.h"
#include "core/app/ProfileStore.h"
#include "core/app/WorkingState.h"
#include "core/journal/JournalStore.h"

namespace kt90 {

// Exit codes of kt90ctl.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// A command that cannot go on: why, and the exit code. Said on standard error, or as the
// "error" of the one object a --json command prints.
class CommandFailure : public std::runtime_error {
 public:
  CommandFailure(int exitCode, const std::string& why) : std::runtime_error(why), exitCode_(exitCode) {}
  int exitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

// Options every command shares, and the working state built from them.
struct CliOptions {
  std::string dataDir;          // --data-dir
  std::string language = "en";  // --lang en|zh
  bool json = false;            // --json
  std::string journal;          // --journal PATH|URI|off
  std::string station;          // --station NAME
  bool journalStrict = false;   // --journal-strict
};

// The production journal this run writes and reads; none when it is off.
std::optional<std::string> journalPath(const CliOptions& options);

// The journal opened through its one factory; throws CommandFailure(kExitFailed) when it
// cannot be used, and when it is off.
std::unique_ptr<JournalStore> openJournal(const CliOptions& options, JournalAccess access);

class CliSession {
 public:
  CliSession(const CliOptions& options, std::FILE* logStream);
  TerminalHost& host() { return host_; }
  WorkingState& state() { return *state_; }
  MemoryProfile& profile() { return profile_; }
  // Loads `model` with a reset; throws CommandFailure(exitCode) when it is not a chip of
  // the list or its definition cannot be loaded.
  void selectChip(const std::string& model, int exitCode);
  // Opens a program file as Open does; throws CommandFailure(kExitFailed) with the reason
  // the reader logged when it cannot.
  void openProgram(const std::string& path);

 private:
  TerminalHost host_;
  MemoryProfile profile_;
  std::unique_ptr<JournalStore> journal_;
  std::unique_ptr<WorkingState> state_;
};

// Says why a command failed: on standard error, or as {"ok":false,"error":why} with --json.
void reportFailure(const CommandFailure& failure, bool json);

std::string resolveDataDir(const std::string& explicitDir);
// The folder of the running executable (one file per platform).
std::string executableDir();

}  // namespace kt90
