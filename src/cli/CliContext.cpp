#include "cli/CliContext.h"

#include <cstdlib>
#include <filesystem>

#include "cli/Json.h"
#include "core/app/OpenProgramFile.h"
#include "core/app/ProgramDir.h"
#include "core/app/WritableFiles.h"
#include "core/base/Encoding.h"
#include "core/base/FileIo.h"
#include "core/journal/JournalLocation.h"
#include "core/text/Language.h"

namespace kt90 {

std::string resolveDataDir(const std::string& explicitDir) {
  const std::string exe = executableDir();
  return findProgramDir(explicitDir.empty() ? std::nullopt : std::optional<std::string>(explicitDir),
                        std::getenv("KT90_DATA_DIR"), exe, {installedProgramDir(exe)});
}

CliSession::CliSession(const CliOptions& options, std::FILE* logStream) : host_(logStream) {
  profile_.writeInt(profile::kLanguage, options.language == "zh" ? kChinese : kEnglish);
  chooseStationName(options.station, std::getenv("KT90_STATION"));
  state_ = std::make_unique<WorkingState>(host_, profile_, resolveDataDir(options.dataDir));
  state_->start();
  if (journalPath(options)) {
    journal_ = openJournal(options, JournalAccess::Append);
    state_->setJournal(journal_.get());
    state_->setJournalStrict(options.journalStrict);
  }
}

std::unique_ptr<JournalStore> openJournal(const CliOptions& options, JournalAccess access) {
  const std::optional<std::string> location = journalPath(options);
  if (!location) throw CommandFailure(kExitFailed, "the production journal is off");
  // A journal on a server keeps its records first in the station's own journal file.
  JournalOpen open = openJournalStore(
      *location, access, journalLocation(std::nullopt, nullptr, userDataDir(currentUserEnvironment())).value_or(""));
  if (!open.store) throw CommandFailure(kExitFailed, open.error);
  return std::move(open.store);
}

std::optional<std::string> journalPath(const CliOptions& options) {
  return journalLocation(options.journal, std::getenv("KT90_JOURNAL"), userDataDir(currentUserEnvironment()));
}

void CliSession::selectChip(const std::string& model, int exitCode) {
  if (!state_->selectChipModel(model)) throw CommandFailure(exitCode, "unknown chip model: " + model);
  const std::size_t mark = host_.saidCount();
  if (!state_->loadChipDefinition(true)) {
    const std::string why = host_.lastSaidSince(mark);
    throw CommandFailure(exitCode, "cannot load the chip definition of " + model + (why.empty() ? "" : ": " + why));
  }
}

void CliSession::openProgram(const std::string& path) {
  const std::size_t mark = host_.saidCount();
  if (openProgramFile(*state_, path)) return;
  const std::string why = host_.lastSaidSince(mark);
  throw CommandFailure(kExitFailed, "cannot load " + path + (why.empty() ? "" : ": " + why));
}

void reportFailure(const CommandFailure& failure, bool json) {
  if (json) {
    printJson(failureJson(failure.what()));
  } else {
    std::fprintf(stderr, "%s\n", escapeInvalidUtf8(failure.what()).c_str());
  }
}

}  // namespace kt90
