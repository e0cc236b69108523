#pragma once
#include <cstdint>
#include <ctime>

#include "core/app/WorkingState.h"

namespace kt90 {

enum class ModeChange { Changed, Cancelled, Refused };

// The mode commands. Production mode is free; R&D mode asks for the program file's
// password when the loaded file has one; Service mode asks for the access code of the
// hour `now` names (taken when the command starts, before the question). Prompts go
// through Host::editText, a wrong answer is an OK message box and changes nothing.
// A change stores the mode, shows the code again (masked in Production mode) and
// enters the Ready state. Any other value of `mode` is refused.
ModeChange requestMode(WorkingState& state, std::uint32_t mode, const std::tm& now);

}  // namespace kt90
