#pragma once
#include <string>

#include "cli/Json.h"
#include "cli/TerminalHost.h"
#include "core/programmer/DeviceOperations.h"

namespace kt90 {

// The pieces of a device command's --json object.

// "Passed", "Ready" or "Failed".
const char* stateName(OperationState state);
// The host's log lines, without their line ends.
Json logJson(const TerminalHost& host);
// The figures the operation learnt: the counters, the yield and the result code as numbers.
Json figuresJson(const OperationOutcome& outcome);

}  // namespace kt90
