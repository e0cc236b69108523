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

void Session::useJournal(std::optional<std::string> path) {
  journalPath_ = std::move(path);
  journal_ = journalPath_ ? std::make_unique<JournalFile>(*journalPath_) : nullptr;
  state_.setJournal(journal_.get());
}

QString Session::emulatorStateFile() const {
  if (options_.emulatorState) return QString::fromStdString(*options_.emulatorState);
  return defaultEmulatorStateFile();
}

}  // namespace kt90::gui
