#pragma once
#include <string>

#include "cli/Json.h"
#include "core/app/WorkingState.h"

namespace kt90 {

// The fields shared by `chip --json` and `info --json`, written into an open object.
void writeImageFields(JsonWriter& json, WorkingState& state);
void writeCalibration(JsonWriter& json, const ProgramImage& image);

// `chip --json`: one object describing a fresh image of the current chip.
std::string chipJson(WorkingState& state);

}  // namespace kt90
