// The commands of the main window: each forwards to the core and shows the result.
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>
#include <chrono>
#include <filesystem>

#include "connect/ProgrammerConnection.h"
#include "core/app/LimitCommands.h"
#include "core/app/ModeCommands.h"
#include "core/app/OpenProgramFile.h"
#include "core/app/SaveProgramFile.h"
#include "core/app/SerialCountQuestion.h"
#include "core/app/Settings.h"
#include "core/base/FileIo.h"
#include "core/base/LocalTime.h"
#include "core/journal/JournalOutbox.h"
#include "core/progfile/FileHead.h"
#include "core/progfile/UidBinding.h"
#include "core/programmer/ProgramToWrite.h"
#include "core/text/FileProblem.h"
#include "gui/CKT90EXEDlg.h"
#include "gui/DriverSetup.h"
#include "gui/GuiText.h"
#include "gui/JournalView.h"
#include "gui/MainMenu.h"
#include "gui/dialogs/JournalSettingsDialog.h"
#include "gui/widgets/CQdComboBox.h"

namespace kt90::gui {

void CKT90EXEDlg::command(Control c) {
  WorkingState& state = session_.state();
  // The controls are off while an operation runs; a device operation asked for anyway
  // meets the guard, every other command waits for the state to be free.
  const bool deviceOperation =
      c == Control::Download || c == Control::Upload || c == Control::Read || c == Control::HwTest;
  if (!deviceOperation && session_.runner().busy()) return;
  switch (c) {
    case Control::Open:
      openProgramFileCommand();
      break;
    case Control::Save:
      saveProgramFileCommand();
      break;
    case Control::Option:
      state.editImage([&] { return dialogs_.editOptions(this, state); });
      syncFromState();
      break;
    case Control::SnId:
      state.editImage([&] { return dialogs_.editRollingCode(this, state); });
      syncFromState();
      break;
    case Control::Calibrate:
      state.editImage([&] { return dialogs_.editCalibration(this, state); });
      syncFromState();
      break;
    case Control::Blank:
    case Control::Program:
    case Control::Verify: {
      const std::uint8_t bit = c == Control::Blank     ? headflag::kBlank
                               : c == Control::Program ? headflag::kProgram
                                                       : headflag::kVerify;
      state.setHeadFlag(bit, static_cast<QCheckBox*>(control(c))->isChecked());
      syncFromState();
      break;
    }
    case Control::Download:
      if (!session_.runner().busy()) {
        if (!mayDownload()) break;
        state.showImageCode();
        state.showImageSummary();
      }
      startDeviceOperation(DeviceOperation::Download);
      break;
    case Control::Upload:
      if (session_.runner().busy() || mayReplaceImage()) startDeviceOperation(DeviceOperation::Upload);
      break;
    case Control::Read:
      if (session_.runner().busy() || mayReplaceImage()) startDeviceOperation(DeviceOperation::ReadChip);
      break;
    case Control::HwTest:
      startDeviceOperation(DeviceOperation::HardwareTest);
      break;
    case Control::ChipList:
    case Control::Count:
      break;
  }
}

void CKT90EXEDlg::chipSelected(int index) {
  if (index < 0 || session_.runner().busy()) return;
  const std::string model = stdstr(chipList_->itemText(index));
  // While the question is open the list shows the chip in use; a cancel leaves it there.
  syncFromState();
  if (model != session_.state().chipModelName() && !mayReplaceImage()) return;
  const ChipChange change = session_.state().changeChip(model);
  syncFromState();
  if (change == ChipChange::Kept) command(Control::Option);
}

void CKT90EXEDlg::menuCommand(MenuCommand c) {
  WorkingState& state = session_.state();
  ShellState& shell = session_.shell();
  // Commands that rewrite the working state wait for a running operation (their menu
  // items are disabled then; this covers a shortcut or a stale menu).
  const bool running = session_.runner().busy();
  switch (c) {
    case MenuCommand::Open:
      if (!running) openProgramFileCommand();
      break;
    case MenuCommand::Save:
      if (!running) saveProgramFileCommand();
      break;
    case MenuCommand::UpdateFirmware:
      startDeviceOperation(DeviceOperation::UpdateFirmware);
      break;
    case MenuCommand::Quality:
      startDeviceOperation(DeviceOperation::Statistics);
      break;
    case MenuCommand::ProductionJournal:
      if (const auto& location = session_.journalPath()) {
        JournalView(*location, state.language(), this).exec();
      } else {
        dialogs_.messageBox(this, qtext(TextId::JournalOff, state.language()), MessageButtons::Ok, state.language());
      }
      break;
    case MenuCommand::StrictJournal:
      if (!running) session_.setJournalStrict(!session_.journalStrict());
      break;
    case MenuCommand::JournalSettings: {
      if (running) break;
      ProfileStore& profile = session_.profile();
      JournalSettingsDialog dialog(qstr(profile.readString(profile::kJournalLocation, "")),
                                   qstr(profile.readString(profile::kStation, "")), state.language(), this);
      if (dialog.exec() != QDialog::Accepted) break;
      profile.writeString(profile::kJournalLocation, stdstr(dialog.location()));
      profile.writeString(profile::kStation, stdstr(dialog.station()));
      session_.chooseJournal();
      showOutboxWaiting();
      break;
    }
    case MenuCommand::Quit:
      close();
      break;
    case MenuCommand::ResearchMode:
    case MenuCommand::ProductionMode:
    case MenuCommand::ServiceMode: {
      if (running) break;
      const std::uint32_t mode = c == MenuCommand::ResearchMode     ? kResearchMode
                                 : c == MenuCommand::ProductionMode ? kProductionMode
                                                                    : kServiceMarker;
      requestMode(state, mode, localNow());
      syncFromState();
      break;
    }
    case MenuCommand::FilePassword:
      if (running) break;
      state.editImage([&] { return setProgramFilePassword(state); });
      syncFromState();
      break;
    case MenuCommand::ProgramFileTimes:
      if (running) break;
      state.editImage([&] { return setProgramFileTimes(state, std::chrono::system_clock::now()); });
      syncFromState();
      break;
    case MenuCommand::UidSettings:
      if (!running) uidSettingsCommand();
      break;
    case MenuCommand::CheckCrc:
      if (running) break;
      state.toggleCheckCrc();
      syncFromState();
      break;
    case MenuCommand::Chinese:
    case MenuCommand::English:
      // The restart in the new language starts afresh: ask about unsaved changes first.
      if (!running) {
        if (!mayReplaceImage()) break;
        discardAccepted_ = true;
      }
      shell.chooseLanguage(c == MenuCommand::Chinese ? kChinese : kEnglish);
      close();
      break;
    case MenuCommand::HelpDocument:
      openLocalFile(helpDocumentPath(state.programDir(), stdstr(QCoreApplication::applicationDirPath())),
                    TextId::HelpDocumentMissing);
      break;
    case MenuCommand::InstallDriver:
      if (kDriverSetupScript)
        runDriverSetupScript(this, dialogs_, state, language_);
      else
        openLocalFile(driverInstallerPath(state.programDir()), TextId::DriverInstallerMissing);
      break;
    case MenuCommand::CloseUpdata:
      shell.toggleUpdateCheck(&state.reporter(), language_);
      break;
    case MenuCommand::About:
      dialogs_.about(this, language_, qstr(kt90::windowTitle(state.settings())));
      break;
  }
}

void CKT90EXEDlg::openProgramFileCommand() {
  if (!mayReplaceImage()) return;
  const QString path = dialogs_.openFileName(this, language_);
  if (!path.isEmpty()) openProgramFileAt(path);
}

void CKT90EXEDlg::openProgramFileAt(const QString& path) {
  const std::string file = stdstr(path);
  if (openProgramFile(session_.state(), file)) {
    recentFiles_.add(file);
  } else if (!fileExists(pathFromUtf8(file))) {
    recentFiles_.remove(file);  // the log has said it is gone
  }
  syncFromState();
}

void CKT90EXEDlg::fillRecentMenu() {
  QMenu* menu = menu_->recentMenu();
  menu->clear();
  const bool free = !session_.runner().busy();
  for (const std::string& path : recentFiles_.paths()) {
    const QString file = qstr(path);
    QAction* action = menu->addAction(file);
    action->setEnabled(free);
    connect(action, &QAction::triggered, this, [this, file] {
      // Queued: the menu is gone before a question or the file's own messages appear.
      QMetaObject::invokeMethod(
          this,
          [this, file] {
            if (!session_.runner().busy() && mayReplaceImage()) openProgramFileAt(file);
          },
          Qt::QueuedConnection);
    });
  }
  if (menu->isEmpty()) menu->addAction(qtext(TextId::RecentFilesNone, language_))->setEnabled(false);
}

bool CKT90EXEDlg::saveProgramFileCommand() {
  const auto choice = dialogs_.saveFileName(this, language_, qstr(session_.state().fileName()));
  if (!choice) return false;
  const bool saved = saveProgramFile(session_.state(), stdstr(choice->path), choice->type);
  if (saved) recentFiles_.add(session_.state().fileName());
  syncFromState();
  return saved;
}

bool CKT90EXEDlg::mayDownload() {
  const WorkingState& state = session_.state();
  if (usedWords(state.image(), state.blankWord()) != 0) return true;
  return messageBox(text(TextId::DownloadNoCodeQuestion, language_), MessageButtons::YesNo) == MessageAnswer::Yes;
}

void CKT90EXEDlg::uidSettingsCommand() {
  // The programmer's U_ID is asked on a worker; the list and its dialog follow here.
  startDeviceOperation(DeviceOperation::QueryUid, [this](const OperationOutcome& outcome) {
    // Only a U_ID this query read counts; a failed query binds nothing new.
    WorkingState& state = session_.state();
    state.editImage([&] { return dialogs_.editUidBinding(this, state, uidFromRowText(outcome.uid)); });
    syncFromState();
  });
}

void CKT90EXEDlg::openLocalFile(const std::string& path, TextId missing) {
  const QString file = qstr(path);
  // A folder or a pipe of that name is not handed to the desktop's opener.
  const ReadProblem problem = regularFileProblem(pathFromUtf8(path));
  if (problem != ReadProblem::None) {
    messageBox(problem == ReadProblem::NotRegular ? fileProblemLine(path, problem, 0, language_)
                                                  : formatText(text(missing, language_), path.c_str()),
               MessageButtons::Ok);
    return;
  }
  if (!dialogs_.openUrl(QUrl::fromLocalFile(file).toString())) {
    messageBox(formatText(text(TextId::CannotOpenWith, language_), path.c_str()), MessageButtons::Ok);
  }
}

// What a download asks beyond the port: the file as the journal names it, and where and
// how many serials it reserves. False: the user cancelled, or the ledger cannot be opened.
bool CKT90EXEDlg::prepareDownload(OperationRequest& request) {
  WorkingState& state = session_.state();
  if (!state.fileName().empty()) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(pathFromUtf8(state.fileName()), error);
    request.programFile = error ? state.fileName() : pathToUtf8(absolute);
  }
  if (!state.image().rollingCodeOn()) return true;
  // The journal is on but cannot be used: no serials can be reserved.
  if (!session_.journalError().empty()) {
    state.appendLog(formatText(text(TextId::SerialBlockNotReserved, language_), session_.journalError().c_str()));
    return false;
  }
  request.serialLedger = state.journal();
  // A stand-alone programmer's block is the program limit; without one the user says.
  if (request.serialLedger && serialCountNeeded(state.image())) {
    request.serialCount = askSerialCount(state);
    if (!request.serialCount) return false;
  }
  return true;
}

