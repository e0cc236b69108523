#include "gui/Session.h"

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
    JournalOpen open = openJournalStore(*journalPath_, JournalAccess::Append);
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

QString Session::emulatorStateFile() const {
  if (options_.emulatorState) return QString::fromStdString(*options_.emulatorState);
  return defaultEmulatorStateFile();
}

}  // namespace kt90::gui
