#include "core/programmer/DeviceOperations.h"

#include <chrono>

#include "core/journal/JournalStore.h"
#include "core/programmer/Identification.h"
#include "core/programmer/JournalEntry.h"
#include "core/programmer/Operations.h"

namespace kt90 {

namespace {

OperationState dispatch(DeviceOperation op, OperationRun& run) {
  switch (op) {
    case DeviceOperation::Download:
      return runDownload(run);
    case DeviceOperation::Upload:
      return runUpload(run);
    case DeviceOperation::ReadChip:
      return runReadChip(run);
    case DeviceOperation::HardwareTest:
      return runHardwareTest(run);
    case DeviceOperation::UpdateFirmware:
      return runFirmwareUpdate(run);
    case DeviceOperation::Statistics:
      return runStatistics(run);
    case DeviceOperation::QueryUid:
      break;
  }
  return OperationState::Failed;
}

// The query of the U_ID settings: no state, no log clearing, only the application ID.
OperationState queryUid(OperationRun& run) {
  const std::optional<ProgrammerUid> uid = queryProgrammerUid(run, run.portName());
  if (!uid) return OperationState::Failed;
  run.state.setConnectedUid(uid);
  run.addFigure("uid", uidHex(*uid));
  return OperationState::Passed;
}

// The operation after the guard admitted it; the device is closed when this returns.
OperationState runStarted(DeviceOperation op, WorkingState& state, CKT90Driver& driver, const std::string& portName,
                          OperationOutcome& outcome) {
  OperationRun run(state, driver, portName, outcome);
  if (op == DeviceOperation::QueryUid) return queryUid(run);

  state.setOperationState(OperationState::Running);
  state.host().setProgress(0);
  state.appendLog("CLEAR");
  const OperationState finalState = dispatch(op, run);
  if (finalState != OperationState::Ready) state.setOperationState(finalState);
  run.session.close();
  return finalState;
}

// Every started operation leaves its record in the journal, when there is one. A record
// that cannot be stored is said every time; it costs the operation only when strict.
void journalOperation(FinishedOperation&& finished, OperationOutcome& outcome, WorkingState& state) {
  JournalStore* journal = state.journal();
  if (!journal) return;
  const bool uidQuery = finished.op == DeviceOperation::QueryUid;
  const JournalAppend stored = journal->append(journalRecord(std::move(finished), outcome, state));
  if (stored.stored()) return;
  const bool fails = state.journalStrict() && outcome.finalState != OperationState::Failed;
  outcome.journalLoss = stored.error;
  state.appendLog(formatText(text(fails ? TextId::JournalNotWrittenStrict : TextId::JournalNotWritten, state.language()),
                             stored.error.c_str()));
  if (!fails) return;
  outcome.finalState = OperationState::Failed;
  if (!uidQuery) state.setOperationState(OperationState::Failed);
}

}  // namespace

std::string OperationOutcome::figure(const std::string& name) const {
  for (const auto& [key, value] : figures) {
    if (key == name) return value;
  }
  return {};
}

const char* deviceOperationName(DeviceOperation op) {
  switch (op) {
    case DeviceOperation::Download:
      return "download";
    case DeviceOperation::Upload:
      return "upload";
    case DeviceOperation::ReadChip:
      return "read";
    case DeviceOperation::HardwareTest:
      return "hwtest";
    case DeviceOperation::UpdateFirmware:
      return "update-firmware";
    case DeviceOperation::Statistics:
      return "stats";
    case DeviceOperation::QueryUid:
      return "uid";
  }
  return "";
}

OperationOutcome runDeviceOperation(DeviceOperation op, WorkingState& state, CKT90Driver& driver,
                                    const std::string& portName, OperationGuard& guard) {
  OperationOutcome outcome;
  const OperationGuard::Ticket ticket = guard.tryEnter();
  if (!ticket) {
    state.appendLog(text(TextId::OperationBusy, state.language()));
    return outcome;
  }
  outcome.started = true;
  FinishedOperation finished{op, portName, std::chrono::system_clock::now(), {}, {}};
  const auto clock = std::chrono::steady_clock::now();
  state.operationLog().startRecording();
  outcome.finalState = runStarted(op, state, driver, portName, outcome);
  finished.log = state.operationLog().stopRecording();
  finished.duration = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - clock);
  journalOperation(std::move(finished), outcome, state);
  return outcome;
}

}  // namespace kt90
