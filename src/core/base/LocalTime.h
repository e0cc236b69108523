#pragma once
#include <ctime>

namespace kt90 {

// The current local time, broken down (thread-safe on every host).
std::tm localNow();

}  // namespace kt90
