#include "core/base/LocalTime.h"

#include <chrono>

namespace kt90 {
namespace {

#if defined(_WIN32)
void toLocal(std::time_t t, std::tm& out) { localtime_s(&out, &t); }
#else
void toLocal(std::time_t t, std::tm& out) { localtime_r(&t, &out); }
#endif

}  // namespace

std::tm localNow() {
  std::tm tm{};
  toLocal(std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()), tm);
  return tm;
}

}  // namespace kt90
