#include "core/app/ShellState.h"

#include "core/app/Settings.h"
#include "core/chip/CIniFile.h"

namespace kt90 {

bool ShellState::toggleUpdateCheck() {
  updateCheckOff_ = !updateCheckOff_;
  return CIniFile(settingsPath(programDir_)).WriteCloseUpdate(updateCheckOff_ ? 1 : 0);
}

void ShellState::chooseLanguage(LanguageId language) {
  profile_.writeInt(profile::kLanguage, language);
  restartPending_ = true;
}

std::string helpDocumentPath(const std::string& programDir) { return programDir + "/DOC/help.pdf"; }

std::string driverInstallerPath(const std::string& programDir) { return programDir + "/Driver/driver_install.exe"; }

}  // namespace kt90
