#pragma once
#include <string>

#include "cli/CliContext.h"

namespace kt90 {

// A program file with a password keeps its code and its protection to those who know the
// password, on the command line as in the window (where R&D mode asks for it): `--unlock`
// gives it, and is checked by the same R&D mode request.

// True when the open file's code and protection may be used: it has no password, or
// `unlock` is its password (the session is then in R&D mode, the code shown unmasked).
// False for a protected file without `unlock`. Throws CommandFailure for a wrong password
// (exit 1) or a value that is not up to eight hexadecimal digits (exit 2).
bool unlockProgram(CliSession& session, const std::string& unlock, const std::string& file);

// What exporting or re-protecting a locked file says, and the help text about it.
std::string lockedFileText(const std::string& file);
std::string protectionHelp();

}  // namespace kt90
