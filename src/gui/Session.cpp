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

namespace {
constexpr const char* kJournalStrictKey = "JournalStrict";
}  // namespace

void Session::useJournal(std::optional<std::string> location) {
  journalPath_ = std::move(location);
  journal_.reset();
  journalError_.clear();
  if (journalPath_) {
    // A journal on a server keeps its records first in the station's own journal file.
    JournalOpen open =
        openJournalStore(*journalPath_, JournalAccess::Append,
                         journalLocation(std::nullopt, nullptr, userDataDir(currentUserEnvironment())).value_or(""));
    journal_ = std::move(open.store);
    journalError_ = open.error;
  }
  state_.setJournal(journal_.get());
  state_.setJournalStrict(profile_.readInt(kJournalStrictKey, 0) != 0);
}

void Session::setJournalStrict(bool strict) {
  profile_.writeInt(kJournalStrictKey, strict ? 1 : 0);
  state_.setJournalStrict(strict);
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