void CKT90EXEDlg::startDeviceOperation(DeviceOperation op, std::function<void(const OperationOutcome&)> after) {
  const PortTarget target = portMenu_->target();
  WorkingState& state = session_.state();
  OperationRequest request;
  if (op == DeviceOperation::Download && !prepareDownload(request)) return;
  // Taken here, on the window's thread: the worker never reads the window's program.
  request.program = programToWrite(state);
  // The progress starts from nothing, whatever the last operation reached; a running
  // operation keeps its own (the new one meets the guard).
  const bool first = !session_.runner().busy();
  if (first && op != DeviceOperation::QueryUid) progressBar_->setValue(0);
  // The controls go off now, before the worker runs: no second click slips in.
  if (op != DeviceOperation::QueryUid) applyControlStates(OperationState::Running);
  if (first) cancelButton_->setEnabled(op == DeviceOperation::Download);

  OperationGuard& guard = session_.guard();
  const ProgrammerTarget where = programmerTarget(target, session_.emulatorStateFile());
  auto outcome = std::make_shared<OperationOutcome>();
  QPointer<CKT90EXEDlg> self(this);
  const LanguageId language = language_;
  session_.runner().start(
      [op, where, request, outcome, language, &state, &guard] {
        const ConnectionOpen opened = openProgrammer(where, false);
        ProgrammerConnection& connection = *opened.connection;
        OperationRequest asked = connection.request(op, request.program);
        asked.programFile = request.programFile;
        asked.serialCount = request.serialCount;
        asked.serialLedger = request.serialLedger;
        // The window asks before a firmware update, naming both versions.
        asked.firmware = FirmwareConsent::AskUser;
        // A port this user may not open is no missing programmer: say what helps instead.
        asked.portProblem = [&connection, language] {
          const auto path = connection.deniedPath();
          return path ? formatText(text(TextId::PortPermissionDenied, language), path->c_str()) : std::string();
        };
        *outcome = runDeviceOperation(asked, state, connection.driver(), guard);
        // A state file that could not be used or saved kept the programmer off or stopped it.
        if (outcome->started && !connection.stateProblem().empty()) {
          const TextId id = connection.stateLoaded() ? TextId::EmulatorStateNotSaved : TextId::EmulatorStateUnreadable;
          state.appendLog(formatText(text(id, language), connection.stateProblem().c_str()));
        }
      },
      [self, outcome, noPort = target.kind == PortTarget::Kind::None, after = std::move(after)] {
        if (!self) return;
        // After the operation's own log (it starts by clearing it), the hint that helps.
        if (noPort && outcome->started) self->appendLog(text(TextId::NoPortChosen, self->language_), true);
        if (outcome->serialFirst && outcome->serialLast)
          self->session_.state().showSerialBlock(*outcome->serialFirst, *outcome->serialLast);
        self->operationEnded(*outcome, after);
      });
}

