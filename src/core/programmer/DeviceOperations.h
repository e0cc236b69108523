#pragma once
#include <string>
#include <utility>
#include <vector>

#include "core/app/Host.h"
#include "core/app/WorkingState.h"
#include "core/programmer/CKT90Driver.h"
#include "core/programmer/OperationGuard.h"

namespace kt90 {

enum class DeviceOperation { Download, Upload, ReadChip, HardwareTest, UpdateFirmware, Statistics, QueryUid };

struct OperationOutcome {
  bool started = false;                                // false: refused by the guard (a clear log line says so)
  OperationState finalState = OperationState::Failed;  // Passed, Failed or Ready
  // Figures the operation learnt, by name: "firmwareVersion" and "uid" once identification
  // read them, "total", "successes" and "yield" for the statistics, "rollingCode" after a
  // debugger-type download with the rolling code on, "resultCode" after a failed run.
  std::vector<std::pair<std::string, std::string>> figures;
  // Why the operation's record is not in the journal; empty when it is (or it is off).
  std::string journalLoss;

  // The figure named `name`, or empty.
  std::string figure(const std::string& name) const;
};

// Runs one operation start to end on the calling thread: the guard, Running state, the
// operation frame (open, identification, ..., close on every path), the final state.
// The U_ID query changes no operation state and logs nothing of its own; its finalState is
// Passed when the U_ID was read (it is then also the state's connectedUid) and Failed
// otherwise.
OperationOutcome runDeviceOperation(DeviceOperation op, WorkingState& state, CKT90Driver& driver,
                                    const std::string& portName, OperationGuard& guard);

// The name of an operation in logs and scripts ("download", "upload", "read", "hwtest",
// "update-firmware", "stats", "uid").
const char* deviceOperationName(DeviceOperation op);

}  // namespace kt90
