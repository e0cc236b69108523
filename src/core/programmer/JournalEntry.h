#pragma once
#include <chrono>
#include <string>
#include <vector>

#include "core/app/WorkingState.h"
#include "core/journal/JournalRecord.h"
#include "core/programmer/DeviceOperations.h"

namespace kt90 {

// What the frame knows of one finished operation besides its outcome.
struct FinishedOperation {
  std::chrono::system_clock::time_point start;
  std::chrono::milliseconds duration{0};
  std::vector<std::string> log;
};

// The journal's record of a finished operation: the programmer, file and program the request
// named, and what the outcome learnt (an upload's program among it).
JournalRecord journalRecord(FinishedOperation&& finished, const OperationRequest& request,
                            const OperationOutcome& outcome);

}  // namespace kt90
