#pragma once
#include <memory>
#include <string>

#include "DriverContract.h"
#include "sim/Emulator.h"

namespace kt90::testing {

// A fresh emulator set up as `setup` says; fails the test on a bad fault name.
inline std::unique_ptr<sim::Emulator> makeEmulator(const DeviceSetup& setup) {
  auto emulator = std::make_unique<sim::Emulator>();
  if (!setup.version.empty()) emulator->setVersionText(setup.version);
  if (!setup.uidHex.empty()) {
    sim::Uid uid{};
    for (std::size_t i = 0; i < uid.size(); ++i)
      uid[i] = static_cast<std::uint8_t>(std::stoul(setup.uidHex.substr(2 * i, 2), nullptr, 16));
    emulator->setUid(uid);
  }
  for (const std::string& fault : setup.faults) EXPECT_EQ(sim::applyFault(*emulator, fault), "");
  return emulator;
}

}  // namespace kt90::testing