void CKT90EXEDlg::operationEnded(const OperationOutcome& outcome,
                                 const std::function<void(const OperationOutcome&)>& after) {
  if (session_.guard().busy()) return;  // another operation owns the state now
  cancelButton_->setEnabled(false);
  syncFromState();
  applyControlStates(shownState_);
  // Said after every operation that is not in the journal, until one is again.
  const std::string& journalProblem = outcome.journalLoss.empty() ? session_.journalError() : outcome.journalLoss;
  if (!journalProblem.empty()) {
    showJournalProblem(journalProblem);
  } else if (outcome.started) {
    statusBar()->clearMessage();
  }
  showOutboxWaiting();
  if (outcome.started && after) after(outcome);
}

void CKT90EXEDlg::showOutboxWaiting() {
  auto* outbox = dynamic_cast<JournalOutbox*>(session_.state().journal());
  std::int64_t waiting = 0;
  if (outbox && !outbox->pending(waiting).empty()) waiting = 0;
  outboxWaiting_->setText(
      qstr(formatText(text(TextId::JournalPending, language_), static_cast<long long>(waiting))));
  outboxWaiting_->setVisible(waiting > 0);
}

void CKT90EXEDlg::showJournalProblem(const std::string& why) {
  statusBar()->showMessage(qstr(formatText(text(TextId::JournalStatusProblem, language_), why.c_str())));
}

}  // namespace kt90::gui
