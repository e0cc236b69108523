#include "sim/SimClock.h"

#include <thread>

namespace kt90::sim {

TimePoint RealClock::now() { return std::chrono::steady_clock::now(); }

void RealClock::sleepUntil(TimePoint t) { std::this_thread::sleep_until(t); }

std::shared_ptr<SimClock> realClock() { return std::make_shared<RealClock>(); }

}  // namespace kt90::sim
