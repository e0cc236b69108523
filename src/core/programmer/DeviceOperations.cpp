#include "core/programmer/DeviceOperations.h"

#include "core/programmer/Identification.h"
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
  OperationRun run(state, driver, portName, outcome);
  if (op == DeviceOperation::QueryUid) {
    outcome.finalState = queryUid(run);
    return outcome;
  }

  state.setOperationState(OperationState::Running);
  state.host().setProgress(0);
  state.appendLog("CLEAR");
  outcome.finalState = dispatch(op, run);
  if (outcome.finalState != OperationState::Ready) state.setOperationState(outcome.finalState);
  run.session.close();
  return outcome;
}

}  // namespace kt90
