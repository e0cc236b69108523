#pragma once
#include <string>

#include "core/app/WorkingState.h"

namespace kt90 {

// The Open command on a chosen path: dispatches on the file name's extension (compared in
// lower case) to the project, HEX, BIN or PRO reader. The file is loaded into a scratch
// copy of the program and its chip; only a complete load replaces the working state's
// image, chip, file name and ProjectPath, so a failed Open changes none of them.
// Returns true on success. A failure shows the Failed state and says why in the log; a
// file that does not read as its kind gets one message naming the file and its kind.
bool openProgramFile(WorkingState& state, const std::string& path);

}  // namespace kt90
