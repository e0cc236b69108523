#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "InProcessHarness.h"
#include "SimProcess.h"
#include "core/base/FileIo.h"
#include "link/SerialDriver.h"
#include "sim/StateFile.h"

namespace kt90::testing {

// kt90-sim on a pseudo-terminal, started from a state file the setup prepared, and the
// serial driver on its terminal. finish() stops the emulator and reads back its state.
class PtyHarness {
 public:
  PtyHarness() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "_" + info->name() : "pty";
    std::replace(name.begin(), name.end(), '/', '_');
    statePath_ = std::filesystem::temp_directory_path() / ("kt90_ops_pty_" + std::to_string(::getpid()) + "_" + name);
  }
  ~PtyHarness() {
    driver_.reset();
    sim_.stop();
    std::error_code ec;
    std::filesystem::remove(statePath_, ec);
  }

  void start(const DeviceSetup& setup) {
    sim::Emulator initial;
    if (setup.prepare) setup.prepare(initial);
    ASSERT_TRUE(sim::saveStateFile(initial, statePath_));
    std::vector<std::string> args = {"--state", pathToUtf8(statePath_)};
    for (const std::string& fault : setup.faults) args.insert(args.end(), {"--fault", fault});
    if (setup.keepChip) args.push_back("--keep-chip");
    ASSERT_TRUE(sim_.start(args));
    port_ = sim_.path();
    driver_ = std::make_unique<link::SerialDriver>();
  }
  CKT90Driver& driver() { return *driver_; }
  std::string port() const { return port_; }
  sim::Emulator& finish() {
    driver_->CloseDevice();
    sim_.stop();
    final_ = std::make_unique<sim::Emulator>();
    EXPECT_EQ(sim::loadStateFile(statePath_, *final_), "");
    return *final_;
  }

 private:
  std::filesystem::path statePath_;
  SimProcess sim_;
  std::string port_;
  std::unique_ptr<link::SerialDriver> driver_;
  std::unique_ptr<sim::Emulator> final_;
};

}  // namespace kt90::testing
