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
// What the operation learnt, by its own names: "firmwareVersion", "uid", "total",
// "successes", "yield", "resultCode", "rollingCode", "hardwareResult", "serialFirst",
// "serialLast"; numbers as numbers, nothing it did not learn.
Json outcomeJson(const OperationOutcome& outcome);
// One programmer of a download: {"port", "ok", "state", "error" when it failed, "log",
// "figures"}.
Json programmerJson(const std::string& port, OperationState state, const std::string& why, const TerminalHost& host,
                    const OperationOutcome& outcome);

}  // namespace kt90
