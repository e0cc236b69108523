#pragma once
#include <string>

#include "core/app/PortSelection.h"
#include "core/app/ProfileStore.h"
#include "core/base/Reporter.h"
#include "core/text/Language.h"

namespace kt90 {

// What the program's shell keeps beside the working state: the update-check switch, a
// restart the language commands asked for, and the port choice.
class ShellState {
 public:
  ShellState(ProfileStore& profile, std::string programDir, bool updateCheckOff)
      : profile_(profile), programDir_(std::move(programDir)), updateCheckOff_(updateCheckOff) {}

  // "Close Updata": flips the switch and writes "CloseUpdata" (1 off, 0 on) to the
  // settings file (the user's copy when the program directory is not writable, which
  // `reporter` is told); the mark follows the switch even when the file cannot be
  // written. Returns whether the file was written.
  bool toggleUpdateCheck(Reporter* reporter = nullptr, LanguageId language = kEnglish);
  bool updateCheckOff() const { return updateCheckOff_; }

  // A language command: stores the language and asks for a restart, also for the
  // language already running.
  void chooseLanguage(LanguageId language);
  bool restartPending() const { return restartPending_; }

  PortSelection& ports() { return ports_; }
  const PortSelection& ports() const { return ports_; }
  ProfileStore& profile() { return profile_; }
  const std::string& programDir() const { return programDir_; }

 private:
  ProfileStore& profile_;
  std::string programDir_;
  bool updateCheckOff_ = true;
  bool restartPending_ = false;
  PortSelection ports_;
};

// The guide the Help menu opens: DOC/help.pdf of the program directory, else of the program
// itself (its build tree or its installed data folder), so a program directory given with
// --data-dir that has no DOC still finds it; the program directory's path when none is there.
std::string helpDocumentPath(const std::string& programDir, const std::string& executableDir);
// The driver installer the Help menu opens, below the program directory.
std::string driverInstallerPath(const std::string& programDir);
// The udev set-up that "Install Driver" runs where there is no Windows installer.
std::string driverSetupScriptPath(const std::string& programDir);

}  // namespace kt90
