// The driver contract against the serial driver, end to end: kt90-sim serves a
// pseudo-terminal, the serial driver opens it as a serial port.
#include "DriverContract.h"
#include "SimProcess.h"
#include "link/SerialDriver.h"

namespace kt90::testing {
namespace {

class OverPty {
 public:
  void start(const DeviceSetup& setup) {
    driver_.reset();
    std::vector<std::string> args;
    if (!setup.version.empty()) args.insert(args.end(), {"--version", setup.version});
    if (!setup.uidHex.empty()) args.insert(args.end(), {"--uid", setup.uidHex});
    for (const std::string& fault : setup.faults) args.insert(args.end(), {"--fault", fault});
    ASSERT_TRUE(sim_.start(args));
    driver_ = std::make_unique<link::SerialDriver>();
    driver_->setReplyTimeout(std::chrono::milliseconds(300));
  }
  CKT90Driver& driver() { return *driver_; }
  std::string port() { return sim_.path(); }
  std::string absentPort() { return "/dev/kt90-no-such-port"; }

 private:
  std::unique_ptr<link::SerialDriver> driver_;
  SimProcess sim_;
};

using Harnesses = ::testing::Types<OverPty>;
INSTANTIATE_TYPED_TEST_SUITE_P(Serial, DriverContract, Harnesses);

}  // namespace
}  // namespace kt90::testing
