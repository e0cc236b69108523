#pragma once
#include <cstdint>
#include <optional>

#include "core/app/WorkingState.h"

namespace kt90 {

// A download of `image` reserves a block whose size nothing in the file gives: the rolling
// code is on and there is no program limit (a stand-alone programmer's block).
bool serialCountNeeded(const ProgramImage& image);

// Asks how many serials to reserve, prefilled with the last answer, which the profile keeps.
// Nothing when the user cancels or types no count from 1 up (a message says so).
std::optional<std::uint64_t> askSerialCount(WorkingState& state);

}  // namespace kt90
