// The driver contract against the in-process driver, and against the wire driver talking
// to the protocol server over a socket pair (the whole protocol, without a serial port).
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "DriverContract.h"
#include "Harness.h"
#include "sim/FdServer.h"
#include "sim/FdTransport.h"
#include "sim/SimDriver.h"
#include "wire/WireDriver.h"

namespace kt90::testing {
namespace {

class InProcess {
 public:
  void start(const DeviceSetup& setup) {
    driver_.reset();
    emulator_ = makeEmulator(setup);
    driver_ = std::make_unique<sim::SimDriver>(*emulator_, "SIM1");
  }
  CKT90Driver& driver() { return *driver_; }
  std::string port() { return "SIM1"; }
  std::string absentPort() { return "SIM2"; }

 private:
  std::unique_ptr<sim::Emulator> emulator_;
  std::unique_ptr<sim::SimDriver> driver_;
};

class OverSocket {
 public:
  ~OverSocket() { stop(); }
  void start(const DeviceSetup& setup) {
    stop();
    ::signal(SIGPIPE, SIG_IGN);
    emulator_ = makeEmulator(setup);
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    ASSERT_EQ(::pipe(stop_), 0);
    serverFd_ = pair[1];
    server_ = std::thread([this] {
      sim::FdServer server(*emulator_, serverFd_);
      server.serve(stop_[0]);
      // The programmer has gone (or the test ends): the line goes dead with it.
      ::shutdown(serverFd_, SHUT_RDWR);
    });
    driver_ = std::make_unique<wire::WireDriver>(std::make_unique<sim::FdTransport>(pair[0], "socket"));
    driver_->setReplyTimeout(std::chrono::milliseconds(300));
  }
  CKT90Driver& driver() { return *driver_; }
  std::string port() { return "socket"; }
  std::string absentPort() { return "/nonexistent/tty"; }

 private:
  void stop() {
    if (!server_.joinable()) return;
    const char byte = 1;
    EXPECT_EQ(::write(stop_[1], &byte, 1), 1);
    server_.join();
    driver_.reset();
    ::close(serverFd_);
    ::close(stop_[0]);
    ::close(stop_[1]);
  }
  std::unique_ptr<sim::Emulator> emulator_;
  std::unique_ptr<wire::WireDriver> driver_;
  std::thread server_;
  int serverFd_ = -1;
  int stop_[2] = {-1, -1};
};

using Harnesses = ::testing::Types<InProcess, OverSocket>;
INSTANTIATE_TYPED_TEST_SUITE_P(Emulated, DriverContract, Harnesses);

}  // namespace
}  // namespace kt90::testing
