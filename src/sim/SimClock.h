#pragma once
#include <chrono>
#include <memory>

namespace kt90::sim {

using TimePoint = std::chrono::steady_clock::time_point;

// Time as the emulator sees it. The real clock sleeps; a manual clock jumps, so tests of
// delays (a chip getting ready, a chip being programmed) run instantly and exactly.
class SimClock {
 public:
  virtual ~SimClock() = default;
  virtual TimePoint now() = 0;
  virtual void sleepUntil(TimePoint t) = 0;
};

class RealClock : public SimClock {
 public:
  TimePoint now() override;
  void sleepUntil(TimePoint t) override;
};

class ManualClock : public SimClock {
 public:
  TimePoint now() override { return now_; }
  void sleepUntil(TimePoint t) override {
    if (t > now_) now_ = t;
  }
  void advance(std::chrono::nanoseconds d) { now_ += d; }

 private:
  TimePoint now_{};
};

std::shared_ptr<SimClock> realClock();

}  // namespace kt90::sim
