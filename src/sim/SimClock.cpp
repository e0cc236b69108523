#include "sim/SimClock.h"

#include <thread>

namespace kt90::sim {

namespace {
// A sleep ends late by the timer's slack and the wake-up; the last stretch before the
// deadline is therefore waited out awake, so emulated latencies hold to a few microseconds.
constexpr auto kAwakeStretch = std::chrono::microseconds(150);
}  // namespace

TimePoint RealClock::now() { return std::chrono::steady_clock::now(); }

void RealClock::sleepUntil(TimePoint t) {
  if (t - now() > kAwakeStretch) std::this_thread::sleep_until(t - kAwakeStretch);
  while (now() < t) {
  }
}

std::shared_ptr<SimClock> realClock() { return std::make_shared<RealClock>(); }

}  // namespace kt90::sim
