#pragma once
#include <chrono>

#include "core/app/WorkingState.h"

namespace kt90 {

// "Set Program File times": the program limit (decimal, up to 4294967295), and when it
// is not 0 a new CurrentTime from `now`, the summary redrawn, then the download limit
// (0-255). A value out of range is a message box and changes nothing; Cancel stops
// there. Returns true when the program limit was set.
bool setProgramFileTimes(WorkingState& state, std::chrono::system_clock::time_point now);

// "Program File password": eight hexadecimal digits, byte i from digits 2i and 2i+1;
// an empty entry removes the password. Returns true on OK. A password without a program
// limit, which no file would keep, is pointed out (also when the limit is set to 0).
bool setProgramFilePassword(WorkingState& state);

}  // namespace kt90
