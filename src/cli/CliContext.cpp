#include "cli/CliContext.h"

#include <cstdlib>
#include <filesystem>

#include "core/app/ProgramDir.h"
#include "core/app/WritableFiles.h"
#include "core/base/FileIo.h"
#include "core/journal/JournalLocation.h"
#include "core/text/Language.h"

namespace kt90 {

std::string executableDir() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return pathToUtf8(std::filesystem::current_path(error));
  return pathToUtf8(self.parent_path());
}

std::string resolveDataDir(const std::string& explicitDir) {
  const std::string exe = executableDir();
  const std::string installed = pathToUtf8(pathFromUtf8(exe).parent_path() / "share" / "kt90");
  return findProgramDir(explicitDir.empty() ? std::nullopt : std::optional<std::string>(explicitDir),
                        std::getenv("KT90_DATA_DIR"), exe, {installed});
}

CliSession::CliSession(const CliOptions& options, std::FILE* logStream) : host_(logStream) {
  profile_.writeInt(profile::kLanguage, options.language == "zh" ? kChinese : kEnglish);
  state_ = std::make_unique<WorkingState>(host_, profile_, resolveDataDir(options.dataDir));
  state_->start();
  if (const auto path = journalPath(options)) {
    journal_ = std::make_unique<JournalFile>(*path);
    state_->setJournal(journal_.get());
  }
}

std::optional<std::string> journalPath(const CliOptions& options) {
  return journalLocation(options.journal, std::getenv("KT90_JOURNAL"), userDataDir(currentUserEnvironment()));
}

bool CliSession::selectChip(const std::string& model) {
  if (!state_->selectChipModel(model)) {
    std::fprintf(stderr, "unknown chip model: %s\n", model.c_str());
    return false;
  }
  return state_->loadChipDefinition(true);
}

}  // namespace kt90
