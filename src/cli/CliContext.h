#pragma once
#include <memory>
#include <optional>
#include <string>

#include "cli/TerminalHost.h"
#include "core/app/ProfileStore.h"
#include "core/app/WorkingState.h"
#include "core/journal/JournalFile.h"

namespace kt90 {

// Exit codes of kt90ctl.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Options every command shares, and the working state built from them.
struct CliOptions {
  std::string dataDir;          // --data-dir
  std::string language = "en";  // --lang en|zh
  bool json = false;            // --json
  std::string journal;          // --journal PATH|off
};

// The production journal this run writes and reads; none when it is off.
std::optional<std::string> journalPath(const CliOptions& options);

class CliSession {
 public:
  CliSession(const CliOptions& options, std::FILE* logStream);
  TerminalHost& host() { return host_; }
  WorkingState& state() { return *state_; }
  MemoryProfile& profile() { return profile_; }
  // Loads `model` with a reset; false (with a message on stderr) when it is not a chip
  // of the list.
  bool selectChip(const std::string& model);

 private:
  TerminalHost host_;
  MemoryProfile profile_;
  std::unique_ptr<JournalFile> journal_;
  std::unique_ptr<WorkingState> state_;
};

std::string resolveDataDir(const std::string& explicitDir);
std::string executableDir();

}  // namespace kt90
