#pragma once
#include <cstdint>

namespace kt90 {

// Successful runs in percent of all runs; 0 when there were none.
double yieldPercent(std::uint32_t total, std::uint32_t successes);

}  // namespace kt90
