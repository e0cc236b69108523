#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/Emulator.h"
#include "sim/Faults.h"
#include "sim/SimDriver.h"

namespace kt90::testing {

// How a test wants its emulated programmer: its lasting state, fault switches and whether
// it programs the chip already in the socket.
struct DeviceSetup {
  std::function<void(sim::Emulator&)> prepare;
  std::vector<std::string> faults;
  bool keepChip = false;
};

inline DeviceSetup prepared(std::function<void(sim::Emulator&)> prepare, std::vector<std::string> faults = {}) {
  DeviceSetup setup;
  setup.prepare = std::move(prepare);
  setup.faults = std::move(faults);
  return setup;
}
inline DeviceSetup withVersion(const std::string& version) {
  return prepared([version](sim::Emulator& e) { e.setVersionText(version); });
}
inline DeviceSetup withFaults(std::vector<std::string> faults) { return prepared({}, std::move(faults)); }

// The emulator in this process behind SimDriver.
class InProcessHarness {
 public:
  void start(const DeviceSetup& setup) {
    emulator_ = std::make_unique<sim::Emulator>();
    if (setup.prepare) setup.prepare(*emulator_);
    emulator_->keepChip = setup.keepChip;
    for (const std::string& fault : setup.faults) ASSERT_EQ(sim::applyFault(*emulator_, fault), "");
    driver_ = std::make_unique<sim::SimDriver>(*emulator_, port());
  }
  CKT90Driver& driver() { return *driver_; }
  std::string port() const { return "sim0"; }
  // The programmer as the test left it; the driver is not used afterwards.
  sim::Emulator& finish() { return *emulator_; }

 private:
  std::unique_ptr<sim::Emulator> emulator_;
  std::unique_ptr<sim::SimDriver> driver_;
};

}  // namespace kt90::testing
