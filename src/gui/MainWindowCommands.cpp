// The commands of the main window: each forwards to the core and shows the result.
#include <QCheckBox>
#include <QPointer>
#include <QStatusBar>
#include <QUrl>
#include <chrono>

#include "core/app/LimitCommands.h"
#include "core/app/ModeCommands.h"
#include "core/app/OpenProgramFile.h"
#include "core/app/SaveProgramFile.h"
#include "core/app/Settings.h"
#include "core/base/FileIo.h"
#include "core/base/LocalTime.h"
#include "core/progfile/FileHead.h"
#include "core/progfile/UidBinding.h"
#include "core/text/FileProblem.h"
#include "gui/CKT90EXEDlg.h"
#include "gui/DriverSetup.h"
#include "gui/GuiText.h"
#include "gui/JournalView.h"
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
      dialogs_.editOptions(this, state);
      syncFromState();
      break;
    case Control::SnId:
      dialogs_.editRollingCode(this, state);
      syncFromState();
      break;
    case Control::Calibrate:
      dialogs_.editCalibration(this, state);
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
        state.showImageCode();
        state.showImageSummary();
      }
      startDeviceOperation(DeviceOperation::Download);
      break;
    case Control::Upload:
      startDeviceOperation(DeviceOperation::Upload);
      break;
    case Control::Read:
      startDeviceOperation(DeviceOperation::ReadChip);
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
      if (!running) setProgramFilePassword(state);
      break;
    case MenuCommand::ProgramFileTimes:
      if (!running) setProgramFileTimes(state, std::chrono::system_clock::now());
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
      shell.chooseLanguage(c == MenuCommand::Chinese ? kChinese : kEnglish);
      close();
      break;
    case MenuCommand::HelpDocument:
      openLocalFile(helpDocumentPath(state.programDir()), TextId::HelpDocumentMissing);
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
  const QString path = dialogs_.openFileName(this, language_);
  if (!path.isEmpty()) openProgramFileAt(path);
}

void CKT90EXEDlg::openProgramFileAt(const QString& path) {
  openProgramFile(session_.state(), stdstr(path));
  syncFromState();
}

void CKT90EXEDlg::saveProgramFileCommand() {
  const auto choice = dialogs_.saveFileName(this, language_, qstr(session_.state().fileName()));
  if (!choice) return;
  saveProgramFile(session_.state(), stdstr(choice->path), choice->type);
  syncFromState();
}

void CKT90EXEDlg::uidSettingsCommand() {
  // The programmer's U_ID is asked on a worker; the list and its dialog follow here.
  startDeviceOperation(DeviceOperation::QueryUid, [this](const OperationOutcome& outcome) {
    // Only a U_ID this query read counts; a failed query binds nothing new.
    dialogs_.editUidBinding(this, session_.state(), uidFromRowText(outcome.figure("uid")));
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

void CKT90EXEDlg::startDeviceOperation(DeviceOperation op, std::function<void(const OperationOutcome&)> after) {
  const PortTarget target = portMenu_->target();
  // A port this user may not open is no missing programmer: say what helps instead.
  if (const auto problem = portPermissionProblem(target, language_)) {
    WorkingState& state = session_.state();
    if (op != DeviceOperation::QueryUid) state.appendLog("CLEAR");
    state.appendLog(*problem);
    if (op != DeviceOperation::QueryUid) state.setOperationState(OperationState::Failed);
    return;
  }
  // The controls go off now, before the worker runs: no second click slips in.
  if (op != DeviceOperation::QueryUid) applyControlStates(OperationState::Running);

  WorkingState& state = session_.state();
  OperationGuard& guard = session_.guard();
  const QString stateFile = session_.emulatorStateFile();
  auto outcome = std::make_shared<OperationOutcome>();
  QPointer<CKT90EXEDlg> self(this);
  session_.runner().start(
      [op, target, stateFile, outcome, &state, &guard] {
        const std::unique_ptr<DeviceConnection> connection = DeviceConnection::open(target, stateFile, state);
        *outcome = runDeviceOperation(op, state, connection->driver(), target.portName, guard);
        connection->finish(outcome->started);
      },
      [self, outcome, noPort = target.kind == PortTarget::Kind::None, after = std::move(after)] {
        if (!self) return;
        // After the operation's own log (it starts by clearing it), the hint that helps.
        if (noPort && outcome->started) self->appendLog(text(TextId::NoPortChosen, self->language_), true);
        self->operationEnded(*outcome, after);
      });
}

void CKT90EXEDlg::operationEnded(const OperationOutcome& outcome,
                                 const std::function<void(const OperationOutcome&)>& after) {
  if (session_.guard().busy()) return;  // another operation owns the state now
  syncFromState();
  applyControlStates(shownState_);
  // Said after every operation that is not in the journal, until one is again.
  const std::string& journalProblem = outcome.journalLoss.empty() ? session_.journalError() : outcome.journalLoss;
  if (!journalProblem.empty()) {
    showJournalProblem(journalProblem);
  } else if (outcome.started) {
    statusBar()->clearMessage();
  }
  if (outcome.started && after) after(outcome);
}

void CKT90EXEDlg::showJournalProblem(const std::string& why) {
  statusBar()->showMessage(qstr(formatText(text(TextId::JournalStatusProblem, language_), why.c_str())));
}

}  // namespace kt90::gui
