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

// The journal's record of a finished operation: the programmer and file the request named,
// what the outcome learnt, and from the working state the program it moved (a download's,
// a passed upload's, the chip model of a read).
JournalRecord journalRecord(FinishedOperation&& finished, const OperationRequest& request,
                            const OperationOutcome& outcome, const WorkingState& state);

}  // namespace kt90
