#pragma once
#include <string>

#include "core/app/Host.h"
#include "core/app/WorkingState.h"
#include "core/programmer/CKT90Driver.h"
#include "core/programmer/OperationGuard.h"
#include "core/programmer/OperationOutcome.h"
#include "core/programmer/OperationRequest.h"

namespace kt90 {

// Runs one operation start to end on the calling thread: the guard, Running state, the
// port check, the operation frame (open, identification, ..., close on every path), what
// the project takes back (ProgramToWrite.h), the final state and the journal record. The
// U_ID query changes no operation state and logs nothing of its own; its finalState is
// Passed when the U_ID was read (it is then also the state's connectedUid) and Failed
// otherwise.
OperationOutcome runDeviceOperation(const OperationRequest& request, WorkingState& state, CKT90Driver& driver,
                                    OperationGuard& guard);

// The name of an operation in logs and scripts ("download", "upload", "read", "hwtest",
// "update-firmware", "stats", "uid").
const char* deviceOperationName(DeviceOperation op);

}  // namespace kt90
