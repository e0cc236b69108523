#pragma once
#include <ctime>
#include <string>

namespace kt90 {

// The access code of Service mode, built from one reading of the local clock: the hour
// added to the year within its century, the month, the day of the month and the day of
// the week (1 = Sunday ... 7 = Saturday), each written "%02d", joined in that order.
// It changes every hour and is never stored.
std::string serviceCode(const std::tm& now);

}  // namespace kt90
