#pragma once
#include <string>

#include "core/app/ProgramPaths.h"
#include "core/app/WorkingState.h"

namespace kt90 {

// The Save command: the image as a project file (scrambled when a program limit is set),
// or the shown code as HEX or BIN. The type's extension is appended unless the file name
// already has it. Files are written to a temporary file and renamed over the old one only
// when complete. Failures are message boxes; true on success, after which the file name
// and ProjectPath name the saved file.
bool saveProgramFile(WorkingState& state, const std::string& path, SaveType type);

// The save after a successful download: the project file at ProjectPath, if there is one;
// the log names the file (or says it could not be written).
bool autoSave(WorkingState& state);

}  // namespace kt90
