#pragma once
#include <QString>
#include <memory>
#include <optional>

#include "core/app/ShellState.h"
#include "core/app/WorkingState.h"
#include "core/journal/JournalStore.h"
#include "core/programmer/OperationGuard.h"
#include "gui/CommandLine.h"
#include "gui/OperationRunner.h"
#include "gui/UiHost.h"

namespace kt90::gui {

// Everything that lives as long as the program, beside and beyond the window: the
// working state with its host, the shell state, the operation guard and the workers.
// The window is a view of it; the workers use it, never the window, so closing the
// window can never pull the working state from under a worker. Members are destroyed
// in reverse order: the runner (which waits for its workers) before the state.
class Session {
 public:
  Session(ProfileStore& profile, std::string programDir, GuiOptions options);
  ~Session();

  UiHost& host() { return host_; }
  WorkingState& state() { return state_; }
  // Made by the start of the window, once the settings are read.
  ShellState& shell() { return *shell_; }
  void makeShell();
  OperationGuard& guard() { return guard_; }
  OperationRunner& runner() { return *runner_; }
  ProfileStore& profile() { return profile_; }
  const GuiOptions& options() const { return options_; }
  QString emulatorStateFile() const;
  // Starts the production journal of this run (none when off); the window's view reads it.
  // A journal that cannot be used (its folder is missing) records nothing: journalError says why.
  void useJournal(std::optional<std::string> location);
  const std::optional<std::string>& journalPath() const { return journalPath_; }
  const std::string& journalError() const { return journalError_; }
  // The window's setting: an operation whose record is lost ends Failed.
  bool journalStrict() const { return state_.journalStrict(); }
  void setJournalStrict(bool strict);

 private:
  ProfileStore& profile_;
  GuiOptions options_;
  UiHost host_;
  std::optional<std::string> journalPath_;
  std::string journalError_;
  std::unique_ptr<JournalStore> journal_;
  WorkingState state_;
  std::optional<ShellState> shell_;
  OperationGuard guard_;
  std::unique_ptr<OperationRunner> runner_;
};

}  // namespace kt90::gui
