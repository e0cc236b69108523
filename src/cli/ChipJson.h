#pragma once
#include "cli/Json.h"
#include "core/app/WorkingState.h"

namespace kt90 {

// The fields shared by `chip --json` and `info --json`, added to `json` in their order.
void addImageFields(Json& json, WorkingState& state);

// `chip --json`: "ok" and the figures of a fresh image of the current chip.
Json chipJson(WorkingState& state);

}  // namespace kt90
