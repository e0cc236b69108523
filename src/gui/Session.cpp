#include "gui/Session.h"

#include <cstdlib>

#include "core/app/ProfileStore.h"
#include "core/app/WritableFiles.h"
#include "core/journal/JournalLocation.h"
#include "gui/DeviceConnection.h"

namespace kt90::gui {

Session::Session(ProfileStore& profile, std::string programDir, GuiOptions options)
    : profile_(profile),
      options_(std::move(options)),
      state_(host_, profile, std::move(programDir)),
      runner_(std::make_unique<OperationRunner>()) {}

Session::~Session() {
  runner_->waitForAll();
  runner_.reset();
}

void Session::makeShell() { shell_.emplace(profile_, state_.programDir(), state_.settings().updateCheckOff); }

void Session::useJournal(std::optional<std::string> path) {
  journalPath_ = std::move(path);
  journal_ = journalPath_ ? std::make_unique<JournalFile>(*journalPath_) : nullptr;
  state_.setJournal(journal_.get());
}

void Session::chooseJournal() {
  const auto saved = [this](const char* key, const std::optional<std::string>& option, const char* environment) {
    if (option || (environment && *environment)) return option;
    const std::string value = profile_.readString(key, "");
    return value.empty() ? option : std::optional<std::string>(value);
  };
  const char* station = std::getenv("KT90_STATION");
  chooseStationName(saved(profile::kStation, options_.station, station), station);
  const char* journal = std::getenv("KT90_JOURNAL");
  useJournal(journalLocation(saved(profile::kJournalLocation, options_.journal, journal), journal,
                             userDataDir(currentUserEnvironment())));
}

QString Session::emulatorStateFile() const {
  if (options_.emulatorState) return QString::fromStdString(*options_.emulatorState);
  return defaultEmulatorStateFile();
}

}  // namespace kt90::gui
