#include "core/programmer/DeviceOperations.h"

#include <chrono>

#include "core/journal/JournalStore.h"
#include "core/programmer/Identification.h"
#include "core/programmer/JournalEntry.h"
#include "core/programmer/Operations.h"
#include "core/programmer/ProgramToWrite.h"

namespace kt90 {

namespace {

// Which operation runs is the request's.
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
  const std::optional<ProgrammerUid> uid = queryProgrammerUid(run, run.request.devicePort);
  if (!uid) return OperationState::Failed;
  run.state.setConnectedUid(uid);
  run.outcome.uid = uidHex(*uid);
  return OperationState::Passed;
}

// A port this user may not open fails the operation it was meant for, with the line that
// says how to set it up.
bool portUsable(OperationRun& run) {
  if (!run.request.portProblem) return true;
  const std::string problem = run.request.portProblem();
  if (problem.empty()) return true;
  run.state.appendLog(problem);
  return false;
}

// The operation after the guard admitted it; the device is closed when this returns.
OperationState runStarted(const OperationRequest& request, WorkingState& state, CKT90Driver& driver,
                          const OperationGuard& guard, OperationOutcome& outcome) {
  OperationRun run(state, driver, request, outcome);
  if (request.op == DeviceOperation::QueryUid) return portUsable(run) ? queryUid(run) : OperationState::Failed;
  if (request.op == DeviceOperation::Download) run.allowCancel(guard);

  state.setOperationState(OperationState::Running);
  state.host().setProgress(0);
  state.appendLog("CLEAR");
  const OperationState finalState = portUsable(run) ? dispatch(request.op, run) : OperationState::Failed;
  // The project takes what came back while the guard still holds: no other operation
  // changes the working state meanwhile.
  if (outcome.uploaded) adoptUploadedProgram(state, *outcome.uploaded);
  if (request.saveProjectFile) keepDownloadedProgram(state, outcome);
  if (finalState != OperationState::Ready) state.setOperationState(finalState);
  run.session.close();
  return finalState;
}

// Every started operation leaves its record in the journal, when there is one. A record
// that cannot be stored is said every time; it costs the operation only when strict.
void journalOperation(FinishedOperation&& finished, const OperationRequest& request, OperationOutcome& outcome,
                      WorkingState& state) {
  JournalStore* journal = state.journal();
  if (!journal) return;
  const bool uidQuery = request.op == DeviceOperation::QueryUid;
  const JournalAppend stored = journal->append(journalRecord(std::move(finished), request, outcome));
  if (stored.stored()) {
    // Kept on the station while the journal server is away: said, never a failure.
    if (!stored.error.empty()) {
      state.appendLog(formatText(text(TextId::JournalServerUnreachable, state.language()), stored.error.c_str()));
    }
    return;
  }
  const bool fails = state.journalStrict() && outcome.finalState != OperationState::Failed;
  outcome.journalLoss = stored.error;
  state.appendLog(
      formatText(text(fails ? TextId::JournalNotWrittenStrict : TextId::JournalNotWritten, state.language()),
                 stored.error.c_str()));
  if (!fails) return;
  outcome.finalState = OperationState::Failed;
  if (!uidQuery) state.setOperationState(OperationState::Failed);
}

}  // namespace

// The last line a failed operation logged, without its line end: why it failed.
std::string lastLine(const std::vector<std::string>& log) {
  for (auto line = log.rbegin(); line != log.rend(); ++line) {
    const std::size_t end = line->find_last_not_of("\r\n ");
    if (end != std::string::npos) return line->substr(0, end + 1);
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

OperationOutcome runDeviceOperation(const OperationRequest& request, WorkingState& state, CKT90Driver& driver,
                                    OperationGuard& guard) {
  OperationOutcome outcome;
  const OperationGuard::Ticket ticket = guard.tryEnter();
  if (!ticket) {
    state.appendLog(text(TextId::OperationBusy, state.language()));
    return outcome;
  }
  outcome.started = true;
  FinishedOperation finished{std::chrono::system_clock::now(), {}, {}};
  const auto clock = std::chrono::steady_clock::now();
  state.operationLog().startRecording();
  outcome.finalState = runStarted(request, state, driver, guard, outcome);
  finished.log = state.operationLog().stopRecording();
  finished.duration = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - clock);
  if (outcome.finalState == OperationState::Failed) outcome.reason = lastLine(finished.log);
  journalOperation(std::move(finished), request, outcome, state);
  return outcome;
}

}  // namespace kt90
