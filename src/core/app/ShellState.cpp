#include "core/app/ShellState.h"

#include "core/app/ProgramDir.h"
#include "core/app/Settings.h"
#include "core/base/FileIo.h"

namespace kt90 {

bool ShellState::toggleUpdateCheck(Reporter* reporter, LanguageId language) {
  updateCheckOff_ = !updateCheckOff_;
  const WritableFiles files = WritableFiles::forProgramDir(programDir_);
  const auto written = writeCloseUpdata(files, updateCheckOff_);
  if (written && reporter) {
    const std::string where = files.whereLine(*written, language);
    if (!where.empty()) reporter->log(where);
  }
  return written.has_value();
}

void ShellState::chooseLanguage(LanguageId language) {
  profile_.writeInt(profile::kLanguage, language);
  restartPending_ = true;
}

std::string helpDocumentPath(const std::string& programDir, const std::string& executableDir) {
  constexpr const char* kGuide = "/DOC/help.pdf";
  for (const std::string& dir : {programDir, executableDir, installedProgramDir(executableDir)}) {
    if (regularFileProblem(pathFromUtf8(dir + kGuide)) == ReadProblem::None) return dir + kGuide;
  }
  return programDir + kGuide;
}

std::string driverInstallerPath(const std::string& programDir) { return programDir + "/Driver/driver_install.exe"; }

std::string driverSetupScriptPath(const std::string& programDir) { return programDir + "/Driver/install-driver.sh"; }

}  // namespace kt90
