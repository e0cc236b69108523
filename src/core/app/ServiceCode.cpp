#include "core/app/ServiceCode.h"

#include "core/text/Format.h"

namespace kt90 {

std::string serviceCode(const std::tm& now) {
  const int hour = now.tm_hour;
  const int yearInCentury = (now.tm_year + 1900) % 100;
  const int month = now.tm_mon + 1;
  const int weekday = now.tm_wday + 1;  // tm counts Sunday as 0
  return formatText("%02d%02d%02d%02d", hour + yearInCentury, hour + month, hour + now.tm_mday, hour + weekday);
}

}  // namespace kt90
